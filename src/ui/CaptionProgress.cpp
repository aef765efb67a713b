#include "ui/CaptionProgress.h"

#include "ui/qt_text.h"

#include <QCoreApplication>
#include <QWidget>

CaptionProgress::CaptionProgress(QWidget* window, int repaintIntervalMs)
    : window_(window), repaintIntervalMs_(repaintIntervalMs)
{
}

CaptionProgress::~CaptionProgress()
{
    flushProgress();
}

void CaptionProgress::showProgress(int position, int count)
{
    position_ = position;
    count_ = count;
    pending_ = true;
    if (sinceRepaint_.isValid() && sinceRepaint_.elapsed() < repaintIntervalMs_) return;
    setCaption();
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
    sinceRepaint_.start();
}

void CaptionProgress::flushProgress()
{
    if (pending_) setCaption();
}

void CaptionProgress::setCaption()
{
    pending_ = false;
    if (window_) window_->setWindowTitle(toQString(progressCaption(position_, count_)));
}
