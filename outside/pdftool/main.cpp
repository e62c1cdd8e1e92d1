// pdf.exe: builds tmp.pdf from the JPEG pages staged by Pagewright.
#include "outside/pdftool/build_run.h"
#include "platform/paths.h"

#include <csignal>
#include <cstdio>
#include <strings.h>

int main(int argc, char** argv) {
    if (argc != 2 || strcasecmp(argv[1], "/NOASK") != 0) {
        std::fprintf(stderr, "Usage: pdf.exe /NOASK\n"
                             "Builds tmp.pdf from the pages 00000.jpg, 00001.jpg, ... staged by "
                             "Pagewright.\n");
        return pw::pdftool::kExitUsage;
    }
    // A reader that stops listening must not cost the PDF.
    std::signal(SIGPIPE, SIG_IGN);
    return pw::pdftool::buildStagedPdf(pw::os::stagingFolder(), stdout, stderr);
}
