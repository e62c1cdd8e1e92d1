#include "app/drop_intake.h"

#include "app/engine_view.h"
#include "app/file_list.h"
#include "app/folder_scan.h"
#include "app/front_view.h"
#include "app/narrow_files.h"
#include "app/picture_names.h"
#include "platform/narrow.h"

#include <QByteArray>
#include <QMimeData>
#include <QUrl>
#include <algorithm>
#include <filesystem>
#include <optional>
#include <system_error>

namespace pw::app {

std::vector<std::string> droppedFileNames(const QMimeData* data) {
    std::vector<std::string> names;
    if (data == nullptr || !data->hasUrls())
        return names;
    for (const QUrl& url : data->urls()) {
        if (!url.isLocalFile())
            continue;
        // The path's own bytes: toLocalFile() turns a name that is not valid UTF-8 into
        // replacement characters, which name no file.
        if (url.host().isEmpty())
            names.push_back(QByteArray::fromPercentEncoding(url.path(QUrl::FullyEncoded).toLatin1())
                                .toStdString());
        else
            names.push_back(url.toLocalFile().toStdString());
    }
    return names;
}

namespace {

bool isFolder(const std::string& name) {
    std::error_code error; // a name that cannot be examined is taken as a file
    return std::filesystem::is_directory(name, error);
}

void addEveryFile(const std::vector<std::string>& names, FileList& list,
                  platform::MessagePump& pump) {
    for (const std::string& name : names) {
        if (list.isFull())
            return;
        if (isFolder(name)) {
            SearchFolder(name, list, pump);
            continue;
        }
        if (NarrowFileExists(name)) {
            list.append(name, name);
            continue;
        }
        const std::string narrow = platform::toNarrow(name);
        const std::optional<std::string> copy = makeScratchCopy(name, narrow);
        if (copy)
            list.append(*copy, narrow);
    }
}

void addPictures(const std::vector<std::string>& names, FileList& list,
                 platform::MessagePump& pump) {
    for (const std::string& name : names) {
        if (isFolder(name))
            SearchFolder(name, list, pump);
        else if (hasPictureExtension(name))
            list.append(name, name);
    }
}

} // namespace

void addDroppedWideFiles(const QMimeData* data, FileList& list, platform::MessagePump& pump) {
    addEveryFile(droppedFileNames(data), list, pump);
}

DropIntake::DropIntake(FileList& list, FrontView& front, EngineView& engine,
                       platform::MessagePump& pump)
    : list_(list), front_(front), engine_(engine), pump_(pump) {}

void DropIntake::hideHintWhenFilled() {
    if (!list_.isEmpty())
        front_.setHintVisible(false);
}

void DropIntake::take(const QMimeData* data, bool everyFile) {
    const std::vector<std::string> names = droppedFileNames(data);
    const PictureListModel::Edit edit(list_.model()); // the whole drop undoes as one
    // Searching pumps messages: as for Add Folder, the front stays locked meanwhile, so no
    // Convert runs on half a list.
    const bool searching = std::any_of(names.begin(), names.end(), isFolder);
    if (searching) {
        front_.setHintVisible(true);
        front_.setHintText(kSearchingText);
        front_.setFrontLocked(true);
        list_.pauseDisplay(true);
    }
    if (everyFile)
        addEveryFile(names, list_, pump_);
    else
        addPictures(names, list_, pump_);
    if (searching) {
        list_.pauseDisplay(false);
        front_.setFrontLocked(false);
        front_.setHintText(kDropHintText);
        front_.setHintVisible(list_.isEmpty());
    }
    hideHintWhenFilled();
}

void DropIntake::List2_OLEDragOver() {
    front_.setHintVisible(false);
}

void DropIntake::List2_OLEDragDrop(const QMimeData* data) {
    ensureScratchFolder(); // a failure shows as failed copies, which still add their entries
    take(data, true);
}

void DropIntake::picDoor_OLEDragDrop(const QMimeData* data) {
    front_.hideWelcomePanel();
    List2_OLEDragDrop(data);
}

void DropIntake::picText_OLEDragDrop(const QMimeData* data) {
    take(data, false);
}

void DropIntake::EnginePicDoor_OLEDragDrop(const QMimeData* data) {
    engine_.hideDropPanel();
    take(data, false);
}

} // namespace pw::app
