#pragma once

// A drop-down list whose only input is a choice among its own options. Every key that would
// type a character is discarded, in the closed list and in its open popup, so neither typing
// nor type-ahead search can change an answer; the mouse wheel over the closed list does
// nothing, so scrolling past it cannot either. Keys that type nothing (arrows, Page Up/Down,
// Home, End, F4, Alt+Down, Tab) keep their usual meaning, and a choice made with them is a
// choice like a click. Enter and Escape still pick or close in the open popup.

#include <QComboBox>

namespace orvane::ui {

class PickList : public QComboBox {
    Q_OBJECT

public:
    explicit PickList(QWidget* parent = nullptr);

    // True for a key press that would type a character into the list.
    static bool typesCharacter(const QKeyEvent* event);

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
};

} // namespace orvane::ui
