#pragma once

// Writes JSON objects whose members keep the order they are added in (QJsonObject sorts them),
// while every value is still escaped by Qt's JSON writer.

#include <QByteArray>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonValue>
#include <QString>

#include <string_view>

namespace orvane::json {

inline QByteArray value(const QJsonValue& v) {
    const QByteArray wrapped = QJsonDocument(QJsonArray{v}).toJson(QJsonDocument::Compact);
    return wrapped.mid(1, wrapped.size() - 2); // drop the array's brackets
}

inline QJsonValue text(std::string_view s) {
    return QString::fromUtf8(s.data(), static_cast<qsizetype>(s.size()));
}

class Object {
public:
    Object& add(std::string_view name, const QJsonValue& v) { return addRaw(name, value(v)); }
    Object& addRaw(std::string_view name, const QByteArray& encoded) {
        bytes_ += bytes_.isEmpty() ? '{' : ',';
        bytes_ += value(text(name));
        bytes_ += ':';
        bytes_ += encoded;
        return *this;
    }
    QByteArray finish() const { return bytes_.isEmpty() ? QByteArray("{}") : bytes_ + '}'; }

private:
    QByteArray bytes_;
};

} // namespace orvane::json
