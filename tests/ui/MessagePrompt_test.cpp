// The Qt message prompt: captions, button order, Enter and Escape rules,
// and the centring rule shared by every window.
#include "platform/codepage.h"
#include "ui/form_layout.h"
#include "ui/message_prompt.h"

#include <QApplication>
#include <QGuiApplication>
#include <QScreen>
#include <QDialog>
#include <QLabel>
#include <QPushButton>
#include <QTimer>
#include <QtTest>

namespace {

// Runs action on the modal window once it is shown.
void whenShown(std::function<void(QDialog*)> action)
{
    QTimer::singleShot(0, [action] {
        auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
        QVERIFY(dialog);
        action(dialog);
    });
}

// Runs action on the prompt once it is shown; returns the prompt's answer.
int askWith(unsigned buttons, std::function<void(QDialog*)> action, QStringList* captions = nullptr,
            QString* title = nullptr, PromptKind kind = PromptKind::Information,
            const Text& text = fixedText("   本文   "), QWidget* parent = nullptr)
{
    QtPrompter prompter(parent, QStringLiteral("Vorel"));
    whenShown([&](QDialog* dialog) {
        if (captions) {
            for (QPushButton* b : dialog->findChildren<QPushButton*>()) captions->append(b->text());
        }
        if (title) *title = dialog->windowTitle();
        action(dialog);
    });
    return prompter.ask(text, kind, buttons);
}

// A key as the user presses it: to the focused control.
void press(QDialog* d, Qt::Key key, Qt::KeyboardModifiers mods = Qt::NoModifier)
{
    QTest::keyClick(d->focusWidget() ? d->focusWidget() : static_cast<QWidget*>(d), key, mods);
}

QPoint expectedCentre(const QWidget* w)
{
    return centredPosition(w->frameGeometry().size(), QGuiApplication::primaryScreen()->size());
}

}  // namespace

class MessagePromptTest : public QObject {
    Q_OBJECT
private slots:
    void captionsOfKinds()
    {
        QCOMPARE(promptCaption(PromptKind::Warning), QString::fromUtf8("警告"));
        QCOMPARE(promptCaption(PromptKind::Error), QString::fromUtf8("ｴﾗｰ"));
        QCOMPARE(promptCaption(PromptKind::Information), QString::fromUtf8("情報"));
        QCOMPARE(promptCaption(PromptKind::Confirmation), QString::fromUtf8("確認"));
    }

    void buttonsInTheirOrder()
    {
        QStringList captions;
        QString title;
        askWith(PbAll | PbNo | PbYes | PbAbort | PbOk | PbCancel | PbRetry | PbIgnore | PbHelp,
                [](QDialog* d) { d->done(MrYes); }, &captions, &title, PromptKind::Warning);
        const QStringList expected = {
            QString::fromUtf8("はい(&Y)"), QString::fromUtf8("いいえ(&N)"), QStringLiteral("OK"),
            QString::fromUtf8("ｷｬﾝｾﾙ"),  QString::fromUtf8("中止(&A)"),  QString::fromUtf8("再試行(&R)"),
            QString::fromUtf8("無視(&I)"), QString::fromUtf8("すべて"),   QString::fromUtf8("ﾍﾙﾌﾟ(&H)")};
        QCOMPARE(captions, expected);
        QCOMPARE(title, QString::fromUtf8("警告"));
    }

    void keys_data()
    {
        QTest::addColumn<unsigned>("buttons");
        QTest::addColumn<QList<int>>("keys");
        QTest::addColumn<int>("answer");
        const int tab = Qt::Key_Tab, enter = Qt::Key_Return, escape = Qt::Key_Escape;
        QTest::newRow("enter yes/no") << unsigned(PbYes | PbNo) << QList<int>{enter} << int(MrYes);
        QTest::newRow("enter ok before yes") << unsigned(PbYes | PbOk) << QList<int>{enter} << int(MrOk);
        QTest::newRow("enter retry") << unsigned(PbRetry | PbCancel) << QList<int>{enter} << int(MrRetry);
        QTest::newRow("escape yes/no") << unsigned(PbYes | PbNo) << QList<int>{escape} << int(MrNo);
        QTest::newRow("escape cancel before no") << unsigned(PbNo | PbCancel) << QList<int>{escape} << int(MrCancel);
        QTest::newRow("escape ok") << unsigned(PbOk) << QList<int>{escape} << int(MrOk);
        QTest::newRow("access key yes") << unsigned(PbYes | PbNo) << QList<int>{Qt::Key_Y} << int(MrYes);
        // Enter presses the focused button, not the one Enter started on.
        QTest::newRow("tab to no, enter") << unsigned(PbYes | PbNo) << QList<int>{tab, enter} << int(MrNo);
        QTest::newRow("tab to no, space") << unsigned(PbYes | PbNo) << QList<int>{tab, Qt::Key_Space} << int(MrNo);
        QTest::newRow("tab round, enter") << unsigned(PbYes | PbNo) << QList<int>{tab, tab, enter} << int(MrYes);
        QTest::newRow("tab to cancel, enter") << unsigned(PbOk | PbCancel) << QList<int>{tab, enter} << int(MrCancel);
        QTest::newRow("abort alone, enter") << unsigned(PbAbort) << QList<int>{enter} << int(MrAbort);
    }
    void keys()
    {
        QFETCH(unsigned, buttons);
        QFETCH(QList<int>, keys);
        QFETCH(int, answer);
        const int got = askWith(buttons, [&](QDialog* d) {
            // Access keys are shortcuts: they need the prompt to be the active window.
            d->activateWindow();
            QVERIFY(QTest::qWaitForWindowActive(d));
            for (int key : keys) {
                if (!d->isVisible()) break;
                press(d, Qt::Key(key), key == Qt::Key_Y ? Qt::AltModifier : Qt::NoModifier);
            }
            // An access key clicks a moment later; keys that pressed nothing
            // leave the prompt open.
            if (!QTest::qWaitFor([d] { return !d->isVisible(); }, 500)) d->done(0);
        });
        QCOMPARE(got, answer);
    }

