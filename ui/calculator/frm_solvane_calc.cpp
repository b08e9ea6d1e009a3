#include "ui/calculator/frm_solvane_calc.h"

#include "core/catalogue.h"
#include "core/evaluation.h"
#include "ui/calculator/frm_wbgt_estimator.h"
#include "ui/calculator/pick_list.h"
#include "ui/common/fonts.h"
#include "ui/common/messages.h"
#include "ui/common/single_window.h"
#include "ui/common/units.h"
#include "ui/documents/documents.h"
#include "ui/documents/frm_readme_viewer.h"
#include "ui/documents/locators.h"
#include "ui/documents/rich_text_box.h"
#include "ui/eventlog/event_log_keeper.h"
#include "ui/planner/frm_event_planner.h"
#include "ui/record/assessment_record.h"

#include <QClipboard>
#include <QDir>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QPainter>
#include <QPrintDialog>
#include <QPrinter>
#include <QPushButton>
#include <QStandardPaths>
#include <QTextDocument>

namespace orvane::ui {
namespace {

QString qs(std::string_view s) {
    return QString::fromUtf8(s.data(), qsizetype(s.size()));
}

// One question row of the design, in twips: caption label, list and points box.
struct Row {
    const char* key;
    QRect label;
    QRect list;
    QRect box; // empty for the reminder-only question
};

const Row kRows[] = {
    {"WBGT", {200, 525, 2775, 375}, {3000, 480, 1095, 315}, {4080, 480, 375, 315}},
    {"Dry_Bulb", {415, 988, 2535, 255}, {3000, 894, 1095, 315}, {4080, 894, 375, 315}},
    {"Duration", {195, 1440, 2895, 255}, {2880, 1410, 1215, 315}, {4080, 1410, 375, 315}},
    {"Intensity", {195, 1800, 3735, 375}, {720, 2040, 3375, 315}, {4080, 2040, 375, 315}},
    {"Acclimatization", {195, 2520, 3015, 375}, {720, 2760, 3375, 315}, {4080, 2760, 375, 315}},
    {"Ability", {195, 3240, 3735, 255}, {720, 3480, 3375, 315}, {4080, 3480, 375, 315}},
    {"Age", {4875, 270, 1935, 255}, {6960, 240, 1815, 315}, {8760, 240, 375, 315}},
    {"Drinks", {4875, 750, 2655, 255}, {7440, 720, 1335, 315}, {8760, 720, 375, 315}},
    {"Time", {4875, 1230, 2295, 255}, {6960, 1200, 1815, 315}, {8760, 1200, 375, 315}},
    {"Surface", {4875, 1710, 1575, 255}, {6360, 1680, 2415, 315}, {8760, 1680, 375, 315}},
    {"Venue", {4875, 2162, 975, 255}, {5880, 2162, 2895, 315}, {8760, 2162, 375, 315}},
    {"Medical", {4875, 2580, 4215, 255}, {5160, 2808, 3615, 315}, {8760, 2808, 375, 315}},
    {"Other", {4875, 3240, 4335, 255}, {5160, 3480, 3975, 315}, {}},
};

// The outline that frames the questions: drawn beneath every control, and blind to the mouse.
class Outline : public QWidget {
public:
    using QWidget::QWidget;

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        painter.setPen(palette().color(QPalette::WindowText));
        painter.drawRect(rect().adjusted(0, 0, -1, -1));
    }
};

QLineEdit* readOnlyBox(QWidget* parent, const QString& name, const QRect& twips,
                       const QFont& font) {
    auto* box = new QLineEdit(parent);
    box->setObjectName(name);
    box->setGeometry(twipsRect(twips));
    box->setFont(font);
    box->setAlignment(Qt::AlignCenter);
    box->setReadOnly(true); // selectable and focusable, but only the program writes it
    box->setTextMargins(0, 0, 0, 0);
    return box;
}

} // namespace

const QString frm_Solvane_Calc::kLocator = QStringLiteral("Solvane Calculator");

