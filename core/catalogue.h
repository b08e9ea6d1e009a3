#pragma once

// The fixed knowledge of the calculator: its thirteen questions, their options in display
// order, the points (or referral marker) each option writes, and the message for a question
// left unanswered. Pure data and lookups; no window code may live here.

#include <optional>
#include <span>
#include <string_view>
#include <vector>

namespace orvane {

struct RiskOption {
    std::string_view text;
    // Points as plain decimal digits, or "X" for a serious medical condition.
    // Empty only for the reminder-only question, which scores nothing.
    std::optional<std::string_view> outcome;
};

struct RiskFactor {
    std::string_view key;   // stem of the control names: cbo_<key>, txt_<key>, lbl_<key>
    std::string_view label; // caption, exactly as shown
    std::span<const RiskOption> options;
    // Empty for the reminder question, which scores nothing and may stay unanswered.
    std::optional<std::string_view> missingAnswerMessage;
    // The other way of asking the same question (WBGT or air temperature): answering one locks
    // the other, and either answers both.
    std::optional<std::string_view> alternativeTo;

    // A scored question has a points box and must be answered.
    bool scored() const { return missingAnswerMessage.has_value(); }
};

inline constexpr std::string_view kReferralMarker = "X";

// All thirteen questions in the window's order: WBGT, Dry_Bulb, Duration ... Medical, Other.
std::span<const RiskFactor> Catalogue();

// The factor with this key (exact, case-sensitive), or nullptr.
const RiskFactor* FindFactor(std::string_view key);

// The option texts of a factor in display order; empty for an unknown key.
std::vector<std::string_view> FactorOptions(std::string_view key);

// The outcome of the option whose text equals `text` byte for byte, or nothing.
std::optional<std::string_view> OptionOutcome(std::string_view key, std::string_view text);

// The factor's missing-answer message, or nothing for Other and unknown keys.
std::optional<std::string_view> MissingAnswerMessage(std::string_view key);

// What a choice in a list asks the window to do. The window only carries this out, so the
// rule itself stays testable without a window.
struct SelectionEffect {
    std::optional<std::string_view> pointsBoxKey; // write `points` into txt_<pointsBoxKey>
    std::string_view points;
    std::optional<std::string_view> disableListKey; // disable cbo_<disableListKey>

    bool operator==(const SelectionEffect&) const = default;
};

// The selection rule for a choice in cbo_<key>. Index -1 (nothing chosen) and the reminder
// list change nothing. An option text that is not found leaves the points box alone, but a
// temperature choice still locks out the other temperature list.
SelectionEffect SelectionRule(std::string_view key, int selectedIndex, std::string_view chosenText);

} // namespace orvane
