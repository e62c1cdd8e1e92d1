#include "filelist/file_list.h"

namespace pw {

void FileList::sort() {
    model_.sort();
    announceNoSelection();
}

} // namespace pw
