#include "rename/CaptionProgress.h"

#include "ui/qt_text.h"

#include <QCoreApplication>
#include <QWidget>

CaptionProgress::CaptionProgress(QWidget* window, int repaintIntervalMs)
    : window_(window), repaintIntervalMs_(repaintIntervalMs)
{
}

void CaptionProgress::showProgress(int position, int count)
{
    window_->setWindowTitle(toQString(progressCaption(position, count)));
    if (sinceRepaint_.isValid() && sinceRepaint_.elapsed() < repaintIntervalMs_) return;
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
    sinceRepaint_.start();
}
