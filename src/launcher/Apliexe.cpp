#include "launcher/Apliexe.h"

#include "launcher/launcher_run.h"
#include "platform/shell.h"
#include "settings/ini_file.h"
#include "ui/form_layout.h"
#include "ui/qt_text.h"
#include "ui/window_keys.h"

#include <QApplication>
#include <QKeyEvent>
#include <QSocketNotifier>
#include <QListWidget>
#include <QPushButton>

TForm13::TForm13(LauncherState& state, QWidget* parent) : QDialog(parent), state_(state)
{
    setObjectName(QStringLiteral("TForm13"));
    setupFixedWindow(this, 232, 323, uiText("Vorel (ﾗﾝﾁｬｰ実行)"));
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);

    // Created in tab order. Typing a character in the list selects the next
    // line that begins with it (the list's own keyboard search), so a
    // shortcut followed by Enter starts its entry.
    ListBox1 = new QListWidget(this);
    ListBox1->setObjectName(QStringLiteral("ListBox1"));
    ListBox1->setGeometry(10, 10, 210, 270);
    ListBox1->setSelectionMode(QAbstractItemView::SingleSelection);
    BtnOk = makeButton(this, "BtnOk", uiText("実行(&O)"), {10, 290, 100, 25});
    BtnCansel = makeButton(this, "BtnCansel", uiText("ｷｬﾝｾﾙ"), {120, 290, 100, 25});
    QWidget::setTabOrder(ListBox1, BtnOk);
    QWidget::setTabOrder(BtnOk, BtnCansel);

    connect(BtnOk, &QPushButton::clicked, this, &TForm13::BtnOkClick);
    connect(BtnCansel, &QPushButton::clicked, this, &TForm13::BtnCanselClick);
    connect(ListBox1, &QListWidget::itemDoubleClicked, this, &TForm13::ListBox1Click);
    ListBox1->setFocus();
    installWindowKeys(this, Backspace::Kept, [this] { cancel(); },
                      [this](QWidget* focused, int key, Qt::KeyboardModifiers) {
                          return focused == ListBox1 && ListBoxKeyDown(key);
                      });
}

void TForm13::fillList(const ChooserList& list)
{
    list_ = list;
    ListBox1->clear();
    for (const Text& line : list_.lines) ListBox1->addItem(toQString(line));
    ListBox1->setCurrentRow(0);
}

void TForm13::choose()
{
    state_.LauncherChoice = chosenRow(list_, ListBox1->currentRow());
    accept();
}

void TForm13::cancel()
{
    state_.LauncherChoice = -1;
    reject();
}

void TForm13::BtnOkClick()
{
    choose();
}

void TForm13::ListBox1Click()
{
    choose();
}

void TForm13::BtnCanselClick()
{
    cancel();
}

bool TForm13::ListBoxKeyDown(int key)
{
    if (key != Qt::Key_Return && key != Qt::Key_Enter) return false;
    choose();
    return true;
}

void runLauncherOnReport(QWidget* view, LauncherState& state, const IniFile& settings,
                         const Text& reportPath, Prompter& prompter, ShellOpener& shell)
{
    readLauncherTable(settings, state.Table);
    {
        TForm13 chooser(state, view);
        chooser.fillList(chooserList(state.Table));
        state.LauncherChoice = -1;
        centreOnScreen(&chooser);
        chooser.exec();
    }
    if (startLauncherChoice(state, reportPath, shell, prompter) != LaunchOutcome::Started) return;
    // A program that ends with an error at once would otherwise go unnoticed.
    const int earlyExit = shell.takeEarlyExit();
    if (earlyExit < 0) return;
    const Text program = launchRequest(activeCodePage(), state.Table[state.LauncherChoice], reportPath).program;
    auto* notifier = new QSocketNotifier(earlyExit, QSocketNotifier::Read, qApp);
    QObject::connect(notifier, &QSocketNotifier::activated, notifier, [notifier, earlyExit, program, &prompter] {
        notifier->setEnabled(false);
        notifier->deleteLater();
        const int status = takeEarlyExitStatus(earlyExit);
        if (status >= 0) prompter.ask(earlyExitMessage(program, status), PromptKind::Warning, PbAbort);
    });
}
