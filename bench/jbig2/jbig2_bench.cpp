// Encodes PBM pages as /JBIG2Decode streams: writes each to OUT/<name>.jb2 and prints
// "<name> <bytes> <microseconds>", the time being the best of `runs` encodings of the page
// already in memory.
//   jbig2_bench OUT RUNS PAGE.pbm...
#include "jbig2/encoder.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace {

struct Page {
    std::uint32_t width = 0;
    std::uint32_t height = 0;
    std::vector<std::uint8_t> rows;
};

// A binary PBM (P4) without comments, as ImageMagick and Pillow write them.
bool readPbm(const std::string& path, Page& page) {
    std::ifstream in(path, std::ios::binary);
    std::string magic;
    in >> magic >> page.width >> page.height;
    in.get();
    if (!in || magic != "P4" || page.width == 0 || page.height == 0)
        return false;
    page.rows.resize((std::size_t{page.width} + 7) / 8 * page.height);
    in.read(reinterpret_cast<char*>(page.rows.data()),
            static_cast<std::streamsize>(page.rows.size()));
    return static_cast<bool>(in);
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 4) {
        std::fprintf(stderr, "usage: jbig2_bench OUT RUNS PAGE.pbm...\n");
        return 2;
    }
    const std::filesystem::path out = argv[1];
    const int runs = std::max(1, std::atoi(argv[2]));
    for (int i = 3; i < argc; ++i) {
        Page page;
        if (!readPbm(argv[i], page)) {
            std::fprintf(stderr, "%s: not a binary PBM\n", argv[i]);
            return 1;
        }
        const pw::jbig2::Bitmap bitmap{page.rows.data(), page.width, page.height,
                                       static_cast<std::ptrdiff_t>((page.width + 7) / 8)};
        std::vector<std::uint8_t> coded;
        auto best = std::chrono::nanoseconds::max();
        for (int run = 0; run < runs; ++run) {
            const auto start = std::chrono::steady_clock::now();
            coded = pw::jbig2::encodeEmbedded(bitmap);
            best = std::min(best, std::chrono::steady_clock::now() - start);
        }
        if (coded.empty()) {
            std::fprintf(stderr, "%s: not encoded\n", argv[i]);
            return 1;
        }
        const std::string name = std::filesystem::path(argv[i]).stem().string();
        std::ofstream(out / (name + ".jb2"), std::ios::binary)
            .write(reinterpret_cast<const char*>(coded.data()),
                   static_cast<std::streamsize>(coded.size()));
        std::printf("%s %zu %lld\n", name.c_str(), coded.size(),
                    static_cast<long long>(
                        std::chrono::duration_cast<std::chrono::microseconds>(best).count()));
    }
    return 0;
}
