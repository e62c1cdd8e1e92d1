#include "gui/page_group.h"

#include "gui/millimetres_box.h"
#include "jobfiles/page_layout_text.h"

#include <QComboBox>
#include <QDoubleSpinBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <algorithm>

namespace pw::gui {
namespace {

QLabel* makeLabel(const char* name, const char* text, QWidget* parent) {
    auto* label = new QLabel(QString::fromUtf8(text), parent);
    label->setObjectName(QString::fromUtf8(name));
    return label;
}

QComboBox* makeCombo(const char* name, std::initializer_list<const char*> items, QWidget* parent) {
    auto* combo = new QComboBox(parent);
    combo->setObjectName(QString::fromUtf8(name));
    for (const char* item : items)
        combo->addItem(QString::fromUtf8(item));
    return combo;
}

template <typename Enum> Enum itemOf(const QComboBox* combo) {
    return static_cast<Enum>(std::max(combo->currentIndex(), 0));
}

} // namespace

PageGroup::PageGroup(QWidget* parent) : QGroupBox(QStringLiteral("Page"), parent) {
    setObjectName(QStringLiteral("grpPage"));
    auto* grid = new QGridLayout(this);
    lblPageSize = makeLabel("lblPageSize", "Page Size:", this);
    cmbPageSize = makeCombo(
        "cmbPageSize", {"Same as Picture", "A3", "A4", "A5", "Letter", "Legal", "Custom"}, this);
    lblCustom = makeLabel("lblCustom", "Custom:", this);
    spnPageWidth = MillimetresBox("spnPageWidth", jobfiles::kMinCustomSideMm,
                                  jobfiles::kMaxCustomSideMm, this);
    spnPageWidth->setToolTip(QStringLiteral("Width of a custom page"));
    spnPageHeight = MillimetresBox("spnPageHeight", jobfiles::kMinCustomSideMm,
                                   jobfiles::kMaxCustomSideMm, this);
    spnPageHeight->setToolTip(QStringLiteral("Height of a custom page"));
    lblOrientation = makeLabel("lblOrientation", "Orientation:", this);
    cmbOrientation = makeCombo("cmbOrientation", {"Automatic", "Portrait", "Landscape"}, this);
    cmbOrientation->setToolTip(QStringLiteral("Automatic turns each page to match its picture"));
    lblMargin = makeLabel("lblMargin", "Margin:", this);
    spnMargin = MillimetresBox("spnMargin", 0.0, jobfiles::kMaxMarginMm, this);
    spnMargin->setToolTip(QStringLiteral("White border on every side"));
    lblFit = makeLabel("lblFit", "Fit:", this);
    cmbFit = makeCombo("cmbFit", {"Fit", "Shrink Only", "Fill"}, this);
    cmbFit->setToolTip(QStringLiteral("How each picture fills the page inside the margins"));

    auto* custom = new QHBoxLayout;
    custom->addWidget(spnPageWidth);
    custom->addWidget(makeLabel("lblBy", "x", this));
    custom->addWidget(spnPageHeight);
    grid->addWidget(lblPageSize, 0, 0);
    grid->addWidget(cmbPageSize, 0, 1);
    grid->addWidget(lblCustom, 0, 2);
    grid->addLayout(custom, 0, 3);
    grid->addWidget(lblOrientation, 1, 0);
    grid->addWidget(cmbOrientation, 1, 1);
    grid->addWidget(lblMargin, 1, 2);
    grid->addWidget(spnMargin, 1, 3, Qt::AlignLeft);
    grid->addWidget(lblFit, 2, 0);
    grid->addWidget(cmbFit, 2, 1);
    grid->setColumnStretch(1, 1);

    setPageLayout({});
    connect(cmbPageSize, &QComboBox::currentIndexChanged, this, [this] { enableByPageSize(); });
    for (QComboBox* combo : {cmbPageSize, cmbOrientation, cmbFit})
        connect(combo, &QComboBox::currentIndexChanged, this, &PageGroup::changed);
    for (QDoubleSpinBox* millimetres : {spnPageWidth, spnPageHeight, spnMargin})
        connect(millimetres, &QDoubleSpinBox::valueChanged, this, &PageGroup::changed);
}

jobfiles::PageLayout PageGroup::pageLayout() const {
    jobfiles::PageLayout layout;
    layout.size = itemOf<jobfiles::PageSize>(cmbPageSize);
    layout.customWidthMm = spnPageWidth->value();
    layout.customHeightMm = spnPageHeight->value();
    layout.orientation = itemOf<jobfiles::Orientation>(cmbOrientation);
    layout.marginMm = spnMargin->value();
    layout.fit = itemOf<jobfiles::Fit>(cmbFit);
    return layout;
}

void PageGroup::setPageLayout(const jobfiles::PageLayout& layout) {
    cmbPageSize->setCurrentIndex(static_cast<int>(layout.size));
    spnPageWidth->setValue(layout.customWidthMm);
    spnPageHeight->setValue(layout.customHeightMm);
    cmbOrientation->setCurrentIndex(static_cast<int>(layout.orientation));
    spnMargin->setValue(layout.marginMm);
    cmbFit->setCurrentIndex(static_cast<int>(layout.fit));
    enableByPageSize();
}

void PageGroup::enableByPageSize() {
    const auto size = itemOf<jobfiles::PageSize>(cmbPageSize);
    const bool paper = size != jobfiles::PageSize::Picture;
    const bool custom = size == jobfiles::PageSize::Custom;
    lblOrientation->setEnabled(paper);
    cmbOrientation->setEnabled(paper);
    lblFit->setEnabled(paper);
    cmbFit->setEnabled(paper);
    lblCustom->setEnabled(custom);
    spnPageWidth->setEnabled(custom);
    spnPageHeight->setEnabled(custom);
}

} // namespace pw::gui
