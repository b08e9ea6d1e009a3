#include "coreqt/core_qt.h"

#include <QTimeZone>

namespace orvane {

QDateTime localTime(const AssessedAt& at) {
    if (!at.zone.empty()) {
        const QTimeZone zone(QByteArray::fromStdString(at.zone));
        if (zone.isValid()) {
            QDateTime inZone = QDateTime::fromSecsSinceEpoch(at.utcSeconds, zone);
            if (inZone.offsetFromUtc() == at.offsetSeconds)
                return inZone;
        }
    }
    return QDateTime::fromSecsSinceEpoch(at.utcSeconds, QTimeZone(at.offsetSeconds));
}

AssessedAt assessedAt(const QDateTime& time) {
    QByteArray zone;
    switch (time.timeSpec()) {
    case Qt::TimeZone: zone = time.timeZone().id(); break;
    case Qt::LocalTime: zone = QTimeZone::systemTimeZoneId(); break;
    case Qt::UTC: zone = "UTC"; break;
    case Qt::OffsetFromUTC: break;
    }
    return {time.toSecsSinceEpoch(), time.offsetFromUtc(), zone.toStdString()};
}

} // namespace orvane
