#include "gui/tall_group.h"

#include "gui/millimetres_box.h"
#include "jobfiles/page_layout_text.h"

#include <QCheckBox>
#include <QDoubleSpinBox>
#include <QHBoxLayout>
#include <QLabel>

namespace pw::gui {

TallGroup::TallGroup(QWidget* parent)
    : QGroupBox(QStringLiteral("Tall and wide pictures"), parent) {
    setObjectName(QStringLiteral("grpTall"));
    auto* row = new QHBoxLayout(this);
    chkSplitTall = new QCheckBox(QStringLiteral("Split over several pages"), this);
    chkSplitTall->setObjectName(QStringLiteral("chkSplitTall"));
    chkSplitTall->setToolTip(QStringLiteral(
        "With a paper size, a picture more than 1.5 times as tall as the page at its width "
        "(a long screenshot, a comic strip), or as wide as the landscape page at its height "
        "(a panorama), is laid over as many pages as it takes"));
    lblOverlap = new QLabel(QStringLiteral("Overlap:"), this);
    spnOverlap = MillimetresBox("spnOverlap", 0.0, jobfiles::kMaxOverlapMm, this);
    spnOverlap->setEnabled(false);
    row->addWidget(chkSplitTall);
    row->addWidget(lblOverlap);
    row->addWidget(spnOverlap);
    row->addStretch(1);
    connect(chkSplitTall, &QCheckBox::toggled, spnOverlap, &QDoubleSpinBox::setEnabled);
    connect(chkSplitTall, &QCheckBox::toggled, this, &TallGroup::changed);
    connect(spnOverlap, &QDoubleSpinBox::valueChanged, this, &TallGroup::changed);
}

jobfiles::PageLayout TallGroup::applied(jobfiles::PageLayout layout) const {
    layout.splitTall = chkSplitTall->isChecked();
    layout.overlapMm = spnOverlap->value();
    return layout;
}

void TallGroup::setValues(const jobfiles::PageLayout& layout) {
    const QSignalBlocker blockBox(chkSplitTall);
    const QSignalBlocker blockValue(spnOverlap);
    chkSplitTall->setChecked(layout.splitTall);
    spnOverlap->setValue(layout.overlapMm);
    spnOverlap->setEnabled(layout.splitTall);
    emit changed();
}

} // namespace pw::gui
