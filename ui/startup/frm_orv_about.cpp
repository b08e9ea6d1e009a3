#include "ui/startup/frm_orv_about.h"

#include "ui/common/fonts.h"
#include "ui/common/single_window.h"
#include "ui/common/units.h"
#include "ui/common/window_hints.h"
#include "ui/documents/rich_text_box.h"
#include "ui/startup/frm_orv_splash.h"

#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>

namespace orvane::ui {

frmOrvAbout* frmOrvAbout::Show() {
    return SingleWindow<frmOrvAbout>::show();
}
frmOrvAbout* frmOrvAbout::instance() {
    return SingleWindow<frmOrvAbout>::instance();
}

frmOrvAbout::frmOrvAbout() {
    setObjectName("frmOrvAbout");
    setWindowTitle("About Solvane Calculator \u00b0F");
    // A fixed dialog whose title bar shows the title only: no system menu, no buttons.
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint);
    setAttribute(Qt::WA_QuitOnClose, true);
    setFixedSize(twipsSize(9405, 5955));
    setFont(msSansSerif(8.25));
    keepOutOfTaskbar(this);

    cmdOK_ = new QPushButton("Back", this);
    cmdOK_->setObjectName("cmdOK");
    cmdOK_->setGeometry(twipsRect(7800, 5400, 1260, 345));
    cmdOK_->setDefault(true);
    connect(cmdOK_, &QPushButton::clicked, this, &frmOrvAbout::cmdOK_Click);

    auto* picture = new QLabel(this);
    picture->setObjectName("picNivrel9"); // the program's icon
    picture->setPixmap(QPixmap(":/orvane/icon-48.png"));
    picture->setAlignment(Qt::AlignCenter);
    picture->setGeometry(twipsRect(240, 120, 780, 780));

    txtDisclaimer_ = new RichTextBox(this);
    txtDisclaimer_->setObjectName("txtDisclaimer");
    txtDisclaimer_->setGeometry(twipsRect(600, 1080, 7935, 4095));
    txtDisclaimer_->setFont(msSansSerif(9.75));
    txtDisclaimer_->setAccessibleName("Conditions of use");
    txtDisclaimer_->setIndentOnChange(true);
    connect(txtDisclaimer_, &RichTextBox::Change, this, &frmOrvAbout::txtDisclaimer_Change);

    auto label = [this](const char* name, const QString& text, QRect twips) {
        auto* l = new QLabel(text, this);
        l->setObjectName(name);
        l->setGeometry(twipsRect(twips));
        QPalette black = l->palette();
        black.setColor(QPalette::WindowText, Qt::black);
        l->setPalette(black);
        return l;
    };
    label("Label1", QString(), {1080, 715, 8085, 330});
    label("lblDescription", "\u00a9 2026 The Solvane Calculator developers",
          {1080, 437, 4005, 210});
    label("lblTitle",
          QStringLiteral("Solvane Calculator \u00b0F, Version %1.%2")
              .arg(ORVANE_VERSION_MAJOR)
              .arg(ORVANE_VERSION_MINOR),
          {1080, 130, 4125, 240});

    setTabOrder(cmdOK_, txtDisclaimer_);
    cmdOK_->setFocus();
}

void frmOrvAbout::keyPressEvent(QKeyEvent* event) {
    // "Back" is both the default and the cancel button: Enter and Escape anywhere press it.
    switch (event->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
    case Qt::Key_Escape: cmdOK_->click(); return;
    default: QWidget::keyPressEvent(event);
    }
}

void frmOrvAbout::cmdOK_Click() {
    frmORVsplash::Show();
    close();
}

void frmOrvAbout::txtDisclaimer_Change() {
    // The box has already indented every paragraph of the new content.
    txtDisclaimer_->setFocus();
    txtDisclaimer_->setSelStart(0);
    txtDisclaimer_->setSelLength(0);
}

} // namespace orvane::ui
