#include "core/evaluation.h"

#include "core/catalogue.h"

#include <algorithm>
#include <clocale>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <limits>
#include <string>

namespace orvane {
namespace {

constexpr std::array<RiskBand, 4> kBands{
    // Two blanks in the first name: the file is named so.
    RiskBand{"Risk Score  75 recommendation.rtf", "EXTREME RISK (75 and above)", 3, "75 and above"},
    RiskBand{"Risk Score 66-74 recommendation.rtf", "HIGH RISK (66 to 74)", 2, "66\u201374"},
    RiskBand{"Risk Score 56-65 recommendation.rtf", "MODERATE RISK (56 to 65)", 1, "56\u201365"},
    RiskBand{"Risk Score 55 and below recommendation.rtf", "LOW RISK (55 and below)", 0,
             "55 and below"},
};
constexpr std::array<double, 4> kBandFloors{74, 65, 55, 0};

bool isDigit(char c) {
    return c >= '0' && c <= '9';
}
bool isBlank(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\v' || c == '\f';
}

// Length of the longest prefix of s that is [+-]digits[.digits][(e|E)[+-]digits], with at
// least one digit in the mantissa; 0 when there is none.
std::size_t numberPrefix(std::string_view s) {
    std::size_t i = 0;
    if (i < s.size() && (s[i] == '+' || s[i] == '-'))
        ++i;
    std::size_t digits = 0;
    while (i < s.size() && isDigit(s[i]))
        ++i, ++digits;
    if (i < s.size() && s[i] == '.') {
        ++i;
        while (i < s.size() && isDigit(s[i]))
            ++i, ++digits;
    }
    if (digits == 0)
        return 0;
    if (i < s.size() && (s[i] == 'e' || s[i] == 'E')) {
        std::size_t j = i + 1;
        if (j < s.size() && (s[j] == '+' || s[j] == '-'))
            ++j;
        if (j < s.size() && isDigit(s[j])) {
            while (j < s.size() && isDigit(s[j]))
                ++j;
            i = j;
        }
    }
    return i;
}

std::int16_t roundToInt16(double value) {
    if (std::isnan(value))
        return 0;
    const double rounded = std::nearbyint(value); // default rounding mode: halves to even
    if (rounded <= std::numeric_limits<std::int16_t>::min())
        return std::numeric_limits<std::int16_t>::min();
    if (rounded >= std::numeric_limits<std::int16_t>::max())
        return std::numeric_limits<std::int16_t>::max();
    return static_cast<std::int16_t>(rounded);
}

double saturate(double value) {
    constexpr double kMax = std::numeric_limits<double>::max();
    if (std::isnan(value))
        return 0;
    return value > kMax ? kMax : (value < -kMax ? -kMax : value);
}

} // namespace

double ReadNumber(std::string_view text) {
    std::size_t start = 0;
    while (start < text.size() && isBlank(text[start]))
        ++start;
    text.remove_prefix(start);
    const std::size_t length = numberPrefix(text);
    if (length == 0)
        return 0;
    // strtod reads the number as C does, correctly rounded, in both the desktop's and the web
    // build's C library (where the web build's C++ library has no floating-point from_chars, and
    // a string stream would carry its locale machinery into every page load). It wants the
    // decimal point of the locale the desktop took from the user's environment ("2,5" in a
    // German one), so the box's point is spelled that way first. Out of range it gives infinity,
    // which saturate() folds into DBL_MAX, or the nearest value when too small: 0 or a subnormal.
    std::string number(text.substr(0, length));
    const char* point = std::localeconv()->decimal_point;
    if (point[0] != '.' || point[1] != '\0')
        if (const auto dot = number.find('.'); dot != std::string::npos)
            number.replace(dot, 1, point);
    const double value = std::strtod(number.c_str(), nullptr);
    return saturate(value);
}

std::optional<RiskBand> BandFor(double total) {
    for (std::size_t i = 0; i < kBands.size(); ++i) {
        if (total > kBandFloors[i])
            return kBands[i];
    }
    return std::nullopt;
}

std::optional<RiskBand> BandByDocument(std::string_view document) {
    for (const RiskBand& band : kBands)
        if (band.document == document)
            return band;
    return std::nullopt;
}

std::optional<RiskBand> BandByRange(std::string_view range) {
    for (const RiskBand& band : kBands)
        if (band.range == range)
            return band;
    return std::nullopt;
}

std::span<const RiskBand> Bands() {
    return kBands;
}

std::string TotalDisplayText(double total) {
    if (total == 0)
        total = 0; // folds -0 into 0
    // 15 significant digits hide binary noise such as 0.1 + 0.2, as people expect of a sum.
    char buffer[400];
    std::snprintf(buffer, sizeof buffer, "%.15g", total);
    std::string digits(buffer);
    if (digits.find_first_of("eE") != std::string::npos) {
        // Spell large and tiny totals out in plain decimals, still with 15 significant digits:
        // the box shows digits only, and no more of them than the sum can vouch for.
        std::snprintf(buffer, sizeof buffer, "%.14e", std::fabs(total));
        const std::string scientific(buffer);
        const std::size_t e = scientific.find('e');
        std::string mantissa = scientific.substr(0, 1) + scientific.substr(2, e - 2);
        mantissa.erase(mantissa.find_last_not_of('0') + 1);
        const int exponent = std::stoi(scientific.substr(e + 1));
        if (exponent >= 0) {
            const auto integerDigits = std::size_t(exponent) + 1;
            digits = mantissa;
            if (mantissa.size() > integerDigits)
                digits.insert(integerDigits, ".");
            else
                digits.append(integerDigits - mantissa.size(), '0');
        } else {
            digits = "0." + std::string(std::size_t(-exponent) - 1, '0') + mantissa;
        }
        if (total < 0)
            digits.insert(0, "-");
    }
    if (!digits.empty() && digits.front() == '-')
        return digits;
    return " " + digits;
}

EvaluationOutcome EvaluateRisk(const BoxTexts& texts) {
    const auto textOf = [&](std::string_view key) {
        for (std::size_t i = 0; i < kBoxCount; ++i)
            if (kBoxKeys[i] == key)
                return texts[i];
        return std::string_view();
    };
    // In box order; a question asked two ways is answered when either way is.
    for (std::size_t i = 0; i < kBoxCount; ++i) {
        const RiskFactor& factor = *FindFactor(kBoxKeys[i]);
        if (texts[i].empty() && (!factor.alternativeTo || textOf(*factor.alternativeTo).empty()))
            return MissingAnswer{*factor.missingAnswerMessage};
    }
    if (texts[static_cast<std::size_t>(Box::Medical)] == kReferralMarker)
        return MedicalReferral{};

    double total = 0;
    for (std::size_t i = 0; i < kBoxCount; ++i) {
        const double number = ReadNumber(texts[i]);
        total += i == static_cast<std::size_t>(Box::Time) ? roundToInt16(number) : number;
    }
    total = saturate(total);
    return Scored{total, TotalDisplayText(total), BandFor(total)};
}

} // namespace orvane
