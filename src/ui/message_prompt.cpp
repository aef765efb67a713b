#include "ui/message_prompt.h"

#include "platform/codepage.h"
#include "platform/path.h"
#include "ui/form_layout.h"
#include "ui/qt_text.h"
#include "ui/window_keys.h"

#include <QCloseEvent>
#include <QDialog>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QStyle>
#include <QTextLayout>
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
    PromptDialog(QWidget* parent, const QString& caption, const QString& text, PromptKind kind,
                 unsigned buttons)
        : QDialog(parent)
    {
        setObjectName(QStringLiteral("MessagePrompt"));
        setWindowTitle(caption);
        setWindowFlag(Qt::WindowContextHelpButtonHint, false);

        auto* icon = new QLabel(this);
        icon->setObjectName(QStringLiteral("PromptIcon"));
        const int size = style()->pixelMetric(QStyle::PM_MessageBoxIconSize, nullptr, this);
        icon->setPixmap(style()->standardIcon(iconOf(kind), nullptr, this).pixmap(size, size));
        auto* label = new QLabel(text, this);
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
            if (b == enter) enterButton = button;
            connect(button, &QPushButton::clicked, this, [this, b] { done(promptAnswerOf(b)); });
            row->addWidget(button);
            if (!firstButton) firstButton = button;
        }
        row->addStretch(1);
        auto* layout = new QVBoxLayout(this);
        layout->addLayout(top);
        layout->addLayout(row);

        // A text wider than the screen leaves room: its lines are broken,
        // at blanks where there are any.
        if (QScreen* screen = QGuiApplication::primaryScreen()) {
            const int others = sizeHint().width() - label->sizeHint().width();
            const int room = screen->availableGeometry().width() * 9 / 10 - others;
            label->setText(wrappedText(text, label->font(), room));
            top->invalidate();
            layout->invalidate();
        }
        setFixedSize(sizeHint());
        // The button that Enter stands for has the focus at first; from
        // then on Enter presses the focused button.
        if (QPushButton* focus = enterButton ? enterButton : firstButton) focus->setFocus();
        // Without an Escape button, Escape does nothing.
        installWindowKeys(this, Backspace::Kept, [this] {
            if (escape_) done(promptAnswerOf(escape_));
        });
    }

protected:
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
    PromptDialog dialog(parent_, promptCaption(kind), displayText(text), kind, buttons);
    centreOnScreen(&dialog);
    return dialog.exec();
}

void QtPrompter::showError(const Text& text)
{
    // The plain error box is a prompt of its own caption with one OK button.
    PromptDialog box(parent_, title_, displayText(text) + QLatin1Char('.'), PromptKind::Error, PbOk);
    centreOnScreen(&box);
    box.exec();
}

QString wrappedText(const QString& text, const QFont& font, int width)
{
    const QFontMetrics metrics(font);
    QStringList lines;
    for (const QString& line : text.split(QLatin1Char('\n'))) {
        if (width <= 0 || metrics.horizontalAdvance(line) <= width) {
            lines << line;
            continue;
        }
        QTextLayout layout(line, font);
        QTextOption option;
        option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
        layout.setTextOption(option);
        layout.beginLayout();
        for (QTextLine piece = layout.createLine(); piece.isValid(); piece = layout.createLine()) {
            piece.setLineWidth(width);
            lines << line.mid(piece.textStart(), piece.textLength());
        }
        layout.endLayout();
    }
    return lines.join(QLatin1Char('\n'));
}

QString applicationTitle(const Text& programPath)
{
    const PathSplit split = splitPath(activeCodePage(), programPath);
    Text base = split.namePart.substr(0, split.namePart.size() - split.extensionPart.size());
    QString title = toQString(base);
    if (title.isEmpty()) return title;
    return title.left(1).toUpper() + title.mid(1).toLower();
}
