#pragma once

// The calculator window: the organiser answers the twelve questions, each answer shows its
// risk points at once, and "Calculate Total:" shows the total and the recommendation of its
// band. The window owns one assessment and nothing else: the risk core decides what each choice
// and each calculation mean, and the window only carries out what the core returns. Windows that
// help with an answer (the WBGT estimator) talk to it through its signals and chooseOption().

#include "core/assessment.h"
#include "ui/common/single_window.h"

#include <QPointer>
#include <QString>
#include <QWidget>

#include <array>
#include <map>
#include <memory>
#include <optional>

class QAction;
class QLabel;
class QLineEdit;
class QMenu;
class QMenuBar;
class QPushButton;
class QTextDocument;

namespace orvane::ui {

class EventLogKeeper;
class frmEventPlanner;
class PickList;
class RichTextBox;
class frmWbgtEstimator;

// Whether what "Calculate Total:" last showed still answers the questions as they stand.
enum class ResultState {
    None,    // nothing calculated since the window opened or since Reset
    Current, // the total and the advice are for the answers on screen
    Stale,   // an answer changed since: the total and the advice are for earlier answers
};

class frm_Solvane_Calc : public QWidget {
    Q_OBJECT

public:
    ~frm_Solvane_Calc() override;

    // Shows the calculator, building a new, empty one if none is open.
    static frm_Solvane_Calc* Show();
    static frm_Solvane_Calc* instance();

    // The text the viewer's locator holds when the calculator opened it.
    static const QString kLocator;

    PickList* list(const QString& key) const { return lists_.at(key); }
    QLineEdit* pointsBox(const QString& key) const { return boxes_.at(key); }

    // The handlers; one choice handler serves all twelve scored lists.
    void cbo_Click(const QString& key);
    void cmd_Calculate_Click();
    void cmd_Reset_Click();
    void cmd_Back_to_Directory_Click(); // "Exit Calculator": closes this window
    void cmd_asterisk_Click();
    void cmd_RIR_Guidelines_Click();
    // The Assessment menu: the record of the last calculation, while it matches the window.
    void mnuSaveAsPdf_Click();
    void mnuPrint_Click();
    void mnuCopyAsText_Click();
    void mnuEstimateWbgt_Click();
    void mnuPlanEventDay_Click();
    void mnuAddToEventLog_Click();
    void mnuEventLog_Click();
    EventLogKeeper* eventLog() const { return eventLog_; }

    ResultState resultState() const { return resultState_; }
    // The assessment on screen while it is current and its advice is shown, else nullptr.
    const Assessment* currentAssessment() const;
    // The WBGT ceiling of the last calculation, while its line is shown above the advice.
    const CeilingJudgement* shownCeiling() const;
    const QTextDocument* record() const;
    // Whether question 1 is locked because the air temperature answers it instead.
    bool wbgtLocked() const;
    // The twelve points boxes in the order the risk core reads them.
    std::array<QString, 12> pointsTexts() const;

    // Chooses an option for the user, at the user's request (the estimator's "Use in question
    // 1"): the list then runs the very handler that a choice of the user's own runs, and the
    // answer remembers where it came from.
    void chooseOption(const QString& key, int index, const AnswerSource& source);
    // Puts an earlier assessment's answers back, as choices by hand (the Event Log's "Load These
    // Answers"): a change of answers, so a result on screen turns stale until "Calculate Total:".
    void loadAnswers(const std::vector<Answer>& answers);

signals:
    void resultStateChanged(ResultState state);
    // Question 1 was locked by an answer to the air temperature, or freed by Reset.
    void wbgtLockChanged(bool locked);
    // A points box changed: by a choice, or by Reset.
    void answersChanged();

protected:
    void resizeEvent(QResizeEvent* event) override;
    // A reminder set, or an entry waiting for the log, ends with the program: asked first.
    void closeEvent(QCloseEvent* event) override;

private:
    // Only Show() makes one, through the one-instance rule; a window built and shown any other
    // way would be a second one.
    frm_Solvane_Calc();
    friend class SingleWindow<frm_Solvane_Calc>;

    void buildMenu();
    void buildQuestions();
    void buildBottomRow();
    void setTabOrder();

    // The answers on screen, each with where it came from.
    std::vector<Answer> answers() const;
    // The ceiling's line at the top of the advice, or after a referral's opening rules.
    void showCeiling(const CeilingJudgement& ceiling, bool referral);
    // The one place the result's state changes; the total's shade, the ceiling's, the status
    // line and the record's actions follow it.
    void setResultState(ResultState state);
    void setStatus(const QString& text);
    void answerChanged();

    QMenuBar* menuBar_ = nullptr;
    QWidget* client_ = nullptr;   // the designed area, below the menu bar
    QLabel* lblStatus_ = nullptr; // one line below the designed area
    QAction* actSaveAsPdf_ = nullptr;
    QAction* actPrint_ = nullptr;
    QAction* actCopyAsText_ = nullptr;
    QAction* actAddToEventLog_ = nullptr;
    QMenu* mnuRemind_ = nullptr;
    QPointer<frmWbgtEstimator> estimator_;
    QPointer<frmEventPlanner> planner_;
    EventLogKeeper* eventLog_ = nullptr;
    ResultState resultState_ = ResultState::None;
    // What the last calculation showed; its record exists only when its advice was shown.
    std::optional<Assessment> shown_;
    int ceilingBlock_ = -1; // the advice's block that holds the ceiling's line; -1 for none
    std::unique_ptr<QTextDocument> record_;
    // Where each answer came from; a choice by hand clears its entry.
    std::map<QString, AnswerSource> sources_;
    AnswerSource incomingSource_; // for the choice chooseOption() is making
    std::map<QString, PickList*> lists_;
    std::map<QString, QLineEdit*> boxes_;
    RichTextBox* txtGuidelines_ = nullptr; // the band's advice, under the questions
    QLineEdit* txt_Total_ = nullptr;
    QPushButton* cmd_Back_to_Directory_ = nullptr; // "Exit Calculator"
    QPushButton* cmd_asterisk_ = nullptr;
    QPushButton* cmd_Reset_ = nullptr;
    QPushButton* cmd_RIR_Guidelines_ = nullptr;
    QPushButton* cmd_Calculate_ = nullptr;
};

} // namespace orvane::ui
