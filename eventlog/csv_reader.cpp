#include "eventlog/csv_reader.h"

#include "core/catalogue.h"
#include "eventlog/event_csv.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QRegularExpression>
#include <QStringDecoder>

#include <algorithm>
#include <optional>

namespace orvane::eventlog {
namespace {

struct Record {
    int line = 0;
    QStringList fields;
};

// RFC 4180, with LF alone taken as a line end too. Each record remembers the line it starts on.
std::variant<std::vector<Record>, CsvRefusal> records(const QString& text) {
    std::vector<Record> out;
    Record record{1, {}};
    QString field;
    bool quoted = false, fieldStarted = false;
    int line = 1;
    const auto endField = [&] {
        record.fields << field;
        field.clear();
        fieldStarted = false;
    };
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (quoted) {
            if (c == u'"') {
                if (i + 1 < text.size() && text[i + 1] == u'"') {
                    field += u'"';
                    ++i;
                } else {
                    quoted = false;
                }
            } else {
                line += c == u'\n';
                field += c;
            }
            continue;
        }
        if (c == u'"' && !fieldStarted && field.isEmpty()) {
            quoted = true;
            fieldStarted = true;
        } else if (c == u',') {
            endField();
        } else if (c == u'\r' || c == u'\n') {
            if (c == u'\r' && i + 1 < text.size() && text[i + 1] == u'\n')
                ++i;
            endField();
            out.push_back(std::move(record));
            record = Record{++line, {}};
        } else {
            field += c;
            fieldStarted = true;
        }
    }
    if (quoted)
        return CsvRefusal{record.line, QStringLiteral("a quoted field is never closed")};
    if (fieldStarted || !field.isEmpty() || !record.fields.isEmpty()) {
        endField();
        out.push_back(std::move(record));
    }
    return out;
}

// The export's mark against formulas, taken off again.
QString unguarded(const QString& field) {
    return field.size() > 1 && field.front() == u'\'' &&
                   QStringView(u"=+-@\t\r").contains(field.at(1))
               ? field.mid(1)
               : field;
}

struct Columns {
    QHash<QString, int> byName;
    // Each question's key, and the columns of its option and (for a scored one) its points.
    struct Question {
        std::string key;
        int option = -1, points = -1;
    };
    std::vector<Question> questions;
};

std::variant<Columns, CsvRefusal> columns(const QStringList& header) {
    Columns c;
    for (int i = 0; i < header.size(); ++i)
        c.byName.insert(header[i], i);
    for (const QString& name : csv::kLeading + csv::kTrailing)
        if (!c.byName.contains(name))
            return CsvRefusal{1, QStringLiteral("this is not an event log's CSV: it has no "
                                                "column \"%1\"")
                                     .arg(name)};
    for (const RiskFactor& factor : Catalogue()) {
        const QString title = qs(factor.label);
        if (!c.byName.contains(title) ||
            (factor.scored() && !c.byName.contains(csv::pointsColumn(title))))
            return CsvRefusal{1, QStringLiteral("this is not an event log's CSV: it has no "
                                                "column for the question \"%1\"")
                                     .arg(title)};
        c.questions.push_back({std::string(factor.key), c.byName.value(title),
                               factor.scored() ? c.byName.value(csv::pointsColumn(title)) : -1});
    }
    return c;
}

std::optional<CeilingJudgement> ceilingNamed(const QString& name, bool* judged) {
    *judged = name != QLatin1String("not judged");
    CeilingJudgement c;
    if (!*judged || name == QLatin1String("none"))
        return c;
    if (name == QLatin1String("unknown")) {
        c.unknown = true;
        return c;
    }
    for (const CeilingRule& rule : CeilingRules())
        if (name == qs(rule.name)) {
            c.level = rule.level;
            return c;
        }
    return std::nullopt;
}

bool yesNo(const QString& text, bool* value) {
    *value = text == QLatin1String("yes");
    return *value || text == QLatin1String("no");
}

// One row as an entry of its event, or why it is none.
std::variant<ImportedDay, QString> row(const Columns& c, const QStringList& f) {
    const auto at = [&](const QString& name) { return unguarded(f[c.byName.value(name)]); };
    ImportedDay day;
    day.event.name = at(QStringLiteral("Event"));
    day.event.place = at(QStringLiteral("Place"));
    day.event.date = QDate::fromString(at(QStringLiteral("Event date")), Qt::ISODate);
    if (day.event.name.trimmed().isEmpty() || !day.event.date.isValid())
        return QStringLiteral("an entry needs its event's name and date (YYYY-MM-DD)");
    Entry entry;
    Assessment& a = entry.assessment;
    // A local time with its offset, as the log writes it ("+00:00" for UTC itself): an instant.
    static const QRegularExpression withOffset(QStringLiteral("[+-]\\d\\d:\\d\\d$"));
    const QDateTime time = QDateTime::fromString(at(QStringLiteral("Time")), Qt::ISODate);
    if (!time.isValid() || !withOffset.match(at(QStringLiteral("Time"))).hasMatch())
        return QStringLiteral("the time \"%1\" is not a date and time with its UTC offset")
            .arg(at(QStringLiteral("Time")));
    a.at = {time.toSecsSinceEpoch(), time.offsetFromUtc(), utf8(at(QStringLiteral("Time zone")))};
    for (const Columns::Question& q : c.questions) {
        Answer answer{q.key,
                      utf8(unguarded(f[q.option])),
                      q.points >= 0 ? utf8(unguarded(f[q.points])) : std::string(),
                      {}};
        const RiskFactor& factor = *FindFactor(q.key);
        if (!answer.option.empty()) {
            const auto options = FactorOptions(q.key);
            if (std::find(options.begin(), options.end(), answer.option) == options.end())
                return QStringLiteral("question \"%1\" has no option \"%2\"")
                    .arg(qs(factor.label), qs(answer.option));
            if (const auto outcome = OptionOutcome(q.key, answer.option);
                factor.scored() && answer.points != outcome)
                return QStringLiteral("\"%1\" scores %2, not %3")
                    .arg(qs(answer.option), qs(outcome.value_or("")), qs(answer.points));
        } else if (!answer.points.empty()) {
            return QStringLiteral("question \"%1\" has points but no answer").arg(qs(factor.label));
        }
        a.answers.push_back(std::move(answer));
    }
    const auto source =
        TemperatureSourceFromKey(utf8(at(QStringLiteral("Question 1 answered by"))));
    if (!source)
        return QStringLiteral("\"%1\" is not a way question 1 is answered")
            .arg(at(QStringLiteral("Question 1 answered by")));
    if (*source == TemperatureSource::Estimated || *source == TemperatureSource::Forecast) {
        AnswerSource& tool = a.answers.front().source; // question 1 comes first
        tool.kind = *source == TemperatureSource::Estimated ? AnswerSource::Kind::Estimated
                                                            : AnswerSource::Kind::Forecast;
        tool.inputs = utf8(at(QStringLiteral("Question 1 worked out from")));
        const QString wbgt = at(QStringLiteral("WBGT °F"));
        bool number = wbgt.isEmpty();
        if (!wbgt.isEmpty())
            tool.wbgtF = wbgt.toDouble(&number);
        if (!number)
            return QStringLiteral("the WBGT \"%1\" is not a number").arg(wbgt);
    }
    if (a.temperatureSource() != *source)
        return QStringLiteral("question 1 was not answered the way \"%1\" says")
            .arg(at(QStringLiteral("Question 1 answered by")));

    // The outcome must be the one the answers give: nothing is taken on trust.
    const auto assessed = Assess(a.answers);
    if (const auto* missing = std::get_if<MissingAnswer>(&assessed))
        return QStringLiteral("not every question is answered (%1)").arg(qs(missing->message));
    const Assessment& expected = std::get<Assessment>(assessed);
    bool referral = false;
    if (!yesNo(at(QStringLiteral("Medical referral")), &referral))
        return QStringLiteral("\"Medical referral\" is neither yes nor no");
    const QString band = at(QStringLiteral("Band"));
    if (referral != expected.referral || utf8(at(QStringLiteral("Total"))) != expected.total ||
        band != (expected.band ? qs(expected.band->range) : QString()))
        return QStringLiteral("its total and band (%1, %2) are not what its answers give "
                              "(%3, %4)")
            .arg(at(QStringLiteral("Total")), band, qs(expected.total),
                 expected.band ? qs(expected.band->range) : QStringLiteral("none"));
    a.referral = expected.referral;
    a.total = expected.total;
    a.band = expected.band;
    const auto ceiling = ceilingNamed(at(QStringLiteral("WBGT ceiling")), &entry.ceilingJudged);
    if (!ceiling)
        return QStringLiteral("\"%1\" is not a level of the WBGT ceiling")
            .arg(at(QStringLiteral("WBGT ceiling")));
    a.ceiling = *ceiling;
    entry.decision = at(QStringLiteral("Decision"));
    entry.note = at(QStringLiteral("Note"));
    entry.programVersion = at(QStringLiteral("Program version"));
    if (entry.decision.size() > kMaxNameLength || entry.note.size() > kMaxNoteLength)
        return QStringLiteral("its decision or note is longer than the log takes");
    bool struck = false;
    if (!yesNo(at(QStringLiteral("Struck out")), &struck))
        return QStringLiteral("\"Struck out\" is neither yes nor no");
    if (struck) {
        const QDateTime when =
            QDateTime::fromString(at(QStringLiteral("Time struck out")), Qt::ISODate);
        const QString reason = at(QStringLiteral("Reason struck out"));
        if (!when.isValid() || reason.trimmed().isEmpty())
            return QStringLiteral("a struck-out entry needs its reason and time");
        entry.struck = StruckOut{reason, when};
    }
    day.entries << entry;
    return day;
}

} // namespace

