// The risk core: the selection rule, the evaluation's order of checks, number reading and
// bands, and a sweep over every combination of catalogue choices.

#include "core/catalogue.h"
#include "core/evaluation.h"

#include <QTest>

#include <map>
#include <set>

using namespace orvane;

Q_DECLARE_METATYPE(std::string)

namespace {

std::string str(std::string_view s) {
    return std::string(s);
}

// A complete, unreferred assessment; tests blank out or change single boxes from here.
BoxTexts answered() {
    return {"", "10", "4", "6", "5", "6", "2", "4", "5", "2", "8", "0"};
}

BoxTexts with(BoxTexts texts, Box box, std::string_view text) {
    texts[static_cast<std::size_t>(box)] = text;
    return texts;
}

} // namespace

class TestCore : public QObject {
    Q_OBJECT

private slots:
    void everyOptionHasTheOutcomeOfItsFactor_data();
    void everyOptionHasTheOutcomeOfItsFactor();
    void lookupIsExact_data();
    void lookupIsExact();
    void selectionRule_data();
    void selectionRule();
    void missingAnswerOrder_data();
    void missingAnswerOrder();
    void bands_data();
    void bands();
    void numberReading_data();
    void numberReading();
    void timeIsRoundedAndSaturated_data();
    void timeIsRoundedAndSaturated();
    void hostileTextsNeverBreakTheEvaluation();
    void everyCatalogueCombination();
};

// Spot checks written out by hand from the guidelines, including the options that score alike.
void TestCore::everyOptionHasTheOutcomeOfItsFactor_data() {
    QTest::addColumn<QString>("key");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("outcome");
    QTest::newRow("lowest WBGT") << "WBGT"
                                 << "<73\u00b0F"
                                 << "2";
    QTest::newRow("highest air temp") << "Dry_Bulb"
                                      << ">= 91\u00b0F"
                                      << "20";
    QTest::newRow("air 86-90.9") << "Dry_Bulb"
                                 << "86-90.9"
                                 << "14";
    QTest::newRow("good fitness = moderate") << "Ability"
                                             << "Good fitness level"
                                             << "6";
    QTest::newRow("noon") << "Time"
                          << "12 noon to 4 pm"
                          << "10";
    QTest::newRow("morning") << "Time"
                             << "9 am to 12 noon"
                             << "5";
    QTest::newRow("evening") << "Time"
                             << "4 pm to sunset"
                             << "5";
    QTest::newRow("dark") << "Time"
                          << "After dark"
                          << "2";
    QTest::newRow("sand") << "Surface"
                          << "Sand"
                          << "6";
    QTest::newRow("water") << "Surface"
                           << "Water"
                           << "1";
    QTest::newRow("medical none") << "Medical"
                                  << "None"
                                  << "0";
    QTest::newRow("medical high") << "Medical"
                                  << "High: Asthma, Diabetes, Pregnancy, *"
                                  << "X";
    QTest::newRow("medical extreme") << "Medical"
                                     << "Extreme: Flu,Diarrhea,Drugs,Alcohol, *"
                                     << "X";
    QTest::newRow("under 13") << "Age"
                              << "Under 13"
                              << "8";
}

void TestCore::everyOptionHasTheOutcomeOfItsFactor() {
    QFETCH(QString, key);
    QFETCH(QString, text);
    QFETCH(QString, outcome);
    const auto found = OptionOutcome(key.toStdString(), text.toStdString());
    QVERIFY(found.has_value());
    QCOMPARE(QString::fromUtf8(found->data(), qsizetype(found->size())), outcome);

    // Every option of every scored factor has an outcome, and only Medical refers on.
    for (const RiskFactor& factor : Catalogue()) {
        for (const RiskOption& option : factor.options) {
            QCOMPARE(option.outcome.has_value(), factor.key != "Other");
            if (option.outcome && *option.outcome == kReferralMarker)
                QCOMPARE(str(factor.key), std::string("Medical"));
        }
    }
}

void TestCore::lookupIsExact_data() {
    QTest::addColumn<QString>("key");
    QTest::addColumn<QByteArray>("text");
    QTest::newRow("trailing blank") << "Venue" << QByteArray("Outdoors ");
    QTest::newRow("letter case") << "Venue" << QByteArray("outdoors");
    QTest::newRow("other degree sign") << "WBGT"
                                       << QByteArray("<73\xc2\xba"
                                                     "F"); // U+00BA
    QTest::newRow("latin-1 degree") << "WBGT"
                                    << QByteArray("<73\xb0"
                                                  "F");
    QTest::newRow("other has no outcome")
        << "Other" << QByteArray("Shade available during breaks?");
    QTest::newRow("unknown key") << "Humidity" << QByteArray("Outdoors");
    QTest::newRow("option of another factor") << "Age" << QByteArray("Outdoors");
    QTest::newRow("empty") << "Age" << QByteArray();
}

