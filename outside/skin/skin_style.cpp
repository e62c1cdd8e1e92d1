#include "skin_style.h"

#include <utility>

namespace pw::skin::skin {
namespace {

QString name(const QColor& c) {
    return c.name(QColor::HexRgb);
}

} // namespace

QPalette makePalette(const SkinColors& c) {
    QPalette p;
    p.setColor(QPalette::Window, c.window);
    p.setColor(QPalette::WindowText, c.windowText);
    p.setColor(QPalette::Base, c.base);
    p.setColor(QPalette::AlternateBase, c.alternateBase);
    p.setColor(QPalette::Text, c.text);
    p.setColor(QPalette::Button, c.button);
    p.setColor(QPalette::ButtonText, c.buttonText);
    p.setColor(QPalette::BrightText, Qt::white);
    p.setColor(QPalette::Highlight, c.highlight);
    p.setColor(QPalette::HighlightedText, c.highlightedText);
    p.setColor(QPalette::ToolTipBase, c.menu);
    p.setColor(QPalette::ToolTipText, c.menuText);
    p.setColor(QPalette::PlaceholderText, c.dimText);
    p.setColor(QPalette::Link, c.highlight);
    p.setColor(QPalette::Light, c.base);
    p.setColor(QPalette::Midlight, c.alternateBase);
    p.setColor(QPalette::Mid, c.border);
    p.setColor(QPalette::Dark, c.border.darker(130));
    p.setColor(QPalette::Shadow, c.menu);
    for (const auto role : {QPalette::WindowText, QPalette::Text, QPalette::ButtonText})
        p.setColor(QPalette::Disabled, role, c.dimText);
    p.setColor(QPalette::Disabled, QPalette::Base, c.alternateBase);
    return p;
}

QString makeStyleSheet(const SkinColors& c) {
    QString sheet = QStringLiteral(R"(
QDialog, QMessageBox { background-color: @window; }
QMessageBox QLabel { color: @windowText; }
QLineEdit, QPlainTextEdit, QTextEdit {
    background-color: @base; color: @text; border: 1px solid @border; border-radius: 4px;
    padding: 3px 6px; selection-background-color: @highlight; selection-color: @highlightedText;
}
QLineEdit:focus, QPlainTextEdit:focus, QTextEdit:focus { border: 1px solid @accent; }
QLineEdit:disabled { background-color: @alternateBase; color: @dimText; }
QComboBox QAbstractItemView {
    background-color: @base; color: @text; border: 1px solid @border;
    selection-background-color: @highlight; selection-color: @highlightedText;
}
QPushButton {
    background-color: @button; color: @buttonText; border: 1px solid @border;
    border-radius: 5px; padding: 4px 16px; min-height: 18px;
}
QPushButton:hover { background-color: @buttonHover; border-color: @accent; }
QPushButton:pressed { background-color: @highlight; color: @highlightedText; }
QPushButton:default { border: 1px solid @highlight; }
QPushButton:disabled { color: @dimText; }
QMenu { background-color: @menu; color: @menuText; border: 1px solid @menuBorder; padding: 4px; }
QMenu::item { padding: 5px 26px 5px 18px; border-radius: 4px; }
QMenu::item:selected { background-color: @highlight; color: @highlightedText; }
QMenu::item:disabled { color: @menuBorder; }
QMenu::separator { height: 1px; background: @menuBorder; margin: 4px 8px; }
QMenuBar { background-color: @menu; color: @menuText; }
QMenuBar::item:selected { background-color: @highlight; color: @highlightedText; }
QToolTip { background-color: @menu; color: @menuText; border: 1px solid @menuBorder; }
QGroupBox { border: 1px solid @border; border-radius: 6px; margin-top: 12px; padding-top: 6px; }
QGroupBox::title { subcontrol-origin: margin; left: 10px; padding: 0 4px; color: @windowText; }
)");
    // Longer names first, so "@window" does not eat the start of "@windowText".
    const std::pair<const char*, QColor> colours[] = {
        {"@windowText", c.windowText},
        {"@window", c.window},
        {"@alternateBase", c.alternateBase},
        {"@base", c.base},
        {"@text", c.text},
        {"@buttonHover", c.buttonHover},
        {"@buttonText", c.buttonText},
        {"@button", c.button},
        {"@border", c.border},
        {"@accent", c.accent},
        {"@highlightedText", c.highlightedText},
        {"@highlight", c.highlight},
        {"@dimText", c.dimText},
        {"@menuBorder", c.menuBorder},
        {"@menuText", c.menuText},
        {"@menu", c.menu},
    };
    for (const auto& [token, colour] : colours)
        sheet.replace(QLatin1String(token), name(colour));
    return sheet.trimmed();
}

} // namespace pw::skin::skin
