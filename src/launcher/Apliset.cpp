#include "launcher/Apliset.h"

#include "launcher/ApliEdit.h"
#include "platform/app_error.h"
#include "settings/ini_file.h"
#include "ui/form_layout.h"
#include "ui/qt_text.h"
#include "ui/window_keys.h"

#include <QListWidget>
#include <QPushButton>

TForm11::TForm11(LauncherState& state, IniFile& settings, Prompter& prompter, FileChooser& files,
                 QWidget* parent)
    : QDialog(parent),
      state_(state),
      settings_(settings),
      prompter_(prompter),
      files_(files),
      setup_(state, prompter)
{
    setObjectName(QStringLiteral("TForm11"));
    setupFixedWindow(this, 362, 322, uiText("Vorel (ﾗﾝﾁｬｰ設定)"));
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);

    // Created in tab order.
    ListBox1 = new QListWidget(this);
    ListBox1->setObjectName(QStringLiteral("ListBox1"));
    ListBox1->setGeometry(10, 10, 210, 260);
    ListBox1->setSelectionMode(QAbstractItemView::SingleSelection);
    BtnOk = makeButton(this, "BtnOk", uiText("OK(&O)"), {10, 285, 100, 25});
    BtnCansel = makeButton(this, "BtnCansel", uiText("ｷｬﾝｾﾙ"), {120, 285, 100, 25});
    BtnAdd = makeButton(this, "BtnAdd", uiText("新規追加(&N)..."), {230, 10, 120, 25});
    BtnEdit = makeButton(this, "BtnEdit", uiText("編集(&E)..."), {230, 45, 120, 25});
    BtnUp = makeButton(this, "BtnUp", uiText("一つ上へ"), {230, 90, 120, 25});
    BtnDown = makeButton(this, "BtnDown", uiText("一つ下へ"), {230, 125, 120, 25});
    BtnCut = makeButton(this, "BtnCut", uiText("ｶｯﾄ(&X)"), {230, 170, 120, 25});
    BtnCopy = makeButton(this, "BtnCopy", uiText("ｺﾋﾟｰ(&C)"), {230, 205, 120, 25});
    BtnPaste = makeButton(this, "BtnPaste", uiText("張り付け(&V)"), {230, 240, 120, 25});
    BtnDel = makeButton(this, "BtnDel", uiText("削除(&D)"), {230, 285, 120, 25});

    QWidget* order[] = {ListBox1, BtnOk,  BtnCansel, BtnAdd,   BtnEdit, BtnUp,
                        BtnDown,  BtnCut, BtnCopy,   BtnPaste, BtnDel};
    for (std::size_t i = 0; i + 1 < std::size(order); ++i) QWidget::setTabOrder(order[i], order[i + 1]);

    connect(BtnOk, &QPushButton::clicked, this, &TForm11::BtnOkClick);
    connect(BtnCansel, &QPushButton::clicked, this, &TForm11::BtnCanselClick);
    connect(BtnAdd, &QPushButton::clicked, this, &TForm11::BtnAddClick);
    connect(BtnEdit, &QPushButton::clicked, this, &TForm11::BtnEditClick);
    connect(BtnUp, &QPushButton::clicked, this, &TForm11::BtnUpClick);
    connect(BtnDown, &QPushButton::clicked, this, &TForm11::BtnDownClick);
    connect(BtnCut, &QPushButton::clicked, this, &TForm11::BtnCutClick);
    connect(BtnCopy, &QPushButton::clicked, this, &TForm11::BtnCopyClick);
    connect(BtnPaste, &QPushButton::clicked, this, &TForm11::BtnPasteClick);
    connect(BtnDel, &QPushButton::clicked, this, &TForm11::BtnDelClick);
    connect(ListBox1, &QListWidget::currentRowChanged, this, [this](int row) {
        if (row >= 0) setup_.select(row);
    });

    BtnPaste->setEnabled(false);
    showList();
    ListBox1->setFocus();
    installWindowKeys(this, Backspace::Kept, [this] { reject(); });
}

void TForm11::showList()
{
    {
        const QSignalBlocker quiet(ListBox1);
        ListBox1->clear();
        for (const Text& line : setup_.lines()) ListBox1->addItem(toQString(line));
        ListBox1->setCurrentRow(setup_.selected());
    }
    BtnPaste->setEnabled(setup_.pasteEnabled());
}

void TForm11::openEditor(const LauncherEntry& fields)
{
    TForm12 editor(state_, prompter_, files_, this);
    editor.setFields(fields);
    centreOnScreen(&editor);
    editor.exec();
}

void TForm11::BtnOkClick()
{
    try {
        setup_.ok(settings_);
    } catch (const AppError& error) {
        prompter_.showError(error.message());
        return;
    }
    accept();
}

void TForm11::BtnCanselClick()
{
    reject();
}

void TForm11::BtnAddClick()
{
    if (!setup_.beginAdd()) return;
    openEditor(LauncherEntry{});
    setup_.endAdd();
    showList();
}

void TForm11::BtnEditClick()
{
    openEditor(setup_.beginEdit());
    setup_.endEdit();
    showList();
}

void TForm11::BtnUpClick()
{
    setup_.up();
    showList();
}

void TForm11::BtnDownClick()
{
    setup_.down();
    showList();
}

void TForm11::BtnCutClick()
{
    setup_.cut();
    showList();
}

void TForm11::BtnCopyClick()
{
    setup_.copy();
    showList();
}

void TForm11::BtnPasteClick()
{
    setup_.paste();
    showList();
}

void TForm11::BtnDelClick()
{
    setup_.del();
    showList();
}

void openLauncherSettings(QWidget* parent, LauncherState& state, IniFile& settings,
                          Prompter& prompter, FileChooser& files)
{
    readLauncherTable(settings, state.Table);
    {
        TForm11 dialog(state, settings, prompter, files, parent);
        centreOnScreen(&dialog);
        dialog.exec();
    }
    state.WorkCopy.clear();
}
