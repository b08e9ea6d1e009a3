#include "ui/startup/frm_orv_splash.h"

#include "ui/calculator/frm_solvane_calc.h"
#include "ui/common/fonts.h"
#include "ui/common/single_window.h"
#include "ui/common/units.h"
#include "ui/common/window_hints.h"
#include "ui/documents/documents.h"
#include "ui/documents/rich_text_box.h"
#include "ui/startup/frm_orv_about.h"

#include <QFrame>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>

namespace orvane::ui {

frmORVsplash* frmORVsplash::Show() {
    return SingleWindow<frmORVsplash>::show();
}
frmORVsplash* frmORVsplash::instance() {
    return SingleWindow<frmORVsplash>::instance();
}

frmORVsplash::frmORVsplash() {
    setObjectName("frmORVsplash");
    // No title bar and no frame controls; the flags clear the quit-on-close attribute, and this
    // window must still end the program when it is the last one.
    setWindowFlags(Qt::Window | Qt::FramelessWindowHint);
    setAttribute(Qt::WA_QuitOnClose, true);
    setFixedSize(twipsSize(9405, 6240));
    setFont(msSansSerif(8.25));
    QPalette darkRed = palette();
    darkRed.setColor(QPalette::Window, QColor(192, 0, 0));
    setPalette(darkRed);
    setAutoFillBackground(true);
    keepOutOfTaskbar(this);

    auto* frame = new QFrame(this);
    frame->setObjectName("Frame1");
    frame->setGeometry(twipsRect(360, 240, 8655, 5715));
    QPalette white = frame->palette();
    white.setColor(QPalette::Window, Qt::white);
    white.setColor(QPalette::Button, Qt::white);
    white.setColor(QPalette::WindowText, Qt::black);
    white.setColor(QPalette::ButtonText, Qt::black);
    frame->setPalette(white);
    frame->setAutoFillBackground(true);
    frame->setFocusPolicy(Qt::NoFocus);

    const QPixmap logo(":/orvane/logo-90.png");
    const struct {
        const char* name;
        int x, y;
    } pictures[] = {{"Image1", 120, 120},
                    {"imgNivrel2", 7200, 120},
                    {"imgNivrel3", 120, 3255},
                    {"imgNivrel4", 7200, 3240}};
    for (const auto& p : pictures) {
        auto* picture = new QLabel(frame);
        picture->setObjectName(p.name);
        picture->setPixmap(logo);
        picture->setGeometry(twipsRect(p.x, p.y, 1350, 1350));
    }

    // Title and slogan are sized to their text and stand centred across the panel.
    auto centredLabel = [frame](const char* name, const QString& text, const QFont& font, int top) {
        auto* label = new QLabel(text, frame);
        label->setObjectName(name);
        label->setFont(font);
        label->adjustSize();
        label->move((frame->width() - label->width()) / 2, px(top));
        return label;
    };
    centredLabel("lblOrvaneAdviser", "Solvane Calculator", designFont("Arial", 26.25, true), 1800);
    // lblTerribleThing is the slogan, lblOrvaneAdviser the program's name.
    centredLabel("lblTerribleThing", "Beat the heat, not your athletes.",
                 designFont("Comic Sans MS", 14.25, true), 2760);

    auto button = [frame](const char* name, const QString& caption, QRect twips) {
        auto* b = new QPushButton(caption, frame);
        b->setObjectName(name);
        b->setGeometry(twipsRect(twips));
        b->setAutoDefault(false);
        b->installEventFilter(b->window());
        return b;
    };
    QPushButton* readme =
        button("cmdDisclaimer", "Readme: Conditions of Use", {720, 4920, 2055, 495});
    QPushButton* accept = button("cmdAccept", "Accept Conditions of Use", {2925, 4920, 2415, 495});
    QPushButton* decline =
        button("cmdDecline", "Decline Conditions of Use/Exit", {5520, 4920, 2490, 495});
    connect(readme, &QPushButton::clicked, this, &frmORVsplash::cmdDisclaimer_Click);
    connect(accept, &QPushButton::clicked, this, &frmORVsplash::cmdAccept_Click);
    connect(decline, &QPushButton::clicked, this, &frmORVsplash::cmdDecline_Click);
    // Focus order differs from the visual order: Readme, Decline, Accept.
    setTabOrder(readme, decline);
    setTabOrder(decline, accept);
    readme->setFocus();
}

bool frmORVsplash::previewKey(QKeyEvent* event) {
    // Tab also carries a character, but it moves the focus and must keep doing so.
    if (event->key() == Qt::Key_Tab || event->key() == Qt::Key_Backtab || event->text().isEmpty())
        return false;
    // Space and Enter press the focused button, so that a keyboard or screen-reader user can
    // accept the conditions at all; every other character still leaves.
    if (auto* button = qobject_cast<QPushButton*>(focusWidget())) {
        if (event->key() == Qt::Key_Space)
            return false; // the button presses on Space's release, as buttons do
        if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
            button->click();
            return true;
        }
    }
    Form_KeyPress(event->text().front().unicode());
    return true;
}

bool frmORVsplash::eventFilter(QObject* watched, QEvent* event) {
    // Key preview: the window sees each key before the focused button does.
    if (event->type() == QEvent::KeyPress && previewKey(static_cast<QKeyEvent*>(event)))
        return true;
    return QWidget::eventFilter(watched, event);
}

void frmORVsplash::keyPressEvent(QKeyEvent* event) {
    if (!previewKey(event))
        QWidget::keyPressEvent(event);
}

void frmORVsplash::Form_KeyPress(char16_t) {
    close();
}

void frmORVsplash::cmdAccept_Click() {
    frm_Solvane_Calc::Show();
    close();
}

void frmORVsplash::cmdDecline_Click() {
    close();
}

void frmORVsplash::cmdDisclaimer_Click() {
    frmOrvAbout* about = frmOrvAbout::Show();
    LoadDocument(about->txtDisclaimer(), documents::kConditionsOfUse);
    about->txtDisclaimer()->setFocus();
    about->cmdOK()->setFocus();
    close();
}

} // namespace orvane::ui
