#pragma once
// The keys every window shares, given once per window with its rules:
// Escape closes; Backspace closes too where the window says so, except in an
// edit field, which keeps it; Enter on a focused push button presses it, as
// Space does, and Enter elsewhere presses nothing (there are no default
// buttons); an access key (Alt+letter) presses its button at once, as Space
// does. Keys held with Ctrl or Alt are shortcuts and access keys, never
// Escape or Backspace of the window.
#include <Qt>
#include <functional>

class QWidget;

// Backspace outside an edit field: kept by the control, or closing the
// window as Escape does.
enum class Backspace { Kept, Closes };
// Keys only one window has, offered first with the control that has the
// focus; true when the key was handled there.
using OwnKeys = std::function<bool(QWidget* focused, int key, Qt::KeyboardModifiers modifiers)>;

// Call once, when the window's controls exist: the rules apply to the
// window and to every control in it at that time. close says what closing
// means (the window's close() when not given).
void installWindowKeys(QWidget* window, Backspace backspace, std::function<void()> close = {},
                       OwnKeys ownKeys = {});
