#include "rename/Preview.h"

#include "platform/codepage.h"
#include "report/report.h"
#include "ui/extent_list.h"
#include "ui/form_layout.h"
#include "ui/list_style.h"
#include "ui/qt_text.h"
#include "ui/window_keys.h"

#include <QLabel>
#include <QPushButton>

#include <memory>
#include <string>

TForm7::TForm7(const PathList& entries, const std::vector<PlannedRename>& plan, QWidget* parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("TForm7"));
    setupFixedWindow(this, 622, 353, uiText("Vorel (変換プレビュー)"));
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);

    const std::size_t problems = planProblems(plan);
    const Text count = std::to_string(plan.size()) + fixedText(" 件中、問題 ") +
                       std::to_string(problems) + fixedText(" 件");
    Label1 = makeLabel(this, "Label1", toQString(count), {20, 25, 310, 20});
    // Created in tab order.
    BtnRun = makeButton(this, "BtnRun", uiText("実行(&R)"), {345, 17, 130, 31});
    BtnCansel = makeButton(this, "BtnCansel", uiText("ｷｬﾝｾﾙ(&N)"), {485, 17, 130, 30});
    ListBox1 = new ExtentListView(this);
    ListBox1->setObjectName(QStringLiteral("ListBox1"));
    ListBox1->setGeometry(5, 65, 612, 280);
    applyListLook(ListBox1);

    // Three lines a file, read from the plan only when drawn; a line break
    // in a name is shown escaped, as in the report.
    ListBox1->setLines(plan.size() * 3, [entries, &plan](std::size_t i, Text& scratch) -> std::string_view {
        const PlannedRename& p = plan[i / 3];
        switch (i % 3) {
        case 0: scratch = reportLine(entries.pathInto(i / 3, scratch)); break;
        case 1: scratch = reportLine(p.to); break;
        default: scratch = planStatusLine(p.status); break;
        }
        return scratch;
    });

    QWidget::setTabOrder(BtnRun, BtnCansel);
    QWidget::setTabOrder(BtnCansel, ListBox1);
    connect(BtnRun, &QPushButton::clicked, this, &TForm7::BtnRunClick);
    connect(BtnCansel, &QPushButton::clicked, this, &TForm7::BtnCanselClick);
    installWindowKeys(this, Backspace::Closes, [this] { BtnCanselClick(); });

    if (problems == 0) {
        BtnRun->setFocus();
        return;
    }
    BtnCansel->setFocus();
    for (std::size_t i = 0; i < plan.size(); ++i) {
        if (plan[i].status != PlanStatus::Ok) {
            ListBox1->setCurrentRow(static_cast<int>(i * 3 + 2));
            break;
        }
    }
}

void TForm7::BtnRunClick()
{
    accept();
}

void TForm7::BtnCanselClick()
{
    reject();
}

PlanConfirmation previewConfirmation(QWidget* parent, const ListSettings& list, FileSystem& fs)
{
    return [parent, &list, &fs](Operation op, const Text& typed, const PathList& entries) {
        const std::vector<PlannedRename> plan = planRenames(op, typed, entries.strings(), fs);
        TForm7 form(entries, plan, parent);
        applyListSettings(form.ListBox1, list);
        centreOnScreen(&form);
        return form.exec() == QDialog::Accepted;
    };
}