std::variant<QList<ImportedDay>, CsvRefusal> readEventCsv(const QByteArray& bytes) {
    QStringDecoder decoder(QStringDecoder::Utf8);
    const QString text = decoder(bytes);
    if (decoder.hasError())
        return CsvRefusal{1, QStringLiteral("the file is not UTF-8 text")};
    auto parsed = records(text);
    if (const auto* refused = std::get_if<CsvRefusal>(&parsed))
        return *refused;
    const auto& all = std::get<std::vector<Record>>(parsed);
    if (all.empty())
        return CsvRefusal{1, QStringLiteral("the file is empty")};
    auto found = columns(all.front().fields);
    if (const auto* refused = std::get_if<CsvRefusal>(&found))
        return *refused;
    const Columns& c = std::get<Columns>(found);
    QList<ImportedDay> days;
    for (std::size_t r = 1; r < all.size(); ++r) {
        const Record& record = all[r];
        if (record.fields.size() == 1 && record.fields.front().isEmpty())
            continue; // a blank line
        if (record.fields.size() != all.front().fields.size())
            return CsvRefusal{record.line, QStringLiteral("it has %1 fields where the header has "
                                                          "%2")
                                               .arg(record.fields.size())
                                               .arg(all.front().fields.size())};
        auto read = row(c, record.fields);
        if (const auto* why = std::get_if<QString>(&read))
            return CsvRefusal{record.line, *why};
        ImportedDay& one = std::get<ImportedDay>(read);
        const auto same = std::find_if(days.begin(), days.end(), [&](const ImportedDay& d) {
            return d.event.name == one.event.name && d.event.place == one.event.place &&
                   d.event.date == one.event.date;
        });
        if (same == days.end())
            days << one;
        else
            same->entries << one.entries;
    }
    return days;
}

