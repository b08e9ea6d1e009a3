#pragma once

// The WBGT ceiling: the heat at which the guidelines stop exercise whatever the risk score says.
// The score adds points, so a hot day can still total a low band; these levels sit beside the
// score and no other answer lowers them. They are judged from what question 1 reveals of the
// WBGT: a value the estimator or the planner worked out (exact), an option chosen in the list (a
// range, of which only what is known is said), or an air temperature (which does not tell the
// WBGT at all, so at its hot options the ceiling cannot be judged).

#include "core/evaluation.h"

#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace orvane {

// Each level includes those below it.
enum class CeilingLevel {
    None,
    Races,           // continuous activity and competition: the cancel level for heat stroke
    NotAcclimatized, // training and competing stop for anyone not acclimatized
    Everyone,        // exercise is canceled for everyone
};

struct CeilingRule {
    CeilingLevel level;
    double aboveF;           // the rule applies to a WBGT above this, in °F as shown to a tenth
    std::string_view name;   // "races: cancel level", for a person and for scripts
    std::string_view key;    // "races-cancel", as files store it
    std::string_view action; // what the rule asks, as a clause
};

// Where the levels come from, for records and documents.
inline constexpr std::string_view kCeilingSource =
    "ACSM 2007 position stand on exertional heat illness, its WBGT table (reprinted as Table 3 "
    "of the NATA 2015 position statement)";

// From the lowest level up.
std::span<const CeilingRule> CeilingRules();
const CeilingRule* FindCeilingRule(CeilingLevel level);

// "none", "races-cancel", "not-acclimatized-cancel", "everyone-cancel", and back; nothing for
// a key no version of the program wrote.
std::string_view CeilingKey(CeilingLevel level);
std::optional<CeilingLevel> CeilingFromKey(std::string_view key);

// What question 1 tells of the WBGT.
struct Question1 {
    enum class Way {
        Unanswered,
        WbgtOption, // chosen in the list: only the option's range is known
        WbgtValue,  // worked out by the estimator or the planner: `wbgtF` is exact
        AirOption,  // answered with the ordinary air temperature: the WBGT is unknown
    };
    Way way = Way::Unanswered;
    int option = -1;  // index in the list that answered it
    double wbgtF = 0; // for WbgtValue
};

struct CeilingJudgement {
    CeilingLevel level = CeilingLevel::None; // the highest level that surely applies
    // The air temperature is hot enough for the WBGT to be past a level, but does not tell it.
    bool unknown = false;
    // For a person, one paragraph with every rule spelled out; empty when neither a level
    // applies nor the WBGT is unknown.
    std::string text;
    // The same in two lines or so, by the rules' names, for a window's first line.
    std::string summary;

    bool shown() const { return level != CeilingLevel::None || unknown; }
    bool operator==(const CeilingJudgement&) const = default;
};

CeilingJudgement JudgeCeiling(const Question1& question1);

// The level of an exact WBGT in °F, judged to the tenth that is shown.
CeilingLevel CeilingLevelFor(double wbgtF);

// Question 1 as the points boxes tell it, for callers that have nothing else: each option of
// both temperature lists writes points no other option of its list writes.
Question1 Question1FromBoxes(const BoxTexts& texts);

} // namespace orvane
