#include "gui/command_relay.h"

#include <QLineEdit>

namespace pw::gui {

CommandRelay::CommandRelay(QLineEdit* txtMsg, const app::CommandTable& table, QObject* parent)
    : QObject(parent), txtMsg_(txtMsg), table_(table) {
    connect(txtMsg_, &QLineEdit::textChanged, this, [this] { txtMsg_Change(); });
}

void CommandRelay::txtMsg_Change() {
    // Each word is read again: a command lets messages run and may change the text.
    for (const char* word : {"Add", "Remove", "Add Folder", "Convert"}) {
        if (txtMsg_->text() == QLatin1String(word)) {
            if (const std::optional<app::Command> command = app::relayCommand(word))
                table_.fire(*command);
        }
    }
    txtMsg_->setText(QString());
}

} // namespace pw::gui
