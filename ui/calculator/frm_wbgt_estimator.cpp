#include "ui/calculator/frm_wbgt_estimator.h"

#include "core/catalogue.h"
#include "core/liljegren.h"
#include "core/wbgt_table.h"
#include "ui/calculator/frm_solvane_calc.h"
#include "ui/calculator/pick_list.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDateTimeEdit>
#include <QDoubleSpinBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QTimeZone>
#include <QVBoxLayout>

namespace orvane::ui {
namespace {

struct City {
    const char* name;
    double latitude, longitude;
    const char* zone;
};

// Example places, each with its own time zone; any other place is typed with its UTC offset.
constexpr City kCities[] = {
    {"Phoenix, AZ", 33.45, -112.07, "America/Phoenix"},
    {"Los Angeles, CA", 34.05, -118.24, "America/Los_Angeles"},
    {"Denver, CO", 39.74, -104.99, "America/Denver"},
    {"Houston, TX", 29.76, -95.37, "America/Chicago"},
    {"Chicago, IL", 41.88, -87.63, "America/Chicago"},
    {"Atlanta, GA", 33.75, -84.39, "America/New_York"},
    {"Miami, FL", 25.76, -80.19, "America/New_York"},
    {"New York, NY", 40.71, -74.01, "America/New_York"},
    {"Honolulu, HI", 21.31, -157.86, "Pacific/Honolulu"},
    {"Adelaide, SA", -34.93, 138.60, "Australia/Adelaide"},
};
constexpr int kOtherPlace = int(std::size(kCities));

QDoubleSpinBox* spin(const QString& accessible, double low, double high, double value, int decimals,
                     const QString& suffix) {
    auto* box = new QDoubleSpinBox;
    box->setRange(low, high);
    box->setDecimals(decimals);
    box->setValue(value);
    box->setSuffix(suffix);
    box->setAccessibleName(accessible);
    box->setKeyboardTracking(true); // the estimate follows every keystroke
    return box;
}

QWidget* row(QWidget* field, QLabel* beside) {
    auto* holder = new QWidget;
    auto* layout = new QHBoxLayout(holder);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(field);
    if (beside)
        layout->addWidget(beside, 1);
    return holder;
}

QString number(double value, int decimals = 1) {
    return QLocale().toString(value, 'f', decimals);
}

} // namespace

frmWbgtEstimator::frmWbgtEstimator(frm_Solvane_Calc* calculator)
    : QWidget(calculator, Qt::Window), calculator_(calculator) {
    setObjectName("frmWbgtEstimator");
    setWindowTitle("Estimate WBGT");
    setAttribute(Qt::WA_DeleteOnClose);
    buildInputs();
    // The lock on question 1 can change in the calculator while this window is open. It is
    // watched where it is kept, the list's enabled state: the calculator sets it after the
    // list's own change signals have gone out.
    calculator_->list("WBGT")->installEventFilter(this);
    placeChanged();
}

bool frmWbgtEstimator::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::EnabledChange && watched == calculator_->list("WBGT"))
        updateUseButton();
    return QWidget::eventFilter(watched, event);
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

