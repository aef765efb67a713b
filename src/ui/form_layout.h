#pragma once
// Building the fixed dialog layouts: client sizes and control positions in
// pixels, the "System" window font of 19 pixels, centring on the screen.
#include <QPoint>
#include <QRect>
#include <QSize>
#include <QString>

class QWidget;
class QPushButton;
class QLabel;

// A fixed-size window with the given client area and caption, and the window
// font of the layouts.
void setupFixedWindow(QWidget* window, int clientWidth, int clientHeight, const QString& caption);

// A push button with object name, caption (with its &-access key) and
// geometry (left, top, width, height in client coordinates). Not a default
// button: Enter in a field never presses it.
QPushButton* makeButton(QWidget* parent, const char* objectName, const QString& caption,
                        QRect geometry);
QLabel* makeLabel(QWidget* parent, const char* objectName, const QString& caption,
                  QRect geometry);

// Without default buttons Qt no longer presses a focused button on Enter;
// the dialogs call this from their key filter so that Enter does, as Space
// does. True when watched is a button and the key was Enter.
class QObject;
class QKeyEvent;
bool pressFocusedButtonOnEnter(QObject* watched, const QKeyEvent* key);

// Centring rule: (screen - window) / 2 each way, truncated toward zero.
QPoint centredPosition(QSize outerWindowSize, QSize screenSize);
// Moves the window so that its outer frame is centred on the primary screen.
void centreOnScreen(QWidget* window);
