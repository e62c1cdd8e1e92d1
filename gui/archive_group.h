#pragma once
// The Setting window's "Archive (PDF/A)" group: Off, PDF/A-2b or PDF/A-1b, and beside it how
// black-and-white pages are coded (JBIG2, or Group 4 for readers without JBIG2); kept by Save.
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
    jobfiles::BilevelCoding bilevel() const;
    void setBilevel(jobfiles::BilevelCoding coding);

    QComboBox* cmbPdfa = nullptr;
    QComboBox* cmbBilevel = nullptr;

signals:
    void changed();
};

} // namespace pw::gui
