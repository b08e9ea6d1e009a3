// The HTTP transport the weather client loads on its first request. It turns Qt Network's
// outcomes into the weather client's failures; reading the answers stays with the client.

#include "weather/http_transport.h"

#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>

#include <algorithm>
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
        // The answer is taken in as it arrives and counted here, whatever its headers say: a
        // server that streams without end, or announces one size and sends another, stops at
        // the limit, and Qt's own buffer never holds more than this much of it.
        reply->setReadBufferSize(kChunk);
        QObject::connect(reply, &QNetworkReply::metaDataChanged, &network_, [this] {
            const QVariant length = reply_->header(QNetworkRequest::ContentLengthHeader);
            if (length.isValid() && length.toLongLong() > orvane::weather::kMaxAnswerBytes)
                tooLarge(); // refused at its headers, before a byte of it is read
        });
        QObject::connect(reply, &QNetworkReply::readyRead, &network_, [this] { take(); });
        QObject::connect(reply, &QNetworkReply::finished, &network_, [this] { finish(); });
    }

    void cancel() override {
        done_ = nullptr;
        QByteArray().swap(body_); // what was read goes back to the system at once
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
    void take() {
        while (reply_ && reply_->bytesAvailable() > 0) {
            body_ += reply_->read(std::min<qint64>(reply_->bytesAvailable(), kChunk));
            if (body_.size() > orvane::weather::kMaxAnswerBytes)
                return tooLarge();
        }
    }

    void finish() {
        take();
        if (!reply_)
            return; // too large, and told so already
        QNetworkReply* reply = std::exchange(reply_, nullptr);
        reply->deleteLater();
        HttpAnswer answer;
        const QVariant status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute);
        answer.status = status.isValid() ? status.toInt() : 0;
        answer.phrase = reply->attribute(QNetworkRequest::HttpReasonPhraseAttribute).toString();
        answer.body = std::exchange(body_, QByteArray());
        if (reply->error() != QNetworkReply::NoError)
            answer.failure = networkFailure(*reply);
        std::exchange(done_, nullptr)(answer);
    }

    void tooLarge() {
        Done done = std::exchange(done_, nullptr);
        cancel();
        if (!done)
            return;
        done({0,
              {},
              {},
              Failure{FailureKind::BadData,
                      "The weather service's answer is over 16 MB: it cannot be a forecast."}});
    }

    static constexpr qint64 kChunk = 256 * 1024;

    QNetworkAccessManager network_;
    QNetworkReply* reply_ = nullptr;
    QByteArray body_;
    Done done_;
};

} // namespace

extern "C" Q_DECL_EXPORT orvane::weather::HttpTransport* orvane_create_http_transport_v1() {
    return new NetworkTransport;
}
