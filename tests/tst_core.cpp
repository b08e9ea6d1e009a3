// The risk core: every band edge with totals worked out by hand, the first missing answer and the
// referral, lookups by exact text, the selection rule, how the evaluation reads texts that only a
// direct caller can give it, and the WBGT ceiling at each of its edges.

#include "core/catalogue.h"
#include "core/evaluation.h"
#include "core/wbgt_ceiling.h"
#include "core/wbgt_table.h"

#include <QFileInfo>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

#include <clocale>
#include <cstdlib>

#include <limits>

using namespace orvane;

namespace {

constexpr std::string_view kScoredKeys[] = {"Duration", "Intensity", "Acclimatization",
                                            "Ability",  "Age",       "Drinks",
                                            "Time",     "Surface",   "Venue"};

// The outcome of an assessment given as option texts, or as the points of an option: the air
// temperature, the nine other scored factors and Medical, "" for no answer. Written as
// "missing: <message>", "referral", or "<display text> <document>".
QString assess(const QStringList& answers) {
    std::array<std::string, kBoxCount> held;
    const auto outcome = [](std::string_view key, const QString& text) {
        bool points = false;
        text.toInt(&points);
        const std::string bytes = text.toStdString();
        return text.isEmpty() || points ? bytes
                                        : std::string(OptionOutcome(key, bytes).value_or("?"));
    };
    held[0] = outcome("Dry_Bulb", answers[0]);
    for (std::size_t i = 0; i < std::size(kScoredKeys); ++i)
        held[i + 2] = outcome(kScoredKeys[i], answers[int(i) + 1]);
    held[11] = outcome("Medical", answers[10]);
    BoxTexts texts;
    for (std::size_t i = 0; i < kBoxCount; ++i)
        texts[i] = held[i];
    const EvaluationOutcome result = EvaluateRisk(texts);
    if (const auto* missing = std::get_if<MissingAnswer>(&result))
        return "missing: " + QString::fromUtf8(missing->message.data());
    if (std::holds_alternative<MedicalReferral>(result))
        return "referral";
    const auto& scored = std::get<Scored>(result);
    return QString::fromStdString(scored.display) + ' ' +
           QString::fromUtf8(scored.band ? scored.band->document.data() : "no band");
}

// Everything answered at its middle option: 10+6+6+5+6+5+4+5+2+4+0 = 53.
QStringList middle() {
    return QString("75-85.9|60 to 120|Moderate pace throughout|Used to warm weather conditions|"
                   "Good fitness level|13 to 17|15 to 25|4 pm to sunset|Grass|"
                   "Indoor no air conditioning|None")
        .split(u'|');
}

QStringList with(QStringList answers, int index, const QString& text) {
    answers[index] = text;
    return answers;
}

} // namespace

class TestCore : public QObject {
    Q_OBJECT

private slots:
    void assessments_data() {
        QTest::addColumn<QStringList>("answers");
        QTest::addColumn<QString>("expected");
        const QString low = "Risk Score 55 and below recommendation.rtf";
        const QString moderate = "Risk Score 56-65 recommendation.rtf";
        const QString high = "Risk Score 66-74 recommendation.rtf";
        const QString extreme = "Risk Score  75 recommendation.rtf";
        const auto row = [](const char* name, const QStringList& answers, const QString& expected) {
            QTest::newRow(name) << answers << expected;
        };
        // The band edges, worked by hand: each answer given as its points, Medical's 0 last. An
        // assessment by option texts is the windows' and orvane-eval's, WBGT alone included.
        for (const auto& [points, expected] : {std::pair{"20+6+2+5+2+5+8+2+4+1", " 55 " + low},
                                               {"2+8+6+8+6+5+10+2+8+1", " 56 " + moderate},
                                               {"10+2+6+5+6+8+6+10+4+8", " 65 " + moderate},
                                               {"20+6+10+2+6+2+8+5+6+1", " 66 " + high},
                                               {"10+6+8+5+8+8+10+5+6+8", " 74 " + high},
                                               {"20+4+8+8+2+5+8+10+6+4", " 75 " + extreme}})
            QTest::newRow(points) << QString("%1+0").arg(points).split(u'+') << expected;
        row("medical referral", with(middle(), 10, "Extreme: Flu,Diarrhea,Drugs,Alcohol, *"),
            "referral");
        // The first missing answer in window order, and only that one, whatever follows it: the
        // first question, the second, and the last two.
        const std::pair<int, const char*> firsts[] = {{0, "Temperature"},
                                                      {1, "Overall Length of Event"},
                                                      {9, "Venue"},
                                                      {10, "Medical Conditions"}};
        for (const auto& [first, name] : firsts) {
            QStringList answers = middle();
            for (int later = first; later < 11; later += 2)
                answers[later].clear(); // every other later answer gone too
            QTest::addRow("first missing: %s", name)
                << answers << QString("missing: Please add %1 data.").arg(name);
        }
        row("a missing answer comes before a referral",
            with(with(middle(), 9, ""), 10, "Extreme: Flu,Diarrhea,Drugs,Alcohol, *"),
            "missing: Please add Venue data.");
    }

