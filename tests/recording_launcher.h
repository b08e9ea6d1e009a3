#pragma once

// A launcher for tests: records what would have been opened or started, and can fail on demand.

#include "ui/documents/launcher.h"

#include <vector>

namespace orvane::ui::test {

class RecordingLauncher final : public Launcher {
public:
    RecordingLauncher() { setLauncher(this); }
    ~RecordingLauncher() override { setLauncher(nullptr); }

    bool openUrl(const QUrl& url) override {
        urls.push_back(url.toString());
        return failWith.isEmpty();
    }
    bool startProgram(const QString& program, const QStringList& arguments,
                      QString* error) override {
        programs.push_back(QStringList{program} + arguments);
        if (failWith.isEmpty())
            return true;
        *error = failWith;
        return false;
    }

    QStringList urls;
    std::vector<QStringList> programs; // program, then each argument as it was passed
    QString failWith;
};

} // namespace orvane::ui::test
