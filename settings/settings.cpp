#include "settings/settings.h"

#include <QVariant>

namespace orvane::settings {
namespace {

template <class T> T from(const QVariant& stored, const T& fallback, bool* ok);

template <> QString from(const QVariant& stored, const QString& fallback, bool* ok) {
    *ok = stored.canConvert<QString>();
    return *ok ? stored.toString().trimmed() : fallback;
}
template <> qint64 from(const QVariant& stored, const qint64& fallback, bool* ok) {
    const qint64 value = stored.toLongLong(ok);
    return *ok ? value : fallback;
}
template <> double from(const QVariant& stored, const double& fallback, bool* ok) {
    const double value = stored.toDouble(ok);
    return *ok ? value : fallback;
}
template <> QTime from(const QVariant& stored, const QTime& fallback, bool* ok) {
    const QTime value = QTime::fromString(stored.toString(), QStringLiteral("HH:mm"));
    *ok = value.isValid();
    return *ok ? value : fallback;
}

QVariant to(const QString& value) {
    return value.trimmed();
}
QVariant to(qint64 value) {
    return value;
}
QVariant to(double value) {
    return value;
}
QVariant to(const QTime& value) {
    return value.toString(QStringLiteral("HH:mm"));
}

bool empty(const QString& value) {
    return value.trimmed().isEmpty();
}
template <class T> bool empty(const T&) {
    return false;
}

} // namespace

QSettings programStore() {
    return QSettings(QStringLiteral("Solvane"), QStringLiteral("OrvaneCalculatorF"));
}

template <class T> T Setting<T>::value(const QSettings& store) const {
    const QVariant stored = store.value(QLatin1String(key_));
    bool ok = false;
    const T read = stored.isValid() ? from<T>(stored, default_, &ok) : default_;
    return ok ? read : default_;
}

template <class T> T Setting<T>::value() const {
    return value(programStore());
}

template <class T> void Setting<T>::set(QSettings& store, const T& value) const {
    if (empty(value))
        store.remove(QLatin1String(key_));
    else
        store.setValue(QLatin1String(key_), to(value));
}

template <class T> void Setting<T>::set(const T& value) const {
    QSettings store = programStore();
    set(store, value);
}

template <class T> void Setting<T>::clear() const {
    programStore().remove(QLatin1String(key_));
}

template class Setting<QString>;
template class Setting<qint64>;
template class Setting<double>;
template class Setting<QTime>;

const Setting<QString> forecastUrl{"weather/forecastUrl", {}};
const Setting<QString> geocodingUrl{"weather/geocodingUrl", {}};
const Setting<QString> apiKey{"weather/apiKey", {}};
const Setting<QString> eventLogFile{"eventlog/file", {}};
const Setting<qint64> eventId{"eventlog/event", 0};
const Setting<QString> estimatorPlace{"estimator/place", {}};
const Setting<QString> plannerPlace{"planner/place", {}};
const Setting<double> plannerLatitude{"planner/latitude", 0};
const Setting<double> plannerLongitude{"planner/longitude", 0};
const Setting<QString> plannerZone{"planner/zone", {}};
const Setting<QTime> plannerStart{"planner/start", QTime(9, 0)};
const Setting<QTime> plannerEnd{"planner/end", QTime(12, 0)};

} // namespace orvane::settings