    void escapeWithoutEscapeButtonDoesNothing()
    {
        const int got = askWith(PbAbort, [](QDialog* d) {
            press(d, Qt::Key_Escape);
            QVERIFY(d->isVisible());
            d->close();
            QVERIFY(d->isVisible());
            d->findChild<QPushButton*>()->click();
        });
        QCOMPARE(got, int(MrAbort));
    }

    // Prompts and the plain error box are centred on the screen by their
    // outer size, not over the window that opened them.
    void centredOnTheScreen()
    {
        QWidget owner;
        owner.setGeometry(10, 10, 200, 100);
        owner.show();
        QPoint at, expected;
        auto measure = [&](QDialog* d) {
            at = d->frameGeometry().topLeft();
            expected = expectedCentre(d);
            d->done(MrOk);
        };
        askWith(PbOk, measure, nullptr, nullptr, PromptKind::Warning, fixedText("   本文   "), &owner);
        QCOMPARE(at, expected);
        QtPrompter prompter(&owner, QStringLiteral("Vorel"));
        whenShown(measure);
        prompter.showError(fixedText("x"));
        QCOMPARE(at, expected);
    }

    void plainErrorBox()
    {
        QtPrompter prompter(nullptr, QStringLiteral("Vorel"));
        QString title, shown;
        QStringList captions;
        whenShown([&](QDialog* d) {
            title = d->windowTitle();
            if (auto* label = d->findChild<QLabel*>(QStringLiteral("PromptText"))) shown = label->text();
            for (QPushButton* b : d->findChildren<QPushButton*>()) captions << b->text();
            press(d, Qt::Key_Return);
            if (d->isVisible()) d->done(0);
        });
        prompter.showError(fixedText("/p/vorel.INI に書き込めません"));
        QCOMPARE(title, QStringLiteral("Vorel"));
        QCOMPARE(shown, QString::fromUtf8("/p/vorel.INI に書き込めません."));
        QCOMPARE(captions, QStringList{QStringLiteral("OK")});
    }

    // A text wider than the screen is broken into lines; every character stays.
    void longTextFitsTheScreen_data()
    {
        QTest::addColumn<QByteArray>("text");
        const QByteArray path = "/" + QByteArray(262, 'p');
        QTest::newRow("263-byte path") << "    " + path + " の実行に失敗しました。          ";
        QTest::newRow("blanks") << QByteArray("   ") + QByteArray("word ").repeated(120) + "   ";
        QTest::newRow("question with a path") << "   ２バイト文字がふくまれていますが、中断しますか。\n\r   " + path;
    }
    void longTextFitsTheScreen()
    {
        QFETCH(QByteArray, text);
        QString shown;
        QRect frame;
        askWith(PbAbort, [&](QDialog* d) {
            shown = d->findChild<QLabel*>(QStringLiteral("PromptText"))->text();
            frame = d->frameGeometry();
            d->done(MrAbort);
        }, nullptr, nullptr, PromptKind::Warning, text.toStdString());
        QVERIFY2(QGuiApplication::primaryScreen()->geometry().contains(frame),
                 qPrintable(QStringLiteral("%1,%2 %3x%4").arg(frame.x()).arg(frame.y()).arg(frame.width()).arg(frame.height())));
        QString expected = QString::fromUtf8(text);
        expected.remove(QLatin1Char('\r'));
        QCOMPARE(shown.remove(QLatin1Char('\n')), expected.remove(QLatin1Char('\n')));
    }

    void textKeepsItsBlanks()
    {
        QString shown;
        askWith(PbYes, [&](QDialog* d) {
            shown = d->findChild<QLabel*>(QStringLiteral("PromptText"))->text();
            d->done(MrYes);
        });
        QCOMPARE(shown, QString::fromUtf8("   本文   "));
    }

    void applicationTitleOfProgramFile_data()
    {
        QTest::addColumn<QByteArray>("path");
        QTest::addColumn<QString>("title");
        QTest::newRow("lower on disk") << QByteArray("/opt/vorel/vorel") << QStringLiteral("Vorel");
        QTest::newRow("upper with extension") << QByteArray("/opt/VOREL.EXE") << QStringLiteral("Vorel");
        QTest::newRow("mixed") << QByteArray("/x/VoReL.bin") << QStringLiteral("Vorel");
    }
    void applicationTitleOfProgramFile()
    {
        QFETCH(QByteArray, path);
        QFETCH(QString, title);
        QCOMPARE(applicationTitle(path.toStdString()), title);
    }

    void centringTruncatesTowardZero_data()
    {
        QTest::addColumn<QSize>("window");
        QTest::addColumn<QSize>("screen");
        QTest::addColumn<QPoint>("position");
        QTest::newRow("fits") << QSize(640, 400) << QSize(1024, 768) << QPoint(192, 184);
        QTest::newRow("odd difference") << QSize(641, 401) << QSize(1024, 768) << QPoint(191, 183);
        QTest::newRow("three wider") << QSize(1027, 100) << QSize(1024, 768) << QPoint(-1, 334);
    }
    void centringTruncatesTowardZero()
    {
        QFETCH(QSize, window);
        QFETCH(QSize, screen);
        QFETCH(QPoint, position);
        QCOMPARE(centredPosition(window, screen), position);
    }
};

QTEST_MAIN(MessagePromptTest)
#include "MessagePrompt_test.moc"
