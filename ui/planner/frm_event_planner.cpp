#include "ui/planner/frm_event_planner.h"

#include "core/catalogue.h"
#include "core/wbgt_table.h"
#include "coreqt/core_qt.h"
#include "ui/charts/band_chart.h"
#include "ui/charts/band_colors.h"
#include "ui/common/example_places.h"
#include "ui/common/messages.h"
#include "ui/common/number_field.h"
#include "ui/planner/weather_service_dialog.h"
#include "weather/weather_client.h"
#include "weather/weather_settings.h"

#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QDateEdit>
#include <QDialog>
#include <QDialogButtonBox>
#include <QDir>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QSettings>
#include <QSplitter>
#include <QTableWidget>
#include <QTextDocument>
#include <QTimeEdit>
#include <QVBoxLayout>

#include <cmath>

namespace orvane::ui {
namespace {

constexpr double kMphPerMs = 1 / 0.44704;

QString number(double value, int decimals = 1) {
    return QLocale().toString(value, 'f', decimals);
}

// A label whose shortcut key moves to the field beside it.
QLabel* buddyLabel(const QString& text, QWidget* field) {
    auto* label = new QLabel(text);
    label->setBuddy(field);
    return label;
}

} // namespace

frmEventPlanner::frmEventPlanner(QWidget* owner, bool wbgtLocked, const PointsTexts& answers)
    : ToolWindow(owner), answers_(answers), locked_(wbgtLocked) {
    setObjectName("frmEventPlanner");
    setWindowTitle("Plan the Event Day");
    client_ = new weather::WeatherClient(weather::CurrentEndpoints(), this);
    connect(client_, &weather::WeatherClient::placesFound, this, &frmEventPlanner::placesFound);
    connect(client_, &weather::WeatherClient::forecastReady, this, &frmEventPlanner::showForecast);
    connect(client_, &weather::WeatherClient::failed, this, &frmEventPlanner::failed);
    buildWindow();
    placeChanged();
    updateNotice();
}

frmEventPlanner::~frmEventPlanner() = default;

void frmEventPlanner::buildWindow() {
    auto* where = new QGroupBox("Place and day");
    auto* form = new QFormLayout(where);
    txtFind_ = new QLineEdit;
    txtFind_->setObjectName("txtFind");
    txtFind_->setAccessibleName("Place name to search for");
    txtFind_->setPlaceholderText("a town or venue, e.g. Adelaide");
    cmdSearch_ = new QPushButton("&Search");
    cmdSearch_->setObjectName("cmdSearch");
    auto* find = new QHBoxLayout;
    find->addWidget(txtFind_, 1);
    find->addWidget(cmdSearch_);
    form->addRow(buddyLabel("&Find a place:", txtFind_), find);
    cboPlace_ = new QComboBox;
    cboPlace_->setObjectName("cboPlace");
    cboPlace_->setAccessibleName("Place");
    form->addRow("&Place:", cboPlace_);
    latitude_ = new NumberField("Latitude in degrees, north positive", 4, QString("\u00b0"));
    longitude_ = new NumberField("Longitude in degrees, east positive", 4, QString("\u00b0"));
    lblZone_ = new QLabel;
    lblZone_->setObjectName("lblZone");
    auto* coordinates = new QHBoxLayout;
    coordinates->addWidget(buddyLabel("La&titude (north +):", latitude_));
    coordinates->addWidget(latitude_);
    coordinates->addWidget(buddyLabel("L&ongitude (east +):", longitude_));
    coordinates->addWidget(longitude_);
    coordinates->addWidget(lblZone_, 1);
    form->addRow("Coordinates:", coordinates);

    const QDate today = QDate::currentDate();
    date_ = new QDateEdit(today);
    date_->setObjectName("dtDate");
    date_->setAccessibleName("Date of the event");
    date_->setDateRange(today, today.addDays(15)); // as far as the forecast reaches
    date_->setCalendarPopup(true);
    date_->setDisplayFormat("yyyy-MM-dd (ddd)");
    start_ = new QTimeEdit(QTime(9, 0));
    start_->setObjectName("tmStart");
    start_->setAccessibleName("Local start time of the event");
    start_->setDisplayFormat("HH:mm");
    end_ = new QTimeEdit(QTime(12, 0));
    end_->setObjectName("tmEnd");
    end_->setAccessibleName("Local end time of the event");
    end_->setDisplayFormat("HH:mm");
    cboTerrain_ = new QComboBox;
    cboTerrain_->setObjectName("cboTerrain");
    cboTerrain_->setAccessibleName("Surroundings, for the wind near the ground");
    cboTerrain_->addItems({"Open country (rural)", "Town or city (urban)"});
    auto* day = new QHBoxLayout;
    day->addWidget(date_);
    day->addWidget(new QLabel("from"));
    day->addWidget(start_);
    day->addWidget(new QLabel("to"));
    day->addWidget(end_);
    day->addWidget(new QLabel("local time,"));
    day->addWidget(cboTerrain_);
    day->addStretch();
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
    progress_->setMaximumWidth(160);
    progress_->setVisible(false);
    progress_->setAccessibleName("Fetching the forecast");
    auto* service = new QPushButton("Weather Ser&vice\u2026");
    service->setObjectName("cmdWeatherService");
    auto* fetch = new QHBoxLayout;
    fetch->addWidget(cmdGetForecast_);
    fetch->addWidget(cmdCancel_);
    fetch->addWidget(progress_);
    fetch->addStretch();
    fetch->addWidget(service);
    form->addRow(fetch);
    lblNotice_ = new QLabel;
    lblNotice_->setObjectName("lblNotice");
    lblNotice_->setWordWrap(true);
    form->addRow(lblNotice_);

    lblProblem_ = new QLabel;
    lblProblem_->setObjectName("lblProblem");
    lblProblem_->setWordWrap(true);
    lblProblem_->setStyleSheet("color: #b00000;");
    lblProblem_->setAccessibleName("Problem");
    chart_ = new BandChart;
    chart_->setObjectName("chtForecast");
    chart_->setAccessibleName("WBGT over the day, with question 1's options behind it");
    chart_->setMinimumHeight(170);
    table_ = new QTableWidget(0, int(hourHeader().size()));
    table_->setMinimumHeight(120);
    table_->setObjectName("tblHours");
    table_->setAccessibleName("The forecast hour by hour");
    table_->setHorizontalHeaderLabels({"Local time", "Air \u00b0F", "Humidity %", "Wind 2 m mph",
                                       "Sun W/m\u00b2", "WBGT \u00b0F (\u00b0C)", "Question 1",
                                       "Points", "Total and band"});
    table_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table_->setSelectionBehavior(QAbstractItemView::SelectRows);
    table_->setSelectionMode(QAbstractItemView::SingleSelection);
    table_->verticalHeader()->hide();
    table_->horizontalHeader()->setStretchLastSection(true);
    lblCoolest_ = new QLabel;
    lblCoolest_->setObjectName("lblCoolest");
    lblCoolest_->setWordWrap(true);
    lblCoolest_->setAccessibleName("Coolest start");
    lblAnswers_ = new QLabel;
    lblAnswers_->setObjectName("lblAnswers");
    lblAnswers_->setWordWrap(true);
    lblCredit_ = new QLabel(kOpenMeteoCredit);
    lblCredit_->setObjectName("lblCredit");

    cmdUseHour_ = new QPushButton("&Use This Hour in Question 1");
    cmdUseHour_->setObjectName("cmdUseHour");
    lblLock_ = new QLabel;
    lblLock_->setObjectName("lblLock");
    cmdSavePlan_ = new QPushButton("Save Plan as P&DF\u2026");
    cmdSavePlan_->setObjectName("cmdSavePlan");
    cmdCopyAsText_ = new QPushButton("C&opy as Text");
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
    split->setStretchFactor(0, 2);
    split->setStretchFactor(1, 3);
    layout->addWidget(split, 1);
    layout->addWidget(lblCoolest_);
    layout->addWidget(lblAnswers_);
    layout->addWidget(lblCredit_);
    layout->addLayout(buttons);
    // Fits a 1024x768 screen, and one at twice the scale of a larger one.
    resize(960, 700);

    cboPlace_->addItem("Choose a place\u2026");
    for (const ExamplePlace& example : kExamplePlaces) {
        places_.push_back({QString::fromUtf8(example.name), example.latitude, example.longitude,
                           QString::fromUtf8(example.zone)});
        cboPlace_->addItem(places_.back().name);
    }
    places_.push_back({"Coordinates", 0, 0, {}});
    cboPlace_->addItem("Coordinates typed below");

    connect(cmdSearch_, &QPushButton::clicked, this, &frmEventPlanner::cmdSearch_Click);
    connect(txtFind_, &QLineEdit::returnPressed, this, &frmEventPlanner::cmdSearch_Click);
    connect(cboPlace_, &QComboBox::currentIndexChanged, this, &frmEventPlanner::placeChanged);
    for (NumberField* field : {latitude_, longitude_})
        connect(field, &NumberField::edited, this,
                [this] { clearPlan("The place changed: \"Get Forecast\" fetches its forecast."); });
    connect(date_, &QDateEdit::dateChanged, this,
            [this] { clearPlan("The date changed: \"Get Forecast\" fetches its forecast."); });
    for (QTimeEdit* time : {start_, end_})
        connect(time, &QTimeEdit::timeChanged, this, &frmEventPlanner::showPlan);
    connect(cboTerrain_, &QComboBox::currentIndexChanged, this, &frmEventPlanner::replan);
    connect(cmdGetForecast_, &QPushButton::clicked, this, &frmEventPlanner::cmdGetForecast_Click);
    connect(cmdCancel_, &QPushButton::clicked, this, &frmEventPlanner::cmdCancel_Click);
    connect(service, &QPushButton::clicked, this, &frmEventPlanner::cmdWeatherService_Click);
    connect(table_, &QTableWidget::itemSelectionChanged, this, &frmEventPlanner::updateUseButton);
    connect(cmdUseHour_, &QPushButton::clicked, this, &frmEventPlanner::cmdUseHour_Click);
    connect(cmdSavePlan_, &QPushButton::clicked, this, &frmEventPlanner::cmdSavePlan_Click);
    connect(cmdCopyAsText_, &QPushButton::clicked, this, &frmEventPlanner::cmdCopyAsText_Click);
    connect(close, &QPushButton::clicked, this, &QWidget::close);
    txtFind_->setFocus();
}

void frmEventPlanner::updateNotice() {
    const weather::Endpoints& e = client_->endpoints();
    QString notice = QStringLiteral(
        "Forecasts come from Open-Meteo over the internet. Sent: the coordinates, the date and "
        "the names of the values (to find a place, the name typed), and your network address, "
        "as with every request. The free service is for non-commercial use and limits how often "
        "it may be asked.");
    if (weather::IsUnencrypted(e.forecast) || weather::IsUnencrypted(e.geocoding))
        notice += QStringLiteral(" The weather service set here is reached unencrypted (http).");
    lblNotice_->setText(notice);
}

void frmEventPlanner::placeChanged() {
    const int index = cboPlace_->currentIndex();
    const bool typed = index == int(places_.size()); // the last entry: coordinates typed
    for (NumberField* field : {latitude_, longitude_})
        field->setReadOnly(!typed);
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
    lblZone_->setText(zone.isEmpty() ? QString() : QStringLiteral("time zone %1").arg(zone));
    clearPlan(index == 0 ? QStringLiteral("Choose a place, then \"Get Forecast\".")
                         : QStringLiteral("\"Get Forecast\" fetches the forecast for %1.")
                               .arg(cboPlace_->currentText()));
}

void frmEventPlanner::cmdSearch_Click() {
    const QString name = txtFind_->text().trimmed();
    if (name.size() < 2) {
        lblProblem_->setText("Type at least two letters of the place's name.");
        return;
    }
    lblProblem_->setText(QStringLiteral("Searching for \"%1\"\u2026").arg(name));
    setBusy(true);
    client_->searchPlaces(name);
}

void frmEventPlanner::placesFound(const QList<weather::Place>& found) {
    setBusy(false);
    if (found.isEmpty()) {
        lblProblem_->setText(
            QStringLiteral("No place called \"%1\" was found.").arg(txtFind_->text().trimmed()));
        return;
    }
    lblProblem_->clear();
    // The matches go first, before the examples, in the order the service ranks them.
    std::vector<PlaceChoice> matches;
    for (const weather::Place& p : found) {
        QStringList parts{p.name};
        if (!p.region.isEmpty() && p.region != p.name)
            parts << p.region;
        if (!p.country.isEmpty())
            parts << p.country;
        matches.push_back({parts.join(QStringLiteral(", ")), p.latitude, p.longitude, p.timeZone});
    }
    places_.insert(places_.begin(), matches.begin(), matches.end());
    const QSignalBlocker block(cboPlace_);
    for (std::size_t i = 0; i < matches.size(); ++i)
        cboPlace_->insertItem(int(i) + 1, matches[i].name);
    cboPlace_->setCurrentIndex(1);
    placeChanged();
    cboPlace_->setFocus();
}

void frmEventPlanner::cmdGetForecast_Click() {
    const std::optional<double> lat = latitude_->number(), lon = longitude_->number();
    if (cboPlace_->currentIndex() == 0 || !lat || !lon) {
        lblProblem_->setText("Choose a place, or type its latitude and longitude.");
        return;
    }
    if (std::abs(*lat) > 90 || std::abs(*lon) > 180) {
        lblProblem_->setText("The latitude must be -90 to 90 and the longitude -180 to 180.");
        return;
    }
    clearPlan(QString());
    lblProblem_->setText(QStringLiteral("Fetching the forecast\u2026"));
    forecastPlace_ =
        cboPlace_->currentIndex() == int(places_.size())
            ? QStringLiteral("%1\u00b0, %2\u00b0").arg(number(*lat, 4), number(*lon, 4))
            : cboPlace_->currentText();
    setBusy(true);
    // The dates are the place's own: the service reads them in its local time zone.
    client_->fetchForecast(*lat, *lon, date_->date(), date_->date());
}

void frmEventPlanner::cmdCancel_Click() {
    client_->cancel();
    setBusy(false);
    lblProblem_->setText("Cancelled.");
}

void frmEventPlanner::setBusy(bool busy) {
    progress_->setVisible(busy);
    cmdCancel_->setEnabled(busy);
    cmdGetForecast_->setEnabled(!busy);
    cmdSearch_->setEnabled(!busy);
}

void frmEventPlanner::failed(const weather::Failure& failure) {
    setBusy(false);
    clearPlan(QString());
    lblProblem_->setText(failure.message);
}

void frmEventPlanner::showForecast(const weather::Forecast& forecast) {
    setBusy(false);
    lblProblem_->clear();
    forecast_ = forecast;
    fetchedAt_ = QDateTime::currentDateTime();
    // Local times through the named zone, which knows each daylight-saving change; a single
    // offset would be wrong on the far side of one.
    zone_ = QTimeZone(forecast.timeZone.toUtf8());
    if (!zone_.isValid()) {
        zone_ = QTimeZone::utc();
        lblProblem_->setText(QStringLiteral("This system does not know the time zone \"%1\" of "
                                            "the forecast: times are shown in UTC.")
                                 .arg(forecast.timeZone));
    }
    lblZone_->setText(QStringLiteral("time zone %1").arg(QString::fromUtf8(zone_.id())));
    replan();
}

void frmEventPlanner::replan() {
    if (!forecast_)
        return;
    plan_ = PlanForecast(forecast_->hours, forecast_->latitude, forecast_->longitude,
                         cboTerrain_->currentIndex() == 1 ? Terrain::Urban : Terrain::Rural);
    setAnswers(answers_);
}

void frmEventPlanner::setAnswers(const PointsTexts& answers) {
    answers_ = answers;
    if (plan_.empty())
        return;
    std::array<QByteArray, kBoxCount> held;
    BoxTexts texts;
    for (std::size_t i = 0; i < kBoxCount; ++i) {
        held[i] = answers_[i].toUtf8();
        texts[i] = std::string_view(held[i].constData(), std::size_t(held[i].size()));
    }
    missing_ = AssessPlan(plan_, texts);
    showPlan();
}

void frmEventPlanner::clearPlan(const QString& why) {
    forecast_.reset();
    plan_.clear();
    table_->setRowCount(0);
    chart_->setModel({});
    lblCoolest_->clear();
    lblAnswers_->clear();
    lblCredit_->setVisible(false);
    cmdSavePlan_->setEnabled(false);
    cmdCopyAsText_->setEnabled(false);
    lblProblem_->setText(why);
    updateUseButton();
}

DaySpan frmEventPlanner::daySpan() const {
    const auto at = [this](const QDate& date, const QTime& time) {
        return QDateTime(date, time, zone_).toSecsSinceEpoch();
    };
    return {zone_, at(date_->date(), QTime(0, 0)), at(date_->date().addDays(1), QTime(0, 0)),
            at(date_->date(), start_->time()), at(date_->date(), end_->time())};
}

void frmEventPlanner::showPlan() {
    if (plan_.empty())
        return;
    const DaySpan day = daySpan();
    chart_->setModel(dayChart(plan_, day));
    table_->setRowCount(int(plan_.size()));
    for (int r = 0; r < int(plan_.size()); ++r) {
        const HourRow row = hourRow(plan_[std::size_t(r)], day);
        for (int c = 0; c < row.cells.size(); ++c) {
            auto* item = new QTableWidgetItem(row.cells[c]);
            // Coloured text always on its own shade, so it reads the same under any palette.
            if (c == HourRow::Option && row.option >= 0) {
                item->setBackground(bandShade(row.option));
                item->setForeground(Qt::black);
            }
            if (c == HourRow::Outcome && row.rank >= 0) {
                item->setBackground(bandShade(row.rank));
                item->setForeground(bandInk(row.rank));
            }
            if (row.inEvent) {
                QFont bold = item->font();
                bold.setBold(true);
                item->setFont(bold);
            }
            table_->setItem(r, c, item);
        }
    }
    table_->resizeColumnsToContents();
    lblCoolest_->setText(coolestStartSentence(plan_, day));
    lblAnswers_->setText(
        missing_ ? QStringLiteral("No totals yet: answer the calculator's other questions (%1)")
                       .arg(QString::fromUtf8(missing_->message.data(),
                                              qsizetype(missing_->message.size())))
                 : QStringLiteral("Totals with the calculator's other answers as they stand."));
    lblCredit_->setVisible(true);
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
    return QStringLiteral("%1, %2 (fetched %3): air %4 \u00b0F, relative humidity %5 %, wind "
                          "%6 mph at 2 m (%7 mph at 10 m, %8), sun %9 W/m\u00b2: WBGT %10 "
                          "\u00b0F (%11 \u00b0C)")
        .arg(forecastPlace_,
             QDateTime::fromSecsSinceEpoch(w.utcSeconds, zone_)
                 .toString(QStringLiteral("yyyy-MM-dd HH:mm t")),
             fetchedAt_.toString(QStringLiteral("yyyy-MM-dd HH:mm")),
             number(CelsiusToFahrenheit(*w.airC)), number(*w.relativeHumidity, 0),
             number(v.wind2mMs * kMphPerMs), number(*w.wind10mMs * kMphPerMs),
             cboTerrain_->currentIndex() == 1 ? QStringLiteral("urban") : QStringLiteral("rural"),
             number(*w.solarWm2, 0))
        .arg(number(v.wbgtF), number(v.wbgtC));
}

void frmEventPlanner::cmdUseHour_Click() {
    const int row = table_->currentRow();
    if (locked_ || row < 0 || row >= int(plan_.size()) || !plan_[std::size_t(row)].value())
        return;
    const PlannedHour& hour = plan_[std::size_t(row)];
    emit useInQuestionOne(hour.value()->option, {AnswerSource::Kind::Forecast,
                                                 utf8(hourInputs(hour)), hour.value()->wbgtF});
}

std::unique_ptr<QTextDocument> frmEventPlanner::planRecord() const {
    if (plan_.empty())
        return nullptr;
    RecordWriter w(QStringLiteral("Heat illness risk: event day plan"));
    w.strongLine(forecastPlace_);
    w.line(
        QStringLiteral("Coordinates: %1\u00b0, %2\u00b0 (the forecast's grid point); time zone %3")
            .arg(number(forecast_->latitude, 3), number(forecast_->longitude, 3),
                 QString::fromUtf8(zone_.id())));
    w.line(QStringLiteral("Date: %1; the event from %2 to %3 local time")
               .arg(date_->date().toString(Qt::ISODate), start_->time().toString("HH:mm"),
                    end_->time().toString("HH:mm")));
    w.line(QStringLiteral("Forecast fetched: %1 %2")
               .arg(fetchedAt_.toString(QStringLiteral("yyyy-MM-dd HH:mm")), zoneText(fetchedAt_)));
    w.line(kOpenMeteoCredit +
           QStringLiteral(" (CC BY 4.0). WBGT by the model of Liljegren et al. "
                          "(2008), the wind brought down to 2 m for ") +
           cboTerrain_->currentText().toLower() + QStringLiteral("."));
    w.fillInLines({QStringLiteral("Event"), QStringLiteral("Planned by")});
    w.heading(QStringLiteral("The day"));
    w.image(BandChart::printImage(chart_->model()), 680);
    w.smallLine(lblCoolest_->text());
    w.smallLine(lblAnswers_->text());
    w.heading(QStringLiteral("Hour by hour"));
    std::vector<QStringList> rows;
    for (int r = 0; r < table_->rowCount(); ++r) {
        QStringList cells;
        for (int c = 0; c < table_->columnCount(); ++c)
            cells << table_->item(r, c)->text();
        rows.push_back(cells);
    }
    w.table(hourHeader(), rows, {10, 7, 8, 9, 8, 12, 14, 7, 25});
    return w.finish(kRecordDisclaimer);
}

void frmEventPlanner::cmdSavePlan_Click() {
    const std::unique_ptr<QTextDocument> doc = planRecord();
    if (!doc)
        return;
    QString name =
        QStringLiteral("Heat risk plan %1 %2.pdf")
            .arg(forecastPlace_.section(u',', 0, 0), date_->date().toString(Qt::ISODate));
    for (QChar& c : name)
        if (QStringLiteral("/\\:*?\"<>|").contains(c))
            c = u'-';
    const QString path = chooseSaveFile(this, "Save the plan as PDF", proposedSaveFolder(), name,
                                        "PDF documents (*.pdf)", "pdf");
    if (path.isEmpty())
        return;
    if (const QString error = saveRecordPdf(*doc, path, QLocale(),
                                            QStringLiteral("Heat illness risk: event day plan"));
        !error.isEmpty()) {
        showProblem(this, QStringLiteral("The plan could not be saved as \"%1\": %2.\n\nNothing "
                                         "was written; a file already there is unchanged.")
                              .arg(QDir::toNativeSeparators(path), error));
        return;
    }
    rememberSavedFile(path);
    lblProblem_->setStyleSheet(QString());
    lblProblem_->setText(QStringLiteral("Saved: %1").arg(QDir::toNativeSeparators(path)));
    lblProblem_->setStyleSheet("color: #b00000;");
}

void frmEventPlanner::cmdCopyAsText_Click() {
    if (const std::unique_ptr<QTextDocument> doc = planRecord())
        QGuiApplication::clipboard()->setText(recordText(*doc));
}

void frmEventPlanner::cmdWeatherService_Click() {
    if (askWeatherService(this))
        client_->setEndpoints(weather::CurrentEndpoints());
    updateNotice();
}

} // namespace orvane::ui
