#include "ui/form_layout.h"

#include "platform/window_frame.h"

#include <QFont>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QLabel>
#include <QMargins>
#include <QPushButton>
#include <QScreen>
#include <QTimer>
#include <QWidget>

namespace {

// The frame of the last window a window manager framed: the best guess for
// the next window's frame before it is shown.
QMargins lastFrame;

// Places the window so that its outer frame, given by the frame's margins
// around the client area, is centred. The client position is set, so the
// window manager's idea of the frame never shifts the window.
void placeCentred(QWidget* window, QMargins frame)
{
    QScreen* screen = QGuiApplication::primaryScreen();
    if (!screen) return;
    const QPoint outer = screen->geometry().topLeft() +
                         centredPosition(window->size().grownBy(frame), screen->geometry().size());
    window->setGeometry(QRect(outer + QPoint(frame.left(), frame.top()), window->size()));
}

// The window manager's frame around a shown window; null while not known.
QMargins knownFrame(QWidget* window)
{
    const QRect frame = window->frameGeometry();
    const QRect client = window->geometry();
    if (frame.size() != client.size())
        return QMargins(client.left() - frame.left(), client.top() - frame.top(),
                        frame.right() - client.right(), frame.bottom() - client.bottom());
    // Qt learns of a frame only with the window's next configure event;
    // the window manager may have told it already.
    if (QGuiApplication::platformName() == QLatin1String("xcb")) {
        if (std::optional<FrameExtents> e = windowFrameExtents(window->winId()))
            return QMargins(e->left, e->top, e->right, e->bottom);
    }
    return {};
}

// Centres the window again once its frame is known, then leaves it alone.
// A window manager may tell the frame only some time after the window is
// shown, without any event for the window: the frame is looked at for a
// second after the window is shown.
class FrameCentring : public QObject {
public:
    explicit FrameCentring(QWidget* window) : QObject(window), window_(window)
    {
        window->installEventFilter(this);
        timer_.setInterval(25);
        connect(&timer_, &QTimer::timeout, this, [this] {
            if (!centreByFrame() && ++ticks_ >= 40) finish();
        });
    }

protected:
    bool eventFilter(QObject*, QEvent* event) override
    {
        switch (event->type()) {
        case QEvent::Show:
            // Not asked yet: asking Qt for the frame of a window that is not
            // yet mapped was seen to keep another program's window, raised
            // later, from coming to the front.
            timer_.start();
            break;
        case QEvent::Move:
        case QEvent::WindowActivate:
            centreByFrame();
            break;
        default:
            break;
        }
        return false;
    }

private:
    bool centreByFrame()
    {
        const QMargins frame = knownFrame(window_);
        if (frame.isNull()) return false;
        lastFrame = frame;
        finish();
        placeCentred(window_, frame);
        return true;
    }
    void finish()
    {
        timer_.stop();
        window_->removeEventFilter(this);
        deleteLater();
    }

    QWidget* window_;
    QTimer timer_;
    int ticks_ = 0;
};

}  // namespace

void setupFixedWindow(QWidget* window, int clientWidth, int clientHeight, const QString& caption)
{
    window->setWindowTitle(caption);
    // A character cell 19 pixels high, as the layouts were drawn for: an em
    // of 15 pixels plus the font's leading.
    QFont font(QStringLiteral("System"));
    font.setPixelSize(15);
    window->setFont(font);
    QPalette palette = window->palette();
    palette.setColor(QPalette::WindowText, Qt::black);
    window->setPalette(palette);
    window->setFixedSize(clientWidth, clientHeight);
    window->setWindowFlag(Qt::MSWindowsFixedSizeDialogHint, true);
}

namespace {

// Keeps the list's and the panel's margins to the client's right and bottom
// edges as they were drawn.
class GrowingList : public QObject {
public:
    GrowingList(QWidget* client, QWidget* list, QWidget* panel)
        : QObject(client), list_(list), panel_(panel), designed_(client->size()),
          listRect_(list->geometry()), panelRect_(panel ? panel->geometry() : QRect())
    {
    }
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::Resize) {
            const QSize grown = static_cast<QWidget*>(watched)->size() - designed_;
            list_->setGeometry(listRect_.adjusted(0, 0, grown.width(), grown.height()));
            if (panel_) panel_->setGeometry(panelRect_.adjusted(0, 0, grown.width(), 0));
        }
        return false;
    }

private:
    QWidget* list_;
    QWidget* panel_;
    QSize designed_;
    QRect listRect_, panelRect_;
};

}  // namespace

void letListGrowWithWindow(QWidget* window, QWidget* client, QWidget* list, QWidget* panel)
{
    client->installEventFilter(new GrowingList(client, list, panel));
    const QSize layout = window->size();
    window->setWindowFlag(Qt::MSWindowsFixedSizeDialogHint, false);
    for (QWidget* w : {window, client}) {
        w->setMinimumSize(w == window ? layout : client->size());
        w->setMaximumSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
    }
}

QPushButton* makeButton(QWidget* parent, const char* objectName, const QString& caption,
                        QRect geometry)
{
    auto* button = new QPushButton(caption, parent);
    button->setObjectName(QString::fromLatin1(objectName));
    button->setGeometry(geometry);
    button->setAutoDefault(false);
    button->setDefault(false);
    return button;
}

QLabel* makeLabel(QWidget* parent, const char* objectName, const QString& caption, QRect geometry)
{
    auto* label = new QLabel(caption, parent);
    label->setObjectName(QString::fromLatin1(objectName));
    const int missing = label->fontMetrics().height() - geometry.height();
    if (missing > 0) geometry.adjust(0, -(missing / 2), 0, missing - missing / 2);
    label->setGeometry(geometry);
    return label;
}

QPoint centredPosition(QSize outerWindowSize, QSize screenSize)
{
    // Integer division truncates toward zero: a window three pixels wider
    // than the screen gets -1, not -2.
    return QPoint((screenSize.width() - outerWindowSize.width()) / 2,
                  (screenSize.height() - outerWindowSize.height()) / 2);
}

void centreOnScreen(QWidget* window)
{
    window->ensurePolished();
    // The size it will be shown at: a window not yet sized (Qt's own
    // dialogs) takes its layout's size only when shown.
    if (!window->isVisible() && !window->testAttribute(Qt::WA_Resized)) window->adjustSize();
    if (window->isVisible()) {
        placeCentred(window, knownFrame(window));
        return;
    }
    // Before it is shown, the frame is guessed from the last window that was
    // framed, and corrected once known.
    new FrameCentring(window);
    placeCentred(window, lastFrame);
}
