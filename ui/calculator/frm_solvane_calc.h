#pragma once

// The calculator window: the organiser answers the twelve questions, each answer shows its
// risk points at once, and "Calculate Total:" shows the total and the recommendation of its
// band. The window owns one assessment and nothing else: the risk core decides what each choice
// and each calculation mean, and the window only carries out what the core returns.

#include <QWidget>

#include <map>

class QLabel;
class QLineEdit;
class QPushButton;

namespace orvane::ui {

class PickList;
class RichTextBox;

class frm_Solvane_Calc : public QWidget {
    Q_OBJECT

public:
    explicit frm_Solvane_Calc(QWidget* parent = nullptr);

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
    void cmd_Back_to_Directory_Click();
    void cmd_asterisk_Click();
    void cmd_RIR_Guidelines_Click();

private:
    void buildQuestions();
    void buildBottomRow();
    void setTabOrder();

    std::map<QString, PickList*> lists_;
    std::map<QString, QLineEdit*> boxes_;
    RichTextBox* txtGuidelines_ = nullptr;
    QLineEdit* txt_Total_ = nullptr;
    QPushButton* cmd_Back_to_Directory_ = nullptr;
    QPushButton* cmd_asterisk_ = nullptr;
    QPushButton* cmd_Reset_ = nullptr;
    QPushButton* cmd_RIR_Guidelines_ = nullptr;
    QPushButton* cmd_Calculate_ = nullptr;
};

} // namespace orvane::ui
