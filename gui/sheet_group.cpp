#include "gui/sheet_group.h"

#include "gui/millimetres_box.h"
#include "jobfiles/page_layout_text.h"

#include <QComboBox>
#include <QDoubleSpinBox>
#include <QHBoxLayout>
#include <QLabel>

namespace pw::gui {
namespace {

int gridKey(int columns, int rows) {
    return columns * 100 + rows;
}

} // namespace

SheetGroup::SheetGroup(QWidget* parent) : QGroupBox(QStringLiteral("Pictures per sheet"), parent) {
    setObjectName(QStringLiteral("grpSheet"));
    auto* row = new QHBoxLayout(this);
    cmbPerSheet = new QComboBox(this);
    cmbPerSheet->setObjectName(QStringLiteral("cmbPerSheet"));
    cmbPerSheet->setToolTip(QStringLiteral(
        "With a paper size, the pictures fill each sheet's cells row by row in list order, "
        "each fitted to its cell"));
    const struct {
        const char* caption;
        int columns, rows;
    } grids[] = {{"1", 1, 1},
                 {"2 side by side (2x1)", 2, 1},
                 {"2 one above the other (1x2)", 1, 2},
                 {"4 (2x2)", 2, 2},
                 {"6 (2x3)", 2, 3},
                 {"9 (3x3)", 3, 3}};
    for (const auto& grid : grids)
        cmbPerSheet->addItem(QString::fromUtf8(grid.caption), gridKey(grid.columns, grid.rows));
    lblGap = new QLabel(QStringLiteral("Gap:"), this);
    spnGap = MillimetresBox("spnGap", 0.0, jobfiles::kMaxGapMm, this);
    spnGap->setValue(jobfiles::PageLayout{}.gapMm);
    row->addWidget(cmbPerSheet);
    row->addWidget(lblGap);
    row->addWidget(spnGap);
    row->addStretch(1);
    enableGap();
    connect(cmbPerSheet, &QComboBox::currentIndexChanged, this, [this] {
        enableGap();
        emit changed();
    });
    connect(spnGap, &QDoubleSpinBox::valueChanged, this, &SheetGroup::changed);
}

jobfiles::PageLayout SheetGroup::applied(jobfiles::PageLayout layout) const {
    const int key = cmbPerSheet->currentData().toInt();
    layout.sheetColumns = key / 100;
    layout.sheetRows = key % 100;
    layout.gapMm = spnGap->value();
    return layout;
}

void SheetGroup::setValues(const jobfiles::PageLayout& layout) {
    const QSignalBlocker blockGrid(cmbPerSheet);
    const QSignalBlocker blockGap(spnGap);
    const int key = gridKey(layout.sheetColumns, layout.sheetRows);
    int index = cmbPerSheet->findData(key);
    if (index < 0) { // a grid from the command line or the settings file
        cmbPerSheet->addItem(QString::fromStdString(jobfiles::formatPerSheet(layout)), key);
        index = cmbPerSheet->count() - 1;
    }
    cmbPerSheet->setCurrentIndex(index);
    spnGap->setValue(layout.gapMm);
    enableGap();
    emit changed();
}

void SheetGroup::setPaper(bool paper) {
    cmbPerSheet->setEnabled(paper);
    enableGap();
}

void SheetGroup::enableGap() {
    const bool shared = cmbPerSheet->currentData().toInt() != gridKey(1, 1);
    spnGap->setEnabled(cmbPerSheet->isEnabled() && shared);
    lblGap->setEnabled(spnGap->isEnabled());
}

} // namespace pw::gui
