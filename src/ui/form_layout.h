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

// Lets window be made larger than its layout, never smaller: list (in
// client, the area the layout was drawn for) grows with it, panel (if any)
// only widens, and every other control keeps its place. Call once the
// layout is built; the size is not stored.
void letListGrowWithWindow(QWidget* window, QWidget* client, QWidget* list, QWidget* panel = nullptr);

// A push button with object name, caption (with its &-access key) and
// geometry (left, top, width, height in client coordinates). Not a default
// button: Enter in a field never presses it.
QPushButton* makeButton(QWidget* parent, const char* objectName, const QString& caption,
                        QRect geometry);
// A label whose box is lower than a line of its font (a CJK face chosen for
// "System" in a Japanese locale) grows about the box's middle, so the text
// stays where it was drawn and its access-key underline is not clipped.
QLabel* makeLabel(QWidget* parent, const char* objectName, const QString& caption,
                  QRect geometry);

// (screen - window) / 2 each way, truncated toward zero.
QPoint centredPosition(QSize outerWindowSize, QSize screenSize);
// Moves the window so that its outer frame is centred on the primary screen.
// A window manager's frame is known only once the window is shown; the window
// is then centred again, once, by its real outer size.
void centreOnScreen(QWidget* window);
