#pragma once
// What the launcher's view tests share: a planned file chooser, a shell that
// records what it is asked to open, the lines of a list, and acting on a
// modal window once shown.
#include "launcher/ApliEdit.h"
#include "support/recording_shell.h"
#include "ui/choosers.h"

#include <QApplication>
#include <QListWidget>
#include <QObject>
#include <QTimer>
#include <QtTest>

#include <functional>

class PlannedFileChooser : public FileChooser {
public:
    std::optional<Text> answer;  // nullopt: cancelled
    int calls = 0;
    QString filter;
    std::optional<Text> chooseFile(QWidget*, const QString& f) override
    {
        ++calls;
        filter = f;
        return answer;
    }
};

inline QString u(const char* utf8)
{
    return QString::fromUtf8(utf8);
}

// The lines a list widget shows, top to bottom.
inline QStringList linesOf(const QListWidget* list)
{
    QStringList lines;
    for (int i = 0; i < list->count(); ++i) lines << list->item(i)->text();
    return lines;
}

// Runs action on the first modal window of type T once it is shown (it may
// open a further modal window inside). The watch belongs to guard, so nothing
// fires after the test's command has returned.
template <typename T>
void whenModal(QObject& guard, std::function<void(T*)> action)
{
    auto* timer = new QTimer(&guard);
    timer->setInterval(10);
    QObject::connect(timer, &QTimer::timeout, &guard, [timer, action] {
        auto* window = qobject_cast<T*>(QApplication::activeModalWidget());
        if (!window || !window->isVisible()) return;
        timer->stop();
        // Keys go to the focused control only once the window is active.
        if (!QTest::qWaitForWindowActive(window)) qWarning("window never became active");
        action(window);
    });
    timer->start();
}
