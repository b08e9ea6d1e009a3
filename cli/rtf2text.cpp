// rtf2text FILE         the document's plain text as UTF-8
// rtf2text --html FILE  the built document as HTML, for looking at formatting
// Exit status 2 with a one-line message for a file it refuses.

#include "rtf/rtf.h"

#include <QGuiApplication>
#include <QTextDocument>

#include <cstdio>

int main(int argc, char** argv) {
    // Fonts and images need a GUI application; no window is ever shown.
    qputenv("QT_QPA_PLATFORM",
            qgetenv("QT_QPA_PLATFORM").isEmpty() ? "offscreen" : qgetenv("QT_QPA_PLATFORM"));
    QGuiApplication app(argc, argv);
    const QStringList args = app.arguments().mid(1);
    const bool html = !args.isEmpty() && args.front() == u"--html";
    if (args.size() != (html ? 2 : 1)) {
        std::fprintf(stderr, "usage: rtf2text [--html] FILE\n");
        return 2;
    }
    const QString& path = args.back();
    QTextDocument document;
    const auto result = orvane::rtf::loadFile(path, &document);
    if (!result.ok) {
        std::fprintf(stderr, "rtf2text: %s: %s\n", qPrintable(path), qPrintable(result.error));
        return 2;
    }
    const QByteArray out = (html ? document.toHtml() : orvane::rtf::plainText(document)).toUtf8();
    std::fwrite(out.constData(), 1, std::size_t(out.size()), stdout);
    return 0;
}
