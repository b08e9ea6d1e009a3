// orvane-eval: the risk core from the command line, for scripted checks.
//
//   orvane-eval catalogue          the questions as one JSON array, in window order
//   orvane-eval outcome KEY TEXT   the option's outcome; exit 1 when there is none
//   orvane-eval evaluate           groups of 12 box texts on stdin -> one JSON line each
//   orvane-eval wbgt [--exact]     weather as JSON lines on stdin -> one estimated WBGT line each
//   orvane-eval log --db FILE ...  reads an event log, or takes in a CSV (see log_command.cpp)
//   orvane-eval forecast [...]     an Open-Meteo forecast on stdin -> one JSON line per hour
//
// Exit status 2 with a one-line message on stderr for a wrong call or a trailing partial group.
// wbgt answers every line, a line it cannot use with {"error": "field: reason"}, and exits 1
// when any line failed. Both streams answer as they read: each answer is written as soon as its
// input is complete, so a pipe gets it at once and memory does not grow with the input.

#include "cli/forecast_command.h"
#include "cli/json_line.h"
#include "cli/log_command.h"
#include "cli/output_check.h"
#include "core/catalogue.h"
#include "core/evaluation.h"
#include "core/liljegren.h"
#include "core/wbgt_ceiling.h"

#include <QJsonDocument>
#include <QJsonObject>

#include <cmath>
#include <cstdio>
#include <cstring>
#include <exception>
#include <iostream>
#include <optional>
#include <string>
#include <variant>

using namespace orvane;