void TestCore::lookupIsExact() {
    QFETCH(QString, key);
    QFETCH(QByteArray, text);
    QVERIFY(!OptionOutcome(key.toStdString(), text.toStdString()).has_value());
}

void TestCore::selectionRule_data() {
    QTest::addColumn<QString>("key");
    QTest::addColumn<int>("index");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("box"); // empty: no write
    QTest::addColumn<QString>("points");
    QTest::addColumn<QString>("disables"); // empty: nothing disabled

    QTest::newRow("air temp writes and locks WBGT") << "Dry_Bulb" << 0 << "<75\u00b0F"
                                                    << "Dry_Bulb"
                                                    << "2"
                                                    << "WBGT";
    QTest::newRow("WBGT writes and locks air temp") << "WBGT" << 0 << "<73\u00b0F"
                                                    << "WBGT"
                                                    << "2"
                                                    << "Dry_Bulb";
    QTest::newRow("no choice") << "Dry_Bulb" << -1 << "<75\u00b0F"
                               << ""
                               << ""
                               << "";
    QTest::newRow("unknown text still locks") << "Dry_Bulb" << 0 << "<75\u00b0F "
                                              << ""
                                              << ""
                                              << "WBGT";
    QTest::newRow("plain factor") << "Age" << 4 << "Over 40"
                                  << "Age"
                                  << "8"
                                  << "";
    QTest::newRow("outcome follows the text, not the index") << "Age" << 0 << "Over 40"
                                                             << "Age"
                                                             << "8"
                                                             << "";
    QTest::newRow("referral") << "Medical" << 1 << "High: Asthma, Diabetes, Pregnancy, *"
                              << "Medical"
                              << "X"
                              << "";
    QTest::newRow("reminder list does nothing") << "Other" << 0 << "Shade available during breaks?"
                                                << ""
                                                << ""
                                                << "";
    QTest::newRow("unknown key") << "Humidity" << 0 << "Outdoors"
                                 << ""
                                 << ""
                                 << "";
}

void TestCore::selectionRule() {
    QFETCH(QString, key);
    QFETCH(int, index);
    QFETCH(QString, text);
    QFETCH(QString, box);
    QFETCH(QString, points);
    QFETCH(QString, disables);

    const std::string k = key.toStdString(), t = text.toStdString();
    const SelectionEffect effect = SelectionRule(k, index, t);
    QCOMPARE(QString::fromStdString(str(effect.pointsBoxKey.value_or(""))), box);
    QCOMPARE(QString::fromStdString(str(effect.points)), points);
    QCOMPARE(QString::fromStdString(str(effect.disableListKey.value_or(""))), disables);
}

void TestCore::missingAnswerOrder_data() {
    QTest::addColumn<BoxTexts>("texts");
    QTest::addColumn<QString>("message");

    QTest::newRow("all empty reports temperature only")
        << BoxTexts{} << "Please add Temperature data.";
    QTest::newRow("duration before medical")
        << with(with(answered(), Box::Duration, ""), Box::Medical, "")
        << "Please add Overall Length of Event data.";
    QTest::newRow("missing answer beats referral")
        << with(with(answered(), Box::Venue, ""), Box::Medical, "X") << "Please add Venue data.";
    QTest::newRow("medical last") << with(answered(), Box::Medical, "")
                                  << "Please add Medical Conditions data.";
    QTest::newRow("time") << with(with(answered(), Box::Time, ""), Box::Surface, "")
                          << "Please add Time of the Event data.";

    // Each factor alone: its own message, so the table of messages is wired to the boxes.
    for (std::size_t i = static_cast<std::size_t>(Box::Duration); i < kBoxCount; ++i) {
        BoxTexts texts = answered();
        texts[i] = "";
        QTest::newRow(("only " + str(kBoxKeys[i])).c_str())
            << texts << QString::fromUtf8(MissingAnswerMessage(kBoxKeys[i])->data());
    }
}

void TestCore::missingAnswerOrder() {
    QFETCH(BoxTexts, texts);
    QFETCH(QString, message);
    const EvaluationOutcome outcome = EvaluateRisk(texts);
    QVERIFY(std::holds_alternative<MissingAnswer>(outcome));
    QCOMPARE(QString::fromStdString(str(std::get<MissingAnswer>(outcome).message)), message);
}

