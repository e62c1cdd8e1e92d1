#include "gui/pdf_page_counter.h"

#include "formats/pdf_document.h"
#include "pictures/picture_kinds.h"

namespace pw::gui {

PdfPageCounter::PdfPageCounter(QObject* parent) : QObject(parent) {
    pool_.setMaxThreadCount(1);
}

PdfPageCounter::~PdfPageCounter() {
    pool_.clear(); // the files not started
    // What the worker still delivers is dropped with this object's posted events.
    pool_.waitForDone();
}

std::optional<std::size_t> PdfPageCounter::find(const std::string& workingPath) {
    if (const auto found = counts_.find(workingPath); found != counts_.end())
        return found->second;
    if (!asked_.insert(workingPath).second)
        return std::nullopt;
    pool_.start([this, path = workingPath] {
        // The page tree only, each page let go once counted.
        const std::size_t pages =
            pictures::isPdfFile(path) ? formats::countPdfPages(path, "").pages : 0;
        QMetaObject::invokeMethod(
            this,
            [this, path, pages] {
                counts_[path] = pages;
                asked_.erase(path);
                emit counted();
            },
            Qt::QueuedConnection);
    });
    return std::nullopt;
}

} // namespace pw::gui
