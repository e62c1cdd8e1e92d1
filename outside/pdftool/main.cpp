// pdf.exe: builds tmp.pdf from the JPEG pages staged by Pagewright.
#include "outside/pdftool/build_run.h"
#include "platform/paths.h"

#include <csignal>
#include <cstdio>
#include <strings.h>
#if defined(__GLIBC__)
#include <malloc.h>
#endif

int main(int argc, char** argv) {
    if (argc != 2 || strcasecmp(argv[1], "/NOASK") != 0) {
        std::fprintf(stderr, "Usage: pdf.exe /NOASK\n"
                             "Builds tmp.pdf from the pages 00000.jpg, 00001.jpg, ... staged by "
                             "Pagewright.\n");
        return pw::pdftool::kExitUsage;
    }
#if defined(__GLIBC__)
    // The writer buffers one picture at a time; keeping those buffers on the heap lets the
    // next picture reuse the same pages instead of mapping and faulting in fresh ones.
    mallopt(M_MMAP_THRESHOLD, 256 << 20);
    mallopt(M_TRIM_THRESHOLD, 512 << 20);
#endif
    // A reader that stops listening must not cost the PDF.
    std::signal(SIGPIPE, SIG_IGN);
    return pw::pdftool::buildStagedPdf(pw::os::stagingFolder(), stdout, stderr);
}
