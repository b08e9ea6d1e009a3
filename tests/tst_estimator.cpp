// The WBGT estimator window, driven by keys and clicks: an estimate, its option, bad input, and
// "Use in question 1" answering the calculator as a person's own choice would.

#include "tests/message_capture.h"
#include "ui/calculator/frm_solvane_calc.h"
#include "ui/calculator/frm_wbgt_estimator.h"
#include "ui/calculator/pick_list.h"
#include "ui/common/fonts.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QDateTimeEdit>
#include <QDoubleSpinBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

using namespace orvane::ui;

namespace {

QDoubleSpinBox* field(QWidget* w, const QString& accessible) {
    for (auto* box : w->findChildren<QDoubleSpinBox*>())
        if (box->accessibleName() == accessible)
            return box;
    return nullptr;
}

QString label(QWidget* w, const QString& accessible) {
    for (auto* l : w->findChildren<QLabel*>())
        if (l->accessibleName() == accessible)
            return l->text();
    return {};
}

void type(QDoubleSpinBox* box, const QString& value) {
    box->setFocus();
    box->selectAll();
    QTest::keyClicks(box, value);
}

} // namespace

class TestEstimator : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void estimateAnswersQuestionOne();
    void questionOneLockedByAirTemperature();
    void badInputLeavesNoEstimate();
    void oneEstimatorClosingWithTheCalculator();

private:
    frm_Solvane_Calc* calc_ = nullptr;
    frmWbgtEstimator* open();
};

void TestEstimator::init() {
    installFontSubstitutions();
    QApplication::setQuitOnLastWindowClosed(false);
    orvane::test::failOnMessages();
    calc_ = frm_Solvane_Calc::Show();
    QVERIFY(QTest::qWaitForWindowActive(calc_));
}

void TestEstimator::cleanup() {
    if (auto* w = frm_Solvane_Calc::instance())
        w->close();
    QTRY_VERIFY(!frm_Solvane_Calc::instance());
}

frmWbgtEstimator* TestEstimator::open() {
    QTest::keyClick(calc_, Qt::Key_E, Qt::ControlModifier);
    auto* estimator = calc_->findChild<frmWbgtEstimator*>();
    if (estimator && !QTest::qWaitForWindowActive(estimator))
        qWarning("estimator not active");
    return estimator;
}

// A hot, humid, sunny noon in Houston: an estimate in the top option, which "Use in question 1"
// writes as a click would: points, the lock on the air temperature, the record switched off.
void TestEstimator::estimateAnswersQuestionOne() {
    for (const char* key : {"Duration", "Intensity", "Acclimatization", "Ability", "Age", "Drinks",
                            "Time", "Surface", "Venue", "Medical"}) {
        calc_->list(key)->setFocus();
        QTest::keyClick(calc_->list(key), Qt::Key_Down);
    }
    frmWbgtEstimator* estimator = open();
    QVERIFY(estimator);
    type(field(estimator, "Air temperature in degrees Fahrenheit"), "95");
    type(field(estimator, "Relative humidity in percent"), "60");
    type(field(estimator, "Wind speed in miles per hour, at 2 meters"), "3");
    auto* place = estimator->findChildren<QComboBox*>().at(2);
    QCOMPARE(place->accessibleName(), QString("Place"));
    place->setCurrentText("Houston, TX");
    estimator->findChild<QDateTimeEdit*>()->setDateTime(
        QDateTime(QDate(2025, 7, 15), QTime(13, 0)));
    QVERIFY2(label(estimator, "Estimated WBGT").startsWith("WBGT 9"),
             qPrintable(label(estimator, "Estimated WBGT")));
    QCOMPARE(label(estimator, "Question 1 option for the estimate"),
             QString("Question 1: \">= 86\u00b0F\", 20 points"));

    auto* use = estimator->findChild<QPushButton*>("cmdUseInQuestion1");
    QTest::mouseClick(use, Qt::LeftButton);
    QCOMPARE(calc_->list("WBGT")->currentText(), QString(">= 86\u00b0F"));
    QCOMPARE(calc_->pointsBox("WBGT")->text(), QString("20"));
    QVERIFY(!calc_->list("Dry_Bulb")->isEnabled()); // locked, as after a click
    QTest::mouseClick(calc_->findChild<QPushButton*>("cmd_Calculate"), Qt::LeftButton);
    // The first option of every other list: 2+2+2+2+8+2+2+1+1+0, and 20 for the WBGT.
    QCOMPARE(calc_->findChild<QLineEdit*>("txt_Total")->text(), QString(" 42"));
    QVERIFY(calc_->findChild<QAction*>("mnuSaveAsPdf")->isEnabled());

    // After dark: the lowest option, and the record of the last total is switched off.
    estimator->findChild<QDateTimeEdit*>()->setDateTime(
        QDateTime(QDate(2025, 7, 15), QTime(21, 0)));
    type(field(estimator, "Air temperature in degrees Fahrenheit"), "80");
    QTest::mouseClick(use, Qt::LeftButton);
    QCOMPARE(calc_->pointsBox("WBGT")->text(), QString("2"));
    QVERIFY(!calc_->findChild<QAction*>("mnuSaveAsPdf")->isEnabled());
}

