#pragma once
// The Setting window's "Tall and wide pictures" group: whether a picture much taller or wider
// than the paper is laid over several pages, and how much each page repeats of the one before.
#include "jobfiles/job_options.h"

#include <QGroupBox>

class QCheckBox;
class QDoubleSpinBox;
class QLabel;

namespace pw::gui {

class TallGroup : public QGroupBox {
    Q_OBJECT
public:
    explicit TallGroup(QWidget* parent = nullptr);

    // `layout` with this group's two values.
    jobfiles::PageLayout applied(jobfiles::PageLayout layout) const;
    void setValues(const jobfiles::PageLayout& layout);

    QCheckBox* chkSplitTall = nullptr;
    QLabel* lblOverlap = nullptr;
    QDoubleSpinBox* spnOverlap = nullptr; // millimetres

signals:
    // A value was changed, by the user or by setValues.
    void changed();
};

} // namespace pw::gui
