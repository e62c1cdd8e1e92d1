#pragma once
// Runs pdf.exe on a temporary staging folder and looks into what it wrote.
#include "jobfiles/job_options.h"
#include "temp_folder.h"

#include <qpdf/QPDF.hh>
#include <qpdf/QPDFObjectHandle.hh>
#include <string>
#include <vector>

namespace pw::pdftool::test {

// A temporary stand-in for drive C:, removed with everything in it.
class Stage {
public:
    Stage();
    ~Stage();
    Stage(const Stage&) = delete;
    Stage& operator=(const Stage&) = delete;
    std::string cache() const { return root_.path(); }
    std::string folder() const { return root_ / "pagewright/quillon_tmp"; }
    std::string path(const std::string& name) const { return folder() + "/" + name; }
    std::string pdf() const { return path("tmp.pdf"); }

private:
    pw::test::TempFolder root_;
};

struct ToolRun {
    int exitCode = -1;
    std::string output; // stdout and stderr joined, as the program reads them
};
ToolRun runPdfExe(const Stage& stage, const std::string& arguments = "/NOASK");
// runPdfExe with A4 paper and pictures split over pages (SplitTall=yes).
ToolRun runSplitOnA4(const Stage& stage, double marginMm = 0, double overlapMm = 0,
                     pw::jobfiles::Orientation orientation = pw::jobfiles::Orientation::Automatic);

std::string readFile(const std::string& path);
bool writeFile(const std::string& path, const std::string& data);

// Exit code of `qpdf --check`: 0 means no errors and no warnings.
int qpdfCheck(const std::string& pdf);

struct PageInfo {
    double width = 0;
    double height = 0;
    double userUnit = 1;
    QPDFObjectHandle image; // the page's image XObject
};
std::vector<PageInfo> pagesOf(QPDF& pdf);

struct Picture {
    int width = 0;
    int height = 0;
    std::vector<unsigned char> rgb;
    const unsigned char* at(int x, int y) const {
        return &rgb[static_cast<std::size_t>((y * width + x) * 3)];
    }
};
// Page `page` (1-based) rendered by pdftoppm at `dpi`.
Picture render(const std::string& pdf, int page, int dpi);

} // namespace pw::pdftool::test
