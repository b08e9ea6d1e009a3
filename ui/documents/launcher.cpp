#include "ui/documents/launcher.h"

#include <QDesktopServices>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>

namespace orvane::ui {
namespace {

class DesktopLauncher final : public Launcher {
public:
    bool openUrl(const QUrl& url) override { return QDesktopServices::openUrl(url); }

    bool startProgram(const QString& program, const QStringList& arguments,
                      QString* error) override {
        QProcess process;
        process.setProgram(program);
        process.setArguments(arguments);
        process.setStandardOutputFile(QProcess::nullDevice());
        process.setStandardErrorFile(QProcess::nullDevice());
        if (process.startDetached())
            return true;
        if (error)
            *error = process.errorString();
        return false;
    }
};

Launcher* current = nullptr;

} // namespace

Launcher& launcher() {
    static DesktopLauncher desktop;
    return current ? *current : desktop;
}

void setLauncher(Launcher* replacement) {
    current = replacement;
}

QStringList browserCommand() {
#ifdef Q_OS_WIN
    const QString explorer = QStringLiteral("C:/Program Files/Internet Explorer/iexplore.exe");
    if (QFileInfo(explorer).isExecutable())
        return {explorer};
    return {}; // the caller falls back to the default handler
#elif defined(Q_OS_MACOS)
    return {QStringLiteral("/usr/bin/open")};
#else
    for (const char* name : {"xdg-open", "x-www-browser", "sensible-browser"}) {
        const QString path = QStandardPaths::findExecutable(QString::fromLatin1(name));
        if (!path.isEmpty())
            return {path};
    }
    return {};
#endif
}

} // namespace orvane::ui