frm_Solvane_Calc::~frm_Solvane_Calc() = default;

frm_Solvane_Calc* frm_Solvane_Calc::Show() {
    // The viewer's "Back" finds its way here by this locator, even after this window closed.
    registerLocator(kLocator, [] { Show(); });
    return SingleWindow<frm_Solvane_Calc>::show();
}

frm_Solvane_Calc* frm_Solvane_Calc::instance() {
    return SingleWindow<frm_Solvane_Calc>::instance();
}

frm_Solvane_Calc::frm_Solvane_Calc() {
    setObjectName("frm_Solvane_Calc");
    setWindowTitle(
        "Solvane Calculator - Daduzo Vizeruda Zavevodov (SA Branch) - Non-Desert Version*");
    setWindowIcon(QIcon(":/orvane/icon-32.png"));
    setFont(msSansSerif(8.25));

    // The menu bar stands above the designed client area and the status line below it; the
    // designed area keeps its size and layout between them.
    buildMenu();
    const int menuHeight = menuBar_->sizeHint().height();
    client_ = new QWidget(this);
    client_->setObjectName("client");
    client_->setGeometry(QRect(QPoint(0, menuHeight), twipsSize(9375, 5925)));
    lblStatus_ = new QLabel(this);
    lblStatus_->setObjectName("lblStatus");
    lblStatus_->setContentsMargins(px(120), 0, px(120), 0);
    lblStatus_->setAccessibleName("Status");
    lblStatus_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    // As high as the menu bar, so the designed area sits between two equal bands.
    resize(twipsSize(9375, 5925) + QSize(0, 2 * menuHeight));

    auto* shape = new Outline(client_);
    shape->setObjectName("Shape1");
    shape->setGeometry(twipsRect(120, 120, 9135, 3855));
    shape->setAttribute(Qt::WA_TransparentForMouseEvents);

    buildQuestions();
    buildBottomRow();
    setTabOrder();
    cmd_Back_to_Directory_->setFocus(); // the first control in the tab order
}

void frm_Solvane_Calc::buildQuestions() {
    const QFont bold = msSansSerif(8.25, true);
    const QFont regular = msSansSerif(8.25, false);

    auto* heading = new QLabel("Risk Points", client_);
    heading->setObjectName("lbl_Risk_Points");
    heading->setFont(regular);
    heading->setGeometry(twipsRect(3840, 240, 975, 255));

    // Labels first, then lists and boxes, so that lists are drawn over the labels they overlap.
    for (const Row& row : kRows) {
        const RiskFactor* factor = FindFactor(row.key);
        auto* label = new QLabel(qs(factor->label), client_);
        label->setObjectName(QString("lbl_") + row.key);
        label->setFont(bold);
        label->setGeometry(twipsRect(row.label));
        label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
        label->setAutoFillBackground(true);
        if (QString(row.key) == "WBGT") {
            // "- OR -" overlaps the empty lower half of the WBGT caption and is drawn above it.
            auto* orLabel = new QLabel("- OR -", client_);
            orLabel->setObjectName("lbl_Or");
            orLabel->setFont(regular);
            orLabel->setGeometry(twipsRect(480, 765, 615, 172));
            QPalette darkRed = orLabel->palette();
            darkRed.setColor(QPalette::WindowText, QColor(128, 0, 0));
            orLabel->setPalette(darkRed);
        }
    }
    for (const Row& row : kRows) {
        const QString key = row.key;
        const RiskFactor* factor = FindFactor(row.key);
        auto* list = new PickList(client_);
        list->setObjectName("cbo_" + key);
        list->setFont(bold);
        list->setGeometry(twipsRect(row.list));
        for (const std::string_view option : FactorOptions(row.key))
            list->addItem(qs(option));
        list->setCurrentIndex(-1);
        list->setAccessibleName(qs(factor->label));
        lists_[key] = list;
        // Every change of an answer, by hand, by a tool or by Reset, passes here.
        connect(list, &QComboBox::currentIndexChanged, this, &frm_Solvane_Calc::answerChanged);

        if (row.box.isEmpty())
            continue; // the reminder list scores nothing
        boxes_[key] = readOnlyBox(client_, "txt_" + key, row.box, bold);
        boxes_[key]->setAccessibleName("Risk points: " + qs(factor->label));
        connect(list, &QComboBox::activated, this, [this, key] { cbo_Click(key); });
    }

    const QString chooseHint = "Click the down arrow, then click best match.";
    const QString starHint = "Click on the * button at the bottom of page for explanation.";
    findChild<QLabel*>("lbl_WBGT")->setToolTip("Click on the down arrow to view choices.");
    lists_["WBGT"]->setToolTip(chooseHint);
    findChild<QLabel*>("lbl_Dry_Bulb")->setToolTip(starHint);
    lists_["Dry_Bulb"]->setToolTip(chooseHint);
    findChild<QLabel*>("lbl_Medical")->setToolTip(starHint);
    findChild<QLabel*>("lbl_Time")->setToolTip("DST = \"Daylight Saving Time\"");
}

