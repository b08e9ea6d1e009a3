#include "ui/calculator/frm_solvane_calc.h"

#include "core/catalogue.h"
#include "core/evaluation.h"
#include "coreqt/core_qt.h"
#include "ui/calculator/pick_list.h"
#include "ui/charts/band_colors.h"
#include "ui/common/fonts.h"
#include "ui/common/messages.h"
#include "ui/common/single_window.h"
#include "ui/common/units.h"
#include "ui/documents/documents.h"
#include "ui/documents/frm_readme_viewer.h"
#include "ui/documents/locators.h"
#include "ui/documents/rich_text_box.h"
#include "ui/eventlog/event_log_keeper.h"
#include "ui/record/assessment_record.h"

#include <QCloseEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QPainter>
#include <QPushButton>
#include <QTextBlock>
#include <QTextDocument>

namespace orvane::ui {
namespace {

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
            // The design's dark red, but a light one on a dark desktop theme, where the dark red
            // would all but vanish.
            QPalette red = orLabel->palette();
            const bool darkGround = red.color(QPalette::Window).lightness() < 128;
            red.setColor(QPalette::WindowText,
                         darkGround ? QColor(255, 128, 128) : QColor(128, 0, 0));
            orLabel->setPalette(red);
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
    auto assessed = Assess(answers());
    if (const auto* missing = std::get_if<MissingAnswer>(&assessed)) {
        // An answer is missing, so one changed since any earlier result: that one stays stale.
        showMissingAnswer(this, qs(missing->message));
        return;
    }
    Assessment a = std::get<Assessment>(std::move(assessed));
    a.at = assessedAt(QDateTime::currentDateTime());
    bool shown = false;
    if (a.referral) {
        txt_Total_->clear(); // a referral has no score, so no earlier one may stand beside it
        shown = LoadDocument(txtGuidelines_, "\\" + qs(kMedicalDocument));
    } else {
        // The box shows the sign's place: a blank before a total that is not negative.
        txt_Total_->setText((a.total.starts_with('-') ? QString() : QStringLiteral(" ")) +
                            qs(a.total));
        if (a.band)
            shown = LoadDocument(txtGuidelines_, "\\" + qs(a.band->document));
        else
            txtGuidelines_->setText(QString());
    }
    // The ceiling is the core's, not the document's: it shows even where a document could not.
    ceilingBlock_ = -1;
    showCeiling(a.ceiling, a.referral);
    shown_ = std::move(a);
    // The record holds the advice the window shows; without it there is nothing to file.
    record_ = shown ? buildRecord(*shown_, txtGuidelines_->document()) : nullptr;
    setResultState(ResultState::Current);
}

void frm_Solvane_Calc::showCeiling(const CeilingJudgement& ceiling, bool referral) {
    if (!ceiling.shown())
        return;
    QTextDocument* doc = txtGuidelines_->document();
    // A referral's decision and the rules right under it come first: they outrank any score.
    QTextBlock after;
    if (referral) {
        after = doc->begin();
        while (after.next().isValid() && after.next().text().startsWith(u"\u2022\t"))
            after = after.next();
    }
    QTextCursor cursor(doc);
    QTextCharFormat format;
    format.setFontFamilies({QStringLiteral("Arial")});
    format.setFontPointSize(10);
    format.setFontWeight(QFont::Bold);
    QTextBlockFormat block;
    block.setBottomMargin(4);
    if (after.isValid()) {
        cursor.setPosition(after.position() + after.length() - 1);
        cursor.insertBlock(block, format);
    } else {
        cursor.movePosition(QTextCursor::Start);
        cursor.insertBlock(block, format);
        cursor.movePosition(QTextCursor::PreviousBlock);
        cursor.setBlockFormat(block);
    }
    cursor.insertText(qs(ceiling.summary), format);
    ceilingBlock_ = cursor.block().blockNumber();
    txtGuidelines_->moveCursor(QTextCursor::Start);
}

std::vector<Answer> frm_Solvane_Calc::answers() const {
    std::vector<Answer> all;
    for (const RiskFactor& factor : Catalogue()) {
        const QString key = qs(factor.key);
        Answer answer{std::string(factor.key), utf8(lists_.at(key)->currentText()), {}, {}};
        if (factor.scored())
            answer.points = utf8(boxes_.at(key)->text());
        if (const auto source = sources_.find(key);
            source != sources_.end() && !answer.option.empty())
            answer.source = source->second;
        all.push_back(std::move(answer));
    }
    return all;
}

const Assessment* frm_Solvane_Calc::currentAssessment() const {
    return resultState_ == ResultState::Current && record_ ? &*shown_ : nullptr;
}

const CeilingJudgement* frm_Solvane_Calc::shownCeiling() const {
    return shown_ && ceilingBlock_ >= 0 ? &shown_->ceiling : nullptr;
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
    if (const QTextBlock line = txtGuidelines_->document()->findBlockByNumber(ceilingBlock_);
        ceilingBlock_ >= 0 && line.isValid()) {
        // The ceiling speaks for the result it came with: greyed with the total when stale.
        QTextCursor cursor(line);
        cursor.movePosition(QTextCursor::EndOfBlock, QTextCursor::KeepAnchor);
        QTextCharFormat ink;
        ink.setForeground(state == ResultState::Stale ? QColor(128, 128, 128) : bandInk(3));
        cursor.mergeCharFormat(ink);
    }
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

void frm_Solvane_Calc::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    menuBar_->setGeometry(0, 0, width(), menuBar_->sizeHint().height());
    const int top = client_->geometry().bottom() + 1;
    lblStatus_->setGeometry(0, top, width(), std::max(0, height() - top));
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
    ceilingBlock_ = -1;
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

void frm_Solvane_Calc::loadAnswers(const std::vector<Answer>& answers) {
    const bool wasLocked = wbgtLocked();
    // Every list empty and free first, so that the answers given lock what they lock.
    for (const RiskFactor& factor : Catalogue()) {
        const QString key = qs(factor.key);
        lists_.at(key)->setEnabled(true);
        lists_.at(key)->setCurrentIndex(-1);
        if (factor.scored())
            boxes_.at(key)->clear();
    }
    sources_.clear();
    for (const Answer& answer : answers) {
        const QString key = qs(answer.key);
        if (!lists_.count(key) || answer.option.empty())
            continue;
        const int index = lists_.at(key)->findText(qs(answer.option));
        if (index >= 0 && lists_.at(key)->isEnabled())
            chooseOption(key, index, {}); // by hand: a tool's reading of then is not one of now
    }
    if (wbgtLocked() != wasLocked)
        emit wbgtLockChanged(wbgtLocked());
    answerChanged();
    emit answersChanged();
}

void frm_Solvane_Calc::closeEvent(QCloseEvent* event) {
    QStringList pending;
    if (eventLog_->reminding())
        pending << QStringLiteral("The reminder to re-assess at %1 ends with the calculator.")
                       .arg(eventLog_->nextReminder().toString(QStringLiteral("HH:mm")));
    if (eventLog_->waiting())
        pending << QStringLiteral("An assessment is waiting for the event log, which another "
                                  "program holds: closing drops it.");
    if (!pending.isEmpty() &&
        !askYesNo(this, pending.join(u'\n') + QStringLiteral("\n\nClose the calculator?"),
                  QStringLiteral("Close"), QStringLiteral("Keep It Open"))) {
        event->ignore();
        return;
    }
    QWidget::closeEvent(event);
}

void frm_Solvane_Calc::cmd_asterisk_Click() {
    frmReadMeViewer::OpenInViewer(documents::kAsterisk, kLocator);
}

void frm_Solvane_Calc::cmd_RIR_Guidelines_Click() {
    frmReadMeViewer::OpenInViewer(documents::kFullGuidelines, kLocator);
}

} // namespace orvane::ui
