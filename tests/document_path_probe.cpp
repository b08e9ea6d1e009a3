// Helper for the document_path_elsewhere test: prints where a stored name is looked for and
// what loading it gives, from wherever this program file has been copied to.

#include "tests/recording_launcher.h"
#include "ui/common/messages.h"
#include "ui/documents/documents.h"
#include "ui/documents/frm_readme_viewer.h"
#include "ui/documents/rich_text_box.h"

#include <QApplication>
#include <cstdio>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    if (argc == 2 && QByteArray(argv[1]) == "--open-page") {
        // What "Go to Web LInk" would start, one argument a line.
        orvane::ui::test::RecordingLauncher launcher;
        auto* viewer = orvane::ui::frmReadMeViewer::OpenInViewer("\\Asterisk.rtf", "probe");
        viewer->cmdURL_Click();
        for (const QStringList& call : launcher.programs)
            for (const QString& argument : call)
                std::printf("arg: %s\n", argument.toLocal8Bit().constData());
        viewer->cmdBackfromReadme_Click();
        return launcher.programs.size() == 1 ? 0 : 1;
    }
    if (argc != 2)
        return 2;
    const QString name = QString::fromLocal8Bit(argv[1]);
    orvane::ui::setMessageInterceptor([](QMessageBox& box) {
        std::printf("message: %s\n", qPrintable(box.text().split(u'\n').front()));
    });
    orvane::ui::RichTextBox box;
    std::printf("path: %s\n", orvane::ui::DocumentPath(name).toLocal8Bit().constData());
    const bool ok = orvane::ui::LoadDocument(&box, name);
    std::printf("loaded: %s %s\n", ok ? "yes" : "no", box.text().toUtf8().constData());
    return ok ? 0 : 1;
}
