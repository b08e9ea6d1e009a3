// The HTTP transport the weather client loads on its first request. It turns Qt Network's
// outcomes into the weather client's failures; reading the answers stays with the client.

#include "weather/http_transport.h"

#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>

#include <utility>

namespace {

using orvane::weather::Failure;
using orvane::weather::FailureKind;
using orvane::weather::HostAndPort;
using orvane::weather::HttpAnswer;

Failure networkFailure(const QNetworkReply& reply) {
    const QString where = HostAndPort(reply.url());
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

class NetworkTransport final : public orvane::weather::HttpTransport {
public:
    NetworkTransport() = default;
    NetworkTransport(const NetworkTransport&) = delete;
    NetworkTransport& operator=(const NetworkTransport&) = delete;
    ~NetworkTransport() override { cancel(); }

    void get(const QUrl& url, Done done) override {
        cancel();
        done_ = std::move(done);
        QNetworkReply* reply = network_.get(QNetworkRequest(url));
        reply_ = reply;
        QObject::connect(reply, &QNetworkReply::finished, &network_, [this] { finish(); });
        QObject::connect(reply, &QNetworkReply::downloadProgress, &network_,
                         [this](qint64 received, qint64) {
                             if (received > orvane::weather::kMaxAnswerBytes)
                                 tooLarge();
                         });
    }

    void cancel() override {
        done_ = nullptr;
        QNetworkReply* reply = std::exchange(reply_, nullptr);
        if (!reply)
            return;
        reply->disconnect(&network_);
        reply->abort();
        reply->deleteLater();
    }

private:
    // Only the reply in flight reaches here: a dropped one is disconnected first. The caller is
    // told last, as it may start the next request from its handler.
    void finish() {
        QNetworkReply* reply = std::exchange(reply_, nullptr);
        reply->deleteLater();
        HttpAnswer answer;
        const QVariant status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute);
        answer.status = status.isValid() ? status.toInt() : 0;
        answer.phrase = reply->attribute(QNetworkRequest::HttpReasonPhraseAttribute).toString();
        answer.body = reply->readAll();
        if (reply->error() != QNetworkReply::NoError)
            answer.failure = networkFailure(*reply);
        std::exchange(done_, nullptr)(answer);
    }

    void tooLarge() {
        Done done = std::exchange(done_, nullptr);
        cancel();
        done({0,
              {},
              {},
              Failure{FailureKind::BadData,
                      "The weather service's answer is over 16 MB: it cannot be a forecast."}});
    }

    QNetworkAccessManager network_;
    QNetworkReply* reply_ = nullptr;
    Done done_;
};

} // namespace

extern "C" Q_DECL_EXPORT orvane::weather::HttpTransport* orvane_create_http_transport_v1() {
    return new NetworkTransport;
}
