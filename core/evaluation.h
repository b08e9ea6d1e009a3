#pragma once

// Turns the twelve points-box texts into the first missing answer, a medical referral, or a
// total with its band and recommendation document. Keeps no state: the same texts always give
// the same outcome.

#include <array>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <variant>

namespace orvane {

// The twelve points boxes, in the order the window reads them.
enum class Box {
    Dry_Bulb,
    WBGT,
    Duration,
    Intensity,
    Acclimatization,
    Ability,
    Age,
    Drinks,
    Time,
    Surface,
    Venue,
    Medical,
};
inline constexpr std::size_t kBoxCount = 12;

// The factor key of each box, index by Box.
inline constexpr std::array<std::string_view, kBoxCount> kBoxKeys{
    "Dry_Bulb", "WBGT",   "Duration", "Intensity", "Acclimatization", "Ability",
    "Age",      "Drinks", "Time",     "Surface",   "Venue",           "Medical",
};

using BoxTexts = std::array<std::string_view, kBoxCount>;

struct RiskBand {
    std::string_view document; // file name in the application folder
    std::string_view label;    // for a person: "MODERATE RISK (56 to 65)"
    int rank = 0;              // 0 for the lowest band, 3 for the highest
    std::string_view range;    // the totals it takes, as files store it: "56–65" (an en dash)

    bool operator==(const RiskBand&) const = default;
};

// The band whose advice is this document, or none.
std::optional<RiskBand> BandByDocument(std::string_view document);
// The band stored as this range, or none.
std::optional<RiskBand> BandByRange(std::string_view range);
// Every band, from the highest down.
std::span<const RiskBand> Bands();

inline constexpr std::string_view kMedicalDocument = "Medical Conditions.rtf";

struct MissingAnswer {
    std::string_view message;
};
struct MedicalReferral {
    std::string_view document = kMedicalDocument;
};
struct Scored {
    double total = 0;
    std::string display; // a blank (or "-") and then the digits, as the total box shows it
    std::optional<RiskBand> band;
};

using EvaluationOutcome = std::variant<MissingAnswer, MedicalReferral, Scored>;

// Reads a box text as a number: the decimal number it starts with (after leading white space,
// with an optional sign, fraction and exponent), or 0 when it starts with none. Never fails:
// a value beyond the range of double saturates at +/-DBL_MAX.
double ReadNumber(std::string_view text);

// The band whose strict lower test the total passes, tried from the top, or none for 0 and less.
std::optional<RiskBand> BandFor(double total);

// The display text of a total: sign position, then at most 15 significant digits in plain
// decimal notation with no exponent and no trailing zeros.
std::string TotalDisplayText(double total);

// A Time number outside the signed 16-bit range saturates at -32768 or 32767 after rounding
// (halves to even); NaN reads as 0. Only a direct caller can produce such a text.
EvaluationOutcome EvaluateRisk(const BoxTexts& texts);

} // namespace orvane
