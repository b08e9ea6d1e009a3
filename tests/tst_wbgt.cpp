// The WBGT estimator against published and hand-worked values, and its behaviour across inputs.

#include "core/liljegren.h"
#include "core/wbgt_table.h"

#include <QTest>

#include <cmath>
#include <numbers>

using namespace orvane;

Q_DECLARE_METATYPE(orvane::WbgtInput)

namespace {

// Washington DC at solar noon, 2023-07-15 17:08 UTC: 35 C, 40 %, 2 m/s, clear sky.
WbgtInput hotNoon() {
    return {2023, 7, 15, 17, 8, 0, 38.9, -77.0, 35, 40, 2};
}

template <class Change> WbgtInput with(Change change) {
    WbgtInput in = hotNoon();
    change(in);
    return in;
}

WbgtResult estimate(const WbgtInput& in) {
    return std::get<WbgtResult>(EstimateWbgt(in)); // an error throws, failing the test
}

} // namespace

class TestWbgt : public QObject {
    Q_OBJECT

private slots:
    void checkValues_data() {
        QTest::addColumn<double>("actual");
        QTest::addColumn<double>("expected");
        QTest::addColumn<double>("tolerance");
        // Meeus, Astronomical Algorithms, Examples 25.a and 28.b, whose series NOAA's solar
        // calculator uses: 1992 October 13 0h, declination -7 47' 06", E = 13m 42.7s, 0.99766 AU.
        const SunPosition meeus = SolarPosition(1992, 10, 13, 0, 0, 0, 0, 0);
        QTest::newRow("Meeus declination") << meeus.declinationDeg << -7.785 << 0.005;
        QTest::newRow("Meeus equation of time") << meeus.equationOfTimeMin << 13.712 << 0.01;
        QTest::newRow("Meeus distance") << meeus.earthSunDistanceAu << 0.99766 << 1e-5;
        // Reda and Andreas, NREL/TP-560-34302, worked example: 2003-10-17 12:30:30 MST at 39.742476
        // N 105.1786 W: zenith 50.11162 (refracted, so 0.05), from the declination and hour angle.
        const SunPosition nrel = SolarPosition(2003, 10, 17, 19, 30, 30, 39.742476, -105.1786);
        QTest::newRow("NREL zenith")
            << std::acos(nrel.cosZenith) * 180 / std::numbers::pi << 50.11162 << 0.05;
        // Stull (2011), J. Appl. Meteor. Climatol. 50:2267: his example 20 C, 50 % -> 13.7 C, and
        // his formula where it is closest to the psychrometric tables (humid air).
        const auto wetBulb = [](double air, double rh) {
            return estimate(with([&](auto& in) { in.airC = air, in.relativeHumidity = rh; }))
                .psychrometricWetBulbC;
        };
        QTest::newRow("Stull's example") << wetBulb(20, 50) << 13.7 << 0.2;
        QTest::newRow("Stull 40 C 90 %") << wetBulb(40, 90) << 38.47 << 0.2;
        // The dew point of 20 C at 50 % is 9.3 C in psychrometric tables.
        QTest::newRow("dew point") << DewPoint(20, 50) << 9.3 << 0.05;
        QTest::newRow("and back") << RelativeHumidityFromDewPoint(20, 9.27) << 50.0 << 0.1;
        // 0.85 of 1367 W/m2 at cos z 0.9539 and 1.0165 AU; then the direct share hits its cap.
        const WbgtResult glare = estimate(with([](auto& in) { in.solarWm2 = 1300; }));
        QTest::newRow("irradiance capped") << glare.solarWm2 << 1072.8 << 1.0;
        QTest::newRow("direct share capped") << glare.directFraction << 0.9 << 0.0;
        QTest::newRow("no direct sun in shade")
            << estimate(with([](auto& in) { in.shade = true; })).directFraction << 0.0 << 0.0;
    }
    void checkValues() {
        QFETCH(double, actual);
        QFETCH(double, expected);
        QFETCH(double, tolerance);
        QVERIFY2(std::abs(actual - expected) <= tolerance, qPrintable(QString::number(actual)));
    }

