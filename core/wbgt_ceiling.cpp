#include "core/wbgt_ceiling.h"

#include "core/catalogue.h"
#include "core/wbgt_table.h"

#include <array>
#include <cmath>
#include <cstdio>

namespace orvane {
namespace {

// The WBGT table of ACSM's 2007 position stand on exertional heat illness: for continuous
// activity and competition, 82.1-86.0 °F (27.9-30.0 °C) is the cancel level for heat-stroke
// risk; for training and non-continuous activity, 86.1-90.0 °F (30.1-32.2 °C) cancels or stops
// practice and competition for anyone not acclimatized (or unfit, or at high risk), while
// acclimatized people limit intense exercise and total exposure, and above 90.0 °F (32.2 °C)
// exercise is canceled for all.
constexpr std::array kRules{
    CeilingRule{CeilingLevel::Races, 82.0, "races: cancel level", "races-cancel",
                "races and other continuous events are at the cancel level for heat stroke"},
    CeilingRule{CeilingLevel::NotAcclimatized, 86.0, "not acclimatized: cancel",
                "not-acclimatized-cancel",
                "anyone not acclimatized stops training and competing, and acclimatized people "
                "limit intense exercise and time in the heat"},
    CeilingRule{CeilingLevel::Everyone, 90.0, "everyone: cancel", "everyone-cancel",
                "exercise is canceled for everyone"},
};

constexpr std::string_view kHeading = "WBGT ceiling, whatever the score: ";
constexpr std::string_view kCitation = " (ACSM 2007)";

// A temperature in tenths as the window shows it, with a point whatever the C locale says.
std::string tenths(double value) {
    const long long t = std::llround(value * 10);
    char text[48];
    std::snprintf(text, sizeof text, "%s%lld.%lld", t < 0 ? "-" : "", std::llabs(t) / 10,
                  std::llabs(t) % 10);
    return text;
}

// "from 82.1 °F", "above 90.0 °F": how each rule's edge reads.
std::string edge(const CeilingRule& rule) {
    return rule.level == CeilingLevel::Everyone ? "above " + tenths(rule.aboveF) + " \u00b0F"
                                                : "from " + tenths(rule.aboveF + 0.1) + " \u00b0F";
}

// The names of the rules that apply, highest first: "not acclimatized: cancel; races: cancel
// level".
std::string names(CeilingLevel level) {
    std::string joined;
    for (auto rule = kRules.rbegin(); rule != kRules.rend(); ++rule)
        if (rule->level <= level)
            joined += (joined.empty() ? "" : "; ") + std::string(rule->name);
    return joined;
}

// The rules that apply, highest first, as one sentence's clauses.
std::string applying(CeilingLevel level) {
    std::string clauses;
    for (auto rule = kRules.rbegin(); rule != kRules.rend(); ++rule) {
        if (rule->level > level)
            continue;
        if (!clauses.empty())
            clauses += "; ";
        clauses += std::string(rule->action) + " (" + edge(*rule) + ")";
    }
    return clauses;
}

CeilingJudgement fromValue(double wbgtF) {
    CeilingJudgement j;
    j.level = CeilingLevelFor(wbgtF);
    if (j.level == CeilingLevel::None)
        return j;
    j.text = std::string(kHeading) + "at a WBGT of " + tenths(ShownTenth(wbgtF)) + " \u00b0F (" +
             tenths(FahrenheitToCelsius(wbgtF)) + " \u00b0C), " + applying(j.level) + "." +
             std::string(kCitation);
    return j;
}

// Only the option's range is known: the rules its lowest value surely meets, then those it may.
CeilingJudgement fromOption(int option) {
    CeilingJudgement j;
    const auto options = FactorOptions("WBGT");
    if (option < 2 || option >= int(options.size()))
        return j; // below 82 °F, or not an option of the list
    j.level = CeilingLevel::Races;
    const bool top = option == int(options.size()) - 1;
    const std::string at =
        std::string("at a WBGT of ") + (top ? "86 \u00b0F or above, " : "82 to 85.9 \u00b0F, ");
    j.text = std::string(kHeading) + at + applying(j.level);
    j.summary = std::string(kHeading) + at + names(j.level);
    if (top) {
        for (const CeilingRule& rule : kRules)
            if (rule.level > j.level) {
                j.text += "; " + edge(rule) + " " + std::string(rule.action);
                j.summary += "; " + edge(rule) + " " + std::string(rule.name);
            }
        j.text += ". The list does not say which of these applies: measure the WBGT, or use "
                  "Estimate WBGT, and answer question 1 with it.";
        j.summary += ". Measure or estimate the WBGT to know which.";
    } else {
        j.text += ".";
        j.summary += ".";
    }
    j.text += kCitation;
    return j;
}

CeilingJudgement fromAir(int option) {
    CeilingJudgement j;
    const auto options = FactorOptions("Dry_Bulb");
    // The two hot options: air of 86 °F or more can carry a WBGT past every level.
    if (option < 2 || option >= int(options.size()))
        return j;
    j.unknown = true;
    j.text = "WBGT ceiling: not known. At an air temperature of 86 \u00b0F or above, the WBGT may "
             "be past the levels at which events stop whatever the score: races " +
             edge(kRules[0]) + ", anyone not acclimatized " + edge(kRules[1]) + ", everyone " +
             edge(kRules[2]) +
             ". The air temperature does not tell the WBGT: measure it, or use Estimate WBGT, "
             "and answer question 1 with it." +
             std::string(kCitation);
    j.summary = "WBGT ceiling: not known. At an air temperature of 86 \u00b0F or above the WBGT "
                "may be past a level that stops the event whatever the score: measure the WBGT, "
                "or use Estimate WBGT.";
    return j;
}

int optionByPoints(std::string_view key, std::string_view points) {
    const RiskFactor* factor = FindFactor(key);
    for (std::size_t i = 0; factor && i < factor->options.size(); ++i)
        if (factor->options[i].outcome == points)
            return int(i);
    return -1;
}

} // namespace

std::span<const CeilingRule> CeilingRules() {
    return kRules;
}

const CeilingRule* FindCeilingRule(CeilingLevel level) {
    for (const CeilingRule& rule : kRules)
        if (rule.level == level)
            return &rule;
    return nullptr;
}

std::string_view CeilingKey(CeilingLevel level) {
    const CeilingRule* rule = FindCeilingRule(level);
    return rule ? rule->key : "none";
}

std::optional<CeilingLevel> CeilingFromKey(std::string_view key) {
    if (key == "none")
        return CeilingLevel::None;
    for (const CeilingRule& rule : kRules)
        if (rule.key == key)
            return rule.level;
    return std::nullopt;
}

CeilingLevel CeilingLevelFor(double wbgtF) {
    const double shown = ShownTenth(wbgtF);
    CeilingLevel level = CeilingLevel::None;
    for (const CeilingRule& rule : kRules)
        if (shown > rule.aboveF)
            level = rule.level;
    return level;
}

CeilingJudgement JudgeCeiling(const Question1& q) {
    switch (q.way) {
    case Question1::Way::Unanswered: return {};
    case Question1::Way::WbgtOption: return fromOption(q.option);
    case Question1::Way::WbgtValue: return fromValue(q.wbgtF);
    case Question1::Way::AirOption: return fromAir(q.option);
    }
    return {};
}

Question1 Question1FromBoxes(const BoxTexts& texts) {
    const std::string_view wbgt = texts[std::size_t(Box::WBGT)];
    const std::string_view air = texts[std::size_t(Box::Dry_Bulb)];
    if (!wbgt.empty())
        return {Question1::Way::WbgtOption, optionByPoints("WBGT", wbgt), 0};
    if (!air.empty())
        return {Question1::Way::AirOption, optionByPoints("Dry_Bulb", air), 0};
    return {};
}

} // namespace orvane
