// The risk core as the web page sees it: the catalogue and the bands, the evaluation and the
// assessment with its WBGT ceiling, the selection rule, the WBGT model with its banding and the
// units it is read in, the wind at 2 m, and the forecast plan (each hour with the ceiling's level
// it reaches, the event's outcome over the hours it covers, the coolest start), each an embind
// function that takes and gives plain JavaScript values. Nothing here decides anything: every answer
// comes from core/, so the page and the desktop cannot disagree. orvane-core.d.ts describes the
// same functions for the page's code.
//
// Plain objects rather than bound classes: the page keeps nothing that must be deleted by hand,
// and a value crosses once, as a whole. Enumerations cross as their names ("Clear", "Urban"),
// which read well in the page and in a test's failure message.

#include "core/assessment.h"
#include "core/catalogue.h"
#include "core/evaluation.h"
#include "core/forecast_plan.h"
#include "core/liljegren.h"
#include "core/wbgt_ceiling.h"
#include "core/wbgt_table.h"
#include "core/wind_profile.h"

#include <emscripten/bind.h>
#include <emscripten/val.h>

#include <cmath>
#include <span>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

using emscripten::val;

namespace orvane::web {
namespace {

val text(std::string_view s) {
    return val(std::string(s));
}

template <class T> val orNull(const std::optional<T>& value) {
    return value ? text(*value) : val::null();
}

// A JavaScript array of texts, each converted from UTF-16 to UTF-8 by embind.
std::vector<std::string> texts(const val& array) {
    return emscripten::vecFromJSArray<std::string>(array);
}

// A member that may be missing, null or not a number: nothing then.
std::optional<double> number(const val& object, const char* name) {
    const val v = object[name];
    if (!v.isNumber())
        return std::nullopt;
    return v.as<double>();
}

val bandValue(const std::optional<RiskBand>& band) {
    if (!band)
        return val::null();
    val b = val::object();
    b.set("document", text(band->document));
    b.set("label", text(band->label));
    b.set("rank", band->rank);
    b.set("range", text(band->range));
    return b;
}

val ceilingValue(const CeilingJudgement& ceiling) {
    val c = val::object();
    c.set("level", text(CeilingKey(ceiling.level)));
    const CeilingRule* rule = FindCeilingRule(ceiling.level);
    c.set("name", rule ? text(rule->name) : val::null());
    c.set("unknown", ceiling.unknown);
    c.set("shown", ceiling.shown());
    c.set("text", ceiling.text);
    c.set("summary", ceiling.summary);
    return c;
}

// The shape orvane-eval evaluate writes, with the band added.
val outcomeValue(const EvaluationOutcome& outcome) {
    val o = val::object();
    if (const auto* missing = std::get_if<MissingAnswer>(&outcome)) {
        o.set("outcome", std::string("MissingAnswer"));
        o.set("message", text(missing->message));
    } else if (const auto* referral = std::get_if<MedicalReferral>(&outcome)) {
        o.set("outcome", std::string("MedicalReferral"));
        o.set("document", text(referral->document));
    } else {
        const auto& scored = std::get<Scored>(outcome);
        o.set("outcome", std::string("Scored"));
        o.set("total", scored.total);
        o.set("display", scored.display);
        o.set("document", scored.band ? text(scored.band->document) : val::null());
        o.set("band", bandValue(scored.band));
    }
    return o;
}

val catalogue() {
    val factors = val::array();
    for (const RiskFactor& factor : Catalogue()) {
        val options = val::array();
        for (const RiskOption& option : factor.options) {
            val o = val::object();
            o.set("text", text(option.text));
            o.set("outcome", orNull(option.outcome));
            options.call<void>("push", o);
        }
        val f = val::object();
        f.set("key", text(factor.key));
        f.set("label", text(factor.label));
        f.set("options", options);
        f.set("missingAnswerMessage", orNull(factor.missingAnswerMessage));
        f.set("alternativeTo", orNull(factor.alternativeTo));
        f.set("scored", factor.scored());
        factors.call<void>("push", f);
    }
    return factors;
}

val boxKeys() {
    val keys = val::array();
    for (const std::string_view key : kBoxKeys)
        keys.call<void>("push", text(key));
    return keys;
}

// Twelve texts in box order, as BoxTexts; a shorter array leaves the rest empty.
struct HeldTexts {
    std::vector<std::string> held;
    BoxTexts view{};
    explicit HeldTexts(const val& array) : held(texts(array)) {
        held.resize(kBoxCount);
        for (std::size_t i = 0; i < kBoxCount; ++i)
            view[i] = held[i];
    }
};

// The outcome with the WBGT ceiling as the boxes tell it, as orvane-eval evaluate gives both.
val evaluate(const val& boxTexts) {
    const HeldTexts boxes(boxTexts);
    const EvaluationOutcome outcome = EvaluateRisk(boxes.view);
    val o = outcomeValue(outcome);
    if (!std::holds_alternative<MissingAnswer>(outcome))
        o.set("ceiling", ceilingValue(JudgeCeiling(Question1FromBoxes(boxes.view))));
    return o;
}

std::optional<AnswerSource::Kind> sourceKindFrom(const std::string& name) {
    if (name == "ByHand")
        return AnswerSource::Kind::ByHand;
    if (name == "Estimated")
        return AnswerSource::Kind::Estimated;
    if (name == "Forecast")
        return AnswerSource::Kind::Forecast;
    return std::nullopt;
}

const char* sourceKindName(AnswerSource::Kind kind) {
    switch (kind) {
    case AnswerSource::Kind::ByHand: return "ByHand";
    case AnswerSource::Kind::Estimated: return "Estimated";
    case AnswerSource::Kind::Forecast: return "Forecast";
    }
    return "ByHand";
}

val answerValue(const Answer& answer) {
    val a = val::object();
    a.set("key", answer.key);
    a.set("option", answer.option);
    a.set("points", answer.points);
    val source = val::object();
    source.set("kind", std::string(sourceKindName(answer.source.kind)));
    source.set("inputs", answer.source.inputs);
    source.set("wbgtF", answer.source.wbgtF ? val(*answer.source.wbgtF) : val::null());
    a.set("source", source);
    return a;
}

// "Calculate Total:": the answers [{key, option, points, source?: {kind, inputs, wbgtF}}] in the
// window's order, assessed by the core: the first missing answer, or the assessment with its
// outcome and ceiling. The time of the assessment is the page's to give.
val assess(const val& list) {
    std::vector<Answer> answers;
    const int count = list.isArray() ? list["length"].as<int>() : 0;
    for (int i = 0; i < count; ++i) {
        const val in = list[i];
        Answer a;
        a.key = in["key"].isString() ? in["key"].as<std::string>() : std::string();
        a.option = in["option"].isString() ? in["option"].as<std::string>() : std::string();
        a.points = in["points"].isString() ? in["points"].as<std::string>() : std::string();
        const val source = in["source"];
        if (source.isUndefined() || source.isNull()) {
            answers.push_back(std::move(a));
            continue;
        }
        const auto kind = source["kind"].isString()
                              ? sourceKindFrom(source["kind"].as<std::string>())
                              : std::nullopt;
        if (!kind) {
            val refused = val::object();
            refused.set("outcome", std::string("Refused"));
            refused.set("message", "answer " + a.key +
                                       ": source.kind must be \"ByHand\", "
                                       "\"Estimated\" or \"Forecast\"");
            return refused;
        }
        a.source.kind = *kind;
        if (source["inputs"].isString())
            a.source.inputs = source["inputs"].as<std::string>();
        a.source.wbgtF = number(source, "wbgtF");
        answers.push_back(std::move(a));
    }
    auto assessed = Assess(std::move(answers));
    val o = val::object();
    if (const auto* missing = std::get_if<MissingAnswer>(&assessed)) {
        o.set("outcome", std::string("MissingAnswer"));
        o.set("message", text(missing->message));
        return o;
    }
    const auto& a = std::get<Assessment>(assessed);
    o.set("outcome", std::string(a.referral ? "MedicalReferral" : "Scored"));
    o.set("referral", a.referral);
    o.set("total", a.total);
    o.set("band", bandValue(a.band));
    o.set("document",
          a.referral ? text(kMedicalDocument) : (a.band ? text(a.band->document) : val::null()));
    o.set("ceiling", ceilingValue(a.ceiling));
    o.set("temperatureSource", text(TemperatureSourceKey(a.temperatureSource())));
    val answersOut = val::array();
    for (const Answer& answer : a.answers)
        answersOut.call<void>("push", answerValue(answer));
    o.set("answers", answersOut);
    return o;
}

// The ceiling for an exact WBGT, as a tool that worked one out shows it.
val judgeCeilingForWbgt(double wbgtF) {
    return ceilingValue(JudgeCeiling({Question1::Way::WbgtValue, WbgtOptionIndex(wbgtF), wbgtF}));
}

val ceilingRules() {
    val rules = val::array();
    for (const CeilingRule& rule : CeilingRules()) {
        val r = val::object();
        r.set("level", text(CeilingKey(rule.level)));
        r.set("aboveF", rule.aboveF);
        r.set("name", text(rule.name));
        r.set("action", text(rule.action));
        rules.call<void>("push", r);
    }
    return rules;
}

val selectionRule(const std::string& key, int selectedIndex, const std::string& chosenText) {
    const SelectionEffect effect = SelectionRule(key, selectedIndex, chosenText);
    val e = val::object();
    e.set("pointsBoxKey", orNull(effect.pointsBoxKey));
    e.set("points", text(effect.points));
    e.set("disableListKey", orNull(effect.disableListKey));
    return e;
}

// Every band, from the lowest up, as the log's timeline lays them out.
val bands() {
    val list = val::array();
    const auto all = Bands();
    for (auto band = all.rbegin(); band != all.rend(); ++band)
        list.call<void>("push", bandValue(*band));
    return list;
}

val bandFor(double total) {
    return bandValue(BandFor(total));
}

val bandByDocument(const std::string& document) {
    return bandValue(BandByDocument(document));
}

double readNumber(const std::string& text) {
    return ReadNumber(text);
}

std::string referralMarker() {
    return std::string(kReferralMarker);
}

const char* fieldKey(WbgtField field) {
    switch (field) {
    case WbgtField::Time: return "Time";
    case WbgtField::Latitude: return "Latitude";
    case WbgtField::Longitude: return "Longitude";
    case WbgtField::AirTemperature: return "AirTemperature";
    case WbgtField::RelativeHumidity: return "RelativeHumidity";
    case WbgtField::Wind: return "Wind";
    case WbgtField::Solar: return "Solar";
    case WbgtField::Pressure: return "Pressure";
    case WbgtField::Convergence: return "Convergence";
    }
    return "Convergence";
}

std::optional<SkyCondition> skyFrom(const std::string& name) {
    if (name == "Clear")
        return SkyCondition::Clear;
    if (name == "PartlyCloudy")
        return SkyCondition::PartlyCloudy;
    if (name == "Overcast")
        return SkyCondition::Overcast;
    return std::nullopt;
}

val errorValue(WbgtField field, const std::string& reason) {
    val e = val::object();
    e.set("field", std::string(fieldKey(field)));
    e.set("fieldName", text(WbgtFieldName(field)));
    e.set("reason", reason);
    val o = val::object();
    o.set("error", e);
    return o;
}

// The input's members are the C++ ones; the model itself judges their ranges. A member of the
// wrong type is refused here, naming it, rather than read as a default.
val estimateWbgt(const val& in) {
    WbgtInput input;
    struct IntMember {
        const char* name;
        int* target;
    };
    const IntMember ints[] = {{"year", &input.year},     {"month", &input.month},
                              {"day", &input.day},       {"hour", &input.hour},
                              {"minute", &input.minute}, {"second", &input.second}};
    for (const IntMember& m : ints) {
        const auto v = number(in, m.name);
        if (!v || *v != std::floor(*v) || std::abs(*v) > 1e6)
            return errorValue(WbgtField::Time, std::string(m.name) + " must be a whole number");
        *m.target = static_cast<int>(*v);
    }
    struct DoubleMember {
        const char* name;
        double* target;
        WbgtField field;
    };
    const DoubleMember doubles[] = {
        {"latitude", &input.latitude, WbgtField::Latitude},
        {"longitude", &input.longitude, WbgtField::Longitude},
        {"airC", &input.airC, WbgtField::AirTemperature},
        {"relativeHumidity", &input.relativeHumidity, WbgtField::RelativeHumidity},
        {"windMs", &input.windMs, WbgtField::Wind},
    };
    for (const DoubleMember& m : doubles) {
        const auto v = number(in, m.name);
        if (!v)
            return errorValue(m.field, std::string(m.name) + " must be a number");
        *m.target = *v;
    }
    if (!in["solarWm2"].isUndefined() && !in["solarWm2"].isNull()) {
        const auto v = number(in, "solarWm2");
        if (!v)
            return errorValue(WbgtField::Solar, "solarWm2 must be a number");
        input.solarWm2 = *v;
    }
    if (!in["pressureHpa"].isUndefined()) {
        const auto v = number(in, "pressureHpa");
        if (!v)
            return errorValue(WbgtField::Pressure, "pressureHpa must be a number");
        input.pressureHpa = *v;
    }
    if (!in["sky"].isUndefined()) {
        const auto sky = in["sky"].isString() ? skyFrom(in["sky"].as<std::string>()) : std::nullopt;
        if (!sky)
            return errorValue(WbgtField::Solar,
                              "sky must be \"Clear\", \"PartlyCloudy\" or \"Overcast\"");
        input.sky = *sky;
    }
    input.shade = in["shade"].isTrue();

    const WbgtOutcome outcome = EstimateWbgt(input);
    if (const auto* e = std::get_if<WbgtError>(&outcome))
        return errorValue(e->field, e->reason);
    const auto& r = std::get<WbgtResult>(outcome);
    val o = val::object();
    o.set("wbgtC", r.wbgtC);
    o.set("globeC", r.globeC);
    o.set("naturalWetBulbC", r.naturalWetBulbC);
    o.set("psychrometricWetBulbC", r.psychrometricWetBulbC);
    o.set("cosZenith", r.cosZenith);
    o.set("solarWm2", r.solarWm2);
    o.set("directFraction", r.directFraction);
    return o;
}

const char* stabilityName(StabilityClass c) {
    static const char* const names[] = {"A", "B", "C", "D", "E", "F"};
    return names[static_cast<int>(c)];
}

std::optional<StabilityClass> stabilityFrom(const std::string& name) {
    if (name.size() == 1 && name[0] >= 'A' && name[0] <= 'F')
        return static_cast<StabilityClass>(name[0] - 'A');
    return std::nullopt;
}

Terrain terrainFrom(const std::string& name) {
    return name == "Urban" ? Terrain::Urban : Terrain::Rural;
}

std::string daytimeStabilityClass(double solarWm2, double wind10mMs) {
    return stabilityName(DaytimeStabilityClass(solarWm2, wind10mMs));
}

std::string nightStabilityClass(double wind10mMs) {
    return stabilityName(NightStabilityClass(wind10mMs));
}

// NaN for a class that is not A to F, which the page shows as no wind rather than a guess.
double windProfileExponent(const std::string& stability, const std::string& terrain) {
    const auto c = stabilityFrom(stability);
    return c ? WindProfileExponent(*c, terrainFrom(terrain)) : std::nan("");
}

double windAt2m(double wind10mMs, const std::string& stability, const std::string& terrain) {
    const auto c = stabilityFrom(stability);
    return c ? WindAt2m(wind10mMs, *c, terrainFrom(terrain)) : std::nan("");
}

val hourValue(const PlannedHour& hour) {
    val h = val::object();
    h.set("utcSeconds", static_cast<double>(hour.weather.utcSeconds));
    h.set("sunElevationDeg", hour.sunElevationDeg);
    h.set("timeOption", hour.timeOption);
    if (const HourWbgt* w = hour.value()) {
        h.set("stability", std::string(stabilityName(w->stability)));
        h.set("wind2mMs", w->wind2mMs);
        h.set("wbgtC", w->wbgtC);
        h.set("wbgtF", w->wbgtF);
        h.set("option", w->option);
        h.set("optionText", text(w->optionText));
        h.set("points", text(w->points));
        // The ceiling's level the hour reaches, judged as the window shows the WBGT.
        const CeilingLevel level = CeilingLevelFor(w->wbgtF);
        h.set("ceilingLevel", text(CeilingKey(level)));
        const CeilingRule* rule = FindCeilingRule(level);
        h.set("ceilingName", rule ? text(rule->name) : val::null());
    } else {
        const auto& gap = std::get<HourGap>(hour.wbgt);
        val g = val::object();
        g.set("missing", gap.missing);
        g.set("field", std::string(fieldKey(gap.field)));
        g.set("reason", gap.reason);
        h.set("gap", g);
    }
    h.set("outcome", hour.outcome ? outcomeValue(*hour.outcome) : val::null());
    return h;
}

// One call for the whole plan, so nothing stays behind in the module between calls:
//   {hours: [{utcSeconds, airC, relativeHumidity, wind10mMs, solarWm2, pressureHpa}],
//    latitude, longitude, terrain: "Rural" | "Urban",
//    answers?: twelve box texts, for each hour's outcome,
//    event?: {minutes, dayStartUtc, dayEndUtc}, for the coolest start,
//    eventHours?: {first, count}, the plan hours an event covers, for its outcome}
val planForecast(const val& request) {
    std::vector<ForecastHour> hours;
    const val list = request["hours"];
    const int count = list.isArray() ? list["length"].as<int>() : 0;
    hours.reserve(static_cast<std::size_t>(count));
    for (int i = 0; i < count; ++i) {
        const val in = list[i];
        ForecastHour h;
        h.utcSeconds = static_cast<std::int64_t>(number(in, "utcSeconds").value_or(0));
        h.airC = number(in, "airC");
        h.relativeHumidity = number(in, "relativeHumidity");
        h.wind10mMs = number(in, "wind10mMs");
        h.solarWm2 = number(in, "solarWm2");
        h.pressureHpa = number(in, "pressureHpa");
        h.localMinutes = static_cast<int>(number(in, "localMinutes").value_or(-1));
        h.daylightSaving = in["daylightSaving"].isTrue();
        hours.push_back(h);
    }
    const std::string terrain =
        request["terrain"].isString() ? request["terrain"].as<std::string>() : "Rural";
    std::vector<PlannedHour> plan =
        PlanForecast(hours, number(request, "latitude").value_or(0),
                     number(request, "longitude").value_or(0), terrainFrom(terrain));

    val result = val::object();
    result.set("missingAnswer", val::null());
    std::optional<HeldTexts> answers;
    if (request["answers"].isArray()) {
        answers.emplace(request["answers"]);
        if (const auto missing = AssessPlan(plan, answers->view))
            result.set("missingAnswer", text(missing->message));
    }
    val planned = val::array();
    for (const PlannedHour& hour : plan)
        planned.call<void>("push", hourValue(hour));
    result.set("hours", planned);

    // What the calculator gives for the event over the hours it covers: which those are is the
    // page's to say (the hours its clock times touch), the outcome the core's.
    result.set("eventOutcome", val::null());
    const val eventHours = request["eventHours"];
    if (answers && !eventHours.isUndefined() && !eventHours.isNull()) {
        const double first = number(eventHours, "first").value_or(-1);
        const double count = number(eventHours, "count").value_or(0);
        if (first >= 0 && count > 0 && first + count <= static_cast<double>(plan.size())) {
            const auto outcome = EventOutcome(std::span<const PlannedHour>(plan).subspan(
                                                  static_cast<std::size_t>(first),
                                                  static_cast<std::size_t>(count)),
                                              answers->view);
            if (outcome)
                result.set("eventOutcome", outcomeValue(*outcome));
        }
    }

    result.set("coolest", val::null());
    const val event = request["event"];
    if (event.isUndefined() || event.isNull())
        return result;
    const auto found =
        FindCoolestStart(plan, static_cast<int>(number(event, "minutes").value_or(0)),
                         static_cast<std::int64_t>(number(event, "dayStartUtc").value_or(0)),
                         static_cast<std::int64_t>(number(event, "dayEndUtc").value_or(0)));
    val coolest = val::object();
    if (const auto* start = std::get_if<CoolestStart>(&found)) {
        coolest.set("startIndex", static_cast<double>(start->startIndex));
        coolest.set("hourCount", static_cast<double>(start->hourCount));
        coolest.set("hottestIndex", static_cast<double>(start->hottestIndex));
        coolest.set("highestWbgtC", start->highestWbgtC);
        // The event's outcome over the hours it covers, when the other answers were given.
        std::optional<EvaluationOutcome> outcome;
        if (answers)
            outcome = EventOutcome(
                std::span<const PlannedHour>(plan).subspan(start->startIndex, start->hourCount),
                answers->view);
        coolest.set("outcome", outcome ? outcomeValue(*outcome) : val::null());
    } else {
        coolest.set("reason", std::get<NoCoolestStart>(found).reason);
    }
    result.set("coolest", coolest);
    return result;
}

// Question 8's option for a moment at the place, as the plan reads it.
int timeOfDayOption(int localMinutes, bool daylightSaving, double sunElevationDeg) {
    return TimeOfDayOption(localMinutes, daylightSaving, sunElevationDeg);
}

// Civil dawn and sunset in [dayStartUtc, dayEndUtc), UTC seconds or null.
val daylightOn(double dayStartUtc, double dayEndUtc, double latitude, double longitude) {
    const Daylight d = DaylightOn(static_cast<std::int64_t>(dayStartUtc),
                                  static_cast<std::int64_t>(dayEndUtc), latitude, longitude);
    val o = val::object();
    o.set("firstLight", d.firstLight ? val(static_cast<double>(*d.firstLight)) : val::null());
    o.set("sunset", d.sunset ? val(static_cast<double>(*d.sunset)) : val::null());
    return o;
}

} // namespace
} // namespace orvane::web

