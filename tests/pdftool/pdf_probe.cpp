#include "pdf_probe.h"

#include "jobfiles/page_options.h"

#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <qpdf/QPDFPageDocumentHelper.hh>
#include <qpdf/QPDFPageObjectHelper.hh>
#include <sstream>
#include <sys/wait.h>
#include <thread>

namespace pw::pdftool::test {

Stage::Stage() : root_("pw-pdftool") {
    std::filesystem::create_directories(folder());
}

Stage::~Stage() = default;

namespace {

ToolRun runOnce(const std::string& command) {
    ToolRun run;
    std::FILE* pipe = popen(command.c_str(), "r");
    if (pipe == nullptr)
        return run;
    char buffer[4096];
    std::size_t count = 0;
    while ((count = std::fread(buffer, 1, sizeof buffer, pipe)) > 0)
        run.output.append(buffer, count);
    const int status = pclose(pipe);
    if (WIFSIGNALED(status))
        run.exitCode = 128 + WTERMSIG(status);
    else if (WIFEXITED(status))
        run.exitCode = WEXITSTATUS(status);
    return run;
}

} // namespace

ToolRun runPdfExe(const Stage& stage, const std::string& arguments) {
    const std::string command =
        "XDG_CACHE_HOME='" + stage.cache() + "' '" PW_PDF_EXE "' " + arguments + " 2>&1";
    // Other programs on this machine end every "pdf.exe" they find; a run killed that way
    // says nothing about ours, so it is repeated.
    ToolRun run;
    for (int attempt = 0; attempt < 20; ++attempt) {
        run = runOnce(command);
        if (run.exitCode != 128 + SIGKILL)
            break;
        std::this_thread::sleep_for(std::chrono::milliseconds(250));
    }
    return run;
}

ToolRun runSplitOnA4(const Stage& stage, double marginMm, double overlapMm,
                     pw::jobfiles::Orientation orientation) {
    pw::jobfiles::PageLayout layout;
    layout.size = pw::jobfiles::PageSize::A4;
    layout.orientation = orientation;
    layout.marginMm = marginMm;
    layout.splitTall = true;
    layout.overlapMm = overlapMm;
    if (!writePageOptions(stage.folder(), layout))
        return {-1, "the page options could not be written"};
    return runPdfExe(stage);
}

std::string readFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream data;
    data << in.rdbuf();
    return data.str();
}

bool writeFile(const std::string& path, const std::string& data) {
    std::ofstream out(path, std::ios::binary);
    out << data;
    return static_cast<bool>(out);
}

int qpdfCheck(const std::string& pdf) {
    const int status = std::system(("qpdf --check '" + pdf + "' >/dev/null 2>&1").c_str());
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

std::vector<PageInfo> pagesOf(QPDF& pdf) {
    std::vector<PageInfo> pages;
    for (auto& page : QPDFPageDocumentHelper(pdf).getAllPages()) {
        PageInfo info;
        QPDFObjectHandle box = page.getObjectHandle().getKey("/MediaBox");
        info.width = box.getArrayItem(2).getNumericValue();
        info.height = box.getArrayItem(3).getNumericValue();
        QPDFObjectHandle unit = page.getObjectHandle().getKey("/UserUnit");
        if (unit.isNumber())
            info.userUnit = unit.getNumericValue();
        for (auto& [name, image] : page.getImages())
            info.image = image;
        pages.push_back(info);
    }
    return pages;
}

Picture render(const std::string& pdf, int page, int dpi) {
    Picture picture;
    const std::string prefix = pdf + ".render";
    const std::string command = "pdftoppm -singlefile -r " + std::to_string(dpi) + " -f " +
                                std::to_string(page) + " -l " + std::to_string(page) + " '" + pdf +
                                "' '" + prefix + "' 2>/dev/null";
    if (std::system(command.c_str()) != 0)
        return picture;
    std::ifstream in(prefix + ".ppm", std::ios::binary);
    std::string magic;
    int maxValue = 0;
    in >> magic >> picture.width >> picture.height >> maxValue;
    in.get();
    if (magic != "P6" || maxValue != 255)
        return Picture{};
    picture.rgb.resize(static_cast<std::size_t>(picture.width * picture.height * 3));
    in.read(reinterpret_cast<char*>(picture.rgb.data()),
            static_cast<std::streamsize>(picture.rgb.size()));
    std::filesystem::remove(prefix + ".ppm");
    return picture;
}

} // namespace pw::pdftool::test
