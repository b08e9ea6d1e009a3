#pragma once

// The program's message boxes and file dialog: modal, captioned with the application title.
// Tests can take the finished box, or answer the dialog, instead of letting them block.

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

// Asks where to save a file, starting at `suggested` (a folder and a file name); empty when the
// user cancels. A name typed without a suffix gets `suffix`.
QString chooseSaveFile(QWidget* parent, const QString& caption, const QString& suggested,
                       const QString& filter, const QString& suffix);

// Answers chooseSaveFile in place of the dialog; an empty chooser restores the dialog.
using SaveFileChooser = std::function<QString(const QString& suggested)>;
void setSaveFileChooser(SaveFileChooser chooser);

} // namespace orvane::ui
