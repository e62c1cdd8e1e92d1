#pragma once
// The front window's display of the selected row: lblPage and lblFilename.
#include <QObject>
#include <string>

namespace pw {

class FrontView;
class PictureListView;

// "Page Number: " + the 1-based row + " of " + the count; row -1 (nothing selected) counts
// 0 ("Page Number: 0 of 12"), and an empty list gives "Page Number: 0".
std::string pageNumberText(int row, int count);
// The row's text, or "..." + its last 40 characters when it is 41 characters or longer.
std::string filenameLabelText(const std::string& rowText);

// Runs List1_Click / List2_Click whenever the current row of that list changes, by a click
// or from code, and writes both labels through the front view; the page label follows the
// count too.
class SelectionDisplay : public QObject {
    Q_OBJECT
public:
    SelectionDisplay(PictureListView* list1, PictureListView* list2, FrontView& front,
                     QObject* parent = nullptr);

    void List1_Click();
    void List2_Click();

private:
    void show(const PictureListView* list);
    void showCount();

    PictureListView* list1_;
    PictureListView* list2_;
    FrontView& front_;
};

} // namespace pw
