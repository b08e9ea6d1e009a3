#pragma once

// The About window: names the program and its version and shows the conditions of use. Its one
// button, "Back" (also Enter and Escape), returns to the conditions-of-use window. Whenever its
// document changes, the reaction sets the paragraph indents and puts the caret at the start.

#include "ui/common/single_window.h"

#include <QWidget>

class QPushButton;

namespace orvane::ui {

class RichTextBox;

class frmOrvAbout : public QWidget {
    Q_OBJECT

public:
    static frmOrvAbout* Show();
    static frmOrvAbout* instance();

    RichTextBox* txtDisclaimer() const { return txtDisclaimer_; }
    QPushButton* cmdOK() const { return cmdOK_; } // "Back", to the conditions-of-use window

    void cmdOK_Click();
    void txtDisclaimer_Change();

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    // Only Show() makes one, through the one-instance rule; a window built and shown any other
    // way would be a second one.
    frmOrvAbout();
    friend class SingleWindow<frmOrvAbout>;

    RichTextBox* txtDisclaimer_ = nullptr;
    QPushButton* cmdOK_ = nullptr;
};

} // namespace orvane::ui
