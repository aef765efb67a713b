#include "ui/form_layout.h"

#include <QFont>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QMargins>
#include <QPushButton>
#include <QScreen>
#include <QWidget>

namespace {

class FocusedButtonEnter : public QObject {
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() != QEvent::KeyPress) return false;
        const int key = static_cast<QKeyEvent*>(event)->key();
        auto* button = qobject_cast<QPushButton*>(watched);
        if (!button || (key != Qt::Key_Return && key != Qt::Key_Enter)) return false;
        button->click();
        return true;
    }
};

// The frame of the last window a window manager framed: the best guess for
// the next window's frame before it is shown.
QMargins lastFrame;

void moveToCentre(QWidget* window, QSize outer)
{
    QScreen* screen = QGuiApplication::primaryScreen();
    if (!screen) return;
    // move() places the outer frame's top-left corner.
    window->move(screen->geometry().topLeft() + centredPosition(outer, screen->geometry().size()));
}

// Centres the window again once its frame is known, then leaves it alone.
class FrameCentring : public QObject {
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        switch (event->type()) {
        case QEvent::Show:
        case QEvent::Move:
        case QEvent::Resize:
        case QEvent::WindowActivate:
            break;
        default:
            return false;
        }
        auto* window = static_cast<QWidget*>(watched);
        const QRect frame = window->frameGeometry();
        const QRect client = window->geometry();
        if (frame.size() == client.size()) return false;
        lastFrame = QMargins(client.left() - frame.left(), client.top() - frame.top(),
                             frame.right() - client.right(), frame.bottom() - client.bottom());
        window->removeEventFilter(this);
        deleteLater();
        moveToCentre(window, frame.size());
        return false;
    }
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
    // C++ integer division truncates toward zero, as the rule asks
    // (a window three pixels wider than the screen gets -1, not -2).
    return QPoint((screenSize.width() - outerWindowSize.width()) / 2,
                  (screenSize.height() - outerWindowSize.height()) / 2);
}

void centreOnScreen(QWidget* window)
{
    window->ensurePolished();
    // The frame is known only once the window has a native handle, and a
    // window manager's frame only once the window is shown.
    window->winId();
    QSize outer = window->frameGeometry().size();
    if (outer.isEmpty()) outer = window->size();
    if (outer == window->size() && !window->isVisible()) {
        outer = outer.grownBy(lastFrame);
        window->installEventFilter(new FrameCentring(window));
    }
    moveToCentre(window, outer);
}

void pressFocusedButtonOnEnter(QWidget* window)
{
    auto* filter = new FocusedButtonEnter(window);
    for (QPushButton* button : window->findChildren<QPushButton*>()) button->installEventFilter(filter);
}
