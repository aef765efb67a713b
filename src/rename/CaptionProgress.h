#pragma once
// Shows a run's progress in a window's caption. The window is repainted at
// most every repaint interval, without taking user input, so a long run
// shows its count moving without being slowed by painting.
#include "rename/rename_run.h"

#include <QElapsedTimer>

class QWidget;

class CaptionProgress : public RunWindow {
public:
    explicit CaptionProgress(QWidget* window, int repaintIntervalMs = 50);
    // Sets the caption to progressCaption(position, count).
    void showProgress(int position, int count) override;

private:
    QWidget* window_;
    int repaintIntervalMs_;
    QElapsedTimer sinceRepaint_;
};
