#include "core/liljegren.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <numbers>

namespace orvane {

namespace {

using std::numbers::pi;

constexpr double kKelvin = 273.15;
constexpr double kStefanBoltzmann = 5.6696e-8;
constexpr double kCp = 1003.5; // J/(kg K)
constexpr double kMolarAir = 28.97;
constexpr double kMolarWater = 18.015;
constexpr double kGasConstant = 8314.34;
constexpr double kRAir = kGasConstant / kMolarAir;
// Eucken's relation, k = (Cp + 5/4 R) mu, gives both the conductivity and the Prandtl number.
constexpr double kEucken = kCp + 1.25 * kRAir;
constexpr double kPrandtl = kCp / kEucken;

constexpr double kGlobeDiameter = 0.0508;
constexpr double kGlobeEmissivity = 0.95;
constexpr double kGlobeAlbedo = 0.05;
constexpr double kWickDiameter = 0.007;
constexpr double kWickLength = 0.0254;
constexpr double kWickEmissivity = 0.95;
constexpr double kWickAlbedo = 0.4;
constexpr double kSurfaceEmissivity = 0.999;
constexpr double kSurfaceAlbedo = 0.45;

constexpr double kSolarConstant = 1367;
constexpr double kSunUpCosZenith = 0.00873; // 89.5 degrees
constexpr double kMaxRelativeSolar = 0.85;
constexpr double kMaxDirectFraction = 0.9;
// The exponent of the heat and mass transfer analogy for the wick (Bedingfield and Drew).
constexpr double kTransferExponent = 0.56;

constexpr double kConvergenceK = 0.02;
constexpr int kMaxSteps = 500;

constexpr double radians(double deg) {
    return deg * pi / 180;
}
constexpr double degrees(double rad) {
    return rad * 180 / pi;
}

// Chapman-Enskog for air (sigma 3.617 Angstrom, epsilon/k 97 K), with the collision integral
// taken as a straight line over the range of outdoor temperatures; kg/(m s).
double viscosity(double tempK) {
    constexpr double sigma = 3.617;
    const double omega = (tempK / 97.0 - 2.9) / 0.4 * -0.034 + 1.048;
    return 2.6693e-6 * std::sqrt(kMolarAir * tempK) / (sigma * sigma * omega);
}

double conductivity(double tempK) {
    return kEucken * viscosity(tempK);
}

// Water vapour in air by the Bird, Stewart and Lightfoot correlation for a polar and a
// non-polar gas, from the critical points of both; m^2/s.
double diffusivity(double tempK, double pressureHpa) {
    constexpr double tcAir = 132, pcAir = 36.4, tcWater = 647.3, pcWater = 218;
    const double cm2PerS = 3.640e-4 * std::pow(tempK / std::sqrt(tcAir * tcWater), 2.334) *
                           std::cbrt(pcAir * pcWater) * std::pow(tcAir * tcWater, 5.0 / 12.0) *
                           std::sqrt(1 / kMolarAir + 1 / kMolarWater) / (pressureHpa / 1013.25);
    return cm2PerS * 1e-4;
}

double vaporizationHeat(double tempK) {
    return (313.15 - tempK) / 30.0 * -71100.0 + 2.4073e6;
}

double saturationHpa(double tempK) {
    return 1.004 * 6.1121 * std::exp(17.502 * (tempK - kKelvin) / (tempK - 32.18));
}

double density(double tempK, double pressureHpa) {
    return pressureHpa * 100 / (kRAir * tempK);
}

double reynolds(double tempK, double pressureHpa, double windMs, double diameter) {
    return std::max(windMs, kMinWindMs) * density(tempK, pressureHpa) * diameter / viscosity(tempK);
}

double sphereConvection(double tempK, double pressureHpa, double windMs) {
    const double re = reynolds(tempK, pressureHpa, windMs, kGlobeDiameter);
    const double nusselt = 2 + 0.6 * std::sqrt(re) * std::cbrt(kPrandtl);
    return nusselt * conductivity(tempK) / kGlobeDiameter;
}

// A cylinder in cross flow (Bedingfield and Drew, 1950), the wick's shape.
double cylinderConvection(double tempK, double pressureHpa, double windMs) {
    const double re = reynolds(tempK, pressureHpa, windMs, kWickDiameter);
    const double nusselt =
        0.281 * std::pow(re, 1 - 0.4) * std::pow(kPrandtl, 1 - kTransferExponent);
    return nusselt * conductivity(tempK) / kWickDiameter;
}

// The published scheme: each step moves a tenth of the way to the balance's answer, because the
// full step overshoots and oscillates in wind. Read here as: stop when the answer and the value
// it came from differ by under 0.02 K, and give the answer, not the damped value.
template <class Balance> std::optional<double> settle(double startK, Balance balance) {
    double previous = startK;
    for (int step = 0; step < kMaxSteps; ++step) {
        const double next = balance(previous);
        if (!std::isfinite(next))
            return std::nullopt;
        if (std::abs(next - previous) < kConvergenceK)
            return next;
        previous = 0.9 * previous + 0.1 * next;
    }
    return std::nullopt;
}

struct Surroundings {
    double airK;
    double pressureHpa;
    double vapourHpa;
    double windMs;
    double solarWm2;
    double directFraction;
    double cosZenith;
    double longwave; // what the half-sky and the ground send, over sigma: K^4
};

std::optional<double> globeK(const Surroundings& s) {
    double beam = 0;
    if (s.directFraction > 0)
        beam = s.directFraction * (1 / (2 * s.cosZenith) - 1);
    const double solar = s.solarWm2 / (2 * kGlobeEmissivity * kStefanBoltzmann) *
                         (1 - kGlobeAlbedo) * (beam + 1 + kSurfaceAlbedo);
    return settle(s.airK, [&](double tg) {
        const double h = sphereConvection(0.5 * (tg + s.airK), s.pressureHpa, s.windMs);
        const double fourth =
            s.longwave - h / (kGlobeEmissivity * kStefanBoltzmann) * (tg - s.airK) + solar;
        return std::sqrt(std::sqrt(fourth)); // NaN when negative, which ends the iteration
    });
}

// The natural wet bulb with radiation, the psychrometric one without.
std::optional<double> wetBulbK(const Surroundings& s, double startK, bool radiation) {
    constexpr double endShare = kWickDiameter / (4 * kWickLength); // the wick's sunlit tip
    double absorbed = 0;
    if (radiation) {
        double beam = 0;
        if (s.directFraction > 0) {
            const double tanZenith = std::sqrt(1 - s.cosZenith * s.cosZenith) / s.cosZenith;
            beam = s.directFraction * (tanZenith / pi + endShare);
        }
        absorbed = (1 - kWickAlbedo) * s.solarWm2 *
                   ((1 - s.directFraction) * (1 + endShare) + beam + kSurfaceAlbedo);
    }
    return settle(startK, [&](double tw) {
        const double film = 0.5 * (tw + s.airK);
        const double wickHpa = saturationHpa(tw);
        if (wickHpa >= s.pressureHpa)
            return std::numeric_limits<double>::quiet_NaN(); // boiling: no balance
        const double schmidt =
            viscosity(film) / (density(film, s.pressureHpa) * diffusivity(film, s.pressureHpa));
        // Heat of vaporization at the wick, where the water evaporates.
        const double evaporation = vaporizationHeat(tw) / kCp * (kMolarWater / kMolarAir) *
                                   (wickHpa - s.vapourHpa) / (s.pressureHpa - wickHpa) *
                                   std::pow(kPrandtl / schmidt, kTransferExponent);
        double net = 0;
        if (radiation) {
            const double h = cylinderConvection(film, s.pressureHpa, s.windMs);
            const double longwave =
                kStefanBoltzmann * kWickEmissivity * (s.longwave - tw * tw * tw * tw);
            net = (longwave + absorbed) / h;
        }
        return s.airK - evaporation + net;
    });
}

constexpr bool isLeap(int year) {
    return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
}

int daysIn(int year, int month) {
    constexpr int days[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    return month == 2 && isLeap(year) ? 29 : days[month - 1];
}

bool within(double value, double low, double high) {
    return value >= low && value <= high; // false for NaN
}

std::optional<WbgtError> invalid(const WbgtInput& in) {
    using F = WbgtField;
    // The series are fitted around the year 2000 and lose accuracy centuries away; a year beyond
    // these is likelier a typing slip than an event.
    if (in.year < 1900 || in.year > 2100)
        return WbgtError{F::Time, "year must be 1900 to 2100"};
    if (in.month < 1 || in.month > 12)
        return WbgtError{F::Time, "month must be 1 to 12"};
    if (in.day < 1 || in.day > daysIn(in.year, in.month))
        return WbgtError{F::Time, "no such day in that month"};
    if (in.hour < 0 || in.hour > 23)
        return WbgtError{F::Time, "hour must be 0 to 23"};
    if (in.minute < 0 || in.minute > 59)
        return WbgtError{F::Time, "minute must be 0 to 59"};
    if (in.second < 0 || in.second > 59)
        return WbgtError{F::Time, "second must be 0 to 59"};
    if (!within(in.latitude, -90, 90))
        return WbgtError{F::Latitude, "must be -90 to 90 degrees"};
    if (!within(in.longitude, -180, 180))
        return WbgtError{F::Longitude, "must be -180 to 180 degrees"};
    if (!within(in.airC, -40, 60))
        return WbgtError{F::AirTemperature, "must be -40 to 60 \u00b0C"};
    if (!within(in.relativeHumidity, 0, 100))
        return WbgtError{F::RelativeHumidity, "must be 0 to 100 %"};
    if (!(in.windMs >= 0 && std::isfinite(in.windMs)))
        return WbgtError{F::Wind, "must be a finite speed of 0 m/s or more"};
    if (in.solarWm2 && !(*in.solarWm2 >= 0 && std::isfinite(*in.solarWm2)))
        return WbgtError{F::Solar, "must be a finite irradiance of 0 W/m\u00b2 or more"};
    // Sea level spans about 870 to 1085 hPa; 300 hPa is above the highest summits.
    if (!within(in.pressureHpa, 300, 1100))
        return WbgtError{F::Pressure, "must be 300 to 1100 hPa"};
    return std::nullopt;
}

struct Irradiance {
    double wm2 = 0;
    double directFraction = 0;
};

// Splits the global irradiance by its clearness against the top of the atmosphere. An
// irradiance above 85 % of the top is taken as a reading error and lowered to that.
Irradiance split(double wm2, const SunPosition& sun) {
    if (sun.cosZenith < kSunUpCosZenith || wm2 <= 0)
        return {wm2, 0};
    const double top =
        kSolarConstant * sun.cosZenith / (sun.earthSunDistanceAu * sun.earthSunDistanceAu);
    const double clearness = std::min(wm2 / top, kMaxRelativeSolar);
    const double direct = std::exp(3 - 1.34 * clearness - 1.65 / clearness);
    return {clearness * top, std::clamp(direct, 0.0, kMaxDirectFraction)};
}

} // namespace

double DewPoint(double airC, double relativeHumidity) {
    if (relativeHumidity <= 0)
        return -std::numeric_limits<double>::infinity();
    const double z =
        std::log(relativeHumidity / 100 * saturationHpa(airC + kKelvin) / (1.004 * 6.1121));
    return 240.97 * z / (17.502 - z);
}

double RelativeHumidityFromDewPoint(double airC, double dewPointC) {
    return 100 * saturationHpa(dewPointC + kKelvin) / saturationHpa(airC + kKelvin);
}

double ClearSkyIrradiance(double cosZenith) {
    if (cosZenith < kSunUpCosZenith)
        return 0;
    return 1098 * cosZenith * std::exp(-0.057 / cosZenith);
}

double CloudFactor(SkyCondition sky) {
    double oktas = 0;
    switch (sky) {
    case SkyCondition::Clear: oktas = 0; break;
    case SkyCondition::PartlyCloudy: oktas = 4; break;
    case SkyCondition::Overcast: oktas = 8; break;
    }
    return 1 - 0.75 * std::pow(oktas / 8, 3.4);
}

double CombineWbgt(double naturalWetBulbC, double globeC, double airC) {
    return 0.7 * naturalWetBulbC + 0.2 * globeC + 0.1 * airC;
}

SunPosition SolarPosition(int year, int month, int day, int hour, int minute, int second,
                          double latitude, double longitude) {
    // Julian day number of the civil date (Fliegel and Van Flandern), then the instant.
    const int a = (14 - month) / 12;
    const int y = year + 4800 - a;
    const int m = month + 12 * a - 3;
    const long dayNumber = day + (153 * m + 2) / 5 + 365L * y + y / 4 - y / 100 + y / 400 - 32045;
    const double minutes = hour * 60 + minute + second / 60.0;
    const double julianDay = double(dayNumber) - 0.5 + minutes / 1440;
    const double t = (julianDay - 2451545) / 36525; // Julian centuries from J2000

    const double meanLongitude = std::fmod(280.46646 + t * (36000.76983 + t * 0.0003032), 360);
    const double meanAnomaly = radians(357.52911 + t * (35999.05029 - 0.0001537 * t));
    const double eccentricity = 0.016708634 - t * (0.000042037 + 0.0000001267 * t);
    const double centre = std::sin(meanAnomaly) * (1.914602 - t * (0.004817 + 0.000014 * t)) +
                          std::sin(2 * meanAnomaly) * (0.019993 - 0.000101 * t) +
                          std::sin(3 * meanAnomaly) * 0.000289;
    const double trueAnomaly = meanAnomaly + radians(centre);
    const double distance = 1.000001018 * (1 - eccentricity * eccentricity) /
                            (1 + eccentricity * std::cos(trueAnomaly));
    const double node = radians(125.04 - 1934.136 * t);
    const double apparentLongitude =
        radians(meanLongitude + centre - 0.00569 - 0.00478 * std::sin(node));
    const double meanObliquity =
        23 + (26 + (21.448 - t * (46.815 + t * (0.00059 - t * 0.001813))) / 60) / 60;
    const double obliquity = radians(meanObliquity + 0.00256 * std::cos(node));
    const double declination = std::asin(std::sin(obliquity) * std::sin(apparentLongitude));

    const double v = std::pow(std::tan(obliquity / 2), 2);
    const double l0 = radians(meanLongitude);
    const double equationOfTime =
        4 * degrees(v * std::sin(2 * l0) - 2 * eccentricity * std::sin(meanAnomaly) +
                    4 * eccentricity * v * std::sin(meanAnomaly) * std::cos(2 * l0) -
                    0.5 * v * v * std::sin(4 * l0) -
                    1.25 * eccentricity * eccentricity * std::sin(2 * meanAnomaly));

    const double trueSolarMinutes = minutes + equationOfTime + 4 * longitude;
    const double hourAngle = radians(trueSolarMinutes / 4 - 180);
    const double lat = radians(latitude);
    const double cosZenith = std::sin(lat) * std::sin(declination) +
                             std::cos(lat) * std::cos(declination) * std::cos(hourAngle);
    return {std::clamp(cosZenith, -1.0, 1.0), degrees(declination), equationOfTime, distance};
}

std::string_view WbgtFieldName(WbgtField field) {
    switch (field) {
    case WbgtField::Time: return "date and time";
    case WbgtField::Latitude: return "latitude";
    case WbgtField::Longitude: return "longitude";
    case WbgtField::AirTemperature: return "air temperature";
    case WbgtField::RelativeHumidity: return "relative humidity";
    case WbgtField::Wind: return "wind speed";
    case WbgtField::Solar: return "solar irradiance";
    case WbgtField::Pressure: return "air pressure";
    case WbgtField::Convergence: return "model";
    }
    return "model";
}

namespace {

WbgtOutcome estimate(const WbgtInput& in, const SunPosition& sun) {
    const double offered =
        in.solarWm2 ? *in.solarWm2 : ClearSkyIrradiance(sun.cosZenith) * CloudFactor(in.sky);
    Irradiance light = split(offered, sun);
    if (in.shade)
        light = {light.wm2 * (1 - light.directFraction), 0};

    Surroundings s;
    s.airK = in.airC + kKelvin;
    s.pressureHpa = in.pressureHpa;
    s.vapourHpa = in.relativeHumidity / 100 * saturationHpa(s.airK);
    s.windMs = in.windMs;
    s.solarWm2 = light.wm2;
    s.directFraction = light.directFraction;
    s.cosZenith = sun.cosZenith;
    // Half the surroundings are sky (emissivity after Oke, from the vapour pressure in hPa),
    // half ground at air temperature.
    const double skyEmissivity = 0.575 * std::pow(s.vapourHpa, 0.143);
    const double air4 = std::pow(s.airK, 4);
    s.longwave = 0.5 * (skyEmissivity * air4 + kSurfaceEmissivity * air4);

    // At 0 % the dew point is minus infinity; any start far below the air serves.
    const double startK = std::max(DewPoint(in.airC, in.relativeHumidity), -100.0) + kKelvin;
    const auto globe = globeK(s);
    if (!globe)
        return WbgtError{WbgtField::Convergence,
                         "the globe temperature did not settle in 500 steps"};
    const auto natural = wetBulbK(s, startK, true);
    if (!natural)
        return WbgtError{WbgtField::Convergence,
                         "the natural wet bulb did not settle in 500 steps"};
    const auto psychrometric = wetBulbK(s, startK, false);
    if (!psychrometric)
        return WbgtError{WbgtField::Convergence,
                         "the psychrometric wet bulb did not settle in 500 steps"};

    WbgtResult r;
    r.globeC = *globe - kKelvin;
    r.naturalWetBulbC = *natural - kKelvin;
    r.psychrometricWetBulbC = *psychrometric - kKelvin;
    r.wbgtC = CombineWbgt(r.naturalWetBulbC, r.globeC, in.airC);
    r.cosZenith = sun.cosZenith;
    r.solarWm2 = light.wm2;
    r.directFraction = light.directFraction;
    return r;
}

} // namespace

WbgtOutcome EstimateWbgt(const WbgtInput& in) {
    if (auto error = invalid(in))
        return *error;
    return estimate(in, SolarPosition(in.year, in.month, in.day, in.hour, in.minute, in.second,
                                      in.latitude, in.longitude));
}

WbgtOutcome EstimateWbgt(const WbgtInput& in, const SunPosition& sun) {
    if (auto error = invalid(in))
        return *error;
    return estimate(in, sun);
}

} // namespace orvane