void frm_Solvane_Calc::buildBottomRow() {
    txtGuidelines_ = new RichTextBox(client_);
    txtGuidelines_->setObjectName("txtGuidelines");
    txtGuidelines_->setGeometry(twipsRect(120, 4080, 9135, 1215));
    txtGuidelines_->setAccessibleName("Recommendation");

    const QFont buttonFont = msSansSerif(9.75, true);
    auto button = [&](const char* name, const QString& caption, QRect twips) {
        auto* b = new QPushButton(caption, client_);
        b->setObjectName(name);
        b->setFont(buttonFont);
        b->setGeometry(twipsRect(twips));
        b->setAutoDefault(false); // no button answers Enter or Escape for the window
        return b;
    };
    cmd_Back_to_Directory_ =
        button("cmd_Back_to_Directory", "Exit Calculator", {120, 5456, 1815, 375});
    cmd_asterisk_ = button("cmd_asterisk", "*", {2040, 5456, 495, 375});
    cmd_asterisk_->setFont(msSansSerif(18, true));
    cmd_asterisk_->setToolTip(
        "Click on this button for explanation of the items marked with an * above.");
    cmd_Reset_ = button("cmd_Reset", "Reset", {2640, 5456, 855, 375});
    cmd_RIR_Guidelines_ =
        button("cmd_RIR_Guidelines", "View Full RIR Guidelines", {3600, 5456, 3015, 375});
    cmd_RIR_Guidelines_->setToolTip(
        "Click on this button to see the original RIR guidelines text, plus web links.");
    cmd_Calculate_ = button("cmd_Calculate", "Calculate Total:", {6720, 5456, 1815, 375});

    txt_Total_ = readOnlyBox(client_, "txt_Total", {8520, 5456, 735, 375}, msSansSerif(12, true));
    txt_Total_->setAccessibleName("Total risk score");

    connect(cmd_Back_to_Directory_, &QPushButton::clicked, this,
            &frm_Solvane_Calc::cmd_Back_to_Directory_Click);
    connect(cmd_asterisk_, &QPushButton::clicked, this, &frm_Solvane_Calc::cmd_asterisk_Click);
    connect(cmd_Reset_, &QPushButton::clicked, this, &frm_Solvane_Calc::cmd_Reset_Click);
    connect(cmd_RIR_Guidelines_, &QPushButton::clicked, this,
            &frm_Solvane_Calc::cmd_RIR_Guidelines_Click);
    connect(cmd_Calculate_, &QPushButton::clicked, this, &frm_Solvane_Calc::cmd_Calculate_Click);
}

