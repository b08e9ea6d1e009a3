// OrvaneCalculatorF: shows the conditions-of-use window and runs until the last window closes.

#include "eventlog/log_path.h"
#include "ui/startup/application.h"
#include "ui/startup/frm_orv_splash.h"

#include <QApplication>
#include <QCommandLineParser>

#include <cstdio>

namespace {

// Read before the window system is started, so that --help and --version answer on a terminal
// without a display. Returns the exit status, or -1 to go on and show the windows.
int readOptions(int argc, char** argv) {
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments << QString::fromLocal8Bit(argv[i]);
    QCommandLineParser parser;
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions); // as Qt's own
    const QCommandLineOption help({"h", "help"}, "Show this help and exit.");
    const QCommandLineOption version({"v", "version"}, "Show the version and exit.");
    const QCommandLineOption log("log", "Keep the event log in FILE.", "FILE");
    parser.addOption(help);
    parser.addOption(version);
    parser.addOption(log);
    // The options Qt documents for every application pass through to it; the X11 ones too.
    for (const char* name :
         {"platform", "platformpluginpath", "platformtheme", "plugin", "qmljsdebugger", "display",
          "geometry", "style", "stylesheet", "session", "name", "title", "qwindowgeometry",
          "qwindowtitle", "qwindowicon", "fontengine", "dialogs"}) {
        QCommandLineOption qt(QString::fromLatin1(name), QString(), "value");
        qt.setFlags(QCommandLineOption::HiddenFromHelp);
        parser.addOption(qt);
    }
    for (const char* name : {"reverse", "widgetcount", "nograb", "dograb", "sync"}) {
        QCommandLineOption qt(QString::fromLatin1(name));
        qt.setFlags(QCommandLineOption::HiddenFromHelp);
        parser.addOption(qt);
    }
    const bool parsed = parser.parse(arguments);
    if (!parsed || !parser.positionalArguments().isEmpty()) {
        const QString what =
            parsed ? "Unexpected argument '" + parser.positionalArguments().front() + "'."
                   : parser.errorText();
        std::fprintf(stderr, "OrvaneCalculatorF: %s\nTry 'OrvaneCalculatorF --help'.\n",
                     qPrintable(what));
        return 2;
    }
    if (parser.isSet(help)) {
        std::printf("Usage: OrvaneCalculatorF [--help] [--version] [--log FILE]\n\n"
                    "Solvane Calculator, Fahrenheit edition: rates the risk of heat illness at "
                    "a sporting event\nand shows what to do about it.\n\n"
                    "Options:\n"
                    "  -h, --help     Show this help and exit.\n"
                    "  -v, --version  Show the version and exit.\n"
                    "  --log FILE     Keep the event log in FILE (default: $ORVANE_EVENT_LOG,\n"
                    "                 else events.sqlite in the user's data folder).\n\n"
                    "Environment:\n"
                    "  ORVANE_EVENT_LOG      the event log's file, when --log is not given\n"
                    "  ORVANE_FORECAST_URL   the planner's forecast service, in place of\n"
                    "                        Open-Meteo's or the one set in the planner\n"
                    "  ORVANE_GEOCODING_URL  the planner's place search, likewise\n\n"
                    "Qt's options for windows, such as -platform, are accepted as well.\n"
                    "See OrvaneCalculatorF(1) for more.\n");
        return 0;
    }
    if (parser.isSet(version)) {
        std::printf("OrvaneCalculatorF (Solvane Calculator \xc2\xb0"
                    "F) %s\n",
                    ORVANE_VERSION);
        return 0;
    }
    if (parser.isSet(log)) {
        if (parser.value(log).isEmpty()) {
            std::fprintf(stderr, "OrvaneCalculatorF: --log needs a file name.\n"
                                 "Try 'OrvaneCalculatorF --help'.\n");
            return 2;
        }
        // Only remembered: the log is opened when it is first used, not at start.
        orvane::eventlog::setEventLogPath(parser.value(log));
    }
    return -1;
}

} // namespace

int main(int argc, char** argv) {
    if (const int status = readOptions(argc, argv); status >= 0)
        return status;
    QApplication app(argc, argv);
    orvane::ui::setUpApplication(app);
    orvane::ui::frmORVsplash::Show();
    return app.exec();
}
