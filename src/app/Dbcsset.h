#pragma once
// The double-byte warning setting dialog.
#include <QDialog>
#include <cstdint>

class QRadioButton;
class QPushButton;

class TForm2 : public QDialog {
    Q_OBJECT
public:
    // mode: the main window's DbcsMessageMode, changed only by "保存(&S)".
    TForm2(std::int32_t& mode, QWidget* parent = nullptr);

    void BtnSaveClick();
    void BtnCanselClick();
    // The arrow keys on a radio button move the choice with the focus;
    // true when the key was handled.
    bool FormKeyDown(QWidget* focused, int key);

    QRadioButton* RadioButton1 = nullptr;
    QRadioButton* RadioButton2 = nullptr;
    QRadioButton* RadioButton3 = nullptr;
    QPushButton* BtnCansel = nullptr;
    QPushButton* BtnSave = nullptr;

private:
    std::int32_t& mode_;
};
