#include "launcher/ApliEdit.h"

#include "launcher/launcher_editor.h"
#include "platform/codepage.h"
#include "ui/form_layout.h"
#include "ui/qt_text.h"
#include "ui/window_keys.h"

#include <QFile>
#include <QFileDialog>
#include <QFileSystemModel>
#include <QSortFilterProxyModel>
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

// "*.EXE" -> "*.[Ee][Xx][Ee]": letter case does not matter, whatever the
// dialog (Qt's own, or a native one that matches case).
QString caseFreePattern(const QString& pattern)
{
    if (pattern == QLatin1String("*.*")) return QStringLiteral("*");
    QString out;
    for (QChar c : pattern) {
        const QChar lower = c.toLower();
        const QChar upper = c.toUpper();
        if (c.unicode() < 0x80 && lower != upper)
            out += QLatin1Char('[') + upper + lower + QLatin1Char(']');
        else
            out += c;
    }
    return out;
}

// Hides files without an execute bit while the executable filter is the
// dialog's selected one.
class ExecutableFilterProxy : public QSortFilterProxyModel {
public:
    explicit ExecutableFilterProxy(QFileDialog* dialog) : QSortFilterProxyModel(dialog)
    {
        QObject::connect(dialog, &QFileDialog::filterSelected, this, [this](const QString& filter) {
            // The dialog may name the filter without its pattern.
            active_ = executableNameFilter().startsWith(filter.trimmed());
            invalidateFilter();
        });
    }
    void setActive(bool active)
    {
        active_ = active;
        invalidateFilter();
    }

protected:
    bool filterAcceptsRow(int row, const QModelIndex& parent) const override
    {
        if (!active_) return true;
        const auto* files = qobject_cast<const QFileSystemModel*>(sourceModel());
        if (!files) return true;
        const QFileInfo info = files->fileInfo(files->index(row, 0, parent));
        return info.isDir() ||
               (info.permissions() & (QFile::ExeOwner | QFile::ExeGroup | QFile::ExeOther));
    }

private:
    bool active_ = false;
};

}  // namespace

QString executableNameFilter()
{
    return uiText("実行ﾌﾟﾛｸﾞﾗﾑ(実行属性) (*)");
}

void prepareFileDialog(QFileDialog& dialog, const QString& filter)
{
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setFileMode(QFileDialog::ExistingFile);
    // Show the descriptions as given; the patterns behind them are ours.
    dialog.setOption(QFileDialog::HideNameFilterDetails, true);
    QStringList filters = qtNameFilters(filter);
#ifdef Q_OS_LINUX
    // A native dialog would not filter by the execute bit.
    dialog.setOption(QFileDialog::DontUseNativeDialog, true);
    auto* proxy = new ExecutableFilterProxy(&dialog);
    dialog.setProxyModel(proxy);
    filters.prepend(executableNameFilter());
    proxy->setActive(true);
#endif
    dialog.setNameFilters(filters);
    if (!filters.isEmpty()) dialog.selectNameFilter(filters.first());
}

QStringList qtNameFilters(const QString& filter)
{
    const QStringList parts = filter.split(QLatin1Char('|'));
    QStringList filters;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        QStringList patterns;
        for (const QString& p : parts[i + 1].split(QLatin1Char(';'), Qt::SkipEmptyParts))
            patterns << caseFreePattern(p.trimmed());
        filters << parts[i] + QStringLiteral(" (") + patterns.join(QLatin1Char(' ')) + QLatin1Char(')');
    }
    return filters;
}

QString launcherProgramFilter()
{
    return uiText("実行ﾌｧｲﾙ(EXE ; COM)|*.EXE;*.COM|実行ﾌｧｲﾙ(PIF ; BAT ; LNK)|*.PIF;*.BAT;*.LNK|"
                  "全ﾌｧｲﾙ(*.*)|*.*");
}

std::optional<Text> QtFileChooser::chooseFile(QWidget* parent, const QString& filter)
{
    QFileDialog dialog(parent);
    prepareFileDialog(dialog, filter);
    centreOnScreen(&dialog);
    if (dialog.exec() != QDialog::Accepted) return std::nullopt;
    const QStringList files = dialog.selectedFiles();
    if (files.isEmpty()) return std::nullopt;
    // The name as the file system has it, so that the program can be started.
    return QFile::encodeName(files.first()).toStdString();
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
    if (::EditBoxCheck(fields, state_.WorkCopy, state_.LauncherEditRow, prompter_)) accept();
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