void frmWbgtEstimator::buildInputs() {
    auto* weather = new QGroupBox("Weather at the event");
    auto* form = new QFormLayout(weather);
    air_ = spin("Air temperature in degrees Fahrenheit", -40, 140, 90, 1, QString(" \u00b0F"));
    airC_ = new QLabel;
    form->addRow("&Air temperature (shade):", row(air_, airC_));
    humidityKind_ = new QComboBox;
    humidityKind_->addItems({"Relative humidity", "Dew point"});
    humidityKind_->setAccessibleName("Humidity given as");
    humidity_ = spin("Relative humidity in percent", 0, 100, 50, 0, " %");
    humidityC_ = new QLabel;
    form->addRow("&Humidity as:", humidityKind_);
    form->addRow("Humidity:", row(humidity_, humidityC_));
    wind_ = spin("Wind speed in miles per hour, at 2 meters", 0, 100, 5, 1, " mph");
    windMs_ = new QLabel;
    form->addRow("&Wind at 2 m (6.5 ft):", row(wind_, windMs_));
    // Notes are broken by hand: a wrapped label would be cut short in a form.
    auto* windNote = new QLabel("Head height. A weather report gives the wind at\n"
                                "10 m (33 ft), where it is usually stronger.");
    form->addRow(QString(), windNote);

    auto* sun = new QGroupBox("Sun");
    auto* sunForm = new QFormLayout(sun);
    sky_ = new QComboBox;
    sky_->addItems({"Clear sky", "Partly cloudy", "Overcast", "Measured solar radiation"});
    sky_->setAccessibleName("Sky, or measured solar radiation");
    sunForm->addRow("S&ky:", sky_);
    solar_ = spin("Measured solar radiation in watts per square meter", 0, 1400, 800, 0,
                  QString(" W/m\u00b2"));
    sunForm->addRow("&Solar radiation:", solar_);
    shade_ = new QCheckBox("In s&hade: no direct sun, only the light of the sky");
    shade_->setAccessibleName("In shade");
    sunForm->addRow(QString(), shade_);

    auto* where = new QGroupBox("When and where");
    auto* whereForm = new QFormLayout(where);
    when_ = new QDateTimeEdit(QDateTime::currentDateTime());
    when_->setDisplayFormat("yyyy-MM-dd HH:mm");
    when_->setCalendarPopup(true);
    when_->setAccessibleName("Local date and time of the event");
    whereForm->addRow("&Date and local time:", when_);
    place_ = new QComboBox;
    for (const City& city : kCities)
        place_->addItem(city.name);
    place_->addItem("Another place\u2026");
    place_->setAccessibleName("Place");
    whereForm->addRow("&Place:", place_);
    latitude_ = spin("Latitude in degrees, north positive", -90, 90, 0, 2, QString("\u00b0"));
    longitude_ = spin("Longitude in degrees, east positive", -180, 180, 0, 2, QString("\u00b0"));
    utcOffset_ = spin("Time zone, hours ahead of UTC", -14, 14,
                      QDateTime::currentDateTime().offsetFromUtc() / 3600.0, 2, " h");
    utcOffset_->setSingleStep(0.5);
    zone_ = new QLabel;
    whereForm->addRow("La&titude (north +):", latitude_);
    whereForm->addRow("L&ongitude (east +):", longitude_);
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
    for (QWidget* w :
         std::initializer_list<QWidget*>{result_, band_, problem_, accuracy, use_, lockNote_})
        resultLayout->addWidget(w);

    // The inputs on the left, the estimate beside them: stacked, the window would be taller
    // than a laptop's screen.
    auto* inputs = new QVBoxLayout;
    for (QGroupBox* group : {weather, sun, where})
        inputs->addWidget(group);
    auto* estimate = new QVBoxLayout;
    estimate->addWidget(results);
    estimate->addStretch();
    auto* layout = new QHBoxLayout(this);
    layout->addLayout(inputs, 1);
    layout->addLayout(estimate);

    for (QDoubleSpinBox* box : {air_, humidity_, wind_, solar_, latitude_, longitude_, utcOffset_})
        connect(box, &QDoubleSpinBox::valueChanged, this, &frmWbgtEstimator::Estimate);
    connect(humidityKind_, &QComboBox::currentIndexChanged, this, [this](int kind) {
        // Keep the same air moisture when switching between the two ways of giving it.
        const double c = FahrenheitToCelsius(air_->value());
        const QSignalBlocker block(humidity_);
        if (kind == 1) {
            humidity_->setRange(-40, 140);
            humidity_->setDecimals(1);
            humidity_->setSuffix(" \u00b0F");
            humidity_->setAccessibleName("Dew point in degrees Fahrenheit");
            humidity_->setValue(CelsiusToFahrenheit(DewPoint(c, humidity_->value())));
        } else {
            const double dew = FahrenheitToCelsius(humidity_->value());
            humidity_->setRange(0, 100);
            humidity_->setDecimals(0);
            humidity_->setSuffix(" %");
            humidity_->setAccessibleName("Relative humidity in percent");
            humidity_->setValue(RelativeHumidityFromDewPoint(c, dew));
        }
        Estimate();
    });
    connect(sky_, &QComboBox::currentIndexChanged, this, &frmWbgtEstimator::Estimate);
    connect(shade_, &QCheckBox::toggled, this, &frmWbgtEstimator::Estimate);
    connect(when_, &QDateTimeEdit::dateTimeChanged, this, [this] {
        nowByDefault_ = false;
        Estimate();
    });
    connect(place_, &QComboBox::currentIndexChanged, this, &frmWbgtEstimator::placeChanged);
    connect(use_, &QPushButton::clicked, this, &frmWbgtEstimator::cmdUseInQuestion1_Click);
}

void frmWbgtEstimator::placeChanged() {
    const int index = place_->currentIndex();
    const bool other = index == kOtherPlace;
    for (QDoubleSpinBox* box : {latitude_, longitude_, utcOffset_})
        box->setReadOnly(!other);
    if (!other) {
        const City& city = kCities[index];
        const QSignalBlocker a(latitude_), b(longitude_);
        latitude_->setValue(city.latitude);
        longitude_->setValue(city.longitude);
    }
    if (nowByDefault_) {
        // Until the user sets a time, it is now, at the place chosen.
        const QTimeZone zone = other ? QTimeZone(int(std::lround(utcOffset_->value() * 3600)))
                                     : QTimeZone(kCities[index].zone);
        const QDateTime now = QDateTime::currentDateTime().toTimeZone(
            zone.isValid() ? zone : QTimeZone::systemTimeZone());
        const QSignalBlocker block(when_);
        when_->setDateTime(QDateTime(now.date(), now.time()));
    }
    Estimate();
}

