#pragma once
// The command relay: the engine form's hidden line edit txtMsg, into which the front window
// writes a command word. Each change fires the matching command and clears the text again.
#include "app/command_table.h"

#include <QObject>

class QLineEdit;

namespace pw::gui {

class CommandRelay : public QObject {
    Q_OBJECT
public:
    // Connects to txtMsg's textChanged (changes from code included); words fire commands of
    // the table.
    CommandRelay(QLineEdit* txtMsg, const app::CommandTable& table, QObject* parent = nullptr);

    // Words, compared exactly (letter case counts, no trimming): "Add", "Remove" (the menuR
    // pop-up), "Add Folder", "Convert". The text is read again before each test, since a
    // command lets messages run and may change it; at the end it is set to "", which runs
    // this once more and matches nothing.
    void txtMsg_Change();

private:
    QLineEdit* txtMsg_;
    const app::CommandTable& table_;
};

} // namespace pw::gui
