// Open-Meteo's answers read, the addresses asked, and the client against a local HTTP server on
// 127.0.0.1 that the test runs itself: no test reaches the internet.

#include "tests/local_http_server.h"
#include "weather/weather_client.h"

#include <QNetworkProxy>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>

using namespace orvane::weather;
using orvane::test::http;
using orvane::test::kEndless;
using orvane::test::LocalServer;

namespace {

// Berlin in July, two hours, with a UTC offset that is not the summer one: times never use it.
const QByteArray kForecast = R"({"latitude":52.52,"longitude":13.419998,
  "utc_offset_seconds":3600,"timezone":"Europe/Berlin",
  "hourly_units":{"time":"unixtime","temperature_2m":"°C","wind_speed_10m":"m/s"},
  "hourly":{"time":[1689379200,1689382800],"temperature_2m":[18.5,null],
    "relative_humidity_2m":[80,82],"wind_speed_10m":[2.1,0],
    "shortwave_radiation_instant":[0,0.0],"surface_pressure":[1005.2,1005]}})";

QByteArray with(QByteArray text, const char* from, const char* to) {
    return text.replace(from, to);
}

QString describe(const Forecast& f) {
    QString text = QStringLiteral("%1 %2 %3").arg(f.latitude).arg(f.longitude).arg(f.timeZone);
    for (const auto& h : f.hours) {
        text += QStringLiteral(" | %1").arg(h.utcSeconds);
        for (const auto& v : {h.airC, h.relativeHumidity, h.wind10mMs, h.solarWm2, h.pressureHpa})
            text += v ? ' ' + QString::number(*v) : QStringLiteral(" -");
    }
    return text;
}

QString describe(const Failure& f) {
    const char* kinds[] = {"InvalidRequest",   "NoNetwork",    "ConnectionRefused", "HostNotFound",
                           "ConnectionFailed", "Timeout",      "RateLimited",       "HttpError",
                           "NotJson",          "ServiceError", "BadData",           "Unavailable"};
    return QStringLiteral("%1: %2").arg(kinds[int(f.kind)], f.message);
}

// Every signal the client gives, in order.
struct Recorder {
    QStringList log;
    explicit Recorder(WeatherClient& client) {
        QObject::connect(&client, &WeatherClient::forecastReady, &client,
                         [this](const Forecast& f) { log << describe(f); });
        QObject::connect(
            &client, &WeatherClient::placesFound, &client,
            [this](const QList<Place>& p) { log << QString::number(p.size()) + " places"; });
        QObject::connect(&client, &WeatherClient::failed, &client,
                         [this](const Failure& f) { log << describe(f); });
    }
};

} // namespace