std::variant<QList<ImportedDay>, QString> readEventCsvFile(const QString& path) {
    // Far beyond any day's CSV (a busy day's is some 20 kB), and short of filling memory.
    constexpr qint64 kMaxBytes = 16 << 20;
    const QString file = '"' + QDir::toNativeSeparators(path) + '"';
    const QFileInfo info(path);
    if (!info.exists())
        return QStringLiteral("There is no file %1.").arg(file);
    if (!info.isFile())
        return QStringLiteral("%1 is not a file: nothing was imported.").arg(file);
    QFile in(path);
    if (!in.open(QIODevice::ReadOnly))
        return QStringLiteral("%1 could not be read: %2.").arg(file, in.errorString());
    const QByteArray bytes = in.read(kMaxBytes + 1);
    if (bytes.size() > kMaxBytes)
        return QStringLiteral("%1 is over 16 MB: it is no day's CSV, and nothing was imported.")
            .arg(file);
    auto read = readEventCsv(bytes);
    if (const auto* refused = std::get_if<CsvRefusal>(&read))
        return QStringLiteral("%1, line %2: %3. Nothing was imported.")
            .arg(file)
            .arg(refused->line)
            .arg(refused->reason);
    return std::get<QList<ImportedDay>>(std::move(read));
}

} // namespace orvane::eventlog
