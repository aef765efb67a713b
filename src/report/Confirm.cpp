#include "report/Confirm.h"

#include "report/report.h"
#include "ui/extent_list.h"
#include "ui/form_layout.h"
#include "ui/list_style.h"
#include "ui/qt_text.h"
#include "ui/window_keys.h"

#include <QLabel>
#include <QPushButton>

#include <memory>

TForm6::TForm6(LauncherRun launcherRun, Text reportPath, QWidget* parent)
    : QDialog(parent), launcherRun_(std::move(launcherRun)), reportPath_(std::move(reportPath))
{
    setObjectName(QStringLiteral("TForm6"));
    setupFixedWindow(this, 622, 353, uiText("Vorel (変換確認)"));
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);

    Label1 = makeLabel(this, "Label1", uiText("変換前のファイル名"), {20, 5, 200, 20});
    Label2 = makeLabel(this, "Label2", uiText("変換指示のファイル名"), {20, 25, 200, 20});
    Label3 = makeLabel(this, "Label3", uiText("変換後のファイル名"), {20, 45, 200, 20});
    // Created in tab order, so the first button has the focus when shown.
    BtnLauncherRun =
        makeButton(this, "BtnLauncherRun", uiText("ﾗﾝﾁｬｰ起動(&K)..."), {345, 17, 130, 31});
    BtnCansel = makeButton(this, "BtnCansel", uiText("ｷｬﾝｾﾙ"), {485, 17, 130, 30});
    ListBox1 = new ExtentListView(this);
    ListBox1->setObjectName(QStringLiteral("ListBox1"));
    ListBox1->setGeometry(5, 65, 612, 280);

    QWidget::setTabOrder(BtnLauncherRun, BtnCansel);
    QWidget::setTabOrder(BtnCansel, ListBox1);

    connect(BtnLauncherRun, &QPushButton::clicked, this, &TForm6::BtnLauncherRunClick);
    connect(BtnCansel, &QPushButton::clicked, this, &TForm6::BtnCanselClick);
    installWindowKeys(this, Backspace::Closes);
    letListGrowWithWindow(this, this, ListBox1);
    BtnLauncherRun->setFocus();
    FormCreate();
}

void TForm6::FormCreate()
{
    applyListLook(ListBox1);
}

void TForm6::fillList(const ReportLines& lines)
{
    ListBox1->setLines(lines.size(), [lines](std::size_t i, Text& scratch) {
        return lines.line(i, scratch);
    });
}

void TForm6::BtnLauncherRunClick()
{
    if (launcherRun_) launcherRun_(this, reportPath_);
}

void TForm6::BtnCanselClick()
{
    close();
}

namespace {

// Creates the report view when the report gets that far, as the first step
// after ReportList is rebuilt.
class ConfirmView : public ReportView {
public:
    ConfirmView(QWidget* parent, const ListSettings& settings, LauncherRun launcherRun, const Text& reportPath)
        : parent_(parent), settings_(settings), launcherRun_(std::move(launcherRun)), reportPath_(reportPath)
    {
    }
    void applyListSettings() override
    {
        form_ = std::make_unique<TForm6>(std::move(launcherRun_), reportPath_, parent_);
        ::applyListSettings(form_->ListBox1, settings_);
    }
    void fillList(const ReportLines& lines) override { form_->fillList(lines); }
    TForm6* form() const { return form_.get(); }

private:
    QWidget* parent_;
    const ListSettings& settings_;
    LauncherRun launcherRun_;
    const Text& reportPath_;
    std::unique_ptr<TForm6> form_;
};

}  // namespace

void runConfirmation(QWidget* parent, Session& session, const ListSettings& listSettings,
                     FileSystem& fs, Prompter& prompter, const Text& reportPath,
                     LauncherRun launcherRun)
{
    ConfirmView view(parent, listSettings, std::move(launcherRun), reportPath);
    if (makeReport(session, fs, prompter, reportPath, view) != ReportOutcome::Saved)
        return;
    TForm6* form = view.form();
    centreOnScreen(form);
    form->exec();
}
