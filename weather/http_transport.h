#pragma once

// The one door to the network. Qt Network, and the Kerberos and proxy libraries it brings, live
// in a module of their own beside the program, loaded on the first request: most runs never plan
// an event day, and none should pay for the network at start-up.

#include "weather/failure.h"

#include <QByteArray>
#include <QString>
#include <QUrl>

#include <functional>
#include <memory>
#include <optional>
#include <variant>

namespace orvane::weather {

// What one GET brought back: an HTTP answer of any status, or the failure that stopped it first.
struct HttpAnswer {
    int status = 0; // 0 when no HTTP answer came
    QString phrase;
    QByteArray body;
    std::optional<Failure> failure;
};

// How messages name the server: its host, and its port where the address gives one.
inline QString HostAndPort(const QUrl& url) {
    return url.port() > 0 ? url.host() + ':' + QString::number(url.port()) : url.host();
}

// A sixteen-day forecast is some 40 kB; anything this large is not one, and must not fill memory.
inline constexpr qint64 kMaxAnswerBytes = 16 << 20;

class HttpTransport {
public:
    using Done = std::function<void(const HttpAnswer&)>;

    HttpTransport() = default;
    HttpTransport(const HttpTransport&) = delete;
    HttpTransport& operator=(const HttpTransport&) = delete;
    virtual ~HttpTransport() = default;

    // Starts a GET, dropping the one in flight. done follows once, from the event loop, unless
    // cancel() or another get() comes first.
    virtual void get(const QUrl& url, Done done) = 0;
    virtual void cancel() = 0;
};

// The module's one entry point. Its name carries the interface's version, so a module left over
// from another version of the program is refused rather than called with the wrong layout.
inline constexpr char kHttpTransportEntry[] = "orvane_create_http_transport_v1";
using HttpTransportFactory = HttpTransport* (*)();

// The transport from the module in `folder`, or a failure that names the file and what is wrong.
std::variant<std::unique_ptr<HttpTransport>, Failure> LoadHttpTransport(const QString& folder);

} // namespace orvane::weather
