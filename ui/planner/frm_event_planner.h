#pragma once

// The event-day planner: for a place and a date up to 15 days ahead, the hourly weather
// forecast put through the WBGT model, with question 1's option for each hour, question 8's for
// its time of day, and, with the calculator's other answers, the total and band it would give;
// the WBGT ceiling's levels wherever an hour reaches them; the day on a chart with the event's
// hours marked; what the event itself comes to; and the start of the event, in daylight, whose
// hours are the coolest. An hour can answer question 1 in the calculator. Forecasts come from
// Open-Meteo over the internet, only when asked for, and a forecast is shown only under the
// place and date it was asked for. The window belongs to the calculator and closes with it; it
// remembers its last place and the event's hours between runs.

#include "core/evaluation.h"
#include "core/forecast_plan.h"
#include "ui/common/tool_window.h"
#include "ui/planner/plan_view.h"
#include "ui/record/assessment_record.h"
#include "weather/open_meteo.h"

#include <QDate>
#include <QTimeZone>

#include <array>
#include <optional>
#include <vector>

class QCheckBox;
class QComboBox;
class QDateEdit;
class QLabel;
class QLineEdit;
class QProgressBar;
class QPushButton;
class QTableWidget;
class QTextDocument;
class QTimeEdit;

namespace orvane::weather {
class WeatherClient;
}

namespace orvane::ui {

class BandChart;
class NumberField;

class frmEventPlanner : public ToolWindow {
    Q_OBJECT

public:
    using PointsTexts = std::array<QString, kBoxCount>;

    frmEventPlanner(QWidget* owner, bool wbgtLocked, const PointsTexts& answers);
    ~frmEventPlanner() override;

    void setQuestionOneLocked(bool locked);
    // The calculator's points boxes, in its reading order; the totals follow them.
    void setAnswers(const PointsTexts& answers);

    void cmdSearch_Click();
    void cmdGetForecast_Click();
    void cmdCancel_Click();
    void cmdUseHour_Click();
    void cmdSavePlan_Click();
    void cmdCopyAsText_Click();
    void cmdWeatherService_Click();

    // Shows a forecast as if the service had just sent it for the request in flight.
    void showForecast(const weather::Forecast& forecast);

    const std::vector<PlannedHour>& plan() const { return plan_; }
    weather::WeatherClient* client() const { return client_; }
    // The plan as the record prints it, or nullptr while there is none.
    std::unique_ptr<QTextDocument> planRecord() const;

    // The place and date the planner is set to, for a new event in the log; no name while none
    // is chosen.
    struct PlaceAndDate {
        QString place;
        QDate date;
    };
    PlaceAndDate placeAndDate() const;

signals:
    void useInQuestionOne(int option, const AnswerSource& source);

private:
    struct PlaceChoice {
        QString name;
        double latitude = 0, longitude = 0;
        QString zone;
    };
    // What a forecast was asked for, to hold against the fields when its answer comes.
    struct Request {
        double latitude = 0, longitude = 0;
        QDate date;
        bool operator==(const Request&) const = default;
    };

    void buildWindow();
    QWidget* buildPlaceAndDay();
    void fillPlaces();
    void placeChanged();
    void coordinatesTyped();
    void dateChanged();
    void placesFound(const QList<weather::Place>& places);
    void failed(const weather::Failure& failure);
    // A change of place or date: the request in flight is dropped and no plan stays.
    void invalidate(const QString& why);
    void setBusy(bool busy);
    void clearPlan(const QString& why);
    void replan();
    void assess();
    void showPlan();
    void updateUseButton();
    void updateNotice();
    void rememberPlace();
    void restorePlace();
    std::optional<Request> fieldsRequest() const;
    // The place's own time zone where it is known, else the computer's.
    QTimeZone placeZone() const;
    // The dates the forecast reaches from the place's own today.
    std::pair<QDate, QDate> forecastDates() const;
    DaySpan daySpan() const;
    std::optional<BoxTexts> answerTexts() const;
    QString hourInputs(const PlannedHour& hour) const;
    void setProblem(const QString& text);

    weather::WeatherClient* client_ = nullptr;
    QLineEdit* txtFind_ = nullptr;
    QPushButton* cmdSearch_ = nullptr;
    QComboBox* cboPlace_ = nullptr;
    NumberField* latitude_ = nullptr;
    NumberField* longitude_ = nullptr;
    QLabel* lblZone_ = nullptr;
    QDateEdit* date_ = nullptr;
    QTimeEdit* start_ = nullptr;
    QTimeEdit* end_ = nullptr;
    QComboBox* cboTerrain_ = nullptr;
    QPushButton* cmdGetForecast_ = nullptr;
    QPushButton* cmdCancel_ = nullptr;
    QProgressBar* progress_ = nullptr;
    QLabel* lblNotice_ = nullptr;
    QLabel* lblProblem_ = nullptr;
    BandChart* chart_ = nullptr;
    QTableWidget* table_ = nullptr;
    QLabel* lblGaps_ = nullptr;
    QLabel* lblEvent_ = nullptr;
    QLabel* lblCoolest_ = nullptr;
    QCheckBox* chkAnyHour_ = nullptr;
    QLabel* lblAnswers_ = nullptr;
    QPushButton* cmdUseHour_ = nullptr;
    QLabel* lblLock_ = nullptr;
    QPushButton* cmdSavePlan_ = nullptr;
    QPushButton* cmdCopyAsText_ = nullptr;

    std::vector<PlaceChoice> places_; // the list's entries after "Choose a place…"
    int matches_ = 0;                 // of those, the last search's, at the head of the list
    std::array<std::string, kBoxCount> answers_; // the calculator's points boxes, as it has them
    bool locked_ = false;
    std::optional<Request> asked_; // the forecast in flight
    std::optional<weather::Forecast> forecast_;
    QString forecastPlace_; // the place the forecast is for, as named in the window
    QDateTime fetchedAt_;
    QTimeZone zone_;
    std::vector<PlannedHour> plan_;
    std::optional<MissingAnswer> missing_;
};

} // namespace orvane::ui