    // WBGT rises by at least the margin from the first input to the second; globe and wick too.
    void rises_data() {
        QTest::addColumn<WbgtInput>("lower");
        QTest::addColumn<WbgtInput>("higher");
        QTest::addColumn<double>("margin");
        QTest::newRow("humidity") << with([](auto& in) { in.relativeHumidity = 20; }) << hotNoon()
                                  << 0.3;
        QTest::newRow("measured sun") << with([](auto& in) { in.solarWm2 = 200; })
                                      << with([](auto& in) { in.solarWm2 = 800; }) << 0.3;
        QTest::newRow("clearing sky")
            << with([](auto& in) { in.sky = SkyCondition::Overcast; }) << hotNoon() << 0.3;
        QTest::newRow("calm") << with([](auto& in) { in.windMs = 6; }) << hotNoon() << 0.3;
        const auto intoSun = [](const char* name, WbgtInput sun) {
            WbgtInput shade = sun;
            shade.shade = true;
            QTest::newRow(name) << shade << sun << 0.0;
        };
        intoSun("out of shade at noon", hotNoon());
        intoSun("out of shade, calm", with([](auto& in) { in.solarWm2 = 650, in.windMs = 0; }));
        intoSun("out of shade, overcast", with([](auto& in) { in.sky = SkyCondition::Overcast; }));
    }
    void rises() {
        QFETCH(WbgtInput, lower);
        QFETCH(WbgtInput, higher);
        QFETCH(double, margin);
        const WbgtResult a = estimate(lower), b = estimate(higher);
        QVERIFY(b.wbgtC - a.wbgtC >= margin && b.globeC > a.globeC);
        QVERIFY(b.naturalWetBulbC > a.naturalWetBulbC);
    }

    void night_data() {
        QTest::addColumn<WbgtInput>("at");
        QTest::newRow("midnight") << with([](auto& in) { in.hour = 5; });
        QTest::newRow("just after sunset") << with([](auto& in) { in.hour = 0, in.minute = 50; });
        QTest::newRow("polar night") << with([](auto& in) { in.latitude = 80, in.month = 12; });
    }
    void night() {
        QFETCH(WbgtInput, at);
        const WbgtResult r = estimate(at);
        QVERIFY(r.cosZenith < 0.00873 && r.solarWm2 == 0 && r.directFraction == 0);
        QVERIFY(r.globeC < at.airC && r.globeC > at.airC - 2);
        QVERIFY(r.naturalWetBulbC < r.wbgtC && r.wbgtC < at.airC);
    }
    void refusals_data() {
        QTest::addColumn<WbgtInput>("input");
        QTest::addColumn<int>("field"); // -1: accepted
        using F = WbgtField;
        const auto row = [](const char* name, int field, void (*change)(WbgtInput&)) {
            QTest::newRow(name) << with(change) << field;
        };
        row("29 Feb 2000", -1, [](auto& in) { in.year = 2000, in.month = 2, in.day = 29; });
        row("29 Feb 2023", int(F::Time), [](auto& in) { in.month = 2, in.day = 29; });
        row("month 13", int(F::Time), [](auto& in) { in.month = 13; });
        row("latitude 90.1", int(F::Latitude), [](auto& in) { in.latitude = 90.1; });
        row("longitude -181", int(F::Longitude), [](auto& in) { in.longitude = -181; });
        row("air 60", -1, [](auto& in) { in.airC = 60, in.relativeHumidity = 5; });
        row("air 60.5", int(F::AirTemperature), [](auto& in) { in.airC = 60.5; });
        row("humidity 100.5", int(F::RelativeHumidity),
            [](auto& in) { in.relativeHumidity = 100.5; });
        row("solar -5", int(F::Solar), [](auto& in) { in.solarWm2 = -5; });
        row("pressure 200", int(F::Pressure), [](auto& in) { in.pressureHpa = 200; });
        row("cold gale", int(F::Convergence), [](auto& in) { in.airC = -30, in.windMs = 40; });
    }
    void refusals() {
        QFETCH(WbgtInput, input);
        QFETCH(int, field);
        const WbgtOutcome outcome = EstimateWbgt(input);
        const auto* error = std::get_if<WbgtError>(&outcome);
        QCOMPARE(error ? int(error->field) : -1, field);
    }

    // A WBGT is banded as it is shown, to a tenth, so no value falls between two options.
    void options_data() {
        QTest::addColumn<double>("fahrenheit");
        QTest::addColumn<int>("option");
        QTest::newRow("72.94") << 72.94 << 0;
        QTest::newRow("72.95 shows 73.0") << 72.95 << 1;
        QTest::newRow("81.94") << 81.94 << 1;
        QTest::newRow("81.95 shows 82.0") << 81.95 << 2;
        QTest::newRow("85.949") << 85.949 << 2;
        QTest::newRow("85.95 shows 86.0") << 85.95 << 3;
    }
    void options() {
        QFETCH(double, fahrenheit);
        QFETCH(int, option);
        QCOMPARE(WbgtOptionIndex(fahrenheit), option);
    }
};

QTEST_APPLESS_MAIN(TestWbgt)
#include "tst_wbgt.moc"
