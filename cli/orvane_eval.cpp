// orvane-eval: the risk core from the command line, for scripted checks.
//
//   orvane-eval catalogue          the questions as one JSON array, in window order
//   orvane-eval outcome KEY TEXT   the option's outcome; exit 1 when there is none
//   orvane-eval evaluate           groups of 12 box texts on stdin -> one JSON line each
//   orvane-eval wbgt               weather as JSON lines on stdin -> one estimated WBGT line each
//   orvane-eval forecast [--urban] an Open-Meteo forecast on stdin -> one JSON line per hour
//
// Exit status 2 with a one-line message on stderr for a wrong call or a trailing partial group.
// wbgt answers every line, a line it cannot use with {"error": "field: reason"}, and exits 1
// when any line failed.

#include "cli/forecast_command.h"
#include "cli/json_line.h"
#include "cli/output_check.h"
#include "core/catalogue.h"
#include "core/evaluation.h"
#include "core/liljegren.h"

#include <QJsonDocument>
#include <QJsonObject>

#include <cmath>
#include <cstdio>
#include <cstring>
#include <exception>
#include <optional>
#include <string>
#include <unordered_map>
#include <variant>
#include <vector>

using namespace orvane;

namespace {

int usage(const char* why) {
    std::fprintf(stderr,
                 "orvane-eval: %s (usage: orvane-eval catalogue | outcome KEY TEXT | evaluate | "
                 "wbgt | forecast [--urban])\n",
                 why);
    return 2;
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
        return usage(("unknown key '" + std::string(key) + "'").c_str());
    const auto outcome = OptionOutcome(key, text);
    if (!outcome)
        return 1;
    std::fwrite(outcome->data(), 1, outcome->size(), stdout);
    std::fputc('\n', stdout);
    return 0;
}

QByteArray outcomeLine(const EvaluationOutcome& outcome) {
    json::Object line;
    if (const auto* missing = std::get_if<MissingAnswer>(&outcome)) {
        line.add("outcome", "MissingAnswer").add("message", json::text(missing->message));
    } else if (const auto* referral = std::get_if<MedicalReferral>(&outcome)) {
        line.add("outcome", "MedicalReferral").add("document", json::text(referral->document));
    } else {
        const auto& scored = std::get<Scored>(outcome);
        line.add("outcome", "Scored")
            .add("total", scored.total)
            .add("display", json::text(scored.display))
            .add("document",
                 scored.band ? json::text(scored.band->document) : QJsonValue(QJsonValue::Null));
    }
    return line.finish() + '\n';
}

// Encoding a line costs far more than evaluating a group, and real input repeats a few dozen
// outcomes, so encoded lines are kept by outcome. The cap bounds memory on hostile input.
class LineCache {
public:
    const QByteArray& lineFor(const EvaluationOutcome& outcome) {
        std::string key;
        if (const auto* missing = std::get_if<MissingAnswer>(&outcome))
            key = "M" + std::string(missing->message);
        else if (std::holds_alternative<MedicalReferral>(outcome))
            key = "R";
        else {
            const double total = std::get<Scored>(outcome).total;
            key.assign("S");
            key.append(reinterpret_cast<const char*>(&total), sizeof total);
        }
        if (auto it = cache_.find(key); it != cache_.end())
            return it->second;
        scratch_ = outcomeLine(outcome);
        if (cache_.size() < 65536)
            return cache_.emplace(std::move(key), scratch_).first->second;
        return scratch_;
    }

private:
    std::unordered_map<std::string, QByteArray> cache_;
    QByteArray scratch_;
};

std::vector<char> readAll() {
    std::vector<char> input;
    std::vector<char> chunk(1 << 20);
    std::size_t n;
    while ((n = std::fread(chunk.data(), 1, chunk.size(), stdin)) > 0)
        input.insert(input.end(), chunk.begin(), chunk.begin() + static_cast<long>(n));
    return input;
}

// Calls `line` for each line of the input. A CR before the LF is part of the line end: a file
// from Windows must not turn a blank answer into one worth 0 points.
template <class Line> void forEachLine(const std::vector<char>& input, Line line) {
    const std::string_view all(input.data(), input.size());
    for (std::size_t pos = 0; pos < all.size();) {
        std::size_t end = all.find('\n', pos);
        if (end == std::string_view::npos)
            end = all.size();
        std::string_view text = all.substr(pos, end - pos);
        pos = end + 1;
        if (!text.empty() && text.back() == '\r')
            text.remove_suffix(1);
        line(text);
    }
}

int evaluateStream() {
    const std::vector<char> input = readAll();
    static char outBuffer[1 << 16];
    std::setvbuf(stdout, outBuffer, _IOFBF, sizeof outBuffer);

    LineCache cache;
    BoxTexts texts;
    std::size_t filled = 0;
    forEachLine(input, [&](std::string_view line) {
        texts[filled++] = line;
        if (filled == kBoxCount) {
            const QByteArray& out = cache.lineFor(EvaluateRisk(texts));
            std::fwrite(out.constData(), 1, static_cast<std::size_t>(out.size()), stdout);
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

// Rounded well below the model's own 0.02 K settling, so lines stay short and stable.
QJsonValue rounded(double value, double perUnit) {
    return std::round(value * perUnit) / perUnit + 0.0; // + 0.0 turns -0 into 0
}

QByteArray wbgtLine(const QByteArray& line, bool& failed) {
    const auto weather = readWeather(line);
    std::string error;
    if (const auto* bad = std::get_if<LineError>(&weather)) {
        error = bad->message;
    } else {
        const WbgtOutcome outcome = EstimateWbgt(std::get<WbgtInput>(weather));
        if (const auto* r = std::get_if<WbgtResult>(&outcome)) {
            return json::Object()
                       .add("wbgt_c", rounded(r->wbgtC, 100))
                       .add("globe_c", rounded(r->globeC, 100))
                       .add("natural_wet_bulb_c", rounded(r->naturalWetBulbC, 100))
                       .add("psychrometric_wet_bulb_c", rounded(r->psychrometricWetBulbC, 100))
                       .add("cos_zenith", rounded(r->cosZenith, 1e5))
                       .add("solar_wm2", rounded(r->solarWm2, 10))
                       .finish() +
                   '\n';
        }
        const auto& e = std::get<WbgtError>(outcome);
        error = std::string(keyOf(e.field)) + ": " + e.reason;
    }
    failed = true;
    return json::Object().add("error", json::text(error)).finish() + '\n';
}

int wbgtStream() {
    const std::vector<char> input = readAll();
    bool failed = false;
    forEachLine(input, [&](std::string_view line) {
        if (line.find_first_not_of(" \t") == std::string_view::npos)
            return;
        const QByteArray out =
            wbgtLine(QByteArray(line.data(), static_cast<qsizetype>(line.size())), failed);
        std::fwrite(out.constData(), 1, static_cast<std::size_t>(out.size()), stdout);
    });
    return failed ? 1 : 0;
}

} // namespace

static int run(int argc, char** argv) {
    if (argc < 2)
        return usage("missing command");
    const std::string_view command = argv[1];
    if (command == "catalogue" && argc == 2)
        return printCatalogue();
    if (command == "outcome" && argc == 4)
        return printOutcome(argv[2], argv[3]);
    if (command == "evaluate" && argc == 2)
        return evaluateStream();
    if (command == "wbgt" && argc == 2)
        return wbgtStream();
    if (command == "forecast" &&
        (argc == 2 || (argc == 3 && std::string_view(argv[2]) == "--urban")))
        return orvane::cli::forecastCommand(argc == 3);
    return usage(("wrong arguments for '" + std::string(command) + "'").c_str());
}

int main(int argc, char** argv) {
    try {
        return orvane::cli::checkedOutput("orvane-eval", run(argc, argv));
    } catch (const std::exception& e) {
        std::fprintf(stderr, "orvane-eval: %s\n", e.what());
        return 2;
    }
}
