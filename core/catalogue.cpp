#include "core/catalogue.h"

#include <array>

namespace orvane {
namespace {

// Both temperature lists are asked in degrees Fahrenheit; only their first and last options
// carry the unit. "\u00b0" keeps the degree sign U+00B0 whatever the source encoding.
constexpr std::array kWbgt{
    RiskOption{"<73\u00b0F", "2"},
    RiskOption{"73-81.9", "10"},
    RiskOption{"82-85.9", "14"},
    RiskOption{">= 86\u00b0F", "20"},
};
constexpr std::array kDryBulb{
    RiskOption{"<75\u00b0F", "2"},
    RiskOption{"75-85.9", "10"},
    RiskOption{"86-90.9", "14"},
    RiskOption{">= 91\u00b0F", "20"},
};
constexpr std::array kDuration{
    RiskOption{"<30", "2"},
    RiskOption{"30 to 60", "4"},
    RiskOption{"60 to 120", "6"},
    RiskOption{">120", "8"},
};
constexpr std::array kIntensity{
    RiskOption{"Easy pace throughout", "2"},
    RiskOption{"Moderate pace, breaks in intensity", "4"},
    RiskOption{"Moderate pace throughout", "6"},
    RiskOption{"Sustained effort with some breaks", "8"},
    RiskOption{"Sustained effort throughout", "10"},
};
constexpr std::array kAcclimatization{
    RiskOption{"Used to hot weather conditions", "2"},
    RiskOption{"Used to warm weather conditions", "5"},
    RiskOption{"Used to cool/cold conditions", "8"},
};
// "Good fitness level" scores like "Moderate fitness levels" in the guidelines.
constexpr std::array kAbility{
    RiskOption{"Elite fitness levels", "2"},
    RiskOption{"Good fitness level", "6"},
    RiskOption{"Moderate fitness levels", "6"},
    RiskOption{"Low fitness levels", "8"},
};
constexpr std::array kAge{
    RiskOption{"Under 13", "8"}, RiskOption{"13 to 17", "5"}, RiskOption{"18 to 30", "2"},
    RiskOption{"30 to 40", "5"}, RiskOption{"Over 40", "8"},
};
constexpr std::array kDrinks{
    RiskOption{"<15", "2"},      RiskOption{"15 to 25", "4"}, RiskOption{"25 to 35", "6"},
    RiskOption{"35 to 45", "8"}, RiskOption{">45", "10"},
};
constexpr std::array kTime{
    RiskOption{"Before 9 am", "2"},      RiskOption{"9 am to 12 noon", "5"},
    RiskOption{"12 noon to 4 pm", "10"}, RiskOption{"4 pm to sunset", "5"},
    RiskOption{"After dark", "2"},
};
constexpr std::array kSurface{
    RiskOption{"Water", "1"},
    RiskOption{"Grass", "2"},
    RiskOption{"Boards", "4"},
    RiskOption{"Sand", "6"},
    RiskOption{"Synthetic surface", "6"},
    RiskOption{"Asphalt", "8"},
};
constexpr std::array kVenue{
    RiskOption{"Indoor air conditioning", "1"},
    RiskOption{"Indoor no air conditioning", "4"},
    RiskOption{"Outdoors", "8"},
};
// The two serious conditions refer the participant on instead of scoring. Note the missing
// blanks after the commas in the "Extreme" option: the text is matched exactly.
constexpr std::array kMedical{
    RiskOption{"None", "0"},
    RiskOption{"High: Asthma, Diabetes, Pregnancy, *", kReferralMarker},
    RiskOption{"Extreme: Flu,Diarrhea,Drugs,Alcohol, *", kReferralMarker},
};
constexpr std::array kOther{
    RiskOption{"Shade available during breaks?", std::nullopt},
    RiskOption{"Water freely available at venue?", std::nullopt},
    RiskOption{"Sports trainer/first aid provider available?", std::nullopt},
    RiskOption{"Individual body fat of participants?", std::nullopt},
};

constexpr std::string_view kTemperatureMessage = "Please add Temperature data.";

constexpr std::array kFactors{
    RiskFactor{"WBGT", "1. Wet Bulb Globe Temperature", kWbgt, kTemperatureMessage, "Dry_Bulb"},
    RiskFactor{"Dry_Bulb", "Ordinary Air Temperature*", kDryBulb, kTemperatureMessage, "WBGT"},
    RiskFactor{"Duration", "2. Overall length of event (min)", kDuration,
               "Please add Overall Length of Event data."},
    RiskFactor{"Intensity", "3. Individual intensity during the event", kIntensity,
               "Please add Individual Intensity data."},
    RiskFactor{"Acclimatization", "4. Acclimatization of participants", kAcclimatization,
               "Please add Acclimatization data."},
    RiskFactor{"Ability", "5. Athletic ability of individuals", kAbility,
               "Please add Ability of Individuals data."},
    RiskFactor{"Age", "6. Age of Participants", kAge, "Please add Age data."},
    RiskFactor{"Drinks", "7. Time Between Drinks (min)", kDrinks,
               "Please add Time Between Drinks data."},
    RiskFactor{"Time", "8. Time of event  (DST)", kTime, "Please add Time of the Event data."},
    RiskFactor{"Surface", "9. Surface type", kSurface, "Please add Surface data."},
    RiskFactor{"Venue", "10. Venue", kVenue, "Please add Venue data."},
    RiskFactor{"Medical", "11. Athletes' Other Risky Medical Conditions*", kMedical,
               "Please add Medical Conditions data."},
    RiskFactor{"Other", "12. Other factors: Consider, but no points added.", kOther, std::nullopt},
};

} // namespace

std::span<const RiskFactor> Catalogue() {
    return kFactors;
}

const RiskFactor* FindFactor(std::string_view key) {
    for (const RiskFactor& factor : kFactors) {
        if (factor.key == key)
            return &factor;
    }
    return nullptr;
}

std::vector<std::string_view> FactorOptions(std::string_view key) {
    std::vector<std::string_view> texts;
    if (const RiskFactor* factor = FindFactor(key)) {
        texts.reserve(factor->options.size());
        for (const RiskOption& option : factor->options)
            texts.push_back(option.text);
    }
    return texts;
}

std::optional<std::string_view> OptionOutcome(std::string_view key, std::string_view text) {
    if (const RiskFactor* factor = FindFactor(key)) {
        for (const RiskOption& option : factor->options) {
            if (option.text == text)
                return option.outcome;
        }
    }
    return std::nullopt;
}

std::optional<std::string_view> MissingAnswerMessage(std::string_view key) {
    const RiskFactor* factor = FindFactor(key);
    return factor ? factor->missingAnswerMessage : std::nullopt;
}

SelectionEffect SelectionRule(std::string_view key, int selectedIndex,
                              std::string_view chosenText) {
    SelectionEffect effect;
    const RiskFactor* factor = FindFactor(key);
    if (selectedIndex < 0 || factor == nullptr || !factor->scored())
        return effect;
    if (auto outcome = OptionOutcome(key, chosenText)) {
        effect.pointsBoxKey = factor->key;
        effect.points = *outcome;
    }
    effect.disableListKey = factor->alternativeTo;
    return effect;
}

} // namespace orvane
