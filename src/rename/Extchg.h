#pragma once
// The extended conversion dialog: the operations with a typed text and the
// case conversions, on the marked files (left column) and on the files of
// one marked directory (right column).
#include "platform/fs.h"
#include "platform/prompter.h"
#include "rename/rename_run.h"
#include "rename/session.h"

#include <QDialog>
#include <functional>
#include <vector>

class QLabel;
class QPushButton;
class ByteLimitedEdit;

class TForm3 : public QDialog {
    Q_OBJECT
public:
    TForm3(Session& session, ConversionHost& host, Prompter& prompter, FileSystem& fs,
           QWidget* parent = nullptr);

    // Marked files.
    void BtnStartAddClick();
    void BtnEndAddClick();
    void BtnExtChangeClick();
    void BtnStartDelClick();
    void BtnEndDelClick();
    void BtnUpperClick();
    void BtnLowerClick();
    // The files of the one marked directory.
    void BtnAllstartAddClick();
    void BtnAllEndAddClick();
    void BtnAllExtChangeClick();
    void BtnAllStartDelClick();
    void BtnAllEndDelClick();
    void BtnAllUpperClick();
    void BtnAllLowerClick();

    void BtnCanselClick();

    QLabel* Label1 = nullptr;
    QLabel* Label2 = nullptr;
    QLabel* Label3 = nullptr;
    QLabel* Label4 = nullptr;
    QLabel* Label5 = nullptr;
    QLabel* Label6 = nullptr;
    QLabel* Label7 = nullptr;
    QLabel* Label8 = nullptr;
    QLabel* Label9 = nullptr;
    ByteLimitedEdit* Edit1 = nullptr;
    ByteLimitedEdit* Edit2 = nullptr;
    ByteLimitedEdit* Edit3 = nullptr;
    ByteLimitedEdit* Edit4 = nullptr;
    ByteLimitedEdit* Edit5 = nullptr;
    QPushButton* BtnStartAdd = nullptr;
    QPushButton* BtnEndAdd = nullptr;
    QPushButton* BtnExtChange = nullptr;
    QPushButton* BtnStartDel = nullptr;
    QPushButton* BtnEndDel = nullptr;
    QPushButton* BtnUpper = nullptr;
    QPushButton* BtnLower = nullptr;
    QPushButton* BtnAllstartAdd = nullptr;
    QPushButton* BtnAllEndAdd = nullptr;
    QPushButton* BtnAllExtChange = nullptr;
    QPushButton* BtnAllStartDel = nullptr;
    QPushButton* BtnAllEndDel = nullptr;
    QPushButton* BtnAllUpper = nullptr;
    QPushButton* BtnAllLower = nullptr;
    QPushButton* BtnCansel = nullptr;

    // Gives each run the preview to show before its first rename, if any.
    std::function<PlanConfirmation()> confirmPlan;

private:
    void buildControls();
    void runMarked(Operation op, const ByteLimitedEdit* field);
    void runDirectory(Operation op, const ByteLimitedEdit* field);
    // After a completed run: disables the buttons, focuses BtnCansel and
    // tells the main window.
    void completed(const std::vector<QPushButton*>& disabled);
    std::vector<QPushButton*> allOperationButtons() const;

    Session& session_;
    ConversionHost& host_;
    Prompter& prompter_;
    FileSystem& fs_;
};
