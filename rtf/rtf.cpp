#include "rtf/rtf.h"

#include "rtf/document_sink.h"
#include "rtf/text_sink.h"

#include <QFile>
#include <QFileInfo>
#include <QTextDocument>

#ifdef Q_OS_UNIX
#include <sys/mman.h>
#include <unistd.h>
#endif

namespace orvane::rtf {
namespace {

constexpr qint64 kMaxDocumentBytes = 256LL << 20;

// A file's bytes, mapped rather than copied where the system allows, so that reading a large
// file needs no second copy of it and the pages behind the reader can be given back.
class Input {
public:
    ReadResult open(const QString& path, qint64 maxBytes) {
        const QFileInfo info(path);
        if (!info.exists())
            return {false, QStringLiteral("the file does not exist")};
        if (info.isDir())
            return {false, QStringLiteral("it is a folder, not a file")};
        if (!info.isFile())
            return {false, QStringLiteral("it is not a regular file")};
        file_.setFileName(path);
        if (!file_.open(QIODevice::ReadOnly))
            return {false, QStringLiteral("the file cannot be read (%1)").arg(file_.errorString())};
        const qint64 size = file_.size();
        if (size > maxBytes)
            return {false, QStringLiteral("the file is too large")};
        if (size == 0)
            return {false, QStringLiteral("the file is empty")};
        if (uchar* map = file_.map(0, size)) {
            bytes_ = std::string_view(reinterpret_cast<const char*>(map), std::size_t(size));
            return {};
        }
        copy_ = file_.readAll();
        if (file_.error() != QFileDevice::NoError || copy_.isEmpty())
            return {false, QStringLiteral("the file cannot be read (%1)").arg(file_.errorString())};
        bytes_ = std::string_view(copy_.constData(), std::size_t(copy_.size()));
        return {};
    }

    std::string_view bytes() const { return bytes_; }

    // Gives back the mapped pages the reader has left behind; they are read again from the file
    // should anything look back at them.
    Progress releaser() const {
#ifdef Q_OS_UNIX
        if (copy_.isEmpty() && !bytes_.empty()) {
            // The mapping starts on a page boundary, so whole pages are counted from its start.
            char* base = const_cast<char*>(bytes_.data());
            const auto page = std::size_t(sysconf(_SC_PAGESIZE));
            return [base, page](std::size_t consumed) {
                const std::size_t keep = 64 * 1024; // the reader's immediate past
                if (consumed > keep)
                    madvise(base, (consumed - keep) / page * page, MADV_DONTNEED);
            };
        }
#endif
        return {};
    }

private:
    QFile file_;
    QByteArray copy_;
    std::string_view bytes_;
};

ReadResult readInto(std::string_view bytes, QTextDocument* document, const Limits& limits,
                    const Progress& progress = {}) {
    // Checked before the sink exists: making it clears the document, which must stay as it was.
    if (!looksLikeRtf(bytes))
        return {false, QStringLiteral("not a rich-text document")};
    document->setUndoRedoEnabled(false); // a loaded document is never edited back
    DocumentSink sink(document, limits.maxTableColumns, limits.maxBlocks);
    ReadResult result = read(bytes, sink, limits, progress);
    result.blocksCut = sink.cut();
    return result;
}

} // namespace

ReadResult readDocument(const QByteArray& bytes, QTextDocument* document, const Limits& limits) {
    return readInto(std::string_view(bytes.constData(), std::size_t(bytes.size())), document,
                    limits);
}

ReadResult loadFile(const QString& path, QTextDocument* document, const Limits& limits) {
    Input input;
    if (ReadResult opened = input.open(path, kMaxDocumentBytes); !opened.ok)
        return opened;
    return readInto(input.bytes(), document, limits, input.releaser());
}

ReadResult writeText(const QString& path, const std::function<void(QByteArrayView)>& write,
                     const Limits& limits) {
    Input input;
    if (ReadResult opened = input.open(path, std::numeric_limits<qint64>::max()); !opened.ok)
        return opened;
    TextSink sink(write, limits.maxTableColumns);
    return read(input.bytes(), sink, limits, input.releaser());
}

} // namespace orvane::rtf
