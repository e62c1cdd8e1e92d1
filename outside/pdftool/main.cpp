// pdf.exe: builds tmp.pdf from the JPEG pages staged by Pagewright.
#include "jobfiles/encryption.h"
#include "outside/pdftool/build_run.h"
#include "platform/paths.h"

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <optional>
#include <string>
#include <strings.h>
#include <unistd.h>
#if defined(__GLIBC__)
#include <malloc.h>
#endif

namespace {

// Standard input to its end, at most kMostEncryptionText bytes; std::nullopt beyond that or
// on a read error.
std::optional<std::string> readStandardInput() {
    std::string text;
    char buffer[4096];
    for (;;) {
        const ssize_t got = ::read(0, buffer, sizeof buffer);
        if (got == 0)
            return text;
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0 ||
            text.size() + static_cast<std::size_t>(got) > pw::jobfiles::kMostEncryptionText)
            return std::nullopt;
        text.append(buffer, static_cast<std::size_t>(got));
    }
}

} // namespace

int main(int argc, char** argv) {
    // "/ENCRYPT" before the folder: the passwords come on standard input.
    const bool encrypt = argc == 4 && strcasecmp(argv[2], pw::jobfiles::kEncryptSwitch) == 0;
    const int folderArgument = encrypt ? 3 : 2;
    // The folder, when given, is an absolute path: the builder works in it.
    if (argc < 2 || argc > 4 || (argc == 4 && !encrypt) || strcasecmp(argv[1], "/NOASK") != 0 ||
        (argc > folderArgument && argv[folderArgument][0] != '/')) {
        std::fprintf(stderr, "Usage: pdf.exe /NOASK [/ENCRYPT FOLDER | FOLDER]\n"
                             "Builds tmp.pdf from the pages 00000.jpg, 00001.jpg, ... staged by "
                             "Pagewright in FOLDER (an absolute path; by default the window's "
                             "staging folder). With /ENCRYPT the passwords and permissions (and "
                             "the password of the staged PDFs) are read from standard input.\n");
        return pw::jobfiles::kExitUsage;
    }
    const std::string folder =
        argc > folderArgument ? std::string(argv[folderArgument]) : pw::platform::stagingFolder();
    // Working in its folder tells which job a running builder belongs to.
    if (::chdir(folder.c_str()) != 0) {
        std::fprintf(stderr, "No staged pictures: cannot enter the folder %s: %s\n", folder.c_str(),
                     std::strerror(errno));
        return pw::jobfiles::kExitNoPictures;
    }
    std::optional<pw::jobfiles::Encryption> encryption;
    if (encrypt) {
        const std::optional<std::string> text = readStandardInput();
        if (text)
            encryption = pw::jobfiles::parseEncryption(*text);
        if (!encryption) {
            ::unlink("tmp.pdf"); // no earlier result stands for this run's
            std::fprintf(stderr, "%sno valid passwords on standard input\n",
                         pw::jobfiles::kFailedLead);
            return pw::jobfiles::kExitWriteFailed;
        }
    }
#if defined(__GLIBC__)
    // The writer buffers one picture at a time; keeping those buffers on the heap lets the
    // next picture reuse the same pages instead of mapping and faulting in fresh ones.
    mallopt(M_MMAP_THRESHOLD, 256 << 20);
    mallopt(M_TRIM_THRESHOLD, 512 << 20);
#endif
    // A reader that stops listening must not cost the PDF.
    std::signal(SIGPIPE, SIG_IGN);
    return pw::pdftool::buildStagedPdf(folder, stdout, stderr, encryption);
}