void frm_Solvane_Calc::setTabOrder() {
    // The stored order of the design, which does not follow the visual arrangement.
    const QList<QWidget*> order{
        cmd_Back_to_Directory_,
        cmd_Reset_,
        cmd_Calculate_,
        boxes_["Time"],
        cmd_RIR_Guidelines_,
        lists_["WBGT"],
        boxes_["WBGT"],
        lists_["Duration"],
        boxes_["Duration"],
        boxes_["Intensity"],
        lists_["Intensity"],
        boxes_["Acclimatization"],
        lists_["Acclimatization"],
        boxes_["Ability"],
        lists_["Ability"],
        lists_["Age"],
        boxes_["Age"],
        boxes_["Drinks"],
        lists_["Drinks"],
        lists_["Time"],
        lists_["Surface"],
        boxes_["Surface"],
        lists_["Medical"],
        boxes_["Medical"],
        lists_["Other"],
        txtGuidelines_,
        txt_Total_,
        lists_["Venue"],
        boxes_["Venue"],
        lists_["Dry_Bulb"],
        boxes_["Dry_Bulb"],
        cmd_asterisk_,
    };
    for (qsizetype i = 1; i < order.size(); ++i)
        QWidget::setTabOrder(order[i - 1], order[i]);
}

void frm_Solvane_Calc::cbo_Click(const QString& key) {
    PickList* list = lists_.at(key);
    const QByteArray keyBytes = key.toUtf8();
    const QByteArray text = list->currentText().toUtf8();
    const SelectionEffect effect = SelectionRule(
        std::string_view(keyBytes.constData(), std::size_t(keyBytes.size())), list->currentIndex(),
        std::string_view(text.constData(), std::size_t(text.size())));
    if (effect.pointsBoxKey)
        boxes_.at(qs(*effect.pointsBoxKey))->setText(qs(effect.points));
    sources_[key] = std::exchange(incomingSource_, AnswerSource{});
    if (effect.disableListKey) {
        const bool wasLocked = wbgtLocked();
        lists_.at(qs(*effect.disableListKey))->setEnabled(false);
        if (wbgtLocked() != wasLocked)
            emit wbgtLockChanged(true);
    }
    emit answersChanged();
}

std::array<QString, kBoxCount> frm_Solvane_Calc::pointsTexts() const {
    std::array<QString, kBoxCount> texts;
    for (std::size_t i = 0; i < kBoxCount; ++i)
        texts[i] = boxes_.at(qs(kBoxKeys[i]))->text();
    return texts;
}

bool frm_Solvane_Calc::wbgtLocked() const {
    return !lists_.at(QStringLiteral("WBGT"))->isEnabled();
}

void frm_Solvane_Calc::answerChanged() {
    if (resultState_ == ResultState::Current)
        setResultState(ResultState::Stale);
}

void frm_Solvane_Calc::cmd_Calculate_Click() {
    std::array<QByteArray, kBoxCount> held;
    BoxTexts texts;
    const std::array<QString, kBoxCount> boxes = pointsTexts();
    for (std::size_t i = 0; i < kBoxCount; ++i) {
        held[i] = boxes[i].toUtf8();
        texts[i] = std::string_view(held[i].constData(), std::size_t(held[i].size()));
    }
    const EvaluationOutcome outcome = EvaluateRisk(texts);
    if (const auto* missing = std::get_if<MissingAnswer>(&outcome)) {
        // An answer is missing, so one changed since any earlier result: that one stays stale.
        showMessage(this, qs(missing->message));
        return;
    }
    std::optional<QString> total;
    QString band;
    bool shown = false;
    if (const auto* referral = std::get_if<MedicalReferral>(&outcome)) {
        txt_Total_->clear(); // a referral has no score, so no earlier one may stand beside it
        shown = LoadDocument(txtGuidelines_, "\\" + qs(referral->document));
    } else {
        const auto& scored = std::get<Scored>(outcome);
        txt_Total_->setText(QString::fromStdString(scored.display));
        total = txt_Total_->text().trimmed();
        if (scored.band) {
            band = qs(scored.band->document);
            shown = LoadDocument(txtGuidelines_, "\\" + band);
        }
    }
    shown_ = assessment(total, band);
    // The record holds the advice the window shows; without it there is nothing to file.
    record_ = shown ? buildRecord(*shown_) : nullptr;
    setResultState(ResultState::Current);
}

