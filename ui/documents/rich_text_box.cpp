#include "ui/documents/rich_text_box.h"

#include "rtf/rtf.h"
#include "ui/common/units.h"

#include <QApplication>
#include <QPointer>
#include <QScrollBar>
#include <QTextBlock>

namespace orvane::ui {
namespace {

constexpr int kOwnLeftIndent = QTextFormat::UserProperty + 100;
constexpr int kOwnRightIndent = QTextFormat::UserProperty + 101;

} // namespace

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
    followPalette();
}

void RichTextBox::changeEvent(QEvent* event) {
    QTextBrowser::changeEvent(event);
    if (event->type() == QEvent::PaletteChange || event->type() == QEvent::ParentChange)
        followPalette();
}

void RichTextBox::followPalette() {
    if (followingPalette_)
        return; // our own setPalette() below
    const QPalette outer = parentWidget() ? parentWidget()->palette() : QApplication::palette(this);
    const bool dark = outer.color(QPalette::Base).lightness() < 128 ||
                      outer.color(QPalette::Window).lightness() < 128;
    if (dark == whitePage_)
        return;
    followingPalette_ = true;
    whitePage_ = dark;
    if (dark) {
        QPalette page;
        for (const QPalette::ColorGroup group : {QPalette::Active, QPalette::Inactive}) {
            page.setColor(group, QPalette::Base, Qt::white);
            page.setColor(group, QPalette::Text, Qt::black);
            page.setColor(group, QPalette::Link, QColor(0, 0, 238));
            page.setColor(group, QPalette::LinkVisited, QColor(85, 26, 139));
        }
        page.setColor(QPalette::Disabled, QPalette::Base, Qt::white);
        setPalette(page);
    } else {
        setPalette(QPalette()); // the design's colours, which follow the desktop's
    }
    followingPalette_ = false;
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
    contentChanged();
    return result;
}

void RichTextBox::setText(const QString& text) {
    if (text.isEmpty())
        clear();
    else
        setPlainText(text);
    contentChanged();
}

void RichTextBox::contentChanged() {
    if (indentOnChange_) {
        setSelStart(0);
        setSelLength(int(text().size()));
        setSelIndent(100);
        setSelRightIndent(100);
    }
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
    // The file's own indents are kept beside the shown ones, so that a second reaction starts
    // from the file again instead of adding up.
    const int ownProperty = left ? kOwnLeftIndent : kOwnRightIndent;
    const QTextCursor selection = textCursor();
    QTextCursor cursor(document());
    cursor.beginEditBlock();
    for (QTextBlock block = document()->findBlock(selection.selectionStart()); block.isValid();
         block = block.next()) {
        QTextBlockFormat format = block.blockFormat();
        if (!format.hasProperty(ownProperty))
            format.setProperty(ownProperty, left ? format.leftMargin() : format.rightMargin());
        const double own = std::max(0.0, format.doubleProperty(ownProperty));
        if (left) // a hanging first line must not start left of the paragraph's own edge
            format.setLeftMargin(std::max(own, -format.textIndent()) + pxF(twips));
        else
            format.setRightMargin(own + pxF(twips));
        cursor.setPosition(block.position());
        cursor.setBlockFormat(format);
        if (block.contains(selection.selectionEnd()))
            break;
    }
    cursor.endEditBlock();
}

} // namespace orvane::ui