// The lock follows the calculator while the estimator is open: set by an answer to the air
// temperature, freed by Reset.
void TestEstimator::questionOneLockedByAirTemperature() {
    frmWbgtEstimator* estimator = open();
    auto* use = estimator->findChild<QPushButton*>("cmdUseInQuestion1");
    QVERIFY(estimator->option().has_value());
    QVERIFY(use->isEnabled());
    calc_->activateWindow();
    calc_->list("Dry_Bulb")->setFocus();
    QTest::keyClick(calc_->list("Dry_Bulb"), Qt::Key_Down);
    QVERIFY(!use->isEnabled());
    bool explained = false;
    for (auto* l : estimator->findChildren<QLabel*>())
        explained = explained || l->text().contains("ordinary air temperature is\nanswered");
    QVERIFY(explained);
    QTest::mouseClick(calc_->findChild<QPushButton*>("cmd_Reset"), Qt::LeftButton);
    QVERIFY(use->isEnabled());
}

void TestEstimator::badInputLeavesNoEstimate() {
    frmWbgtEstimator* estimator = open();
    QVERIFY(estimator->option().has_value());
    estimator->findChildren<QComboBox*>().at(0)->setCurrentIndex(1); // humidity as dew point
    type(field(estimator, "Dew point in degrees Fahrenheit"), "99"); // above the air's 90
    QVERIFY(!estimator->option().has_value());
    QCOMPARE(label(estimator, "Estimated WBGT"), QString("\u2014"));
    QVERIFY(label(estimator, "Problem with the input").contains("dew point"));
    QVERIFY(!field(estimator, "Dew point in degrees Fahrenheit")->styleSheet().isEmpty());
    QVERIFY(!estimator->findChild<QPushButton*>("cmdUseInQuestion1")->isEnabled());
    type(field(estimator, "Dew point in degrees Fahrenheit"), "70");
    QVERIFY(estimator->option().has_value());
    QVERIFY(label(estimator, "Problem with the input").isEmpty());
    QVERIFY(field(estimator, "Dew point in degrees Fahrenheit")->styleSheet().isEmpty());

    // A gale in the cold, where the model does not settle: no input is to blame.
    estimator->findChildren<QComboBox*>().at(0)->setCurrentIndex(0); // relative humidity
    type(field(estimator, "Air temperature in degrees Fahrenheit"), "14");
    type(field(estimator, "Wind speed in miles per hour, at 2 meters"), "67");
    QVERIFY(!estimator->option().has_value());
    QVERIFY(label(estimator, "Problem with the input").contains("did not settle"));
    for (auto* box : estimator->findChildren<QDoubleSpinBox*>())
        QVERIFY2(box->styleSheet().isEmpty(), qPrintable(box->accessibleName()));
}

void TestEstimator::oneEstimatorClosingWithTheCalculator() {
    QPointer<frmWbgtEstimator> first = open();
    QCOMPARE(open(), first.data());
    QCOMPARE(calc_->findChildren<frmWbgtEstimator*>().size(), 1);
    calc_->close();
    QTRY_VERIFY(!first);
}

QTEST_MAIN(TestEstimator)
#include "tst_estimator.moc"
