#pragma once

// One assessment: every question's answer with its points and where it came from, the outcome
// the calculator gave, the WBGT ceiling beside it, and when it was made. The calculator makes one
// at "Calculate Total:"; the record, the event log, the planner, the command-line tools and the
// web edition all read this one type.

#include "core/evaluation.h"
#include "core/wbgt_ceiling.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

namespace orvane {

// Where an answer came from: the person's own choice, or a tool that chose it at their request.
struct AnswerSource {
    enum class Kind { ByHand, Estimated, Forecast };
    Kind kind = Kind::ByHand;
    std::string inputs;          // what the tool was given and found, in words
    std::optional<double> wbgtF; // the WBGT the tool worked out, exactly

    bool operator==(const AnswerSource&) const = default;
};

struct Answer {
    std::string key;    // the question's key in the catalogue
    std::string option; // the chosen option's text; empty when none is
    std::string points; // the points box as shown ("X" for a referral); empty for none
    AnswerSource source;

    bool operator==(const Answer&) const = default;
};

// How question 1, the temperature, was answered.
enum class TemperatureSource {
    WbgtByHand,     // a WBGT option chosen in the list
    Estimated,      // a WBGT from the estimator
    Forecast,       // a WBGT from the planner's forecast
    AirTemperature, // the ordinary air temperature's list
};

// "wbgt-by-hand", "estimated", "forecast", "air-temperature", as files store them, and back.
std::string_view TemperatureSourceKey(TemperatureSource source);
std::optional<TemperatureSource> TemperatureSourceFromKey(std::string_view key);

// An instant and how it read where it was made.
struct AssessedAt {
    std::int64_t utcSeconds = 0;
    int offsetSeconds = 0; // east of UTC
    std::string zone;      // IANA id; may be empty

    bool operator==(const AssessedAt&) const = default;
};

struct Assessment {
    std::vector<Answer> answers; // every question the caller gave, in the window's order
    bool referral = false;       // a serious medical condition: no total
    std::string total;           // as the total box shows it, without its leading blank
    std::optional<RiskBand> band;
    CeilingJudgement ceiling;
    AssessedAt at;

    // The answer to the question with this key that has an option, or nullptr.
    const Answer* answer(std::string_view key) const;
    TemperatureSource temperatureSource() const;
    // What question 1 tells of the WBGT, from its answer and where that came from.
    Question1 question1() const;
    // The WBGT a tool worked out for question 1, in °F; nothing when it was chosen by hand.
    std::optional<double> wbgtF() const;
};

// Assesses the answers as "Calculate Total:" does: the first missing answer, or the assessment
// with its outcome and ceiling (at time zero: the caller says when). An answer's points are read
// as given, so a caller's own texts are assessed as the window's are.
std::variant<MissingAnswer, Assessment> Assess(std::vector<Answer> answers);

// The answers as the points boxes the evaluation reads, in its order; they refer into `answers`.
BoxTexts BoxTextsOf(const std::vector<Answer>& answers);

} // namespace orvane
