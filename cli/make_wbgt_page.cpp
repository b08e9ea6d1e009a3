// make-wbgt-page: writes the page of estimated wet bulb globe temperatures to standard output.
// The shipped page is this program's output; a test runs it again and compares, so the table,
// its formula and the words that state the formula cannot drift apart.

#include "core/wbgt_table.h"

#include <cstdio>

namespace {

const char* optionClass(int option) {
    static const char* const classes[] = {"low", "moderate", "high", "extreme"};
    return classes[option];
}

} // namespace

int main() {
    using namespace orvane;
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
calculator when no WBGT reading is available.</p>
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
<p class="note">A dash marks air that does not occur outdoors: its dew point would be above
95&nbsp;&deg;F (35&nbsp;&deg;C), the highest dew point ever measured (Dhahran, Saudi Arabia,
8 July 2003).</p>
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
ground. The figures below are rough, from a physical model of the WBGT instruments for a summer
midday with air of 77 to 95&nbsp;&deg;F (25 to 35&nbsp;&deg;C):</p>
<ul class="note">
<li><strong>Shade or thick cloud</strong>: without direct sun the real WBGT is lower, typically
by 5 to 9&nbsp;&deg;F (3 to 5&nbsp;&deg;C).</li>
<li><strong>Night, or indoors</strong>: with no sun at all it is lower still, typically by
7 to 12&nbsp;&deg;F (4 to 7&nbsp;&deg;C). Indoors, a fan or air conditioning lowers it further.</li>
<li><strong>Wind</strong>: a strong breeze, over about 10&nbsp;mph (5&nbsp;m/s), lowers it by
about 4 to 6&nbsp;&deg;F (2 to 3&nbsp;&deg;C); still air, as in a stadium bowl or a sheltered
court, can raise it by as much.</li>
<li><strong>Hot surfaces</strong>: asphalt, sand and synthetic surfaces radiate extra heat, so
the real WBGT near them can be higher.</li>
<li><strong>Very humid heat</strong>: in air above about 90&nbsp;&deg;F with high humidity the
formula runs high, by up to 7&nbsp;&deg;F (4&nbsp;&deg;C).</li>
</ul>
<p class="note">A WBGT meter at the venue gives the true value. When in doubt, choose the higher
temperature option.</p>
</body>
</html>
)");
    return 0;
}
