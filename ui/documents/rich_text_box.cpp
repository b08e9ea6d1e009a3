#include "ui/documents/rich_text_box.h"

#include "rtf/rtf.h"
#include "ui/common/units.h"

#include <QPointer>
#include <QScrollBar>
#include <QTextBlock>

namespace orvane::ui {

RichTextBox::RichTextBox(QWidget* parent) : QTextBrowser(parent) {
    // Read-only but fully navigable by keyboard: caret movement, selection, copy, links.
    setReadOnly(true);
    setTextInteractionFlags(Qt::TextBrowserInteraction | Qt::TextSelectableByKeyboard);
    setOpenLinks(false);
    setOpenExternalLinks(false);
    setUndoRedoEnabled(false);
    setFocusPolicy(Qt::StrongFocus);
    setBackgroundRole(QPalette::Base);
    connect(this, &QTextBrowser::anchorClicked, this, &RichTextBox::linkActivated);
}

rtf::ReadResult RichTextBox::LoadFile(const QString& path) {
    // Read into a fresh document first: a failed read must not leave half a document shown.
    auto* incoming = new QTextDocument(this);
    incoming->setDefaultFont(font());
    rtf::ReadResult result = rtf::loadFile(path, incoming);
    // The control deletes a document of its own when replaced; ours we delete ourselves.
    const QPointer<QTextDocument> previous = document();
    if (result.ok) {
        setDocument(incoming);
    } else {
        delete incoming;
        clear();
    }
    if (previous && previous != document() && previous->parent() == this)
        previous->deleteLater();
    moveCursor(QTextCursor::Start);
    emit Change();
    return result;
}

void RichTextBox::setText(const QString& text) {
    if (text.isEmpty())
        clear();
    else
        setPlainText(text);
    emit Change();
}

QString RichTextBox::text() const {
    return toPlainText();
}

void RichTextBox::setSelStart(int start) {
    QTextCursor cursor(document());
    cursor.setPosition(std::clamp(start, 0, document()->characterCount() - 1));
    setTextCursor(cursor);
    if (start <= 0) {
        // The caret at the start shows the document from its very top, margin included.
        verticalScrollBar()->setValue(0);
        horizontalScrollBar()->setValue(0);
    }
}

void RichTextBox::setSelLength(int length) {
    QTextCursor cursor = textCursor();
    const int anchor = cursor.selectionStart();
    const int last = document()->characterCount() - 1;
    // Tables add positions that the plain text lacks: a selection to the end of the text
    // reaches the end of the document, so the last paragraph is never left out.
    const int end = anchor + length >= text().size() ? last : std::clamp(anchor + length, 0, last);
    cursor.setPosition(anchor);
    cursor.setPosition(end, QTextCursor::KeepAnchor);
    setTextCursor(cursor);
}

void RichTextBox::setSelIndent(int twips) {
    setSelectionIndents(true, twips);
}

void RichTextBox::setSelRightIndent(int twips) {
    setSelectionIndents(false, twips);
}

void RichTextBox::setSelectionIndents(bool left, int twips) {
    QTextBlockFormat format;
    if (left)
        format.setLeftMargin(pxF(twips));
    else
        format.setRightMargin(pxF(twips));
    QTextCursor cursor = textCursor();
    cursor.mergeBlockFormat(format); // touches every block of the selection, none else
}

} // namespace orvane::ui
