#include "weather/open_meteo.h"

#include <QDateTime>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <cmath>
#include <optional>

namespace orvane::weather {
namespace {

Failure badData(const QString& message) {
    return {FailureKind::BadData, message};
}

// The body as a JSON object, or why it is none, Open-Meteo's own error body included.
std::variant<QJsonObject, Failure> readObject(const QByteArray& body) {
    QJsonParseError error{};
    const QJsonDocument document = QJsonDocument::fromJson(body, &error);
    if (error.error != QJsonParseError::NoError)
        return Failure{FailureKind::NotJson,
                       QStringLiteral("The weather service's answer is not JSON (%1 at byte %2).")
                           .arg(error.errorString())
                           .arg(error.offset)};
    if (!document.isObject())
        return badData("The weather service's answer is JSON, but not an object.");
    const QJsonObject object = document.object();
    if (object.value("error").toBool()) {
        const QString reason = object.value("reason").toString();
        return Failure{FailureKind::ServiceError,
                       reason.isEmpty() ? "The weather service refused the request, giving no "
                                          "reason."
                                        : "The weather service refused the request: " + reason};
    }
    return object;
}

std::optional<double> coordinate(const QJsonObject& object, const char* name, double limit) {
    const QJsonValue value = object.value(name);
    if (!value.isDouble() || std::abs(value.toDouble()) > limit)
        return std::nullopt;
    return value.toDouble();
}

// The units each series is read in, first as the window names it; Open-Meteo writes W/m² and
// hPa both ways.
const std::pair<const char*, QStringList> kHourlyUnits[] = {
    {"temperature_2m", {QStringLiteral("\u00b0C")}},
    {"relative_humidity_2m", {QStringLiteral("%")}},
    {"wind_speed_10m", {QStringLiteral("m/s")}},
    {"shortwave_radiation_instant", {QStringLiteral("W/m\u00b2"), QStringLiteral("W/m2")}},
    {"surface_pressure", {QStringLiteral("hPa")}},
};

// Whole seconds only, within what a 64-bit count holds.
std::optional<std::int64_t> unixSeconds(const QJsonValue& value) {
    constexpr double kLimit = 1e18;
    const double seconds = value.toDouble(std::nan(""));
    if (!value.isDouble() || std::floor(seconds) != seconds || std::abs(seconds) > kLimit)
        return std::nullopt;
    return static_cast<std::int64_t>(seconds);
}

} // namespace

std::variant<Forecast, Failure> ParseForecast(const QByteArray& body) {
    auto read = readObject(body);
    if (const auto* failure = std::get_if<Failure>(&read))
        return *failure;
    const QJsonObject object = std::get<QJsonObject>(std::move(read));

    Forecast forecast;
    const auto latitude = coordinate(object, "latitude", 90);
    const auto longitude = coordinate(object, "longitude", 180);
    if (!latitude || !longitude)
        return badData("The forecast gives no latitude and longitude of its place.");
    forecast.latitude = *latitude;
    forecast.longitude = *longitude;
    forecast.timeZone = object.value("timezone").toString();
    if (forecast.timeZone.isEmpty())
        return badData("The forecast names no time zone (the request asks for timezone=auto).");

    const QJsonValue hourly = object.value("hourly");
    if (!hourly.isObject())
        return badData("The forecast has no hourly values.");
    const QJsonObject series = hourly.toObject();
    // Every series must come in the unit the plan reads it in: a wind in km/h read as m/s
    // would be a gale, a humidity as a fraction a desert. A unit left out is taken as asked.
    const QJsonObject units = object.value("hourly_units").toObject();
    for (const auto& [name, accepted] : kHourlyUnits) {
        const QJsonValue value = units.value(name);
        if (value.isUndefined())
            continue;
        const QString given = value.toString();
        if (!accepted.contains(given))
            return badData(QStringLiteral("The forecast gives %1 in \"%2\", not %3.")
                               .arg(name, Quoted(given, 20), accepted.first()));
    }

    const QJsonValue timeValue = series.value("time");
    if (!timeValue.isArray())
        return badData("The forecast's hourly values have no times.");
    const QJsonArray times = timeValue.toArray();
    if (times.isEmpty())
        return badData("The forecast holds no hours.");
    forecast.hours.resize(std::size_t(times.size()));
    for (qsizetype i = 0; i < times.size(); ++i) {
        const auto seconds = unixSeconds(times[i]);
        if (!seconds)
            return badData(QStringLiteral("Time %1 of the forecast is not in Unix seconds (the "
                                          "request asks for timeformat=unixtime).")
                               .arg(i + 1));
        if (!CivilUtc(*seconds))
            return badData(
                QStringLiteral("Time %1 of the forecast lies outside the years 1 to 9999.")
                    .arg(i + 1));
        if (i > 0 && *seconds <= forecast.hours[std::size_t(i - 1)].utcSeconds)
            return badData(QStringLiteral("The forecast's times go back at time %1.").arg(i + 1));
        forecast.hours[std::size_t(i)].utcSeconds = *seconds;
    }

    std::optional<double> ForecastHour::*const members[] = {
        &ForecastHour::airC, &ForecastHour::relativeHumidity, &ForecastHour::wind10mMs,
        &ForecastHour::solarWm2, &ForecastHour::pressureHpa};
    static_assert(std::size(members) == std::size(kHourlySeries));
    for (std::size_t s = 0; s < std::size(kHourlySeries); ++s) {
        const char* name = kHourlySeries[s];
        const QJsonValue value = series.value(name);
        if (!value.isArray())
            return badData(QStringLiteral("The forecast has no %1 series.").arg(name));
        const QJsonArray values = value.toArray();
        if (values.size() != times.size())
            return badData(QStringLiteral("The forecast's series differ in length: %1 times, "
                                          "but %2 values of %3.")
                               .arg(times.size())
                               .arg(values.size())
                               .arg(name));
        for (qsizetype i = 0; i < values.size(); ++i) {
            const QJsonValue v = values[i];
            if (v.isDouble())
                forecast.hours[std::size_t(i)].*members[s] = v.toDouble();
            else if (!v.isNull())
                return badData(QStringLiteral("Value %1 of %2 in the forecast is not a number.")
                                   .arg(i + 1)
                                   .arg(name));
        }
    }
    return forecast;
}

QString HoursOutside(const Forecast& forecast, QDate first, QDate last) {
    bool known = false;
    const QTimeZone zone = ForecastZone(forecast, &known);
    // Where the zone is not known the place's day may lie up to 14 hours either side of UTC's.
    const qint64 slack = known ? 0 : 14 * 3600;
    const qint64 from = QDateTime(first, QTime(0, 0), zone).toSecsSinceEpoch() - slack;
    const qint64 to = QDateTime(last.addDays(1), QTime(0, 0), zone).toSecsSinceEpoch() + slack;
    for (std::size_t i = 0; i < forecast.hours.size(); ++i) {
        const qint64 t = forecast.hours[i].utcSeconds;
        if (t < from || t >= to)
            return QStringLiteral("Time %1 of the forecast lies outside %2, the day asked for: "
                                  "the forecast was not used.")
                .arg(i + 1)
                .arg(first == last ? first.toString(Qt::ISODate)
                                   : first.toString(Qt::ISODate) + QStringLiteral(" to ") +
                                         last.toString(Qt::ISODate));
    }
    return {};
}

QTimeZone ForecastZone(const Forecast& forecast, bool* known) {
    // Only an id the system lists: QTimeZone would take any text of the right shape as a
    // zone of its own making.
    const QByteArray id = forecast.timeZone.toUtf8();
    const bool available = id.size() <= 64 && QTimeZone::isTimeZoneIdAvailable(id);
    if (known)
        *known = available;
    return available ? QTimeZone(id) : QTimeZone::utc();
}

void SetLocalClocks(Forecast& forecast, const QTimeZone& zone) {
    for (ForecastHour& hour : forecast.hours) {
        const QDateTime local = QDateTime::fromSecsSinceEpoch(hour.utcSeconds, zone);
        hour.localMinutes = local.time().hour() * 60 + local.time().minute();
        hour.daylightSaving = zone.isDaylightTime(local);
    }
}

QString Quoted(const QString& text, int length) {
    const QString simple = text.simplified();
    return simple.size() <= length ? simple : simple.left(length - 1) + QChar(u'\u2026');
}

std::variant<QList<Place>, Failure> ParsePlaces(const QByteArray& body) {
    auto read = readObject(body);
    if (const auto* failure = std::get_if<Failure>(&read))
        return *failure;
    const QJsonObject object = std::get<QJsonObject>(std::move(read));
    if (!object.contains("results"))
        return QList<Place>();
    const QJsonValue results = object.value("results");
    if (!results.isArray())
        return badData("The place search's results are not a list.");
    QList<Place> places;
    const QJsonArray entries = results.toArray();
    for (const auto& entry : entries) {
        const QJsonObject p = entry.toObject();
        const auto latitude = coordinate(p, "latitude", 90);
        const auto longitude = coordinate(p, "longitude", 180);
        const QString name = p.value("name").toString();
        if (name.isEmpty() || !latitude || !longitude)
            return badData(QStringLiteral("Result %1 of the place search has no name, latitude "
                                          "and longitude.")
                               .arg(places.size() + 1));
        places.append({name, p.value("admin1").toString(), p.value("country").toString(), *latitude,
                       *longitude, p.value("timezone").toString()});
    }
    return places;
}

QString ServiceReason(const QByteArray& body) {
    const QJsonObject object = QJsonDocument::fromJson(body).object();
    return object.value("error").toBool() ? object.value("reason").toString() : QString();
}

QString AddressProblem(const QUrl& base) {
    if (!base.isValid() || base.isEmpty())
        return "is not a web address";
    const QString scheme = base.scheme().toLower();
    if (scheme != "https" && scheme != "http")
        return "must start with https:// or http://";
    if (base.host().isEmpty())
        return "names no host";
    const QString host = base.host().toLower();
    if (scheme == "http" && (host == "open-meteo.com" || host.endsWith(".open-meteo.com")))
        return "must use https:// for Open-Meteo's own servers";
    return {};
}

bool IsUnencrypted(const QUrl& address) {
    return address.scheme().compare("http", Qt::CaseInsensitive) == 0;
}

namespace {

// Every value percent-encoded but for commas, so a '+' or '&' in a place name reaches the server
// as typed.
QUrl withQuery(QUrl base, const QList<std::pair<QString, QString>>& items, const QString& apiKey) {
    QByteArray query = base.query(QUrl::FullyEncoded).toLatin1();
    auto add = [&](const QString& key, const QString& value) {
        if (!query.isEmpty())
            query += '&';
        query += QUrl::toPercentEncoding(key) + '=' + QUrl::toPercentEncoding(value, ",");
    };
    for (const auto& [key, value] : items)
        add(key, value);
    if (!apiKey.isEmpty())
        add("apikey", apiKey);
    base.setQuery(QString::fromLatin1(query), QUrl::StrictMode);
    return base;
}

} // namespace

QUrl ForecastUrl(const QUrl& base, const QString& apiKey, double latitude, double longitude,
                 QDate first, QDate last) {
    QStringList series;
    for (const char* name : kHourlySeries)
        series << name;
    return withQuery(base,
                     {{"latitude", QString::number(latitude, 'f', 4)},
                      {"longitude", QString::number(longitude, 'f', 4)},
                      {"hourly", series.join(',')},
                      {"wind_speed_unit", "ms"},
                      {"timeformat", "unixtime"},
                      {"timezone", "auto"},
                      {"start_date", first.toString(Qt::ISODate)},
                      {"end_date", last.toString(Qt::ISODate)}},
                     apiKey);
}

QUrl PlaceSearchUrl(const QUrl& base, const QString& apiKey, const QString& name) {
    return withQuery(
        base, {{"name", name}, {"count", "10"}, {"language", "en"}, {"format", "json"}}, apiKey);
}

} // namespace orvane::weather
