#pragma once

// Open-Meteo's answers read into the planner's terms, and the addresses that ask for them. The
// forecast is asked for exactly the five hourly values the WBGT model needs, with times as Unix
// seconds (UTC) and the place's own time zone named, so the window can show local times across a
// daylight-saving change; nothing else is sent but the place and the dates.

#include "core/forecast_plan.h"

#include <QByteArray>
#include <QDate>
#include <QList>
#include <QString>
#include <QTimeZone>
#include <QUrl>

#include <variant>
#include <vector>

namespace orvane::weather {

// What went wrong. Each kind has its own message, written for the person at the window.
enum class FailureKind {
    InvalidRequest,    // an address, place or date range that cannot be asked for
    NoNetwork,         // the computer reaches no network
    ConnectionRefused, // the host answered, but nothing listens at that port
    HostNotFound,      // the host name does not resolve
    ConnectionFailed,  // the connection broke or could not be secured
    Timeout,           // no whole answer in the time allowed
    RateLimited,       // HTTP 429: the free endpoint's limit is reached
    HttpError,         // any other HTTP error, with Open-Meteo's reason when it gives one
    NotJson,           // the body is not JSON
    ServiceError,      // Open-Meteo's error body: {"error": true, "reason": "..."}
    BadData,           // JSON, but not what was asked for, or values the planner cannot read
    Unavailable,       // the program's own network module is missing or damaged
};

struct Failure {
    FailureKind kind = FailureKind::BadData;
    QString message;
};

struct Forecast {
    double latitude = 0; // of the model's grid cell, a little off the place asked for
    double longitude = 0;
    QString timeZone; // IANA id, e.g. "Europe/Berlin": local times come from it and QTimeZone
    std::vector<ForecastHour> hours; // in increasing time; a null value is kept as missing
};

struct Place {
    QString name;
    QString region; // the first administrative level (state, province); may be empty
    QString country;
    double latitude = 0;
    double longitude = 0;
    QString timeZone; // IANA id; may be empty
};

inline constexpr char kDefaultForecastAddress[] = "https://api.open-meteo.com/v1/forecast";
inline constexpr char kDefaultGeocodingAddress[] = "https://geocoding-api.open-meteo.com/v1/search";

// The series asked for, in the order of ForecastHour. Instant radiation, not the hourly mean:
// the model takes the sun where it stands at the hour's instant, while the mean covers the hour
// before it, when the sun stood elsewhere; just after sunset the mean still shows daylight.
inline constexpr const char* kHourlySeries[] = {
    "temperature_2m",   "relative_humidity_2m", "wind_speed_10m", "shortwave_radiation_instant",
    "surface_pressure",
};

std::variant<Forecast, Failure> ParseForecast(const QByteArray& body);

// Why the forecast cannot be for the place's days first to last: an hour outside them. Empty when
// every hour lies within them.
QString HoursOutside(const Forecast& forecast, QDate first, QDate last);

// The forecast's time zone when this system knows it, else UTC; `known` tells which.
QTimeZone ForecastZone(const Forecast& forecast, bool* known = nullptr);

// Tells each hour of the forecast the place's clock reading at that instant, from the zone.
void SetLocalClocks(Forecast& forecast, const QTimeZone& zone);

// A text from outside the program (a server, a file) as it may be quoted in a message: at most
// `length` characters, cut with an ellipsis, so that no server can fill or widen a window.
QString Quoted(const QString& text, int length = 60);

// No "results" member is Open-Meteo's way of saying nothing matched: an empty list.
std::variant<QList<Place>, Failure> ParsePlaces(const QByteArray& body);

// The reason of Open-Meteo's error body, or an empty text when the body is none.
QString ServiceReason(const QByteArray& body);

// Why a base address cannot be used, or an empty text when it can.
QString AddressProblem(const QUrl& base);

// An unencrypted address, which the window names as such.
bool IsUnencrypted(const QUrl& address);

// The request for the forecast of the days first to last (the place's own dates), and for places
// by name. An API key, when given, is added as apikey=.
QUrl ForecastUrl(const QUrl& base, const QString& apiKey, double latitude, double longitude,
                 QDate first, QDate last);
QUrl PlaceSearchUrl(const QUrl& base, const QString& apiKey, const QString& name);

} // namespace orvane::weather
