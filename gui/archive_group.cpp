#include "gui/archive_group.h"

#include <QComboBox>
#include <QHBoxLayout>
#include <QLabel>

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
    auto* bilevelLabel = new QLabel(QStringLiteral("Black and white:"), this);
    bilevelLabel->setObjectName(QStringLiteral("lblBilevel"));
    cmbBilevel = new QComboBox(this);
    cmbBilevel->setObjectName(QStringLiteral("cmbBilevel"));
    // In the order of jobfiles::BilevelCoding.
    cmbBilevel->addItem(QStringLiteral("JBIG2"));
    cmbBilevel->addItem(QStringLiteral("Group 4"));
    cmbBilevel->setToolTip(
        QStringLiteral("How black-and-white pages are stored, exactly either way: JBIG2 is about "
                       "a third smaller; CCITT Group 4 suits readers that know no JBIG2."));
    bilevelLabel->setBuddy(cmbBilevel);
    row->addWidget(cmbPdfa);
    row->addSpacing(12);
    row->addWidget(bilevelLabel);
    row->addWidget(cmbBilevel);
    row->addStretch(1);
    connect(cmbPdfa, &QComboBox::currentIndexChanged, this, &ArchiveGroup::changed);
    connect(cmbBilevel, &QComboBox::currentIndexChanged, this, &ArchiveGroup::changed);
}

jobfiles::PdfaLevel ArchiveGroup::level() const {
    return static_cast<jobfiles::PdfaLevel>(cmbPdfa->currentIndex());
}

void ArchiveGroup::setLevel(jobfiles::PdfaLevel level) {
    cmbPdfa->setCurrentIndex(static_cast<int>(level));
}

jobfiles::BilevelCoding ArchiveGroup::bilevel() const {
    return static_cast<jobfiles::BilevelCoding>(cmbBilevel->currentIndex());
}

void ArchiveGroup::setBilevel(jobfiles::BilevelCoding coding) {
    cmbBilevel->setCurrentIndex(static_cast<int>(coding));
}

} // namespace pw::gui