void TestCore::bands_data() {
    QTest::addColumn<BoxTexts>("texts");
    QTest::addColumn<double>("total");
    QTest::addColumn<QString>("display");
    QTest::addColumn<QString>("document"); // empty: no band

    // answered() scores 52 with the temperature in the WBGT box.
    const BoxTexts base = answered();
    auto withTemp = [&](std::string_view wbgt) { return with(base, Box::WBGT, wbgt); };
    QTest::newRow("55") << withTemp("13") << 55.0 << " 55"
                        << "Risk Score 55 and below recommendation.rtf";
    QTest::newRow("56") << withTemp("14") << 56.0 << " 56"
                        << "Risk Score 56-65 recommendation.rtf";
    QTest::newRow("65") << withTemp("23") << 65.0 << " 65"
                        << "Risk Score 56-65 recommendation.rtf";
    QTest::newRow("66") << withTemp("24") << 66.0 << " 66"
                        << "Risk Score 66-74 recommendation.rtf";
    QTest::newRow("74") << withTemp("32") << 74.0 << " 74"
                        << "Risk Score 66-74 recommendation.rtf";
    QTest::newRow("75") << withTemp("33") << 75.0 << " 75"
                        << "Risk Score  75 recommendation.rtf";
    QTest::newRow("both temperatures add")
        << with(with(base, Box::WBGT, "10"), Box::Dry_Bulb, "14") << 66.0 << " 66"
        << "Risk Score 66-74 recommendation.rtf";
    QTest::newRow("only air temperature")
        << with(with(base, Box::WBGT, ""), Box::Dry_Bulb, "14") << 56.0 << " 56"
        << "Risk Score 56-65 recommendation.rtf";
    QTest::newRow("single blank is an answer worth 0")
        << with(base, Box::Age, " ") << 50.0 << " 50"
        << "Risk Score 55 and below recommendation.rtf";
    QTest::newRow("zero has no band")
        << BoxTexts{"0", "", "0", "0", "0", "0", "0", "0", "0", "0", "0", "0"} << 0.0 << " 0"
        << "";
    QTest::newRow("negative has no band") << with(base, Box::WBGT, "-100") << -58.0 << "-58"
                                          << "";
    QTest::newRow("fraction just above a floor") << with(base, Box::WBGT, "13.5") << 55.5 << " 55.5"
                                                 << "Risk Score 56-65 recommendation.rtf";
    QTest::newRow("binary noise is not shown")
        << BoxTexts{"0.1", "0.2", "0", "0", "0", "0", "0", "0", "0", "0", "0", "0"} << 0.1 + 0.2
        << " 0.3"
        << "Risk Score 55 and below recommendation.rtf";
}

void TestCore::bands() {
    QFETCH(BoxTexts, texts);
    QFETCH(double, total);
    QFETCH(QString, display);
    QFETCH(QString, document);
    const EvaluationOutcome outcome = EvaluateRisk(texts);
    QVERIFY(std::holds_alternative<Scored>(outcome));
    const Scored& scored = std::get<Scored>(outcome);
    QCOMPARE(scored.total, total);
    QCOMPARE(QString::fromStdString(scored.display), display);
    QCOMPARE(QString::fromStdString(scored.band ? str(scored.band->document) : ""), document);
}

void TestCore::numberReading_data() {
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<double>("value");
    QTest::newRow("empty") << QByteArray("") << 0.0;
    QTest::newRow("referral marker") << QByteArray("X") << 0.0;
    QTest::newRow("digits") << QByteArray("10") << 10.0;
    QTest::newRow("leading blanks") << QByteArray("  7") << 7.0;
    QTest::newRow("trailing junk") << QByteArray("12abc") << 12.0;
    QTest::newRow("sign and fraction") << QByteArray("-2.25") << -2.25;
    QTest::newRow("bare fraction") << QByteArray(".5") << 0.5;
    QTest::newRow("exponent") << QByteArray("1e2") << 100.0;
    QTest::newRow("dangling exponent") << QByteArray("3e") << 3.0;
    QTest::newRow("lone sign") << QByteArray("-") << 0.0;
    QTest::newRow("lone point") << QByteArray(".") << 0.0;
    QTest::newRow("hex is not read") << QByteArray("0x10") << 0.0;
    QTest::newRow("overflow saturates")
        << QByteArray("1e999") << std::numeric_limits<double>::max();
    QTest::newRow("negative overflow")
        << QByteArray("-1e999") << -std::numeric_limits<double>::max();
    QTest::newRow("underflow is zero") << QByteArray("1e-999") << 0.0;
    QTest::newRow("long digit string")
        << QByteArray(5000, '9') << std::numeric_limits<double>::max();
    QTest::newRow("long fraction underflows")
        << (QByteArray("0.") + QByteArray(5000, '0') + "1") << 0.0;
    QTest::newRow("invalid utf-8 after digits") << QByteArray("4\xff\xfe") << 4.0;
}

void TestCore::numberReading() {
    QFETCH(QByteArray, text);
    QFETCH(double, value);
    QCOMPARE(ReadNumber(std::string_view(text.constData(), std::size_t(text.size()))), value);
}

