#pragma once

class QApplication;

namespace orvane::ui {

// Everything the program sets up before its first window: names, fonts and icon.
void setUpApplication(QApplication& app);

} // namespace orvane::ui
