#pragma once

// The program's message boxes and file dialog: modal, captioned with the program's name as its
// windows show it (the missing-answer message keeps the application title of the design). Tests
// can take the finished box, or answer the dialog, instead of letting them block.

#include <QMessageBox>

#include <functional>

namespace orvane::ui {

inline constexpr const char* kApplicationTitle = "OrvaneCalculatorF";
inline constexpr const char* kProgramName = "Solvane Calculator";

// Receives each box in place of exec(); an empty handler restores the normal modal run.
using MessageInterceptor = std::function<void(QMessageBox&)>;
void setMessageInterceptor(MessageInterceptor interceptor);

// A message for the user: the text alone, an OK button and no icon.
void showMessage(QWidget* parent, const QString& text);

// The calculator's message for an unanswered question, as the design has it: the text alone, an
// OK button, no icon, and the application title as its caption.
void showMissingAnswer(QWidget* parent, const QString& text);

// A question with two answers; true for `yes`. An intercepted box that no one answers is "no".
bool askYesNo(QWidget* parent, const QString& text, const QString& yes, const QString& no);

// A failure the user should know of: like showMessage, with a warning icon.
void showProblem(QWidget* parent, const QString& text);

// Asks where to save a file, starting in `folder` with the bare file name `name` proposed;
// empty when the user cancels. A name typed without a suffix gets `suffix`.
QString chooseSaveFile(QWidget* parent, const QString& caption, const QString& folder,
                       const QString& name, const QString& filter, const QString& suffix);

// A name a file can take on every system: characters some systems refuse become "-".
QString safeFileName(QString name);

// Where a save dialog starts: the folder of the last successful save in this run, else the
// documents folder, else the home folder; always one that exists.
QString proposedSaveFolder();
// Remembers the folder of a file just saved; an empty path forgets it.
void rememberSavedFile(const QString& path);

// Answers chooseSaveFile in place of the dialog, given the folder and name it would propose
// joined into one path; an empty chooser restores the dialog.
using SaveFileChooser = std::function<QString(const QString& suggested)>;
void setSaveFileChooser(SaveFileChooser chooser);

} // namespace orvane::ui
