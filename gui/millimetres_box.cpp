#include "gui/millimetres_box.h"

#include <QDoubleSpinBox>

namespace pw::gui {

QDoubleSpinBox* MillimetresBox(const char* name, double low, double high, QWidget* parent) {
    auto* spin = new QDoubleSpinBox(parent);
    spin->setObjectName(QString::fromUtf8(name));
    spin->setRange(low, high);
    spin->setDecimals(1);
    spin->setSuffix(QStringLiteral(" mm"));
    return spin;
}

} // namespace pw::gui
