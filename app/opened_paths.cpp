#include "app/opened_paths.h"

#include "app/file_list.h"
#include "app/folder_scan.h"
#include "app/front_view.h"
#include "app/path_intake.h"

namespace pw::app {

void addOpenedPaths(const std::vector<std::string>& paths, FileList& list, FrontView& front,
                    platform::MessagePump& pump) {
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
        takeNamedPath(path, list.model(), pump); // what is no picture is passed over
    }
    list.pauseDisplay(false);
    front.setFrontLocked(false);
    front.setHintText(kDropHintText);
    front.setHintVisible(list.isEmpty());
}

} // namespace pw::app
