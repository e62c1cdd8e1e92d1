#include "app/path_intake.h"

#include "app/folder_scan.h"
#include "app/narrow_files.h"
#include "app/picture_list_model.h"
#include "app/picture_names.h"

#include <filesystem>
#include <optional>
#include <system_error>

namespace pw::app {

PathIntake takeNamedPath(const std::string& path, PictureListModel& list,
                         platform::MessagePump& pump, bool folderPdfs) {
    namespace fs = std::filesystem;
    std::error_code error; // a path that cannot be examined is neither folder nor file
    const fs::file_status status = fs::status(path, error);
    if (fs::is_directory(status)) {
        bool fits = true;
        SearchFolder(
            path, [&](const std::string& found) { fits = list.append(found, found) && fits; }, pump,
            folderPdfs);
        return fits ? PathIntake::Folder : PathIntake::Full;
    }
    if (!fs::exists(status))
        return PathIntake::Missing;
    // A device or a pipe named like a picture would stall the job that reads it.
    if (!fs::is_regular_file(status) || !hasPictureExtension(path))
        return PathIntake::NotAPicture;
    if (list.isFull())
        return PathIntake::Full;
    if (NarrowFileExists(path)) {
        list.append(path, path);
        return PathIntake::Picture;
    }
    ensureScratchFolder(); // a failure shows as a failed copy
    const std::optional<std::string> copy = makeScratchCopy(path, path);
    if (!copy)
        return PathIntake::NotCopied;
    list.append(*copy, path);
    return PathIntake::Picture;
}

} // namespace pw::app
