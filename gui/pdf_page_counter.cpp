#include "gui/pdf_page_counter.h"

#include "formats/pdf_document.h"
#include "pictures/picture_kinds.h"

namespace pw::gui {

PdfPageCounter::PdfPageCounter(QObject* parent) : QObject(parent) {
    pool_.setMaxThreadCount(1);
}

PdfPageCounter::~PdfPageCounter() {
    {
        const std::lock_guard<std::mutex> lock(mutex_);
        stopping_ = true;
        waiting_.clear();
    }
    // What the worker still delivers is dropped with this object's posted events.
    pool_.waitForDone();
}

std::optional<std::size_t> PdfPageCounter::find(const std::string& workingPath) {
    if (const auto found = counts_.find(workingPath); found != counts_.end())
        return found->second;
    if (!asked_.insert(workingPath).second)
        return std::nullopt;
    bool start = false;
    {
        const std::lock_guard<std::mutex> lock(mutex_);
        waiting_.push_back(workingPath);
        start = !working_;
        working_ = true;
    }
    if (start)
        pool_.start([this] { work(); });
    return std::nullopt;
}

void PdfPageCounter::work() {
    for (;;) {
        std::string path;
        {
            const std::lock_guard<std::mutex> lock(mutex_);
            if (stopping_ || waiting_.empty()) {
                working_ = false;
                return;
            }
            path = std::move(waiting_.front());
            waiting_.pop_front();
        }
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
    }
}

} // namespace pw::gui
