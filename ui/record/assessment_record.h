#pragma once

// The record of one assessment, for the organizer to file, print or send: what was asked and
// answered, the total and the band's decision, the advice the window showed, and lines to fill
// in by hand. It is built once, as one rich-text document, when "Calculate Total:" produces a
// result; the PDF, the printer and the clipboard all take that same document.

#include "core/assessment.h"

#include <QColor>
#include <QDateTime>
#include <QPageSize>
#include <QString>
#include <QStringList>
#include <QTextCursor>

#include <functional>
#include <memory>
#include <optional>
#include <vector>

class QImage;
class QPrinter;
class QTextCharFormat;

class QLocale;
class QPagedPaintDevice;
class QTextDocument;

namespace orvane::ui {

using orvane::AnswerSource;
using orvane::Assessment;

// Open-Meteo's data are CC BY 4.0: every record that shows forecast values says so.
inline const QString kOpenMeteoCredit = QStringLiteral("Weather data by Open-Meteo.com");

inline const QString kRecordDisclaimer =
    QStringLiteral("This record is general guidance based on hot-weather guidelines, not medical "
                   "advice. The organizer remains responsible for the safety of everyone at the "
                   "event and for every decision about it.");

// "CDT (UTC-05:00)", or just the offset where the zone has no name of its own.
QString zoneText(const QDateTime& time);

// Writes the program's printed documents in one style, from the top down: the assessment
// record, the day's plan and the event log's day report.
class RecordWriter {
public:
    // The title, then the program and its version.
    explicit RecordWriter(const QString& title);
    ~RecordWriter();
    RecordWriter(const RecordWriter&) = delete;
    RecordWriter& operator=(const RecordWriter&) = delete;

    void line(const QString& text);
    void smallLine(const QString& text);
    void strongLine(const QString& text);
    void heading(const QString& text);
    // Lines to fill in by hand, each "Label: ____", then the decision and a signature.
    void fillInLines(const QStringList& labels);
    // A table with a header row; `ink` gives a cell's text colour, black without it.
    void table(const QStringList& header, const std::vector<QStringList>& rows,
               const QList<int>& percentWidths,
               const std::function<QColor(int row, int column)>& ink = {});
    // A picture `widthPx` wide (at 96 dpi, as the pages are laid out).
    void image(const QImage& picture, double widthPx);
    void fragment(const QTextDocument& document);
    // Ends with the disclaimer.
    std::unique_ptr<QTextDocument> finish(const QString& disclaimer);

private:
    void paragraph(const QString& text, const QTextCharFormat& format, double spaceBefore = 0,
                   double spaceAfter = 2);

    std::unique_ptr<QTextDocument> doc_;
    QTextCursor cursor_;
    int images_ = 0;
};

// The record of an assessment, with the advice the window showed beside it (none: left out).
std::unique_ptr<QTextDocument> buildRecord(const Assessment& assessment,
                                           const QTextDocument* advice);

// The record as plain text, for an e-mail or a log: bullets become "-".
QString recordText(const QTextDocument& record);

// Letter where people use it, A4 elsewhere.
QPageSize::PageSizeId recordPageSize(const QLocale& locale);

// "Heat risk assessment 2026-12-06 1430.pdf", from the time of the calculation.
QString recordFileName(const QDateTime& calculated);

// Sets the printer up as the PDF is: the same paper, margins and proposed file name, so that
// printing to a file gives what "Save as PDF" gives.
void prepareRecordPrinter(QPrinter& printer, const QLocale& locale, const QDateTime& calculated);

// Prints the record on the printer as chosen in a print dialog. Returns the reason on failure,
// empty on success.
QString printRecord(const QTextDocument& record, QPrinter& printer);

// Writes the record as a PDF at `path`, through a temporary file renamed into place: a failed
// save leaves no partial file and any older file of that name as it was. Returns the reason on
// failure, empty on success.
// `title` goes into the PDF's properties.
QString saveRecordPdf(const QTextDocument& record, const QString& path, const QLocale& locale,
                      const QString& title = QStringLiteral("Heat illness risk assessment"));

} // namespace orvane::ui