namespace {

constexpr const char* kCommands =
    "catalogue | outcome KEY TEXT | evaluate | wbgt [--exact] | forecast [--urban] "
    "[--answer KEY=TEXT] | log --db FILE events | log --db FILE export-csv EVENT_ID | "
    "log --db FILE import-csv CSV";

int usage(const std::string& why) {
    std::fprintf(stderr, "orvane-eval: %s (usage: orvane-eval %s; see --help)\n", why.c_str(),
                 kCommands);
    return 2;
}

int help() {
    std::printf(
        "Usage: orvane-eval COMMAND\n"
        "The risk core of Solvane Calculator from the command line, for scripted checks.\n\n"
        "Commands:\n"
        "  catalogue          the questions, options and outcomes as one JSON array\n"
        "  outcome KEY TEXT   the points (or X) the option TEXT of question KEY writes;\n"
        "                     exit status 1 when the question has no such option\n"
        "  evaluate           reads groups of 12 points-box texts, one a line, in the order\n"
        "                     Dry_Bulb WBGT Duration Intensity Acclimatization Ability Age\n"
        "                     Drinks Time Surface Venue Medical; writes one JSON line a group,\n"
        "                     with the WBGT ceiling that applies whatever the score (or null)\n"
        "  wbgt [--exact]     reads weather as JSON lines (utc, lat, lon, air_c, rh, wind_ms,\n"
        "                     and sky or solar_wm2; shade and pressure_hpa optional); writes\n"
        "                     one estimated WBGT line each, or {\"error\": ...}; --exact\n"
        "                     writes every digit of a double instead of rounding\n"
        "  forecast [--urban] [--answer KEY=TEXT ...]\n"
        "                     reads one Open-Meteo forecast answer (JSON); writes one line an\n"
        "                     hour with its local time, the wind at 2 m, the WBGT, question 1's\n"
        "                     option, the WBGT ceiling and question 8's option for that time of\n"
        "                     day; --urban takes the wind profile of a town, not open country;\n"
        "                     with the other answers (e.g. --answer Venue=Outdoors) each hour\n"
        "                     also gives the total and band the planner shows\n"
        "  log --db FILE events\n"
        "                     the events of an event log as JSON lines, read-only\n"
        "  log --db FILE export-csv EVENT_ID\n"
        "                     one event's entries as CSV, as the Event Log window writes it\n"
        "  log --db FILE import-csv CSV\n"
        "                     takes in a CSV that this program or its web edition wrote, each\n"
        "                     entry to its event (found by name, place and date, or made), in\n"
        "                     one transaction; an entry already there is skipped\n\n"
        "Options:\n"
        "  -h, --help         show this help and exit\n"
        "  -v, --version      show the version and exit\n\n"
        "Each answer is written as soon as its input is read. Exit status: 0 success; 1 an\n"
        "option not found, or a wbgt line refused; 2 a wrong call, input that ends inside a\n"
        "group, or output that could not be written.\n");
    return 0;
}

int printCatalogue() {
    QByteArray out = "[";
    for (const RiskFactor& factor : Catalogue()) {
        QByteArray options = "[";
        for (const RiskOption& option : factor.options) {
            if (options.size() > 1)
                options += ',';
            options += json::Object()
                           .add("text", json::text(option.text))
                           .add("outcome", option.outcome ? json::text(*option.outcome)
                                                          : QJsonValue(QJsonValue::Null))
                           .finish();
        }
        options += ']';
        if (out.size() > 1)
            out += ',';
        out += json::Object()
                   .add("key", json::text(factor.key))
                   .add("label", json::text(factor.label))
                   .addRaw("options", options)
                   .add("message", factor.missingAnswerMessage
                                       ? json::text(*factor.missingAnswerMessage)
                                       : QJsonValue(QJsonValue::Null))
                   .finish();
    }
    out += "]\n";
    std::fwrite(out.constData(), 1, static_cast<std::size_t>(out.size()), stdout);
    return 0;
}

int printOutcome(std::string_view key, std::string_view text) {
    if (!FindFactor(key))
        return usage("unknown key '" + std::string(key) + "'");
    const auto outcome = OptionOutcome(key, text);
    if (!outcome)
        return 1;
    std::fwrite(outcome->data(), 1, outcome->size(), stdout);
    std::fputc('\n', stdout);
    return 0;
}

void write(const QByteArray& line) {
    std::fwrite(line.constData(), 1, static_cast<std::size_t>(line.size()), stdout);
    // Flushed whenever the next line is not already read in: a program at the other end of a
    // pipe gets each answer before it writes the next question.
    if (std::cin.rdbuf()->in_avail() <= 0)
        std::fflush(stdout);
}

// Calls `line` for each line of standard input as it arrives. A CR before the LF is part of the
// line end: a file from Windows must not turn a blank answer into one worth 0 points.
template <class Line> void forEachLine(Line line) {
    std::string text;
    while (std::getline(std::cin, text)) {
        if (!text.empty() && text.back() == '\r')
            text.pop_back();
        line(std::string_view(text));
    }
}

// The WBGT ceiling beside an outcome: the rule that applies whatever the score, or null, and
// whether question 1 was answered in a way (the air temperature) that cannot tell.
void addCeiling(json::Object& line, const BoxTexts& texts) {
    const CeilingJudgement ceiling = JudgeCeiling(Question1FromBoxes(texts));
    const CeilingRule* rule = FindCeilingRule(ceiling.level);
    line.add("ceiling", rule ? json::text(rule->name) : QJsonValue(QJsonValue::Null))
        .add("ceiling_unknown", ceiling.unknown);
}

QByteArray outcomeLine(const BoxTexts& texts) {
    const EvaluationOutcome outcome = EvaluateRisk(texts);
    json::Object line;
    if (const auto* missing = std::get_if<MissingAnswer>(&outcome)) {
        line.add("outcome", "MissingAnswer").add("message", json::text(missing->message));
    } else if (const auto* referral = std::get_if<MedicalReferral>(&outcome)) {
        line.add("outcome", "MedicalReferral").add("document", json::text(referral->document));
        addCeiling(line, texts);
    } else {
        const auto& scored = std::get<Scored>(outcome);
        line.add("outcome", "Scored")
            .add("total", scored.total)
            .add("display", json::text(scored.display))
            .add("document",
                 scored.band ? json::text(scored.band->document) : QJsonValue(QJsonValue::Null));
        addCeiling(line, texts);
    }
    return line.finish() + '\n';
}

int evaluateStream() {
    std::array<std::string, kBoxCount> group;
    std::size_t filled = 0;
    forEachLine([&](std::string_view line) {
        group[filled++] = line;
        if (filled == kBoxCount) {
            BoxTexts texts;
            for (std::size_t i = 0; i < kBoxCount; ++i)
                texts[i] = group[i];
            write(outcomeLine(texts));
            filled = 0;
        }
    });
    std::fflush(stdout);
    if (filled != 0) {
        std::fprintf(stderr, "orvane-eval: input ends inside a group (%zu of 12 lines)\n", filled);
        return 2;
    }
    return 0;
}

// A line the estimator cannot use: which member, and why.
struct LineError {
    std::string message;
};

std::string_view keyOf(WbgtField field) {
    switch (field) {
    case WbgtField::Time: return "utc";
    case WbgtField::Latitude: return "lat";
    case WbgtField::Longitude: return "lon";
    case WbgtField::AirTemperature: return "air_c";
    case WbgtField::RelativeHumidity: return "rh";
    case WbgtField::Wind: return "wind_ms";
    case WbgtField::Solar: return "solar_wm2";
    case WbgtField::Pressure: return "pressure_hpa";
    case WbgtField::Convergence: return "no convergence";
    }
    return "no convergence";
}

LineError fieldError(std::string_view key, std::string_view reason) {
    return {std::string(key) + ": " + std::string(reason)};
}

// Exactly "YYYY-MM-DDTHH:MM:SSZ"; the ranges of the parts are the estimator's to judge.
bool readUtc(const QString& text, WbgtInput& in) {
    const QByteArray s = text.toLatin1();
    if (s.size() != 20 || s[4] != '-' || s[7] != '-' || s[10] != 'T' || s[13] != ':' ||
        s[16] != ':' || s[19] != 'Z')
        return false;
    int* parts[] = {&in.year, &in.month, &in.day, &in.hour, &in.minute, &in.second};
    const int starts[] = {0, 5, 8, 11, 14, 17};
    for (int i = 0; i < 6; ++i) {
        const int width = i == 0 ? 4 : 2;
        int value = 0;
        for (int c = starts[i]; c < starts[i] + width; ++c) {
            if (s[c] < '0' || s[c] > '9')
                return false;
            value = value * 10 + (s[c] - '0');
        }
        *parts[i] = value;
    }
    return true;
}

std::variant<WbgtInput, LineError> readWeather(const QByteArray& line) {
    QJsonParseError parseError;
    const QJsonDocument doc = QJsonDocument::fromJson(line, &parseError);
    if (parseError.error != QJsonParseError::NoError)
        return LineError{"not JSON: " + parseError.errorString().toStdString()};
    if (!doc.isObject())
        return LineError{"not a JSON object"};
    const QJsonObject object = doc.object();

    // Members it does not know (an id, a note) are left alone, so callers can tag their lines.
    WbgtInput in;
    const QJsonValue utc = object.value("utc");
    if (utc.isUndefined())
        return fieldError("utc", "missing");
    if (!utc.isString() || !readUtc(utc.toString(), in))
        return fieldError("utc", "must be a text YYYY-MM-DDTHH:MM:SSZ");

    struct Number {
        const char* key;
        double* target;
        bool required;
    };
    double solar = -1;
    const Number numbers[] = {
        {"lat", &in.latitude, true},
        {"lon", &in.longitude, true},
        {"air_c", &in.airC, true},
        {"rh", &in.relativeHumidity, true},
        {"wind_ms", &in.windMs, true},
        {"solar_wm2", &solar, false},
        {"pressure_hpa", &in.pressureHpa, false},
    };
    for (const Number& n : numbers) {
        const QJsonValue v = object.value(n.key);
        if (v.isUndefined()) {
            if (n.required)
                return fieldError(n.key, "missing");
            continue;
        }
        if (!v.isDouble())
            return fieldError(n.key, "must be a number");
        *n.target = v.toDouble();
    }

    const QJsonValue sky = object.value("sky");
    const bool hasSolar = object.contains("solar_wm2");
    if (hasSolar == !sky.isUndefined())
        return LineError{"solar_wm2/sky: give exactly one of them"};
    const QString skyName = sky.toString(); // empty when not a text
    if (hasSolar) {
        in.solarWm2 = solar;
    } else if (skyName == QLatin1String("clear")) {
        in.sky = SkyCondition::Clear;
    } else if (skyName == QLatin1String("partly cloudy")) {
        in.sky = SkyCondition::PartlyCloudy;
    } else if (skyName == QLatin1String("overcast")) {
        in.sky = SkyCondition::Overcast;
    } else {
        return fieldError("sky", "must be \"clear\", \"partly cloudy\" or \"overcast\"");
    }

    const QJsonValue shade = object.value("shade");
    if (!shade.isUndefined()) {
        if (!shade.isBool())
            return fieldError("shade", "must be true or false");
        in.shade = shade.toBool();
    }
    return in;
}

// Rounded well below the model's own 0.02 K settling, so lines stay short and stable; exact
// for a comparison with another build of the same model, which must agree far closer than that.
QJsonValue rounded(double value, double perUnit, bool exact) {
    if (exact)
        return value + 0.0; // Qt writes the shortest text that reads back as the same double
    return std::round(value * perUnit) / perUnit + 0.0; // + 0.0 turns -0 into 0
}

QByteArray wbgtLine(const QByteArray& line, bool exact, bool& failed) {
    const auto weather = readWeather(line);
    std::string error;
    if (const auto* bad = std::get_if<LineError>(&weather)) {
        error = bad->message;
    } else {
        const WbgtOutcome outcome = EstimateWbgt(std::get<WbgtInput>(weather));
        if (const auto* r = std::get_if<WbgtResult>(&outcome)) {
            return json::Object()
                       .add("wbgt_c", rounded(r->wbgtC, 100, exact))
                       .add("globe_c", rounded(r->globeC, 100, exact))
                       .add("natural_wet_bulb_c", rounded(r->naturalWetBulbC, 100, exact))
                       .add("psychrometric_wet_bulb_c",
                            rounded(r->psychrometricWetBulbC, 100, exact))
                       .add("cos_zenith", rounded(r->cosZenith, 1e5, exact))
                       .add("solar_wm2", rounded(r->solarWm2, 10, exact))
                       .finish() +
                   '\n';
        }
        const auto& e = std::get<WbgtError>(outcome);
        error = std::string(keyOf(e.field)) + ": " + e.reason;
    }
    failed = true;
    return json::Object().add("error", json::text(error)).finish() + '\n';
}

int wbgtStream(bool exact) {
    bool failed = false;
    forEachLine([&](std::string_view line) {
        if (line.find_first_not_of(" \t") == std::string_view::npos)
            return;
        write(
            wbgtLine(QByteArray(line.data(), static_cast<qsizetype>(line.size())), exact, failed));
    });
    std::fflush(stdout);
    return failed ? 1 : 0;
}

} // namespace

