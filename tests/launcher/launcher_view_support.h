#pragma once
// What the launcher's view tests share: a planned file chooser, a shell that
// records what it is asked to open, and acting on a modal window once shown.
#include "launcher/ApliEdit.h"
#include "platform/shell.h"

#include <QApplication>
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

class RecordingShell : public ShellOpener {
public:
    bool answer = true;
    int calls = 0;
    Text file, directory;
    StringList arguments;
    bool open(const Text& f, const StringList& args, const Text& dir) override
    {
        ++calls;
        file = f;
        arguments = args;
        directory = dir;
        return answer;
    }
};

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