Assessment frm_Solvane_Calc::assessment(const std::optional<QString>& total,
                                        const QString& band) const {
    Assessment a;
    a.calculated = QDateTime::currentDateTime();
    a.total = total;
    a.band = band;
    a.advice = txtGuidelines_->document();
    for (const RiskFactor& factor : Catalogue()) {
        const QString key = qs(factor.key);
        Assessment::Answer answer{key, qs(factor.label), lists_.at(key)->currentText(), {}, {}};
        if (factor.scored())
            answer.points = boxes_.at(key)->text();
        if (const auto source = sources_.find(key);
            source != sources_.end() && !answer.option.isEmpty())
            answer.source = source->second;
        a.answers.push_back(answer);
    }
    return a;
}

const Assessment* frm_Solvane_Calc::currentAssessment() const {
    return resultState_ == ResultState::Current && record_ ? &*shown_ : nullptr;
}

const QTextDocument* frm_Solvane_Calc::record() const {
    return currentAssessment() ? record_.get() : nullptr;
}

void frm_Solvane_Calc::setResultState(ResultState state) {
    resultState_ = state;
    if (state != ResultState::Current)
        record_.reset();
    if (state == ResultState::None)
        shown_.reset();
    // A result for earlier answers stays readable, but plainly not the answer to these.
    QPalette shade;
    if (state == ResultState::Stale)
        shade.setColor(QPalette::Text, palette().color(QPalette::Disabled, QPalette::Text));
    txt_Total_->setPalette(shade);
    setStatus(state == ResultState::Stale
                  ? QStringLiteral("The result shown is for earlier answers. Press "
                                   "\"Calculate Total:\" to update it.")
                  : QString());
    for (QAction* action : {actSaveAsPdf_, actPrint_, actCopyAsText_, actAddToEventLog_})
        action->setEnabled(record() != nullptr);
    emit resultStateChanged(state);
}

void frm_Solvane_Calc::setStatus(const QString& text) {
    lblStatus_->setText(text);
}

