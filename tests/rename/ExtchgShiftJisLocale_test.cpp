// In a Japanese locale the window font "System" becomes a CJK face whose
// lines are higher than the layouts' label boxes: the access-key underlines
// of "(&1)" to "(&5)" must still be drawn.
#include "rename/Extchg.h"
#include "support/no_host.h"
#include "support/scripted_prompter.h"

#include <QApplication>
#include <QLabel>
#include <QtTest>

#include <cstdlib>

class ExtchgShiftJisLocaleTest : public QObject {
    Q_OBJECT
private slots:
    void accessKeysAreUnderlined()
    {
        Session session;
        NoHost host;
        ScriptedPrompter prompter;
        TForm3 form(session, host, prompter, systemFileSystem());
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        for (const char* name : {"Label3", "Label4", "Label5", "Label6", "Label7"}) {
            auto* label = form.findChild<QLabel*>(QString::fromLatin1(name));
            const QImage underlined = label->grab().toImage();
            const QString caption = label->text();
            label->setText(QString(caption).remove(QLatin1Char('&')));
            const QImage plain = label->grab().toImage();
            label->setText(caption);
            QVERIFY2(underlined != plain, name);
        }
    }
};

int main(int argc, char** argv)
{
    // fontconfig chooses the face for "System" by the locale's language.
    unsetenv("LC_ALL");
    unsetenv("LC_CTYPE");
    setenv("LANG", "ja_JP.SJIS", 1);
    QApplication app(argc, argv);
    ExtchgShiftJisLocaleTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "ExtchgShiftJisLocale_test.moc"
