#include "core/assessment.h"

#include "core/catalogue.h"

#include <array>

namespace orvane {
namespace {

constexpr std::array<std::pair<TemperatureSource, std::string_view>, 4> kSourceKeys{{
    {TemperatureSource::WbgtByHand, "wbgt-by-hand"},
    {TemperatureSource::Estimated, "estimated"},
    {TemperatureSource::Forecast, "forecast"},
    {TemperatureSource::AirTemperature, "air-temperature"},
}};

int optionIndex(std::string_view key, std::string_view text) {
    const auto options = FactorOptions(key);
    for (std::size_t i = 0; i < options.size(); ++i)
        if (options[i] == text)
            return int(i);
    return -1;
}

} // namespace

std::string_view TemperatureSourceKey(TemperatureSource source) {
    for (const auto& [s, key] : kSourceKeys)
        if (s == source)
            return key;
    return {};
}

std::optional<TemperatureSource> TemperatureSourceFromKey(std::string_view key) {
    for (const auto& [source, k] : kSourceKeys)
        if (k == key)
            return source;
    return std::nullopt;
}

const Answer* Assessment::answer(std::string_view key) const {
    for (const Answer& a : answers)
        if (a.key == key && !a.option.empty())
            return &a;
    return nullptr;
}

TemperatureSource Assessment::temperatureSource() const {
    if (const Answer* wbgt = answer("WBGT")) {
        switch (wbgt->source.kind) {
        case AnswerSource::Kind::ByHand: return TemperatureSource::WbgtByHand;
        case AnswerSource::Kind::Estimated: return TemperatureSource::Estimated;
        case AnswerSource::Kind::Forecast: return TemperatureSource::Forecast;
        }
    }
    return answer("Dry_Bulb") ? TemperatureSource::AirTemperature : TemperatureSource::WbgtByHand;
}

std::optional<double> Assessment::wbgtF() const {
    const Answer* wbgt = answer("WBGT");
    return wbgt ? wbgt->source.wbgtF : std::nullopt;
}

Question1 Assessment::question1() const {
    if (const Answer* wbgt = answer("WBGT")) {
        if (wbgt->source.wbgtF)
            return {Question1::Way::WbgtValue, optionIndex("WBGT", wbgt->option),
                    *wbgt->source.wbgtF};
        return {Question1::Way::WbgtOption, optionIndex("WBGT", wbgt->option), 0};
    }
    if (const Answer* air = answer("Dry_Bulb"))
        return {Question1::Way::AirOption, optionIndex("Dry_Bulb", air->option), 0};
    return {};
}

BoxTexts BoxTextsOf(const std::vector<Answer>& answers) {
    BoxTexts texts;
    for (std::size_t i = 0; i < kBoxCount; ++i)
        for (const Answer& a : answers)
            if (a.key == kBoxKeys[i])
                texts[i] = a.points;
    return texts;
}

std::variant<MissingAnswer, Assessment> Assess(std::vector<Answer> answers) {
    const EvaluationOutcome outcome = EvaluateRisk(BoxTextsOf(answers));
    if (const auto* missing = std::get_if<MissingAnswer>(&outcome))
        return *missing;
    Assessment a;
    a.answers = std::move(answers);
    if (const auto* scored = std::get_if<Scored>(&outcome)) {
        a.total = scored->display.substr(scored->display.front() == ' ' ? 1 : 0);
        a.band = scored->band;
    } else {
        a.referral = true;
    }
    a.ceiling = JudgeCeiling(a.question1());
    return a;
}

} // namespace orvane
