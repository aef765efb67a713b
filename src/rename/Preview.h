#pragma once
// The preview window "Vorel (変換プレビュー)": every file of a run with the
// path it will get and the problem the run would meet there, before the
// first rename.
#include "platform/fs.h"
#include "rename/rename_plan.h"
#include "rename/rename_run.h"
#include "settings/list_settings.h"

#include <QDialog>

class QLabel;
class QPushButton;
class ExtentListView;

class TForm7 : public QDialog {
    Q_OBJECT
public:
    // Shows plan for entries (both must outlive the window): three lines a
    // file, the count of files and problems, the first problem selected,
    // and the focus on "実行(&R)" when there is no problem, else on
    // "ｷｬﾝｾﾙ(&N)".
    TForm7(const PathList& entries, const std::vector<PlannedRename>& plan,
           QWidget* parent = nullptr);

    void BtnRunClick();      // accepted: the run goes on
    void BtnCanselClick();   // rejected: the run ends before any rename

    QLabel* Label1 = nullptr;
    QPushButton* BtnRun = nullptr;
    QPushButton* BtnCansel = nullptr;
    ExtentListView* ListBox1 = nullptr;
};

// The hook a run calls while the preview is on: plans the run, shows the
// preview modally over parent, centred, with the list in the main window's
// list settings, and tells whether to go on. An AppError of a list setting
// that does not parse escapes before the window is shown.
PlanConfirmation previewConfirmation(QWidget* parent, const ListSettings& list, FileSystem& fs);
