#pragma once

// The record of one assessment, for the organizer to file, print or send: what was asked and
// answered, the total and the band's decision, the advice the window showed, and lines to fill
// in by hand. It is built once, as one rich-text document, when "Calculate Total:" produces a
// result; the PDF, the printer and the clipboard all take that same document.

#include <QDateTime>
#include <QPageSize>
#include <QString>

#include <memory>
#include <optional>
#include <vector>

class QPrinter;

class QLocale;
class QPagedPaintDevice;
class QTextDocument;

namespace orvane::ui {

// Where an answer came from: the person's own choice, or a tool that chose it at their request.
struct AnswerSource {
    enum class Kind { ByHand, Estimated, Forecast };
    Kind kind = Kind::ByHand;
    QString inputs; // what the tool was given and found, in words, for the record and the log
};

struct Assessment {
    struct Answer {
        QString key;      // the question's key in the catalogue
        QString question; // the caption, as the window shows it
        QString answer;   // the chosen option, "not used" or "not answered"
        QString points;   // the points box, "referral" or "no points"
        AnswerSource source;
    };
    QDateTime calculated;                  // local time
    std::vector<Answer> answers;           // every question, in the window's order
    std::optional<QString> total;          // none for a medical referral
    const QTextDocument* advice = nullptr; // what the window shows under the questions
};

std::unique_ptr<QTextDocument> buildRecord(const Assessment& assessment);

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
QString saveRecordPdf(const QTextDocument& record, const QString& path, const QLocale& locale);

} // namespace orvane::ui
