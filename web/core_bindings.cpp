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

// The plan crosses as numbers, not as an object an hour: every member a wasm call makes in the
// page costs as much as the model's own work for that hour, and a 16-day plan has 384 of them.
// The members of each forecast hour, in this order, NaN where the forecast has no value:
const char* const kHourIn[] = {"utcSeconds", "airC", "relativeHumidity", "wind10mMs", "solarWm2",
                               "pressureHpa", "localMinutes", "daylightSaving"};
constexpr std::size_t kHourInCount = std::size(kHourIn);
// And of each planned hour: the stability class and option -1, the ceiling's level 0 (none, else
// its rule's place in CeilingRules() plus one), the gap's field -1 where the hour has a WBGT;
// the outcome 0 none, 1 scored, 2 a referral.
const char* const kHourOut[] = {"sunElevationDeg", "timeOption", "stability", "wind2mMs", "wbgtC",
                                "wbgtF",           "option",     "ceiling",   "gapMissing",
                                "gapField",        "outcome",    "total",     "bandRank"};
constexpr std::size_t kHourOutCount = std::size(kHourOut);
// Texts joined by this character: the gaps' reasons and the outcomes as the total box shows them.
constexpr char kTextSeparator = '\x1f';

val planLayout() {
    val layout = val::object();
    val in = val::array();
    for (const char* name : kHourIn)
        in.call<void>("push", std::string(name));
    val out = val::array();
    for (const char* name : kHourOut)
        out.call<void>("push", std::string(name));
    layout.set("input", in);
    layout.set("output", out);
    layout.set("separator", std::string(1, kTextSeparator));
    val fields = val::array();
    for (int f = 0; f <= static_cast<int>(WbgtField::Convergence); ++f)
        fields.call<void>("push", std::string(fieldKey(static_cast<WbgtField>(f))));
    layout.set("fields", fields);
    return layout;
}

int ceilingPlace(CeilingLevel level) {
    const auto rules = CeilingRules();
    for (std::size_t i = 0; i < rules.size(); ++i)
        if (rules[i].level == level)
            return static_cast<int>(i) + 1;
    return 0;
}

// One call for the whole plan, so nothing stays behind in the module between calls:
//   {hours: numbers, kHourIn's members an hour (a Float64Array or an array),
//    latitude, longitude, terrain: "Rural" | "Urban",
//    answers?: twelve box texts, for each hour's outcome,
//    event?: {minutes, dayStartUtc, dayEndUtc}, for the coolest start,
//    eventHours?: {first, count}, the plan hours an event covers, for its outcome}
// gives {numbers: kHourOut's members an hour, gapReasons, displays, missingAnswer, eventOutcome,
// coolest}.
val planForecast(const val& request) {
    const val given = request["hours"];
    const std::vector<double> flat = given.isUndefined() || given.isNull()
                                         ? std::vector<double>()
                                         : emscripten::convertJSArrayToNumberVector<double>(given);
    const std::size_t count = flat.size() / kHourInCount;
    std::vector<ForecastHour> hours(count);
    const auto value = [](double v) { return std::isnan(v) ? std::nullopt : std::optional(v); };
    for (std::size_t i = 0; i < count; ++i) {
        const double* in = &flat[i * kHourInCount];
        ForecastHour& h = hours[i];
        h.utcSeconds = static_cast<std::int64_t>(std::isnan(in[0]) ? 0 : in[0]);
        h.airC = value(in[1]);
        h.relativeHumidity = value(in[2]);
        h.wind10mMs = value(in[3]);
        h.solarWm2 = value(in[4]);
        h.pressureHpa = value(in[5]);
        h.localMinutes = std::isnan(in[6]) ? -1 : static_cast<int>(in[6]);
        h.daylightSaving = in[7] == 1;
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
    std::vector<double> numbers(plan.size() * kHourOutCount, std::nan(""));
    std::string reasons;
    std::string displays;
    for (std::size_t i = 0; i < plan.size(); ++i) {
        const PlannedHour& hour = plan[i];
        double* out = &numbers[i * kHourOutCount];
        out[0] = hour.sunElevationDeg;
        out[1] = hour.timeOption;
        if (i > 0) {
            reasons += kTextSeparator;
            displays += kTextSeparator;
        }
        if (const HourWbgt* w = hour.value()) {
            out[2] = static_cast<int>(w->stability);
            out[3] = w->wind2mMs;
            out[4] = w->wbgtC;
            out[5] = w->wbgtF;
            out[6] = w->option;
            // The ceiling's level the hour reaches, judged as the window shows the WBGT.
            out[7] = ceilingPlace(CeilingLevelFor(w->wbgtF));
            out[9] = -1;
        } else {
            const auto& gap = std::get<HourGap>(hour.wbgt);
            out[2] = -1;
            out[6] = -1;
            out[7] = 0;
            out[8] = gap.missing ? 1 : 0;
            out[9] = static_cast<int>(gap.field);
            reasons += gap.reason;
        }
        out[10] = 0;
        out[12] = -1;
        if (hour.outcome) {
            if (const auto* scored = std::get_if<Scored>(&*hour.outcome)) {
                out[10] = 1;
                out[11] = scored->total;
                out[12] = scored->band ? scored->band->rank : -1;
                displays += scored->display;
            } else if (std::holds_alternative<MedicalReferral>(*hour.outcome)) {
                out[10] = 2;
            }
        }
    }
    result.set("numbers", val::global("Float64Array")
                              .new_(emscripten::typed_memory_view(numbers.size(), numbers.data())));
    result.set("gapReasons", reasons);
    result.set("displays", displays);

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
    function("planLayout", &planLayout);
    function("planForecast", &planForecast);
    function("timeOfDayOption", &timeOfDayOption);
    function("daylightOn", &daylightOn);
}
