// The main window: start-up, layout, keys, and the settings written at exit.
#include "app/Dbcsset.h"
#include "launcher/launcher_run.h"
#include "rename/Extchg.h"
#include "rename/rename_run.h"
#include "platform/codepage.h"
#include "settings/ini_file.h"
#include "support/env_scope.h"
#include "support/layout_expect.h"
#include "support/main_window_fixture.h"
#include "support/recorder.h"
#include "ui/extent_list.h"
#include "ui/list_style.h"

#include <QAction>
#include <QApplication>
#include <QMenuBar>
#include <QMimeData>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QTextBrowser>
#include <QTimer>
#include <QtTest>

#include <sys/stat.h>

namespace {

const char* const firstRunText =
    "   VOREL.INIファイルが存在しませんので、   \n\r   INI ファイルを作成します。   ";

QString lineOf(const TForm1& form, int row)
{
    return form.ListBox1->model()->index(row, 0).data().toString();
}

}  // namespace

class MainTest : public QObject {
    Q_OBJECT
private slots:
    void init() { setActiveCodePage(CodePage::Utf8); }

    void firstStartWarnsThenCreatesTheSettingsFile()
    {
        MainWindowFixture f;
        f.start({"/a", "/b", "/a"});
        QCOMPARE(f.prompter.prompts.size(), size_t(1));
        QCOMPARE(f.prompter.prompts[0],
                 (RecordedPrompt{fixedText(firstRunText), PromptKind::Warning, PbYes}));
        QVERIFY(f.prompter.errors.empty());
        QVERIFY(std::filesystem::exists(f.settingsPath()));
        const std::string ini = TempDir::read(f.settingsPath());
        QVERIFY(ini.find("[ProgTitle]\r\n") != std::string::npos);
        QVERIFY(ini.find("TextJyouhou") == std::string::npos);  // written only at exit
    }

    void firstStartOnLinuxOpensTheReportInTheDesktopEditor()
    {
        MainWindowFixture f;
        EnvScope env;
        for (const char* name : {"SYSTEMROOT", "WINBOOTDIR", "WINDIR", "XDG_CURRENT_DESKTOP"})
            env.unset(name);
        env.set("XDG_CONFIG_HOME", f.dir.file("config"));
        env.set("XDG_DATA_HOME", f.dir.file("data"));
        env.set("XDG_CONFIG_DIRS", f.dir.file("none"));
        env.set("XDG_DATA_DIRS", f.dir.file("none"));
        std::filesystem::create_directories(f.dir.path() / "data/applications");
        std::filesystem::create_directories(f.dir.path() / "config");
        const std::string record = f.dir.file("record");
        const std::string editor = writeRecorder(f.dir, "fakeedit", record);
        f.dir.write("data/applications/fake.desktop",
                    "[Desktop Entry]\nType=Application\nName=Fake Editor\nExec=" + editor + " %U\n");
        f.dir.write("config/mimeapps.list", "[Default Applications]\ntext/plain=fake.desktop;\n");

        f.start();
        const std::string ini = TempDir::read(f.settingsPath());
        for (const std::string& section :
             {"[ProgTitle]\r\n1=Fake Editor\r\n2=" + fixedText("既定のアプリ(xdg-open)") + "\r\n3=\r\n",
              "[ProgName]\r\n1=" + editor + "\r\n2=xdg-open\r\n3=\r\n",
              std::string("[ProgOption]\r\n1=%f\r\n2=%f\r\n3=\r\n"),
              std::string("[ProgDir]\r\n1=\r\n2=\r\n3=\r\n"),
              std::string("[ProgShortCut]\r\n1=M\r\n2=W\r\n3=*\r\n")})
            QVERIFY2(ini.find(section) != std::string::npos, section.c_str());

        LauncherState launcher;
        readLauncherTable(IniFile(f.settingsPath(), systemFileSystem()), launcher.Table);
        launcher.LauncherChoice = 1;
        const Text report = f.dir.file("vorel.TXT");
        QCOMPARE(startLauncherChoice(launcher, report, systemShell(), f.prompter), LaunchOutcome::Started);
        QVERIFY(waitForRecord(record).find("\n" + report + "\n") != std::string::npos);
    }

    void secondStartAsksNothingAndKeepsTheFile()
    {
        MainWindowFixture f;
        f.dir.write("vorel.INI", "[ProgTitle]\r\n1=mine\r\n");
        f.start();
        QVERIFY(f.prompter.prompts.empty());
        f.finish();
        const std::string ini = TempDir::read(f.settingsPath());
        QVERIFY(ini.rfind("[ProgTitle]\r\n1=mine\r\n", 0) == 0);
        QVERIFY(ini.find("[TextJyouhou]\r\n") != std::string::npos);
    }

