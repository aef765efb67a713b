#include "ui/help_viewer.h"

#include "platform/codepage.h"
#include "platform/data_files.h"
#include "platform/shell.h"
#include "ui/form_layout.h"
#include "ui/qt_text.h"
#include "ui/window_keys.h"

#include <QApplication>
#include <QFile>
#include <QKeyEvent>
#include <QPointer>
#include <QScreen>
#include <QTextBrowser>

namespace {

// The one help window.
QPointer<QTextBrowser> helpWindow;

// F1, without Ctrl, Alt or Shift, to whichever widget has the keyboard.
class HelpKeyFilter : public QObject {
public:
    HelpKeyFilter(QObject* owner, std::function<void()> open) : QObject(owner), open_(std::move(open)) {}
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        // A key reaches the window first and then its widget: act once, on the widget.
        if (event->type() != QEvent::KeyPress || !watched->isWidgetType()) return false;
        const auto* key = static_cast<QKeyEvent*>(event);
        if (key->key() != Qt::Key_F1 ||
            (key->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::ShiftModifier)))
            return false;
        open_();
        return true;
    }

private:
    std::function<void()> open_;
};

}  // namespace

QTextBrowser* showHelpWindow(const Text& path, QWidget* owner)
{
    const QString file = QFile::decodeName(QByteArray::fromStdString(path));
    QFile readable(file);
    if (!readable.open(QIODevice::ReadOnly)) return nullptr;
    QWidget* parent = QApplication::activeModalWidget() ? QApplication::activeModalWidget() : owner;
    if (helpWindow && helpWindow->parentWidget() != parent) delete helpWindow;
    if (!helpWindow) {
        helpWindow = new QTextBrowser(parent);
        helpWindow->setWindowFlags(Qt::Window);
        helpWindow->setAttribute(Qt::WA_DeleteOnClose);
        helpWindow->setObjectName(QStringLiteral("HelpWindow"));
        helpWindow->setWindowTitle(uiText("Vorel (ﾍﾙﾌﾟ)"));
        // Within the screen's free area and centred, as every window is, so
        // that its edges and scroll bars are in reach on a small screen.
        QSize size(820, 640);
        if (const QScreen* screen = QGuiApplication::primaryScreen())
            size = size.boundedTo(screen->availableGeometry().size() - QSize(40, 80));
        helpWindow->resize(size);
        centreOnScreen(helpWindow);
        installWindowKeys(helpWindow, Backspace::Kept);
        helpWindow->setOpenLinks(false);
        QTextBrowser* browser = helpWindow;
        QObject::connect(browser, &QTextBrowser::anchorClicked, browser, [browser](const QUrl& link) {
            const QUrl target = browser->source().resolved(link);
            if (target.isLocalFile()) {
                browser->setSource(target);
            } else {
                const QByteArray url = target.toEncoded();
                openWithShell("xdg-open", StringList{Text(url.constData(), std::size_t(url.size()))}, Text());
            }
        });
    }
    helpWindow->setSource(QUrl::fromLocalFile(file));
    helpWindow->show();
    helpWindow->raise();
    helpWindow->activateWindow();
    return helpWindow;
}

void installHelpKey(QObject* owner, std::function<void()> open)
{
    qApp->installEventFilter(new HelpKeyFilter(owner, std::move(open)));
}

void showHelpContents(const Text& programDir, FileSystem& fs, Prompter& prompter, QWidget* owner)
{
    const std::optional<Text> help = helpDocument(programDir, fs);
    if (!help) {
        prompter.ask(fixedText("   ヘルプファイル ") + programDir + "VOREL.HLP" +
                         fixedText(" が見つかりません。          "),
                     PromptKind::Warning, PbOk);
        return;
    }
    const bool winHelp = *help == programDir + "VOREL.HLP";
    if (!(winHelp ? openDocument(*help) : showHelpWindow(*help, owner) != nullptr))
        prompter.ask(fixedText("   ヘルプファイル ") + *help +
                         fixedText(" を表示できませんでした。          "),
                     PromptKind::Warning, PbOk);
}
