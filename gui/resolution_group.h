#pragma once
// The Setting window's "Resolution" group: the ceiling pictures are scaled down to at a
// quality ("Reduce to at most N dpi"), off by default.
#include <QGroupBox>

class QCheckBox;
class QSpinBox;

namespace pw::gui {

class ResolutionGroup : public QGroupBox {
    Q_OBJECT
public:
    explicit ResolutionGroup(QWidget* parent = nullptr);

    // The ceiling in dots per inch, 0 when off.
    int maxDpi() const;
    void setMaxDpi(int dpi);

    QCheckBox* chkMaxDpi = nullptr;
    QSpinBox* spnMaxDpi = nullptr;

signals:
    // The ceiling was changed, by the user or by setMaxDpi.
    void changed();
};

} // namespace pw::gui
