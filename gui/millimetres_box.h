#pragma once
// A spin box for a length in millimetres, as the Setting window's page groups show them.
class QDoubleSpinBox;
class QWidget;

namespace pw::gui {

// Named `name`, from `low` to `high` mm, to a tenth of a millimetre.
QDoubleSpinBox* MillimetresBox(const char* name, double low, double high, QWidget* parent);

} // namespace pw::gui
