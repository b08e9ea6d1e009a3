#pragma once

// Where the planner's forecasts come from: Open-Meteo's free service unless the user sets the
// address of a paid plan (with its key) or of a server of their own. The environment's
// ORVANE_FORECAST_URL and ORVANE_GEOCODING_URL stand over what is set here, and the dialog says so.

class QWidget;

namespace orvane::ui {

// Asks for the addresses and the key and stores them; false when the user cancels.
bool askWeatherService(QWidget* parent);

} // namespace orvane::ui