void frm_Solvane_Calc::buildMenu() {
    menuBar_ = new QMenuBar(this);
    menuBar_->setObjectName("mnuBar");
    QMenu* menu = menuBar_->addMenu(QStringLiteral("&Assessment"));
    menu->setObjectName("mnuAssessment");
    menu->setAccessibleName(QStringLiteral("Assessment"));
    auto action = [&](const char* name, const QString& text, const QString& accessible,
                      const QKeySequence& keys, void (frm_Solvane_Calc::*handler)()) {
        QAction* a = menu->addAction(text);
        a->setObjectName(name);
        a->setShortcut(keys);
        a->setShortcutVisibleInContextMenu(true);
        a->setToolTip(accessible);
        a->setWhatsThis(accessible);
        a->setEnabled(false);
        // Shortcuts work in the whole window, not only while the menu is open.
        addAction(a);
        connect(a, &QAction::triggered, this, handler);
        return a;
    };
    actSaveAsPdf_ =
        action("mnuSaveAsPdf", QStringLiteral("&Save as PDF\u2026"),
               QStringLiteral("Save the assessment record as PDF"),
               QKeySequence(Qt::CTRL | Qt::Key_S), &frm_Solvane_Calc::mnuSaveAsPdf_Click);
    actPrint_ = action("mnuPrint", QStringLiteral("&Print\u2026"),
                       QStringLiteral("Print the assessment record"),
                       QKeySequence(Qt::CTRL | Qt::Key_P), &frm_Solvane_Calc::mnuPrint_Click);
    actCopyAsText_ = action("mnuCopyAsText", QStringLiteral("&Copy as Text"),
                            QStringLiteral("Copy the assessment record as text"),
                            QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_C),
                            &frm_Solvane_Calc::mnuCopyAsText_Click);
    menu->addSeparator();
    actAddToEventLog_ =
        action("mnuAddToEventLog", QStringLiteral("Add to Event &Log\u2026"),
               QStringLiteral("Add the assessment to the event log"),
               QKeySequence(Qt::CTRL | Qt::Key_L), &frm_Solvane_Calc::mnuAddToEventLog_Click);
    // The reminder is offered once something was added, since it names the last assessment.
    mnuRemind_ = menu->addMenu(QStringLiteral("&Remind Me to Re-assess"));
    mnuRemind_->setObjectName("mnuRemind");
    mnuRemind_->setEnabled(false);
    for (const int minutes : {15, 30, 60}) {
        QAction* in = mnuRemind_->addAction(QStringLiteral("In %1 Minutes").arg(minutes));
        in->setObjectName(QStringLiteral("mnuRemind%1").arg(minutes));
        connect(in, &QAction::triggered, this, [this, minutes] { eventLog_->remindIn(minutes); });
    }
    QAction* cancel = mnuRemind_->addAction(QStringLiteral("&Cancel the Reminder"));
    cancel->setObjectName("mnuRemindCancel");
    cancel->setEnabled(false);
    connect(cancel, &QAction::triggered, this, [this] { eventLog_->cancelReminder(); });
    action("mnuEventLog", QStringLiteral("E&vent Log\u2026"), QStringLiteral("Show the event log"),
           QKeySequence(), &frm_Solvane_Calc::mnuEventLog_Click)
        ->setEnabled(true);
    menu->addSeparator();
    action("mnuPlanEventDay", QStringLiteral("Plan the Event &Day\u2026"),
           QStringLiteral("Plan the event day from the hourly weather forecast"),
           QKeySequence(Qt::CTRL | Qt::Key_D), &frm_Solvane_Calc::mnuPlanEventDay_Click)
        ->setEnabled(true);
    action("mnuEstimateWbgt", QStringLiteral("&Estimate WBGT\u2026"),
           QStringLiteral("Estimate the wet bulb globe temperature from the weather"),
           QKeySequence(Qt::CTRL | Qt::Key_E), &frm_Solvane_Calc::mnuEstimateWbgt_Click)
        ->setEnabled(true);

    eventLog_ = new EventLogKeeper(this);
    connect(eventLog_, &EventLogKeeper::status, this, &frm_Solvane_Calc::setStatus);
    connect(eventLog_, &EventLogKeeper::entryAdded, this, [this] { mnuRemind_->setEnabled(true); });
    connect(eventLog_, &EventLogKeeper::reminderChanged, cancel, &QAction::setEnabled);
}

void frm_Solvane_Calc::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    menuBar_->setGeometry(0, 0, width(), menuBar_->sizeHint().height());
    const int top = client_->geometry().bottom() + 1;
    lblStatus_->setGeometry(0, top, width(), std::max(0, height() - top));
}

void frm_Solvane_Calc::mnuSaveAsPdf_Click() {
    const QTextDocument* doc = record();
    if (!doc)
        return;
    const QString path =
        chooseSaveFile(this, QStringLiteral("Save the assessment as PDF"), proposedSaveFolder(),
                       recordFileName(shown_->calculated), QStringLiteral("PDF documents (*.pdf)"),
                       QStringLiteral("pdf"));
    if (path.isEmpty())
        return;
    if (const QString error = saveRecordPdf(*doc, path, QLocale()); !error.isEmpty()) {
        showProblem(this, QStringLiteral("The assessment could not be saved as \"%1\": %2.\n\n"
                                         "Nothing was written; a file already there is unchanged.")
                              .arg(QDir::toNativeSeparators(path), error));
        return;
    }
    rememberSavedFile(path);
    setStatus(QStringLiteral("Saved: %1").arg(QDir::toNativeSeparators(path)));
}

void frm_Solvane_Calc::mnuPrint_Click() {
    const QTextDocument* doc = record();
    if (!doc)
        return;
    QPrinter printer(QPrinter::HighResolution);
    prepareRecordPrinter(printer, QLocale(), shown_->calculated);
    QPrintDialog dialog(&printer, this);
    if (dialog.exec() != QDialog::Accepted)
        return;
    if (const QString error = printRecord(*doc, printer); !error.isEmpty())
        showProblem(this, QStringLiteral("The assessment could not be printed: %1.").arg(error));
}

