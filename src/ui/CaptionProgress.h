#pragma once
// Shows a run's progress in a window's caption. The caption is set, and the
// window repainted without taking user input, at most every repaint
// interval and whenever the run flushes its progress (before each message
// and at its end), so a long run shows its count moving without being
// slowed by the window system, and a message always appears under the
// count of the file it is about.
#include "rename/rename_run.h"

#include <QElapsedTimer>
#include <QPointer>
#include <QWidget>

class CaptionProgress : public RunWindow {
public:
    explicit CaptionProgress(QWidget* window, int repaintIntervalMs = 50);
    ~CaptionProgress() override;
    // The caption becomes progressCaption(position, count).
    void showProgress(int position, int count) override;
    void flushProgress() override;

private:
    void setCaption();

    QPointer<QWidget> window_;
    int repaintIntervalMs_;
    QElapsedTimer sinceRepaint_;
    int position_ = 0;
    int count_ = 0;
    bool pending_ = false;
};

// A run started from a window, set up the same way wherever it starts: its
// progress in that window's caption, the session's question mode, and the
// journal and plan confirmation of the window that owns the session.
class WindowRun {
public:
    WindowRun(QWidget* window, FileSystem& fs, Prompter& prompter, const Session& session,
              RunJournal* journal, PlanConfirmation confirmPlan = {})
        : progress_(window),
          context_{fs, prompter, progress_, session.DbcsMessageMode, journal, std::move(confirmPlan)}
    {
    }
    RunContext& context() { return context_; }

private:
    CaptionProgress progress_;  // before context_, which refers to it
    RunContext context_;
};
