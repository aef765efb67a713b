#include "app/Dbcsset.h"

#include "ui/form_layout.h"
#include "ui/qt_text.h"

#include <QButtonGroup>
#include <QKeyEvent>
#include <QPushButton>
#include <QRadioButton>

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
    for (QWidget* w : {static_cast<QWidget*>(RadioButton1), static_cast<QWidget*>(RadioButton2),
                       static_cast<QWidget*>(RadioButton3), static_cast<QWidget*>(BtnCansel),
                       static_cast<QWidget*>(BtnSave)})
        w->installEventFilter(this);
    pressFocusedButtonOnEnter(this);
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

bool TForm2::FormKeyDown(int key)
{
    if (key != Qt::Key_Escape) return false;
    close();
    return true;
}

bool TForm2::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::KeyPress && FormKeyDown(static_cast<QKeyEvent*>(event)->key()))
        return true;
    return QDialog::eventFilter(watched, event);
}

void TForm2::keyPressEvent(QKeyEvent* event)
{
    if (FormKeyDown(event->key())) return;
    QDialog::keyPressEvent(event);
}
