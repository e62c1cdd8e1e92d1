#include "filelist/file_list.h"

namespace pw {

bool FileList::sort(os::MessagePump& pump) {
    if (!model_.sort(pump))
        return false;
    announceNoSelection();
    return true;
}

} // namespace pw
