// rtf2text FILE             the document's text as UTF-8, read straight from the file
// rtf2text --document FILE  the text of the built document: the same text, the long way round
// rtf2text --html FILE      the built document as HTML, for looking at formatting
// Exit status 2 with a one-line message for a file it refuses or output it cannot write.

#include "cli/output_check.h"
#include "rtf/rtf.h"

#include <QGuiApplication>
#include <QTextDocument>

#include <cstdio>
#include <cstring>

namespace {

int refuse(const char* path, const QString& why) {
    std::fprintf(stderr, "rtf2text: %s: %s\n", path, qPrintable(why));
    return 2;
}

int run(int argc, char** argv) {
    const bool html = argc == 3 && std::strcmp(argv[1], "--html") == 0;
    const bool document = argc == 3 && std::strcmp(argv[1], "--document") == 0;
    if (argc != 2 && !html && !document) {
        std::fprintf(stderr, "usage: rtf2text [--html | --document] FILE\n");
        return 2;
    }
    const char* path = argv[argc - 1];
    if (!html && !document) {
        // No document and no GUI: text goes out as it is read.
        const auto result =
            orvane::rtf::writeText(QString::fromLocal8Bit(path), [](QByteArrayView piece) {
                std::fwrite(piece.data(), 1, std::size_t(piece.size()), stdout);
            });
        return result.ok ? 0 : refuse(path, result.error);
    }
    // Fonts and images need a GUI application; no window is ever shown.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    QTextDocument built;
    const auto result = orvane::rtf::loadFile(QString::fromLocal8Bit(path), &built);
    if (!result.ok)
        return refuse(path, result.error);
    const QByteArray out = (html ? built.toHtml() : orvane::rtf::plainText(built)).toUtf8();
    std::fwrite(out.constData(), 1, std::size_t(out.size()), stdout);
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    return orvane::cli::checkedOutput("rtf2text", run(argc, argv));
}
