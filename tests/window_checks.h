#pragma once

// Checks any window of the program answers to, whatever its content: every Alt key reaches one
// control only, and at a given font and palette nothing is clipped, nothing overlaps and the
// window fits a 1024x768 screen.

#include <QAbstractButton>
#include <QApplication>
#include <QFile>
#include <QFileInfo>
#include <QFont>
#include <QLabel>
#include <QLayout>
#include <QPalette>
#include <QRegularExpression>
#include <QStringList>
#include <QStyleFactory>
#include <QWidget>

namespace orvane::test {

// The Alt keys of the window's labels and buttons that more than one of them claims.
inline QStringList clashingMnemonics(QWidget* window) {
    QHash<QChar, QStringList> owners;
    static const QRegularExpression mnemonic(QStringLiteral("&([^&\\s])"));
    const auto take = [&](const QWidget* w, const QString& text) {
        if (!w->isVisibleTo(window))
            return;
        for (auto it = mnemonic.globalMatch(text); it.hasNext();)
            owners[it.next().captured(1).at(0).toLower()] << w->objectName() + ':' + text;
    };
    for (const QLabel* label : window->findChildren<QLabel*>())
        if (label->buddy())
            take(label, label->text());
    for (const QAbstractButton* button : window->findChildren<QAbstractButton*>())
        take(button, button->text());
    QStringList clashes;
    for (auto it = owners.cbegin(); it != owners.cend(); ++it)
        if (it->size() > 1)
            clashes << QStringLiteral("Alt+%1: %2").arg(it.key(), it->join(QStringLiteral(", ")));
    return clashes;
}

// Labels whose text does not fit the room the layout gave them, and visible siblings that
// cover each other.
inline QStringList clippedOrOverlapping(QWidget* window) {
    QStringList faults;
    for (const QLabel* label : window->findChildren<QLabel*>()) {
        if (!label->isVisibleTo(window) || label->text().isEmpty())
            continue;
        const int needed = label->wordWrap() ? label->heightForWidth(label->width())
                                             : label->minimumSizeHint().height();
        if (label->height() + 1 < needed ||
            (!label->wordWrap() && label->width() + 1 < label->minimumSizeHint().width()))
            faults << QStringLiteral("%1 clipped: %2x%3 for \"%4\"")
                          .arg(label->objectName())
                          .arg(label->width())
                          .arg(label->height())
                          .arg(label->text().left(40));
    }
    QList<QWidget*> parents = window->findChildren<QWidget*>();
    parents << window;
    for (QWidget* parent : parents) {
        if (!parent->layout())
            continue;
        QList<QWidget*> children;
        for (QWidget* w : parent->findChildren<QWidget*>(Qt::FindDirectChildrenOnly))
            if (w->isVisibleTo(window) && !w->isWindow())
                children << w;
        for (int i = 0; i < children.size(); ++i)
            for (int j = i + 1; j < children.size(); ++j)
                if (children[i]->geometry().intersects(children[j]->geometry()))
                    faults << QStringLiteral("%1 overlaps %2")
                                  .arg(children[i]->objectName(), children[j]->objectName());
    }
    if (window->frameGeometry().width() > 1024 || window->frameGeometry().height() > 768)
        faults << QStringLiteral("%1 is %2x%3, larger than 1024x768")
                      .arg(window->objectName())
                      .arg(window->frameGeometry().width())
                      .arg(window->frameGeometry().height());
    return faults;
}

// Saves a picture of the window, as drawn, where ORVANE_TEST_SHOTS names a folder: for a person
// to look at what a test checked.
inline void saveShot(QWidget* window, const QString& name) {
    const QString folder = qEnvironmentVariable("ORVANE_TEST_SHOTS");
    if (!folder.isEmpty())
        window->grab().save(folder + u'/' + name + QStringLiteral(".png"));
}

// Keeps a copy of a file a test wrote (a PDF, a CSV) in the same folder, for the same reason.
inline void keepFile(const QString& path) {
    const QString folder = qEnvironmentVariable("ORVANE_TEST_SHOTS");
    if (!folder.isEmpty())
        QFile::copy(path, folder + u'/' + QFileInfo(path).fileName());
}

// The font 1.5 times the size the program starts with, and a dark palette, for as long as it
// lives: as a person with a large font and a dark desktop theme sees the windows.
class LargeDarkDesktop {
public:
    LargeDarkDesktop() : font_(QApplication::font()), palette_(QApplication::palette()) {
        QFont large = font_;
        large.setPointSizeF(font_.pointSizeF() * 1.5);
        QApplication::setFont(large);
        QPalette dark;
        dark.setColor(QPalette::Window, QColor(45, 45, 48));
        dark.setColor(QPalette::WindowText, QColor(230, 230, 230));
        dark.setColor(QPalette::Base, QColor(30, 30, 30));
        dark.setColor(QPalette::Text, QColor(230, 230, 230));
        dark.setColor(QPalette::Button, QColor(60, 60, 64));
        dark.setColor(QPalette::ButtonText, QColor(230, 230, 230));
        QApplication::setPalette(dark);
    }
    ~LargeDarkDesktop() {
        QApplication::setFont(font_);
        QApplication::setPalette(palette_);
    }
    LargeDarkDesktop(const LargeDarkDesktop&) = delete;
    LargeDarkDesktop& operator=(const LargeDarkDesktop&) = delete;

private:
    QFont font_;
    QPalette palette_;
};

} // namespace orvane::test
