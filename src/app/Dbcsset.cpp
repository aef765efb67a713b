#include "app/Dbcsset.h"

#include "ui/form_layout.h"
#include "ui/qt_text.h"
#include "ui/window_keys.h"

#include <QButtonGroup>
#include <QPushButton>
#include <QRadioButton>
#include <algorithm>

TForm2::TForm2(std::int32_t& mode, QWidget* parent) : QDialog(parent), mode_(mode)
{
    setObjectName(QStringLiteral("TForm2"));
    setupFixedWindow(this, 227, 118, uiText("Tesku (2ﾊﾞｲﾄ文字設定)"));
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);

    auto radio = [this](const char* name, const char* caption, int top) {
        auto* button = new QRadioButton(uiText(caption), this);
        button->setObjectName(QString::fromLatin1(name));
        button->setGeometry(20, top, 200, 17);
        return button;
    };
    RadioButton1 = radio("RadioButton1", "ﾒｯｾｰｼﾞを表示しない", 45);
    RadioButton2 = radio("RadioButton2", "初回だけﾒｯｾｰｼﾞ表示", 70);
    RadioButton3 = radio("RadioButton3", "毎回ﾒｯｾｰｼﾞ表示", 95);
    BtnCansel = makeButton(this, "BtnCansel", uiText("ｷｬﾝｾﾙ"), {10, 5, 100, 30});
    BtnSave = makeButton(this, "BtnSave", uiText("保存(&S)"), {120, 5, 100, 30});

    // One group, but with no button selected for a mode outside 1 to 3.
    auto* group = new QButtonGroup(this);
    group->setExclusive(true);
    group->addButton(RadioButton1);
    group->addButton(RadioButton2);
    group->addButton(RadioButton3);
    if (mode_ == 1) RadioButton1->setChecked(true);
    if (mode_ == 2) RadioButton2->setChecked(true);
    if (mode_ == 3) RadioButton3->setChecked(true);

    QWidget::setTabOrder(RadioButton1, RadioButton2);
    QWidget::setTabOrder(RadioButton2, RadioButton3);
    QWidget::setTabOrder(RadioButton3, BtnCansel);
    QWidget::setTabOrder(BtnCansel, BtnSave);

    connect(BtnSave, &QPushButton::clicked, this, &TForm2::BtnSaveClick);
    connect(BtnCansel, &QPushButton::clicked, this, &TForm2::BtnCanselClick);
    installWindowKeys(this, Backspace::Kept, {},
                      [this](QWidget* focused, int key, Qt::KeyboardModifiers) {
                          return FormKeyDown(focused, key);
                      });
    // The focus starts on the mode in force.
    for (QRadioButton* b : {RadioButton1, RadioButton2, RadioButton3})
        if (b->isChecked()) b->setFocus();
}

void TForm2::BtnSaveClick()
{
    if (RadioButton1->isChecked()) mode_ = 1;
    if (RadioButton2->isChecked()) mode_ = 2;
    if (RadioButton3->isChecked()) mode_ = 3;
    close();
}

void TForm2::BtnCanselClick()
{
    close();
}

bool TForm2::FormKeyDown(QWidget* focused, int key)
{
    // As the radio buttons of one group do on the desktop, round from the
    // last to the first.
    const int step = key == Qt::Key_Down || key == Qt::Key_Right ? 1
                     : key == Qt::Key_Up || key == Qt::Key_Left  ? 2
                                                                 : 0;
    QRadioButton* const group[] = {RadioButton1, RadioButton2, RadioButton3};
    const auto at = std::find(std::begin(group), std::end(group), focused);
    if (step == 0 || at == std::end(group)) return false;
    QRadioButton* next = group[(at - std::begin(group) + step) % 3];
    next->setFocus(Qt::TabFocusReason);
    next->setChecked(true);
    return true;
}