EMSCRIPTEN_BINDINGS(orvane_core) {
    using emscripten::function;
    using namespace orvane::web;
    function("catalogue", &catalogue);
    function("boxKeys", &boxKeys);
    function("referralMarker", &referralMarker);
    function("evaluate", &evaluate);
    function("assess", &assess);
    function("judgeCeilingForWbgt", &judgeCeilingForWbgt);
    function("ceilingRules", &ceilingRules);
    function("selectionRule", &selectionRule);
    function("bandFor", &bandFor);
    function("bandByDocument", &bandByDocument);
    function("bands", &bands);
    function("readNumber", &readNumber);
    function("estimateWbgt", &estimateWbgt);
    function("wbgtOptionIndex", &orvane::WbgtOptionIndex);
    function("fahrenheitToCelsius", &orvane::FahrenheitToCelsius);
    function("celsiusToFahrenheit", &orvane::CelsiusToFahrenheit);
    function("metresPerSecondToMph", &orvane::MetresPerSecondToMph);
    function("mphToMetresPerSecond", &orvane::MphToMetresPerSecond);
    function("occursOutdoors", &orvane::OccursOutdoors);
    function("approximateWbgtC", &orvane::ApproximateWbgtC);
    function("dewPoint", &orvane::DewPoint);
    function("relativeHumidityFromDewPoint", &orvane::RelativeHumidityFromDewPoint);
    function("daytimeStabilityClass", &daytimeStabilityClass);
    function("nightStabilityClass", &nightStabilityClass);
    function("windProfileExponent", &windProfileExponent);
    function("windAt2m", &windAt2m);
    function("planForecast", &planForecast);
    function("timeOfDayOption", &timeOfDayOption);
    function("daylightOn", &daylightOn);
}
