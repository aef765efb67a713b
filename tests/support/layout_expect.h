#pragma once
// The layout checks every window's test makes, each window giving its own
// table: controls by object name at their geometry with their captions, and
// the order that Tab walks.
#include <QAbstractButton>
#include <QApplication>
#include <QLabel>
#include <QPushButton>
#include <QStringList>
#include <QtTest>

#include <initializer_list>

struct ExpectedControl {
    const char* name;
    QRect geometry;
    const char* caption = nullptr;  // a label's or button's text (UTF-8)
};

// Each control is found by name at its geometry; a label or button shows its
// caption, and no push button is a default one (Enter in a field never
// presses it).
inline void expectControls(const QWidget& window, std::initializer_list<ExpectedControl> controls)
{
    for (const ExpectedControl& c : controls) {
        const auto* w = window.findChild<QWidget*>(QString::fromLatin1(c.name));
        QVERIFY2(w, c.name);
        const QRect at = w->geometry();
        QVERIFY2(at == c.geometry, qPrintable(QStringLiteral("%1 at (%2, %3, %4, %5)")
                                                  .arg(QLatin1String(c.name)).arg(at.x()).arg(at.y())
                                                  .arg(at.width()).arg(at.height())));
        const auto* label = qobject_cast<const QLabel*>(w);
        const auto* button = qobject_cast<const QAbstractButton*>(w);
        if (label || button) {
            QCOMPARE(label ? label->text() : button->text(), QString::fromUtf8(c.caption ? c.caption : ""));
        }
        if (const auto* push = qobject_cast<const QPushButton*>(w)) {
            QVERIFY2(!push->autoDefault() && !push->isDefault(), c.name);
        }
    }
}

// With the focus on the first of order (the window is shown if it is not),
// Tab visits the controls named in order, then comes back to the first.
inline void expectTabOrder(QWidget& window, const QStringList& order)
{
    if (!window.isVisible()) {
        window.show();
        QVERIFY(QTest::qWaitForWindowActive(&window));
    }
    auto* first = window.findChild<QWidget*>(order.first());
    QVERIFY(first);
    first->setFocus(Qt::TabFocusReason);
    QStringList visited;
    for (qsizetype i = 0; i <= order.size(); ++i) {
        QWidget* focus = QApplication::focusWidget();
        visited << (focus ? focus->objectName() : QString());
        if (focus) QTest::keyClick(focus, Qt::Key_Tab);
    }
    QCOMPARE(visited, order + QStringList{order.first()});
}