class TestWeather : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { QNetworkProxy::setApplicationProxy(QNetworkProxy::NoProxy); }

    void parseForecast_data() {
        QTest::addColumn<QByteArray>("body");
        QTest::addColumn<QString>("expected");
        const auto bad = [](FailureKind kind, const char* message) {
            return describe(Failure{kind, message});
        };
        QTest::newRow("UTC times, nulls kept, zeros kept")
            << kForecast
            << "52.52 13.42 Europe/Berlin | 1689379200 18.5 80 2.1 0 1005.2 | 1689382800 - 82 0 0 "
               "1005";
        QTest::newRow("times as text")
            << with(kForecast, "[1689379200,1689382800]",
                    R"(["2023-07-15T02:00","2023-07-15T03:00"])")
            << bad(FailureKind::BadData, "Time 1 of the forecast is not in Unix seconds (the "
                                         "request asks for timeformat=unixtime).");
        QTest::newRow("times going back")
            << with(kForecast, "[1689379200,1689382800]", "[1689379200,1689379200]")
            << bad(FailureKind::BadData, "The forecast's times go back at time 2.");
        QTest::newRow("unequal series")
            << with(kForecast, "[1005.2,1005]", "[1005.2]")
            << bad(FailureKind::BadData, "The forecast's series differ in length: 2 times, but 1 "
                                         "values of surface_pressure.");
        QTest::newRow("missing series")
            << with(kForecast, "relative_humidity_2m", "humidity")
            << bad(FailureKind::BadData, "The forecast has no relative_humidity_2m series.");
        QTest::newRow("no hourly values")
            << with(kForecast, "\"hourly\"", "\"daily\"")
            << bad(FailureKind::BadData, "The forecast has no hourly values.");
        QTest::newRow("text for a number")
            << with(kForecast, "[80,82]", R"([80,"82"])")
            << bad(FailureKind::BadData,
                   "Value 2 of relative_humidity_2m in the forecast is not a number.");
        QTest::newRow("wind in km/h")
            << with(kForecast, "\"m/s\"", "\"km/h\"")
            << bad(FailureKind::BadData, "The forecast gives wind_speed_10m in \"km/h\", not m/s.");
        // Read as percent and W/m², a fraction and kW/m² are a desert without sun.
        QTest::newRow("humidity as a fraction")
            << with(kForecast, "\"m/s\"", "\"m/s\",\"relative_humidity_2m\":\"fraction\"")
            << bad(FailureKind::BadData,
                   "The forecast gives relative_humidity_2m in \"fraction\", not %.");
        QTest::newRow("radiation in kW/m²")
            << with(kForecast, "\"m/s\"", "\"m/s\",\"shortwave_radiation_instant\":\"kW/m²\"")
            << bad(FailureKind::BadData, "The forecast gives shortwave_radiation_instant in "
                                         "\"kW/m²\", not W/m².");
        QTest::newRow("error body")
            << QByteArray(R"({"error":true,"reason":"Parameter 'start_date' is out of range"})")
            << bad(FailureKind::ServiceError,
                   "The weather service refused the request: Parameter 'start_date' is out of "
                   "range");
        QTest::newRow("not JSON") << QByteArray("<html>Bad gateway</html>")
                                  << bad(FailureKind::NotJson, "The weather service's answer is "
                                                               "not JSON (illegal value at byte "
                                                               "1).");
    }
    void parseForecast() {
        QFETCH(QByteArray, body);
        QFETCH(QString, expected);
        const auto parsed = ParseForecast(body);
        const auto* forecast = std::get_if<Forecast>(&parsed);
        QCOMPARE(forecast ? describe(*forecast) : describe(std::get<Failure>(parsed)), expected);
    }

    void parsePlaces_data() {
        QTest::addColumn<QByteArray>("body");
        QTest::addColumn<QString>("expected");
        // A full answer is read by tst_planner's search; here, only a name and coordinates of 0.
        QTest::newRow("only what is needed")
            << QByteArray(R"({"results":[{"name":"Nowhere","latitude":0,"longitude":0}]})")
            << "Nowhere, , , 0 0 ";
        QTest::newRow("no match") << QByteArray(R"({"generationtime_ms":0.3})") << "";
        QTest::newRow("no coordinates")
            << QByteArray(R"({"results":[{"name":"Atlantis"}]})")
            << describe(Failure{FailureKind::BadData,
                                "Result 1 of the place search has no name, latitude and "
                                "longitude."});
    }
    void parsePlaces() {
        QFETCH(QByteArray, body);
        QFETCH(QString, expected);
        const auto parsed = ParsePlaces(body);
        QStringList places;
        if (const auto* list = std::get_if<QList<Place>>(&parsed))
            for (const Place& p : *list)
                places << QStringList{p.name, p.region, p.country}.join(", ") +
                              QStringLiteral(", %1 %2 %3")
                                  .arg(p.latitude)
                                  .arg(p.longitude)
                                  .arg(p.timeZone);
        else
            places << describe(std::get<Failure>(parsed));
        QCOMPARE(places.join(" | "), expected);
    }

    // The environment over the settings over Open-Meteo's own addresses; blanks count as unset.
    void endpoints() {
        QTemporaryDir dir;
        QSettings settings(dir.filePath("settings.ini"), QSettings::IniFormat);
        WeatherSettings{" http://127.0.0.1:8080/v1/forecast ", "", "k+y"}.write(settings);
        QVERIFY(!settings.contains("weather/geocodingUrl"));
        QProcessEnvironment environment;
        environment.insert(kGeocodingUrlVariable, " ");
        Endpoints e = ResolveEndpoints(WeatherSettings::read(settings), environment);
        QCOMPARE(e.forecast.toString(), "http://127.0.0.1:8080/v1/forecast");
        QCOMPARE(e.geocoding.toString(), kDefaultGeocodingAddress);
        QVERIFY(IsUnencrypted(e.forecast) && !e.forecastFromEnvironment);
        environment.insert(kForecastUrlVariable, "https://example.org/v1/forecast");
        e = ResolveEndpoints(WeatherSettings::read(settings), environment);
        QCOMPARE(e.forecast.toString(), "https://example.org/v1/forecast");
        QVERIFY(!IsUnencrypted(e.forecast) && e.forecastFromEnvironment);
        // What a person types reaches the server as typed; the key goes with every request.
        const QUrl url = PlaceSearchUrl(e.geocoding, e.apiKey, "A+B & C");
        QCOMPARE(url.query(QUrl::FullyEncoded),
                 "name=A%2BB%20%26%20C&count=10&language=en&format=json&apikey=k%2By");
        QCOMPARE(AddressProblem(QUrl("http://api.open-meteo.com/v1/forecast")),
                 "must use https:// for Open-Meteo's own servers");
        QCOMPARE(AddressProblem(QUrl("ftp://example.org/")), "must start with https:// or http://");
    }

    // The message each failure begins with.
    void network_data() {
        QTest::addColumn<QByteArray>("answer"); // "refused": nothing listens
        QTest::addColumn<QString>("expected");
        QTest::newRow("forecast") << http(200, "OK", kForecast)
                                  << describe(std::get<Forecast>(ParseForecast(kForecast)));
        QTest::newRow("HTTP 400 with a reason")
            << http(400, "Bad Request", R"({"error":true,"reason":"Latitude must be -90 to 90"})")
            << "HttpError: The weather service at HOST answered HTTP 400 (Bad Request): Latitude "
               "must be -90 to 90";
        QTest::newRow("HTTP 500 without one")
            << http(500, "Internal Server Error", "oops")
            << "HttpError: The weather service at HOST answered HTTP 500 (Internal Server Error).";
        // A server of one's own is not Open-Meteo's free service, and is not blamed as one.
        QTest::newRow("rate limit")
            << http(429, "Too Many Requests", R"({"error":true,"reason":"Minutely limit"})")
            << "RateLimited: The weather service at HOST has had too many requests from this "
               "computer (HTTP 429): try again later. It says: Minutely limit";
        QTest::newRow("hours of another day")
            << http(200, "OK",
                    with(kForecast, "[1689379200,1689382800]", "[1689379200,1689638400]"))
            << "BadData: Time 2 of the forecast lies outside 2023-07-15 to 2023-07-16";
        QTest::newRow("announces more than the limit")
            << QByteArray("HTTP/1.1 200 OK\r\nContent-Length: 20000000\r\n\r\n{}")
            << "BadData: The weather service's answer is over 16 MB";
        QTest::newRow("streams without end") << kEndless
                                             << "BadData: The weather service's answer is over "
                                                "16 MB";
        QTest::newRow("never answers")
            << QByteArray() << "Timeout: No answer from HOST within 0.3 s.";
        QTest::newRow("connection refused")
            << QByteArray("refused") << "ConnectionRefused: HOST refused the connection";
    }
    void network() {
        QFETCH(QByteArray, answer);
        QFETCH(QString, expected);
        LocalServer server;
        server.answer = answer;
        Endpoints endpoints;
        endpoints.forecast = server.url("/v1/forecast");
        if (answer == "refused") {
            QTcpServer closed;
            QVERIFY(closed.listen(QHostAddress::LocalHost));
            endpoints.forecast.setPort(closed.serverPort()); // closed when this scope ends
        }
        WeatherClient client(endpoints);
        // Long enough for 16 MB to arrive on a busy machine: the limit, not the clock, must stop
        // an endless answer.
        client.setTimeout(std::chrono::milliseconds(answer == kEndless ? 20000 : 300));
        Recorder recorder(client);
        client.fetchForecast(52.52, 13.4, QDate(2023, 7, 15), QDate(2023, 7, 16));
        QVERIFY(client.busy());
        QTRY_VERIFY_WITH_TIMEOUT(!client.busy(), 30000);
        QCOMPARE(recorder.log.size(), 1);
        const QString host = "127.0.0.1:" + QString::number(endpoints.forecast.port());
        QVERIFY2(recorder.log[0].startsWith(QString(expected).replace("HOST", host)),
                 qPrintable(recorder.log[0]));
        if (answer == kEndless) // stopped at the limit, long before the server's own bound
            QVERIFY2(server.streamed < 64 << 20, qPrintable(QString::number(server.streamed)));
        if (answer != "refused")
            QCOMPARE(server.requests,
                     QList<QByteArray>{
                         "GET /v1/forecast?latitude=52.5200&longitude=13.4000&hourly=temperature_"
                         "2m,relative_humidity_2m,wind_speed_10m,shortwave_radiation_instant,"
                         "surface_pressure&wind_speed_unit=ms&timeformat=unixtime&timezone=auto&"
                         "start_date=2023-07-15&end_date=2023-07-16 HTTP/1.1"});
    }

    // A cancelled request and one replaced by another say nothing, not even when their time is up.
    // A failed search says it was the place search that failed, at which server.
    void placeSearchFailure() {
        LocalServer server;
        server.answer = http(500, "Internal Server Error", "oops");
        Endpoints endpoints;
        endpoints.geocoding = server.url("/v1/search");
        WeatherClient client(endpoints);
        Recorder recorder(client);
        client.searchPlaces("Adelaide");
        QTRY_VERIFY_WITH_TIMEOUT(!client.busy(), 5000);
        QCOMPARE(recorder.log.size(), 1);
        QCOMPARE(recorder.log[0], "HttpError: The place search at 127.0.0.1:" +
                                      QString::number(endpoints.geocoding.port()) +
                                      " answered HTTP 500 (Internal Server Error).");
    }

    void cancelAndReplace() {
        LocalServer silent, answering;
        answering.answer = http(200, "OK", R"({"results":[]})");
        Endpoints endpoints;
        endpoints.forecast = silent.url("/v1/forecast");
        endpoints.geocoding = answering.url("/v1/search");
        WeatherClient client(endpoints);
        client.setTimeout(std::chrono::milliseconds(200));
        Recorder recorder(client);
        client.fetchForecast(0, 0, QDate(2023, 7, 15), QDate(2023, 7, 15));
        QTRY_COMPARE(silent.requests.size(), 1);
        client.cancel();
        QVERIFY(!client.busy());
        client.fetchForecast(0, 0, QDate(2023, 7, 15), QDate(2023, 7, 15));
        QTRY_COMPARE(silent.requests.size(), 2);
        client.searchPlaces("  Springfield ");
        QTest::qWait(400);
        QCOMPARE(recorder.log, QStringList{"0 places"});
        // A request that cannot be made is refused after the call, and a new one drops it.
        client.fetchForecast(0, 0, QDate(2023, 7, 16), QDate(2023, 7, 15));
        QVERIFY(client.busy() && recorder.log.size() == 1);
        QTRY_COMPARE(recorder.log.last(),
                     "InvalidRequest: The forecast's last day must be its first day or later.");
        client.searchPlaces(" ");
        client.cancel();
        QTest::qWait(50);
        QCOMPARE(recorder.log.size(), 2);
    }

    // A missing or damaged network module is a message, and a later request tries again.
    void withoutTheNetworkModule() {
        LocalServer server;
        server.answer = http(200, "OK", R"({"results":[]})");
        Endpoints endpoints;
        endpoints.geocoding = server.url("/v1/search");
        QTemporaryDir folder;
        WeatherClient client(endpoints);
        client.setModuleFolder(folder.path());
        Recorder recorder(client);
        client.searchPlaces("Springfield");
        QFile damaged(folder.filePath("liborvane_http.so"));
        QVERIFY(damaged.open(QIODevice::WriteOnly) && damaged.write("not a library") > 0);
        damaged.close();
        QTRY_COMPARE(recorder.log.size(), 1);
        client.searchPlaces("Springfield");
        QTRY_COMPARE(recorder.log.size(), 2);
        for (const QString& said : recorder.log)
            QVERIFY2(said.startsWith("Unavailable: The program's network module could not be "
                                     "loaded, so nothing can be fetched: ") &&
                         said.endsWith(". Reinstall the program."),
                     qPrintable(said));
        QVERIFY(server.requests.isEmpty());
        client.setModuleFolder(QCoreApplication::applicationDirPath() + "/modules");
        client.searchPlaces("Springfield");
        QTRY_COMPARE(recorder.log.size(), 3);
        QCOMPARE(recorder.log.last(), "0 places");
    }
};

QTEST_GUILESS_MAIN(TestWeather)
#include "tst_weather.moc"