void frmWbgtEstimator::markBad(QWidget* field, const QString& message) {
    if (field)
        field->setStyleSheet("background: #ffd8d8;");
    problem_->setText(message);
    result_->setText(QStringLiteral("\u2014"));
    band_->clear();
    option_.reset();
}

void frmWbgtEstimator::Estimate() {
    for (QWidget* field : std::initializer_list<QWidget*>{air_, humidity_, wind_, solar_, when_,
                                                          place_, latitude_, longitude_})
        field->setStyleSheet(QString());
    problem_->clear();
    const double airC = FahrenheitToCelsius(air_->value());
    airC_->setText(number(airC) + QString(" \u00b0C"));
    const double windMs = wind_->value() * 0.44704;
    windMs_->setText(number(windMs) + " m/s");
    solar_->setEnabled(sky_->currentIndex() == 3);

    WbgtInput in;
    in.airC = airC;
    in.windMs = windMs;
    if (humidityKind_->currentIndex() == 1) {
        const double dewC = FahrenheitToCelsius(humidity_->value());
        humidityC_->setText(number(dewC) + QString(" \u00b0C"));
        if (dewC > airC + 1e-9) {
            markBad(humidity_, "The dew point cannot be above the air temperature.");
            updateUseButton();
            return;
        }
        in.relativeHumidity = std::min(100.0, RelativeHumidityFromDewPoint(airC, dewC));
    } else {
        humidityC_->clear();
        in.relativeHumidity = humidity_->value();
    }
    if (sky_->currentIndex() == 3)
        in.solarWm2 = solar_->value();
    else
        in.sky = SkyCondition(sky_->currentIndex());
    in.shade = shade_->isChecked();

    QDateTime local = when_->dateTime();
    if (place_->currentIndex() == kOtherPlace) {
        local.setTimeZone(QTimeZone(int(std::lround(utcOffset_->value() * 3600))));
        zone_->clear();
    } else {
        const QTimeZone zone(kCities[place_->currentIndex()].zone);
        if (!zone.isValid()) {
            markBad(place_, "This system does not know the time zone of that place; choose "
                            "\"Another place\" and give its UTC offset.");
            updateUseButton();
            return;
        }
        local.setTimeZone(zone);
        const QSignalBlocker block(utcOffset_);
        utcOffset_->setValue(local.offsetFromUtc() / 3600.0);
        zone_->setText(zone.abbreviation(local));
    }
    const QDateTime utc = local.toUTC();
    in.year = utc.date().year();
    in.month = utc.date().month();
    in.day = utc.date().day();
    in.hour = utc.time().hour();
    in.minute = utc.time().minute();
    in.second = utc.time().second();
    in.latitude = latitude_->value();
    in.longitude = longitude_->value();

    const WbgtOutcome outcome = EstimateWbgt(in);
    if (const auto* error = std::get_if<WbgtError>(&outcome)) {
        markBad(fieldOf(error->field),
                QStringLiteral("No estimate: %1 %2.")
                    .arg(QString::fromUtf8(WbgtFieldName(error->field).data()),
                         QString::fromStdString(error->reason)));
        updateUseButton();
        return;
    }
    const WbgtResult& r = std::get<WbgtResult>(outcome);
    const double f = CelsiusToFahrenheit(r.wbgtC);
    result_->setText(
        QStringLiteral("WBGT %1 \u00b0F (%2 \u00b0C)").arg(number(f), number(r.wbgtC)));
    option_ = WbgtOptionIndex(f);
    const RiskFactor* wbgt = FindFactor("WBGT");
    const RiskOption& chosen = wbgt->options[std::size_t(*option_)];
    band_->setText(
        QStringLiteral("Question 1: \"%1\", %2 points")
            .arg(QString::fromUtf8(chosen.text.data(), qsizetype(chosen.text.size())),
                 QString::fromUtf8(chosen.outcome->data(), qsizetype(chosen.outcome->size()))));
    updateUseButton();
}

void frmWbgtEstimator::updateUseButton() {
    const bool locked = !calculator_->list("WBGT")->isEnabled();
    use_->setEnabled(option_.has_value() && !locked);
    lockNote_->setText(locked ? "Question 1 is not available: the ordinary air temperature is\n"
                                "answered instead. \"Reset\" in the calculator frees it."
                              : QString());
}

void frmWbgtEstimator::cmdUseInQuestion1_Click() {
    if (option_ && calculator_->list("WBGT")->isEnabled())
        calculator_->chooseOption("WBGT", *option_);
}

} // namespace orvane::ui
