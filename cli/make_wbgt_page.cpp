// make-wbgt-page: writes the page of estimated wet bulb globe temperatures to standard output.
// The shipped page is this program's output; a test runs it again and compares, so the table,
// its formula and the words that state the formula cannot drift apart. How far the formula is off
// in shade, cloud, wind, at night and in humid heat is worked out here too, cell by cell, from the
// physical model the estimator window uses, so the page states it for the whole table.

#include "core/liljegren.h"
#include "core/wbgt_table.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <limits>
#include <string>
#include <variant>

using namespace orvane;

namespace {

const char* optionClass(int option) {
    static const char* const classes[] = {"low", "moderate", "high", "extreme"};
    return classes[option];
}

// The table's cells: air temperature (°F) by relative humidity (%), without the dashes.
template <typename Visit> void forEachCell(Visit visit) {
    for (int air = 70; air <= 110; air += 2)
        for (int rh = 10; rh <= 100; rh += 10)
            if (OccursOutdoors(FahrenheitToCelsius(air), rh))
                visit(air, rh);
}

// The model's reference against which the page compares: noon on a clear midsummer day at
// latitude 35 degrees north (21 June, on the prime meridian), with a light wind of 2 m/s.
WbgtInput reference(int airF, int rh) {
    WbgtInput in;
    in.year = 2025, in.month = 6, in.day = 21, in.hour = 12;
    in.latitude = 35, in.longitude = 0;
    in.airC = FahrenheitToCelsius(airF);
    in.relativeHumidity = rh;
    in.windMs = 2;
    return in;
}

double modelF(const WbgtInput& in) {
    const WbgtOutcome out = EstimateWbgt(in);
    if (const auto* error = std::get_if<WbgtError>(&out)) {
        std::fprintf(stderr, "make-wbgt-page: the model refused %.1f C, %.0f %%: %s\n", in.airC,
                     in.relativeHumidity, error->reason.c_str());
        std::exit(1);
    }
    return CelsiusToFahrenheit(std::get<WbgtResult>(out).wbgtC);
}

struct Span {
    double low = std::numeric_limits<double>::infinity();
    double high = -std::numeric_limits<double>::infinity();
    void add(double v) { low = std::min(low, v), high = std::max(high, v); }
};

// A difference in whole degrees, °F with °C beside: "5 to 7 °F (3 to 4 °C)", "about 3 °C".
std::string wholeDegrees(double low, double high, const char* unit) {
    const long a = std::lround(low), b = std::lround(high);
    char text[64];
    if (a == b)
        std::snprintf(text, sizeof text, "about %ld&nbsp;&deg;%s", a, unit);
    else
        std::snprintf(text, sizeof text, "%ld to %ld&nbsp;&deg;%s", a, b, unit);
    return text;
}

std::string degrees(double v) {
    char text[64];
    std::snprintf(text, sizeof text, "%ld&nbsp;&deg;F (%ld&nbsp;&deg;C)", std::lround(v),
                  std::lround(v * 5 / 9));
    return text;
}

std::string degrees(Span s) {
    return wholeDegrees(s.low, s.high, "F") + " (" +
           wholeDegrees(s.low * 5 / 9, s.high * 5 / 9, "C") + ")";
}

// How much lower (or, with a negative sign, higher) the model puts the WBGT under a change of
// conditions than at the reference, over every cell.
template <typename Change> Span lowerBy(Change change) {
    Span s;
    forEachCell([&](int air, int rh) {
        WbgtInput changed = reference(air, rh);
        change(changed);
        s.add(modelF(reference(air, rh)) - modelF(changed));
    });
    return s;
}

} // namespace

