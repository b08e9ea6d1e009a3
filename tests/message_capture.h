#pragma once

// The program's message boxes in tests. None may appear unasked: failOnMessages() turns any
// message into a failure instead of a box waiting for a click nobody gives. A MessageCapture
// collects them while it lives and puts the failing catcher back when it goes, so that no
// catcher outlives the list it writes to.

#include "ui/common/messages.h"

#include <QList>
#include <QMessageBox>
#include <QStringList>
#include <QTest>

namespace orvane::test {

inline void failOnMessages() {
    ui::setMessageInterceptor(
        [](QMessageBox& box) { QFAIL(qPrintable("unexpected message: " + box.text())); });
}

class MessageCapture {
public:
    MessageCapture() {
        ui::setMessageInterceptor([this](QMessageBox& box) {
            texts << box.text();
            icons << box.icon();
            titles << box.windowTitle();
        });
    }
    ~MessageCapture() { failOnMessages(); }
    MessageCapture(const MessageCapture&) = delete;
    MessageCapture& operator=(const MessageCapture&) = delete;

    QStringList texts;
    QList<QMessageBox::Icon> icons;
    QStringList titles;
};

} // namespace orvane::test
