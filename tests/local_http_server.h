#pragma once

// A web server on 127.0.0.1 for the tests of the weather client and the planner: no test ever
// reaches the internet. It answers every request with one prepared answer, or never, or with a
// chunked answer that never ends (kEndless), and keeps the request lines.

#include <QHash>
#include <QTcpServer>
#include <QTcpSocket>
#include <QUrl>

namespace orvane::test {

inline QByteArray http(int status, const QByteArray& phrase, const QByteArray& body) {
    return "HTTP/1.1 " + QByteArray::number(status) + ' ' + phrase +
           "\r\nContent-Type: application/json\r\nContent-Length: " +
           QByteArray::number(body.size()) + "\r\nConnection: close\r\n\r\n" + body;
}

// The answer of a server that streams without end: chunks for as long as the client reads,
// up to a bound that only a client ignoring its own limit would reach.
inline const QByteArray kEndless = "endless";
inline constexpr qint64 kEndlessBound = qint64(256) << 20;

// Answers every request with `answer`, or never when it is empty, and keeps the request lines.
class LocalServer : public QObject {
public:
    QByteArray answer;
    QList<QByteArray> requests;
    qint64 streamed = 0; // bytes of body an endless answer has sent

    LocalServer() {
        server_.listen(QHostAddress::LocalHost);
        connect(&server_, &QTcpServer::newConnection, this, [this] {
            while (QTcpSocket* socket = server_.nextPendingConnection())
                connect(socket, &QTcpSocket::readyRead, this, [this, socket] {
                    QByteArray& got = received_[socket];
                    got += socket->readAll();
                    if (!got.contains("\r\n\r\n"))
                        return;
                    requests << got.left(got.indexOf("\r\n"));
                    got.clear();
                    if (answer == kEndless) {
                        socket->write("HTTP/1.1 200 OK\r\nContent-Type: application/json\r\n"
                                      "Transfer-Encoding: chunked\r\n\r\n");
                        stream(socket);
                        connect(socket, &QTcpSocket::bytesWritten, this,
                                [this, socket] { stream(socket); });
                    } else if (!answer.isEmpty()) {
                        socket->write(answer);
                        socket->disconnectFromHost();
                    }
                });
        });
    }
    QUrl url(const char* path) const {
        return QUrl(QStringLiteral("http://127.0.0.1:%1%2").arg(server_.serverPort()).arg(path));
    }

private:
    void stream(QTcpSocket* socket) {
        static const QByteArray chunk =
            QByteArray::number(64 * 1024, 16) + "\r\n" + QByteArray(64 * 1024, ' ') + "\r\n";
        while (socket->state() == QAbstractSocket::ConnectedState &&
               socket->bytesToWrite() < 1 << 20 && streamed < kEndlessBound) {
            socket->write(chunk);
            streamed += 64 * 1024;
        }
    }

    QTcpServer server_;
    QHash<QTcpSocket*, QByteArray> received_;
};

} // namespace orvane::test
