#include "weather/weather_settings.h"

#include <QSettings>

namespace orvane::weather {
namespace {

constexpr char kForecastKey[] = "weather/forecastUrl";
constexpr char kGeocodingKey[] = "weather/geocodingUrl";
constexpr char kApiKeyKey[] = "weather/apiKey";

void store(QSettings& settings, const char* key, const QString& value) {
    if (value.trimmed().isEmpty())
        settings.remove(key);
    else
        settings.setValue(key, value.trimmed());
}

// The first of the environment, the setting and the default that is not empty.
QUrl address(const QString& fromEnvironment, const QString& setting, const char* fallback) {
    const QString chosen = !fromEnvironment.trimmed().isEmpty() ? fromEnvironment
                           : !setting.trimmed().isEmpty()       ? setting
                                                                : QString::fromLatin1(fallback);
    return QUrl(chosen.trimmed());
}

} // namespace

WeatherSettings WeatherSettings::read(const QSettings& settings) {
    return {settings.value(kForecastKey).toString().trimmed(),
            settings.value(kGeocodingKey).toString().trimmed(),
            settings.value(kApiKeyKey).toString().trimmed()};
}

void WeatherSettings::write(QSettings& settings) const {
    store(settings, kForecastKey, forecastAddress);
    store(settings, kGeocodingKey, geocodingAddress);
    store(settings, kApiKeyKey, apiKey);
}

Endpoints CurrentEndpoints() {
    const QSettings settings(kSettingsOrganization, kSettingsApplication);
    return ResolveEndpoints(WeatherSettings::read(settings));
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