    void settingsInTheUsersFolderAreTheOnesTestedWrittenAndNamed()
    {
        MainWindowFixture f;
        f.dir.write("vorel.INI", "[ProgTitle]\r\n1=beside\r\n");  // not the file used
        std::filesystem::create_directory(f.dir.file("config"));
        const std::string used = f.dir.file("config") + "/vorel.INI";
        f.dataFiles = DataFiles{used, f.dir.file("state") + "/vorel.TXT", false, f.dir.file("state") + "/vorel.LOG"};
        f.start();
        QCOMPARE(f.prompter.prompts.size(), size_t(1));  // the first start is the user's
        QCOMPARE(f.prompter.prompts[0].text, fixedText(firstRunText));
        QCOMPARE(f.form->settingsPath(), used);
        f.finish();
        QVERIFY(TempDir::read(used).find("[TextJyouhou]\r\n") != std::string::npos);
        QCOMPARE(TempDir::read(f.settingsPath()), std::string("[ProgTitle]\r\n1=beside\r\n"));

        // A folder that cannot be written: the message names the file used.
        MainWindowFixture g;
        const std::string missing = g.dir.file("gone") + "/vorel/vorel.INI";
        g.dataFiles = DataFiles{missing, g.dir.file("gone") + "/vorel.TXT", false, g.dir.file("gone") + "/vorel.LOG"};
        g.start();
        QCOMPARE(g.prompter.errors.size(), size_t(1));
        QCOMPARE(g.prompter.errors[0], missing + " に書き込めません");
    }

    void listsTheArgumentsInOrderWithTheFirstSelected()
    {
        MainWindowFixture f;
        TForm1& form = f.start({"a", "b", "a"});
        QCOMPARE(form.ListBox1->count(), 3);
        QCOMPARE(lineOf(form, 0), QStringLiteral("a"));
        QCOMPARE(lineOf(form, 1), QStringLiteral("b"));
        QCOMPARE(lineOf(form, 2), QStringLiteral("a"));
        QCOMPARE(form.ListBox1->currentRow(), 0);
        QCOMPARE(form.session.SourceList, (StringList{"a", "b", "a"}));
        QCOMPARE(form.session.MarkedPaths, (StringList{"a", "b", "a"}));
        QVERIFY(form.session.MarkedPaths.sharesStore(form.session.SourceList));  // one copy
    }

    // The list shows the marked paths, which a directory run leaves as they
    // were while SourceList becomes the directory's files; the list keeps its line.
    void directoryRunLeavesTheListAsItWas()
    {
        MainWindowFixture f;
        std::filesystem::create_directory(f.dir.path() / "d");
        f.dir.write("d/a.txt");
        const std::string d = f.dir.file("d");
        TForm1& form = f.start({d});
        TForm3 dialog(form.session, form, f.prompter, systemFileSystem(), &form);
        dialog.BtnAllUpper->click();
        QCOMPARE(form.session.SourceList, StringList{f.dir.file("d/a.txt")});
        QCOMPARE(form.session.ResultList, StringList{f.dir.file("d/A.TXT")});
        QCOMPARE(form.ListBox1->count(), 1);
        QCOMPARE(lineOf(form, 0), QString::fromStdString(d));
        QCOMPARE(form.ListBox1->currentRow(), 0);
        QCOMPARE(form.session.MarkedPaths, StringList{d});
    }

