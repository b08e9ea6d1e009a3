#pragma once

// The core speaks standard C++ (UTF-8 texts, instants in UTC seconds) so that the web edition can
// share it; the desktop holds texts and times in Qt's types. The conversions between the two
// live here, once.

#include "core/assessment.h"

#include <QDateTime>
#include <QString>

#include <string>
#include <string_view>

namespace orvane {

inline QString qs(std::string_view text) {
    return QString::fromUtf8(text.data(), qsizetype(text.size()));
}

inline std::string utf8(const QString& text) {
    return text.toStdString();
}

// When an assessment was made, as it read where it was made: in its zone when the zone is known
// and agrees with the offset stored, else at that offset.
QDateTime localTime(const AssessedAt& at);

// The instant, its offset, and the zone's IANA id (the system's for local time, "UTC" for UTC;
// none for a bare offset).
AssessedAt assessedAt(const QDateTime& time);

} // namespace orvane
