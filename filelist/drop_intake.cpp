#include "filelist/drop_intake.h"

#include "filelist/engine_view.h"
#include "filelist/file_list.h"
#include "filelist/front_view.h"
#include "filelist/narrow_files.h"
#include "filelist/picture_names.h"
#include "platform/narrow.h"

#include <QByteArray>
#include <QMimeData>
#include <QUrl>
#include <optional>

namespace pw {

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

void AddDroppedWideFiles(const QMimeData* data, FileList& list) {
    for (const std::string& name : droppedFileNames(data)) {
        if (list.isFull())
            return;
        if (NarrowFileExists(name)) {
            list.append(name, name);
            continue;
        }
        const std::string narrow = os::toNarrow(name);
        const std::optional<std::string> copy = makeScratchCopy(name, narrow);
        if (copy)
            list.append(*copy, narrow);
    }
}

DropIntake::DropIntake(FileList& list, FrontView& front, EngineView& engine)
    : list_(list), front_(front), engine_(engine) {}

void DropIntake::hideHintWhenFilled() {
    if (!list_.isEmpty())
        front_.setHintVisible(false);
}

void DropIntake::addPictures(const QMimeData* data) {
    for (const std::string& name : droppedFileNames(data)) {
        if (hasPictureExtension(name))
            list_.append(name, name);
    }
}

void DropIntake::List2_OLEDragOver() {
    front_.setHintVisible(false);
}

void DropIntake::List2_OLEDragDrop(const QMimeData* data) {
    ensureScratchFolder(); // a failure shows as failed copies, which still add their entries
    AddDroppedWideFiles(data, list_);
    hideHintWhenFilled();
}

void DropIntake::picDoor_OLEDragDrop(const QMimeData* data) {
    front_.hideWelcomePanel();
    List2_OLEDragDrop(data);
}

void DropIntake::picText_OLEDragDrop(const QMimeData* data) {
    addPictures(data);
    hideHintWhenFilled();
}

void DropIntake::EnginePicDoor_OLEDragDrop(const QMimeData* data) {
    engine_.hideDropPanel();
    addPictures(data);
    hideHintWhenFilled();
}

} // namespace pw
