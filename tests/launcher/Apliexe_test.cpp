// The run chooser and the report view's launcher command: layout, the lines,
// type-to-select, Enter, double-click, Escape and the close box, and what is
// handed to the shell.
#include "launcher/Apliexe.h"

#include "launcher/launcher_view_support.h"
#include "platform/codepage.h"
#include "settings/ini_file.h"
#include "support/layout_expect.h"
#include "support/scripted_prompter.h"
#include "support/temp_dir.h"

#include <QListWidget>
#include <QPushButton>
#include <QtTest>

#include <chrono>
#include <filesystem>
#include <thread>

#include <sys/stat.h>

namespace {

// A double-click as the mouse makes it: a click, then the second press.
void doubleClick(QListWidget* list, int row)
{
    const QPoint at = list->visualItemRect(list->item(row)).center();
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, at);
    QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, at);
}

struct Launch {
    TempDir dir;
    std::string settings = dir.file("vorel.INI");
    std::string report = dir.file("vorel.TXT");
    ScriptedPrompter prompter;
    RecordingShell shell;
    LauncherState state;
    QWidget view;  // stands for the report view
    IniFile ini{settings};  // as the main window read it

    explicit Launch(const LauncherTable& table)
    {
        writeLauncherTable(ini, table);
        view.show();
    }

    // The report view's button; action answers the chooser.
    void run(std::function<void(TForm13*)> action, ShellOpener* opener = nullptr)
    {
        QObject guard;
        bool ran = false;
        whenModal<TForm13>(guard, [&](TForm13* form) {
            ran = true;
            action(form);
            if (form->isVisible()) form->reject();
        });
        runLauncherOnReport(&view, state, ini, report, prompter,
                            opener ? *opener : shell);
        QVERIFY(ran);
        QVERIFY(view.isVisible());  // the view stays open in every case
    }
};

LauncherTable editors()
{
    LauncherTable t;
    t[1] = {"メモ帳", "/usr/bin/memo", "%f", "", "M"};
    t[2] = {"ワードパット", "/usr/bin/write", "-x %f", "/tmp", "W"};
    t[3] = {"Plain", "/usr/bin/plain", "", "", ""};
    t[4] = {"Blank", "/usr/bin/blank", "", "", " "};
    t[5] = {"Star", "/usr/bin/star", "", "", "*"};
    for (int r = 6; r <= 9; ++r) t[r] = {"", "", "", "", "*"};
    return t;
}

LauncherTable emptyTable()
{
    LauncherTable t;
    for (int r = 1; r <= 9; ++r) t[r] = {"", "", "", "", "*"};
    return t;
}

}  // namespace

