// Runs Add Folder's search (BrowseFolderAndSearch with the folder answered in advance) into
// real list widgets, with the visible list shown and Qt's event loop run twice per entry as
// in the program, and prints "<entries> <milliseconds>" (best of runs).
//   filelist_bench <folder> [runs]
#include "app/engine_view.h"
#include "app/file_list.h"
#include "app/folder_scan.h"
#include "app/front_view.h"
#include "gui/file_list_boxes.h"
#include "gui/picture_list_view.h"
#include "gui/qt_pump.h"
#include "platform/prompts.h"

#include <QApplication>
#include <QElapsedTimer>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

// Answers the folder browser with one folder; nothing else is asked.
class FolderAnswer : public pw::platform::Prompts {
public:
    explicit FolderAnswer(std::string folder) : folder_(std::move(folder)) {}
    pw::platform::Answer messageBox(const std::string&, const std::string&, pw::platform::Buttons,
                                    pw::platform::Icon, const std::string& = {}) override {
        return pw::platform::Answer::Ok;
    }
    bool openFile(const pw::platform::FileDialogRequest&,
                  pw::platform::FileDialogResult&) override {
        return false;
    }
    bool saveFile(const pw::platform::FileDialogRequest&,
                  pw::platform::FileDialogResult&) override {
        return false;
    }
    bool browseFolder(const std::string&, std::string& folder) override {
        folder = folder_;
        return true;
    }
    bool chooseColor(std::uint32_t, std::uint32_t&) override { return false; }

private:
    std::string folder_;
};

struct QuietFront : pw::app::FrontView {
    void setHintVisible(bool) override {}
    void setHintText(const std::string&) override {}
    void setPageText(const std::string&) override {}
    void setFilenameText(const std::string&) override {}
    void setFilenameToolTip(const std::string&) override {}
    void setFrontLocked(bool) override {}
    void hideWelcomePanel() override {}
    void repaint() override {}
};

struct QuietEngine : pw::app::EngineView {
    void hideDropPanel() override {}
    void repaint() override {}
    void showRemoveMenu() override {}
    void openUrl(const std::string&) override {}
    void exitApplication() override {}
};

} // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: %s <folder> [runs]\n", argv[0]);
        return 2;
    }
    QApplication app(argc, argv);
    const int runs = argc > 2 ? std::max(1, std::atoi(argv[2])) : 1;
    pw::gui::PictureListView list1;
    pw::gui::PictureListView list2;
    pw::app::FileList list;
    pw::gui::FileListBoxes boxes(list, &list1, &list2);
    list2.resize(500, 300);
    list2.show();
    FolderAnswer prompts(argv[1]);
    QuietFront front;
    QuietEngine engine;
    pw::gui::QtMessagePump pump;
    qint64 best = -1;
    for (int run = 0; run < runs; ++run) {
        list.clear();
        pump.pumpOnce();
        QElapsedTimer timer;
        timer.start();
        pw::app::BrowseFolderAndSearch(prompts, list, front, engine, pump);
        pump.pumpOnce(); // the list's one repaint at the end
        const qint64 elapsed = timer.elapsed();
        if (best < 0 || elapsed < best)
            best = elapsed;
    }
    std::printf("%d %lld\n", list.count(), static_cast<long long>(best));
    return 0;
}
