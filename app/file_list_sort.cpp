#include "app/file_list.h"

namespace pw::app {

void FileList::sort() {
    model_.sort();
    announceNoSelection();
}

} // namespace pw::app
