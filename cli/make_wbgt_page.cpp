// make-wbgt-page: writes the page of estimated wet bulb globe temperatures to standard output.
// The shipped page is this program's output; a test runs it again and compares, so the table
// and its formula cannot drift apart.
//
// The estimate is the simplified one for full sun and light wind:
//   WBGT(C) = 0.567 Ta + 0.393 e + 3.94,  e(hPa) = RH/100 * 6.105 * exp(17.27 Ta / (237.7 + Ta))
// with Ta the air temperature in degrees Celsius.

#include <cmath>
#include <cstdio>
#include <string>

namespace {

double estimatedWbgtF(double airF, double humidityPercent) {
    const double ta = (airF - 32.0) * 5.0 / 9.0;
    const double e = humidityPercent / 100.0 * 6.105 * std::exp(17.27 * ta / (237.7 + ta));
    const double wbgtC = 0.567 * ta + 0.393 * e + 3.94;
    return wbgtC * 9.0 / 5.0 + 32.0;
}

// The calculator's WBGT options: <73, 73-81.9, 82-85.9, >= 86 (degrees F), judged on the value
// as shown, rounded to a tenth, so the colour always agrees with the printed number.
const char* bandClass(double shownF) {
    if (shownF < 73.0)
        return "low";
    if (shownF < 82.0)
        return "moderate";
    if (shownF < 86.0)
        return "high";
    return "extreme";
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
table { border-collapse: collapse; margin: 1em 0; }
th, td { border: 1px solid #888; padding: 0.25em 0.5em; text-align: right; }
th { background: #eee; }
td.low { background: #c8e6c9; }
td.moderate { background: #fff59d; }
td.high { background: #ffcc80; }
td.extreme { background: #ef9a9a; }
.note { max-width: 46em; }
</style>
</head>
<body>
<h1>Estimated Wet Bulb Globe Temperatures (&deg;F)</h1>
<p class="note">Find the air temperature (in the shade) in the left column and the relative
humidity along the top. The cell gives the estimated wet bulb globe temperature (WBGT) for an
event in full sun with a light wind. Use it to answer question 1 of the calculator when no WBGT
reading is available.</p>
<table>
<caption>Colours follow the calculator's WBGT options</caption>
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
        for (int rh = 10; rh <= 100; rh += 10) {
            const double shown = std::round(estimatedWbgtF(air, rh) * 10.0) / 10.0;
            std::printf("<td class=\"%s\">%.1f</td>", bandClass(shown), shown);
        }
        std::printf("</tr>\n");
    }
    std::printf(R"(</table>
<h2>When the estimate is off</h2>
<ul class="note">
<li><strong>Shade or cloud</strong>: without direct sun the real WBGT is lower, often by
several degrees.</li>
<li><strong>Wind</strong>: a strong breeze lowers the WBGT; still air, as in a stadium bowl or
a sheltered court, can raise it.</li>
<li><strong>Hot surfaces</strong>: asphalt, sand and synthetic surfaces radiate extra heat, so
the real WBGT near them can be higher.</li>
<li>The formula is an approximation. A WBGT meter at the venue gives the true value; when in
doubt, choose the higher temperature option.</li>
</ul>
</body>
</html>
)");
    return 0;
}
