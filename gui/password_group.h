#pragma once
// The Setting window's "Password" group: the passwords and permissions of the job's PDFs.
// Nothing here is ever saved.
#include "jobfiles/encryption.h"

#include <QGroupBox>

class QCheckBox;
class QLabel;
class QLineEdit;

namespace pw::gui {

class PasswordGroup : public QGroupBox {
    Q_OBJECT
public:
    explicit PasswordGroup(QWidget* parent = nullptr);

    jobfiles::Encryption encryption() const;

    QLabel* lblOpenPassword = nullptr;
    QLineEdit* txtOpenPassword = nullptr; // masked
    QLabel* lblOwnerPassword = nullptr;
    QLineEdit* txtOwnerPassword = nullptr; // masked, optional
    QCheckBox* chkAllowPrint = nullptr;
    QCheckBox* chkAllowCopy = nullptr;
    // Shown while a restriction is set without an owner password.
    QLabel* lblRandomOwner = nullptr;

signals:
    void changed();
};

} // namespace pw::gui
