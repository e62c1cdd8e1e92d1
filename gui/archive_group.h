#pragma once
// The Setting window's "Archive (PDF/A)" group: Off, PDF/A-2b or PDF/A-1b, kept by Save.
#include "jobfiles/job_options.h"

#include <QGroupBox>

class QComboBox;

namespace pw::gui {

class ArchiveGroup : public QGroupBox {
    Q_OBJECT
public:
    explicit ArchiveGroup(QWidget* parent = nullptr);

    jobfiles::PdfaLevel level() const;
    void setLevel(jobfiles::PdfaLevel level);

    QComboBox* cmbPdfa = nullptr;

signals:
    void changed();
};

} // namespace pw::gui
