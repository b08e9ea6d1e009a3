#include "weather/http_transport.h"

#include <QDir>
#include <QLibrary>

namespace orvane::weather {

std::variant<std::unique_ptr<HttpTransport>, Failure> LoadHttpTransport(const QString& folder) {
    // Going out of scope does not unload the module: it stays for the rest of the run, as the
    // transports it makes need it to.
    QLibrary module(QDir(folder).filePath(QStringLiteral("orvane_http")));
    const auto create = reinterpret_cast<HttpTransportFactory>(module.resolve(kHttpTransportEntry));
    if (!create)
        return Failure{FailureKind::Unavailable,
                       QStringLiteral("The program's network module could not be loaded, so "
                                      "nothing can be fetched: %1. Reinstall the program.")
                           .arg(module.errorString())};
    return std::unique_ptr<HttpTransport>(create());
}

} // namespace orvane::weather
