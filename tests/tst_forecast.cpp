// The event-day plan: the wind's stability class at the edges of the EPA's key, the 2 m wind
// worked by hand, each hour's WBGT option or the reason it has none, the calculator's outcome
// per hour, and the coolest start.

#include "core/catalogue.h"
#include "core/forecast_plan.h"

#include <QTest>

#include <cmath>

using namespace orvane;

Q_DECLARE_METATYPE(orvane::ForecastHour)

namespace {

// Washington DC; 2023-07-15 19:00 UTC is 3 pm there, the sun rises at 09:50 UTC.
constexpr double kLat = 38.9, kLon = -77.0;
constexpr std::int64_t kJuly15 = 1689379200; // 2023-07-15 00:00 UTC

ForecastHour hourAt(double utcHour, double air, double rh, double wind, double solar) {
    return {kJuly15 + std::int64_t(utcHour * 3600), air, rh, wind, solar, 1012.0};
}

QString describe(const PlannedHour& hour) {
    if (const auto* gap = std::get_if<HourGap>(&hour.wbgt))
        return QString(gap->missing ? "missing: " : "refused: ") +
               QString::fromStdString(gap->reason);
    const HourWbgt& v = *hour.value();
    return QStringLiteral("%1 %2 m/s %3 %4")
        .arg(QChar('A' + int(v.stability)))
        .arg(v.wind2mMs, 0, 'f', 2)
        .arg(QString::fromUtf8(v.optionText.data(), qsizetype(v.optionText.size())))
        .arg(QString::fromUtf8(v.points.data(), qsizetype(v.points.size())));
}

// An hour of the day starting at UTC 0 with this WBGT in degrees Celsius; "-" has none.
PlannedHour plannedAt(int hour, const QString& wbgt) {
    PlannedHour planned{{std::int64_t(hour) * 3600}, HourGap{true, WbgtField::Solar, "none"}, {}};
    if (wbgt != "-") {
        HourWbgt v;
        v.wbgtC = wbgt.toDouble();
        v.wbgtF = v.wbgtC * 9 / 5 + 32;
        planned.wbgt = v;
    }
    return planned;
}

} // namespace

class TestForecast : public QObject {
    Q_OBJECT

private slots:
    // Table 6-7 of EPA-454/R-99-005: each range holds its lower edge.
    void stabilityClass_data() {
        QTest::addColumn<bool>("day");
        QTest::addColumn<double>("solar");
        QTest::addColumn<double>("wind");
        QTest::addColumn<QChar>("expected");
        const auto row = [](const char* name, bool day, double solar, double wind, char c) {
            QTest::newRow(name) << day << solar << wind << QChar(c);
        };
        row("925 W/m2 is strong sun", true, 925, 2.5, 'A');
        row("924.9 W/m2 is not", true, 924.9, 2.5, 'B');
        row("675 W/m2", true, 675, 2.5, 'B');
        row("674.9 W/m2", true, 674.9, 2.5, 'C');
        row("175 W/m2", true, 175, 2.5, 'C');
        row("174.9 W/m2", true, 174.9, 2.5, 'D');
        row("2 m/s by day", true, 700, 2, 'B');
        row("1.99 m/s by day", true, 700, 1.99, 'A');
        row("3 m/s by day", true, 950, 3, 'B');
        row("2.99 m/s by day", true, 950, 2.99, 'A');
        row("5 m/s by day", true, 700, 5, 'C');
        row("4.99 m/s by day", true, 700, 4.99, 'B');
        row("6 m/s by day", true, 700, 6, 'D');
        row("5.99 m/s by day", true, 700, 5.99, 'C');
        row("1.99 m/s by night", false, 0, 1.99, 'F');
        row("2.0 m/s by night", false, 0, 2.0, 'E');
        row("2.49 m/s by night", false, 0, 2.49, 'E');
        row("2.5 m/s by night", false, 0, 2.5, 'D');
    }
    void stabilityClass() {
        QFETCH(bool, day);
        QFETCH(double, solar);
        QFETCH(double, wind);
        QFETCH(QChar, expected);
        const StabilityClass c =
            day ? DaytimeStabilityClass(solar, wind) : NightStabilityClass(wind);
        QCOMPARE(QChar('A' + int(c)), expected);
    }

