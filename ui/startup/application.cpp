#include "application.h"

#include "fonts.h"

#include <QApplication>

namespace orvane::ui {

void setUpApplication(QApplication& app) {
    app.setApplicationName("OrvaneCalculatorF");
    app.setApplicationVersion("1.1");
    app.setDesktopFileName("org.solvane.Calculator");
    installFontSubstitutions();
    app.setFont(msSansSerif(8.25));
}

} // namespace orvane::ui
