#pragma once
// The Setting window's "Searchable text" group: text recognition, its languages from the
// installed language data, and turning pages upright by their text.
#include "jobfiles/job_options.h"

#include <QGroupBox>

class QCheckBox;
class QComboBox;
class QLabel;

namespace pw::gui {

class TextGroup : public QGroupBox {
    Q_OBJECT
public:
    explicit TextGroup(QWidget* parent = nullptr);

    void setOptions(const jobfiles::JobOptions& options);
    // Sets the recognition options of `options` from the controls.
    void applyTo(jobfiles::JobOptions& options) const;

    QCheckBox* chkOcr = nullptr;
    QComboBox* cmbLanguage = nullptr; // installed languages; "deu+eng" may be typed
    QCheckBox* chkAutoRotate = nullptr;
    QLabel* lblReason = nullptr; // why an option is off or will not work; hidden otherwise

signals:
    void changed();

private:
    void showReason();
};

} // namespace pw::gui
