// orvane-eval: the risk core from the command line, for scripted checks.
//
//   orvane-eval catalogue          the questions as one JSON array, in window order
//   orvane-eval outcome KEY TEXT   the option's outcome; exit 1 when there is none
//   orvane-eval evaluate           groups of 12 box texts on stdin -> one JSON line each
//
// Exit status 2 with a one-line message on stderr for a wrong call or a trailing partial group.

#include "cli/json_line.h"
#include "core/catalogue.h"
#include "core/evaluation.h"

#include <cstdio>
#include <cstring>
#include <exception>
#include <string>
#include <unordered_map>
#include <variant>
#include <vector>

using namespace orvane;

namespace {

int usage(const char* why) {
    std::fprintf(stderr,
                 "orvane-eval: %s (usage: orvane-eval catalogue | outcome KEY TEXT | evaluate)\n",
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

int evaluateStream() {
    std::vector<char> input;
    {
        std::vector<char> chunk(1 << 20);
        std::size_t n;
        while ((n = std::fread(chunk.data(), 1, chunk.size(), stdin)) > 0)
            input.insert(input.end(), chunk.begin(), chunk.begin() + static_cast<long>(n));
    }
    static char outBuffer[1 << 16];
    std::setvbuf(stdout, outBuffer, _IOFBF, sizeof outBuffer);

    LineCache cache;
    BoxTexts texts;
    std::size_t filled = 0;
    std::size_t pos = 0;
    const std::string_view all(input.data(), input.size());
    while (pos < all.size()) {
        std::size_t end = all.find('\n', pos);
        if (end == std::string_view::npos)
            end = all.size();
        texts[filled++] = all.substr(pos, end - pos);
        pos = end + 1;
        if (filled == kBoxCount) {
            const QByteArray& line = cache.lineFor(EvaluateRisk(texts));
            std::fwrite(line.constData(), 1, static_cast<std::size_t>(line.size()), stdout);
            filled = 0;
        }
    }
    std::fflush(stdout);
    if (filled != 0) {
        std::fprintf(stderr, "orvane-eval: input ends inside a group (%zu of 12 lines)\n", filled);
        return 2;
    }
    return 0;
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
    return usage(("wrong arguments for '" + std::string(command) + "'").c_str());
}

int main(int argc, char** argv) {
    try {
        return run(argc, argv);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "orvane-eval: %s\n", e.what());
        return 2;
    }
}
