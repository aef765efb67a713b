#include "launcher/ApliEdit.h"

#include "launcher/launcher_editor.h"
#include "platform/codepage.h"
#include "ui/choosers.h"
#include "ui/form_layout.h"
#include "ui/qt_text.h"
#include "ui/window_keys.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace {

// A field keeps the bytes it was set to, so a value that is shown but not
// changed is stored exactly as it was, even where its bytes do not decode.
const char* const bytesProperty = "vorelBytes";
const char* const shownProperty = "vorelShown";

void setFieldText(QLineEdit* edit, const Text& value)
{
    edit->setText(toQString(value));
    edit->setProperty(bytesProperty, QByteArray::fromStdString(value));
    edit->setProperty(shownProperty, edit->text());
}

std::optional<Text> fieldText(const QLineEdit* edit)
{
    const QVariant shown = edit->property(shownProperty);
    if (shown.isValid() && shown.toString() == edit->text())
        return edit->property(bytesProperty).toByteArray().toStdString();
    return fromQString(edit->text());
}

}  // namespace

QString launcherProgramFilter()
{
    return uiText("実行ﾌｧｲﾙ(EXE ; COM)|*.EXE;*.COM|実行ﾌｧｲﾙ(PIF ; BAT ; LNK)|*.PIF;*.BAT;*.LNK|"
                  "全ﾌｧｲﾙ(*.*)|*.*");
}

Text unrepresentableFieldMessage()
{
    return fixedText("    使用できない文字が含まれています。          ");
}

TForm12::TForm12(LauncherState& state, Prompter& prompter, FileChooser& files, QWidget* parent)
    : QDialog(parent), state_(state), prompter_(prompter), files_(files)
{
    setObjectName(QStringLiteral("TForm12"));
    setupFixedWindow(this, 562, 153, uiText("Vorel (ﾗﾝﾁｬｰ編集)"));
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);

    Label1 = makeLabel(this, "Label1", uiText("ﾌﾟﾛｸﾞﾗﾑﾀｲﾄﾙ"), {10, 10, 100, 20});
    Label2 = makeLabel(this, "Label2", uiText("実行ﾌｧｲﾙ名"), {10, 40, 100, 20});
    Label3 = makeLabel(this, "Label3", uiText("ｵﾌﾟｼｮﾝ"), {10, 70, 100, 20});
    Label4 = makeLabel(this, "Label4", uiText("実行ﾃﾞｨﾚｸﾄﾘ"), {10, 100, 100, 20});
    Label5 = makeLabel(this, "Label5", uiText("起動ｼｮｰﾄｶｯﾄ"), {10, 130, 100, 20});

    auto makeEdit = [this](const char* name, QRect geometry, QLabel* label) {
        auto* edit = new QLineEdit(this);
        edit->setObjectName(QString::fromLatin1(name));
        edit->setGeometry(geometry);
        label->setBuddy(edit);
        return edit;
    };
    // Created in tab order.
    Edit1 = makeEdit("Edit1", {120, 5, 430, 26}, Label1);
    Edit2 = makeEdit("Edit2", {120, 35, 320, 26}, Label2);
    Edit3 = makeEdit("Edit3", {120, 65, 430, 26}, Label3);
    Edit4 = makeEdit("Edit4", {120, 95, 430, 26}, Label4);
    Edit5 = makeEdit("Edit5", {120, 125, 30, 26}, Label5);
    BtnOk = makeButton(this, "BtnOk", uiText("OK(&O)"), {330, 125, 100, 25});
    BtnCansel = makeButton(this, "BtnCansel", uiText("ｷｬﾝｾﾙ"), {450, 125, 100, 25});
    BtnRef = makeButton(this, "BtnRef", uiText("参照(&B)..."), {450, 35, 100, 25});

    QWidget* order[] = {Edit1, Edit2, Edit3, Edit4, Edit5, BtnOk, BtnCansel, BtnRef};
    for (std::size_t i = 0; i + 1 < std::size(order); ++i) QWidget::setTabOrder(order[i], order[i + 1]);

    connect(BtnOk, &QPushButton::clicked, this, &TForm12::BtnOkClick);
    connect(BtnCansel, &QPushButton::clicked, this, &TForm12::BtnCanselClick);
    connect(BtnRef, &QPushButton::clicked, this, &TForm12::BtnRefClick);
    Edit1->setFocus();
    installWindowKeys(this, Backspace::Kept, [this] { reject(); });
}

void TForm12::setFields(const LauncherEntry& fields)
{
    setFieldText(Edit1, fields.ProgTitle);
    setFieldText(Edit2, fields.ProgName);
    setFieldText(Edit3, fields.ProgOption);
    setFieldText(Edit4, fields.ProgDir);
    setFieldText(Edit5, fields.ProgShortCut);
}

void TForm12::BtnOkClick()
{
    EditBoxCheck();
}

void TForm12::BtnCanselClick()
{
    reject();
}

void TForm12::EditBoxCheck()
{
    LauncherEntry fields;
    const std::pair<QLineEdit*, Text LauncherEntry::*> bound[] = {
        {Edit1, &LauncherEntry::ProgTitle}, {Edit2, &LauncherEntry::ProgName},
        {Edit3, &LauncherEntry::ProgOption}, {Edit4, &LauncherEntry::ProgDir},
        {Edit5, &LauncherEntry::ProgShortCut}};
    for (const auto& [edit, field] : bound) {
        std::optional<Text> value = fieldText(edit);
        if (!value) {
            prompter_.ask(unrepresentableFieldMessage(), PromptKind::Warning, PbOk);
            return;
        }
        fields.*field = std::move(*value);
    }
    if (checkAndStoreEntry(fields, state_.WorkCopy, state_.LauncherEditRow, prompter_)) accept();
}

void TForm12::BtnRefClick()
{
    const std::optional<Text> chosen = files_.chooseFile(this, launcherProgramFilter());
    if (!chosen) return;
    LauncherEntry current;
    if (!Edit1->text().isEmpty()) current.ProgTitle.push_back(' ');  // only its emptiness counts
    const LauncherEntry result = browseResult(activeCodePage(), *chosen, current);
    if (Edit1->text().isEmpty()) setFieldText(Edit1, result.ProgTitle);
    setFieldText(Edit2, result.ProgName);
    setFieldText(Edit3, result.ProgOption);
    setFieldText(Edit4, result.ProgDir);
}
