#include "rename/Extchg.h"

#include "ui/ByteLimitedEdit.h"
#include "ui/CaptionProgress.h"
#include "ui/form_layout.h"
#include "ui/qt_text.h"
#include "ui/window_keys.h"

#include <QLabel>
#include <QPushButton>

namespace {

constexpr int fieldLimitBytes = 10;

}  // namespace

TForm3::TForm3(Session& session, ConversionHost& host, Prompter& prompter, FileSystem& fs,
               QWidget* parent)
    : QDialog(parent), session_(session), host_(host), prompter_(prompter), fs_(fs)
{
    setObjectName(QStringLiteral("TForm3"));
    setupFixedWindow(this, 572, 353, uiText("Vorel (拡張変換)"));
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);
    buildControls();
}

void TForm3::buildControls()
{
    Label8 = makeLabel(this, "Label8", uiText("     マークファイルの処理"), {160, 5, 250, 18});
    Label9 = makeLabel(this, "Label9", uiText("ディレクトリの処理"), {415, 5, 150, 18});

    // One row: its label, field, marked-file button and directory button,
    // created in tab order.
    auto row = [this](const char* labelName, const char* labelCaption, const char* editName,
                      const char* markedName, const char* markedCaption, const char* dirName,
                      const char* dirCaption, int top, QLabel*& label, ByteLimitedEdit*& edit,
                      QPushButton*& marked, QPushButton*& dir) {
        label = makeLabel(this, labelName, uiText(labelCaption), {5, top + 7, 20, 18});
        edit = new ByteLimitedEdit(fieldLimitBytes, this);
        edit->setObjectName(QString::fromLatin1(editName));
        edit->setGeometry(30, top + 2, 120, 26);
        label->setBuddy(edit);
        marked = makeButton(this, markedName, uiText(markedCaption), {160, top, 250, 31});
        dir = makeButton(this, dirName, uiText(dirCaption), {415, top, 150, 31});
    };
    row("Label3", "(&1)", "Edit1", "BtnStartAdd", "ファイル名の先頭に付加(&S)", "BtnAllstartAdd",
        "先頭に付加(&V)", 25, Label3, Edit1, BtnStartAdd, BtnAllstartAdd);
    row("Label4", "(&2)", "Edit2", "BtnEndAdd", "ファイル名の最後に付加(&E)", "BtnAllEndAdd",
        "最後に付加(&W)", 60, Label4, Edit2, BtnEndAdd, BtnAllEndAdd);
    row("Label5", "(&3)", "Edit3", "BtnExtChange", "ファイル名の拡張子を変更(&C)", "BtnAllExtChange",
        "拡張子変更(&X)", 95, Label5, Edit3, BtnExtChange, BtnAllExtChange);
    row("Label6", "(&4)", "Edit4", "BtnStartDel", "ファイル名の先頭を削除(&T)", "BtnAllStartDel",
        "先頭を削除(&Y)", 130, Label6, Edit4, BtnStartDel, BtnAllStartDel);
    row("Label7", "(&5)", "Edit5", "BtnEndDel", "ファイル名の最後を削除(&B)", "BtnAllEndDel",
        "最後を削除(&Z)", 165, Label7, Edit5, BtnEndDel, BtnAllEndDel);
    BtnUpper = makeButton(this, "BtnUpper", uiText("大文字に変換(&U)"), {160, 200, 250, 31});
    BtnAllUpper = makeButton(this, "BtnAllUpper", uiText("大文字に変換(&M)"), {415, 200, 150, 31});
    BtnLower = makeButton(this, "BtnLower", uiText("小文字に変換(&L)"), {160, 235, 250, 31});
    BtnAllLower = makeButton(this, "BtnAllLower", uiText("小文字に変換(&N)"), {415, 235, 150, 31});
    BtnCansel = makeButton(this, "BtnCansel", uiText("ｷｬﾝｾﾙ"), {160, 270, 250, 31});
    Label1 = makeLabel(this, "Label1",
                       uiText("拡張子変更では、拡張子には必ずピリオドを付けて下さい。 ( .org )"),
                       {30, 310, 550, 18});
    Label2 = makeLabel(this, "Label2", uiText("付加または削除の文字列は、半角で１０文字以内とします。"),
                       {30, 330, 550, 18});

    QWidget* const tabOrder[] = {Edit1,     BtnStartAdd, BtnAllstartAdd, Edit2,       BtnEndAdd,
                                 BtnAllEndAdd, Edit3,    BtnExtChange,   BtnAllExtChange, Edit4,
                                 BtnStartDel, BtnAllStartDel, Edit5,    BtnEndDel,   BtnAllEndDel,
                                 BtnUpper,  BtnAllUpper, BtnLower,     BtnAllLower, BtnCansel};
    for (std::size_t i = 1; i < std::size(tabOrder); ++i) {
        QWidget::setTabOrder(tabOrder[i - 1], tabOrder[i]);
    }
    installWindowKeys(this, Backspace::Closes);
    Edit1->setFocus();

    connect(BtnStartAdd, &QPushButton::clicked, this, &TForm3::BtnStartAddClick);
    connect(BtnEndAdd, &QPushButton::clicked, this, &TForm3::BtnEndAddClick);
    connect(BtnExtChange, &QPushButton::clicked, this, &TForm3::BtnExtChangeClick);
    connect(BtnStartDel, &QPushButton::clicked, this, &TForm3::BtnStartDelClick);
    connect(BtnEndDel, &QPushButton::clicked, this, &TForm3::BtnEndDelClick);
    connect(BtnUpper, &QPushButton::clicked, this, &TForm3::BtnUpperClick);
    connect(BtnLower, &QPushButton::clicked, this, &TForm3::BtnLowerClick);
    connect(BtnAllstartAdd, &QPushButton::clicked, this, &TForm3::BtnAllstartAddClick);
    connect(BtnAllEndAdd, &QPushButton::clicked, this, &TForm3::BtnAllEndAddClick);
    connect(BtnAllExtChange, &QPushButton::clicked, this, &TForm3::BtnAllExtChangeClick);
    connect(BtnAllStartDel, &QPushButton::clicked, this, &TForm3::BtnAllStartDelClick);
    connect(BtnAllEndDel, &QPushButton::clicked, this, &TForm3::BtnAllEndDelClick);
    connect(BtnAllUpper, &QPushButton::clicked, this, &TForm3::BtnAllUpperClick);
    connect(BtnAllLower, &QPushButton::clicked, this, &TForm3::BtnAllLowerClick);
    connect(BtnCansel, &QPushButton::clicked, this, &TForm3::BtnCanselClick);
}

