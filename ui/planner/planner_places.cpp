// The planner's place and date: the places offered (a search's matches, the examples, typed
// coordinates, the last place planned for), the date the forecast reaches from the place's own
// today, and what each change does to a forecast asked for or shown.

#include "ui/planner/frm_event_planner.h"

#include "settings/settings.h"
#include "ui/common/example_places.h"
#include "ui/common/number_field.h"
#include "weather/weather_client.h"

#include <QComboBox>
#include <QDateEdit>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include <algorithm>

namespace orvane::ui {
namespace {

// How far ahead Open-Meteo forecasts.
constexpr int kForecastDays = 15;

} // namespace

void frmEventPlanner::fillPlaces() {
    cboPlace_->addItem("Choose a place\u2026");
    for (const ExamplePlace& example : kExamplePlaces) {
        places_.push_back({QString::fromUtf8(example.name), example.latitude, example.longitude,
                           QString::fromUtf8(example.zone)});
        cboPlace_->addItem(places_.back().name);
    }
    places_.push_back({"Coordinates", 0, 0, {}});
    cboPlace_->addItem("Coordinates typed below");
}

QTimeZone frmEventPlanner::placeZone() const {
    const int index = cboPlace_->currentIndex();
    if (index >= 1 && index <= int(places_.size())) {
        const QByteArray id = places_[std::size_t(index - 1)].zone.toUtf8();
        if (!id.isEmpty() && QTimeZone::isTimeZoneIdAvailable(id))
            return QTimeZone(id);
    }
    return QTimeZone::systemTimeZone();
}

std::pair<QDate, QDate> frmEventPlanner::forecastDates() const {
    // The place's today, not the computer's: east of the place the computer is a day ahead.
    const QDate today = QDateTime::currentDateTimeUtc().toTimeZone(placeZone()).date();
    return {today, today.addDays(kForecastDays)};
}

void frmEventPlanner::placeChanged() {
    const int index = cboPlace_->currentIndex();
    const bool typed = index == int(places_.size()); // the last entry: coordinates typed
    {
        const QSignalBlocker a(latitude_), b(longitude_);
        if (index >= 1 && !typed) {
            latitude_->setValue(places_[std::size_t(index - 1)].latitude);
            longitude_->setValue(places_[std::size_t(index - 1)].longitude);
        } else if (index == 0) {
            latitude_->setNumber(std::nullopt);
            longitude_->setNumber(std::nullopt);
        }
    }
    if (index >= 1 && !typed)
        rememberPlace(); // typed coordinates are kept once a forecast comes for them
    const QString zone = index >= 1 && !typed ? places_[std::size_t(index - 1)].zone : QString();
    lblZone_->setText(zone.isEmpty()
                          ? QStringLiteral("local time")
                          : QStringLiteral("local time (%1)").arg(weather::Quoted(zone)));
    invalidate(index == 0 ? QStringLiteral("Choose a place, then \"Get Forecast\".")
                          : QStringLiteral("\"Get Forecast\" fetches the forecast for %1.")
                                .arg(cboPlace_->currentText()));
    // The place's own today may be later than the computer's: the date follows it.
    if (const QDate first = forecastDates().first; date_->date() < first) {
        const QSignalBlocker block(date_);
        date_->setDate(first);
    }
    dateChanged();
}

void frmEventPlanner::coordinatesTyped() {
    // Typing coordinates chooses them: the list follows what was typed.
    if (cboPlace_->currentIndex() != int(places_.size())) {
        const QSignalBlocker block(cboPlace_);
        cboPlace_->setCurrentIndex(int(places_.size()));
        lblZone_->setText(QStringLiteral("local time"));
    }
    invalidate(QStringLiteral("The place changed: \"Get Forecast\" fetches its forecast."));
}

void frmEventPlanner::dateChanged() {
    const auto [first, last] = forecastDates();
    const QDate date = date_->date();
    const bool reached = date >= first && date <= last;
    cmdGetForecast_->setEnabled(reached && !client_->busy());
    if (!reached) {
        invalidate(QStringLiteral("The forecast reaches from %1 to %2 (the place's own dates): "
                                  "choose a date in that range.")
                       .arg(first.toString(Qt::ISODate), last.toString(Qt::ISODate)));
        cmdGetForecast_->setEnabled(false);
    } else if (forecast_ || asked_) {
        invalidate(QStringLiteral("The date changed: \"Get Forecast\" fetches its forecast."));
    }
}

void frmEventPlanner::cmdSearch_Click() {
    const QString name = txtFind_->text().trimmed();
    if (name.size() < 2) {
        setProblem("Type at least two letters of the place's name.");
        return;
    }
    invalidate(QStringLiteral("Searching for \"%1\"\u2026").arg(weather::Quoted(name)));
    setBusy(true);
    client_->searchPlaces(name);
}

void frmEventPlanner::placesFound(const QList<weather::Place>& found) {
    setBusy(false);
    if (found.isEmpty()) {
        setProblem(QStringLiteral("No place called \"%1\" was found.")
                       .arg(weather::Quoted(txtFind_->text().trimmed())));
        return;
    }
    // The matches go first, before the examples, in the order the service ranks them, and in
    // place of the last search's.
    std::vector<PlaceChoice> matches;
    for (const weather::Place& p : found) {
        QStringList parts{p.name};
        if (!p.region.isEmpty() && p.region != p.name)
            parts << p.region;
        if (!p.country.isEmpty())
            parts << p.country;
        matches.push_back({weather::Quoted(parts.join(QStringLiteral(", ")), 80), p.latitude,
                           p.longitude, p.timeZone});
    }
    {
        const QSignalBlocker block(cboPlace_);
        for (; matches_ > 0; --matches_) {
            places_.erase(places_.begin());
            cboPlace_->removeItem(1);
        }
        places_.insert(places_.begin(), matches.begin(), matches.end());
        for (std::size_t i = 0; i < matches.size(); ++i)
            cboPlace_->insertItem(int(i) + 1, matches[i].name);
        matches_ = int(matches.size());
        cboPlace_->setCurrentIndex(1);
    }
    placeChanged();
    cboPlace_->setFocus();
}

frmEventPlanner::PlaceAndDate frmEventPlanner::placeAndDate() const {
    const int index = cboPlace_->currentIndex();
    if (index == 0)
        return {};
    return {index == int(places_.size()) ? forecastPlace_ : cboPlace_->currentText(),
            date_->date()};
}

// The place is kept between runs, as the estimator keeps its own: most events are at the same
// few venues. The date never is: it is a new day each time.
void frmEventPlanner::rememberPlace() {
    const int index = cboPlace_->currentIndex();
    if (index < 1)
        return;
    const bool typed = index == int(places_.size());
    settings::plannerPlace.set(typed ? QStringLiteral("Coordinates") : cboPlace_->currentText());
    settings::plannerLatitude.set(latitude_->value());
    settings::plannerLongitude.set(longitude_->value());
    settings::plannerZone.set(typed ? QString() : places_[std::size_t(index - 1)].zone);
}

void frmEventPlanner::restorePlace() {
    const QString name = settings::plannerPlace.value();
    if (name.isEmpty())
        return;
    const QSignalBlocker block(cboPlace_);
    if (name == QLatin1String("Coordinates")) {
        cboPlace_->setCurrentIndex(int(places_.size()));
        const QSignalBlocker a(latitude_), b(longitude_);
        latitude_->setValue(settings::plannerLatitude.value());
        longitude_->setValue(settings::plannerLongitude.value());
        return;
    }
    if (const int example = cboPlace_->findText(name); example >= 1) {
        cboPlace_->setCurrentIndex(example);
        return;
    }
    // A place found by a search in an earlier run comes back as that search's one match.
    places_.insert(places_.begin(),
                   {name, settings::plannerLatitude.value(), settings::plannerLongitude.value(),
                    settings::plannerZone.value()});
    cboPlace_->insertItem(1, name);
    matches_ = 1;
    cboPlace_->setCurrentIndex(1);
}

} // namespace orvane::ui
