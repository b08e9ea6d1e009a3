#include "ui/calculator/pick_list.h"

#include <QAbstractItemView>
#include <QKeyEvent>
#include <QWheelEvent>

namespace orvane::ui {

PickList::PickList(QWidget* parent) : QComboBox(parent) {
    setEditable(false);
    setInsertPolicy(QComboBox::NoInsert);
    setFocusPolicy(Qt::StrongFocus); // a wheel over the list must not take the focus either
    // The popup's list view does its own type-ahead search; stop it there as well.
    view()->installEventFilter(this);
    view()->viewport()->installEventFilter(this);
}

bool PickList::typesCharacter(const QKeyEvent* event) {
    return !event->text().isEmpty();
}

void PickList::keyPressEvent(QKeyEvent* event) {
    if (typesCharacter(event)) {
        event->accept(); // discarded, and not handed on to the window either
        return;
    }
    QComboBox::keyPressEvent(event);
}

void PickList::wheelEvent(QWheelEvent* event) {
    event->ignore();
}

bool PickList::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::KeyPress) {
        auto* key = static_cast<QKeyEvent*>(event);
        const bool picksOrCloses = key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter ||
                                   key->key() == Qt::Key_Escape;
        if (!picksOrCloses && typesCharacter(key)) {
            key->accept();
            return true;
        }
    }
    return QComboBox::eventFilter(watched, event);
}

} // namespace orvane::ui
