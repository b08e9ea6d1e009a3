#pragma once

// The rich-text box all three document areas use. It shows one RTF document with the file's own
// fonts and formatting; people can scroll, select, copy and follow links, but not type.
// `Change` is raised once after every change of content, before the changing call returns, and
// never for selection or paragraph-format changes, so a reaction to it cannot re-enter itself.

#include "rtf/reader.h"

#include <QTextBrowser>

namespace orvane::ui {

class RichTextBox : public QTextBrowser {
    Q_OBJECT

public:
    explicit RichTextBox(QWidget* parent = nullptr);

    // Replaces the whole content with the RTF file at `path`. On failure the box is emptied (an
    // older document never stays behind) and the reason is returned for the caller to report.
    rtf::ReadResult LoadFile(const QString& path);

    // Replaces the content with plain text; the empty text empties the box.
    void setText(const QString& text);
    QString text() const;

    // Character positions from 0, as in the plain text.
    void setSelStart(int start);
    void setSelLength(int length);
    // Left and right indents of every paragraph the selection touches: `twips` on top of the
    // paragraph's own indents from the file. Hanging indents and list levels keep their shape,
    // and no first line (a bullet's included) starts left of `twips`. Setting them again
    // replaces, never accumulates.
    void setSelIndent(int twips);
    void setSelRightIndent(int twips);

    // The change reaction of the windows that frame a document in the box: every new content
    // gets both indents of 100 twips on every paragraph before Change is raised. Off by default:
    // the calculator's guidelines box has no such reaction.
    void setIndentOnChange(bool on) { indentOnChange_ = on; }

protected:
    void changeEvent(QEvent* event) override;

signals:
    void Change();
    // A link in the document was followed; the window decides how to open it.
    void linkActivated(const QUrl& url);

private:
    void setSelectionIndents(bool left, int twips);
    void contentChanged();
    // The documents are written for a light page, with their own dark headings and pale table
    // shading: under a dark palette the box keeps a white page with black text.
    void followPalette();

    bool indentOnChange_ = false;
    bool followingPalette_ = false;
    bool whitePage_ = false;
};

} // namespace orvane::ui