    // u10 (2/10)^p by hand, at the ends of each terrain's classes: 0.2^0.07 = 0.893454,
    // 0.2^0.15 = 0.785515, 0.2^0.30 = 0.617034. Rural B, D, E and F are planHours' rows, and
    // urban B with rural B cli_tools.sh's forecast lines.
    void windAt2m_data() {
        QTest::addColumn<double>("wind10");
        QTest::addColumn<int>("stability");
        QTest::addColumn<bool>("urban");
        QTest::addColumn<double>("expected");
        const auto row = [](const char* name, double w, char c, bool urban, double expected) {
            QTest::newRow(name) << w << int(c - 'A') << urban << expected;
        };
        row("rural A", 3, 'A', false, 2.680361);
        row("urban A", 3, 'A', true, 2.356545);
        row("urban F", 5, 'F', true, 3.085169);
        row("below the model's floor", 0.2, 'F', false, kMinWindMs);
    }
    void windAt2m() {
        QFETCH(double, wind10);
        QFETCH(int, stability);
        QFETCH(bool, urban);
        QFETCH(double, expected);
        const double wind =
            WindAt2m(wind10, StabilityClass(stability), urban ? Terrain::Urban : Terrain::Rural);
        QVERIFY2(std::abs(wind - expected) < 1e-6, qPrintable(QString::number(wind, 'f', 6)));
    }

    void planHours_data() {
        QTest::addColumn<ForecastHour>("hour");
        QTest::addColumn<QString>("expected");
        // The afternoon, in the country and in town, is cli_tools.sh's forecast.
        const ForecastHour afternoon = hourAt(19, 33, 50, 3, 700);
        QTest::newRow("night") << hourAt(6, 26, 80, 2.2, 0) << "E 1.25 m/s 73-81.9 10";
        // The sun decides, not the light: just after sunrise is day, twilight before it night.
        QTest::newRow("after sunrise") << hourAt(10, 31, 85, 1, 0) << "D 0.79 m/s 82-85.9 14";
        QTest::newRow("before sunrise") << hourAt(9.5, 22, 90, 1, 5) << "F 0.41 m/s <73°F 2";
        ForecastHour gaps = afternoon;
        gaps.wind10mMs.reset(), gaps.pressureHpa.reset();
        QTest::newRow("missing values")
            << gaps << "missing: no wind speed or air pressure in the forecast";
        QTest::newRow("too hot") << hourAt(19, 61, 5, 3, 700)
                                 << "refused: air temperature: must be -40 to 60 °C";
        QTest::newRow("negative wind is not floored")
            << hourAt(19, 33, 50, -1, 700)
            << "refused: wind speed: must be a finite speed of 0 m/s or more";
        ForecastHour far = afternoon;
        far.utcSeconds = std::int64_t(1) << 50;
        QTest::newRow("beyond the calendar")
            << far << "refused: date and time: year must be 1900 to 2100";
    }
    void planHours() {
        QFETCH(ForecastHour, hour);
        QFETCH(QString, expected);
        const auto plan = PlanForecast({&hour, 1}, kLat, kLon, Terrain::Rural);
        QCOMPARE(describe(plan.at(0)), expected);
        if (const HourWbgt* v = plan[0].value()) {
            // The model is given the 2 m wind, not the forecast's 10 m one.
            const auto utc = CivilUtc(hour.utcSeconds);
            WbgtInput in{utc->year, utc->month, utc->day, utc->hour, utc->minute, 0, kLat, kLon};
            in.airC = *hour.airC, in.relativeHumidity = *hour.relativeHumidity;
            in.windMs = v->wind2mMs, in.solarWm2 = hour.solarWm2,
            in.pressureHpa = *hour.pressureHpa;
            QCOMPARE(v->wbgtC, std::get<WbgtResult>(EstimateWbgt(in)).wbgtC);
        }
    }

    // The other answers, each worth its points: 6+6+5+6+5+4+5+2+4+0 = 43 without question 1.
    void assessPlan() {
        std::vector<PlannedHour> plan{plannedAt(0, "20"), plannedAt(1, "-"), plannedAt(2, "29")};
        std::get<HourWbgt>(plan[2].wbgt).option = 2;
        BoxTexts answers{"20", "ignored", "6", "6", "5", "6", "5", "4", "5", "2", "4", "0"};
        QVERIFY(!AssessPlan(plan, answers));
        QCOMPARE(std::get<Scored>(*plan[0].outcome).display, " 45"); // option 0: 2 points
        QVERIFY(!plan[1].outcome);
        QCOMPARE(std::get<Scored>(*plan[2].outcome).display, " 57"); // option 2: 14 points
        answers[std::size_t(Box::Venue)] = "";
        const auto missing = AssessPlan(plan, answers);
        QCOMPARE(missing ? missing->message : "none", "Please add Venue data.");
        QVERIFY(!plan[0].outcome && !plan[2].outcome); // nothing stale beside the message
    }

