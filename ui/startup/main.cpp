// OrvaneCalculatorF: shows the conditions-of-use window and runs until the last window closes.
// The program reads no command line of its own; Qt's standard options still apply.

#include "ui/startup/application.h"
#include "ui/startup/frm_orv_splash.h"

#include <QApplication>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    orvane::ui::setUpApplication(app);
    orvane::ui::frmORVsplash::Show();
    return app.exec();
}
