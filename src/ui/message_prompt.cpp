#include "ui/message_prompt.h"

#include "platform/codepage.h"
#include "platform/path.h"
#include "ui/qt_text.h"

#include <QCloseEvent>
#include <QDialog>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QStyle>
#include <QVBoxLayout>

namespace {

constexpr PromptButton buttonOrder[] = {PbYes, PbNo, PbOk, PbCancel, PbAbort,
                                        PbRetry, PbIgnore, PbAll, PbHelp};

QStyle::StandardPixmap iconOf(PromptKind kind)
{
    switch (kind) {
    case PromptKind::Warning: return QStyle::SP_MessageBoxWarning;
    case PromptKind::Error: return QStyle::SP_MessageBoxCritical;
    case PromptKind::Information: return QStyle::SP_MessageBoxInformation;
    case PromptKind::Confirmation: return QStyle::SP_MessageBoxQuestion;
    }
    return QStyle::SP_MessageBoxInformation;
}

// The prompt's texts carry "\n\r" line breaks; the label shows one break.
QString displayText(const Text& text)
{
    QString shown = toQString(text);
    shown.remove(QLatin1Char('\r'));
    return shown;
}

class PromptDialog : public QDialog {
public:
    PromptDialog(QWidget* parent, const Text& text, PromptKind kind, unsigned buttons)
        : QDialog(parent)
    {
        setObjectName(QStringLiteral("MessagePrompt"));
        setWindowTitle(promptCaption(kind));
        setWindowFlag(Qt::WindowContextHelpButtonHint, false);

        auto* icon = new QLabel(this);
        icon->setObjectName(QStringLiteral("PromptIcon"));
        const int size = style()->pixelMetric(QStyle::PM_MessageBoxIconSize, nullptr, this);
        icon->setPixmap(style()->standardIcon(iconOf(kind), nullptr, this).pixmap(size, size));
        auto* label = new QLabel(displayText(text), this);
        label->setObjectName(QStringLiteral("PromptText"));
        label->setTextFormat(Qt::PlainText);

        auto* top = new QHBoxLayout;
        top->addWidget(icon, 0, Qt::AlignTop);
        top->addWidget(label, 1);
        auto* row = new QHBoxLayout;
        row->addStretch(1);
        const PromptButton enter = promptEnterButton(buttons);
        escape_ = promptEscapeButton(buttons);
        QPushButton* enterButton = nullptr;
        QPushButton* firstButton = nullptr;
        for (PromptButton b : buttonOrder) {
            if (!(buttons & b)) continue;
            auto* button = new QPushButton(promptButtonCaption(b), this);
            button->setObjectName(QStringLiteral("PromptButton%1").arg(promptAnswerOf(b)));
            button->setAutoDefault(false);
            if (b == enter) {
                button->setDefault(true);
                enterButton = button;
            }
            connect(button, &QPushButton::clicked, this, [this, b] { done(promptAnswerOf(b)); });
            row->addWidget(button);
            if (!firstButton) firstButton = button;
        }
        row->addStretch(1);
        auto* layout = new QVBoxLayout(this);
        layout->addLayout(top);
        layout->addLayout(row);
        setFixedSize(sizeHint());
        if (QPushButton* focus = enterButton ? enterButton : firstButton) focus->setFocus();
    }

protected:
    void keyPressEvent(QKeyEvent* event) override
    {
        if (event->key() == Qt::Key_Escape) {
            if (escape_) done(promptAnswerOf(escape_));
            return;
        }
        QDialog::keyPressEvent(event);
    }
    void closeEvent(QCloseEvent* event) override
    {
        // The close box answers as Escape does; without an Escape button the
        // prompt cannot be dismissed without a choice.
        if (escape_) {
            setResult(promptAnswerOf(escape_));
            event->accept();
        } else {
            event->ignore();
        }
    }
    void reject() override
    {
        if (escape_) done(promptAnswerOf(escape_));
    }

private:
    PromptButton escape_ = PromptButton(0);
};

}  // namespace

QString promptCaption(PromptKind kind)
{
    switch (kind) {
    case PromptKind::Warning: return uiText("警告");
    case PromptKind::Error: return uiText("ｴﾗｰ");
    case PromptKind::Information: return uiText("情報");
    case PromptKind::Confirmation: return uiText("確認");
    }
    return {};
}

QString promptButtonCaption(PromptButton button)
{
    switch (button) {
    case PbYes: return uiText("はい(&Y)");
    case PbNo: return uiText("いいえ(&N)");
    case PbOk: return uiText("OK");
    case PbCancel: return uiText("ｷｬﾝｾﾙ");
    case PbAbort: return uiText("中止(&A)");
    case PbRetry: return uiText("再試行(&R)");
    case PbIgnore: return uiText("無視(&I)");
    case PbAll: return uiText("すべて");
    case PbHelp: return uiText("ﾍﾙﾌﾟ(&H)");
    }
    return {};
}

PromptButton promptEnterButton(unsigned buttons)
{
    if (buttons & PbOk) return PbOk;
    if (buttons & PbYes) return PbYes;
    if (buttons & PbRetry) return PbRetry;
    return PromptButton(0);
}

PromptButton promptEscapeButton(unsigned buttons)
{
    if (buttons & PbCancel) return PbCancel;
    if (buttons & PbNo) return PbNo;
    if (buttons & PbOk) return PbOk;
    return PromptButton(0);
}

int promptAnswerOf(PromptButton button)
{
    switch (button) {
    case PbOk: return MrOk;
    case PbCancel: return MrCancel;
    case PbAbort: return MrAbort;
    case PbRetry: return MrRetry;
    case PbIgnore: return MrIgnore;
    case PbYes: return MrYes;
    case PbNo: return MrNo;
    case PbAll: return MrAll;
    case PbHelp: return 9;
    }
    return 0;
}

QtPrompter::QtPrompter(QWidget* parent, QString applicationTitle)
    : parent_(parent), title_(std::move(applicationTitle))
{
}

int QtPrompter::ask(const Text& text, PromptKind kind, unsigned buttons)
{
    PromptDialog dialog(parent_, text, kind, buttons);
    return dialog.exec();
}

void QtPrompter::showError(const Text& text)
{
    QMessageBox box(QMessageBox::Critical, title_, displayText(text) + QLatin1Char('.'),
                    QMessageBox::Ok, parent_);
    box.setTextFormat(Qt::PlainText);
    box.exec();
}

QString applicationTitle(const Text& programPath)
{
    const PathSplit split = splitPath(activeCodePage(), programPath);
    Text base = split.namePart.substr(0, split.namePart.size() - split.extensionPart.size());
    QString title = toQString(base);
    if (title.isEmpty()) return title;
    return title.left(1) + title.mid(1).toLower();
}