std::vector<QPushButton*> TForm3::allOperationButtons() const
{
    return {BtnStartAdd,    BtnEndAdd,    BtnExtChange,    BtnStartDel,    BtnEndDel,
            BtnUpper,       BtnLower,     BtnAllstartAdd,  BtnAllEndAdd,   BtnAllExtChange,
            BtnAllStartDel, BtnAllEndDel, BtnAllUpper,     BtnAllLower};
}

void TForm3::runMarked(Operation op, const ByteLimitedEdit* field)
{
    const Text typed = field ? field->codePageText() : Text();
    WindowRun run(this, fs_, prompter_, session_, host_.journal(), confirmPlan ? confirmPlan() : PlanConfirmation());
    if (runMarkedOperation(op, typed, session_.MarkedPaths, run.context(), session_) != RunOutcome::Completed) {
        return;
    }
    if (op == Operation::Upper || op == Operation::Lower) {
        completed(allOperationButtons());
    } else {
        // The case conversions and the directory column stay available.
        completed({BtnStartAdd, BtnEndAdd, BtnExtChange, BtnStartDel, BtnEndDel, BtnAllUpper,
                   BtnAllLower});
    }
}

void TForm3::runDirectory(Operation op, const ByteLimitedEdit* field)
{
    const Text typed = field ? field->codePageText() : Text();
    WindowRun run(this, fs_, prompter_, session_, host_.journal(), confirmPlan ? confirmPlan() : PlanConfirmation());
    if (runDirectoryOperation(op, typed, session_.MarkedPaths, run.context(), session_) == RunOutcome::Completed) {
        completed(allOperationButtons());
    }
}

void TForm3::completed(const std::vector<QPushButton*>& disabled)
{
    for (QPushButton* button : disabled) button->setEnabled(false);
    BtnCansel->setFocus();
    host_.conversionCompleted();
}

void TForm3::BtnStartAddClick() { runMarked(Operation::StartAdd, Edit1); }
void TForm3::BtnEndAddClick() { runMarked(Operation::EndAdd, Edit2); }
void TForm3::BtnExtChangeClick() { runMarked(Operation::ExtChange, Edit3); }
void TForm3::BtnStartDelClick() { runMarked(Operation::StartDel, Edit4); }
void TForm3::BtnEndDelClick() { runMarked(Operation::EndDel, Edit5); }
void TForm3::BtnUpperClick() { runMarked(Operation::Upper, nullptr); }
void TForm3::BtnLowerClick() { runMarked(Operation::Lower, nullptr); }
void TForm3::BtnAllstartAddClick() { runDirectory(Operation::StartAdd, Edit1); }
void TForm3::BtnAllEndAddClick() { runDirectory(Operation::EndAdd, Edit2); }
void TForm3::BtnAllExtChangeClick() { runDirectory(Operation::ExtChange, Edit3); }
void TForm3::BtnAllStartDelClick() { runDirectory(Operation::StartDel, Edit4); }
void TForm3::BtnAllEndDelClick() { runDirectory(Operation::EndDel, Edit5); }
void TForm3::BtnAllUpperClick() { runDirectory(Operation::Upper, nullptr); }
void TForm3::BtnAllLowerClick() { runDirectory(Operation::Lower, nullptr); }

void TForm3::BtnCanselClick()
{
    close();
}