    // Question 8's options as the guidelines read them: their clock times are daylight-saving
    // times, so standard time moves each edge an hour earlier; from 4 pm the sun decides, and
    // the twilight keeps the higher-scoring "4 pm to sunset".
    void timeOfDay_data() {
        QTest::addColumn<QString>("clock"); // local HH:mm
        QTest::addColumn<bool>("daylightSaving");
        QTest::addColumn<double>("sun"); // elevation in degrees
        QTest::addColumn<QString>("expected");
        const auto row = [](const char* clock, bool dst, double sun, const char* expected) {
            QTest::addRow("%s %s sun %g", clock, dst ? "DST" : "standard", sun)
                << clock << dst << sun << expected;
        };
        row("02:00", true, -30, "Before 9 am");
        row("08:59", true, 30, "Before 9 am");
        row("09:00", true, 30, "9 am to 12 noon");
        row("07:59", false, 30, "Before 9 am");
        row("08:00", false, 30, "9 am to 12 noon");
        row("11:00", false, 50, "12 noon to 4 pm");
        row("15:59", true, 40, "12 noon to 4 pm");
        row("16:00", true, 40, "4 pm to sunset");
        row("15:00", false, 40, "4 pm to sunset");
        row("20:30", true, -3, "4 pm to sunset"); // twilight: the higher of the two
        row("21:30", true, -7, "After dark");
        row("15:30", true, -10, "12 noon to 4 pm"); // dark by 3 pm in a northern winter
    }
    void timeOfDay() {
        QFETCH(QString, clock);
        QFETCH(bool, daylightSaving);
        QFETCH(double, sun);
        QFETCH(QString, expected);
        const QTime t = QTime::fromString(clock, "HH:mm");
        const int option = TimeOfDayOption(t.hour() * 60 + t.minute(), daylightSaving, sun);
        QCOMPARE(QString::fromUtf8(FactorOptions("Time")[std::size_t(option)].data()), expected);
    }

    // Each hour is assessed at its own time of day; the event at its hottest hour and at the
    // riskiest time of day among its hours. With "Before 9 am" answered, an afternoon hour still
    // scores "12 noon to 4 pm".
    void eventsTakeTheirRiskiestHour() {
        std::vector<PlannedHour> plan{plannedAt(10, "29"), plannedAt(14, "31")};
        std::get<HourWbgt>(plan[0].wbgt).option = 2; // 14 points
        std::get<HourWbgt>(plan[1].wbgt).option = 3; // 20 points
        plan[0].timeOption = 1;                      // 9 am to 12 noon: 5
        plan[1].timeOption = 2;                      // 12 noon to 4 pm: 10
        // 6+6+5+6+5+4+2 (before 9 am)+2+4+0 = 40 without question 1.
        const BoxTexts answers{"", "", "6", "6", "5", "6", "5", "4", "2", "2", "4", "0"};
        QVERIFY(!AssessPlan(plan, answers));
        QCOMPARE(std::get<Scored>(*plan[0].outcome).display, " 57"); // 40 - 2 + 5 + 14
        QCOMPARE(std::get<Scored>(*plan[1].outcome).display, " 68"); // 40 - 2 + 10 + 20
        QCOMPARE(std::get<Scored>(*EventOutcome(plan, answers)).display, " 68");
        plan[1].timeOption = -1; // a clock not known keeps the answer given
        QVERIFY(!AssessPlan(plan, answers));
        QCOMPARE(std::get<Scored>(*plan[1].outcome).display, " 60");
        QCOMPARE(std::get<Scored>(*EventOutcome(plan, answers)).display,
                 " 63"); // 14:00's 20, 10:00's 5
        plan[0].wbgt = HourGap{true, WbgtField::Wind, "no wind"};
        QVERIFY(!EventOutcome(plan, answers)); // an hour without a WBGT: no judgement
    }