void frm_Solvane_Calc::mnuEstimateWbgt_Click() {
    // One at a time, owned by this window and closed with it; one that is closing is gone.
    if (!estimator_ || !estimator_->isVisible()) {
        estimator_ = new frmWbgtEstimator(this, wbgtLocked());
        connect(this, &frm_Solvane_Calc::wbgtLockChanged, estimator_,
                &frmWbgtEstimator::setQuestionOneLocked);
        connect(estimator_, &frmWbgtEstimator::useInQuestionOne, this,
                [this](int option, const AnswerSource& source) {
                    chooseOption(QStringLiteral("WBGT"), option, source);
                });
        // Beside the calculator: over it, it would hide question 1, which it answers.
        placeBeside(estimator_, this);
        estimator_->show();
    }
    estimator_->raise();
    estimator_->activateWindow();
}

void frm_Solvane_Calc::chooseOption(const QString& key, int index, const AnswerSource& source) {
    PickList* list = lists_.at(key);
    list->setCurrentIndex(index);
    incomingSource_ = source;
    emit list->activated(index);
    incomingSource_ = {}; // in case the list had no handler to take it
}

void frm_Solvane_Calc::mnuPlanEventDay_Click() {
    // One at a time, owned by this window and closed with it; one that is closing is gone.
    if (!planner_ || !planner_->isVisible()) {
        planner_ = new frmEventPlanner(this, wbgtLocked(), pointsTexts());
        connect(this, &frm_Solvane_Calc::wbgtLockChanged, planner_,
                &frmEventPlanner::setQuestionOneLocked);
        connect(this, &frm_Solvane_Calc::answersChanged, planner_,
                [this] { planner_->setAnswers(pointsTexts()); });
        connect(planner_, &frmEventPlanner::useInQuestionOne, this,
                [this](int option, const AnswerSource& source) {
                    chooseOption(QStringLiteral("WBGT"), option, source);
                });
        placeBeside(planner_, this);
        planner_->show();
    }
    planner_->raise();
    planner_->activateWindow();
}

void frm_Solvane_Calc::mnuAddToEventLog_Click() {
    if (const Assessment* shown = currentAssessment())
        eventLog_->add(*shown);
}

void frm_Solvane_Calc::mnuEventLog_Click() {
    eventLog_->openWindow();
}

void frm_Solvane_Calc::mnuCopyAsText_Click() {
    if (const QTextDocument* doc = record())
        QGuiApplication::clipboard()->setText(recordText(*doc));
}

void frm_Solvane_Calc::cmd_Reset_Click() {
    const bool wasLocked = wbgtLocked();
    for (const RiskFactor& factor : Catalogue()) {
        const QString key = qs(factor.key);
        lists_.at(key)->setEnabled(true); // frees whichever way of asking was locked
        if (factor.scored())
            boxes_.at(key)->clear();
    }
    txt_Total_->clear();
    txtGuidelines_->setText(QString());
    sources_.clear();
    setResultState(ResultState::None);
    // Emptying a list is no choice: no selection rule runs, and the boxes stay empty.
    for (const RiskFactor& factor : Catalogue())
        lists_.at(qs(factor.key))->setCurrentIndex(-1);
    if (wasLocked)
        emit wbgtLockChanged(false);
    emit answersChanged();
}

void frm_Solvane_Calc::cmd_Back_to_Directory_Click() {
    close();
}

void frm_Solvane_Calc::cmd_asterisk_Click() {
    frmReadMeViewer::OpenInViewer(documents::kAsterisk, kLocator);
}

void frm_Solvane_Calc::cmd_RIR_Guidelines_Click() {
    frmReadMeViewer::OpenInViewer(documents::kFullGuidelines, kLocator);
}

} // namespace orvane::ui
