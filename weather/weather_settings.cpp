#include "weather/weather_settings.h"

#include "settings/settings.h"

#include <QSettings>

namespace orvane::weather {
namespace {

// The first of the environment, the setting and the default that is not empty.
QUrl address(const QString& fromEnvironment, const QString& setting, const char* fallback) {
    const QString chosen = !fromEnvironment.trimmed().isEmpty() ? fromEnvironment
                           : !setting.trimmed().isEmpty()       ? setting
                                                                : QString::fromLatin1(fallback);
    return QUrl(chosen.trimmed());
}

} // namespace

WeatherSettings WeatherSettings::read(const QSettings& store) {
    return {settings::forecastUrl.value(store), settings::geocodingUrl.value(store),
            settings::apiKey.value(store)};
}

WeatherSettings WeatherSettings::read() {
    return read(settings::programStore());
}

void WeatherSettings::write(QSettings& store) const {
    settings::forecastUrl.set(store, forecastAddress);
    settings::geocodingUrl.set(store, geocodingAddress);
    settings::apiKey.set(store, apiKey);
}

void WeatherSettings::write() const {
    QSettings store = settings::programStore();
    write(store);
}

Endpoints CurrentEndpoints() {
    return ResolveEndpoints(WeatherSettings::read());
}

Endpoints ResolveEndpoints(const WeatherSettings& settings,
                           const QProcessEnvironment& environment) {
    const QString forecast = environment.value(kForecastUrlVariable);
    const QString geocoding = environment.value(kGeocodingUrlVariable);
    Endpoints endpoints;
    endpoints.forecast = address(forecast, settings.forecastAddress, kDefaultForecastAddress);
    endpoints.geocoding = address(geocoding, settings.geocodingAddress, kDefaultGeocodingAddress);
    endpoints.apiKey = settings.apiKey;
    endpoints.forecastFromEnvironment = !forecast.trimmed().isEmpty();
    endpoints.geocodingFromEnvironment = !geocoding.trimmed().isEmpty();
    return endpoints;
}

} // namespace orvane::weather
