#pragma once
// The launcher entry editor "Vorel (ﾗﾝﾁｬｰ編集)".
#include "launcher/launcher_table.h"
#include "platform/prompter.h"

#include <QDialog>

class FileChooser;
class QLabel;
class QLineEdit;
class QPushButton;

// The program file chooser's filters: programs, scripts and links, all files.
QString launcherProgramFilter();

class TForm12 : public QDialog {
    Q_OBJECT
public:
    // Writes accepted values into line state.LauncherEditRow of state.WorkCopy.
    TForm12(LauncherState& state, Prompter& prompter, FileChooser& files, QWidget* parent = nullptr);

    // Edit1 to Edit5: title, program file, option, working directory, shortcut.
    void setFields(const LauncherEntry& fields);

    void BtnOkClick();
    void BtnCanselClick();
    void BtnRefClick();
    // Checks the fields and stores them; closes the editor when all were stored.
    void EditBoxCheck();

    QLabel* Label1 = nullptr;
    QLabel* Label2 = nullptr;
    QLabel* Label3 = nullptr;
    QLabel* Label4 = nullptr;
    QLabel* Label5 = nullptr;
    QLineEdit* Edit1 = nullptr;
    QLineEdit* Edit2 = nullptr;
    QLineEdit* Edit3 = nullptr;
    QLineEdit* Edit4 = nullptr;
    QLineEdit* Edit5 = nullptr;
    QPushButton* BtnOk = nullptr;
    QPushButton* BtnCansel = nullptr;
    QPushButton* BtnRef = nullptr;

private:
    LauncherState& state_;
    Prompter& prompter_;
    FileChooser& files_;
};

// The warning that a field holds a character that the active code page
// cannot represent.
Text unrepresentableFieldMessage();
