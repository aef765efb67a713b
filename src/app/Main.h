#pragma once
// The main window: lists the marked paths and owns everything that lives
// longer than one command.
#include "launcher/launcher_table.h"
#include "platform/data_files.h"
#include "platform/fs.h"
#include "rename/rename_run.h"
#include "rename/journal.h"
#include "rename/session.h"
#include "settings/list_settings.h"
#include "platform/prompter.h"

#include <QFont>
#include <QMainWindow>
#include <memory>

class QMenu;
class QAction;
class QPushButton;
class QListWidget;
class QFrame;
class ExtentListView;
class FontChooser;
class ColourChooser;
class FileChooser;
class PathChooser;
class ShellOpener;

// What the main window needs from the world outside it.
struct MainServices {
    Text programPath;     // the program file's full path
    DataFiles files;      // where the settings file and the report live
    StringList arguments; // the marked paths, as received
    Prompter* prompter = nullptr;
    FileSystem* fs = nullptr;
    FontChooser* fontChooser = nullptr;
    ColourChooser* colourChooser = nullptr;
    FileChooser* fileChooser = nullptr;
    ShellOpener* shell = nullptr;
    PathChooser* pathChooser = nullptr;
};

class TForm1 : public QMainWindow, public ConversionHost {
    Q_OBJECT
public:
    explicit TForm1(MainServices services, QWidget* parent = nullptr);
    ~TForm1() override;

    // State, as the commands read and write it.
    ListSettings List;
    Session session;
    LauncherState Launcher;

    // ConversionHost
    void conversionCompleted() override;
    RunJournal* journal() override { return journal_.get(); }

    const Text& settingsPath() const { return services_.files.settingsFile; }
    // The settings file, read once at start; every window reads and writes it here.
    IniFile& settings() { return *settings_; }

    // Handlers.
    void BtnUpperClick();
    void BtnLowerClick();
    void BtnExtClick();
    void BtnConfirmClick();
    void BtnCanselClick();
    void MenuFileAddClick();
    void MenuFileUndoClick();
    void MenuFileExitClick();
    void MenuDbcsCheckClick();
    void MenuLauncherSetClick();
    void MenuFontSetClick();
    void MenuBackColorSetClick();
    void MenuPreviewSetClick();
    void MenuHelpDispClick();
    // F4 (also with Shift) raises the calling window; true when handled.
    bool FormKeyDown(int key, Qt::KeyboardModifiers modifiers);
    void FocusMoveToApli();
    // Paths dropped or chosen, taken as if they had been on the command
    // line: after a completed run they start a new list, else they are
    // appended to it.
    void addMarkedPaths(StringList paths);

    void ReadIniFileValue();
    void WriteIniFileValue();
    // What closing the window does when the process ends right after: the
    // settings are written and the session's lists given back.
    void FormDestroyBeforeExit();

protected:
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    void FormCreate();
    void writeFirstRunSettings();
    // Starts a launcher entry on the report that the report view shows.
    void launcherRun(QWidget* view, const Text& reportPath);
    void FormDestroy();
    void buildControls();
    void buildMenu();
    void runCaseConversion(bool upper);
    // The preview before a run started from parent; none while it is off.
    PlanConfirmation planConfirmation(QWidget* parent);
    // "元に戻す(&Z)" is enabled while the last run has renames to put back.
    void showUndoState();
    // At start: the undo of the last run from the journal, and the question
    // whether to put back a run that was cut short.
    void resumeJournal();
    // Runs a handler body; an AppError that escapes it goes to the plain
    // error box and the rest of the handler is abandoned.
    template <typename F> void guarded(F&& body);

    MainServices services_;
    std::unique_ptr<JournalFile> journal_;
    std::unique_ptr<IniFile> settings_;
    bool destroyed_ = false;
    QFont fontDialogFont_;  // the font chooser's font, kept between uses

public:
    QPushButton* BtnUpper = nullptr;
    QPushButton* BtnLower = nullptr;
    QPushButton* BtnExt = nullptr;
    QPushButton* BtnConfirm = nullptr;
    QPushButton* BtnCansel = nullptr;
    ExtentListView* ListBox1 = nullptr;
    QFrame* Panel1 = nullptr;
    QMenu* Menufile = nullptr;
    QMenu* MenuOption = nullptr;
    QMenu* MenuHelp = nullptr;
    QAction* MenuFileAdd = nullptr;
    QAction* MenuFileUndo = nullptr;
    QAction* MenuFileExit = nullptr;
    QAction* MenuDbcsCheck = nullptr;
    QAction* MenuLauncherSet = nullptr;
    QAction* MenuFontSet = nullptr;
    QAction* MenuBackColorSet = nullptr;
    QAction* MenuPreviewSet = nullptr;
    QAction* MenuHelpDisp = nullptr;
};
