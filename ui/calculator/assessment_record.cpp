#include "ui/calculator/assessment_record.h"

#include "rtf/rtf.h"
#include "ui/common/fonts.h"

#include <QDir>
#include <QFileInfo>
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

void paragraph(QTextCursor& cursor, const QString& text, const QTextCharFormat& format,
               double spaceBefore = 0, double spaceAfter = 2) {
    QTextBlockFormat block;
    block.setTopMargin(spaceBefore);
    block.setBottomMargin(spaceAfter);
    cursor.insertBlock(block, format);
    cursor.insertText(text, format);
}

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

// The advice's first line: for a band its decision, for a referral what it means.
QString decisionLine(const QTextDocument& advice) {
    for (QTextBlock b = advice.begin(); b.isValid(); b = b.next())
        if (!b.text().trimmed().isEmpty())
            return b.text().trimmed();
    return {};
}

} // namespace

std::unique_ptr<QTextDocument> buildRecord(const Assessment& a) {
    auto doc = std::make_unique<QTextDocument>();
    doc->setDefaultFont(designFont(QStringLiteral("Arial"), 10.5, false));
    doc->setUndoRedoEnabled(false);
    QTextCursor cursor(doc.get());
    const QTextCharFormat body = textFormat(10.5);

    cursor.setCharFormat(textFormat(18, true, false, kNavy));
    cursor.insertText(QStringLiteral("Heat illness risk assessment"));
    paragraph(cursor, QStringLiteral("Solvane Calculator \u00b0F %1").arg(ORVANE_VERSION), body);
    paragraph(
        cursor,
        QStringLiteral("Calculated: %1 %2")
            .arg(a.calculated.toString(QStringLiteral("yyyy-MM-dd HH:mm")), zoneText(a.calculated)),
        body);

    const QString line(38, u'_');
    for (const char* label : {"Event", "Location", "Assessed by"})
        paragraph(cursor, QStringLiteral("%1: %2").arg(QLatin1String(label), line), body, 6);
    paragraph(cursor, QStringLiteral("Decision taken: %1%1").arg(line), body, 6);
    paragraph(cursor, QStringLiteral("Signature: %1    Time: %2").arg(line, QString(14, u'_')),
              body, 6, 6);

    paragraph(cursor, QStringLiteral("The assessment"), textFormat(12.5, true, false, kNavy), 10);
    QTextTableFormat tableFormat;
    tableFormat.setBorder(1);
    tableFormat.setBorderBrush(QColor(128, 128, 128));
    tableFormat.setBorderStyle(QTextFrameFormat::BorderStyle_Solid);
    tableFormat.setBorderCollapse(true);
    tableFormat.setCellPadding(2);
    tableFormat.setCellSpacing(0);
    tableFormat.setWidth(QTextLength(QTextLength::PercentageLength, 100));
    tableFormat.setColumnWidthConstraints({QTextLength(QTextLength::PercentageLength, 46),
                                           QTextLength(QTextLength::PercentageLength, 40),
                                           QTextLength(QTextLength::PercentageLength, 14)});
    tableFormat.setHeaderRowCount(1);
    QTextTable* table = cursor.insertTable(int(a.answers.size()) + 1, 3, tableFormat);
    const QTextCharFormat cellText = textFormat(9.5);
    const QTextCharFormat headText = textFormat(9.5, true);
    const QStringList head{QStringLiteral("Question"), QStringLiteral("Answer"),
                           QStringLiteral("Risk points")};
    for (int c = 0; c < 3; ++c)
        table->cellAt(0, c).firstCursorPosition().insertText(head[c], headText);
    for (std::size_t r = 0; r < a.answers.size(); ++r) {
        const Assessment::Answer& row = a.answers[r];
        const QString cells[] = {row.question, row.answer, row.points};
        for (int c = 0; c < 3; ++c)
            table->cellAt(int(r) + 1, c).firstCursorPosition().insertText(cells[c], cellText);
    }
    cursor.movePosition(QTextCursor::End);

    const QString decision = a.advice ? decisionLine(*a.advice) : QString();
    paragraph(cursor,
              a.total ? QStringLiteral("Total: %1").arg(*a.total)
                      : QStringLiteral("No total: a serious medical condition was chosen, so the "
                                       "assessment is a medical referral."),
              textFormat(12.5, true), 10);
    paragraph(cursor, decision, textFormat(10.5, true));

    paragraph(cursor, a.total ? QStringLiteral("What to do") : QStringLiteral("Medical advice"),
              textFormat(12.5, true, false, kNavy), 10);
    if (a.advice) {
        QTextBlockFormat plain;
        cursor.insertBlock(plain, body);
        cursor.insertFragment(QTextDocumentFragment(a.advice));
    }

    paragraph(cursor,
              QStringLiteral("This record is general guidance based on hot-weather guidelines, "
                             "not medical advice. The organizer remains responsible for the "
                             "safety of everyone at the event and for every decision about it."),
              textFormat(9, false, true, QColor(64, 64, 64)), 12);
    return doc;
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

QString printRecord(const QTextDocument& record, QPrinter& printer) {
    layOutOnPages(record, &printer);
    if (printer.printerState() != QPrinter::Error)
        return {};
    return printer.outputFileName().isEmpty()
               ? QStringLiteral("the printer reported an error")
               : QStringLiteral("\"%1\" could not be written")
                     .arg(QDir::toNativeSeparators(printer.outputFileName()));
}

QString saveRecordPdf(const QTextDocument& record, const QString& path, const QLocale& locale) {
    if (QFileInfo(path).isDir())
        return QStringLiteral("it is a folder");
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return file.errorString();
    {
        QPdfWriter pdf(&file);
        pdf.setPageSize(QPageSize(recordPageSize(locale)));
        pdf.setPageMargins(QMarginsF(10, 10, 10, 10), QPageLayout::Millimeter);
        pdf.setTitle(QStringLiteral("Heat illness risk assessment"));
        pdf.setCreator(QStringLiteral("Solvane Calculator \u00b0F %1").arg(ORVANE_VERSION));
        layOutOnPages(record, &pdf);
    }
    if (!file.commit())
        return file.errorString();
    return {};
}

} // namespace orvane::ui