    void assessments() {
        QFETCH(QStringList, answers);
        QFETCH(QString, expected);
        QCOMPARE(assess(answers), expected);
    }

    void lookupIsExact_data() {
        QTest::addColumn<QString>("key");
        QTest::addColumn<QByteArray>("text");
        QTest::newRow("trailing blank") << "Venue" << QByteArray("Outdoors ");
        QTest::newRow("latin-1 degree") << "WBGT"
                                        << QByteArray("<73\xb0"
                                                      "F");
        QTest::newRow("another factor's option") << "Age" << QByteArray("Outdoors");
    }

    void lookupIsExact() {
        QFETCH(QString, key);
        QFETCH(QByteArray, text);
        QVERIFY(!OptionOutcome(key.toStdString(), text.toStdString()).has_value());
    }

    void selectionRule_data() {
        QTest::addColumn<QString>("key");
        QTest::addColumn<int>("index");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("effect"); // "box=points, disables list"
        const auto row = [](const char* name, const char* key, int index, const QString& text,
                            const char* effect) {
            QTest::newRow(name) << key << index << text << effect;
        };
        // A choice of each temperature list, and a referral, are tst_calculator's, by mouse.
        row("no choice does nothing", "Dry_Bulb", -1, "<75\u00b0F", "=, ");
        row("an unknown text still locks", "Dry_Bulb", 0, "<75\u00b0F ", "=, WBGT");
        row("the text decides, not the index", "Age", 0, "Over 40", "Age=8, ");
        row("the reminder list does nothing", "Other", 0, "Shade available during breaks?", "=, ");
    }

    void selectionRule() {
        QFETCH(QString, key);
        QFETCH(int, index);
        QFETCH(QString, text);
        QFETCH(QString, effect);
        const std::string k = key.toStdString(), t = text.toStdString();
        const SelectionEffect e = SelectionRule(k, index, t);
        const auto s = [](std::string_view v) { return QString::fromUtf8(v.data(), v.size()); };
        QCOMPARE(s(e.pointsBoxKey.value_or("")) + '=' + s(e.points) + ", " +
                     s(e.disableListKey.value_or("")),
                 effect);
    }

    // Texts the window never writes, only a direct caller such as orvane-eval: read as C reads
    // decimals, saturating instead of overflowing, Time rounded half to even into 16 bits, and the
    // total shown as people write it, with no binary noise and never more than 15 digits.
    void directCallers_data() {
        QTest::addColumn<QByteArray>("time");   // beside 47 points of other answers
        QTest::addColumn<QByteArray>("others"); // "": the 47; else every other box holds this
        QTest::addColumn<QString>("display");
        const auto row = [](const char* name, const QByteArray& time, const QString& display,
                            const QByteArray& others = {}) {
            QTest::newRow(name) << time << others << display;
        };
        row("single blank counts, as 0", " ", " 47");
        row("leading blanks, trailing junk", "  7abc", " 54");
        row("2.5 rounds to even 2", "2.5", " 49");
        row("3.5 rounds to even 4", "3.5", " 51");
        row("exponent", "1e2", " 147");
        row("hex is not read", "0x10", " 47");
        row("beyond 16 bits saturates", "40000", " 32814");
        row("below 16 bits saturates", "-40000", "-32721");
        row("huge", QByteArray(400, '9'), " 32814");
        row("invalid UTF-8 after digits", "4\xff\xfe", " 51");
        row("no binary noise in 11 x 0.1", "0", " 1.1", "0.1");
        row("15 digits, spelled out", "0", " 12345678901234500000", "1122334445566772000");
        row("tiny totals spelled out", "0", "-0.000000000000000000022", "-2e-21");
        row("saturated, never infinite", "0", " 179769313486232000000" + QString(288, u'0'),
            QByteArray(1000, '9'));
        row("below the smallest double reads 0", "0", " 0", "1e-400");
        row("subnormals are read, not zeroed", "0", " 0." + QString(308, u'0') + "11", "1e-310");
    }

    void directCallers() {
        QFETCH(QByteArray, time);
        QFETCH(QByteArray, others);
        QFETCH(QString, display);
        const std::string t = time.toStdString(), o = others.toStdString();
        BoxTexts texts{"", "10", "4", "6", "5", "6", "2", "4", t, "2", "8", "0"};
        if (!others.isEmpty())
            for (std::size_t i = 0; i < kBoxCount; ++i)
                if (i != std::size_t(Box::Time))
                    texts[i] = o;
        QCOMPARE(QString::fromStdString(std::get<Scored>(EvaluateRisk(texts)).display), display);
    }

