#pragma once

// Asks Open-Meteo for a forecast or for places by name without blocking the window. One request
// at a time: a new one replaces the one in flight, whose answer then never arrives. Qt Network is
// set up only on the first request, so the program's start-up never pays for it.

#include "weather/open_meteo.h"
#include "weather/weather_settings.h"

#include <QObject>
#include <QTimer>

#include <chrono>

class QNetworkAccessManager;
class QNetworkReply;

namespace orvane::weather {

class WeatherClient : public QObject {
    Q_OBJECT

public:
    static constexpr std::chrono::milliseconds kDefaultTimeout{15000};

    explicit WeatherClient(Endpoints endpoints, QObject* parent = nullptr);
    ~WeatherClient() override;

    const Endpoints& endpoints() const { return endpoints_; }
    void setEndpoints(const Endpoints& endpoints); // from the next request on
    void setTimeout(std::chrono::milliseconds timeout);
    bool busy() const { return busy_; }

    // The forecast for the place's own dates first to last; forecastReady or failed follows.
    void fetchForecast(double latitude, double longitude, QDate first, QDate last);
    // Places matching a typed name; placesFound or failed follows.
    void searchPlaces(const QString& name);
    // Drops the request in flight; no signal follows for it.
    void cancel();

signals:
    void forecastReady(const orvane::weather::Forecast& forecast);
    void placesFound(const QList<orvane::weather::Place>& places);
    void failed(const orvane::weather::Failure& failure);

private:
    enum class Asking { Forecast, Places };

    void start(const QUrl& url, Asking asking);
    void refuse(const QString& message);
    void finish(QNetworkReply* reply);
    void timedOut();
    void conclude(const Failure& failure);
    void deliver(const QByteArray& body);
    void dropReply();

    Endpoints endpoints_;
    QNetworkAccessManager* network_ = nullptr;
    QNetworkReply* reply_ = nullptr;
    QTimer timer_;
    QTimer refusalTimer_; // tells refusal_ once the call that was refused has returned
    Failure refusal_;
    Asking asking_ = Asking::Forecast;
    bool busy_ = false;
};

} // namespace orvane::weather