int main() {
    std::printf(R"(<!DOCTYPE html>
<html lang="en">
<head>
<meta charset="utf-8">
<title>Estimated Wet Bulb Globe Temperatures (&deg;F)</title>
<style>
body { font-family: Arial, "Liberation Sans", sans-serif; margin: 1.5em; color: #111; }
h1 { font-size: 1.4em; color: #000080; }
h2 { font-size: 1.1em; color: #000080; }
table { border-collapse: collapse; margin: 1em 0; }
th, td { border: 1px solid #888; padding: 0.25em 0.5em; text-align: right; }
th { background: #eee; }
td.low { background: #c8e6c9; }
td.moderate { background: #fff59d; }
td.high { background: #ffcc80; }
td.extreme { background: #ef9a9a; }
td.none { background: #fff; color: #888; text-align: center; }
.note { max-width: 46em; }
</style>
</head>
<body>
<h1>Estimated Wet Bulb Globe Temperatures (&deg;F)</h1>
<p class="note">Find the air temperature (in the shade) in the left column and the relative
humidity along the top. The cell gives the estimated wet bulb globe temperature (WBGT) for an
event in <strong>full sun with a light wind</strong>. Use it to answer question 1 of the
calculator when no WBGT reading is available. For a closer estimate at a given place and time,
with its wind and sky, use Estimate WBGT&hellip; in the calculator's Assessment menu.</p>
<table>
<caption>Colors follow the calculator's WBGT options</caption>
<tr><td class="low">&lt;73&deg;F (2 points)</td><td class="moderate">73-81.9 (10 points)</td>
<td class="high">82-85.9 (14 points)</td><td class="extreme">&gt;= 86&deg;F (20 points)</td></tr>
</table>
<table>
<tr><th>Air &deg;F \ Humidity</th>)");
    for (int rh = 10; rh <= 100; rh += 10)
        std::printf("<th>%d%%</th>", rh);
    std::printf("</tr>\n");
    for (int air = 70; air <= 110; air += 2) {
        std::printf("<tr><th>%d</th>", air);
        const double airC = FahrenheitToCelsius(air);
        for (int rh = 10; rh <= 100; rh += 10) {
            if (!OccursOutdoors(airC, rh)) {
                std::printf("<td class=\"none\">&ndash;</td>");
                continue;
            }
            const double f = CelsiusToFahrenheit(ApproximateWbgtC(airC, rh));
            std::printf("<td class=\"%s\">%.1f</td>", optionClass(WbgtOptionIndex(f)), f);
        }
        std::printf("</tr>\n");
    }
    std::printf(R"(</table>
<p class="note">A dash marks air whose dew point would be above 95&nbsp;&deg;F (35&nbsp;&deg;C).
No dew point that high has ever been measured: the highest on record is 95&nbsp;&deg;F
(35&nbsp;&deg;C), at Dhahran, Saudi Arabia, on 8 July 2003.</p>
<h2>How the table is worked out</h2>
<p class="note">Every cell comes from one formula, the approximation for full sun and a light wind
that the Australian Bureau of Meteorology publishes:</p>
<ul class="note">
<li>WBGT = 0.567 &times; T<sub>a</sub> + 0.393 &times; e + 3.94</li>
<li>e = (RH / 100) &times; 6.105 &times; exp(17.27 &times; T<sub>a</sub> / (237.7 + T<sub>a</sub>))</li>
</ul>
<p class="note">T<sub>a</sub> is the air temperature in &deg;C, converted from the left column
with &deg;C = (&deg;F &minus; 32) &times; 5/9; RH is the relative humidity in percent; e is the
water vapor pressure in hectopascals (hPa); the WBGT comes out in &deg;C and is shown in &deg;F,
&deg;F = &deg;C &times; 9/5 + 32, rounded to a tenth. Its color is the calculator's option for
the number as shown. The dew point of the dash rule comes from the same vapor pressure:
T<sub>d</sub> = 237.7 g / (17.27 &minus; g) with g = ln(e / 6.105).</p>
<h2>What it assumes, and when it is off</h2>
<p class="note">The formula assumes the event is in <strong>full sun, around the middle of a
summer day, with a light wind</strong>, and knows nothing of the time of day, the cloud or the
ground. The figures below hold for the whole table, air of 70 to 110&nbsp;&deg;F (21 to
43&nbsp;&deg;C) at every humidity shown. They come from the physical model of the WBGT
instruments by Liljegren and others (2008), which the calculator's Estimate WBGT&hellip; window
uses: for every cell, the model under one change of conditions against the model at noon on a
clear midsummer day at latitude 35&deg;, with a light wind of 4&frac12;&nbsp;mph (2&nbsp;m/s).</p>
<ul class="note">
)");
    std::printf(
        "<li><strong>Shade</strong>: without direct sun the real WBGT is lower, by %s.</li>\n",
        degrees(lowerBy([](WbgtInput& in) { in.shade = true; })).c_str());
    std::printf(
        "<li><strong>Thick cloud</strong>: under an overcast sky it is lower, by %s.</li>\n",
        degrees(lowerBy([](WbgtInput& in) { in.sky = SkyCondition::Overcast; })).c_str());
    std::printf("<li><strong>Night, or indoors</strong>: with no sun at all it is lower still, by "
                "%s.\nIndoors, a fan or air conditioning lowers it further.</li>\n",
                degrees(lowerBy([](WbgtInput& in) { in.hour = 0; })).c_str());
    const Span still = lowerBy([](WbgtInput& in) { in.windMs = 0.5; });
    std::printf("<li><strong>Wind</strong>: a strong breeze of 11&nbsp;mph (5&nbsp;m/s) lowers it "
                "by %s;\nnearly still air, 1&nbsp;mph (0.5&nbsp;m/s), as in a stadium bowl or a "
                "sheltered court,\nraises it by %s.</li>\n",
                degrees(lowerBy([](WbgtInput& in) { in.windMs = 5; })).c_str(),
                degrees(Span{-still.high, -still.low}).c_str());
    std::printf(
        R"(<li><strong>Hot surfaces</strong>: asphalt, sand and synthetic surfaces radiate extra heat, so
the real WBGT near them can be higher; the model takes the ground to be at air temperature, so it
cannot say by how much.</li>
)");

    // The formula against the model at the reference, over the table and row by row.
    Span formula;
    double rowHigh[4] = {-1e9, -1e9, -1e9, -1e9};
    int rowHighAt[4] = {0, 0, 0, 0};
    forEachCell([&](int air, int rh) {
        const double over = CelsiusToFahrenheit(ApproximateWbgtC(FahrenheitToCelsius(air), rh)) -
                            modelF(reference(air, rh));
        formula.add(over);
        if (air % 10 == 0 && air >= 80 && over > rowHigh[air / 10 - 8])
            rowHigh[air / 10 - 8] = over, rowHighAt[air / 10 - 8] = rh;
    });
    std::printf("<li><strong>Humid heat</strong>: the formula itself runs high as heat and "
                "humidity rise together.\nAgainst the model it reads from %s low to %s high over "
                "the table. Its largest\noverestimate in a row grows with the heat:",
                degrees(-formula.low).c_str(), degrees(formula.high).c_str());
    const char* const joins[] = {"", ",", ",", " and"};
    for (int row = 0; row < 4; ++row)
        std::printf("%s %ld&nbsp;&deg;F in the %d&nbsp;&deg;F row (at %d&nbsp;%%)", joins[row],
                    std::lround(rowHigh[row]), 80 + 10 * row, rowHighAt[row]);
    std::printf(R"(.
Reading high errs on the safe side, but in such air a measured WBGT, or the Estimate WBGT&hellip;
window, is closer.</li>
</ul>
<p class="note">A WBGT meter at the venue gives the true value. When in doubt, choose the higher
temperature option.</p>
</body>
</html>
)");
    return 0;
}
