#pragma once

// The one-line estimate of WBGT behind the static page of estimated temperatures, the
// calculator's four WBGT options, which the page and the estimator window both band by, and the
// conversions of units every part of the program shows.

namespace orvane {

// The approximation for full sun and a light wind that the Australian Bureau of Meteorology
// publishes: WBGT = 0.567 Ta + 0.393 e + 3.94, with e the vapour pressure in hPa,
// e = RH/100 * 6.105 * exp(17.27 Ta / (237.7 + Ta)), and Ta in degrees Celsius.
double ApproximateWbgtC(double airC, double relativeHumidity);

// The dew point from the same vapour-pressure formula, in degrees Celsius.
double ApproximateDewPointC(double airC, double relativeHumidity);

// The highest dew point ever measured: 35 C (95 F), at Dhahran, Saudi Arabia, on 8 July 2003.
inline constexpr double kHighestDewPointC = 35.0;

// Whether air of this temperature and humidity has been met outdoors: its dew point is no higher
// than the highest ever measured. The page leaves other combinations blank.
bool OccursOutdoors(double airC, double relativeHumidity);

// The calculator's WBGT option for a temperature in degrees Fahrenheit: 0 "<73°F", 1 "73-81.9",
// 2 "82-85.9", 3 ">= 86°F". The value is judged as shown, rounded to a tenth, so 81.95 is 82.0
// and never falls between two options.
int WbgtOptionIndex(double wbgtF);

// A temperature rounded to the tenth it is shown with, by the same conversion that prints it.
double ShownTenth(double value);

double FahrenheitToCelsius(double f);
double CelsiusToFahrenheit(double c);

// Wind speeds: the model takes metres per second, people in °F countries read miles per hour.
inline constexpr double kMetresPerMile = 1609.344;
double MetresPerSecondToMph(double ms);
double MphToMetresPerSecond(double mph);

} // namespace orvane
