// Footnotes: their text is kept aside while the body is read and shown after it, under "Notes",
// each led by its number; \chftn puts the number at the reference.

#include "rtf/reader_state.h"

namespace orvane::rtf {

void FootnoteBuffer::text(QStringView text, const CharFormat& format) {
    events.push_back([text = text.toString(), format](Sink& s) { s.text(text, format); });
    paragraphOpen = true;
}

void FootnoteBuffer::lineBreak(const CharFormat& format) {
    events.push_back([format](Sink& s) { s.lineBreak(format); });
    paragraphOpen = true;
}

void FootnoteBuffer::image(const QImage& image, double w, double h, const CharFormat& format) {
    events.push_back([=](Sink& s) { s.image(image, w, h, format); });
    paragraphOpen = true;
}

void FootnoteBuffer::paragraphEnd(const ParFormat& format) {
    ParFormat body = format; // the notes stand after the body, outside any table
    body.inTable = false;
    body.nesting = 0;
    events.push_back([body](Sink& s) { s.paragraphEnd(body); });
    paragraphOpen = false;
}

void Reader::footnoteBegin() {
    GroupState& s = top();
    s.footnote = true;
    s.par = ParFormat{};
    ++footnoteCount_;
    footnoteStart_ = footnotes_.events.size();
    footnoteNumbered_ = false;
}

void Reader::footnoteEnd(const GroupState& closed) {
    if (footnotes_.paragraphOpen)
        footnotes_.paragraphEnd(closed.par);
    if (!footnoteNumbered_ && footnoteStart_ < footnotes_.events.size()) {
        // A note that does not number itself is numbered here, so that it can be found.
        const CharFormat format = sink_.wantsFormats() ? resolve(CharState{}, {}) : CharFormat{};
        const QString number = QString::number(footnoteCount_) + u' ';
        footnotes_.events.insert(footnotes_.events.begin() + std::ptrdiff_t(footnoteStart_),
                                 [number, format](Sink& s) { s.text(number, format); });
    }
}

void Reader::footnoteNumber() {
    if (top().footnote)
        footnoteNumbered_ = true;
    const int number = top().footnote ? footnoteCount_ : footnoteCount_ + 1;
    for (const QChar digit : QString::number(number))
        character(digit.unicode());
}

void Reader::footnotesFinish() {
    if (footnotes_.events.empty())
        return;
    if (bodyOpen_) // the body's last paragraph comes before the notes
        endParagraph();
    CharState heading;
    heading.bold = true;
    sink_.text(u"Notes", sink_.wantsFormats() ? resolve(heading, {}) : CharFormat{});
    sink_.paragraphEnd(ParFormat{});
    for (const auto& event : footnotes_.events)
        event(sink_);
    footnotes_.events.clear();
}

} // namespace orvane::rtf
