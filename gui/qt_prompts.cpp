#include "gui/qt_prompts.h"

#include "app/file_filter.h"

#include <QApplication>
#include <QColorDialog>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QInputDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QStandardPaths>

namespace pw::gui {
namespace {

constexpr std::uint32_t kMultipleSelection = 0x200;
constexpr std::uint32_t kOverwritePrompt = 0x2;

QString qs(const std::string& text) {
    return QString::fromStdString(text);
}

QMessageBox::StandardButtons standardButtons(platform::Buttons buttons) {
    switch (buttons) {
    case platform::Buttons::Ok:
        return QMessageBox::Ok;
    case platform::Buttons::OkCancel:
        return QMessageBox::Ok | QMessageBox::Cancel;
    case platform::Buttons::YesNo:
        return QMessageBox::Yes | QMessageBox::No;
    case platform::Buttons::YesNoCancel:
        return QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel;
    }
    return QMessageBox::Ok;
}

QMessageBox::Icon messageIcon(platform::Icon icon) {
    switch (icon) {
    case platform::Icon::None:
        return QMessageBox::NoIcon;
    case platform::Icon::Error:
        return QMessageBox::Critical;
    case platform::Icon::Exclamation:
        return QMessageBox::Warning;
    case platform::Icon::Information:
        return QMessageBox::Information;
    case platform::Icon::Question:
        return QMessageBox::Question;
    }
    return QMessageBox::NoIcon;
}

platform::Answer answerFor(int button, platform::Buttons buttons) {
    switch (button) {
    case QMessageBox::Ok:
        return platform::Answer::Ok;
    case QMessageBox::Yes:
        return platform::Answer::Yes;
    case QMessageBox::No:
        return platform::Answer::No;
    case QMessageBox::Cancel:
        return platform::Answer::Cancel;
    default:
        // Closed without a button: the box's escape answer.
        return buttons == platform::Buttons::Ok      ? platform::Answer::Ok
               : buttons == platform::Buttons::YesNo ? platform::Answer::No
                                                     : platform::Answer::Cancel;
    }
}

// A window a prompt may open over: shown, not minimised, a real window (no menu or tip).
bool canOwn(const QWidget* widget) {
    if (widget == nullptr || !widget->isVisible() || widget->isMinimized())
        return false;
    const Qt::WindowType type = widget->windowType();
    return type == Qt::Window || type == Qt::Dialog;
}

QString existingFolder(const QString& folder) {
    return !folder.isEmpty() && QFileInfo(folder).isDir() ? folder : QString();
}

} // namespace

QWidget* QtPrompts::owner() const {
    if (QWidget* modal = QApplication::activeModalWidget(); canOwn(modal))
        return modal;
    if (QWidget* active = QApplication::activeWindow(); canOwn(active))
        return active;
    if (canOwn(parent_.data()))
        return parent_.data();
    for (QWidget* window : QApplication::topLevelWidgets()) {
        if (canOwn(window))
            return window;
    }
    return nullptr;
}

QString QtPrompts::startFolder(const platform::FileDialogRequest& request) const {
    if (QString folder = existingFolder(qs(request.initialDir)); !folder.isEmpty())
        return folder;
    if (!request.fileName.empty()) {
        const QFileInfo named(qs(request.fileName));
        if (named.isAbsolute()) {
            if (QString folder = existingFolder(named.absolutePath()); !folder.isEmpty())
                return folder;
        }
    }
    if (QString folder = existingFolder(lastFolder_); !folder.isEmpty())
        return folder;
    const QString pictures =
        existingFolder(QStandardPaths::writableLocation(QStandardPaths::PicturesLocation));
    return pictures.isEmpty() ? QDir::homePath() : pictures;
}

platform::Answer QtPrompts::messageBox(const std::string& text, const std::string& title,
                                       platform::Buttons buttons, platform::Icon icon,
                                       const std::string& details) {
    QString message = qs(text);
    message.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    QMessageBox box(messageIcon(icon), qs(title), message, standardButtons(buttons), owner());
    if (!details.empty())
        box.setDetailedText(qs(details));
    return answerFor(box.exec(), buttons);
}

bool QtPrompts::openFile(const platform::FileDialogRequest& request,
                         platform::FileDialogResult& result) {
    return fileDialog(request, result, false);
}

bool QtPrompts::saveFile(const platform::FileDialogRequest& request,
                         platform::FileDialogResult& result) {
    return fileDialog(request, result, true);
}

bool QtPrompts::fileDialog(const platform::FileDialogRequest& request,
                           platform::FileDialogResult& result, bool save) {
    QFileDialog dialog(owner());
    if (!request.caption.empty())
        dialog.setWindowTitle(qs(request.caption));
    dialog.setAcceptMode(save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    const bool multiple = !save && (request.flags & kMultipleSelection) != 0;
    dialog.setFileMode(save ? QFileDialog::AnyFile
                            : (multiple ? QFileDialog::ExistingFiles : QFileDialog::ExistingFile));
    if (save && (request.flags & kOverwritePrompt) == 0)
        dialog.setOption(QFileDialog::DontConfirmOverwrite, true);

    QStringList filters;
    for (const std::string& filter : app::qtNameFilters(request.filter))
        filters << qs(filter);
    dialog.setNameFilters(filters);
    dialog.selectNameFilter(filters.at(static_cast<qsizetype>(app::selectedFilterPosition(
        request.filterIndex, static_cast<std::size_t>(filters.size())))));

    std::string ext = request.defaultExt;
    if (!ext.empty() && ext.front() == '.')
        ext.erase(0, 1);
    if (!ext.empty())
        dialog.setDefaultSuffix(qs(ext));
    dialog.setDirectory(startFolder(request));
    if (!request.fileName.empty())
        dialog.selectFile(qs(request.fileName));

    if (dialog.exec() != QDialog::Accepted)
        return false;
    const QStringList files = dialog.selectedFiles();
    if (files.isEmpty())
        return false;
    lastFolder_ = QFileInfo(files.front()).absolutePath();

    std::string chosen;
    if (files.size() == 1) {
        chosen = QDir::toNativeSeparators(files.front()).toStdString();
    } else {
        chosen = QDir::toNativeSeparators(QFileInfo(files.front()).absolutePath()).toStdString();
        for (const QString& file : files) {
            chosen += '\0';
            chosen += QFileInfo(file).fileName().toStdString();
        }
    }
    result.fileName = chosen;
    result.flags = request.flags;
    return true;
}

bool QtPrompts::browseFolder(const std::string& prompt, std::string& folder) {
    platform::FileDialogRequest start;
    start.initialDir = folder;
    const QString chosen = QFileDialog::getExistingDirectory(
        owner(), qs(prompt), startFolder(start), QFileDialog::ShowDirsOnly);
    if (chosen.isEmpty())
        return false;
    folder = QDir::toNativeSeparators(chosen).toStdString();
    return true;
}

bool QtPrompts::chooseColor(std::uint32_t initial, std::uint32_t& chosen) {
    const QColor start(static_cast<int>(initial & 0xFF), static_cast<int>((initial >> 8) & 0xFF),
                       static_cast<int>((initial >> 16) & 0xFF));
    const QColor picked = QColorDialog::getColor(start, owner());
    if (!picked.isValid())
        return false;
    chosen = static_cast<std::uint32_t>(picked.red()) |
             (static_cast<std::uint32_t>(picked.green()) << 8) |
             (static_cast<std::uint32_t>(picked.blue()) << 16);
    return true;
}

bool QtPrompts::askPassword(const std::string& text, const std::string& title,
                            std::string& password) {
    bool ok = false;
    const QString typed =
        QInputDialog::getText(owner(), QString::fromStdString(title), QString::fromStdString(text),
                              QLineEdit::Password, QString(), &ok);
    if (!ok)
        return false;
    password = typed.toStdString();
    return true;
}

} // namespace pw::gui
