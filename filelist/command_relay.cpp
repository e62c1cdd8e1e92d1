#include "filelist/command_relay.h"

#include "filelist/engine_view.h"
#include "filelist/tool_commands.h"

#include <QLineEdit>

namespace pw {
namespace {

std::unique_ptr<CommandTable> boundTable(ToolCommands& commands, EngineView& engine) {
    auto table = std::make_unique<CommandTable>();
    bindToolCommands(*table, commands, engine);
    table->bind(Command::Convert, [&engine] { engine.runConvert(); });
    return table;
}

} // namespace

CommandRelay::CommandRelay(QLineEdit* txtMsg, const CommandTable& table, QObject* parent)
    : QObject(parent), txtMsg_(txtMsg), table_(table) {
    connect(txtMsg_, &QLineEdit::textChanged, this, [this] { txtMsg_Change(); });
}

CommandRelay::CommandRelay(QLineEdit* txtMsg, ToolCommands& commands, EngineView& engine,
                           QObject* parent)
    : QObject(parent), txtMsg_(txtMsg), ownTable_(boundTable(commands, engine)),
      table_(*ownTable_) {
    connect(txtMsg_, &QLineEdit::textChanged, this, [this] { txtMsg_Change(); });
}

void CommandRelay::txtMsg_Change() {
    // Each word is read again: a command lets messages run and may change the text.
    for (const char* word : {"Add", "Remove", "Add Folder", "Convert"}) {
        if (txtMsg_->text() == QLatin1String(word)) {
            if (const std::optional<Command> command = relayCommand(word))
                table_.fire(*command);
        }
    }
    txtMsg_->setText(QString());
}

} // namespace pw