class ApliexeTest : public QObject {
    Q_OBJECT
private slots:
    void layoutAndLines()
    {
        Launch l(editors());
        l.run([&](TForm13* f) {
            QCOMPARE(f->windowTitle(), u("Vorel (ﾗﾝﾁｬｰ実行)"));
            QCOMPARE(f->size(), QSize(232, 323));
            QCOMPARE(f->minimumSize(), f->maximumSize());
            expectControls(*f, {{"ListBox1", {10, 10, 210, 270}},
                                {"BtnOk", {10, 290, 100, 25}, "実行(&O)"},
                                {"BtnCansel", {120, 290, 100, 25}, "ｷｬﾝｾﾙ"}});
            QCOMPARE(linesOf(f->ListBox1), (QStringList{u("M  メモ帳"), u("W  ワードパット"), u("  Plain"),
                                                        u("   Blank"), u("*  Star")}));
            QCOMPARE(f->ListBox1->currentRow(), 0);
            QCOMPARE(QApplication::focusWidget(), f->ListBox1);
            expectTabOrder(*f, {"ListBox1", "BtnOk", "BtnCansel"});
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape);
        });
        QCOMPARE(l.state.LauncherChoice, -1);
        QCOMPARE(l.shell.calls, 0);
    }

    void typedShortcutThenEnterStartsTheEntry_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<int>("row");
        QTest::newRow("W") << u("W") << 2;
        QTest::newRow("lower w") << u("w") << 2;
        QTest::newRow("star") << u("*") << 5;
        QTest::newRow("M") << u("M") << 1;
    }
    void typedShortcutThenEnterStartsTheEntry()
    {
        QFETCH(QString, typed);
        QFETCH(int, row);
        Launch l(editors());
        l.run([&](TForm13* f) {
            QTest::keyClicks(f->ListBox1, typed);
            QVERIFY(f->isVisible());
            QCOMPARE(f->ListBox1->currentRow(), row - 1);
            QTest::keyClick(f->ListBox1, Qt::Key_Return);
            QVERIFY(!f->isVisible());
        });
        QCOMPARE(l.state.LauncherChoice, row);
        QCOMPARE(l.shell.calls, 1);
        QCOMPARE(l.shell.file, editors()[row].ProgName);
    }

    void substitutedValuesReachTheShell()
    {
        Launch l(editors());
        l.run([&](TForm13* f) {
            f->ListBox1->setCurrentRow(1);
            QTest::mouseClick(f->BtnOk, Qt::LeftButton);
        });
        QCOMPARE(l.shell.file, Text("/usr/bin/write"));
        QCOMPARE(l.shell.arguments, (StringList{"-x", l.report}));
        QCOMPARE(l.shell.directory, Text("/tmp"));
        QVERIFY(l.prompter.prompts.empty());
    }

    void doubleClickChooses()
    {
        Launch l(editors());
        l.run([&](TForm13* f) {
            doubleClick(f->ListBox1, 2);
        });
        QCOMPARE(l.state.LauncherChoice, 3);
        QCOMPARE(l.shell.file, Text("/usr/bin/plain"));
    }

    void cancellingStartsNothing_data()
    {
        QTest::addColumn<int>("how");
        QTest::newRow("cancel button") << 0;
        QTest::newRow("escape in the list") << 1;
        QTest::newRow("escape on a button") << 2;
        QTest::newRow("close box") << 3;
    }
    void cancellingStartsNothing()
    {
        QFETCH(int, how);
        Launch l(editors());
        l.run([&](TForm13* f) {
            f->ListBox1->setCurrentRow(1);
            if (how == 0) QTest::mouseClick(f->BtnCansel, Qt::LeftButton);
            if (how == 1) QTest::keyClick(f->ListBox1, Qt::Key_Escape);
            if (how == 2) QTest::keyClick(f->BtnOk, Qt::Key_Escape);
            if (how == 3) f->close();
            QVERIFY(!f->isVisible());
        });
        QCOMPARE(l.state.LauncherChoice, -1);
        QCOMPARE(l.shell.calls, 0);
        QVERIFY(l.prompter.prompts.empty());
    }

    void emptyTableShowsOneLineThatStartsNothing_data()
    {
        QTest::addColumn<int>("how");
        QTest::newRow("ok") << 0;
        QTest::newRow("enter") << 1;
        QTest::newRow("double-click") << 2;
    }
    void emptyTableShowsOneLineThatStartsNothing()
    {
        QFETCH(int, how);
        Launch l(emptyTable());
        l.run([&](TForm13* f) {
            QCOMPARE(linesOf(f->ListBox1), QStringList{QString()});
            QCOMPARE(f->ListBox1->currentRow(), 0);
            if (how == 0) QTest::mouseClick(f->BtnOk, Qt::LeftButton);
            if (how == 1) QTest::keyClick(f->ListBox1, Qt::Key_Return);
            if (how == 2) doubleClick(f->ListBox1, 0);
            QVERIFY(!f->isVisible());
        });
        QCOMPARE(l.state.LauncherChoice, -1);
        QCOMPARE(l.shell.calls, 0);
        QVERIFY(l.prompter.prompts.empty());
    }

    void refusingShellGivesTheFailureMessage()
    {
        Launch l(editors());
        l.shell.answer = false;
        l.run([&](TForm13* f) { QTest::keyClick(f->ListBox1, Qt::Key_Return); });
        QCOMPARE(l.shell.calls, 1);
        QCOMPARE(l.prompter.prompts.size(), std::size_t(1));
        QCOMPARE(l.prompter.prompts[0],
                 (RecordedPrompt{fixedText("    /usr/bin/memo の実行に失敗しました。          "),
                                 PromptKind::Warning, PbAbort}));
    }

    void tooLongProgramIsRefusedAsTooLong()
    {
        LauncherTable t = editors();
        t[1].ProgName = "/" + std::string(300, 'p');
        Launch l(t);
        l.run([&](TForm13* f) { QTest::keyClick(f->ListBox1, Qt::Key_Return); });
        QCOMPARE(l.shell.calls, 0);
        QCOMPARE(l.prompter.prompts.size(), std::size_t(1));
        QCOMPARE(l.prompter.prompts[0],
                 (RecordedPrompt{fixedText("    実行ファイル名が長すぎます。          "), PromptKind::Warning, PbOk}));
    }

    void tableIsReadAgainAtEveryStart()
    {
        Launch l(editors());
        l.ini.WriteString("ProgName", "1", "/usr/bin/changed");
        l.run([&](TForm13* f) { QTest::keyClick(f->ListBox1, Qt::Key_Return); });
        QCOMPARE(l.shell.file, Text("/usr/bin/changed"));
        QCOMPARE(l.state.Table[1].ProgName, Text("/usr/bin/changed"));
    }

    void startsARealProgramOnTheReport()
    {
        TempDir programs;
        const std::string record = programs.file("record");
        const std::string script = programs.write(
            "rec", "#!/bin/sh\n{ pwd -P; for a in \"$@\"; do printf '%s\\n' \"$a\"; done; } > '" + record +
                       ".part'\nmv '" + record + ".part' '" + record + "'\n");
        ::chmod(script.c_str(), 0755);
        LauncherTable t = emptyTable();
        t[1] = {"Recorder", script, "%f --then %f", programs.path().string(), "R"};
        Launch l(t);
        l.run([&](TForm13* f) { QTest::keyClick(f->ListBox1, Qt::Key_Return); }, &systemShell());
        QVERIFY(l.prompter.prompts.empty());
        QTRY_VERIFY_WITH_TIMEOUT(std::filesystem::exists(record), 30000);
        QCOMPARE(QString::fromStdString(TempDir::read(record)),
                 QString::fromStdString(std::filesystem::canonical(programs.path()).string() + "\n" +
                                        l.report + "\n--then\n%f\n"));
    }

    void missingProgramGivesTheFailureMessage()
    {
        Launch l(emptyTable());
        const std::string missing = l.dir.file("no-such-editor");
        l.ini.WriteString("ProgTitle", "1", "Gone");
        l.ini.WriteString("ProgName", "1", missing);
        l.run([&](TForm13* f) { QTest::keyClick(f->ListBox1, Qt::Key_Return); }, &systemShell());
        QCOMPARE(l.prompter.prompts.size(), std::size_t(1));
        QCOMPARE(l.prompter.prompts[0].text,
                 fixedText("    ") + missing + fixedText(" の実行に失敗しました。          "));
    }
};

QTEST_MAIN(ApliexeTest)
#include "Apliexe_test.moc"
