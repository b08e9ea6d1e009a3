#pragma once

// Everything that leaves the program for another one goes through here: opening a web address
// with the desktop's handler, and starting a browser on a local page. Tests put a recording
// launcher in place so nothing is really launched.

#include <QString>
#include <QStringList>
#include <QUrl>

namespace orvane::ui {

class Launcher {
public:
    virtual ~Launcher() = default;
    // Hands the address to the desktop's handler. False when there is none to take it; what
    // the handler does with it afterwards is not reported back.
    virtual bool openUrl(const QUrl& url) = 0;
    // Starts `program` with `arguments`, each passed as it is (no shell), without waiting.
    // Returns false with a reason when the program cannot be started.
    virtual bool startProgram(const QString& program, const QStringList& arguments,
                              QString* error) = 0;
};

// The launcher in use: the real desktop one unless a test has set another.
Launcher& launcher();
// Makes `replacement` the launcher in use; nullptr restores the real one. Not owned.
void setLauncher(Launcher* replacement);

// The program that shows a local web page, with the arguments before the page's path: the
// desktop's opener on Linux and other Unix desktops, Internet Explorer where Windows still has
// it. Empty when there is none.
QStringList browserCommand();

} // namespace orvane::ui
