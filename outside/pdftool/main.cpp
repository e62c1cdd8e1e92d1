// pdf.exe: builds tmp.pdf from the JPEG pages staged by Pagewright.
#include "outside/pdftool/build_run.h"
#include "platform/paths.h"

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <string>
#include <strings.h>
#include <unistd.h>
#if defined(__GLIBC__)
#include <malloc.h>
#endif

int main(int argc, char** argv) {
    // The folder, when given, is an absolute path: the builder works in it.
    if (argc < 2 || argc > 3 || strcasecmp(argv[1], "/NOASK") != 0 ||
        (argc == 3 && argv[2][0] != '/')) {
        std::fprintf(stderr, "Usage: pdf.exe /NOASK [FOLDER]\n"
                             "Builds tmp.pdf from the pages 00000.jpg, 00001.jpg, ... staged by "
                             "Pagewright in FOLDER (an absolute path; by default the window's "
                             "staging folder).\n");
        return pw::pdftool::kExitUsage;
    }
    const std::string folder = argc == 3 ? std::string(argv[2]) : pw::os::stagingFolder();
    // Working in its folder tells which job a running builder belongs to.
    if (::chdir(folder.c_str()) != 0) {
        std::fprintf(stderr, "No staged pictures: cannot enter the folder %s: %s\n",
                     folder.c_str(), std::strerror(errno));
        return pw::pdftool::kExitNoPictures;
    }
#if defined(__GLIBC__)
    // The writer buffers one picture at a time; keeping those buffers on the heap lets the
    // next picture reuse the same pages instead of mapping and faulting in fresh ones.
    mallopt(M_MMAP_THRESHOLD, 256 << 20);
    mallopt(M_TRIM_THRESHOLD, 512 << 20);
#endif
    // A reader that stops listening must not cost the PDF.
    std::signal(SIGPIPE, SIG_IGN);
    return pw::pdftool::buildStagedPdf(folder, stdout, stderr);
}
