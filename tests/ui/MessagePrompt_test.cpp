// The Qt message prompt: captions, button order, Enter and Escape rules,
// and the centring rule shared by every window.
#include "platform/codepage.h"
#include "ui/form_layout.h"
#include "ui/message_prompt.h"

#include <QApplication>
#include <QDialog>
#include <QLabel>
#include <QPushButton>
#include <QTimer>
#include <QtTest>

namespace {

// Runs action on the prompt once it is shown; returns the prompt's answer.
int askWith(unsigned buttons, std::function<void(QDialog*)> action, QStringList* captions = nullptr,
            QString* title = nullptr, PromptKind kind = PromptKind::Information)
{
    QtPrompter prompter(nullptr, QStringLiteral("Vorel"));
    QTimer::singleShot(0, [&] {
        auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
        QVERIFY(dialog);
        if (captions) {
            for (QPushButton* b : dialog->findChildren<QPushButton*>()) captions->append(b->text());
        }
        if (title) *title = dialog->windowTitle();
        action(dialog);
    });
    return prompter.ask(fixedText("   本文   "), kind, buttons);
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

    void enterAndEscape_data()
    {
        QTest::addColumn<unsigned>("buttons");
        QTest::addColumn<int>("key");
        QTest::addColumn<int>("answer");
        QTest::newRow("enter yes/no") << unsigned(PbYes | PbNo) << int(Qt::Key_Return) << int(MrYes);
        QTest::newRow("enter ok before yes") << unsigned(PbYes | PbOk) << int(Qt::Key_Return) << int(MrOk);
        QTest::newRow("enter retry") << unsigned(PbRetry | PbCancel) << int(Qt::Key_Return) << int(MrRetry);
        QTest::newRow("escape yes/no") << unsigned(PbYes | PbNo) << int(Qt::Key_Escape) << int(MrNo);
        QTest::newRow("escape cancel before no") << unsigned(PbNo | PbCancel) << int(Qt::Key_Escape) << int(MrCancel);
        QTest::newRow("escape ok") << unsigned(PbOk) << int(Qt::Key_Escape) << int(MrOk);
        QTest::newRow("access key yes") << unsigned(PbYes | PbNo) << int(Qt::Key_Y) << int(MrYes);
    }
    void enterAndEscape()
    {
        QFETCH(unsigned, buttons);
        QFETCH(int, key);
        QFETCH(int, answer);
        const Qt::KeyboardModifiers mods = key == Qt::Key_Y ? Qt::AltModifier : Qt::NoModifier;
        const int got = askWith(buttons, [&](QDialog* d) {
            // Access keys are shortcuts: they need the prompt to be the active window.
            d->activateWindow();
            QVERIFY(QTest::qWaitForWindowActive(d));
            QTest::keyClick(d, Qt::Key(key), mods);
        });
        QCOMPARE(got, answer);
    }

    void escapeWithoutEscapeButtonDoesNothing()
    {
        const int got = askWith(PbAbort, [](QDialog* d) {
            QTest::keyClick(d, Qt::Key_Escape);
            QVERIFY(d->isVisible());
            QTest::keyClick(d, Qt::Key_Return);
            QVERIFY(d->isVisible());
            d->findChild<QPushButton*>()->click();
        });
        QCOMPARE(got, int(MrAbort));
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
        QTest::newRow("first kept as it is") << QByteArray("/opt/vorel/vorel") << QStringLiteral("vorel");
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