    // First light and sunset against the NOAA calculator: Washington DC on 2023-07-15 has civil
    // dawn at 05:25 EDT and its sunset at 20:34, 20:30 for the sun's centre without refraction,
    // as the plan takes it; Tromsø has no night in June.
    void daylight() {
        const std::int64_t midnightEdt = kJuly15 + 4 * 3600;
        const Daylight dc = DaylightOn(midnightEdt, midnightEdt + 24 * 3600, kLat, kLon);
        QVERIFY(dc.firstLight && dc.sunset);
        QVERIFY2(std::abs((*dc.firstLight - midnightEdt) / 60 - (5 * 60 + 25)) <= 3,
                 qPrintable(QString::number((*dc.firstLight - midnightEdt) / 60)));
        QVERIFY2(std::abs((*dc.sunset - midnightEdt) / 60 - (20 * 60 + 30)) <= 3,
                 qPrintable(QString::number((*dc.sunset - midnightEdt) / 60)));
        const std::int64_t june21 = 1687305600; // 2023-06-21 00:00 UTC
        const Daylight tromso = DaylightOn(june21, june21 + 24 * 3600, 69.65, 18.96);
        QVERIFY(tromso.firstLight && !tromso.sunset);
        // A span of centuries is no day, and is not walked minute by minute.
        QVERIFY(!DaylightOn(-62135596800, 253402300799, 0, 0).firstLight);
    }

    // Hours from 23:00 the day before, one a word, WBGT in C or "-"; the day is 00:00 to 24:00
    // unless the row gives its length in hours.
    void coolestStart_data() {
        QTest::addColumn<QString>("hours");
        QTest::addColumn<int>("minutes");
        QTest::addColumn<int>("dayHours");
        QTest::addColumn<QString>("expected");
        const QString day =
            "10 30 29 28 25 26 31 27 27 28 33 33 33 33 33 33 33 33 33 33 33 33 33 33 24 10";
        QTest::newRow("two hours, within the day")
            << day << 120 << 24 << "03:00, hottest 04:00 26 C";
        QTest::newRow("ninety minutes cover two hours")
            << day << 90 << 24 << "03:00, hottest 04:00 26 C";
        QTest::newRow("an hour, neither day beside")
            << day << 60 << 24 << "23:00, hottest 23:00 24 C";
        QTest::newRow("tie goes to the earliest")
            << day << 180 << 24 << "02:00, hottest 02:00 28 C";
        QTest::newRow("ties judged as shown") // 82.418 F and 82.4 F both show 82.4
            << QString(day).replace("28 25", "28.01 25") << 180 << 24
            << "02:00, hottest 02:00 28.01 C";
        QTest::newRow("a gap breaks a run")
            << QString(day).replace("26", "-") << 120 << 24 << "06:00, hottest 06:00 27 C";
        QTest::newRow("the whole day") << day << 1440 << 24 << "00:00, hottest 09:00 33 C";
        QTest::newRow("longer than the day")
            << day << 1441 << 24 << "too few hours: the event is longer than the day";
        QTest::newRow("a 23-hour day")
            << day << 1440 << 23 << "too few hours: the event is longer than the day";
        QTest::newRow("too few hours with values")
            << "- 30 - 28 25 - 31 - - - - - - - - - - - - - - - - - -" << 180 << 24
            << "too few hours: no 3 hours in a row on that day have a WBGT";
        QTest::newRow("no length") << day << 0 << 24 << "the event must last at least a minute";
    }
    void coolestStart() {
        QFETCH(QString, hours);
        QFETCH(int, minutes);
        QFETCH(int, dayHours);
        QFETCH(QString, expected);
        std::vector<PlannedHour> plan;
        const QStringList words = hours.split(' ');
        for (int i = 0; i < words.size(); ++i)
            plan.push_back(plannedAt(i - 1, words[i]));
        const auto found = FindCoolestStart(plan, minutes, 0, dayHours * 3600);
        QString actual;
        if (const auto* start = std::get_if<CoolestStart>(&found))
            actual = QStringLiteral("%1:00, hottest %2:00 %3 C")
                         .arg(int(start->startIndex) - 1, 2, 10, QChar('0'))
                         .arg(int(start->hottestIndex) - 1, 2, 10, QChar('0'))
                         .arg(start->highestWbgtC);
        else
            actual = QString::fromStdString(std::get<NoCoolestStart>(found).reason);
        QCOMPARE(actual, expected);
    }
};

QTEST_APPLESS_MAIN(TestForecast)
#include "tst_forecast.moc"
