#include "filelist/opened_paths.h"

#include "filelist/file_list.h"
#include "filelist/folder_scan.h"
#include "filelist/front_view.h"
#include "filelist/path_intake.h"

namespace pw {

void AddOpenedPaths(const std::vector<std::string>& paths, FileList& list, FrontView& front,
                    os::MessagePump& pump) {
    // Searching a folder pumps messages: the front stays locked meanwhile, as for Add Folder,
    // so no Convert runs on half a list.
    front.setHintVisible(true);
    front.setHintText(kSearchingText);
    front.setFrontLocked(true);
    list.pauseDisplay(true);
    const PictureListModel::Edit edit(list.model()); // handed over together, undone together
    for (const std::string& path : paths) {
        if (list.isFull())
            break;
        TakeNamedPath(path, list.model(), pump); // what is no picture is passed over
    }
    list.pauseDisplay(false);
    front.setFrontLocked(false);
    front.setHintText(kDropHintText);
    front.setHintVisible(list.isEmpty());
}

} // namespace pw
