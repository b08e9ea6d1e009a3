#include "weather/weather_client.h"

#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>

#include <cmath>
#include <utility>

namespace orvane::weather {
namespace {

// A sixteen-day forecast is some 40 kB; anything this large is not one, and must not fill memory.
constexpr qint64 kMaxBodyBytes = 16 << 20;

QString placeOf(const QUrl& url) {
    return url.port() > 0 ? url.host() + ':' + QString::number(url.port()) : url.host();
}

Failure networkFailure(const QNetworkReply& reply) {
    const QString where = placeOf(reply.url());
    switch (reply.error()) {
    case QNetworkReply::ConnectionRefusedError:
        return {FailureKind::ConnectionRefused,
                QStringLiteral("%1 refused the connection: no weather service listens there. "
                               "Check the address, or whether that server is running.")
                    .arg(where)};
    case QNetworkReply::HostNotFoundError:
        return {FailureKind::HostNotFound,
                QStringLiteral("The host name %1 does not resolve: check the address, and "
                               "whether this computer is online.")
                    .arg(reply.url().host())};
    case QNetworkReply::NetworkSessionFailedError:
    case QNetworkReply::TemporaryNetworkFailureError:
    case QNetworkReply::UnknownNetworkError:
        return {FailureKind::NoNetwork,
                QStringLiteral("No network: this computer could not reach %1 (%2).")
                    .arg(where, reply.errorString())};
    default:
        return {FailureKind::ConnectionFailed,
                QStringLiteral("The connection to %1 failed: %2.").arg(where, reply.errorString())};
    }
}

Failure httpFailure(int status, const QString& phrase, const QString& reason) {
    const QString says = reason.isEmpty() ? QString() : " It says: " + reason;
    if (status == 429)
        return {FailureKind::RateLimited,
                "The weather service has had too many requests from this computer (HTTP 429). "
                "Open-Meteo's free service is for non-commercial use and allows only so many "
                "requests a minute, an hour and a day: try again later, or set the address of a "
                "paid plan and its API key." +
                    says};
    QString message = QStringLiteral("The weather service answered HTTP %1").arg(status);
    if (!phrase.isEmpty())
        message += " (" + phrase + ')';
    message += reason.isEmpty() ? QStringLiteral(".") : ": " + reason;
    return {FailureKind::HttpError, message};
}

} // namespace

WeatherClient::WeatherClient(Endpoints endpoints, QObject* parent)
    : QObject(parent), endpoints_(std::move(endpoints)) {
    timer_.setSingleShot(true);
    timer_.setInterval(kDefaultTimeout);
    connect(&timer_, &QTimer::timeout, this, &WeatherClient::timedOut);
    refusalTimer_.setSingleShot(true);
    refusalTimer_.setInterval(0);
    connect(&refusalTimer_, &QTimer::timeout, this, [this] { conclude(refusal_); });
}

WeatherClient::~WeatherClient() {
    dropReply();
}

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
    dropReply();
    busy_ = false;
}

// Told after the call returns, like every other outcome, so the caller sees one order of events.
void WeatherClient::refuse(const QString& message) {
    cancel();
    refusal_ = {FailureKind::InvalidRequest, message};
    busy_ = true;
    refusalTimer_.start();
}

void WeatherClient::start(const QUrl& url, Asking asking) {
    cancel();
    if (!network_)
        network_ = new QNetworkAccessManager(this);
    asking_ = asking;
    busy_ = true;
    QNetworkReply* reply = network_->get(QNetworkRequest(url));
    reply_ = reply;
    connect(reply, &QNetworkReply::finished, this, [this, reply] { finish(reply); });
    connect(reply, &QNetworkReply::downloadProgress, this, [this](qint64 received, qint64) {
        if (received <= kMaxBodyBytes)
            return;
        dropReply();
        conclude({FailureKind::BadData,
                  "The weather service's answer is over 16 MB: it cannot be a forecast."});
    });
    timer_.start();
}

// Only the reply in flight reaches here: a dropped one is disconnected first.
void WeatherClient::finish(QNetworkReply* reply) {
    reply_ = nullptr;
    reply->deleteLater();
    const QVariant status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute);
    const int code = status.isValid() ? status.toInt() : 0;
    if (code != 0 && (code < 200 || code > 299))
        return conclude(httpFailure(
            code, reply->attribute(QNetworkRequest::HttpReasonPhraseAttribute).toString(),
            ServiceReason(reply->readAll())));
    if (reply->error() != QNetworkReply::NoError)
        return conclude(networkFailure(*reply));
    deliver(reply->readAll());
}

void WeatherClient::timedOut() {
    if (!reply_)
        return;
    const QString where = placeOf(reply_->url());
    dropReply();
    conclude({FailureKind::Timeout,
              QStringLiteral("No answer from %1 within %2 s. The service may be busy or the "
                             "network slow: try again.")
                  .arg(where)
                  .arg(timer_.interval() / 1000.0)});
}

void WeatherClient::deliver(const QByteArray& body) {
    timer_.stop();
    busy_ = false;
    if (asking_ == Asking::Forecast) {
        auto parsed = ParseForecast(body);
        if (auto* forecast = std::get_if<Forecast>(&parsed))
            emit forecastReady(*forecast);
        else
            emit failed(std::get<Failure>(parsed));
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

void WeatherClient::dropReply() {
    QNetworkReply* reply = std::exchange(reply_, nullptr);
    if (!reply)
        return;
    reply->disconnect(this);
    reply->abort();
    reply->deleteLater();
}

} // namespace orvane::weather
