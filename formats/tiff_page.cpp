#include "formats/tiff_page.h"

#include <tiffio.h>

namespace pw::pdftool {

bool SelectTiffPage(TIFF* tiff, int& current, int page) {
    if (tiff == nullptr || page < 1) {
        current = 0;
        return false;
    }
    if (current >= 1 && current < page) {
        while (current < page && TIFFReadDirectory(tiff) == 1)
            ++current;
        if (current == page)
            return true;
        // A damaged directory on the way: the long way decides, as for any other page.
    }
    // The current page too is read again, as its data may have been read since.
    const bool reached = TIFFSetDirectory(tiff, static_cast<tdir_t>(page - 1)) == 1;
    current = reached ? page : 0;
    return reached;
}

} // namespace pw::pdftool
