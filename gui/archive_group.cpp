#include "gui/archive_group.h"

#include <QComboBox>
#include <QHBoxLayout>

namespace pw::gui {

ArchiveGroup::ArchiveGroup(QWidget* parent) : QGroupBox(QStringLiteral("Archive (PDF/A)"), parent) {
    setObjectName(QStringLiteral("grpArchive"));
    auto* row = new QHBoxLayout(this);
    cmbPdfa = new QComboBox(this);
    cmbPdfa->setObjectName(QStringLiteral("cmbPdfa"));
    // In the order of jobfiles::PdfaLevel.
    cmbPdfa->addItem(QStringLiteral("Off"));
    cmbPdfa->addItem(QStringLiteral("PDF/A-2b"));
    cmbPdfa->addItem(QStringLiteral("PDF/A-1b"));
    cmbPdfa->setToolTip(QStringLiteral(
        "PDF/A-2b keeps transparency and 16-bit samples; PDF/A-1b (PDF 1.4) lays transparent "
        "parts on white and keeps 8 bits. Neither allows a password."));
    row->addWidget(cmbPdfa);
    row->addStretch(1);
    connect(cmbPdfa, &QComboBox::currentIndexChanged, this, &ArchiveGroup::changed);
}

jobfiles::PdfaLevel ArchiveGroup::level() const {
    return static_cast<jobfiles::PdfaLevel>(cmbPdfa->currentIndex());
}

void ArchiveGroup::setLevel(jobfiles::PdfaLevel level) {
    cmbPdfa->setCurrentIndex(static_cast<int>(level));
}

} // namespace pw::gui
