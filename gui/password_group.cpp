#include "gui/password_group.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>

namespace pw::gui {
namespace {

QLineEdit* makePassword(const char* name, const char* tip, QWidget* parent) {
    auto* edit = new QLineEdit(parent);
    edit->setObjectName(QString::fromUtf8(name));
    edit->setEchoMode(QLineEdit::Password);
    edit->setToolTip(QString::fromUtf8(tip));
    return edit;
}

QCheckBox* makeAllowed(const char* name, const char* text, QWidget* parent) {
    auto* box = new QCheckBox(QString::fromUtf8(text), parent);
    box->setObjectName(QString::fromUtf8(name));
    box->setChecked(true);
    return box;
}

} // namespace

PasswordGroup::PasswordGroup(QWidget* parent) : QGroupBox(QStringLiteral("Password"), parent) {
    setObjectName(QStringLiteral("grpPassword"));
    auto* grid = new QGridLayout(this);
    lblOpenPassword = new QLabel(QStringLiteral("Open Password:"), this);
    txtOpenPassword =
        makePassword("txtOpenPassword", "Asked when the PDF is opened; empty for none", this);
    lblOwnerPassword = new QLabel(QStringLiteral("Owner Password:"), this);
    txtOwnerPassword =
        makePassword("txtOwnerPassword",
                     "Optional: lifts the restrictions below; alone it encrypts the PDF "
                     "without an open password",
                     this);
    chkAllowPrint = makeAllowed("chkAllowPrint", "Allow printing", this);
    chkAllowCopy = makeAllowed("chkAllowCopy", "Allow copying", this);
    grid->addWidget(lblOpenPassword, 0, 0);
    grid->addWidget(txtOpenPassword, 0, 1);
    grid->addWidget(chkAllowPrint, 0, 2);
    grid->addWidget(lblOwnerPassword, 1, 0);
    grid->addWidget(txtOwnerPassword, 1, 1);
    grid->addWidget(chkAllowCopy, 1, 2);
    lblRandomOwner = new QLabel(
        QStringLiteral("Without an owner password the PDF is encrypted with a random one: "
                       "nobody can lift the restrictions."),
        this);
    lblRandomOwner->setObjectName(QStringLiteral("lblRandomOwner"));
    lblRandomOwner->setWordWrap(true);
    lblRandomOwner->hide();
    grid->addWidget(lblRandomOwner, 2, 0, 1, 3);
    grid->setColumnStretch(1, 1);
    const auto update = [this] {
        lblRandomOwner->setVisible(encryption().restrictsForGood());
        emit changed();
    };
    for (QLineEdit* edit : {txtOpenPassword, txtOwnerPassword})
        connect(edit, &QLineEdit::textChanged, this, update);
    for (QCheckBox* box : {chkAllowPrint, chkAllowCopy})
        connect(box, &QCheckBox::toggled, this, update);
}

jobfiles::Encryption PasswordGroup::encryption() const {
    jobfiles::Encryption encryption;
    encryption.openPassword = txtOpenPassword->text().toStdString();
    encryption.ownerPassword = txtOwnerPassword->text().toStdString();
    encryption.allowPrint = chkAllowPrint->isChecked();
    encryption.allowCopy = chkAllowCopy->isChecked();
    return encryption;
}

} // namespace pw::gui
