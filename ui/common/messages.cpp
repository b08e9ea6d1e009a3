#include "ui/common/messages.h"

namespace orvane::ui {
namespace {

MessageInterceptor& interceptor() {
    static MessageInterceptor instance;
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

void showMessage(QWidget* parent, const QString& text) {
    run(parent, text, QMessageBox::NoIcon);
}

void showProblem(QWidget* parent, const QString& text) {
    run(parent, text, QMessageBox::Warning);
}

} // namespace orvane::ui
