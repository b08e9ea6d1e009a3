// A fixed-seed stream of random clicks and keys on whatever window is open. The program must
// never crash, never be left without a window except by one of its own ways to end, and every
// calculator it reaches must stay consistent: each points box holds what its list's choice
// writes, and one temperature answer locks the other list.

#include "core/catalogue.h"
#include "core/evaluation.h"
#include "tests/open_windows.h"
#include "tests/recording_launcher.h"
#include "ui/calculator/frm_solvane_calc.h"
#include "ui/calculator/pick_list.h"
#include "ui/common/messages.h"
#include "ui/documents/frm_readme_viewer.h"
#include "ui/startup/application.h"
#include "ui/startup/frm_orv_splash.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QTest>

#include <random>

using namespace orvane;
using namespace orvane::ui;
using orvane::ui::test::openWindows;

namespace {

QString consistencyProblem(frm_Solvane_Calc* calc) {
    for (const std::string_view key : kBoxKeys) {
        const QString k = QString::fromLatin1(key.data(), qsizetype(key.size()));
        PickList* list = calc->list(k);
        QString expected;
        if (list->currentIndex() >= 0) {
            const QByteArray text = list->currentText().toUtf8();
            const auto outcome =
                OptionOutcome(key, std::string_view(text.constData(), std::size_t(text.size())));
            expected =
                outcome ? QString::fromUtf8(outcome->data(), qsizetype(outcome->size())) : "?";
        }
        if (calc->pointsBox(k)->text() != expected)
            return QString("%1 shows '%2' for '%3'")
                .arg(k, calc->pointsBox(k)->text(), list->currentText());
    }
    if (!calc->pointsBox("Dry_Bulb")->text().isEmpty() && calc->list("WBGT")->isEnabled())
        return "air temperature answered but the WBGT list is not locked";
    if (!calc->pointsBox("WBGT")->text().isEmpty() && calc->list("Dry_Bulb")->isEnabled())
        return "WBGT answered but the air temperature list is not locked";
    return {};
}

} // namespace

class TestMonkey : public QObject {
    Q_OBJECT

private slots:
    void randomInputKeepsTheProgramConsistent();
};

void TestMonkey::randomInputKeepsTheProgramConsistent() {
    setUpApplication(*qApp);
    QApplication::setQuitOnLastWindowClosed(false);
    QApplication::setDoubleClickInterval(0);
    int messages = 0;
    setMessageInterceptor([&](QMessageBox&) { ++messages; });
    test::RecordingLauncher launcher;
    test::LastWindowWatch ends;

    std::mt19937 random(20261206);
    auto chance = [&](int percent) { return int(random() % 100) < percent; };
    const Qt::Key keys[] = {Qt::Key_A,      Qt::Key_O,        Qt::Key_7,         Qt::Key_Space,
                            Qt::Key_Tab,    Qt::Key_Backtab,  Qt::Key_Up,        Qt::Key_Down,
                            Qt::Key_PageUp, Qt::Key_PageDown, Qt::Key_Home,      Qt::Key_End,
                            Qt::Key_Return, Qt::Key_Escape,   Qt::Key_Backspace, Qt::Key_F4};

    constexpr int kActions = 8000;
    QElapsedTimer clock;
    clock.start();
    int runs = 0, calculators = 0, actions = 0;
    QSet<QString> seen;
    frmORVsplash::Show();
    ++runs;
    for (; actions < kActions && clock.elapsed() < 120'000; ++actions) {
        QList<QWidget*> open = openWindows();
        if (open.isEmpty()) {
            const QString last = ends.endedBy.isEmpty() ? "nothing" : ends.endedBy.back();
            QVERIFY2(last == "frmORVsplash" || last == "frmOrvAbout" || last == "frm_Solvane_Calc",
                     qPrintable("the program was left without a window by " + last));
            frmORVsplash::Show(); // start the program again
            ++runs;
            continue;
        }
        QWidget* popup = QApplication::activePopupWidget();
        QWidget* window = popup ? popup : open[int(random() % open.size())];
        if (!popup)
            seen << window->objectName();

        if (!popup && chance(2)) {
            window->close(); // the window manager's close: Alt+F4 or the title bar
        } else if (window == frmORVsplash::instance() && chance(60)) {
            // Random keys end the splash at once; lean towards its buttons to get further.
            const char* name = chance(70) ? "cmdAccept" : "cmdDisclaimer";
            QTest::mouseClick(window->findChild<QWidget*>(name), Qt::LeftButton);
        } else if (chance(55)) {
            const QPoint at(int(random() % std::max(1, window->width())),
                            int(random() % std::max(1, window->height())));
            QWidget* target = window->childAt(at);
            if (!target)
                target = window;
            const QPoint local = target->mapFrom(window, at);
            QTest::mouseMove(target, local);
            QTest::mouseClick(target, Qt::LeftButton, {}, local);
        } else {
            QWidget* target = QApplication::focusWidget();
            if (!target || target->window() != window->window())
                target = popup ? popup : window;
            const Qt::Key key = keys[random() % std::size(keys)];
            const bool alt = key == Qt::Key_Down && chance(20);
            QTest::keyClick(target, key, alt ? Qt::AltModifier : Qt::NoModifier);
        }
        QTest::qWait(0);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);

        if (frm_Solvane_Calc* calc = frm_Solvane_Calc::instance()) {
            ++calculators;
            const QString problem = consistencyProblem(calc);
            QVERIFY2(problem.isEmpty(),
                     qPrintable(QString("after %1 actions: %2").arg(actions).arg(problem)));
        }
        QMap<QString, int> instances;
        for (QWidget* w : openWindows())
            QVERIFY2(++instances[w->objectName()] == 1, qPrintable("two " + w->objectName()));
    }
    qInfo("%d actions in %lld ms: %d program runs, %d checks of a calculator, %d messages, "
          "%d links, windows seen: %s",
          actions, clock.elapsed(), runs, calculators, messages,
          int(launcher.urls.size() + launcher.programs.size()),
          qPrintable(QStringList(seen.values()).join(", ")));
    QVERIFY(seen.contains("frm_Solvane_Calc"));
    for (QWidget* w : openWindows()) {
        if (auto* viewer = qobject_cast<frmReadMeViewer*>(w))
            viewer->sessionEnding();
        w->close();
    }
}

QTEST_MAIN(TestMonkey)
#include "tst_monkey.moc"
