// rtf2text: an RTF file's text, for scripts and for looking at what the reader makes of a file.
// The usage text below says what it does and what its exit statuses mean.

#include "cli/output_check.h"
#include "rtf/rtf.h"

#include <QGuiApplication>
#include <QTextDocument>

#include <cstdio>
#include <cstring>

namespace {

constexpr int kDamaged = 3;

const char kUsage[] =
    "usage: rtf2text [--document [--cells TEXT] | --html] FILE\n"
    "       rtf2text --help | --version\n"
    "\n"
    "Writes the text of an RTF file to standard output as UTF-8.\n"
    "  FILE             the text as it is read, without building a document\n"
    "  --document FILE  the text of the document the program builds (the same)\n"
    "  --html FILE      the built document as HTML, to look at its formatting\n"
    "  --cells TEXT     with --document: TEXT parts a table row's cells, not a tab\n"
    "\n"
    "Exit status:\n"
    "  0  the file was read whole\n"
    "  2  the file was refused (missing, not RTF...), the command line was\n"
    "     wrong, or the output could not be written\n"
    "  3  the file is damaged, cut off before its end, or holds more than the\n"
    "     reader takes (groups nested too deep, a document of too many\n"
    "     paragraphs): what could be read was written, and a warning went to\n"
    "     standard error\n";

int refuse(const char* path, const QString& why) {
    std::fprintf(stderr, "rtf2text: %s: %s\n", path, qPrintable(why));
    return 2;
}

int usageError(const QString& what) {
    std::fprintf(stderr, "rtf2text: %s\nTry 'rtf2text --help'.\n", qPrintable(what));
    return 2;
}

int finished(const char* path, const orvane::rtf::ReadResult& result) {
    if (!result.ok)
        return refuse(path, result.error);
    if (result.damaged)
        std::fprintf(stderr,
                     "rtf2text: %s: the file is cut off; its text is shown as far as it "
                     "goes\n",
                     path);
    const QString leftOut = result.leftOut(orvane::rtf::Limits{});
    if (!leftOut.isEmpty())
        std::fprintf(stderr, "rtf2text: %s: %s\n", path, qPrintable(leftOut));
    return result.damaged || !leftOut.isEmpty() ? kDamaged : 0;
}

int run(int argc, char** argv) {
    enum { Text, Document, Html } mode = Text;
    const char* path = nullptr;
    orvane::rtf::TextOptions options;
    bool cells = false;
    for (int i = 1; i < argc; ++i) {
        const char* arg = argv[i];
        if (std::strcmp(arg, "--help") == 0) {
            std::fputs(kUsage, stdout);
            return 0;
        }
        if (std::strcmp(arg, "--version") == 0) {
            std::printf("rtf2text %s\n", ORVANE_VERSION);
            return 0;
        }
        if (std::strcmp(arg, "--cells") == 0) {
            if (++i == argc)
                return usageError(QStringLiteral("--cells needs the text that parts the cells"));
            options.cellSeparator = QString::fromLocal8Bit(argv[i]);
            cells = true;
        } else if (std::strcmp(arg, "--document") == 0 || std::strcmp(arg, "--html") == 0) {
            mode = arg[2] == 'd' ? Document : Html;
        } else if (arg[0] == '-' && arg[1] != '\0') {
            return usageError(QStringLiteral("unknown option %1").arg(arg));
        } else if (path) {
            return usageError(QStringLiteral("one file at a time: %1 is a second").arg(arg));
        } else {
            path = arg;
        }
    }
    if (!path)
        return usageError(QStringLiteral("no file named"));
    if (cells && mode != Document)
        return usageError(QStringLiteral("--cells goes with --document"));
    if (mode == Text) {
        // No document and no GUI: text goes out as it is read.
        const auto result =
            orvane::rtf::writeText(QString::fromLocal8Bit(path), [](QByteArrayView piece) {
                std::fwrite(piece.data(), 1, std::size_t(piece.size()), stdout);
            });
        return finished(path, result);
    }
    // Fonts and images need a GUI application; no window is ever shown.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    QTextDocument built;
    const auto result = orvane::rtf::loadFile(QString::fromLocal8Bit(path), &built);
    if (result.ok) {
        const QByteArray out =
            (mode == Html ? built.toHtml() : orvane::rtf::plainText(built, options)).toUtf8();
        std::fwrite(out.constData(), 1, std::size_t(out.size()), stdout);
    }
    return finished(path, result);
}

} // namespace

int main(int argc, char** argv) {
    return orvane::cli::checkedOutput("rtf2text", run(argc, argv));
}
