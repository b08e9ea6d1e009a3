#include "core/wbgt_table.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>

namespace orvane {
namespace {

double vapourPressureHpa(double airC, double relativeHumidity) {
    return relativeHumidity / 100.0 * 6.105 * std::exp(17.27 * airC / (237.7 + airC));
}

} // namespace

double ApproximateWbgtC(double airC, double relativeHumidity) {
    return 0.567 * airC + 0.393 * vapourPressureHpa(airC, relativeHumidity) + 3.94;
}

double ApproximateDewPointC(double airC, double relativeHumidity) {
    const double g = std::log(vapourPressureHpa(airC, relativeHumidity) / 6.105);
    return 237.7 * g / (17.27 - g);
}

bool OccursOutdoors(double airC, double relativeHumidity) {
    return relativeHumidity <= 0 ||
           ApproximateDewPointC(airC, relativeHumidity) <= kHighestDewPointC;
}

int WbgtOptionIndex(double wbgtF) {
    // Rounding to a tenth never crosses an edge from a tenth or more below it, nor from the edge
    // or above, so only the values just below an edge need printing; a plan of many hours then
    // costs little more than its estimates. NaN goes the printed way too.
    constexpr double kEdges[] = {73.0, 82.0, 86.0};
    int clear = 0;
    bool nearEdge = std::isnan(wbgtF);
    for (const double edge : kEdges) {
        clear += wbgtF >= edge;
        nearEdge = nearEdge || (wbgtF >= edge - 0.1 && wbgtF < edge);
    }
    if (!nearEdge)
        return clear;
    // Rounded by the same conversion that prints it, so the option always fits the digits shown.
    const double shown = ShownTenth(wbgtF);
    return shown < 73.0 ? 0 : shown < 82.0 ? 1 : shown < 86.0 ? 2 : 3;
}

double ShownTenth(double value) {
    char digits[64];
    std::snprintf(digits, sizeof digits, "%.1f", value);
    return std::strtod(digits, nullptr);
}

double FahrenheitToCelsius(double f) {
    return (f - 32.0) * 5.0 / 9.0;
}

double CelsiusToFahrenheit(double c) {
    return c * 9.0 / 5.0 + 32.0;
}

double MetresPerSecondToMph(double ms) {
    return ms * 3600.0 / kMetresPerMile;
}

double MphToMetresPerSecond(double mph) {
    return mph * kMetresPerMile / 3600.0;
}

} // namespace orvane
