#include "ui/record/assessment_record.h"

#include "core/catalogue.h"
#include "coreqt/core_qt.h"
#include "rtf/rtf.h"
#include "ui/common/fonts.h"

#include <QDir>
#include <QFileInfo>
#include <QImage>
#include <QLocale>
#include <QPageLayout>
#include <QPagedPaintDevice>
#include <QPdfWriter>
#include <QPrinter>
#include <QSaveFile>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextDocumentFragment>
#include <QTextList>
#include <QTextTable>

namespace orvane::ui {
namespace {

const QColor kNavy(0, 0, 128);

QTextCharFormat textFormat(double points, bool bold = false, bool italic = false,
                           QColor color = Qt::black) {
    QTextCharFormat f;
    f.setFontFamilies({QStringLiteral("Arial")});
    f.setFontPointSize(points);
    f.setFontWeight(bold ? QFont::Bold : QFont::Normal);
    f.setFontItalic(italic);
    f.setForeground(color);
    return f;
}

QString captionOf(const std::string& key) {
    const RiskFactor* factor = FindFactor(key);
    return factor ? qs(factor->label) : qs(key);
}

// How a tool answered a question, for a reader who was not there.
QString sourceText(const Answer& answer) {
    switch (answer.source.kind) {
    case AnswerSource::Kind::ByHand: return {};
    case AnswerSource::Kind::Estimated:
        return QStringLiteral("%1: estimated from the weather, %2")
            .arg(captionOf(answer.key), qs(answer.source.inputs));
    case AnswerSource::Kind::Forecast:
        return QStringLiteral("%1: from the weather forecast, %2. %3")
            .arg(captionOf(answer.key), qs(answer.source.inputs), kOpenMeteoCredit);
    }
    return {};
}

const QMarginsF kMarginsMm(10, 10, 10, 10);

} // namespace

QString zoneText(const QDateTime& t) {
    const int offset = t.offsetFromUtc();
    const QString utc = QStringLiteral("UTC%1%2:%3")
                            .arg(QChar(offset < 0 ? u'-' : u'+'))
                            .arg(std::abs(offset) / 3600, 2, 10, QChar(u'0'))
                            .arg(std::abs(offset) % 3600 / 60, 2, 10, QChar(u'0'));
    const QString name = t.timeZoneAbbreviation();
    return name.isEmpty() || name.startsWith(u"UTC") || name.startsWith(u"GMT")
               ? utc
               : name + QStringLiteral(" (") + utc + u')';
}

RecordWriter::RecordWriter(const QString& title) : doc_(std::make_unique<QTextDocument>()) {
    doc_->setDefaultFont(designFont(QStringLiteral("Arial"), 10.5, false));
    doc_->setUndoRedoEnabled(false);
    // Lines break between words only: a narrow column widens rather than split "Humidity".
    QTextOption option = doc_->defaultTextOption();
    option.setWrapMode(QTextOption::WordWrap);
    doc_->setDefaultTextOption(option);
    cursor_ = QTextCursor(doc_.get());
    cursor_.setCharFormat(textFormat(18, true, false, kNavy));
    cursor_.insertText(title);
    line(QStringLiteral("Solvane Calculator \u00b0F %1").arg(ORVANE_VERSION));
}

RecordWriter::~RecordWriter() = default;

void RecordWriter::paragraph(const QString& text, const QTextCharFormat& format, double spaceBefore,
                             double spaceAfter) {
    QTextBlockFormat block;
    block.setTopMargin(spaceBefore);
    block.setBottomMargin(spaceAfter);
    cursor_.insertBlock(block, format);
    cursor_.insertText(text, format);
}

void RecordWriter::line(const QString& text) {
    paragraph(text, textFormat(10.5));
}

void RecordWriter::smallLine(const QString& text) {
    paragraph(text, textFormat(9.5), 4);
}

void RecordWriter::strongLine(const QString& text) {
    paragraph(text, textFormat(12.5, true), 10);
}

void RecordWriter::heading(const QString& text) {
    paragraph(text, textFormat(12.5, true, false, kNavy), 10);
}

void RecordWriter::fillInLines(const QStringList& labels) {
    const QString blank(38, u'_');
    for (const QString& label : labels)
        paragraph(QStringLiteral("%1: %2").arg(label, blank), textFormat(10.5), 6);
    paragraph(QStringLiteral("Decision taken: %1%1").arg(blank), textFormat(10.5), 6);
    paragraph(QStringLiteral("Signature: %1    Time: %2").arg(blank, QString(14, u'_')),
              textFormat(10.5), 6, 6);
}

void RecordWriter::table(const QStringList& header, const std::vector<QStringList>& rows,
                         const QList<int>& percentWidths,
                         const std::function<QColor(int row, int column)>& ink) {
    QTextTableFormat format;
    format.setBorder(1);
    format.setBorderBrush(QColor(128, 128, 128));
    format.setBorderStyle(QTextFrameFormat::BorderStyle_Solid);
    format.setBorderCollapse(true);
    format.setCellPadding(2);
    format.setCellSpacing(0);
    format.setWidth(QTextLength(QTextLength::PercentageLength, 100));
    QList<QTextLength> widths;
    for (const int percent : percentWidths)
        widths << QTextLength(QTextLength::PercentageLength, percent);
    format.setColumnWidthConstraints(widths);
    format.setHeaderRowCount(1);
    const int columns = int(header.size());
    QTextTable* t = cursor_.insertTable(int(rows.size()) + 1, columns, format);
    for (int c = 0; c < columns; ++c)
        t->cellAt(0, c).firstCursorPosition().insertText(header[c], textFormat(9.5, true));
    for (std::size_t r = 0; r < rows.size(); ++r)
        for (int c = 0; c < columns && c < rows[r].size(); ++c)
            t->cellAt(int(r) + 1, c)
                .firstCursorPosition()
                .insertText(rows[r][c],
                            textFormat(9.5, false, false, ink ? ink(int(r), c) : Qt::black));
    cursor_.movePosition(QTextCursor::End);
}

void RecordWriter::image(const QImage& picture, double widthPx) {
    const QString name = QStringLiteral("record-image-%1").arg(++images_);
    doc_->addResource(QTextDocument::ImageResource, QUrl(name), picture);
    QTextImageFormat format;
    format.setName(name);
    format.setWidth(widthPx);
    format.setHeight(widthPx * picture.height() / std::max(1, picture.width()));
    cursor_.insertBlock();
    cursor_.insertImage(format);
}

void RecordWriter::fragment(const QTextDocument& document) {
    cursor_.insertBlock(QTextBlockFormat(), textFormat(10.5));
    cursor_.insertFragment(QTextDocumentFragment(&document));
}

std::unique_ptr<QTextDocument> RecordWriter::finish(const QString& disclaimer) {
    paragraph(disclaimer, textFormat(9, false, true, QColor(64, 64, 64)), 12);
    return std::move(doc_);
}

std::unique_ptr<QTextDocument> buildRecord(const Assessment& a, const QTextDocument* advice) {
    RecordWriter w(QStringLiteral("Heat illness risk assessment"));
    const QDateTime calculated = localTime(a.at);
    w.line(QStringLiteral("Calculated: %1 %2")
               .arg(calculated.toString(QStringLiteral("yyyy-MM-dd HH:mm")), zoneText(calculated)));
    w.fillInLines(
        {QStringLiteral("Event"), QStringLiteral("Location"), QStringLiteral("Assessed by")});
    w.heading(QStringLiteral("The assessment"));
    std::vector<QStringList> rows;
    for (const Answer& row : a.answers) {
        const RiskFactor* factor = FindFactor(row.key);
        QString option = qs(row.option), points = qs(row.points);
        if (option.isEmpty()) // a question asked two ways is "not used" the other way
            option = factor && factor->alternativeTo ? QStringLiteral("not used")
                                                     : QStringLiteral("not answered");
        if (factor && !factor->scored())
            points = QStringLiteral("no points");
        else if (points == QLatin1String(kReferralMarker.data()))
            points = QStringLiteral("referral");
        rows.push_back({captionOf(row.key), option, points});
    }
    w.table({QStringLiteral("Question"), QStringLiteral("Answer"), QStringLiteral("Risk points")},
            rows, {46, 40, 14});
    for (const Answer& answer : a.answers)
        if (const QString source = sourceText(answer); !source.isEmpty())
            w.smallLine(source);

    // The advice opens with the decision (and the ceiling, where one applies, before it), so the
    // record states them there and only there.
    w.strongLine(a.referral ? QStringLiteral("Total: none (medical referral)")
                            : QStringLiteral("Total: %1").arg(qs(a.total)));
    w.heading(a.referral ? QStringLiteral("Medical advice") : QStringLiteral("What to do"));
    if (advice)
        w.fragment(*advice);
    return w.finish(kRecordDisclaimer);
}

QString recordText(const QTextDocument& record) {
    // The text the reader's documents give, so that no paragraph of a table cell is dropped,
    // with cells parted for the eye and bullets as typed.
    rtf::TextOptions options;
    options.cellSeparator = QStringLiteral(" | ");
    options.bullet = QStringLiteral("-");
    QStringList lines = rtf::plainText(record, options).split(u'\n');
    for (QString& line : lines) {
        // A marker the document writes as text reads as "-" too.
        static const QString markers = QStringLiteral("\u2022\u25aa\u25cf\u25e6\u2013-*");
        if (!line.isEmpty() && markers.contains(line.front()))
            line = QStringLiteral("- ") + line.sliced(1).trimmed();
    }
    return lines.join(u'\n');
}

QPageSize::PageSizeId recordPageSize(const QLocale& locale) {
    switch (locale.territory()) {
    case QLocale::UnitedStates:
    case QLocale::Canada:
    case QLocale::Mexico:
    case QLocale::Chile:
    case QLocale::Colombia:
    case QLocale::Venezuela:
    case QLocale::Philippines:
    case QLocale::PuertoRico: return QPageSize::Letter;
    default: return QPageSize::A4;
    }
}

QString recordFileName(const QDateTime& calculated) {
    return QStringLiteral("Heat risk assessment %1.pdf")
        .arg(calculated.toString(QStringLiteral("yyyy-MM-dd HHmm")));
}

namespace {

// Lays the record out on pages of the device, without page numbers for one page.
void layOutOnPages(const QTextDocument& record, QPagedPaintDevice* device) {
    // Laid out on pages measured as the screen measures, then scaled to the device: the record's
    // indents and tab stops are screen pixels, which the device's own pixels would shrink.
    const std::unique_ptr<QTextDocument> pages(record.clone());
    const QRectF paper = device->pageLayout().paintRect(QPageLayout::Point);
    pages->setPageSize(paper.size() * 96.0 / 72.0);
    pages->setDocumentMargin(0);
    pages->print(device);
}

} // namespace

void prepareRecordPrinter(QPrinter& printer, const QLocale& locale, const QDateTime& calculated) {
    printer.setPageSize(QPageSize(recordPageSize(locale)));
    printer.setPageMargins(kMarginsMm, QPageLayout::Millimeter);
    // The print dialog proposes this name, with ".pdf", when printing to a file.
    printer.setDocName(QFileInfo(recordFileName(calculated)).completeBaseName());
}

QString printRecord(const QTextDocument& record, QPrinter& printer) {
    layOutOnPages(record, &printer);
    if (printer.printerState() != QPrinter::Error)
        return {};
    return printer.outputFileName().isEmpty()
               ? QStringLiteral("the printer reported an error")
               : QStringLiteral("\"%1\" could not be written")
                     .arg(QDir::toNativeSeparators(printer.outputFileName()));
}

QString saveRecordPdf(const QTextDocument& record, const QString& path, const QLocale& locale,
                      const QString& title) {
    if (QFileInfo(path).isDir())
        return QStringLiteral("it is a folder");
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return file.errorString();
    {
        QPdfWriter pdf(&file);
        pdf.setPageSize(QPageSize(recordPageSize(locale)));
        pdf.setPageMargins(kMarginsMm, QPageLayout::Millimeter);
        pdf.setTitle(title);
        pdf.setCreator(QStringLiteral("Solvane Calculator \u00b0F %1").arg(ORVANE_VERSION));
        layOutOnPages(record, &pdf);
    }
    if (!file.commit())
        return file.errorString();
    return {};
}

} // namespace orvane::ui
