#include "launcher/Apliexe.h"

#include "ui/form_layout.h"
#include "ui/qt_text.h"

#include <QKeyEvent>
#include <QListWidget>
#include <QPushButton>

TForm13::TForm13(LauncherState& state, QWidget* parent) : QDialog(parent), state_(state)
{
    setObjectName(QStringLiteral("TForm13"));
    setupFixedWindow(this, 232, 323, uiText("Vorel (ﾗﾝﾁｬｰ実行)"));
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);

    // Created in tab order. Typing a character in the list selects the next
    // line that begins with it (the list's own keyboard search), so a
    // shortcut followed by Enter starts its entry.
    ListBox1 = new QListWidget(this);
    ListBox1->setObjectName(QStringLiteral("ListBox1"));
    ListBox1->setGeometry(10, 10, 210, 270);
    ListBox1->setSelectionMode(QAbstractItemView::SingleSelection);
    BtnOk = makeButton(this, "BtnOk", uiText("実行(&O)"), {10, 290, 100, 25});
    BtnCansel = makeButton(this, "BtnCansel", uiText("ｷｬﾝｾﾙ"), {120, 290, 100, 25});
    QWidget::setTabOrder(ListBox1, BtnOk);
    QWidget::setTabOrder(BtnOk, BtnCansel);
    for (QWidget* w : {static_cast<QWidget*>(ListBox1), static_cast<QWidget*>(BtnOk),
                       static_cast<QWidget*>(BtnCansel)})
        w->installEventFilter(this);

    connect(BtnOk, &QPushButton::clicked, this, &TForm13::BtnOkClick);
    connect(BtnCansel, &QPushButton::clicked, this, &TForm13::BtnCanselClick);
    connect(ListBox1, &QListWidget::itemDoubleClicked, this, &TForm13::ListBox1Click);
    ListBox1->setFocus();
    pressFocusedButtonOnEnter(this);
}

void TForm13::fillList(const ChooserList& list)
{
    list_ = list;
    ListBox1->clear();
    for (const Text& line : list_.lines) ListBox1->addItem(toQString(line));
    ListBox1->setCurrentRow(0);
}

void TForm13::choose()
{
    state_.LauncherChoice = chosenRow(list_, ListBox1->currentRow());
    accept();
}

void TForm13::cancel()
{
    state_.LauncherChoice = -1;
    reject();
}

void TForm13::BtnOkClick()
{
    choose();
}

void TForm13::ListBox1Click()
{
    choose();
}

void TForm13::BtnCanselClick()
{
    cancel();
}

bool TForm13::ListBoxKeyDown(int key)
{
    if (key == Qt::Key_Return || key == Qt::Key_Enter) {
        choose();
        return true;
    }
    if (key == Qt::Key_Escape) {
        cancel();
        return true;
    }
    return false;
}

bool TForm13::FormKeyDown(int key)
{
    if (key != Qt::Key_Escape) return false;
    cancel();
    return true;
}

bool TForm13::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::KeyPress) {
        auto* key = static_cast<QKeyEvent*>(event);
        if (watched == ListBox1 ? ListBoxKeyDown(key->key()) : FormKeyDown(key->key())) return true;
    }
    return QDialog::eventFilter(watched, event);
}

void TForm13::keyPressEvent(QKeyEvent* event)
{
    if (FormKeyDown(event->key())) return;
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) return;
    QDialog::keyPressEvent(event);
}

void BtnLauncherRunClick(QWidget* view, LauncherState& state, const IniFile& settings,
                         const Text& reportPath, Prompter& prompter, ShellOpener& shell)
{
    readLauncherTable(settings, state.Table);
    {
        TForm13 chooser(state, view);
        chooser.fillList(chooserList(state.Table));
        state.LauncherChoice = -1;
        centreOnScreen(&chooser);
        chooser.exec();
    }
    startLauncherChoice(state, reportPath, shell, prompter);
}
