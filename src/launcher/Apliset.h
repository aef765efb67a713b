#pragma once
// The launcher settings dialog "Vorel (ﾗﾝﾁｬｰ設定)" and the main window's
// command that opens it.
#include "launcher/launcher_setup.h"
#include "platform/prompter.h"
#include "settings/ini_file.h"

#include <QDialog>

class QListWidget;
class QPushButton;
class FileChooser;

class TForm11 : public QDialog {
    Q_OBJECT
public:
    // Builds the working copy from state.Table, which the caller has read.
    TForm11(LauncherState& state, IniFile& settings, Prompter& prompter, FileChooser& files,
            QWidget* parent = nullptr);

    void BtnOkClick();
    void BtnCanselClick();
    void BtnAddClick();
    void BtnEditClick();
    void BtnUpClick();
    void BtnDownClick();
    void BtnCutClick();
    void BtnCopyClick();
    void BtnPasteClick();
    void BtnDelClick();

    const LauncherSetup& setup() const { return setup_; }

    QListWidget* ListBox1 = nullptr;
    QPushButton* BtnOk = nullptr;
    QPushButton* BtnCansel = nullptr;
    QPushButton* BtnAdd = nullptr;
    QPushButton* BtnEdit = nullptr;
    QPushButton* BtnUp = nullptr;
    QPushButton* BtnDown = nullptr;
    QPushButton* BtnCut = nullptr;
    QPushButton* BtnCopy = nullptr;
    QPushButton* BtnPaste = nullptr;
    QPushButton* BtnDel = nullptr;

private:
    // Shows the list that the last command left, with its selection.
    void showList();
    // Opens the entry editor on LauncherEditRow with the given fields.
    void openEditor(const LauncherEntry& fields);

    LauncherState& state_;
    IniFile& settings_;
    Prompter& prompter_;
    FileChooser& files_;
    LauncherSetup setup_;
};

// "ﾗﾝﾁｬｰ設定(&L)...": reads the table from the settings, shows the dialog
// modally, centred, and drops the working copy when it has closed. Only the
// dialog's OK writes the settings file; a write error is shown in the plain
// error box and the dialog stays open.
void openLauncherSettings(QWidget* parent, LauncherState& state, IniFile& settings,
                          Prompter& prompter, FileChooser& files);
