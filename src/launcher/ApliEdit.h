#pragma once
// The launcher entry editor "Vorel (ﾗﾝﾁｬｰ編集)" and the file chooser it
// browses with.
#include "launcher/launcher_table.h"
#include "ui/prompter.h"

#include <QDialog>
#include <QStringList>
#include <optional>

class QFileDialog;
class QLabel;
class QLineEdit;
class QPushButton;

// The platform's file-open dialog, behind an interface so that view tests
// can plan the choice.
class FileChooser {
public:
    virtual ~FileChooser() = default;
    // filter: description and pattern pairs separated by "|", the first pair
    // active. The chosen file's full path as the file system names it;
    // nullopt when cancelled.
    virtual std::optional<Text> chooseFile(QWidget* parent, const QString& filter) = 0;
};

// Qt's file dialog, one existing file, no title or start directory of ours.
class QtFileChooser : public FileChooser {
public:
    std::optional<Text> chooseFile(QWidget* parent, const QString& filter) override;
};

// Qt name filters for a "description|patterns|..." string: "description
// (patterns)", each pattern matching names of either letter case, and "*.*"
// matching every file as it does on Windows (also names without a period).
QStringList qtNameFilters(const QString& filter);

// The program file chooser's filters: programs, scripts and links, all files.
QString launcherProgramFilter();

// The Qt name filter, offered first on Linux, that shows only programs:
// files with an execute bit (and the folders to browse).
QString executableNameFilter();

// Sets Qt's own file dialog up for one existing file with the filters of
// filter, the first active; on Linux the executable filter comes before them
// and is the active one.
void prepareFileDialog(QFileDialog& dialog, const QString& filter);

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
