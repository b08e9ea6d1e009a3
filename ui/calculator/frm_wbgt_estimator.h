#pragma once

// The WBGT estimator: for organizers without a WBGT meter, an estimate of the wet bulb globe
// temperature from the weather (air temperature, humidity, wind and sun) at a place and time,
// by the model of Liljegren and others (2008). It shows the estimate in °F and °C with the
// calculator's option for it, and can answer question 1 with that option on request. It belongs
// to the window that opened it and closes with it; between runs it remembers only the place, and
// it offers the place the planner last planned for.
//
// Each change runs three steps apart: reading the fields into the model's input (or the one
// field that stops it, with the reason), the model, and showing what came of it.

#include "core/liljegren.h"
#include "ui/common/tool_window.h"
#include "ui/record/assessment_record.h"

#include <QWidget>

#include <optional>
#include <variant>
#include <vector>

class QCheckBox;
class QComboBox;
class QDateTimeEdit;
class QLabel;
class QPushButton;

namespace orvane::ui {

class NumberField;

class frmWbgtEstimator : public ToolWindow {
    Q_OBJECT

public:
    // `wbgtLocked`: whether question 1 is locked when the window opens; the owner keeps it told
    // through setQuestionOneLocked().
    frmWbgtEstimator(QWidget* owner, bool wbgtLocked);

    // The calculator's option for the current estimate (0 "<73°F" ... 3 ">= 86°F"), if any.
    std::optional<int> option() const { return option_; }

    void Estimate();
    void cmdUseInQuestion1_Click();
    void setQuestionOneLocked(bool locked);

    // What the fields say, ready for the model, or the field that stops it and why.
    struct Reading {
        WbgtInput input;
        QString when; // the local time as estimated, with its zone
        int utcOffsetSeconds = 0;
        QString inputs;       // all of the above in words, for the record and the log
        QString note;         // e.g. a time in a daylight-saving gap, and the time used instead
        QStringList warnings; // values the model takes but no weather produces
    };
    struct Problem {
        QWidget* field; // none when the problem is no one field's
        QString reason;
    };
    std::variant<Reading, Problem> read() const;

signals:
    // "Use in question 1": the option to choose, and what it was estimated from.
    void useInQuestionOne(int option, const AnswerSource& source);

private:
    void buildInputs();
    void placeChanged();
    void humidityKindChanged(int kind);
    void showReading(const std::variant<Reading, Problem>& reading);
    void showOutcome(const Reading& reading, const WbgtOutcome& outcome);
    void showNoEstimate(QWidget* field, const QString& reason);
    void updateUseButton();
    QWidget* fieldOf(WbgtField field) const;
    void rememberPlace();
    void restorePlace();
    int otherPlace() const; // the index of "Another place…", after every place offered

    struct Place {
        QString name;
        double latitude = 0, longitude = 0;
        QByteArray zone; // IANA id
    };
    std::vector<Place> places_; // the list's entries between "Choose a place…" and "Another"

    NumberField* air_ = nullptr;
    QComboBox* humidityKind_ = nullptr;
    QLabel* humidityLabel_ = nullptr;
    NumberField* humidity_ = nullptr;
    NumberField* wind_ = nullptr;
    QComboBox* sky_ = nullptr;
    NumberField* solar_ = nullptr;
    QCheckBox* shade_ = nullptr;
    QDateTimeEdit* when_ = nullptr;
    QComboBox* place_ = nullptr;
    NumberField* latitude_ = nullptr;
    NumberField* longitude_ = nullptr;
    NumberField* utcOffset_ = nullptr;
    QLabel* airC_ = nullptr;
    QLabel* humidityC_ = nullptr;
    QLabel* windMs_ = nullptr;
    QLabel* zone_ = nullptr;
    QLabel* result_ = nullptr;
    QLabel* band_ = nullptr;
    QLabel* warning_ = nullptr;
    QLabel* problem_ = nullptr;
    QLabel* lockNote_ = nullptr;
    QPushButton* use_ = nullptr;
    std::optional<int> option_;
    AnswerSource source_; // what the current estimate was made from
    bool locked_ = false;
    bool nowByDefault_ = true;
    QString rememberedPlace_; // as last written to the settings
};

} // namespace orvane::ui
