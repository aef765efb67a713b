#pragma once
// The run chooser "Vorel (ﾗﾝﾁｬｰ実行)" and the report view's launcher command.
#include "launcher/launcher_run.h"
#include "platform/prompter.h"
#include "settings/ini_file.h"

#include <QDialog>

class QListWidget;
class QPushButton;
class ShellOpener;

class TForm13 : public QDialog {
    Q_OBJECT
public:
    // Sets state.LauncherChoice when it closes: the chosen row, or -1.
    explicit TForm13(LauncherState& state, QWidget* parent = nullptr);

    // The chooser lines, the first one selected.
    void fillList(const ChooserList& list);

    void BtnOkClick();
    void ListBox1Click();
    void BtnCanselClick();
    // Enter in the list chooses; true when the key was handled.
    bool ListBoxKeyDown(int key);

    QListWidget* ListBox1 = nullptr;
    QPushButton* BtnOk = nullptr;
    QPushButton* BtnCansel = nullptr;

private:
    void choose();
    void cancel();

    LauncherState& state_;
    ChooserList list_;
};

// "ﾗﾝﾁｬｰ起動(&K)..." of the report view: reads the table from the settings,
// lets the user choose in the run chooser and starts the chosen entry on the
// report file (its "%f" replaced by reportPath). A failure to start is
// reported over view, which stays open.
void runLauncherOnReport(QWidget* view, LauncherState& state, const IniFile& settings,
                         const Text& reportPath, Prompter& prompter, ShellOpener& shell);
