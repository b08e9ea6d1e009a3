#include "ui/planner/frm_event_planner.h"

#include "core/catalogue.h"
#include "core/wbgt_table.h"
#include "coreqt/core_qt.h"
#include "settings/settings.h"
#include "ui/charts/band_chart.h"
#include "ui/charts/band_colors.h"
#include "ui/common/example_places.h"
#include "ui/common/number_field.h"
#include "ui/common/numbers.h"
#include "ui/planner/weather_service_dialog.h"
#include "weather/weather_client.h"
#include "weather/weather_settings.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QScrollBar>
#include <QSplitter>
#include <QTableWidget>
#include <QTextDocument>
#include <QTimeEdit>
#include <QVBoxLayout>

#include <cmath>

namespace orvane::ui {
namespace {

// How far ahead Open-Meteo forecasts.
constexpr int kForecastDays = 15;

// A label whose shortcut key moves to the field beside it.
QLabel* buddyLabel(const QString& text, QWidget* field) {
    auto* label = new QLabel(text);
    label->setBuddy(field);
    return label;
}

// A label for sentences, some of whose words come from a server: never read as markup, and
// wrapped to the window rather than widening it.
QLabel* sentenceLabel(const char* name) {
    auto* label = new QLabel;
    label->setObjectName(name);
    label->setTextFormat(Qt::PlainText);
    label->setWordWrap(true);
    label->setTextInteractionFlags(Qt::TextSelectableByMouse);
    return label;
}

} // namespace

frmEventPlanner::frmEventPlanner(QWidget* owner, bool wbgtLocked, const PointsTexts& answers)
    : ToolWindow(owner), locked_(wbgtLocked) {
    setObjectName("frmEventPlanner");
    setWindowTitle("Plan the Event Day");
    client_ = new weather::WeatherClient(weather::CurrentEndpoints(), this);
    connect(client_, &weather::WeatherClient::placesFound, this, &frmEventPlanner::placesFound);
    connect(client_, &weather::WeatherClient::forecastReady, this, &frmEventPlanner::showForecast);
    connect(client_, &weather::WeatherClient::failed, this, &frmEventPlanner::failed);
    buildWindow();
    setAnswers(answers);
    restorePlace();
    placeChanged();
    updateNotice();
}

frmEventPlanner::~frmEventPlanner() = default;

QWidget* frmEventPlanner::buildPlaceAndDay() {
    // The fields without a frame round them: at a large font every line counts.
    auto* where = new QWidget;
    where->setObjectName("placeAndDay");
    auto* box = new QVBoxLayout(where);
    box->setContentsMargins(0, 0, 0, 0);
    auto* form = new QFormLayout;
    box->addLayout(form);
    txtFind_ = new QLineEdit;
    txtFind_->setObjectName("txtFind");
    txtFind_->setAccessibleName("Place name to search for");
    txtFind_->setPlaceholderText("a town or venue, e.g. Adelaide");
    cmdSearch_ = new QPushButton("&Search");
    cmdSearch_->setObjectName("cmdSearch");
    cboPlace_ = new QComboBox;
    cboPlace_->setObjectName("cboPlace");
    cboPlace_->setAccessibleName("Place");
    cboPlace_->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    cboPlace_->setMinimumContentsLength(16);
    auto* find = new QHBoxLayout;
    find->addWidget(txtFind_, 2);
    find->addWidget(cmdSearch_);
    find->addWidget(buddyLabel("&Place:", cboPlace_));
    find->addWidget(cboPlace_, 3);
    form->addRow(buddyLabel("&Find a place:", txtFind_), find);
    latitude_ = new NumberField("Latitude in degrees, north positive", 4, QString("\u00b0"));
    longitude_ = new NumberField("Longitude in degrees, east positive", 4, QString("\u00b0"));
    lblZone_ = new QLabel;
    lblZone_->setObjectName("lblZone");
    lblZone_->setTextFormat(Qt::PlainText);
    auto* coordinates = new QHBoxLayout;
    coordinates->addWidget(buddyLabel("La&titude (north +):", latitude_));
    coordinates->addWidget(latitude_);
    coordinates->addWidget(buddyLabel("Lo&ngitude (east +):", longitude_));
    coordinates->addWidget(longitude_);
    coordinates->addStretch();
    form->addRow("Coordinates:", coordinates);

    // Any date can be typed, one part at a time; a date the forecast does not reach is told,
    // never silently refused.
    date_ = new QDateEdit(QDate::currentDate());
    date_->setObjectName("dtDate");
    date_->setAccessibleName("Date of the event");
    date_->setCalendarPopup(true);
    date_->setDisplayFormat("yyyy-MM-dd (ddd)");
    start_ = new QTimeEdit(settings::plannerStart.value());
    start_->setObjectName("tmStart");
    start_->setAccessibleName("Local start time of the event");
    start_->setDisplayFormat("HH:mm");
    end_ = new QTimeEdit(settings::plannerEnd.value());
    end_->setObjectName("tmEnd");
    end_->setAccessibleName("Local end time of the event");
    end_->setDisplayFormat("HH:mm");
    cboTerrain_ = new QComboBox;
    cboTerrain_->setObjectName("cboTerrain");
    cboTerrain_->setAccessibleName("Surroundings, for the wind near the ground");
    cboTerrain_->addItems({"Open country (rural)", "Town or city (urban)"});
    auto* day = new QHBoxLayout;
    day->addWidget(date_);
    day->addWidget(buddyLabel("f&rom", start_));
    day->addWidget(start_);
    day->addWidget(buddyLabel("t&o", end_));
    day->addWidget(end_);
    day->addWidget(lblZone_, 1);
    form->addRow(buddyLabel("&Date:", date_), day);

    cmdGetForecast_ = new QPushButton("&Get Forecast");
    cmdGetForecast_->setObjectName("cmdGetForecast");
    cmdCancel_ = new QPushButton("Cancel");
    cmdCancel_->setObjectName("cmdCancel");
    cmdCancel_->setEnabled(false);
    progress_ = new QProgressBar;
    progress_->setObjectName("progress");
    progress_->setRange(0, 0);
    progress_->setTextVisible(false);
    progress_->setMaximumWidth(fontMetrics().horizontalAdvance(u'0') * 12);
    progress_->setVisible(false);
    progress_->setAccessibleName("Fetching the forecast");
    auto* service = new QPushButton("Weather Ser&vice\u2026");
    service->setObjectName("cmdWeatherService");
    auto* fetch = new QHBoxLayout;
    fetch->addWidget(cboTerrain_);
    fetch->addWidget(cmdGetForecast_);
    fetch->addWidget(cmdCancel_);
    fetch->addWidget(progress_);
    fetch->addStretch();
    fetch->addWidget(service);
    form->addRow(buddyLabel("Surround&ings:", cboTerrain_), fetch);
    lblNotice_ = sentenceLabel("lblNotice");
    // Below the form, not in it: a form's row gives a wrapped sentence the height of one line.
    box->addWidget(lblNotice_);
    connect(service, &QPushButton::clicked, this, &frmEventPlanner::cmdWeatherService_Click);
    return where;
}

void frmEventPlanner::buildWindow() {
    QWidget* where = buildPlaceAndDay();
    lblProblem_ = sentenceLabel("lblProblem");
    lblProblem_->setStyleSheet("color: #b00000;");
    lblProblem_->setAccessibleName("Problem");
    chart_ = new BandChart;
    chart_->setObjectName("chtForecast");
    chart_->setAccessibleName("WBGT over the day, with question 1's options behind it");
    chart_->setMinimumHeight(chart_->minimumSizeHint().height()); // the splitter keeps it
    table_ = new QTableWidget(0, int(hourHeader().size()));
    table_->setObjectName("tblHours");
    table_->setAccessibleName("The forecast hour by hour");
    table_->setHorizontalHeaderLabels(hourHeader());
    table_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table_->setSelectionBehavior(QAbstractItemView::SelectRows);
    table_->setSelectionMode(QAbstractItemView::SingleSelection);
    table_->setTabKeyNavigation(false); // Tab leaves the table for the buttons
    table_->verticalHeader()->hide();
    table_->horizontalHeader()->setStretchLastSection(true);
    // The header and some rows stay in view whatever the font: the table never shrinks below.
    table_->setMinimumHeight(table_->horizontalHeader()->sizeHint().height() +
                             table_->verticalHeader()->defaultSectionSize() * 3 +
                             table_->horizontalScrollBar()->sizeHint().height() +
                             2 * table_->frameWidth());
    lblGaps_ = sentenceLabel("lblGaps");
    lblEvent_ = sentenceLabel("lblEvent");
    lblEvent_->setAccessibleName("The event");
    lblCoolest_ = sentenceLabel("lblCoolest");
    lblCoolest_->setAccessibleName("Coolest start");
    chkAnyHour_ = new QCheckBox("&Any hour, day or night");
    chkAnyHour_->setObjectName("chkAnyHour");
    chkAnyHour_->setToolTip("The coolest start looks from first light to sunset unless this is "
                            "ticked.");
    auto* coolest = new QHBoxLayout;
    coolest->addWidget(lblCoolest_, 1);
    coolest->addWidget(chkAnyHour_, 0, Qt::AlignTop);
    lblAnswers_ = sentenceLabel("lblAnswers");
    lblAnswers_->setVisible(false);

    cmdUseHour_ = new QPushButton("&Use This Hour in Question 1");
    cmdUseHour_->setObjectName("cmdUseHour");
    lblLock_ = sentenceLabel("lblLock");
    cmdSavePlan_ = new QPushButton("Save P&lan as PDF\u2026");
    cmdSavePlan_->setObjectName("cmdSavePlan");
    cmdCopyAsText_ = new QPushButton("&Copy as Text");
    cmdCopyAsText_->setObjectName("cmdCopyAsText");
    auto* close = new QPushButton("Close");
    close->setObjectName("cmdClose");
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(cmdUseHour_);
    buttons->addWidget(lblLock_, 1);
    buttons->addWidget(cmdSavePlan_);
    buttons->addWidget(cmdCopyAsText_);
    buttons->addWidget(close);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(where);
    layout->addWidget(lblProblem_);
    auto* split = new QSplitter(Qt::Vertical);
    split->setObjectName("splitDay");
    split->setChildrenCollapsible(false);
    split->addWidget(chart_);
    split->addWidget(table_);
    split->setStretchFactor(0, 1);
    split->setStretchFactor(1, 1);
    layout->addWidget(split, 1);
    layout->addWidget(lblGaps_);
    layout->addWidget(lblEvent_);
    layout->addLayout(coolest);
    layout->addWidget(lblAnswers_);
    layout->addLayout(buttons);
    // As large as the content asks in the window's font, within a 1024x768 screen.
    resize(sizeHint().expandedTo(QSize(960, 700)).boundedTo(QSize(1000, 740)));

    fillPlaces();
    connect(cmdSearch_, &QPushButton::clicked, this, &frmEventPlanner::cmdSearch_Click);
    connect(txtFind_, &QLineEdit::returnPressed, this, &frmEventPlanner::cmdSearch_Click);
    connect(cboPlace_, &QComboBox::currentIndexChanged, this, &frmEventPlanner::placeChanged);
    for (NumberField* field : {latitude_, longitude_})
        connect(field, &NumberField::edited, this, &frmEventPlanner::coordinatesTyped);
    connect(date_, &QDateEdit::dateChanged, this, &frmEventPlanner::dateChanged);
    for (QTimeEdit* time : {start_, end_})
        connect(time, &QTimeEdit::timeChanged, this, [this] {
            settings::plannerStart.set(start_->time());
            settings::plannerEnd.set(end_->time());
            showPlan();
        });
    connect(chkAnyHour_, &QCheckBox::toggled, this, &frmEventPlanner::showPlan);
    connect(cboTerrain_, &QComboBox::currentIndexChanged, this, &frmEventPlanner::replan);
    connect(cmdGetForecast_, &QPushButton::clicked, this, &frmEventPlanner::cmdGetForecast_Click);
    connect(cmdCancel_, &QPushButton::clicked, this, &frmEventPlanner::cmdCancel_Click);
    connect(table_, &QTableWidget::itemSelectionChanged, this, &frmEventPlanner::updateUseButton);
    connect(cmdUseHour_, &QPushButton::clicked, this, &frmEventPlanner::cmdUseHour_Click);
    connect(cmdSavePlan_, &QPushButton::clicked, this, &frmEventPlanner::cmdSavePlan_Click);
    connect(cmdCopyAsText_, &QPushButton::clicked, this, &frmEventPlanner::cmdCopyAsText_Click);
    connect(close, &QPushButton::clicked, this, &QWidget::close);
    txtFind_->setFocus();
}

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

void frmEventPlanner::updateNotice() {
    const weather::Endpoints& e = client_->endpoints();
    QString notice = QStringLiteral(
        "Only the coordinates and the date go to Open-Meteo (a name typed, to find a place), "
        "with your network address; its free service is for non-commercial use.");
    if (weather::IsUnencrypted(e.forecast) || weather::IsUnencrypted(e.geocoding))
        notice += QStringLiteral(" The weather service set here is reached unencrypted (http).");
    lblNotice_->setText(notice);
}

void frmEventPlanner::setProblem(const QString& text) {
    lblProblem_->setText(text);
    lblProblem_->setVisible(!text.isEmpty()); // no empty line between the fields and the day
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

void frmEventPlanner::invalidate(const QString& why) {
    if (asked_) {
        client_->cancel(); // its answer would be for another place or day
        asked_.reset();
        setBusy(false);
    }
    clearPlan(why);
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

std::optional<frmEventPlanner::Request> frmEventPlanner::fieldsRequest() const {
    const std::optional<double> lat = latitude_->number(), lon = longitude_->number();
    if (cboPlace_->currentIndex() == 0 || !lat || !lon)
        return std::nullopt;
    return Request{*lat, *lon, date_->date()};
}

void frmEventPlanner::cmdGetForecast_Click() {
    const auto request = fieldsRequest();
    if (!request) {
        setProblem("Choose a place, or type its latitude and longitude.");
        return;
    }
    if (std::abs(request->latitude) > 90 || std::abs(request->longitude) > 180) {
        setProblem("The latitude must be -90 to 90 and the longitude -180 to 180.");
        return;
    }
    const auto [first, last] = forecastDates();
    if (request->date < first || request->date > last)
        return dateChanged();
    clearPlan(QString());
    setProblem(QStringLiteral("Fetching the forecast\u2026"));
    forecastPlace_ =
        cboPlace_->currentIndex() == int(places_.size())
            ? QStringLiteral("%1\u00b0, %2\u00b0")
                  .arg(localNumber(request->latitude, 4), localNumber(request->longitude, 4))
            : cboPlace_->currentText();
    asked_ = request;
    setBusy(true);
    // The dates are the place's own: the service reads them in its local time zone.
    client_->fetchForecast(request->latitude, request->longitude, request->date, request->date);
}

void frmEventPlanner::cmdCancel_Click() {
    client_->cancel();
    asked_.reset();
    setBusy(false);
    setProblem("Cancelled.");
}

void frmEventPlanner::setBusy(bool busy) {
    const auto [first, last] = forecastDates();
    const bool fetchable = date_->date() >= first && date_->date() <= last;
    // The focus moves before the button that holds it is turned off: left to itself it would
    // pass along to a button where Enter does something else, such as "Close".
    if (busy) {
        cmdCancel_->setEnabled(true);
        cmdCancel_->setFocus();
    } else if (cmdCancel_->hasFocus()) {
        (fetchable ? static_cast<QWidget*>(cmdGetForecast_) : txtFind_)->setFocus();
    }
    progress_->setVisible(busy);
    cmdCancel_->setEnabled(busy);
    cmdSearch_->setEnabled(!busy);
    cmdGetForecast_->setEnabled(!busy && fetchable);
}

void frmEventPlanner::failed(const weather::Failure& failure) {
    const bool fetching = asked_.has_value();
    if (fetching)
        cmdGetForecast_->setEnabled(true); // the focus goes back to it, to try again
    asked_.reset();
    setBusy(false);
    clearPlan(QString());
    setProblem(failure.message);
}

void frmEventPlanner::showForecast(const weather::Forecast& forecast) {
    // Shown only under the fields it was asked for: compared, not trusted to a flag.
    const auto request = fieldsRequest();
    if (!asked_ || !request || !(*asked_ == *request)) {
        asked_.reset();
        setBusy(false);
        clearPlan(QStringLiteral("The forecast that came was for another place or date than the "
                                 "one now set: \"Get Forecast\" fetches this one."));
        return;
    }
    asked_.reset();
    setBusy(false);
    setProblem(QString());
    forecast_ = forecast;
    fetchedAt_ = QDateTime::currentDateTime();
    // Local times through the named zone, which knows each daylight-saving change; a single
    // offset would be wrong on the far side of one.
    bool known = false;
    zone_ = weather::ForecastZone(forecast, &known);
    if (!known)
        setProblem(QStringLiteral("This system does not know the time zone \"%1\" of the "
                                  "forecast: times are shown in UTC.")
                       .arg(weather::Quoted(forecast.timeZone)));
    weather::SetLocalClocks(*forecast_, zone_);
    lblZone_->setText(QStringLiteral("local time (%1)").arg(QString::fromUtf8(zone_.id())));
    rememberPlace();
    replan();
    table_->setFocus();
    if (table_->rowCount() > 0)
        table_->setCurrentCell(0, 0, QItemSelectionModel::NoUpdate);
}

void frmEventPlanner::replan() {
    if (!forecast_)
        return;
    plan_ = PlanForecast(forecast_->hours, forecast_->latitude, forecast_->longitude,
                         cboTerrain_->currentIndex() == 1 ? Terrain::Urban : Terrain::Rural);
    assess();
}

void frmEventPlanner::assess() {
    if (plan_.empty())
        return;
    missing_.reset();
    missing_ = AssessPlan(plan_, *answerTexts());
    showPlan();
}

std::optional<BoxTexts> frmEventPlanner::answerTexts() const {
    if (missing_)
        return std::nullopt;
    BoxTexts texts;
    for (std::size_t i = 0; i < kBoxCount; ++i)
        texts[i] = answers_[i];
    return texts;
}

void frmEventPlanner::setAnswers(const PointsTexts& answers) {
    for (std::size_t i = 0; i < kBoxCount; ++i)
        answers_[i] = utf8(answers[i]);
    assess();
}

void frmEventPlanner::clearPlan(const QString& why) {
    forecast_.reset();
    plan_.clear();
    table_->setRowCount(0);
    chart_->setModel({});
    for (QLabel* label : {lblGaps_, lblEvent_, lblCoolest_, lblAnswers_})
        label->clear();
    lblGaps_->setVisible(false);
    lblAnswers_->setVisible(false);
    cmdSavePlan_->setEnabled(false);
    cmdCopyAsText_->setEnabled(false);
    setProblem(why);
    updateUseButton();
}

DaySpan frmEventPlanner::daySpan() const {
    const auto at = [this](const QDate& date, const QTime& time) {
        return QDateTime(date, time, zone_).toSecsSinceEpoch();
    };
    const QDate date = date_->date();
    return {zone_,
            at(date, QTime(0, 0)),
            at(date.addDays(1), QTime(0, 0)),
            at(date, start_->time()),
            at(date, end_->time()),
            forecast_ ? forecast_->latitude : 0,
            forecast_ ? forecast_->longitude : 0,
            chkAnyHour_->isChecked()};
}

void frmEventPlanner::showPlan() {
    if (plan_.empty())
        return;
    const DaySpan day = daySpan();
    ChartModel chart = dayChart(plan_, day);
    chart.note = kOpenMeteoCredit; // the data's licence asks for it wherever they show
    chart_->setModel(chart);
    chart_->setAccessibleDescription(kOpenMeteoCredit);
    table_->setRowCount(int(plan_.size()));
    for (int r = 0; r < int(plan_.size()); ++r) {
        const HourRow row = hourRow(plan_[std::size_t(r)], day, plan_);
        for (int c = 0; c < row.cells.size(); ++c) {
            auto* item = new QTableWidgetItem(row.cells[c]);
            // Coloured text always on its own shade, so it reads the same under any palette.
            if (c == HourRow::Option && row.option >= 0) {
                item->setBackground(bandShade(row.option));
                item->setForeground(Qt::black);
            }
            if (c == HourRow::Ceiling && row.ceiling) {
                item->setBackground(bandShade(3));
                item->setForeground(bandInk(3));
            }
            if (c == HourRow::Outcome && row.rank >= 0) {
                item->setBackground(bandShade(row.rank));
                item->setForeground(bandInk(row.rank));
            }
            if (!row.gap.isEmpty())
                item->setToolTip(QStringLiteral("No value: %1").arg(row.gap));
            if (row.inEvent) {
                QFont bold = item->font();
                bold.setBold(true);
                item->setFont(bold);
            }
            table_->setItem(r, c, item);
        }
    }
    table_->resizeColumnsToContents();
    const auto answers = answerTexts();
    lblGaps_->setText(gapsSentence(plan_, day));
    lblGaps_->setVisible(!lblGaps_->text().isEmpty());
    lblEvent_->setText(eventSentence(plan_, day, answers));
    lblCoolest_->setText(coolestStartSentence(plan_, day, answers));
    // Said only while the totals are missing; what they stand on is the table's tooltip.
    lblAnswers_->setText(
        missing_ ? QStringLiteral("No totals yet: answer the calculator's other questions (%1)")
                       .arg(qs(missing_->message))
                 : QString());
    lblAnswers_->setVisible(missing_.has_value());
    table_->setToolTip(QStringLiteral("Totals with the calculator's other answers as they stand, "
                                      "and each hour's own time of day for question 8."));
    cmdSavePlan_->setEnabled(true);
    cmdCopyAsText_->setEnabled(true);
    updateUseButton();
}

void frmEventPlanner::setQuestionOneLocked(bool locked) {
    locked_ = locked;
    updateUseButton();
}

void frmEventPlanner::updateUseButton() {
    const int row = table_->currentRow();
    const bool hasValue = table_->selectionModel()->hasSelection() && row >= 0 &&
                          row < int(plan_.size()) && plan_[std::size_t(row)].value();
    cmdUseHour_->setEnabled(hasValue && !locked_);
    lblLock_->setText(locked_ ? QStringLiteral("Question 1 is not available: the ordinary air "
                                               "temperature answers it. \"Reset\" frees it.")
                      : plan_.empty() || hasValue ? QString()
                                                  : QStringLiteral("Choose an hour with a WBGT."));
}

QString frmEventPlanner::hourInputs(const PlannedHour& hour) const {
    const ForecastHour& w = hour.weather;
    const HourWbgt& v = *hour.value();
    return QStringLiteral("%1, %2 (fetched %3 %4): air %5 \u00b0F, relative humidity %6 %, wind "
                          "%7 mph at 2 m (%8 mph at 10 m, %9), sun %10 W/m\u00b2: WBGT %11 "
                          "\u00b0F (%12 \u00b0C)")
        .arg(forecastPlace_,
             QDateTime::fromSecsSinceEpoch(w.utcSeconds, zone_)
                 .toString(QStringLiteral("yyyy-MM-dd HH:mm t")),
             fetchedAt_.toString(QStringLiteral("yyyy-MM-dd HH:mm")), zoneText(fetchedAt_),
             localNumber(CelsiusToFahrenheit(*w.airC)), localNumber(*w.relativeHumidity, 0),
             localNumber(MetresPerSecondToMph(v.wind2mMs)),
             localNumber(MetresPerSecondToMph(*w.wind10mMs)),
             cboTerrain_->currentIndex() == 1 ? QStringLiteral("urban") : QStringLiteral("rural"))
        .arg(localNumber(*w.solarWm2, 0), localNumber(v.wbgtF), localNumber(v.wbgtC));
}

void frmEventPlanner::cmdUseHour_Click() {
    const int row = table_->currentRow();
    if (locked_ || row < 0 || row >= int(plan_.size()) || !plan_[std::size_t(row)].value())
        return;
    const PlannedHour& hour = plan_[std::size_t(row)];
    emit useInQuestionOne(hour.value()->option, {AnswerSource::Kind::Forecast,
                                                 utf8(hourInputs(hour)), hour.value()->wbgtF});
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

void frmEventPlanner::cmdWeatherService_Click() {
    if (askWeatherService(this))
        client_->setEndpoints(weather::CurrentEndpoints());
    updateNotice();
}

} // namespace orvane::ui
