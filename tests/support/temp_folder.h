#pragma once
// A fresh folder under the system's temporary folder, removed with everything in it when the
// helper goes out of scope.
#include <cstdlib>
#include <filesystem>
#include <string>

namespace pw::test {

class TempFolder {
public:
    explicit TempFolder(const std::string& prefix = "pw-test") {
        std::string pattern =
            (std::filesystem::temp_directory_path() / (prefix + "-XXXXXX")).string();
        if (mkdtemp(pattern.data()) != nullptr)
            path_ = pattern;
    }
    ~TempFolder() {
        if (path_.empty())
            return;
        std::error_code ignored;
        std::filesystem::remove_all(path_, ignored);
    }
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    bool ok() const { return !path_.empty(); }
    const std::string& path() const { return path_; }
    std::string operator/(const std::string& name) const { return path_ + "/" + name; }

private:
    std::string path_;
};

} // namespace pw::test
