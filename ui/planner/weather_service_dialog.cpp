#include "ui/planner/weather_service_dialog.h"

#include "ui/common/messages.h"
#include "weather/open_meteo.h"
#include "weather/weather_settings.h"

#include <QDialog>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>

namespace orvane::ui {

bool askWeatherService(QWidget* parent) {
    weather::WeatherSettings settings = weather::WeatherSettings::read();
    QDialog dialog(parent);
    dialog.setObjectName("dlgWeatherService");
    dialog.setWindowTitle("Weather Service");
    auto* form = new QFormLayout(&dialog);
    form->addRow(new QLabel("Leave an address empty for Open-Meteo's own. A paid plan gives a key; "
                            "a server of your own\nruns Open-Meteo's open-source software."));
    auto* forecast = new QLineEdit(settings.forecastAddress);
    forecast->setPlaceholderText(QString::fromLatin1(weather::kDefaultForecastAddress));
    forecast->setAccessibleName("Forecast address");
    auto* geocoding = new QLineEdit(settings.geocodingAddress);
    geocoding->setPlaceholderText(QString::fromLatin1(weather::kDefaultGeocodingAddress));
    geocoding->setAccessibleName("Place search address");
    auto* key = new QLineEdit(settings.apiKey);
    key->setAccessibleName("API key");
    key->setEchoMode(QLineEdit::PasswordEchoOnEdit);
    form->addRow("&Forecast address:", forecast);
    form->addRow("&Place search address:", geocoding);
    form->addRow("API &key:", key);
    const weather::Endpoints now = weather::CurrentEndpoints();
    if (now.forecastFromEnvironment || now.geocodingFromEnvironment)
        form->addRow(new QLabel(QStringLiteral("%1 or %2 is set in the environment and takes "
                                               "the place of these addresses.")
                                    .arg(QString::fromLatin1(weather::kForecastUrlVariable),
                                         QString::fromLatin1(weather::kGeocodingUrlVariable))));
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Save | QDialogButtonBox::Cancel);
    form->addRow(buttons);
    QObject::connect(buttons, &QDialogButtonBox::accepted, &dialog, [&] {
        for (QLineEdit* address : {forecast, geocoding})
            if (const QString problem = weather::AddressProblem(QUrl(address->text().trimmed()));
                !address->text().trimmed().isEmpty() && !problem.isEmpty()) {
                showMessage(&dialog, problem);
                return;
            }
        dialog.accept();
    });
    QObject::connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
    if (dialog.exec() != QDialog::Accepted)
        return false;
    settings.forecastAddress = forecast->text().trimmed();
    settings.geocodingAddress = geocoding->text().trimmed();
    settings.apiKey = key->text().trimmed();
    settings.write();
    return true;
}

} // namespace orvane::ui
