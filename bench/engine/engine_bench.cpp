// Runs one conversion job in one-PDF mode on the pictures named on the command line and
// reports its wall time and the peak memory of this process and of the builder.
//   engine_bench [--app DIR] [--quality 1-100|lossless] OUTPUT_FOLDER PICTURE...
#include "job/ConversionJob.h"
#include "jobfiles/quality_text.h"
#include "platform/paths.h"

#include <chrono>
#include <cstdio>
#include <cstring>
#include <string>
#include <sys/resource.h>
#include <utility>
#include <vector>

namespace {

// Notices and missing pictures go to standard error; the run then counts as failed.
class Results : public pw::job::JobEvents {
public:
    int messages = 0;
    void progress(pw::job::JobStage, double, int) override {}
    void finished(const pw::job::JobResult& result) override {
        for (const pw::job::JobNotice& notice : result.notices)
            std::fprintf(stderr, "[%s] %s\n", notice.title.c_str(), notice.text.c_str());
        for (const std::string& line : result.missingReasons)
            std::fprintf(stderr, "[missing] %s\n", line.c_str());
        messages = static_cast<int>(result.notices.size() + result.missingReasons.size());
    }
};

long peakKiB(int who) {
    rusage usage{};
    return getrusage(who, &usage) == 0 ? usage.ru_maxrss : -1;
}

} // namespace

int main(int argc, char** argv) {
    int first = 1;
    std::string app = PW_BENCH_APP_DIR;
    pw::jobfiles::JobOptions options;
    while (argc - first > 2 && std::strncmp(argv[first], "--", 2) == 0) {
        if (std::strcmp(argv[first], "--app") == 0) {
            app = argv[first + 1];
        } else if (std::strcmp(argv[first], "--quality") != 0 ||
                   !pw::jobfiles::parseQuality(argv[first + 1], options)) {
            first = argc; // usage
            break;
        }
        first += 2;
    }
    if (argc - first < 2) {
        std::fprintf(stderr, "usage: engine_bench [--app DIR] [--quality 1-100|lossless] "
                             "OUTPUT_FOLDER PICTURE...\n");
        return 2;
    }
    pw::platform::setApplicationFolder(app);
    pw::job::JobRequest request;
    request.pictures.assign(argv + first + 1, argv + argc);
    request.outputFolder = argv[first];
    request.properties = {"Benchmark", "engine_bench", "", "", ""};
    request.options = options;
    Results results;
    pw::job::ConversionJob job(std::move(request), results);

    const auto start = std::chrono::steady_clock::now();
    job.run();
    const std::chrono::duration<double> elapsed = std::chrono::steady_clock::now() - start;
    std::printf("seconds %.3f job_kib %ld builder_kib %ld messages %d\n", elapsed.count(),
                peakKiB(RUSAGE_SELF), peakKiB(RUSAGE_CHILDREN), results.messages);
    return results.messages == 0 ? 0 : 1;
}
