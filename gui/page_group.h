#pragma once
// The Setting window's "Page" group: paper size, orientation, margin and fit of the job.
#include "jobfiles/job_options.h"

#include <QGroupBox>

class QComboBox;
class QDoubleSpinBox;
class QLabel;

namespace pw::gui {

class PageGroup : public QGroupBox {
    Q_OBJECT
public:
    explicit PageGroup(QWidget* parent = nullptr);

    jobfiles::PageLayout pageLayout() const;
    void setPageLayout(const jobfiles::PageLayout& layout);

    QLabel* lblPageSize = nullptr;
    QComboBox* cmbPageSize = nullptr; // items in the order of jobfiles::PageSize
    QLabel* lblCustom = nullptr;
    QDoubleSpinBox* spnPageWidth = nullptr;
    QDoubleSpinBox* spnPageHeight = nullptr;
    QLabel* lblOrientation = nullptr;
    QComboBox* cmbOrientation = nullptr; // in the order of jobfiles::Orientation
    QLabel* lblMargin = nullptr;
    QDoubleSpinBox* spnMargin = nullptr;
    QLabel* lblFit = nullptr;
    QComboBox* cmbFit = nullptr; // in the order of jobfiles::Fit

signals:
    // Any of the values was changed, by the user or by setPageLayout.
    void changed();

private:
    // Orientation and fit apply to paper only, the custom sides to a custom size only.
    void enableByPageSize();
};

} // namespace pw::gui
