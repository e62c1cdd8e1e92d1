#pragma once
// A scratch folder standing for the program's folder and the user's home for one test.
#include "platform/paths.h"
#include "temp_folder.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <stdexcept>
#include <string>
#include <unistd.h>

namespace pw::test {

class TempHome {
public:
    TempHome() : folder_("pw-settings") {
        if (!folder_.ok())
            throw std::runtime_error("no temporary folder");
        root = folder_.path();
        app = folder_ / "app";
        home = folder_ / "home";
        std::filesystem::create_directories(app);
        std::filesystem::create_directories(home);
        const char* oldHome = std::getenv("HOME");
        savedHome_ = oldHome != nullptr ? oldHome : "";
        setenv("HOME", home.c_str(), 1);
        platform::setApplicationFolder(app);
    }
    ~TempHome() {
        platform::setApplicationFolder("");
        setenv("HOME", savedHome_.c_str(), 1);
    }
    TempHome(const TempHome&) = delete;
    TempHome& operator=(const TempHome&) = delete;

    static void write(const std::string& path, const std::string& text) {
        std::ofstream(path, std::ios::binary) << text;
    }
    static std::string read(const std::string& path) {
        std::ifstream file(path, std::ios::binary);
        std::string text, line;
        char c;
        while (file.get(c))
            text += c;
        return text;
    }

    std::string root, app, home;

private:
    TempFolder folder_;
    std::string savedHome_;
};

} // namespace pw::test
