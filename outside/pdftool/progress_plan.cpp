#include "outside/pdftool/progress_plan.h"

namespace pw::pdftool {

bool announcesPage(std::size_t index, std::size_t total, std::size_t limit) {
    if (index >= total)
        return false;
    if (total <= limit)
        return true;
    // The page where the share index/total crosses the next multiple of 1/limit.
    return (index + 1) * limit / total > index * limit / total;
}

} // namespace pw::pdftool
