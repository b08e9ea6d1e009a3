#pragma once

// The calculator driven as a person drives it, for every test that needs an assessment: an
// option chosen with the keyboard or the mouse in the real list, every question answered, the
// real "Calculate Total:" button pressed, and the result read from the window.

#include "tests/message_capture.h"
#include "ui/calculator/frm_solvane_calc.h"
#include "ui/calculator/pick_list.h"
#include "ui/common/fonts.h"
#include "ui/documents/rich_text_box.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

namespace orvane::test {

using Choices = QList<QPair<QString, int>>; // list key, option index
enum class By { Keyboard, Mouse };

// Air temperature 86-90.9 and one moderate answer to everything else: 57, the 56-65 band.
inline const Choices kModerate{{"Dry_Bulb", 2},        {"Duration", 2}, {"Intensity", 2},
                               {"Acclimatization", 1}, {"Ability", 1},  {"Age", 1},
                               {"Drinks", 1},          {"Time", 3},     {"Surface", 1},
                               {"Venue", 1},           {"Medical", 0}};

// The choices with one answer changed; option -1 leaves that question out.
inline Choices with(Choices choices, const QString& key, int option) {
    choices.removeIf([&](const auto& c) { return c.first == key; });
    if (option >= 0)
        choices << qMakePair(key, option);
    return choices;
}

// Windows as the tests drive them: in the fonts the design was measured in, with no message box
// waiting for a click, and the test going on when its last window closes.
inline void prepareWindows() {
    ui::installFontSubstitutions();
    QApplication::setQuitOnLastWindowClosed(false);
    failOnMessages();
}

inline ui::frm_Solvane_Calc* openCalculator() {
    // A list opened by a mouse press ignores a release within the double-click time; a person
    // takes longer than a test to reach the option.
    QApplication::setDoubleClickInterval(0);
    ui::frm_Solvane_Calc* w = ui::frm_Solvane_Calc::Show();
    if (!QTest::qWaitForWindowActive(w))
        qWarning("calculator not active");
    return w;
}

inline void choose(ui::frm_Solvane_Calc* w, const QString& key, int option, By by = By::Keyboard) {
    ui::PickList* list = w->list(key);
    if (by == By::Mouse) {
        QTest::mouseClick(list, Qt::LeftButton);
        QAbstractItemView* view = list->view();
        QTRY_VERIFY(view->isVisible());
        const QRect item = view->visualRect(view->model()->index(option, 0));
        QTest::mouseMove(view->viewport(), item.center()); // the popup follows the pointer
        QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, item.center());
        QTRY_VERIFY(!view->isVisible());
    } else {
        list->setFocus();
        QTest::keyClick(list, Qt::Key_Home);
        for (int i = 0; i < option; ++i)
            QTest::keyClick(list, Qt::Key_Down);
    }
    QCOMPARE(list->currentIndex(), option);
}

inline void calculate(ui::frm_Solvane_Calc* w) {
    QTest::mouseClick(w->findChild<QPushButton*>("cmd_Calculate"), Qt::LeftButton);
}

// A calculator with these answers, calculated.
inline ui::frm_Solvane_Calc* assessed(const Choices& choices, By by = By::Keyboard) {
    ui::frm_Solvane_Calc* w = openCalculator();
    for (const auto& [key, option] : choices)
        choose(w, key, option, by);
    calculate(w);
    return w;
}

inline QString total(const ui::frm_Solvane_Calc* w) {
    return w->findChild<QLineEdit*>("txt_Total")->text();
}
inline QString advice(const ui::frm_Solvane_Calc* w) {
    return w->findChild<ui::RichTextBox*>("txtGuidelines")->text();
}

// The window that one of the calculator's shortcuts opens, active.
template <class Window> Window* openFromCalculator(ui::frm_Solvane_Calc* w, Qt::Key key) {
    w->activateWindow(); // the shortcut belongs to the calculator's window
    if (!QTest::qWaitForWindowActive(w))
        qWarning("calculator not active");
    QTest::keyClick(w, key, Qt::ControlModifier);
    auto* window = w->findChild<Window*>();
    if (window && !QTest::qWaitForWindowActive(window))
        qWarning("window not active");
    return window;
}

// Closes the calculator, if open, and waits until it is gone.
inline void closeCalculator() {
    if (auto* w = ui::frm_Solvane_Calc::instance())
        w->close();
    QTRY_VERIFY(!ui::frm_Solvane_Calc::instance());
}

} // namespace orvane::test

// QTEST_MAIN with settings and an event log of the run's own, made before Qt starts, so that
// nothing the tests remember comes from, or goes to, a real account.
#define ORVANE_TEST_MAIN_OWN_SETTINGS(TestClass)                                                   \
    int main(int argc, char** argv) {                                                              \
        QTemporaryDir home;                                                                        \
        qputenv("XDG_CONFIG_HOME", home.filePath("config").toUtf8());                              \
        qputenv("ORVANE_EVENT_LOG", home.filePath("events.sqlite").toUtf8());                      \
        QApplication app(argc, argv);                                                              \
        TestClass test;                                                                            \
        return QTest::qExec(&test, argc, argv);                                                    \
    }
