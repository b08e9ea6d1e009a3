#include "ui/calculator/frm_wbgt_estimator.h"

#include "core/catalogue.h"
#include "core/wbgt_table.h"
#include "coreqt/core_qt.h"
#include "settings/settings.h"
#include "ui/common/example_places.h"
#include "ui/common/number_field.h"
#include "ui/common/numbers.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDateTimeEdit>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QTimeZone>
#include <QVBoxLayout>

#include <algorithm>

namespace orvane::ui {
namespace {

// The place list: "none chosen", the example places, then "another place".
constexpr int kNoPlace = 0;
constexpr int kFirstCity = 1;

// The hottest air reliably measured outdoors, 54.4 °C, at Death Valley and in Kuwait.
constexpr double kHottestAirF = 129.9;

QWidget* row(QWidget* field, QLabel* beside) {
    auto* holder = new QWidget;
    holder->setObjectName("fieldRow");
    auto* layout = new QHBoxLayout(holder);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(field);
    layout->addWidget(beside, 1);
    return holder;
}

// The label beside a field, which echoes its value in other units or says what is wrong.
QLabel* besideOf(QWidget* field) {
    QWidget* holder = field ? field->parentWidget() : nullptr;
    if (!holder || holder->objectName() != QLatin1String("fieldRow"))
        return nullptr;
    return holder->findChild<QLabel*>(QString(), Qt::FindDirectChildrenOnly);
}

QString optionText(int index) {
    const RiskOption& option = FindFactor("WBGT")->options[std::size_t(index)];
    return QString::fromUtf8(option.text.data(), qsizetype(option.text.size()));
}

// The instant a local wall-clock time stands for. A time the clocks skip (the hour lost when
// daylight saving starts) has none; it is read as the time as long after the change as it is
// after the hour before, which is what a clock not yet moved forward would show.
QDateTime zonedTime(const QDate& date, const QTime& time, const QTimeZone& zone, bool* inGap) {
    QDateTime local(date, time, zone);
    *inGap = !local.isValid();
    if (*inGap) {
        const QDateTime asUtc(date, time, Qt::UTC);
        const int offsetBefore = zone.offsetFromUtc(asUtc.addDays(-1));
        local = asUtc.addSecs(-offsetBefore).toTimeZone(zone);
    }
    return local;
}

} // namespace

frmWbgtEstimator::frmWbgtEstimator(QWidget* owner, bool wbgtLocked)
    : ToolWindow(owner), locked_(wbgtLocked) {
    setObjectName("frmWbgtEstimator");
    setWindowTitle("Estimate WBGT");
    buildInputs();
    restorePlace();
    placeChanged();
    adjustSize(); // the size it shows at, which its owner places it by
}

void frmWbgtEstimator::buildInputs() {
    auto beside = [] { return new QLabel; };
    auto* weather = new QGroupBox("Weather at the event");
    auto* form = new QFormLayout(weather);
    air_ = new NumberField("Air temperature in degrees Fahrenheit", 1, QString(" \u00b0F"));
    air_->setValue(90);
    airC_ = beside();
    form->addRow("&Air temperature (shade):", row(air_, airC_));
    humidityKind_ = new QComboBox;
    humidityKind_->addItems({"Relative humidity", "Dew point"});
    humidityKind_->setAccessibleName("Humidity given as");
    humidity_ = new NumberField("Relative humidity in percent", 0, " %");
    humidity_->setValue(50);
    humidityC_ = beside();
    form->addRow("&Humidity as:", humidityKind_);
    humidityLabel_ = new QLabel("Relative humidity:");
    humidityLabel_->setBuddy(humidity_);
    form->addRow(humidityLabel_, row(humidity_, humidityC_));
    wind_ = new NumberField("Wind speed in miles per hour, at 2 meters", 1, " mph");
    wind_->setValue(5);
    windMs_ = beside();
    form->addRow("&Wind at 2 m (6.5 ft):", row(wind_, windMs_));
    // Notes are broken by hand: a wrapped label would be cut short in a form.
    form->addRow(QString(), new QLabel("Head height. A weather report gives the wind at\n"
                                       "10 m (33 ft), where it is usually stronger."));

    auto* sun = new QGroupBox("Sun");
    auto* sunForm = new QFormLayout(sun);
    sky_ = new QComboBox;
    sky_->addItems({"Clear sky", "Partly cloudy", "Overcast", "Measured solar radiation"});
    sky_->setAccessibleName("Sky, or measured solar radiation");
    sunForm->addRow("S&ky:", sky_);
    solar_ = new NumberField("Measured solar radiation in watts per square meter", 0,
                             QString(" W/m\u00b2"));
    solar_->setValue(800);
    sunForm->addRow("&Solar radiation:", row(solar_, beside()));
    shade_ = new QCheckBox("In s&hade: no direct sun, only the light of the sky");
    shade_->setAccessibleName("In shade");
    sunForm->addRow(QString(), shade_);

    auto* where = new QGroupBox("When and where");
    auto* whereForm = new QFormLayout(where);
    place_ = new QComboBox;
    place_->addItem("Choose a place\u2026");
    // The place the planner last planned for comes first: most often the event's own.
    const QString planned = settings::plannerPlace.value();
    const QString plannedZone = settings::plannerZone.value();
    if (!planned.isEmpty() && !plannedZone.isEmpty() &&
        std::none_of(std::begin(kExamplePlaces), std::end(kExamplePlaces),
                     [&](const ExamplePlace& e) { return planned == QLatin1String(e.name); }))
        places_.push_back({planned, settings::plannerLatitude.value(),
                           settings::plannerLongitude.value(), plannedZone.toUtf8()});
    for (const ExamplePlace& city : kExamplePlaces)
        places_.push_back({QString::fromUtf8(city.name), city.latitude, city.longitude, city.zone});
    for (const Place& place : places_)
        place_->addItem(place.name);
    place_->addItem("Another place\u2026");
    place_->setObjectName("cboPlace");
    place_->setAccessibleName("Place");
    whereForm->addRow("&Place:", place_);
    when_ = new QDateTimeEdit(QDateTime::currentDateTime());
    when_->setDisplayFormat("yyyy-MM-dd HH:mm");
    when_->setCalendarPopup(true);
    when_->setAccessibleName("Local date and time of the event");
    whereForm->addRow("&Date and local time:", when_);
    latitude_ = new NumberField("Latitude in degrees, north positive", 2, QString("\u00b0"));
    longitude_ = new NumberField("Longitude in degrees, east positive", 2, QString("\u00b0"));
    utcOffset_ = new NumberField("Time zone, hours ahead of UTC", 2, " h");
    utcOffset_->setSingleStep(0.5);
    utcOffset_->setValue(QDateTime::currentDateTime().offsetFromUtc() / 3600.0);
    zone_ = beside();
    whereForm->addRow("La&titude (north +):", row(latitude_, beside()));
    whereForm->addRow("L&ongitude (east +):", row(longitude_, beside()));
    whereForm->addRow("UTC &offset:", row(utcOffset_, zone_));

    auto* results = new QGroupBox("Estimate");
    auto* resultLayout = new QVBoxLayout(results);
    result_ = new QLabel;
    result_->setAccessibleName("Estimated WBGT");
    QFont big = result_->font();
    big.setPointSizeF(big.pointSizeF() * 1.6);
    big.setBold(true);
    result_->setFont(big);
    band_ = new QLabel;
    band_->setAccessibleName("Question 1 option for the estimate");
    warning_ = new QLabel;
    warning_->setStyleSheet("color: #8a5a00;");
    warning_->setWordWrap(true);
    warning_->setAccessibleName("Warning about the input");
    problem_ = new QLabel;
    problem_->setStyleSheet("color: #b00000;");
    problem_->setWordWrap(true);
    problem_->setAccessibleName("Problem with the input");
    auto* accuracy = new QLabel(
        "Accuracy: about \u00b12 \u00b0F (\u00b11 \u00b0C) against measurements when the sun is\n"
        "measured, and less sure when it is estimated from the sky.\n"
        "Assumes open, level ground at air temperature and the sun at the moment\n"
        "chosen; shade is taken as no direct sun. Not for indoor venues.\n"
        "A WBGT meter at the venue is better.");
    use_ = new QPushButton("&Use in question 1");
    use_->setObjectName("cmdUseInQuestion1");
    lockNote_ = new QLabel;
    auto* closeButton = new QPushButton("Close");
    closeButton->setObjectName("cmdClose");
    for (QWidget* w : std::initializer_list<QWidget*>{result_, band_, warning_, problem_, accuracy,
                                                      use_, lockNote_})
        resultLayout->addWidget(w);

    // The inputs on the left, the estimate beside them: stacked, the window would be taller
    // than a laptop's screen.
    auto* inputs = new QVBoxLayout;
    for (QGroupBox* group : {weather, sun, where})
        inputs->addWidget(group);
    auto* estimate = new QVBoxLayout;
    estimate->addWidget(results);
    estimate->addStretch();
    estimate->addWidget(closeButton, 0, Qt::AlignRight);
    auto* layout = new QHBoxLayout(this);
    layout->addLayout(inputs, 1);
    layout->addLayout(estimate);

    for (NumberField* field : {air_, humidity_, wind_, solar_, latitude_, longitude_, utcOffset_})
        connect(field, &NumberField::edited, this, &frmWbgtEstimator::Estimate);
    connect(humidityKind_, &QComboBox::currentIndexChanged, this,
            &frmWbgtEstimator::humidityKindChanged);
    connect(sky_, &QComboBox::currentIndexChanged, this, &frmWbgtEstimator::Estimate);
    connect(shade_, &QCheckBox::toggled, this, &frmWbgtEstimator::Estimate);
    connect(when_, &QDateTimeEdit::dateTimeChanged, this, [this] {
        nowByDefault_ = false;
        Estimate();
    });
    connect(place_, &QComboBox::currentIndexChanged, this, &frmWbgtEstimator::placeChanged);
    connect(use_, &QPushButton::clicked, this, &frmWbgtEstimator::cmdUseInQuestion1_Click);
    connect(closeButton, &QPushButton::clicked, this, &QWidget::close);
}

void frmWbgtEstimator::humidityKindChanged(int kind) {
    // Keep the same air moisture when switching between the two ways of giving it.
    const std::optional<double> air = air_->number(), given = humidity_->number();
    std::optional<double> converted;
    const QSignalBlocker block(humidity_);
    if (kind == 1) {
        if (air && given && *given > 0)
            converted = CelsiusToFahrenheit(DewPoint(FahrenheitToCelsius(*air), *given));
        humidity_->setDecimals(1);
        humidity_->setSuffix(" \u00b0F");
        humidity_->setAccessibleName("Dew point in degrees Fahrenheit");
        humidityLabel_->setText("Dew point:");
    } else {
        if (air && given)
            converted = RelativeHumidityFromDewPoint(FahrenheitToCelsius(*air),
                                                     FahrenheitToCelsius(*given));
        humidity_->setDecimals(0);
        humidity_->setSuffix(" %");
        humidity_->setAccessibleName("Relative humidity in percent");
        humidityLabel_->setText("Relative humidity:");
    }
    humidity_->setNumber(converted);
    Estimate();
}

int frmWbgtEstimator::otherPlace() const {
    return kFirstCity + int(places_.size());
}

void frmWbgtEstimator::placeChanged() {
    const int index = place_->currentIndex();
    const bool other = index == otherPlace();
    for (NumberField* field : {latitude_, longitude_, utcOffset_})
        field->setReadOnly(!other);
    if (index >= kFirstCity && !other) {
        const Place& city = places_[std::size_t(index - kFirstCity)];
        const QSignalBlocker a(latitude_), b(longitude_);
        latitude_->setValue(city.latitude);
        longitude_->setValue(city.longitude);
    } else if (index == kNoPlace) {
        const QSignalBlocker a(latitude_), b(longitude_);
        latitude_->setNumber(std::nullopt);
        longitude_->setNumber(std::nullopt);
    }
    if (nowByDefault_) {
        // Until the user sets a time, it is now, at the place chosen.
        QTimeZone zone = QTimeZone::systemTimeZone();
        if (other && utcOffset_->number())
            zone = QTimeZone(int(std::lround(*utcOffset_->number() * 3600)));
        else if (index >= kFirstCity && !other)
            zone = QTimeZone(places_[std::size_t(index - kFirstCity)].zone);
        const QDateTime now = QDateTime::currentDateTime().toTimeZone(
            zone.isValid() ? zone : QTimeZone::systemTimeZone());
        const QSignalBlocker block(when_);
        when_->setDateTime(QDateTime(now.date(), now.time()));
    }
    Estimate();
}

std::variant<frmWbgtEstimator::Reading, frmWbgtEstimator::Problem> frmWbgtEstimator::read() const {
    // A number in range from a field, or why not.
    const auto take = [](const NumberField* field, double low, double high, const QString& what,
                         const QString& unit, double* out) -> std::optional<Problem> {
        const std::optional<double> value = field->number();
        auto* target = const_cast<NumberField*>(field);
        if (!value)
            return Problem{target, QStringLiteral("give the %1").arg(what)};
        if (*value < low || *value > high)
            return Problem{target, QStringLiteral("the %1 must be %2 to %3%4")
                                       .arg(what, localNumber(low, 0), localNumber(high, 0), unit)};
        *out = *value;
        return std::nullopt;
    };
    Reading r;
    WbgtInput& in = r.input;
    double airF = 0, humidity = 0, windMph = 0, solar = 0;
    if (auto p = take(air_, -40, 140, "air temperature", QString(" \u00b0F"), &airF))
        return *p;
    in.airC = FahrenheitToCelsius(airF);
    if (humidityKind_->currentIndex() == 1) {
        if (auto p = take(humidity_, -40, 140, "dew point", QString(" \u00b0F"), &humidity))
            return *p;
        if (humidity > airF + 1e-9)
            return Problem{humidity_, "the dew point cannot be above the air temperature"};
        in.relativeHumidity =
            std::min(100.0, RelativeHumidityFromDewPoint(in.airC, FahrenheitToCelsius(humidity)));
    } else {
        if (auto p = take(humidity_, 0, 100, "relative humidity", " %", &humidity))
            return *p;
        in.relativeHumidity = humidity;
    }
    if (auto p = take(wind_, 0, 100, "wind speed", " mph", &windMph))
        return *p;
    in.windMs = MphToMetresPerSecond(windMph);
    if (sky_->currentIndex() == 3) {
        if (auto p = take(solar_, 0, 1400, "solar radiation", QString(" W/m\u00b2"), &solar))
            return *p;
        in.solarWm2 = solar;
    } else {
        in.sky = SkyCondition(sky_->currentIndex());
    }
    in.shade = shade_->isChecked();

    const int index = place_->currentIndex();
    QTimeZone zone;
    QString placeName;
    if (index == kNoPlace)
        return Problem{place_, "choose the place of the event, or \"Another place\u2026\" to give "
                               "its coordinates"};
    if (index == otherPlace()) {
        if (auto p = take(latitude_, -90, 90, "latitude", QString("\u00b0"), &in.latitude))
            return *p;
        if (auto p = take(longitude_, -180, 180, "longitude", QString("\u00b0"), &in.longitude))
            return *p;
        double offset = 0;
        if (auto p = take(utcOffset_, -14, 14, "UTC offset", " h", &offset))
            return *p;
        zone = QTimeZone(int(std::lround(offset * 3600)));
        placeName = QStringLiteral("%1\u00b0, %2\u00b0")
                        .arg(localNumber(in.latitude, 2), localNumber(in.longitude, 2));
    } else {
        const Place& city = places_[std::size_t(index - kFirstCity)];
        zone = QTimeZone(city.zone);
        if (!zone.isValid())
            return Problem{place_, "this system does not know the time zone of that place; "
                                   "choose \"Another place\u2026\" and give its UTC offset"};
        in.latitude = city.latitude;
        in.longitude = city.longitude;
        placeName = city.name;
    }
    bool inGap = false;
    const QDateTime local = zonedTime(when_->date(), when_->time(), zone, &inGap);
    if (inGap)
        r.note = QStringLiteral("%1 does not occur there on %2: the clocks go forward. "
                                "Estimated for %3, the same time after the change.")
                     .arg(when_->time().toString("HH:mm"), when_->date().toString("yyyy-MM-dd"),
                          local.toString("HH:mm t"));
    const QDateTime utc = local.toUTC();
    in.year = utc.date().year();
    in.month = utc.date().month();
    in.day = utc.date().day();
    in.hour = utc.time().hour();
    in.minute = utc.time().minute();
    in.second = utc.time().second();
    r.when = local.toString("yyyy-MM-dd HH:mm t");
    r.utcOffsetSeconds = local.offsetFromUtc();

    if (airF > kHottestAirF)
        r.warnings << QStringLiteral("No air this hot has been measured outdoors (the record is "
                                     "about 130 \u00b0F, 54 \u00b0C): check the temperature.");
    if (!OccursOutdoors(in.airC, in.relativeHumidity))
        r.warnings << QStringLiteral("Air this humid at this temperature has never been measured "
                                     "(a dew point above 95 \u00b0F, 35 \u00b0C): check the "
                                     "humidity.");
    const QString humidityText =
        humidityKind_->currentIndex() == 1
            ? QStringLiteral("dew point %1 \u00b0F").arg(localNumber(humidity))
            : QStringLiteral("relative humidity %1 %").arg(localNumber(humidity, 0));
    const QString sunText =
        sky_->currentIndex() == 3
            ? QStringLiteral("solar radiation %1 W/m\u00b2").arg(localNumber(solar, 0))
            : sky_->currentText().toLower();
    r.inputs = QStringLiteral("air %1 \u00b0F, %2, wind %3 mph at 2 m, %4%5; %6, %7")
                   .arg(localNumber(airF), humidityText, localNumber(windMph), sunText,
                        in.shade ? QStringLiteral(", in shade") : QString(), placeName, r.when);
    return r;
}

void frmWbgtEstimator::Estimate() {
    showReading(read());
}

void frmWbgtEstimator::showReading(const std::variant<Reading, Problem>& reading) {
    for (QWidget* field : std::initializer_list<QWidget*>{air_, humidity_, wind_, solar_, place_,
                                                          latitude_, longitude_, utcOffset_}) {
        field->setStyleSheet(QString());
        field->setToolTip(QString());
        if (QLabel* beside = besideOf(field)) {
            beside->setStyleSheet(QString());
            beside->clear();
        }
    }
    problem_->clear();
    warning_->clear();
    solar_->setEnabled(sky_->currentIndex() == 3);
    // Each number echoed in the other unit while it is a number at all.
    if (const auto f = air_->number())
        airC_->setText(localNumber(FahrenheitToCelsius(*f)) + QString(" \u00b0C"));
    if (const auto f = humidity_->number(); f && humidityKind_->currentIndex() == 1)
        humidityC_->setText(localNumber(FahrenheitToCelsius(*f)) + QString(" \u00b0C"));
    if (const auto mph = wind_->number())
        windMs_->setText(localNumber(MphToMetresPerSecond(*mph)) + " m/s");

    if (const auto* problem = std::get_if<Problem>(&reading)) {
        showNoEstimate(problem->field, problem->reason);
        return;
    }
    const Reading& r = std::get<Reading>(reading);
    if (place_->currentIndex() != otherPlace()) {
        const QSignalBlocker block(utcOffset_);
        utcOffset_->setValue(r.utcOffsetSeconds / 3600.0);
        zone_->setText(r.when.section(u' ', -1));
    }
    showOutcome(r, EstimateWbgt(r.input));
}

void frmWbgtEstimator::showNoEstimate(QWidget* field, const QString& reason) {
    if (field) {
        field->setStyleSheet("background: #ffd8d8;");
        field->setToolTip(reason);
        if (QLabel* beside = besideOf(field)) {
            beside->setStyleSheet("color: #b00000;");
            beside->setText(reason);
        }
    }
    problem_->setText(QStringLiteral("No estimate: %1.").arg(reason));
    result_->setText(QStringLiteral("\u2014"));
    band_->clear();
    option_.reset();
    source_ = {};
    updateUseButton();
}

void frmWbgtEstimator::showOutcome(const Reading& reading, const WbgtOutcome& outcome) {
    if (const auto* error = std::get_if<WbgtError>(&outcome)) {
        showNoEstimate(fieldOf(error->field),
                       QStringLiteral("the %1 %2")
                           .arg(QString::fromUtf8(WbgtFieldName(error->field).data()),
                                QString::fromStdString(error->reason)));
        return;
    }
    const WbgtResult& r = std::get<WbgtResult>(outcome);
    const double f = CelsiusToFahrenheit(r.wbgtC);
    const QString wbgt =
        QStringLiteral("WBGT %1 \u00b0F (%2 \u00b0C)").arg(localNumber(f), localNumber(r.wbgtC));
    result_->setText(wbgt);
    option_ = WbgtOptionIndex(f);
    const RiskOption& chosen = FindFactor("WBGT")->options[std::size_t(*option_)];
    band_->setText(
        QStringLiteral("Question 1: \"%1\", %2 points")
            .arg(optionText(*option_),
                 QString::fromUtf8(chosen.outcome->data(), qsizetype(chosen.outcome->size()))));
    QStringList notes = reading.warnings;
    if (!reading.note.isEmpty())
        notes << reading.note;
    warning_->setText(notes.join(u'\n'));
    source_ = {AnswerSource::Kind::Estimated, utf8(reading.inputs + QStringLiteral(": ") + wbgt),
               f};
    rememberPlace();
    updateUseButton();
}

// The input a refusal of the model is about; none for a model that did not settle.
QWidget* frmWbgtEstimator::fieldOf(WbgtField field) const {
    switch (field) {
    case WbgtField::Time: return when_;
    case WbgtField::Latitude: return latitude_;
    case WbgtField::Longitude: return longitude_;
    case WbgtField::AirTemperature: return air_;
    case WbgtField::RelativeHumidity: return humidity_;
    case WbgtField::Wind: return wind_;
    case WbgtField::Solar: return solar_;
    case WbgtField::Pressure:
    case WbgtField::Convergence: return nullptr;
    }
    return nullptr;
}

void frmWbgtEstimator::setQuestionOneLocked(bool locked) {
    locked_ = locked;
    updateUseButton();
}

void frmWbgtEstimator::updateUseButton() {
    use_->setEnabled(option_.has_value() && !locked_);
    lockNote_->setText(locked_ ? "Question 1 is not available: the ordinary air temperature is\n"
                                 "answered instead. \"Reset\" in the calculator frees it."
                               : QString());
}

void frmWbgtEstimator::cmdUseInQuestion1_Click() {
    if (option_ && !locked_)
        emit useInQuestionOne(*option_, source_);
}

// The place is the one thing kept between runs: most often it is the organizer's own venue.
void frmWbgtEstimator::rememberPlace() {
    const int index = place_->currentIndex();
    QString place;
    if (index == otherPlace())
        place = QStringLiteral("%1 %2 %3")
                    .arg(latitude_->value())
                    .arg(longitude_->value())
                    .arg(utcOffset_->value());
    else if (index != kNoPlace)
        place = place_->currentText();
    if (place.isEmpty() || place == rememberedPlace_)
        return;
    settings::estimatorPlace.set(place);
    rememberedPlace_ = place;
}

void frmWbgtEstimator::restorePlace() {
    rememberedPlace_ = settings::estimatorPlace.value();
    const QSignalBlocker block(place_);
    if (const int city = place_->findText(rememberedPlace_); city >= kFirstCity) {
        place_->setCurrentIndex(city);
        return;
    }
    const QStringList parts = rememberedPlace_.split(u' ');
    bool ok[3] = {false, false, false};
    if (parts.size() != 3)
        return;
    const double values[3] = {parts[0].toDouble(&ok[0]), parts[1].toDouble(&ok[1]),
                              parts[2].toDouble(&ok[2])};
    if (!(ok[0] && ok[1] && ok[2]))
        return;
    const QSignalBlocker a(latitude_), b(longitude_), c(utcOffset_);
    latitude_->setValue(values[0]);
    longitude_->setValue(values[1]);
    utcOffset_->setValue(values[2]);
    place_->setCurrentIndex(otherPlace());
}

} // namespace orvane::ui
