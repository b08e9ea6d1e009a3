#pragma once

// The wind at the model's 2 m from a forecast's wind at 10 m, brought down as Liljegren et al.
// (2008) bring a weather station's wind down: the power law u2 = u10 (2/10)^p, with the exponent
// p of the hour's Pasquill-Gifford stability class over rural or urban ground.
//
// Both tables are the EPA's, from "Meteorological Monitoring Guidance for Regulatory Modeling
// Applications", EPA-454/R-99-005 (February 2000): the exponents are the regulatory models'
// defaults of section 6.2.5 (wind speed profiles), and the class is the solar-radiation/delta-T
// (SRDT) key of section 6.4.2, Table 6-7: by day from the total solar radiation and the 10 m
// wind, by night from the 10 m wind and the sign of the vertical temperature difference.

namespace orvane {

enum class Terrain { Rural, Urban };

// A is the most unstable (strong sun, light wind), F the most stable (a clear, calm night).
enum class StabilityClass { A, B, C, D, E, F };

// The height Open-Meteo and weather stations give the wind at.
inline constexpr double kForecastWindHeightM = 10;

// Table 6-7 by day. Each range of the key includes its lower edge: 925 W/m2 is already the
// strongest sun and 2 m/s no longer the lightest wind. Expects finite values.
StabilityClass DaytimeStabilityClass(double solarWm2, double wind10mMs);

// Table 6-7 by night, always in its column for a temperature difference of 0 or more: a
// forecast gives no vertical temperature difference, and a stable night (the ground cooling the
// air above it) is the usual one when the sun is down. Under 2.0 m/s that is F, from 2.0 to
// under 2.5 m/s E, and from 2.5 m/s D.
StabilityClass NightStabilityClass(double wind10mMs);

// The power-law exponent of section 6.2.5 for the class and the ground.
double WindProfileExponent(StabilityClass stability, Terrain terrain);

// The wind at 2 m, never below the model's kMinWindMs. Expects a finite wind of 0 m/s or more.
double WindAt2m(double wind10mMs, StabilityClass stability, Terrain terrain);

} // namespace orvane
