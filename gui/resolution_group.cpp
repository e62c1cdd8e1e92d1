#include "gui/resolution_group.h"

#include "jobfiles/max_dpi_text.h"

#include <QCheckBox>
#include <QHBoxLayout>
#include <QSpinBox>

namespace pw::gui {

ResolutionGroup::ResolutionGroup(QWidget* parent)
    : QGroupBox(QStringLiteral("Resolution"), parent) {
    setObjectName(QStringLiteral("grpResolution"));
    auto* row = new QHBoxLayout(this);
    chkMaxDpi = new QCheckBox(QStringLiteral("Reduce to at most"), this);
    chkMaxDpi->setObjectName(QStringLiteral("chkMaxDpi"));
    chkMaxDpi->setToolTip(QStringLiteral(
        "At a quality, pictures shown finer than this on their page are scaled down to it "
        "(JPEG files then re-encoded); lossless pages and black-and-white pictures keep theirs"));
    spnMaxDpi = new QSpinBox(this);
    spnMaxDpi->setObjectName(QStringLiteral("spnMaxDpi"));
    spnMaxDpi->setRange(jobfiles::kMinMaxDpi, jobfiles::kMaxMaxDpi);
    spnMaxDpi->setValue(300);
    spnMaxDpi->setSuffix(QStringLiteral(" dpi"));
    spnMaxDpi->setEnabled(false);
    row->addWidget(chkMaxDpi);
    row->addWidget(spnMaxDpi);
    row->addStretch(1);
    connect(chkMaxDpi, &QCheckBox::toggled, spnMaxDpi, &QSpinBox::setEnabled);
    connect(chkMaxDpi, &QCheckBox::toggled, this, &ResolutionGroup::changed);
    connect(spnMaxDpi, &QSpinBox::valueChanged, this, &ResolutionGroup::changed);
}

int ResolutionGroup::maxDpi() const {
    return chkMaxDpi->isChecked() ? spnMaxDpi->value() : 0;
}

void ResolutionGroup::setMaxDpi(int dpi) {
    const QSignalBlocker blockBox(chkMaxDpi);
    const QSignalBlocker blockValue(spnMaxDpi);
    if (dpi > 0)
        spnMaxDpi->setValue(dpi);
    chkMaxDpi->setChecked(dpi > 0);
    spnMaxDpi->setEnabled(dpi > 0);
    emit changed();
}

} // namespace pw::gui
