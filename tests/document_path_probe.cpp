// Helper for the document_path_elsewhere test: prints where a stored name is looked for and
// what loading it gives, from wherever this program file has been copied to.

#include "documents.h"
#include "messages.h"
#include "rich_text_box.h"

#include <QApplication>
#include <cstdio>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
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
