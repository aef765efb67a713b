// The shell's parameter splitting against Qt's own command splitting, which
// it stands in for where the platform files cannot use Qt.
#include "platform/shell.h"

#include <QProcess>
#include <QtTest>

class ShellSplitTest : public QObject {
    Q_OBJECT
private slots:
    void sameAsQProcessSplitCommand_data()
    {
        QTest::addColumn<QString>("command");
        const char* commands[] = {
            "", " ", "a", "a b", "  a   b  ", "a\tb\nc\rd", "\"a b\"", "\"a b\" c", "a\"b c\"d",
            "\"\"", "a \"\" b", "\"\"\"", "\"\"\"\"", "\"\"\"\"\"", "\"\"\"\"\"\"", "x\"\"\"y",
            "\"a \"\"\" b\"", "\"unterminated", "\"a\"\"b\"", "a\"", "\"a\"b\" c", "-n %f \"two words\" %f",
            "--file=\"/my dir/x\"", "\" lead", "tail \"", "\"\" \"\" x", "a\"\"\"\"b", "\"\"a\"\"",
        };
        for (const char* c : commands) QTest::newRow(c) << QString::fromLatin1(c);
    }
    void sameAsQProcessSplitCommand()
    {
        QFETCH(QString, command);
        QStringList ours;
        for (const Text& a : splitCommandArguments(command.toStdString())) ours << QString::fromStdString(a);
        QCOMPARE(ours, QProcess::splitCommand(command));
    }
};

QTEST_MAIN(ShellSplitTest)
#include "ShellSplit_test.moc"
