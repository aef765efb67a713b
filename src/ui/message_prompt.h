#pragma once
// The Qt message prompt and plain error box.
#include "platform/prompter.h"

#include <QString>

class QFont;
class QWidget;

class QtPrompter : public Prompter {
public:
    // applicationTitle: the plain error box's caption (see applicationTitle()).
    QtPrompter(QWidget* parent, QString applicationTitle);
    int ask(const Text& text, PromptKind kind, unsigned buttons) override;
    void showError(const Text& text) override;
    void setParent(QWidget* parent) { parent_ = parent; }

private:
    QWidget* parent_;
    QString title_;
};

// The program file's name without directory and extension, its first
// character kept and the rest in lower case ("/opt/VOREL.bin" -> "Vorel").
QString applicationTitle(const Text& programPath);

// The caption of a prompt kind: "警告", "ｴﾗｰ", "情報", "確認".
QString promptCaption(PromptKind kind);
// The caption of one button: "はい(&Y)", "いいえ(&N)", "OK", "ｷｬﾝｾﾙ", ...
QString promptButtonCaption(PromptButton button);
// Enter presses OK when the set holds it, else yes, else retry; Escape
// presses cancel, else no, else OK. 0 when the set holds none of them.
PromptButton promptEnterButton(unsigned buttons);
PromptButton promptEscapeButton(unsigned buttons);
int promptAnswerOf(PromptButton button);

// text with every line wider than width broken into lines that fit, at
// blanks where possible, anywhere else otherwise; no character is dropped.
QString wrappedText(const QString& text, const QFont& font, int width);