void TestCore::timeIsRoundedAndSaturated_data() {
    QTest::addColumn<QByteArray>("time");
    QTest::addColumn<double>("total"); // answered() without Time scores 47
    QTest::newRow("2.5 rounds to even 2") << QByteArray("2.5") << 49.0;
    QTest::newRow("3.5 rounds to even 4") << QByteArray("3.5") << 51.0;
    QTest::newRow("-0.5 rounds to 0") << QByteArray("-0.5") << 47.0;
    QTest::newRow("above 16 bits") << QByteArray("40000") << 47.0 + 32767;
    QTest::newRow("below 16 bits") << QByteArray("-40000") << 47.0 - 32768;
    QTest::newRow("huge") << QByteArray(400, '9') << 47.0 + 32767;
    // The other boxes are not rounded.
}

void TestCore::timeIsRoundedAndSaturated() {
    QFETCH(QByteArray, time);
    QFETCH(double, total);
    const std::string t = time.toStdString();
    const auto outcome = EvaluateRisk(with(answered(), Box::Time, t));
    QCOMPARE(std::get<Scored>(outcome).total, total);
}

void TestCore::hostileTextsNeverBreakTheEvaluation() {
    const std::string huge(100000, '9');
    const std::string invalid = "\xc3\x28\xff\xfe\xed\xa0\x80";
    BoxTexts texts;
    texts.fill(huge);
    texts[static_cast<std::size_t>(Box::Medical)] = invalid;
    const Scored scored = std::get<Scored>(EvaluateRisk(texts));
    QCOMPARE(scored.total, std::numeric_limits<double>::max()); // saturated, not infinite
    QVERIFY(scored.display.size() > 300);
    QCOMPARE(str(scored.band->document), std::string("Risk Score  75 recommendation.rtf"));

    const std::string negativeHuge = "-" + huge;
    texts.fill(negativeHuge);
    QCOMPARE(std::get<Scored>(EvaluateRisk(texts)).total, -std::numeric_limits<double>::max());
}

// All choices through the catalogue: every total is the sum of the chosen points, lies in
// 18..98, and every band document is reached.
void TestCore::everyCatalogueCombination() {
    const std::array<std::string_view, kBoxCount>& keys = kBoxKeys;
    std::array<std::vector<std::optional<std::string_view>>, kBoxCount> choices;
    std::array<std::vector<int>, kBoxCount> points; // the outcomes read by hand, X as 0
    for (std::size_t i = 0; i < kBoxCount; ++i) {
        for (const RiskOption& option : FindFactor(keys[i])->options) {
            choices[i].push_back(option.outcome);
            points[i].push_back(
                *option.outcome == kReferralMarker ? 0 : std::stoi(str(*option.outcome)));
        }
    }
    // Exactly one temperature list answers; the other box stays empty.
    choices[0].push_back(std::nullopt);
    points[0].push_back(0);

    std::map<std::string_view, int> documents;
    long combinations = 0, referrals = 0;
    std::array<std::size_t, kBoxCount> at{};
    while (true) {
        const bool dryAnswered = at[0] < 4;
        bool valid = true;
        BoxTexts texts;
        double expected = 0;
        for (std::size_t i = 0; i < kBoxCount; ++i) {
            const auto& outcome = choices[i][at[i]];
            texts[i] = outcome.value_or("");
            if (i == 1 && dryAnswered) {
                texts[i] = ""; // WBGT list is locked once the air temperature is chosen
                valid = at[1] == 0;
            }
            if (!texts[i].empty())
                expected += points[i][at[i]];
        }
        if (valid) {
            ++combinations;
            const EvaluationOutcome outcome = EvaluateRisk(texts);
            if (texts[11] == kReferralMarker) {
                ++referrals;
                QVERIFY(std::holds_alternative<MedicalReferral>(outcome));
            } else {
                const auto* scored = std::get_if<Scored>(&outcome);
                QVERIFY(scored);
                if (scored->total != expected || scored->total < 18 || scored->total > 98 ||
                    !scored->band)
                    QFAIL(qPrintable(
                        QString("total %1 expected %2").arg(scored->total).arg(expected)));
                ++documents[scored->band->document];
            }
        }
        std::size_t i = 0;
        while (i < kBoxCount && ++at[i] == choices[i].size())
            at[i++] = 0;
        if (i == kBoxCount)
            break;
    }
    QCOMPARE(combinations, 8L * 4 * 5 * 3 * 4 * 5 * 5 * 5 * 6 * 3 * 3);
    QCOMPARE(referrals, combinations / 3 * 2);
    QCOMPARE(documents.size(), std::size_t(4));
}

QTEST_APPLESS_MAIN(TestCore)
#include "tst_core.moc"