    // The desktop runs in the user's locale, whose decimal point may be a comma; a box's number
    // is still read with a point. A German locale is made for the test where the machine has
    // the locales' sources, since a bare system has none installed.
    void decimalPointOfTheLocale() {
        QTemporaryDir dir;
        const QByteArray made = dir.filePath("de_DE.UTF-8").toLocal8Bit();
        if (std::system(
                ("localedef -c -i de_DE -f UTF-8 '" + made + "' >/dev/null 2>&1").constData()) <
                0 ||
            !QFileInfo::exists(QString::fromLocal8Bit(made)))
            QSKIP("no German locale can be made here (localedef and the locales' sources)");
        qputenv("LOCPATH", dir.path().toLocal8Bit());
        const std::string before = std::setlocale(LC_NUMERIC, nullptr);
        const bool set = std::setlocale(LC_NUMERIC, "de_DE.UTF-8") != nullptr;
        const char comma = *std::localeconv()->decimal_point;
        const double read = ReadNumber("2.5");
        std::setlocale(LC_NUMERIC, before.c_str());
        qunsetenv("LOCPATH");
        QVERIFY(set && comma == ',');
        QCOMPARE(read, 2.5);
    }

    // The ceiling at each edge of the guidelines' table, in both units, from a value a tool
    // worked out; from an option, only what the option tells; from the air, that it is unknown.
    void ceiling_data() {
        QTest::addColumn<int>("way");
        QTest::addColumn<double>("value"); // the option's index, or the WBGT
        QTest::addColumn<QString>("level");
        QTest::addColumn<bool>("unknown");
        using Way = Question1::Way;
        const auto f = [](const char* name, double f, const char* level) {
            QTest::newRow(name) << int(Way::WbgtValue) << f << level << false;
        };
        const auto c = [&](const char* name, double celsius, const char* level) {
            f(name, CelsiusToFahrenheit(celsius), level);
        };
        f("60 °F", 60, "none");
        f("82.0 °F", 82.0, "none");
        f("82.04 °F shows 82.0", 82.04, "none");
        f("82.06 °F shows 82.1", 82.06, "races-cancel");
        f("82.1 °F", 82.1, "races-cancel");
        f("86.0 °F", 86.0, "races-cancel");
        f("86.1 °F", 86.1, "not-acclimatized-cancel");
        f("90.0 °F", 90.0, "not-acclimatized-cancel");
        f("90.1 °F", 90.1, "everyone-cancel");
        c("27.8 °C", 27.8, "none");
        c("27.9 °C", 27.9, "races-cancel");
        c("30.0 °C", 30.0, "races-cancel");
        c("30.1 °C", 30.1, "not-acclimatized-cancel");
        c("32.2 °C", 32.2, "not-acclimatized-cancel");
        c("32.3 °C", 32.3, "everyone-cancel");
        const auto option = [](const char* name, Way way, int index, const char* level,
                               bool unknown) {
            QTest::newRow(name) << int(way) << double(index) << level << unknown;
        };
        option("option <73", Way::WbgtOption, 0, "none", false);
        option("option 73-81.9", Way::WbgtOption, 1, "none", false);
        option("option 82-85.9", Way::WbgtOption, 2, "races-cancel", false);
        option("option >= 86", Way::WbgtOption, 3, "races-cancel", false);
        option("air <75", Way::AirOption, 0, "none", false);
        option("air 75-85.9", Way::AirOption, 1, "none", false);
        option("air 86-90.9", Way::AirOption, 2, "none", true);
        option("air >= 91", Way::AirOption, 3, "none", true);
        option("unanswered", Way::Unanswered, -1, "none", false);
    }

    void ceiling() {
        QFETCH(int, way);
        QFETCH(double, value);
        QFETCH(QString, level);
        QFETCH(bool, unknown);
        Question1 q{Question1::Way(way), int(value), value};
        const CeilingJudgement j = JudgeCeiling(q);
        QCOMPARE(QString::fromUtf8(CeilingKey(j.level).data()), level);
        QCOMPARE(j.unknown, unknown);
        // Said when, and only when, something applies; an option never claims a value.
        const QString text = QString::fromStdString(j.text);
        QCOMPARE(!text.isEmpty(), j.shown());
        static const QRegularExpression claimed(u"WBGT of [0-9.]+ °F \\("_qs);
        QCOMPARE(text.contains(claimed), q.way == Question1::Way::WbgtValue && j.shown());
        if (q.way == Question1::Way::WbgtOption && q.option == 3) {
            QVERIFY2(text.contains(u"86 °F or above"_qs), qPrintable(text));
            QVERIFY2(text.contains(u"above 90.0 °F exercise is canceled for everyone"_qs),
                     qPrintable(text));
        }
    }

    // A script's twelve boxes tell question 1 by its points alone.
    void ceilingFromBoxes() {
        BoxTexts texts{"", "20", "4", "6", "5", "6", "2", "4", "2", "2", "8", "0"};
        QCOMPARE(JudgeCeiling(Question1FromBoxes(texts)).level, CeilingLevel::Races);
        texts[std::size_t(Box::WBGT)] = "";
        texts[std::size_t(Box::Dry_Bulb)] = "14";
        QVERIFY(JudgeCeiling(Question1FromBoxes(texts)).unknown);
    }
};

QTEST_APPLESS_MAIN(TestCore)
#include "tst_core.moc"
