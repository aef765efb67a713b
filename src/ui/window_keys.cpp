#include "ui/window_keys.h"

#include <QAbstractButton>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPushButton>
#include <QShortcutEvent>
#include <QWidget>

namespace {

bool isEnter(int key)
{
    return key == Qt::Key_Return || key == Qt::Key_Enter;
}

class WindowKeyFilter : public QObject {
public:
    WindowKeyFilter(QWidget* window, Backspace backspace, std::function<void()> close,
                    OwnKeys ownKeys)
        : QObject(window), window_(window), backspace_(backspace), close_(std::move(close)),
          ownKeys_(std::move(ownKeys))
    {
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::Shortcut)
            return pressAtOnce(qobject_cast<QAbstractButton*>(watched),
                               *static_cast<QShortcutEvent*>(event));
        if (event->type() != QEvent::KeyPress) return false;
        auto* widget = qobject_cast<QWidget*>(watched);
        if (!widget) return false;
        const auto* press = static_cast<QKeyEvent*>(event);
        const int key = press->key();
        if (ownKeys_ && ownKeys_(widget, key, press->modifiers())) return true;
        const bool plain = !(press->modifiers() & (Qt::ControlModifier | Qt::AltModifier));
        const bool fieldKeepsIt = qobject_cast<QLineEdit*>(widget) != nullptr;
        const bool closing = key == Qt::Key_Escape || (key == Qt::Key_Backspace &&
                                                       backspace_ == Backspace::Closes && !fieldKeepsIt);
        if (plain && closing) {
            if (close_)
                close_();
            else
                window_->close();
            return true;
        }
        if (!isEnter(key)) return false;
        if (auto* button = qobject_cast<QPushButton*>(widget)) {
            button->click();
            return true;
        }
        // Enter that no control took presses nothing: there is no default button.
        return widget == window_;
    }

private:
    // Qt's access key gives an animated click that acts 100 ms later; the
    // button acts on the key instead, as it does with Space.
    static bool pressAtOnce(QAbstractButton* button, const QShortcutEvent& shortcut)
    {
        if (!button || shortcut.isAmbiguous()) return false;
        if (button->isEnabled()) {
            if (button->isCheckable() && (button->focusPolicy() & Qt::ClickFocus))
                button->setFocus(Qt::ShortcutFocusReason);
            button->click();
        }
        return true;
    }

    QWidget* window_;
    Backspace backspace_;
    std::function<void()> close_;
    OwnKeys ownKeys_;
};

}  // namespace

void installWindowKeys(QWidget* window, Backspace backspace, std::function<void()> close,
                       OwnKeys ownKeys)
{
    auto* filter = new WindowKeyFilter(window, backspace, std::move(close), std::move(ownKeys));
    window->installEventFilter(filter);
    // The window's own controls, not the menus and dialogs it owns.
    for (QWidget* w : window->findChildren<QWidget*>())
        if (w->window() == window && w->focusPolicy() != Qt::NoFocus) w->installEventFilter(filter);
}
