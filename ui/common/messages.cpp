#include "ui/common/messages.h"

#include <QFileDialog>

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

void run(QWidget* parent, const QString& text, QMessageBox::Icon icon) {
    QMessageBox box(icon, QString::fromLatin1(kApplicationTitle), text, QMessageBox::Ok,
                    parent ? parent->window() : nullptr);
    box.setWindowModality(Qt::ApplicationModal);
    if (interceptor())
        interceptor()(box);
    else
        box.exec();
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

QString chooseSaveFile(QWidget* parent, const QString& caption, const QString& suggested,
                       const QString& filter, const QString& suffix) {
    if (saveFileChooser())
        return saveFileChooser()(suggested);
    QFileDialog dialog(parent, caption, suggested, filter);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setDefaultSuffix(suffix);
    dialog.selectFile(suggested);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return {};
    return dialog.selectedFiles().front();
}

} // namespace orvane::ui
