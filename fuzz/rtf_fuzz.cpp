// Drives the RTF reader with arbitrary bytes through both sinks, and holds them to their
// promise: the text written as it is read equals the text of the built document. Built as a
// libFuzzer target with clang; with other compilers it is a replayer that runs every file named
// on the command line (or in a named folder) once, so the corpus stays a regression test
// everywhere.

#include "rtf/rtf.h"
#include "rtf/text_sink.h"

#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QTextDocument>

#include <cstdint>
#include <cstdio>
#include <cstdlib>

namespace {

void ensureApplication() {
    static int argc = 1;
    static char name[] = "rtf_fuzz";
    static char* argv[] = {name, nullptr};
    if (!QGuiApplication::instance()) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
        new QGuiApplication(argc, argv); // lives for the whole process
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    ensureApplication();
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    orvane::rtf::Limits limits;
    limits.maxDepth = 64; // reach the depth limit with small inputs too
    QByteArray streamed;
    orvane::rtf::TextSink text([&](QByteArrayView piece) { streamed += piece; },
                               limits.maxTableColumns);
    orvane::rtf::read(bytes, text, limits);

    QTextDocument document;
    const auto built = orvane::rtf::readDocument(
        QByteArray::fromRawData(bytes.data(), qsizetype(size)), &document, limits);
    // A document cut at its limit of blocks ends where the text goes on.
    if (orvane::rtf::looksLikeRtf(bytes) && !built.blocksCut &&
        orvane::rtf::plainText(document).toUtf8() != streamed) {
        std::fprintf(stderr, "streamed text differs from the document's\n");
        std::abort();
    }
    return 0;
}

#ifndef ORVANE_LIBFUZZER
int main(int argc, char** argv) {
    ensureApplication();
    int files = 0;
    for (int i = 1; i < argc; ++i) {
        QStringList paths{QString::fromLocal8Bit(argv[i])};
        if (QFileInfo(paths.front()).isDir()) {
            const QDir dir(paths.front());
            paths.clear();
            for (const QString& name : dir.entryList(QDir::Files, QDir::Name))
                paths << dir.filePath(name);
        }
        for (const QString& path : paths) {
            QFile file(path);
            if (!file.open(QIODevice::ReadOnly)) {
                std::fprintf(stderr, "cannot read %s\n", qPrintable(path));
                return 1;
            }
            const QByteArray bytes = file.readAll();
            LLVMFuzzerTestOneInput(reinterpret_cast<const std::uint8_t*>(bytes.constData()),
                                   std::size_t(bytes.size()));
            ++files;
        }
    }
    std::printf("replayed %d inputs without a crash\n", files);
    return files > 0 ? 0 : 1;
}
#endif
