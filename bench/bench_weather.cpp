// Peak memory of the weather client against a server that streams its answer without end,
// against the same client fetching a normal sixteen-day forecast, each in a fresh process: what
// the client reads is counted, so the endless answer may take no more than the normal one does
// (with half again for the allocator's slack) plus the 16 MB it stops at.
//
//   bench_weather            runs both, three times each, and prints the figures
//   bench_weather --client URL FIRST LAST
//                            the client alone: one request, then its peak RSS in kB and the
//                            outcome on stdout (run by the benchmark)

#include "weather/weather_client.h"

#include <QCoreApplication>
#include <QProcess>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTimeZone>

#include <sys/resource.h>

#include <algorithm>
#include <cstdio>
#include <cstring>

namespace {

using namespace orvane::weather;

constexpr int kDays = 16;
const QDate kFirst(2026, 7, 1);

// Sixteen days of hours, as the service sends them.
QByteArray normalForecast() {
    const qint64 start = QDateTime(kFirst, QTime(0, 0), QTimeZone::utc()).toSecsSinceEpoch();
    QStringList time, air, rh, wind, sun, pressure;
    for (int h = 0; h < kDays * 24; ++h) {
        time << QString::number(start + h * 3600);
        air << QString::number(25 + h % 24 * 0.5);
        rh << "50";
        wind << "3";
        sun << QString::number(h % 24 >= 6 && h % 24 <= 18 ? 600 : 0);
        pressure << "1010";
    }
    const QByteArray body =
        QStringLiteral(R"({"latitude":33.45,"longitude":-112.07,"timezone":"UTC",
        "hourly":{"time":[%1],"temperature_2m":[%2],"relative_humidity_2m":[%3],
        "wind_speed_10m":[%4],"shortwave_radiation_instant":[%5],"surface_pressure":[%6]}})")
            .arg(time.join(u','), air.join(u','), rh.join(u','), wind.join(u','), sun.join(u','),
                 pressure.join(u','))
            .toUtf8();
    return "HTTP/1.1 200 OK\r\nContent-Type: application/json\r\nContent-Length: " +
           QByteArray::number(body.size()) + "\r\nConnection: close\r\n\r\n" + body;
}

// Answers /normal with the forecast and anything else with chunks for as long as it is read.
class Server : public QObject {
public:
    Server() {
        server_.listen(QHostAddress::LocalHost);
        connect(&server_, &QTcpServer::newConnection, this, [this] {
            while (QTcpSocket* socket = server_.nextPendingConnection())
                connect(socket, &QTcpSocket::readyRead, this, [this, socket] {
                    const QByteArray request = socket->readAll();
                    if (request.contains("GET /normal")) {
                        socket->write(normal_);
                        socket->disconnectFromHost();
                        return;
                    }
                    socket->write("HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n");
                    stream(socket);
                    connect(socket, &QTcpSocket::bytesWritten, this,
                            [this, socket] { stream(socket); });
                });
        });
    }
    QString url(const char* path) const {
        return QStringLiteral("http://127.0.0.1:%1%2").arg(server_.serverPort()).arg(path);
    }

private:
    void stream(QTcpSocket* socket) {
        static const QByteArray chunk =
            QByteArray::number(64 * 1024, 16) + "\r\n" + QByteArray(64 * 1024, ' ') + "\r\n";
        while (socket->state() == QAbstractSocket::ConnectedState &&
               socket->bytesToWrite() < 1 << 20)
            socket->write(chunk);
    }

    QTcpServer server_;
    QByteArray normal_ = normalForecast();
};

int client(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    Endpoints endpoints;
    endpoints.forecast = QUrl(QString::fromLocal8Bit(argv[2]));
    WeatherClient client(endpoints);
    client.setTimeout(std::chrono::seconds(60));
    QString outcome;
    QObject::connect(&client, &WeatherClient::forecastReady, &app, [&](const Forecast& f) {
        outcome = QStringLiteral("%1 hours").arg(f.hours.size());
        app.quit();
    });
    QObject::connect(&client, &WeatherClient::failed, &app, [&](const Failure& f) {
        outcome = f.message;
        app.quit();
    });
    client.fetchForecast(33.45, -112.07, QDate::fromString(argv[3], Qt::ISODate),
                         QDate::fromString(argv[4], Qt::ISODate));
    app.exec();
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    std::printf("%ld %s\n", usage.ru_maxrss, qPrintable(outcome));
    return 0;
}

struct Run {
    long peakKb = 0;
    QString outcome;
};

Run measure(const QString& url) {
    QProcess child;
    child.start(QCoreApplication::applicationFilePath(),
                {"--client", url, kFirst.toString(Qt::ISODate),
                 kFirst.addDays(kDays - 1).toString(Qt::ISODate)});
    // The server lives in this process: its event loop must turn while the child asks.
    while (!child.waitForFinished(10))
        QCoreApplication::processEvents();
    const QString said = QString::fromUtf8(child.readAllStandardOutput()).trimmed();
    return {said.section(u' ', 0, 0).toLong(), said.section(u' ', 1)};
}

Run best(const QString& url) {
    Run kept{1L << 50, {}};
    for (int i = 0; i < 3; ++i) {
        const Run run = measure(url);
        if (run.peakKb < kept.peakKb)
            kept = run;
    }
    return kept;
}

} // namespace

int main(int argc, char** argv) {
    if (argc == 5 && std::strcmp(argv[1], "--client") == 0)
        return client(argc, argv);
    QCoreApplication app(argc, argv);
    Server server;
    const Run normal = best(server.url("/normal"));
    const Run endless = best(server.url("/endless"));
    const double bound = 1.5 * double(normal.peakKb) / 1024 + 16;
    std::printf("Weather client, peak resident memory (best of 3 fresh processes):\n"
                "  a %d-day forecast           %7.1f MB  (%s)\n"
                "  an answer without end       %7.1f MB  (%s)\n"
                "  ratio %.2f; bound 1.5 x the forecast + 16 MB = %.1f MB: %s\n",
                kDays, double(normal.peakKb) / 1024, qPrintable(normal.outcome),
                double(endless.peakKb) / 1024, qPrintable(endless.outcome),
                double(endless.peakKb) / double(std::max(1L, normal.peakKb)), bound,
                double(endless.peakKb) / 1024 <= bound ? "within" : "OVER");
    // The figures are for reading; the smoke run only asks that both ran to their end.
    return normal.outcome.endsWith(QLatin1String("hours")) &&
                   endless.outcome.contains(QLatin1String("over 16 MB"))
               ? 0
               : 1;
}
