// Fields: a field's instruction says what it is, its result is what it shows. A HYPERLINK
// instruction makes its result a link; every other field shows its result as it stands.

#include "rtf/reader_state.h"

#include <QStringList>

namespace orvane::rtf {
namespace {

// The target of a HYPERLINK field instruction: its first argument, or "#bookmark" for \l.
QString hyperlinkTarget(const QString& instruction) {
    // Words are separated by blanks; a quoted argument is one word, blanks and all.
    QStringList words;
    QString word;
    bool quoted = false, inWord = false;
    for (const QChar c : instruction) {
        if (c == u'"') {
            if (quoted) {
                words << word;
                word.clear();
            }
            quoted = !quoted;
            inWord = quoted;
        } else if (!quoted && c.isSpace()) {
            if (inWord) {
                words << word;
                word.clear();
            }
            inWord = false;
        } else {
            word += c;
            inWord = true;
        }
    }
    if (inWord)
        words << word;
    if (words.isEmpty() || words.front().compare(u"HYPERLINK", Qt::CaseInsensitive) != 0)
        return {};
    QString target, bookmark;
    for (qsizetype i = 1; i < words.size(); ++i) {
        const QString& w = words[i];
        if (w.startsWith(u'\\')) {
            if (w == u"\\l" && i + 1 < words.size())
                bookmark = words[++i];
            else if ((w == u"\\o" || w == u"\\t" || w == u"\\m") && i + 1 < words.size())
                ++i;
        } else if (target.isEmpty()) {
            target = w;
        }
    }
    if (!bookmark.isEmpty())
        target += u'#' + bookmark;
    return target;
}

} // namespace

void Reader::fieldInstructionEnd() {
    top().fieldHref = hyperlinkTarget(fieldInstruction_);
    fieldInstruction_.clear();
}

} // namespace orvane::rtf
