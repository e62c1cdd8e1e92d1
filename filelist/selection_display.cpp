#include "filelist/selection_display.h"

#include "filelist/file_list.h"
#include "filelist/front_view.h"
#include "filelist/picture_list_view.h"
#include "filelist/picture_names.h"

namespace pw {
namespace {

constexpr int kShownWhole = 40;

int characterCount(const std::string& utf8) {
    int n = 0;
    for (const char c : utf8) {
        if ((static_cast<unsigned char>(c) & 0xC0) != 0x80)
            ++n;
    }
    return n;
}

} // namespace

std::string pageNumberText(int row, int count) {
    if (count <= 0)
        return "Page Number: 0";
    if (row < 0)
        row = -1;
    return "Page Number: " + std::to_string(row + 1) + " of " + std::to_string(count);
}

std::string filenameLabelText(const std::string& rowText) {
    if (characterCount(rowText) > kShownWhole)
        return "..." + lastCharacters(rowText, kShownWhole);
    return rowText;
}

SelectionDisplay::SelectionDisplay(PictureListView* list1, PictureListView* list2, FrontView& front,
                                   QObject* parent)
    : QObject(parent), list1_(list1), list2_(list2), front_(front) {
    connect(list1_, &PictureListView::currentRowChanged, this, [this] { List1_Click(); });
    connect(list2_, &PictureListView::currentRowChanged, this, [this] { List2_Click(); });
    // A Ctrl+click takes the highlight away without moving the current row.
    connect(list2_, &PictureListView::highlightChanged, this, [this] { List2_Click(); });
    connect(list2_, &PictureListView::countChanged, this, [this] { showCount(); });
}

void SelectionDisplay::showCount() {
    front_.setPageText(pageNumberText(list2_->highlightedRow(), list2_->count()));
}

void SelectionDisplay::List1_Click() {
    show(list1_);
}

void SelectionDisplay::List2_Click() {
    show(list2_);
}

void SelectionDisplay::show(const PictureListView* list) {
    const int row = list->highlightedRow();
    front_.setPageText(pageNumberText(row, list->count()));
    const std::string text = row >= 0 ? list->text(row).toStdString() : "";
    front_.setFilenameText(filenameLabelText(text));
    front_.setFilenameToolTip(text);
}

} // namespace pw
