#include "core/wind_profile.h"

#include "core/liljegren.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstddef>

namespace orvane {
namespace {

using enum StabilityClass;

// EPA-454/R-99-005, section 6.4.2, Table 6-7, daytime. Rows by the 10 m wind: under 2, 2-3, 3-5,
// 5-6 and 6 m/s or more; columns by the solar radiation: 925 W/m2 or more, 675-925, 175-675,
// under 175.
constexpr std::array<std::array<StabilityClass, 4>, 5> kDaytime{{
    {A, A, B, D},
    {A, B, C, D},
    {B, B, C, D},
    {C, C, D, D},
    {C, D, D, D},
}};

// EPA-454/R-99-005, section 6.2.5: the default exponents for classes A to F.
constexpr std::array<double, 6> kRuralExponents{0.07, 0.07, 0.10, 0.15, 0.35, 0.55};
constexpr std::array<double, 6> kUrbanExponents{0.15, 0.15, 0.20, 0.25, 0.30, 0.30};

} // namespace

StabilityClass DaytimeStabilityClass(double solarWm2, double wind10mMs) {
    const std::size_t column = solarWm2 >= 925 ? 0 : solarWm2 >= 675 ? 1 : solarWm2 >= 175 ? 2 : 3;
    const std::size_t row = wind10mMs >= 6   ? 4
                            : wind10mMs >= 5 ? 3
                            : wind10mMs >= 3 ? 2
                            : wind10mMs >= 2 ? 1
                                             : 0;
    return kDaytime[row][column];
}

StabilityClass NightStabilityClass(double wind10mMs) {
    return wind10mMs >= 2.5 ? D : wind10mMs >= 2.0 ? E : F;
}

double WindProfileExponent(StabilityClass stability, Terrain terrain) {
    const auto& exponents = terrain == Terrain::Urban ? kUrbanExponents : kRuralExponents;
    return exponents[static_cast<std::size_t>(stability)];
}

double WindAt2m(double wind10mMs, StabilityClass stability, Terrain terrain) {
    constexpr double ratio = 2 / kForecastWindHeightM;
    const double wind = wind10mMs * std::pow(ratio, WindProfileExponent(stability, terrain));
    return std::max(wind, kMinWindMs);
}

} // namespace orvane
