#pragma once

// The conditions-of-use window: the program's first window and the gate in front of the
// calculator. The organiser reads the conditions, accepts them, or declines and leaves. Space
// and Enter press the focused button; any other key that types a character leaves.

#include "ui/common/single_window.h"

#include <QWidget>

class QPushButton;

namespace orvane::ui {

class frmORVsplash : public QWidget {
    Q_OBJECT

public:
    static frmORVsplash* Show();
    static frmORVsplash* instance();

    void cmdAccept_Click();
    void cmdDecline_Click();
    void cmdDisclaimer_Click();
    // A character key that is not pressing a button closes the window; which one it was does
    // not matter.
    void Form_KeyPress(char16_t character);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    // Only Show() makes one, through the one-instance rule; a window built and shown any other
    // way would be a second one.
    frmORVsplash();
    friend class SingleWindow<frmORVsplash>;

    bool previewKey(QKeyEvent* event);
};

} // namespace orvane::ui
