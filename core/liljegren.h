#pragma once

// An offline estimate of the outdoor wet bulb globe temperature from ordinary weather readings,
// by the model of Liljegren, Carhart, Lawday, Tschopp and Sharp (2008), "Modeling the Wet Bulb
// Globe Temperature Using Standard Meteorological Measurements", J. Occup. Environ. Hyg.
// 5:645-655. The natural wet bulb and the black globe each come from their own heat balance,
// solved by iteration, and WBGT = 0.7 Tnwb + 0.2 Tg + 0.1 Ta.
//
// What the inputs mean, and where this differs from an instrument on the field:
// - The wind is the speed at 2 m above the ground, the height of the instruments. No other
//   height is accepted or converted: a 10 m reading must be brought down to 2 m by the caller.
// - The sun is either a measured global horizontal irradiance or, without one, a clear-sky
//   estimate for the instant (Haurwitz 1945) reduced for the sky's cloud (Kasten and Czeplak
//   1980). The sun's position is taken at the given UTC instant, not averaged over an hour.
// - Shade is modelled as no direct sun: the direct part of the irradiance is removed and only
//   the diffuse part reaches the globe and the wick. The shade's own temperature is not known,
//   so surroundings still radiate at air temperature.
// - With the sun down a measured irradiance is kept, all of it taken as diffuse light.
// - The ground is taken to be at air temperature.

#include <optional>
#include <string>
#include <string_view>
#include <variant>

namespace orvane {

enum class SkyCondition { Clear, PartlyCloudy, Overcast };

// The slowest wind the model's convection correlations take: below it they leave their range,
// and still air still moves by free convection. Slower winds are raised to it.
inline constexpr double kMinWindMs = 0.13;

struct WbgtInput {
    int year = 2000, month = 1, day = 1; // UTC
    int hour = 0, minute = 0, second = 0;
    double latitude = 0;  // degrees, north positive
    double longitude = 0; // degrees, east positive
    double airC = 20;
    double relativeHumidity = 50;           // percent
    double windMs = 1;                      // at 2 m
    std::optional<double> solarWm2;         // measured global horizontal irradiance
    SkyCondition sky = SkyCondition::Clear; // used only without a measured irradiance
    bool shade = false;
    double pressureHpa = 1013.25;
};

struct WbgtResult {
    double wbgtC = 0;
    double globeC = 0;
    double naturalWetBulbC = 0;
    double psychrometricWetBulbC = 0;
    double cosZenith = 0;
    double solarWm2 = 0;       // the irradiance the model used, after the cap and the shade
    double directFraction = 0; // of that irradiance; 0 in shade and with the sun down
};

// Which input an error is about; Convergence when the inputs were valid but a heat balance
// found no temperature.
enum class WbgtField {
    Time,
    Latitude,
    Longitude,
    AirTemperature,
    RelativeHumidity,
    Wind,
    Solar,
    Pressure,
    Convergence,
};

struct WbgtError {
    WbgtField field;
    std::string reason;
};

using WbgtOutcome = std::variant<WbgtResult, WbgtError>;

// Never throws; an input outside its range, or a balance that does not settle, is an error and
// never a number.
WbgtOutcome EstimateWbgt(const WbgtInput& input);

// Lower-case words for a person, e.g. "relative humidity".
std::string_view WbgtFieldName(WbgtField field);

// The weighting of the three thermometers.
double CombineWbgt(double naturalWetBulbC, double globeC, double airC);

struct SunPosition {
    double cosZenith = 0;
    double declinationDeg = 0;
    double equationOfTimeMin = 0;
    double earthSunDistanceAu = 1;
};

// The NOAA solar calculator's series (after Meeus) at the given UTC instant, without
// atmospheric refraction. Expects a valid date and time.
SunPosition SolarPosition(int year, int month, int day, int hour, int minute, int second,
                          double latitude, double longitude);

// EstimateWbgt with the sun already placed by SolarPosition for the input's instant and place,
// for a caller that needs the sun itself as well: placing it is a good part of an estimate's cost.
WbgtOutcome EstimateWbgt(const WbgtInput& input, const SunPosition& sun);

// Through the saturation vapour pressure over liquid water, after Buck (1981) with its
// enhancement factor. The dew point is minus infinity at 0 %.
double DewPoint(double airC, double relativeHumidity);
double RelativeHumidityFromDewPoint(double airC, double dewPointC);

// Haurwitz clear-sky global horizontal irradiance, W/m²; 0 with the sun down.
double ClearSkyIrradiance(double cosZenith);

// The share of clear-sky irradiance that passes the cloud: 1 - 0.75 (N/8)^3.4 for N oktas.
double CloudFactor(SkyCondition sky);

} // namespace orvane
