#include "eventlog/log_path.h"

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

namespace orvane::eventlog {

namespace {

QString& chosenFile() {
    static QString file;
    return file;
}

} // namespace

QString resolveEventLogPath(const QString& explicitFile) {
    if (!explicitFile.isEmpty())
        return QFileInfo(explicitFile).absoluteFilePath();
    const QString fromEnvironment = qEnvironmentVariable(kEventLogVariable);
    if (!fromEnvironment.isEmpty())
        return QFileInfo(fromEnvironment).absoluteFilePath();
    return QDir(QStandardPaths::writableLocation(QStandardPaths::AppDataLocation))
        .absoluteFilePath(QStringLiteral("events.sqlite"));
}

void setEventLogPath(const QString& fileFromCommandLine) {
    chosenFile() = fileFromCommandLine.isEmpty()
                       ? QString()
                       : QFileInfo(fileFromCommandLine).absoluteFilePath();
}

QString eventLogPath() {
    return resolveEventLogPath(chosenFile());
}

} // namespace orvane::eventlog
