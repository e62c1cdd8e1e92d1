#pragma once
// Shared set-up of the file-list tests: an offscreen QApplication, real list widgets,
// recording views, scripted prompts and a per-test XDG_CACHE_HOME.
#include "app/engine_view.h"
#include "app/file_list.h"
#include "app/front_view.h"
#include "app/last_folder.h"
#include "app/tool_commands.h"
#include "counting_pump.h"
#include "fake_prompts.h"
#include "gui/file_list_boxes.h"
#include "gui/picture_list_view.h"
#include "gui/selection_display.h"
#include "platform/narrow.h"

#include <QApplication>
#include <QTemporaryDir>
#include <cstdlib>
#include <fstream>
#include <gtest/gtest.h>
#include <memory>
#include <string>
#include <vector>

namespace pw::test {

inline QApplication& app() {
    static int argc = 1;
    static char name[] = "filelist_tests";
    static char* argv[] = {name, nullptr};
    static QApplication* instance = new QApplication(argc, argv);
    return *instance;
}

struct RecordingFront : app::FrontView {
    bool hintVisible = true;
    std::string hintText = app::kDropHintText;
    std::string pageText = app::kNoPageText;
    std::string filenameText;
    std::string filenameToolTip;
    bool locked = false;
    bool welcomeHidden = false;
    int repaints = 0;
    int lockCalls = 0;

    void setHintVisible(bool visible) override { hintVisible = visible; }
    void setHintText(const std::string& text) override { hintText = text; }
    void setPageText(const std::string& text) override { pageText = text; }
    void setFilenameText(const std::string& text) override { filenameText = text; }
    void setFilenameToolTip(const std::string& path) override { filenameToolTip = path; }
    void setFrontLocked(bool value) override {
        locked = value;
        ++lockCalls;
    }
    void hideWelcomePanel() override { welcomeHidden = true; }
    void repaint() override { ++repaints; }
};

struct RecordingEngine : app::EngineView {
    int dropPanelHides = 0;
    int repaints = 0;
    int removeMenus = 0;
    int converts = 0;
    int exits = 0;
    std::vector<std::string> urls;

    void hideDropPanel() override { ++dropPanelHides; }
    void repaint() override { ++repaints; }
    void showRemoveMenu() override { ++removeMenus; }
    void openUrl(const std::string& url) override { urls.push_back(url); }
    void exitApplication() override { ++exits; }
};

inline void writeFile(const std::string& path, const std::string& content = "x") {
    std::ofstream out(path, std::ios::binary);
    out << content;
}

class FileListTest : public ::testing::Test {
protected:
    FileListTest()
        : list1_((app(), new gui::PictureListView)), list2_(new gui::PictureListView),
          boxes(list, list1_.get(), list2_.get()), lastFolder(settingsPath()),
          commands(list, front, engine, lastFolder, prompts, pump),
          display(list1_.get(), list2_.get(), front) {
        EXPECT_TRUE(temp.isValid());
        setenv("XDG_CACHE_HOME", cacheHome().c_str(), 1);
        platform::setNarrowCodec(platform::NarrowCodec::Utf8);
    }
    ~FileListTest() override {
        platform::setNarrowCodec(platform::NarrowCodec::Locale);
        unsetenv("XDG_CACHE_HOME");
    }

    std::string root() const { return temp.path().toStdString(); }
    std::string cacheHome() const { return root() + "/cache"; }
    std::string scratch() const { return cacheHome() + "/pagewright/tmp"; }
    std::string settingsPath() const { return root() + "/setting.dll"; }
    // A file in the temporary folder, created; returns its path.
    std::string file(const std::string& name) {
        const std::string path = root() + "/" + name;
        writeFile(path);
        return path;
    }

    std::vector<std::string> working() const {
        std::vector<std::string> paths;
        for (int i = 0; i < list.count(); ++i)
            paths.push_back(list.workingPath(i));
        return paths;
    }
    std::vector<std::string> shown() const {
        std::vector<std::string> paths;
        for (int i = 0; i < list2_->count(); ++i)
            paths.push_back(list2_->text(i).toStdString());
        return paths;
    }
    void fill(const std::vector<std::string>& paths) {
        for (const std::string& path : paths)
            list.append(path, "shown:" + path);
    }

    QTemporaryDir temp;
    std::unique_ptr<gui::PictureListView> list1_;
    std::unique_ptr<gui::PictureListView> list2_;
    app::FileList list;
    gui::FileListBoxes boxes;
    RecordingFront front;
    RecordingEngine engine;
    FakePrompts prompts;
    CountingPump pump;
    app::LastFolder lastFolder;
    app::ToolCommands commands;
    gui::SelectionDisplay display;
};

} // namespace pw::test