    // Only local files, each one path in the order dropped, appended to the
    // list; names that are not UTF-8 keep their bytes.
    void dropTakesLocalFilesOnly_data()
    {
        QTest::addColumn<QByteArray>("uris");
        QTest::addColumn<QStringList>("expected");
        QTest::newRow("local and others")
            << QByteArray("file:///tmp/a%20b\r\nhttp://e.org/x\r\n# note\r\nfile://localhost/tmp/c\r\n"
                          "file://host/tmp/d\r\nsmb://s/e\r\nfile:/tmp/%E3%81%82\n")
            << QStringList{"m", "/tmp/a b", "/tmp/c", QString::fromUtf8("/tmp/あ")};
        QTest::newRow("nothing local") << QByteArray("https://e.org/f\r\n") << QStringList{"m"};
    }
    void dropTakesLocalFilesOnly()
    {
        QFETCH(QByteArray, uris);
        QFETCH(QStringList, expected);
        MainWindowFixture f;
        TForm1& form = f.start({"m"});
        QMimeData data;
        data.setData(QStringLiteral("text/uri-list"), uris);
        auto dropOnList = [&] {  // a drop goes where the drag entered
            QDragEnterEvent enter(QPoint(10, 100), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
            QApplication::sendEvent(form.ListBox1->viewport(), &enter);
            QDropEvent drop(QPointF(10, 100), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
            QApplication::sendEvent(form.ListBox1->viewport(), &drop);
        };
        dropOnList();
        StringList paths;
        for (const QString& line : expected) paths.push_back(line.toStdString());
        QCOMPARE(form.session.MarkedPaths, paths);
        QCOMPARE(form.session.SourceList, paths);  // as the command line's
        data.setData(QStringLiteral("text/uri-list"), "file:///tmp/%FF%FE\r\n");
        dropOnList();
        QCOMPARE(form.session.MarkedPaths.back(), Text("/tmp/\xff\xfe"));
    }

    // After a completed run, added paths start a new list with the buttons
    // enabled again; the run's undo stays.
    void addingAfterARunStartsANewList()
    {
        MainWindowFixture f;
        const std::string a = f.dir.write("a"), b = f.dir.write("b");
        TForm1& form = f.start({a});
        f.paths.answer = {b};
        form.MenuFileAdd->trigger();
        QCOMPARE(form.session.MarkedPaths, (StringList{a, b}));
        form.BtnUpper->click();
        QVERIFY(!form.BtnUpper->isEnabled());
        QVERIFY(std::filesystem::exists(f.dir.file("B")));
        f.paths.answer = {f.dir.file("c")};
        form.MenuFileAdd->trigger();
        QCOMPARE(f.paths.calls, 2);
        QCOMPARE(form.session.MarkedPaths, StringList{f.dir.file("c")});
        QCOMPARE(form.ListBox1->currentRow(), 0);
        for (QPushButton* button : {form.BtnUpper, form.BtnLower, form.BtnExt}) QVERIFY(button->isEnabled());
        QVERIFY(form.MenuFileUndo->isEnabled());
    }

    void typingSelectsTheLineThatStartsSo()
    {
        MainWindowFixture f;
        TForm1& form = f.start({"apple", "banana", "cherry", "blueberry"});
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        form.ListBox1->setFocus();
        QTest::keyClicks(form.ListBox1, "ch");
        QCOMPARE(form.ListBox1->currentRow(), 2);
        QCOMPARE(form.ListBox1->selectionModel()->selectedRows().size(), 1);
        QTest::keyClick(form.ListBox1, Qt::Key_Up);
        QCOMPARE(form.ListBox1->currentRow(), 1);
    }

    void noArgumentLeavesTheListEmpty()
    {
        MainWindowFixture f;
        TForm1& form = f.start();
        QCOMPARE(form.ListBox1->count(), 0);
        QCOMPARE(form.ListBox1->currentRow(), -1);
        QVERIFY(form.session.SourceList.empty());
    }

    void bytesThatAreNotValidTextStayAsReceived()
    {
        MainWindowFixture f;
        const Text odd = "/tmp/\xff\xfe name";
        TForm1& form = f.start({odd});
        QCOMPARE(form.session.MarkedPaths, StringList{odd});
    }

    void layoutCaptionsAndTabOrder()
    {
        MainWindowFixture f;
        TForm1& form = f.start();
        QCOMPARE(form.windowTitle(), QString::fromUtf8("Vorel (ﾒｲﾝ)"));
        expectControls(form, {{"BtnUpper", {5, 10, 115, 30}, "大文字変換(&U)"},
                              {"BtnLower", {130, 10, 115, 30}, "小文字変換(&L)"},
                              {"BtnExt", {255, 10, 115, 31}, "拡張変換(&E)"},
                              {"BtnConfirm", {380, 10, 115, 31}, "変換確認(&C)"},
                              {"BtnCansel", {505, 10, 110, 30}, "終了"},
                              {"ListBox1", {5, 50, 612, 280}}});
        expectTabOrder(form, {"BtnUpper", "BtnLower", "BtnExt", "BtnConfirm", "BtnCansel", "ListBox1"});
        QCOMPARE(form.centralWidget()->size(), QSize(622, 334));
        QCOMPARE(form.ListBox1->horizontalExtent(), 3060);

        QStringList menus;
        for (QAction* a : form.menuBar()->actions()) {
            menus << a->text();
            for (QAction* item : a->menu()->actions()) menus << QStringLiteral("  ") + item->text();
        }
        const QStringList expected = {
            QString::fromUtf8("ﾌｧｲﾙ(&F)"),     QString::fromUtf8("  ファイルを追加(&A)..."),
            QString::fromUtf8("  元に戻す(&Z)"),
            QString::fromUtf8("  終了(&X)"),
            QString::fromUtf8("環境設定(&K)"), QString::fromUtf8("  2ﾊﾞｲﾄ文字設定(&D)..."),
            QString::fromUtf8("  ﾗﾝﾁｬｰ設定(&L)..."), QString::fromUtf8("  ﾌｫﾝﾄ設定(&F)..."),
            QString::fromUtf8("  背景色設定(&C)..."), QString::fromUtf8("  変換前に確認(&P)"),
            QString::fromUtf8("ﾍﾙﾌﾟ(&H)"),
            QString::fromUtf8("  ﾍﾙﾌﾟ表示(&C)")};
        QCOMPARE(menus, expected);
        for (QAction* a : form.menuBar()->actions())
            for (QAction* item : a->menu()->actions())
                QCOMPARE(item->shortcut(), item == form.MenuFileUndo  ? QKeySequence(Qt::CTRL | Qt::Key_Z)
                                           : item == form.MenuFileAdd ? QKeySequence(Qt::CTRL | Qt::Key_O)
                                                                      : QKeySequence());
        QCOMPARE(form.MenuFileUndo->objectName(), QStringLiteral("MenuFileUndo"));

        // Larger: the list grows, the buttons stay; never smaller than the layout.
        const QSize layout = form.size();
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        form.resize(layout + QSize(100, 40));
        QCOMPARE(form.ListBox1->geometry(), QRect(5, 50, 712, 320));
        QCOMPARE(form.BtnCansel->geometry(), QRect(505, 10, 110, 30));
        form.resize(300, 200);
        QCOMPARE(form.size(), layout);
        QCOMPARE(form.ListBox1->geometry(), QRect(5, 50, 612, 280));
    }

    void firstControlHasTheFocusWhenShown()
    {
        MainWindowFixture f;
        TForm1& form = f.start({"a"});
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        QTRY_COMPARE(QApplication::focusWidget(), static_cast<QWidget*>(form.BtnUpper));
    }

    void centredOnThePrimaryScreen()
    {
        MainWindowFixture f;
        TForm1& form = f.start();
        const QSize screen = QGuiApplication::primaryScreen()->geometry().size();
        const QSize outer = form.frameGeometry().size();
        QCOMPARE(form.frameGeometry().topLeft(),
                 QPoint((screen.width() - outer.width()) / 2, (screen.height() - outer.height()) / 2));
    }

    // "system" names no face here: the list is drawn in the Japanese desktop
    // face, and every line is as high as the font needs, 18 pixels at least.
    void listLinesHoldTheirFont_data()
    {
        QTest::addColumn<QString>("size");
        QTest::addColumn<bool>("atMinimum");
        QTest::newRow("default 14") << QString() << false;
        QTest::newRow("20") << QStringLiteral("20") << false;
        QTest::newRow("6") << QStringLiteral("6") << true;
    }
    void listLinesHoldTheirFont()
    {
        QFETCH(QString, size);
        QFETCH(bool, atMinimum);
        MainWindowFixture f;
        if (!size.isEmpty())
            f.dir.write("vorel.INI", "[TextJyouhou]\r\nTextFontSize=" + size.toStdString() + "\r\n");
        TForm1& form = f.start({"/d/a_b.txt", "/d/gj_g.txt", "/d/c"});
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        ExtentListView* list = form.ListBox1;
        QCOMPARE(list->font().family(), QStringLiteral("Noto Sans CJK JP"));
        const int spacing = list->fontMetrics().lineSpacing();
        QCOMPARE(list->lineHeight(), atMinimum ? 18 : spacing);
        QVERIFY(list->lineHeight() >= 18);
        for (int row = 0; row < 3; ++row) {
            const QRect line = list->visualRect(list->model()->index(row, 0));
            QCOMPARE(line.height(), list->lineHeight());
            QCOMPARE(line.top(), row * list->lineHeight());  // no overlap, no gap
        }
    }

    void listFontAndColoursFromTheSettingsFile()
    {
        MainWindowFixture f;
        f.dir.write("vorel.INI",
                    "[TextJyouhou]\r\nTextFontName=Noto Sans CJK JP\r\nTextFontSize=20\r\n"
                    "TextFontColor=$000000FF\r\nTextBackColor=clYellow\r\n");
        TForm1& form = f.start();
        QCOMPARE(form.ListBox1->font().family(), QStringLiteral("Noto Sans CJK JP"));
        const int ppi = form.ListBox1->logicalDpiY();
        QCOMPARE(form.ListBox1->font().pixelSize(), (20 * ppi + 36) / 72);
        QCOMPARE(form.ListBox1->palette().color(QPalette::Text), QColor(255, 0, 0));
        QCOMPARE(form.ListBox1->palette().color(QPalette::Base), QColor(255, 255, 0));
        QVERIFY(f.prompter.errors.empty());

        // A face without Japanese glyphs gives way to one with them; the setting stays.
        form.List.ListFontName = "DejaVu Sans Mono";
        applyListFont(form.ListBox1, form.List);
        QCOMPARE(form.ListBox1->font().family(), QStringLiteral("Noto Sans CJK JP"));
        QCOMPARE(form.List.ListFontName, Text("DejaVu Sans Mono"));
    }

    void unparsableColourIsReportedAndKeptAsText()
    {
        MainWindowFixture f;
        f.dir.write("vorel.INI", "[TextJyouhou]\r\nTextFontColor=0xFF\r\n[DbcsSet]\r\nSet=0x2\r\n");
        TForm1& form = f.start({"a"});
        QCOMPARE(f.prompter.errors, std::vector<Text>{fixedText("'0xFF' は整数ではありません")});
        QCOMPARE(form.ListBox1->count(), 1);  // still usable
        QCOMPARE(form.session.DbcsMessageMode, 2);
        f.finish();
        const std::string ini = TempDir::read(f.settingsPath());
        QVERIFY(ini.find("TextFontColor=0xFF\r\n") != std::string::npos);
        QVERIFY(ini.find("Set=2\r\n") != std::string::npos);
    }

    void exitWritesTheListSettingsAndMode()
    {
        const std::string written = "[ProgTitle]\r\n"
                                    "[TextJyouhou]\r\nTextFontName=system\r\nTextFontSize=14\r\n"
                                    "TextFontColor=clBlack\r\nTextBackColor=clWindow\r\n"
                                    "[DbcsSet]\r\nSet=3\r\n";
        for (bool processEnds : {false, true}) {
            MainWindowFixture f;
            f.dir.write("vorel.INI", "[ProgTitle]\r\n");
            f.start({"/a", "/b"});
            if (processEnds) f.form->FormDestroyBeforeExit();
            f.finish();
            QCOMPARE(TempDir::read(f.settingsPath()), written);
        }

        // An exit that would write the bytes the file holds leaves it alone.
        MainWindowFixture f;
        f.dir.write("vorel.INI", written);
        struct stat before {}, after {};
        QCOMPARE(::stat(f.settingsPath().c_str(), &before), 0);
        f.start();
        f.finish();
        QCOMPARE(::stat(f.settingsPath().c_str(), &after), 0);
        QCOMPARE(after.st_ino, before.st_ino);
        QCOMPARE(TempDir::read(f.settingsPath()), written);
    }

    void aFifoAsTheSettingsFileGivesDefaultsAndTheWriteErrorAtExit()
    {
        MainWindowFixture f;
        QCOMPARE(::mkfifo(f.settingsPath().c_str(), 0644), 0);  // never waited on
        TForm1& form = f.start({"a"});
        QVERIFY(f.prompter.prompts.empty());
        QVERIFY(f.prompter.errors.empty());
        QCOMPARE(form.session.DbcsMessageMode, 3);
        f.finish();
        QCOMPARE(f.prompter.errors, std::vector<Text>{f.settingsPath() + " に書き込めません"});
        QVERIFY(std::filesystem::is_fifo(f.settingsPath()));
    }

    void f4KeyTable_data()
    {
        QTest::addColumn<int>("modifiers");
        QTest::addColumn<bool>("handled");
        QTest::newRow("F4") << int(Qt::NoModifier) << true;
        QTest::newRow("Shift+F4") << int(Qt::ShiftModifier) << true;
        QTest::newRow("Ctrl+Shift+F4") << int(Qt::ControlModifier | Qt::ShiftModifier) << true;
        QTest::newRow("Ctrl+Alt+F4") << int(Qt::ControlModifier | Qt::AltModifier) << true;
        QTest::newRow("Ctrl+F4") << int(Qt::ControlModifier) << false;
        QTest::newRow("Alt+F4") << int(Qt::AltModifier) << false;
    }
    void f4KeyTable()
    {
        QFETCH(int, modifiers);
        QFETCH(bool, handled);
        MainWindowFixture f;
        TForm1& form = f.start({"a"});
        QCOMPARE(form.FormKeyDown(Qt::Key_F4, Qt::KeyboardModifiers(modifiers)), handled);
        QCOMPARE(form.FormKeyDown(Qt::Key_A, Qt::KeyboardModifiers(modifiers)), false);
    }

    void exitMenuAnsweredNoKeepsRunningAndWritesNothing()
    {
        MainWindowFixture f;
        f.dir.write("vorel.INI", "[ProgTitle]\r\n");
        TForm1& form = f.start();
        form.show();
        f.prompter.plan = {MrNo};
        form.MenuFileExit->trigger();
        QVERIFY(form.isVisible());
        QCOMPARE(f.prompter.prompts.back(),
                 (RecordedPrompt{fixedText("    終了しますか。          "), PromptKind::Information, PbYes | PbNo}));
        QCOMPARE(TempDir::read(f.settingsPath()), std::string("[ProgTitle]\r\n"));
        f.prompter.plan = {MrYes};
        form.MenuFileExit->trigger();
        QVERIFY(!form.isVisible());
    }

    // "元に戻す(&Z)" is enabled while the last run has renames to put back;
    // a complete undo of the marked files enables the conversion buttons.
    void undoFollowsTheRuns()
    {
        MainWindowFixture f;
        f.dir.write("vorel.INI", "[ProgTitle]\r\n");
        const Text a = f.dir.write("a", "a"), b = f.dir.write("b", "b");
        TForm1& form = f.start({a, b});
        form.show();
        QVERIFY(QTest::qWaitForWindowActive(&form));
        auto lastPrompt = [&] { return f.prompter.prompts.back().text; };
        auto ctrlZ = [&] { QTest::keyClick(form.focusWidget(), Qt::Key_Z, Qt::ControlModifier); };
        QVERIFY(!form.MenuFileUndo->isEnabled());

        f.dir.write("B", "other");  // the run stops at its second file
        QTest::mouseClick(form.BtnUpper, Qt::LeftButton);
        QVERIFY(form.MenuFileUndo->isEnabled());
        ctrlZ();
        QCOMPARE(lastPrompt(), fixedText("   変換を完了しました。   "));
        QVERIFY(!form.MenuFileUndo->isEnabled());
        QCOMPARE(form.session.MarkedPaths, (StringList{a, b}));  // the list is as it was
        QCOMPARE(form.ListBox1->count(), 2);
        std::filesystem::remove(f.dir.file("B"));

        QTest::mouseClick(form.BtnUpper, Qt::LeftButton);  // complete: the buttons are disabled
        f.dir.write("a", "new");
        ctrlZ();
        QCOMPARE(lastPrompt(), fixedText("   A の変換に失敗しました。          "));
        QCOMPARE(form.windowTitle(), QString::fromUtf8("ファイル数  :  2 / 2"));
        QVERIFY(form.MenuFileUndo->isEnabled());
        QVERIFY(!form.BtnUpper->isEnabled());

        std::filesystem::remove(a);
        form.MenuFileUndo->trigger();
        QCOMPARE(TempDir::read(a), std::string("a"));
        QCOMPARE(TempDir::read(b), std::string("b"));
        QVERIFY(!form.MenuFileUndo->isEnabled());
        QVERIFY(form.BtnUpper->isEnabled() && form.BtnLower->isEnabled() && form.BtnExt->isEnabled());
        QTRY_COMPARE(QApplication::focusWidget(), static_cast<QWidget*>(form.BtnUpper));
        const std::size_t prompts = f.prompter.prompts.size();
        ctrlZ();  // disabled: nothing happens
        QCOMPARE(f.prompter.prompts.size(), prompts);
    }

    // The undo outlives the window; the undo of a directory run gives the
    // buttons back; a run cut short is put back on yes at the next start.
    void undoAcrossSessions()
    {
        MainWindowFixture f;
        f.dir.write("vorel.INI", "[ProgTitle]\r\n");
        const Text a = f.dir.write("a", "a"), b = f.dir.write("b", "b");
        QTest::mouseClick(f.start({a}).BtnUpper, Qt::LeftButton);
        f.finish();
        TForm1& second = f.start({a});
        QVERIFY(second.MenuFileUndo->isEnabled());
        second.MenuFileUndo->trigger();
        QCOMPARE(TempDir::read(a), std::string("a"));

        struct NoWindow : RunWindow {
            void showProgress(int, int) override {}
        } window;
        RunContext ctx{systemFileSystem(), f.prompter, window, 1, second.journal()};
        std::filesystem::create_directory(f.dir.file("d"));
        f.dir.write("d/x", "x");
        QCOMPARE(runDirectoryOperation(Operation::Upper, "", {f.dir.file("d")}, ctx, second.session),
                 RunOutcome::Completed);
        second.conversionCompleted();
        second.MenuFileUndoClick();
        QVERIFY(second.BtnUpper->isEnabled() && second.BtnLower->isEnabled() && second.BtnExt->isEnabled());
        QCOMPARE(TempDir::read(f.dir.file("d/x")), std::string("x"));
        f.finish();

        // Cut short after its first file: the plan is on disk, no end mark,
        // and the program that wrote it is gone.
        const StringList entries{a, b};
        JournalFile(f.dir.file("vorel.LOG"))
            .planned({JournalKind::Run, 2, PathList(entries), PathList{a + "_x", b + "_x"}});
        std::filesystem::rename(a, a + "_x");
        f.prompter.prompts.clear();
        TForm1& third = f.start();
        QCOMPARE(f.prompter.prompts.front().text,
                 fixedText("前回の変換が途中で終了しています。変換済みのファイルを元に戻しますか。"));
        QCOMPARE(f.prompter.prompts.front().buttons, unsigned(PbYes | PbNo));
        QCOMPARE(TempDir::read(a), std::string("a"));
        QCOMPARE(TempDir::read(b), std::string("b"));
        QVERIFY(!third.MenuFileUndo->isEnabled());
    }

    void warningModeDialog_data()
    {
        QTest::addColumn<int>("mode");
        QTest::addColumn<QString>("click");
        QTest::addColumn<QString>("button");
        QTest::addColumn<int>("after");
        QTest::newRow("7 saved without a choice") << 7 << "" << "BtnSave" << 7;
        QTest::newRow("7 then every time") << 7 << "RadioButton3" << "BtnSave" << 3;
        QTest::newRow("3 then never, cancelled") << 3 << "RadioButton1" << "BtnCansel" << 3;
        QTest::newRow("1 then first only") << 1 << "RadioButton2" << "BtnSave" << 2;
        QTest::newRow("2 escape") << 2 << "RadioButton1" << "escape" << 2;
    }
    void warningModeDialog()
    {
        QFETCH(int, mode);
        QFETCH(QString, click);
        QFETCH(QString, button);
        QFETCH(int, after);
        MainWindowFixture f;
        TForm1& form = f.start();
        form.session.DbcsMessageMode = mode;
        bool checkedAtOpen[3] = {};
        QString title;
        QTimer::singleShot(0, [&] {
            auto* d = qobject_cast<TForm2*>(QApplication::activeModalWidget());
            QVERIFY(d);
            title = d->windowTitle();
            checkedAtOpen[0] = d->RadioButton1->isChecked();
            checkedAtOpen[1] = d->RadioButton2->isChecked();
            checkedAtOpen[2] = d->RadioButton3->isChecked();
            if (!click.isEmpty()) QTest::mouseClick(d->findChild<QRadioButton*>(click), Qt::LeftButton);
            if (button == "escape")
                QTest::keyClick(d->BtnSave, Qt::Key_Escape);
            else
                QTest::mouseClick(d->findChild<QPushButton*>(button), Qt::LeftButton);
        });
        form.MenuDbcsCheck->trigger();
        QCOMPARE(title, QString::fromUtf8("Tesku (2ﾊﾞｲﾄ文字設定)"));
        for (int i = 0; i < 3; ++i) QCOMPARE(checkedAtOpen[i], mode == i + 1);
        QCOMPARE(form.session.DbcsMessageMode, after);
    }

    void fontChooserConfirmedWithTwelvePointsAndRed()
    {
        MainWindowFixture f;
        TForm1& form = f.start();
        QFont chosen(QStringLiteral("Noto Sans CJK JP"));
        chosen.setPointSize(12);
        f.fonts.answer = FontChoice{chosen, QColor(255, 0, 0)};
        form.MenuFontSet->trigger();
        QCOMPARE(f.fonts.calls, 1);
        QCOMPARE(f.fonts.startFont.pointSize(), 14);
        QCOMPARE(f.fonts.startColour, QColor(0, 0, 0));
        QCOMPARE(form.List.ListFontSize, Text("12"));
        QCOMPARE(form.List.ListFontColor, Text("clRed"));
        QCOMPARE(form.List.ListFontName, Text("Noto Sans CJK JP"));
        QCOMPARE(form.ListBox1->palette().color(QPalette::Text), QColor(255, 0, 0));
    }

    void fontChooserCancelledOrUnparsableChangesNothing()
    {
        MainWindowFixture f;
        TForm1& form = f.start();
        f.fonts.answer.reset();
        form.MenuFontSet->trigger();
        QCOMPARE(form.List.ListFontSize, Text("14"));
        form.List.ListFontSize = "big";
        form.MenuFontSet->trigger();
        QCOMPARE(f.fonts.calls, 1);  // not opened the second time
        QCOMPARE(f.prompter.errors, std::vector<Text>{fixedText("'big' は整数ではありません")});
        QCOMPARE(form.List.ListFontSize, Text("big"));
    }

    // The font command applies face, size and colour, the background command
    // the background only: an unparsable setting of the other one is left alone.
    void eachChooserAppliesOnlyWhatItChose_data()
    {
        QTest::addColumn<QByteArray>("settings");
        QTest::addColumn<int>("command");  // 0 none, 1 font, 2 background
        QTest::addColumn<QString>("family");
        QTest::addColumn<QColor>("text");
        QTest::addColumn<QColor>("base");
        QTest::newRow("background, text colour unparsable")
            << QByteArray("TextFontColor=0xFF") << 2 << QString() << QColor() << QColor(0x12, 0x34, 0x56);
        QTest::newRow("font, background unparsable")
            << QByteArray("TextBackColor=bogus") << 1 << QStringLiteral("Noto Sans CJK JP")
            << QColor(255, 0, 0) << QColor();
        QTest::newRow("start, size unparsable: the face still applies")
            << QByteArray("TextFontName=Noto Sans CJK JP\r\nTextFontSize=big") << 0
            << QStringLiteral("Noto Sans CJK JP") << QColor() << QColor();
    }
    void eachChooserAppliesOnlyWhatItChose()
    {
        QFETCH(QByteArray, settings);
        QFETCH(int, command);
        QFETCH(QString, family);
        QFETCH(QColor, text);
        QFETCH(QColor, base);
        MainWindowFixture f;
        f.dir.write("vorel.INI", "[TextJyouhou]\r\n" + settings.toStdString() + "\r\n");
        TForm1& form = f.start();
        QCOMPARE(f.prompter.errors.size(), size_t(1));  // at start
        QFont chosen(QStringLiteral("Noto Sans CJK JP"));
        chosen.setPointSize(12);
        f.fonts.answer = FontChoice{chosen, QColor(255, 0, 0)};
        f.colours.answer = QColor(0x12, 0x34, 0x56);
        if (command == 1) form.MenuFontSet->trigger();
        if (command == 2) form.MenuBackColorSet->trigger();
        QCOMPARE(f.prompter.errors.size(), size_t(1));
        if (!family.isEmpty()) QCOMPARE(form.ListBox1->font().family(), family);
        if (text.isValid()) QCOMPARE(form.ListBox1->palette().color(QPalette::Text), text);
        if (base.isValid()) QCOMPARE(form.ListBox1->palette().color(QPalette::Base), base);
    }

    void backgroundColourOutsideTheNames()
    {
        MainWindowFixture f;
        TForm1& form = f.start();
        f.colours.answer = QColor(0x12, 0x34, 0x56);
        form.MenuBackColorSet->trigger();
        QCOMPARE(form.List.ListBackColor, Text("$00563412"));
        QCOMPARE(form.ListBox1->palette().color(QPalette::Base), QColor(0x12, 0x34, 0x56));
        f.colours.answer.reset();
        form.MenuBackColorSet->trigger();
        QCOMPARE(form.List.ListBackColor, Text("$00563412"));
    }

    void winHelpFileOpensInTheDesktopProgram()
    {
        MainWindowFixture f;
        std::filesystem::create_directories(f.dir.path() / "tools");
        const std::string help = f.dir.write("VOREL.HLP", "?_");
        const std::string record = f.dir.file("record");
        writeRecorder(f.dir, "tools/xdg-open", record);
        PathScope path(f.dir.file("tools"));
        TForm1& form = f.start();
        const std::size_t before = f.prompter.prompts.size();
        form.MenuHelpDisp->trigger();
        QVERIFY(waitForRecord(record).find("\n" + help + "\n") != std::string::npos);
        QCOMPARE(f.prompter.prompts.size(), before);  // nothing to say
    }

    // F1 anywhere shows the HTML help in the program's own window, which
    // follows its own links and leaves the others to xdg-open.
    void f1ShowsTheHelpInItsOwnWindow()
    {
        MainWindowFixture f;
        std::filesystem::create_directories(f.dir.path() / "help");
        std::filesystem::create_directories(f.dir.path() / "tools");
        f.dir.write("help/index.html", "<html><body><p>Vorel ヘルプ</p><a href=\"two.html\">2</a></body></html>");
        const std::string two = f.dir.write("help/two.html", "<html><body>second page</body></html>");
        const std::string record = f.dir.file("record");
        writeRecorder(f.dir, "tools/xdg-open", record);
        PathScope path(f.dir.file("tools"));
        TForm1& form = f.start({"a"});
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        QTest::keyClick(form.ListBox1, Qt::Key_F1);
        auto* help = form.findChild<QTextBrowser*>(QStringLiteral("HelpWindow"));
        QVERIFY(help);
        QCOMPARE(help->windowTitle(), QString::fromUtf8("Vorel (ﾍﾙﾌﾟ)"));
        QVERIFY(help->toPlainText().contains(QString::fromUtf8("Vorel ヘルプ")));
        emit help->anchorClicked(QUrl(QStringLiteral("two.html")));
        QCOMPARE(help->source(), QUrl::fromLocalFile(QString::fromStdString(two)));
        emit help->anchorClicked(QUrl(QStringLiteral("https://example.org/x")));
        QVERIFY(waitForRecord(record).find("\nhttps://example.org/x\n") != std::string::npos);
        QTest::keyClick(help, Qt::Key_F1);  // again: the same window, its first page
        QCOMPARE(form.findChildren<QTextBrowser*>(QStringLiteral("HelpWindow")).size(), 1);
        QVERIFY(help->toPlainText().contains(QString::fromUtf8("Vorel ヘルプ")));
    }

    void missingHelpFileIsReportedByName()
    {
        MainWindowFixture f;
        TForm1& form = f.start();
        form.MenuHelpDisp->trigger();
        const Text expected = fixedText("   ヘルプファイル ") + f.dir.file("VOREL.HLP") +
                              fixedText(" が見つかりません。          ");
        QCOMPARE(f.prompter.prompts.back().text, expected);
    }
};

QTEST_MAIN(MainTest)
#include "Main_test.moc"
