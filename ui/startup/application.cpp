#include "ui/startup/application.h"

#include "ui/common/focus_ring.h"
#include "ui/common/fonts.h"

#include <QApplication>
#include <QIcon>

namespace orvane::ui {

void setUpApplication(QApplication& app) {
    app.setApplicationName("OrvaneCalculatorF");
    app.setApplicationVersion(ORVANE_VERSION);
    app.setDesktopFileName("org.solvane.Calculator");
    app.setWindowIcon(QIcon(":/orvane/icon-32.png"));
    installFontSubstitutions();
    app.setFont(msSansSerif(8.25));
    installFocusRing();
}

} // namespace orvane::ui
