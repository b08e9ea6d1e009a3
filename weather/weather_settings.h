#pragma once

// Where the planner asks for weather: Open-Meteo's public servers unless the user has set other
// base addresses (their own Open-Meteo, or the paid endpoint with an API key), kept in the
// program's settings (settings::forecastUrl, geocodingUrl and apiKey). The environment variables
// ORVANE_FORECAST_URL and ORVANE_GEOCODING_URL, when not empty, override the two addresses, for
// tests and for scripted set-ups.

#include "weather/open_meteo.h"

#include <QProcessEnvironment>
#include <QString>
#include <QUrl>

class QSettings;

namespace orvane::weather {

inline constexpr char kForecastUrlVariable[] = "ORVANE_FORECAST_URL";
inline constexpr char kGeocodingUrlVariable[] = "ORVANE_GEOCODING_URL";

// What the user has set; an empty text leaves Open-Meteo's own address or no key.
struct WeatherSettings {
    QString forecastAddress;
    QString geocodingAddress;
    QString apiKey;

    static WeatherSettings read(const QSettings& store);
    static WeatherSettings read();      // the program's own
    void write(QSettings& store) const; // empty values are removed, not stored
    void write() const;
};

// The addresses requests go to, and where each came from.
struct Endpoints {
    QUrl forecast{QString::fromLatin1(kDefaultForecastAddress)};
    QUrl geocoding{QString::fromLatin1(kDefaultGeocodingAddress)};
    QString apiKey;
    bool forecastFromEnvironment = false;
    bool geocodingFromEnvironment = false;
};

// The addresses and key from these settings, with the environment over them.
Endpoints
ResolveEndpoints(const WeatherSettings& settings,
                 const QProcessEnvironment& environment = QProcessEnvironment::systemEnvironment());

// The same for the program's stored settings of this user.
Endpoints CurrentEndpoints();

} // namespace orvane::weather
