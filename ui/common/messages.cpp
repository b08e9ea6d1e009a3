#include "ui/common/messages.h"

#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QPushButton>
#include <QStandardPaths>

namespace orvane::ui {
namespace {

MessageInterceptor& interceptor() {
    static MessageInterceptor instance;
    return instance;
}

SaveFileChooser& saveFileChooser() {
    static SaveFileChooser instance;
    return instance;
}

QString& lastSaveFolder() {
    static QString folder;
    return folder;
}

void run(QMessageBox& box) {
    box.setWindowModality(Qt::ApplicationModal);
    if (interceptor())
        interceptor()(box);
    else
        box.exec();
}

void run(QWidget* parent, const QString& text, QMessageBox::Icon icon,
         const char* title = kProgramName) {
    QMessageBox box(icon, QString::fromLatin1(title), text, QMessageBox::Ok,
                    parent ? parent->window() : nullptr);
    run(box);
}

} // namespace

void setMessageInterceptor(MessageInterceptor handler) {
    interceptor() = std::move(handler);
}

void setSaveFileChooser(SaveFileChooser chooser) {
    saveFileChooser() = std::move(chooser);
}

void showMessage(QWidget* parent, const QString& text) {
    run(parent, text, QMessageBox::NoIcon);
}

void showProblem(QWidget* parent, const QString& text) {
    run(parent, text, QMessageBox::Warning);
}

void showMissingAnswer(QWidget* parent, const QString& text) {
    run(parent, text, QMessageBox::NoIcon, kApplicationTitle);
}

bool askYesNo(QWidget* parent, const QString& text, const QString& yes, const QString& no) {
    QMessageBox box(QMessageBox::Question, QString::fromLatin1(kProgramName), text,
                    QMessageBox::NoButton, parent ? parent->window() : nullptr);
    QPushButton* yesButton = box.addButton(yes, QMessageBox::YesRole);
    box.setDefaultButton(box.addButton(no, QMessageBox::NoRole));
    run(box);
    return box.clickedButton() == yesButton;
}

QString proposedSaveFolder() {
    // A new account may have no documents folder yet; the dialog would then fall back to the
    // working directory and carry the missing path into the file name.
    for (const QString& folder :
         {lastSaveFolder(), QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation),
          QDir::homePath()})
        if (!folder.isEmpty() && QFileInfo(folder).isDir())
            return folder;
    return QDir::rootPath();
}

void rememberSavedFile(const QString& path) {
    lastSaveFolder() = path.isEmpty() ? QString() : QFileInfo(path).absolutePath();
}

QString chooseSaveFile(QWidget* parent, const QString& caption, const QString& folder,
                       const QString& name, const QString& filter, const QString& suffix) {
    if (saveFileChooser())
        return saveFileChooser()(QDir(folder).filePath(name));
    QFileDialog dialog(parent, caption, folder, filter);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setDefaultSuffix(suffix);
    dialog.selectFile(name);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return {};
    return dialog.selectedFiles().front();
}

QString safeFileName(QString name) {
    static const QString unsafe = QStringLiteral("/\\:*?\"<>|");
    for (QChar& c : name)
        if (unsafe.contains(c) || c < u' ')
            c = u'-';
    return name.trimmed();
}

} // namespace orvane::ui
