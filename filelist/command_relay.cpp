#include "filelist/command_relay.h"

#include "filelist/engine_view.h"
#include "filelist/tool_commands.h"

#include <QLineEdit>

namespace pw {

CommandRelay::CommandRelay(QLineEdit* txtMsg, ToolCommands& commands, EngineView& engine,
                           QObject* parent)
    : QObject(parent), txtMsg_(txtMsg), commands_(commands), engine_(engine) {
    connect(txtMsg_, &QLineEdit::textChanged, this, [this] { txtMsg_Change(); });
}

void CommandRelay::txtMsg_Change() {
    if (txtMsg_->text() == QLatin1String("Add"))
        commands_.CmdToolsBar_Click(ToolCommands::Add);
    if (txtMsg_->text() == QLatin1String("Remove"))
        engine_.showRemoveMenu();
    if (txtMsg_->text() == QLatin1String("Add Folder"))
        commands_.CmdToolsBar_Click(ToolCommands::AddFolder);
    if (txtMsg_->text() == QLatin1String("Convert"))
        engine_.runConvert();
    txtMsg_->setText(QString());
}

} // namespace pw
