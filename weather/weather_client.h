#pragma once

// Asks Open-Meteo for a forecast or for places by name without blocking the window. One request
// at a time: a new one replaces the one in flight, whose answer then never arrives. The network
// module is loaded only on the first request, so the program's start-up never pays for it.

#include "weather/http_transport.h"
#include "weather/open_meteo.h"
#include "weather/weather_settings.h"

#include <QObject>
#include <QTimer>

#include <chrono>
#include <memory>

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
    // Where the network module is looked for: modules/ in the program's folder unless told
    // otherwise.
    void setModuleFolder(const QString& folder) { moduleFolder_ = folder; }

signals:
    void forecastReady(const orvane::weather::Forecast& forecast);
    void placesFound(const QList<orvane::weather::Place>& places);
    void failed(const orvane::weather::Failure& failure);

private:
    enum class Asking { Forecast, Places };

    void start(const QUrl& url, Asking asking);
    void refuse(const QString& message, FailureKind kind = FailureKind::InvalidRequest);
    void finish(const HttpAnswer& answer);
    void timedOut();
    void conclude(const Failure& failure);
    void deliver(const QByteArray& body);

    Endpoints endpoints_;
    QString moduleFolder_;
    std::unique_ptr<HttpTransport> transport_;
    QUrl asked_;         // the request in flight, for the messages that name it
    QDate first_, last_; // the days the forecast in flight was asked for
    QTimer timer_;
    QTimer refusalTimer_; // tells refusal_ once the call that was refused has returned
    Failure refusal_;
    Asking asking_ = Asking::Forecast;
    bool busy_ = false;
};

} // namespace orvane::weather
