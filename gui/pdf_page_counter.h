#pragma once
// Page counts of the PDFs a list shows, read on a worker thread so that a long PDF, or a slow
// disk, never holds the window: a file's head is read to see whether it is a PDF, and a PDF's
// page tree walked, once per file.
#include <QObject>
#include <QThreadPool>
#include <cstddef>
#include <optional>
#include <string>
#include <unordered_map>
#include <unordered_set>

namespace pw::gui {

class PdfPageCounter : public QObject {
    Q_OBJECT
public:
    explicit PdfPageCounter(QObject* parent = nullptr);
    ~PdfPageCounter() override;

    // The page count of the file at `workingPath` when read (0: not a PDF, or one that cannot
    // be opened without its password); otherwise none, and it is read (once) behind the ones
    // asked for before.
    std::optional<std::size_t> find(const std::string& workingPath);
    // Counts asked for and not delivered yet.
    bool pending() const { return !asked_.empty(); }

signals:
    void counted();

private:
    std::unordered_map<std::string, std::size_t> counts_; // the window's thread only
    std::unordered_set<std::string> asked_;               // the same
    QThreadPool pool_; // one thread: it queues the files in the order asked
};

} // namespace pw::gui
