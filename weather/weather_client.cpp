#include "weather/weather_client.h"

#include <QCoreApplication>

#include <cmath>
#include <utility>

namespace orvane::weather {
namespace {

bool isOpenMeteos(const QUrl& address) {
    const QString host = address.host().toLower();
    return host == QLatin1String("open-meteo.com") ||
           host.endsWith(QLatin1String(".open-meteo.com"));
}

// `service` names what was asked ("The weather service", "The place search"); `asked` is the
// address, whose host decides whether Open-Meteo's own terms are the reason.
Failure httpFailure(int status, const QString& phrase, const QString& reason,
                    const QString& service, const QUrl& asked) {
    const QString says = reason.isEmpty() ? QString() : " It says: " + Quoted(reason, 200);
    if (status == 429) {
        QString message = QStringLiteral("%1 at %2 has had too many requests from this computer "
                                         "(HTTP 429): try again later.")
                              .arg(service, HostAndPort(asked));
        if (isOpenMeteos(asked))
            message += QStringLiteral(" Open-Meteo's free service is for non-commercial use and "
                                      "allows only so many requests a minute, an hour and a day; "
                                      "a paid plan's address and API key lift the limit.");
        return {FailureKind::RateLimited, message + says};
    }
    QString message =
        QStringLiteral("%1 at %2 answered HTTP %3").arg(service, HostAndPort(asked)).arg(status);
    if (!phrase.isEmpty())
        message += " (" + Quoted(phrase, 60) + ')';
    message += reason.isEmpty() ? QStringLiteral(".") : ": " + Quoted(reason, 200);
    return {FailureKind::HttpError, message};
}

} // namespace

WeatherClient::WeatherClient(Endpoints endpoints, QObject* parent)
    : QObject(parent), endpoints_(std::move(endpoints)),
      moduleFolder_(QCoreApplication::applicationDirPath() + QStringLiteral("/modules")) {
    timer_.setSingleShot(true);
    timer_.setInterval(kDefaultTimeout);
    connect(&timer_, &QTimer::timeout, this, &WeatherClient::timedOut);
    refusalTimer_.setSingleShot(true);
    refusalTimer_.setInterval(0);
    connect(&refusalTimer_, &QTimer::timeout, this, [this] { conclude(refusal_); });
}

WeatherClient::~WeatherClient() = default;

void WeatherClient::setEndpoints(const Endpoints& endpoints) {
    endpoints_ = endpoints;
}

void WeatherClient::setTimeout(std::chrono::milliseconds timeout) {
    timer_.setInterval(timeout);
}

void WeatherClient::fetchForecast(double latitude, double longitude, QDate first, QDate last) {
    if (!(std::abs(latitude) <= 90 && std::abs(longitude) <= 180))
        return refuse("The place's latitude must be -90 to 90 degrees, its longitude -180 to 180.");
    if (!first.isValid() || !last.isValid() || last < first)
        return refuse("The forecast's last day must be its first day or later.");
    if (const QString problem = AddressProblem(endpoints_.forecast); !problem.isEmpty())
        return refuse(QStringLiteral("The forecast address \"%1\" %2.")
                          .arg(endpoints_.forecast.toDisplayString(), problem));
    first_ = first;
    last_ = last;
    start(ForecastUrl(endpoints_.forecast, endpoints_.apiKey, latitude, longitude, first, last),
          Asking::Forecast);
}

void WeatherClient::searchPlaces(const QString& name) {
    const QString typed = name.simplified();
    if (typed.isEmpty())
        return refuse("Type the name of a place to search for.");
    if (const QString problem = AddressProblem(endpoints_.geocoding); !problem.isEmpty())
        return refuse(QStringLiteral("The place search address \"%1\" %2.")
                          .arg(endpoints_.geocoding.toDisplayString(), problem));
    start(PlaceSearchUrl(endpoints_.geocoding, endpoints_.apiKey, typed), Asking::Places);
}

void WeatherClient::cancel() {
    timer_.stop();
    refusalTimer_.stop();
    if (transport_)
        transport_->cancel();
    busy_ = false;
}

// Told after the call returns, like every other outcome, so the caller sees one order of events.
void WeatherClient::refuse(const QString& message, FailureKind kind) {
    cancel();
    refusal_ = {kind, message};
    busy_ = true;
    refusalTimer_.start();
}

void WeatherClient::start(const QUrl& url, Asking asking) {
    cancel();
    if (!transport_) {
        auto loaded = LoadHttpTransport(moduleFolder_);
        if (auto* failure = std::get_if<Failure>(&loaded))
            return refuse(failure->message, failure->kind);
        transport_ = std::move(std::get<std::unique_ptr<HttpTransport>>(loaded));
    }
    asking_ = asking;
    asked_ = url;
    busy_ = true;
    transport_->get(url, [this](const HttpAnswer& answer) { finish(answer); });
    timer_.start();
}

void WeatherClient::finish(const HttpAnswer& answer) {
    if (answer.status != 0 && (answer.status < 200 || answer.status > 299))
        return conclude(httpFailure(answer.status, answer.phrase, ServiceReason(answer.body),
                                    asking_ == Asking::Forecast
                                        ? QStringLiteral("The weather service")
                                        : QStringLiteral("The place search"),
                                    asked_));
    if (answer.failure)
        return conclude(*answer.failure);
    deliver(answer.body);
}

void WeatherClient::timedOut() {
    if (transport_)
        transport_->cancel();
    conclude({FailureKind::Timeout,
              QStringLiteral("No answer from %1 within %2 s. The service may be busy or the "
                             "network slow: try again.")
                  .arg(HostAndPort(asked_))
                  .arg(timer_.interval() / 1000.0)});
}

void WeatherClient::deliver(const QByteArray& body) {
    timer_.stop();
    busy_ = false;
    if (asking_ == Asking::Forecast) {
        auto parsed = ParseForecast(body);
        if (auto* forecast = std::get_if<Forecast>(&parsed)) {
            // Hours of other days would be drawn and judged as this day's.
            if (const QString outside = HoursOutside(*forecast, first_, last_); !outside.isEmpty())
                emit failed({FailureKind::BadData, outside});
            else
                emit forecastReady(*forecast);
        } else {
            emit failed(std::get<Failure>(parsed));
        }
    } else {
        auto parsed = ParsePlaces(body);
        if (auto* places = std::get_if<QList<Place>>(&parsed))
            emit placesFound(*places);
        else
            emit failed(std::get<Failure>(parsed));
    }
}

void WeatherClient::conclude(const Failure& failure) {
    timer_.stop();
    busy_ = false;
    emit failed(failure);
}

} // namespace orvane::weather