static int run(int argc, char** argv) {
    if (argc < 2)
        return usage("missing command");
    const std::string_view command = argv[1];
    if (command == "-h" || command == "--help")
        return help();
    if (command == "-v" || command == "--version") {
        std::printf("orvane-eval (Solvane Calculator \xc2\xb0"
                    "F) %s\n",
                    ORVANE_VERSION);
        return 0;
    }
    for (int i = 1; i < argc; ++i)
        if (argv[i][0] == '-' && argv[i][1] != '\0' && !(command == "outcome" && i > 1) &&
            command != "log" && command != "forecast" && // these read their own options
            !(command == "wbgt" && std::string_view(argv[i]) == "--exact"))
            return usage("unknown option '" + std::string(argv[i]) + "'");
    if (command == "catalogue" && argc == 2)
        return printCatalogue();
    if (command == "outcome" && argc == 4)
        return printOutcome(argv[2], argv[3]);
    if (command == "evaluate" && argc == 2)
        return evaluateStream();
    if (command == "wbgt" && (argc == 2 || (argc == 3 && std::string_view(argv[2]) == "--exact")))
        return wbgtStream(argc == 3);
    if (command == "log")
        return orvane::cli::logCommand(argc, argv);
    if (command == "forecast")
        return orvane::cli::forecastCommand(argc - 2, argv + 2);
    if (command == "catalogue" || command == "outcome" || command == "evaluate" ||
        command == "wbgt")
        return usage("wrong arguments for '" + std::string(command) + "'");
    return usage("unknown command '" + std::string(command) + "'");
}

int main(int argc, char** argv) {
    std::ios::sync_with_stdio(false); // standard input is read by lines, in large blocks
    try {
        return orvane::cli::checkedOutput("orvane-eval", run(argc, argv));
    } catch (const std::exception& e) {
        std::fprintf(stderr, "orvane-eval: %s\n", e.what());
        return 2;
    }
}
