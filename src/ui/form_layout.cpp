#include "ui/form_layout.h"

#include <QFont>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QWidget>

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
    QScreen* screen = QGuiApplication::primaryScreen();
    if (!screen) return;
    window->ensurePolished();
    // The frame is known only once the window has a native handle.
    window->winId();
    QSize outer = window->frameGeometry().size();
    if (outer.isEmpty()) outer = window->size();
    QPoint topLeft = centredPosition(outer, screen->geometry().size());
    // move() places the outer frame's top-left corner.
    window->move(screen->geometry().topLeft() + topLeft);
}

bool pressFocusedButtonOnEnter(QObject* watched, const QKeyEvent* key)
{
    auto* button = qobject_cast<QPushButton*>(watched);
    if (!button || (key->key() != Qt::Key_Return && key->key() != Qt::Key_Enter)) return false;
    button->click();
    return true;
}
