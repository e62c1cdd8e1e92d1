#pragma once
// The palette and the style sheet the skin gives the application.
#include "skin_colors.h"

#include <QPalette>
#include <QString>

namespace pw::skin::skin {

QPalette makePalette(const SkinColors& colors);

// Rules for dialogs, fields, combo box lists, buttons, menus, message boxes and tool tips;
// combo boxes themselves are drawn by the style from the palette.
// Labels are left to the palette so a window's own label colours stay in force.
QString makeStyleSheet(const SkinColors& colors);

} // namespace pw::skin::skin
