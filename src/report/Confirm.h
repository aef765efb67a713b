#pragma once
// The report view "Vorel (変換確認)" and the main window's confirmation command.
#include "platform/fs.h"
#include "platform/prompter.h"
#include "rename/session.h"
#include "settings/list_settings.h"

#include <QDialog>
#include <functional>

class QLabel;
class ReportLines;
class QPushButton;
class ExtentListView;

// Starts a program on the report file at reportPath; gets the report view as
// the parent of whatever it shows.
using LauncherRun = std::function<void(QWidget* view, const Text& reportPath)>;

class TForm6 : public QDialog {
    Q_OBJECT
public:
    // reportPath is the file whose lines the view shows: the one its launcher
    // button opens.
    explicit TForm6(LauncherRun launcherRun, Text reportPath = {}, QWidget* parent = nullptr);

    // Shows the report lines, read from their lists only when displayed:
    // the lists must outlive the view and stay unchanged while it shows them.
    // Qt::UserRole gives a line's bytes beside the text shown.
    void fillList(const ReportLines& lines);

    void BtnLauncherRunClick();
    void BtnCanselClick();

    QLabel* Label1 = nullptr;
    QLabel* Label2 = nullptr;
    QLabel* Label3 = nullptr;
    ExtentListView* ListBox1 = nullptr;
    QPushButton* BtnLauncherRun = nullptr;
    QPushButton* BtnCansel = nullptr;

private:
    void FormCreate();

    LauncherRun launcherRun_;
    Text reportPath_;
};

// The main window's "変換確認(&C)": rebuilds ReportList, writes the report
// file at reportPath and shows the report view modally, centred on the
// screen, with the list in the main window's list settings. Says so and shows no view when there is nothing to report
// or the file cannot be written. An AppError from a list setting that does
// not parse escapes to the caller (for its plain error box): ReportList is
// rebuilt by then, no file is written and no view is shown.
void runConfirmation(QWidget* parent, Session& session, const ListSettings& listSettings,
                     FileSystem& fs, Prompter& prompter, const Text& reportPath,
                     LauncherRun launcherRun);
