#pragma once

// The program's message boxes: modal, captioned with the application title. Tests can take the
// finished box instead of letting it block.

#include <QMessageBox>

#include <functional>

namespace orvane::ui {

inline constexpr const char* kApplicationTitle = "OrvaneCalculatorF";

// Receives each box in place of exec(); an empty handler restores the normal modal run.
using MessageInterceptor = std::function<void(QMessageBox&)>;
void setMessageInterceptor(MessageInterceptor interceptor);

// A message for the user: the text alone, an OK button and no icon.
void showMessage(QWidget* parent, const QString& text);

// A failure the user should know of: like showMessage, with a warning icon.
void showProblem(QWidget* parent, const QString& text);

} // namespace orvane::ui
