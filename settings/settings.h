#pragma once

// Every setting the program keeps between runs, declared once here with its key (group/name),
// its type and its default, and read and written only through these declarations. They live in
// the user's settings for the program, QSettings("Solvane", "OrvaneCalculatorF"): on Linux
// ~/.config/Solvane/OrvaneCalculatorF.conf, or under XDG_CONFIG_HOME. A value that is missing or
// of another type reads as the default; an empty text is removed rather than stored, so that the
// default shows through.

#include <QSettings>
#include <QString>
#include <QTime>

namespace orvane::settings {

// The store every setting goes to unless a caller names another (a test's own file).
QSettings programStore();

template <class T> class Setting {
public:
    constexpr Setting(const char* key, T fallback) : key_(key), default_(std::move(fallback)) {}

    T value() const;
    T value(const QSettings& store) const;
    void set(const T& value) const;
    void set(QSettings& store, const T& value) const;
    void clear() const;

    const char* key() const { return key_; }
    const T& fallback() const { return default_; }

private:
    const char* key_;
    T default_;
};

// The weather service: base addresses (empty: Open-Meteo's own) and a paid plan's API key.
extern const Setting<QString> forecastUrl;
extern const Setting<QString> geocodingUrl;
extern const Setting<QString> apiKey;

// The event assessments are added to, and the log it belongs to: another log has other events.
extern const Setting<QString> eventLogFile;
extern const Setting<qint64> eventId;

// The estimator's place: an example place's name, or "latitude longitude UTC-offset" typed.
extern const Setting<QString> estimatorPlace;

// The planner's last place (its name as shown, coordinates and IANA zone, empty when typed
// without one) and the event's start and end; never the date, which is a new one each time.
extern const Setting<QString> plannerPlace;
extern const Setting<double> plannerLatitude;
extern const Setting<double> plannerLongitude;
extern const Setting<QString> plannerZone;
extern const Setting<QTime> plannerStart;
extern const Setting<QTime> plannerEnd;

} // namespace orvane::settings
