// The calculator window driven the way a person drives it: real key and mouse events on the
// real window, message boxes intercepted instead of blocking.

#include "tests/calculator_driver.h"
#include "tests/window_checks.h"
#include "ui/charts/band_colors.h"

#include <QAction>
#include <QLabel>
#include <QPointer>
#include <QSignalSpy>
#include <QTextBlock>
#include <QTextDocument>

#include <cmath>

using namespace orvane::ui;
using orvane::AnswerSource;
using namespace orvane::test;

class TestCalculator : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { prepareWindows(); }

    void init() { QVERIFY(!frm_Solvane_Calc::instance()); }

    void cleanup() { closeCalculator(); }

    // A referral gives no score, so no earlier score may stay beside it.
    void referralEmptiesTheTotal() {
        frm_Solvane_Calc* w = assessed(kModerate, By::Mouse);
        QCOMPARE(total(w), QString(" 57"));
        choose(w, "Medical", 2, By::Mouse);
        QCOMPARE(w->pointsBox("Medical")->text(), QString("X"));
        calculate(w);
        QCOMPARE(total(w), QString());
        QVERIFY(advice(w).startsWith("A serious medical condition"));
        QCOMPARE(w->resultState(), ResultState::Current);
    }

    // Only the first missing answer is reported, and what an earlier calculation showed stays.
    void missingAnswerChangesNothingElse() {
        frm_Solvane_Calc* w = openCalculator();
        for (const auto& [key, option] : with(with(kModerate, "Duration", -1), "Medical", -1))
            choose(w, key, option);
        w->findChild<QLineEdit*>("txt_Total")->setText(" 40");
        MessageCapture messages;
        calculate(w);
        QCOMPARE(messages.texts, QStringList{"Please add Overall Length of Event data."});
        QCOMPARE(messages.icons, QList{QMessageBox::NoIcon});        // a reminder, not a warning
        QCOMPARE(messages.titles, QStringList{"OrvaneCalculatorF"}); // the design's own caption
        QCOMPARE(total(w), QString(" 40"));
        QVERIFY(advice(w).isEmpty());
    }

    // A WBGT no score lowers stands above the advice, in the top band's colour, while the total
    // and band stay as the points give them; after a referral's own rules, it comes next; with
    // a stale result it greys with the total.
    void ceilingStandsAboveTheAdvice_data() {
        QTest::addColumn<int>("medical");
        QTest::addColumn<QString>("total");
        QTest::addColumn<QString>("then"); // how the advice goes on below the ceiling
        // A junior match at 4 pm on grass, >= 86°F: 20+4+4+5+6+8+4+5+2+8 = 66.
        QTest::newRow("junior match") << 0 << " 66"
                                      << "HIGH RISK";
        QTest::newRow("referral") << 2 << ""
                                  << "Heat and hard exercise";
    }
    void ceilingStandsAboveTheAdvice() {
        QFETCH(int, medical);
        QFETCH(QString, total);
        QFETCH(QString, then);
        const Choices junior{
            {"WBGT", 3},    {"Duration", 1}, {"Intensity", 1},    {"Acclimatization", 1},
            {"Ability", 1}, {"Age", 0},      {"Drinks", 1},       {"Time", 3},
            {"Surface", 1}, {"Venue", 2},    {"Medical", medical}};
        frm_Solvane_Calc* w = assessed(junior);
        QCOMPARE(orvane::test::total(w), total);
        auto* box = w->findChild<orvane::ui::RichTextBox*>("txtGuidelines");
        QTextBlock line = box->document()->begin();
        if (medical) // the referral's decision and the rules right under it come first
            for (line = line.next(); line.text().startsWith(u"\u2022\t"); line = line.next()) {
            }
        QCOMPARE(line.text(), "WBGT ceiling, whatever the score: at a WBGT of 86 °F or above, "
                              "races: cancel level; from 86.1 °F not acclimatized: cancel; above "
                              "90.0 °F everyone: cancel. Measure or estimate the WBGT to know "
                              "which.");
        QVERIFY2(line.next().text().startsWith(then), qPrintable(line.next().text()));
        saveShot(w, QStringLiteral("calculator-ceiling-%1").arg(QTest::currentDataTag()));
        const auto ink = [&] { return line.begin().fragment().charFormat().foreground().color(); };
        QCOMPARE(ink(), bandInk(3));
        choose(w, "Age", 4); // stale: the ceiling greys with the total
        QCOMPARE(ink(), QColor(128, 128, 128));
    }

    // Under a dark desktop theme "- OR -" keeps to a red that stands out from the window.
    void orStandsOutOnADarkTheme() {
        LargeDarkDesktop desktop;
        frm_Solvane_Calc* w = openCalculator();
        const auto* orLabel = w->findChild<QLabel*>("lbl_Or");
        const auto luminance = [](QColor c) {
            const auto channel = [](double v) {
                v /= 255;
                return v <= 0.03928 ? v / 12.92 : std::pow((v + 0.055) / 1.055, 2.4);
            };
            return 0.2126 * channel(c.red()) + 0.7152 * channel(c.green()) +
                   0.0722 * channel(c.blue());
        };
        const double text = luminance(orLabel->palette().color(QPalette::WindowText));
        const double ground =
            luminance(w->findChild<QWidget*>("client")->palette().color(QPalette::Window));
        const double contrast = (std::max(text, ground) + 0.05) / (std::min(text, ground) + 0.05);
        QVERIFY2(contrast >= 3, qPrintable(QString::number(contrast)));
    }

    // One state says whether the result on screen answers the questions as they stand; the total's
    // shade, the line below the questions and the record's actions all follow it.
    void resultFollowsTheAnswers() {
        frm_Solvane_Calc* w = openCalculator();
        auto* status = w->findChild<QLabel*>("lblStatus");
        auto* totalBox = w->findChild<QLineEdit*>("txt_Total");
        const QRect designed = w->findChild<QWidget*>("client")->geometry();
        QVERIFY(status->geometry().top() > designed.bottom()); // below, never over, the design
        QVERIFY(status->geometry().bottom() < w->height());
        QSignalSpy states(w, &frm_Solvane_Calc::resultStateChanged);
        const auto shown = [&] {
            const bool grey = totalBox->palette().color(QPalette::Text) ==
                              totalBox->palette().color(QPalette::Disabled, QPalette::Text);
            const bool actions = w->findChild<QAction*>("mnuSaveAsPdf")->isEnabled() &&
                                 w->findChild<QAction*>("mnuCopyAsText")->isEnabled();
            return QStringList{total(w).trimmed(), grey ? "grey" : "black",
                               status->text().isEmpty() ? "no line" : "line",
                               actions ? "record" : "no record"}
                .join(u' ');
        };
        for (const auto& [key, option] : kModerate)
            choose(w, key, option);
        QCOMPARE(w->resultState(), ResultState::None);
        calculate(w);
        QCOMPARE(shown(), QString("57 black no line record"));
        choose(w, "Age", 4); // 60 if calculated, but the window still shows 57
        QCOMPARE(w->resultState(), ResultState::Stale);
        QCOMPARE(shown(), QString("57 grey line no record"));
        QVERIFY(status->text().contains("Calculate Total:"));
        QVERIFY(advice(w).contains("\nMODERATE RISK")); // the design keeps the texts
        choose(w, "Other", 1);                          // the reminder list is an answer too
        calculate(w);
        QCOMPARE(shown(), QString("60 black no line record"));
        QTest::mouseClick(w->findChild<QPushButton*>("cmd_Reset"), Qt::LeftButton);
        QCOMPARE(w->resultState(), ResultState::None);
        QCOMPARE(shown(), QString(" black no line no record"));
        QCOMPARE(states.size(), 4); // current, stale, current, none
    }

    // An answer a tool chose keeps its source with the calculated assessment; a choice by hand
    // clears it.
    void answerRemembersItsSource() {
        frm_Solvane_Calc* w = openCalculator();
        for (const auto& [key, option] : with(kModerate, "Dry_Bulb", -1))
            choose(w, key, option);
        w->chooseOption("WBGT", 3, {AnswerSource::Kind::Estimated, "95 °F in Houston", 95.0});
        QCOMPARE(w->pointsBox("WBGT")->text(), QString("20"));
        calculate(w);
        const auto sourceOfWbgt = [w] {
            const orvane::Answer* a = w->currentAssessment()->answer("WBGT");
            return a ? a->source : AnswerSource{};
        };
        QCOMPARE(int(sourceOfWbgt().kind), int(AnswerSource::Kind::Estimated));
        QCOMPARE(sourceOfWbgt().inputs, "95 °F in Houston");
        QCOMPARE(sourceOfWbgt().wbgtF, 95.0);
        choose(w, "WBGT", 2);
        calculate(w);
        QCOMPARE(int(sourceOfWbgt().kind), int(AnswerSource::Kind::ByHand));
    }

    void temperatureLockAndReset() {
        frm_Solvane_Calc* w = openCalculator();
        QSignalSpy lock(w, &frm_Solvane_Calc::wbgtLockChanged);
        choose(w, "Dry_Bulb", 0, By::Mouse);
        QCOMPARE(w->pointsBox("Dry_Bulb")->text(), QString("2"));
        QVERIFY(!w->list("WBGT")->isEnabled());
        QVERIFY(w->list("Dry_Bulb")->isEnabled());
        choose(w, "Dry_Bulb", 3, By::Mouse);
        QCOMPARE(w->pointsBox("Dry_Bulb")->text(), QString("20")); // replaced
        QCOMPARE(lock.size(), 1); // locked once, and not unlocked by the second choice

        // Tab skips the locked list: from "View Full RIR Guidelines" straight to the WBGT box.
        w->findChild<QPushButton*>("cmd_RIR_Guidelines")->setFocus();
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        QCOMPARE(QApplication::focusWidget()->objectName(), QString("txt_WBGT"));

        choose(w, "Age", 4);
        auto* reset = w->findChild<QPushButton*>("cmd_Reset");
        reset->setFocus();
        QTest::keyClick(reset, Qt::Key_Space);
        QVERIFY(w->list("WBGT")->isEnabled());
        QVERIFY(w->list("Dry_Bulb")->isEnabled());
        for (const char* key : {"Dry_Bulb", "WBGT", "Age", "Other"}) {
            QCOMPARE(w->list(key)->currentIndex(), -1);
            QVERIFY(w->list(key)->currentText().isEmpty());
        }
        QVERIFY(w->pointsBox("Dry_Bulb")->text().isEmpty());
        QVERIFY(w->pointsBox("Age")->text().isEmpty());
        QCOMPARE(QApplication::focusWidget(), reset);
        QCOMPARE(lock.size(), 2);
        QCOMPARE(lock.last().first().toBool(), false);

        // Either question unlocks the other: WBGT now locks the air temperature.
        choose(w, "WBGT", 3, By::Mouse);
        QCOMPARE(w->pointsBox("WBGT")->text(), QString("20"));
        QVERIFY(!w->list("Dry_Bulb")->isEnabled());
    }

    void typedCharactersAreDiscarded_data() {
        QTest::addColumn<int>("key");
        QTest::newRow("letter O") << int(Qt::Key_O);
        QTest::newRow("blank") << int(Qt::Key_Space);
    }

    void typedCharactersAreDiscarded() {
        QFETCH(int, key);
        frm_Solvane_Calc* w = openCalculator();
        for (const char* name : {"Venue", "Age"}) {
            PickList* list = w->list(name);
            list->setFocus();
            if (QString(name) == "Age")
                QTest::keyClick(list, Qt::Key_End); // an answer is there already
            const int before = list->currentIndex();
            const QString boxBefore = w->pointsBox(name)->text();
            QTest::keyClick(list, Qt::Key(key));
            QCOMPARE(list->currentIndex(), before);
            QVERIFY(!list->view()->isVisible()); // the blank does not open the list either
            QCOMPARE(w->pointsBox(name)->text(), boxBefore);
        }
    }

    void typedCharactersAreDiscardedInThePopup() {
        frm_Solvane_Calc* w = openCalculator();
        PickList* list = w->list("Venue");
        list->setFocus();
        QTest::keyClick(list, Qt::Key_Down); // "Indoor air conditioning"
        QTest::keyClick(list, Qt::Key_F4);
        QAbstractItemView* view = list->view();
        QTRY_VERIFY(view->isVisible());
        const QModelIndex before = view->currentIndex();
        for (const Qt::Key key :
             {Qt::Key_O, Qt::Key_U, Qt::Key_Space, Qt::Key_4, Qt::Key_Backspace})
            QTest::keyClick(view, key); // type-ahead would jump to "Outdoors"
        QCOMPARE(view->currentIndex(), before);
        // Keys that type nothing still move, and Enter still picks.
        QTest::keyClick(view, Qt::Key_Down);
        QTest::keyClick(view, Qt::Key_Return);
        QTRY_VERIFY(!view->isVisible());
        QCOMPARE(list->currentText(), QString("Indoor no air conditioning"));
        QCOMPARE(w->pointsBox("Venue")->text(), QString("4"));
        // Escape closes without choosing.
        QTest::keyClick(list, Qt::Key_F4);
        QTRY_VERIFY(view->isVisible());
        QTest::keyClick(view, Qt::Key_Down);
        QTest::keyClick(view, Qt::Key_Escape);
        QTRY_VERIFY(!view->isVisible());
        QCOMPARE(w->pointsBox("Venue")->text(), QString("4"));
    }

    void navigationKeysOnAClosedListAreChoices_data() {
        QTest::addColumn<QList<int>>("keys");
        QTest::addColumn<QString>("points");
        // Down from nothing chooses the first: desktop-e2e answers every question so.
        QTest::newRow("end then up") << QList<int>{Qt::Key_End, Qt::Key_Up} << "4";
        QTest::newRow("page down moves one") << QList<int>{Qt::Key_PageDown} << "1";
        QTest::newRow("end then home") << QList<int>{Qt::Key_End, Qt::Key_Home} << "1";
    }

    void navigationKeysOnAClosedListAreChoices() {
        QFETCH(QList<int>, keys);
        QFETCH(QString, points);
        frm_Solvane_Calc* w = openCalculator();
        PickList* venue = w->list("Venue");
        venue->setFocus();
        for (const int key : keys)
            QTest::keyClick(venue, Qt::Key(key));
        QCOMPARE(w->pointsBox("Venue")->text(), points);
    }

    void wheelChangesNothing() {
        frm_Solvane_Calc* w = openCalculator();
        PickList* age = w->list("Age");
        const QPoint centre = age->rect().center();
        QWheelEvent wheel(centre, age->mapToGlobal(centre), QPoint(), QPoint(0, -120), Qt::NoButton,
                          Qt::NoModifier, Qt::NoScrollPhase, false);
        QApplication::sendEvent(age, &wheel);
        QCOMPARE(age->currentIndex(), -1);
        QVERIFY(w->pointsBox("Age")->text().isEmpty());
    }

    void tabOrderFromExitCalculator() {
        frm_Solvane_Calc* w = openCalculator();
        QCOMPARE(w->focusWidget()->objectName(), QString("cmd_Back_to_Directory"));
        // The stored order of the design, not the order on the screen.
        const QStringList expected =
            QString("cmd_Reset cmd_Calculate txt_Time cmd_RIR_Guidelines cbo_WBGT txt_WBGT "
                    "cbo_Duration txt_Duration txt_Intensity cbo_Intensity txt_Acclimatization "
                    "cbo_Acclimatization txt_Ability cbo_Ability cbo_Age txt_Age txt_Drinks "
                    "cbo_Drinks cbo_Time cbo_Surface txt_Surface cbo_Medical txt_Medical cbo_Other "
                    "txtGuidelines txt_Total cbo_Venue txt_Venue cbo_Dry_Bulb txt_Dry_Bulb "
                    "cmd_asterisk cmd_Back_to_Directory")
                .split(u' ');
        QStringList seen;
        for (int i = 0; i < expected.size(); ++i) {
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
            seen << QApplication::focusWidget()->objectName();
        }
        QCOMPARE(seen, expected);
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Backtab);
        QCOMPARE(QApplication::focusWidget()->objectName(), QString("cmd_asterisk"));
    }

    void pointsBoxesCannotBeTypedInto() {
        frm_Solvane_Calc* w = openCalculator();
        choose(w, "Age", 4);
        for (QLineEdit* box : {w->pointsBox("Age"), w->findChild<QLineEdit*>("txt_Total")}) {
            const QString before = box->text();
            box->setFocus();
            QTest::keyClicks(box, "12");
            QTest::keyClick(box, Qt::Key_Backspace);
            QTest::keyClick(box, Qt::Key_Delete);
            QTest::keyClick(box, Qt::Key_V, Qt::ControlModifier);
            QCOMPARE(box->text(), before);
        }
    }

    void closeAndReopenGiveAFreshWindow() {
        frm_Solvane_Calc* first = openCalculator();
        choose(first, "Age", 4, By::Mouse);
        QCOMPARE(frm_Solvane_Calc::Show(), first); // shown again: the same window, unchanged
        QCOMPARE(first->pointsBox("Age")->text(), QString("8"));

        QPointer<frm_Solvane_Calc> gone = first;
        QTest::mouseClick(first->findChild<QPushButton*>("cmd_Back_to_Directory"), Qt::LeftButton);
        QTRY_VERIFY(!gone);

        frm_Solvane_Calc* second = openCalculator();
        QVERIFY(second->pointsBox("Age")->text().isEmpty());
        QCOMPARE(second->list("Age")->currentIndex(), -1);
        // Right after opening, the blank presses "Exit Calculator", which has the focus.
        gone = second;
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Space);
        QTRY_VERIFY(!gone);
    }

    void captionsFitTheirControls() {
        frm_Solvane_Calc* w = openCalculator();
        for (QLabel* label : w->findChildren<QLabel*>()) {
            const QFontMetrics metrics(label->font());
            QVERIFY2(metrics.horizontalAdvance(label->text()) <= label->width(),
                     qPrintable(label->objectName()));
            // Ink, not line height: "- OR -" sits in a rectangle lower than a full line.
            QVERIFY2(metrics.tightBoundingRect(label->text()).height() <= label->height(),
                     qPrintable(label->objectName()));
        }
        for (QPushButton* button : w->findChildren<QPushButton*>()) {
            const QFontMetrics metrics(button->font());
            QVERIFY2(metrics.horizontalAdvance(button->text()) + 8 <= button->width(),
                     qPrintable(button->objectName()));
        }
        for (PickList* list : w->findChildren<PickList*>())
            QVERIFY2(QFontMetrics(list->font()).height() + 4 <= list->height(),
                     qPrintable(list->objectName()));
    }
};

QTEST_MAIN(TestCalculator)
#include "tst_calculator.moc"
