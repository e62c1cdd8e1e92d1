#pragma once
// The Setting window's "Pictures per sheet" group: how many pictures share a sheet of paper
// (a grid of cells filled row by row) and the gap between them.
#include "jobfiles/job_options.h"

#include <QGroupBox>

class QComboBox;
class QDoubleSpinBox;
class QLabel;

namespace pw::gui {

class SheetGroup : public QGroupBox {
    Q_OBJECT
public:
    explicit SheetGroup(QWidget* parent = nullptr);

    // `layout` with this group's grid and gap.
    jobfiles::PageLayout applied(jobfiles::PageLayout layout) const;
    void setValues(const jobfiles::PageLayout& layout);
    // Sheets are paper: without a paper size the group is off.
    void setPaper(bool paper);

    QComboBox* cmbPerSheet = nullptr; // item data: columns * 100 + rows
    QLabel* lblGap = nullptr;
    QDoubleSpinBox* spnGap = nullptr; // millimetres

signals:
    // A value was changed, by the user or by setValues.
    void changed();

private:
    void enableGap();
};

} // namespace pw::gui
