// The launcher settings dialog: layout, keys, the commands through their
// buttons, the entry editor opened from it, and what reaches the settings file.
#include "launcher/Apliset.h"

#include "launcher/ApliEdit.h"
#include "launcher/launcher_view_support.h"
#include "platform/codepage.h"
#include "settings/ini_file.h"
#include "support/layout_expect.h"
#include "support/scripted_prompter.h"
#include "support/temp_dir.h"

#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QtTest>

#include <cstdio>
#include <fstream>

namespace {

// A settings file with a table of the given titles (free rows "*").
struct Settings {
    TempDir dir;
    std::string path = dir.file("vorel.INI");
    ScriptedPrompter prompter;
    PlannedFileChooser files;
    LauncherState state;

    explicit Settings(const std::vector<std::string>& titles)
    {
        LauncherTable t;
        for (int r = 1; r <= 9; ++r) {
            const std::string& title = titles.at(std::size_t(r - 1));
            t[r] = title.empty() ? LauncherEntry{"", "", "", "", "*"}
                                 : LauncherEntry{title, "/bin/" + title, "%f", "", title.substr(0, 1)};
        }
        IniFile ini(path);
        writeLauncherTable(ini, t);
    }
    std::string bytes() const { return TempDir::read(path); }

    // Opens the dialog as the main menu does and runs action on it.
    void open(std::function<void(TForm11*)> action)
    {
        QObject guard;
        bool ran = false;
        whenModal<TForm11>(guard, [&](TForm11* form) {
            ran = true;
            action(form);
            if (form->isVisible()) form->reject();
        });
        IniFile settings(path);  // as the main window read it
        openLauncherSettings(nullptr, state, settings, prompter, files);
        QVERIFY(ran);
    }
};

const std::vector<std::string> two = {"A", "B", "", "", "", "", "", "", ""};
const std::vector<std::string> emptyTable(9, "");

}  // namespace

class ApliSetTest : public QObject {
    Q_OBJECT
private slots:
    void layoutAndOpening()
    {
        Settings s(two);
        s.open([&](TForm11* f) {
            QCOMPARE(f->windowTitle(), u("Vorel (ﾗﾝﾁｬｰ設定)"));
            QCOMPARE(f->size(), QSize(362, 322));
            QCOMPARE(f->minimumSize(), f->maximumSize());
            QCOMPARE(f->ListBox1->geometry(), QRect(10, 10, 210, 260));
            expectControls(*f, {{"ListBox1", {10, 10, 210, 260}},
                                {"BtnOk", {10, 285, 100, 25}, "OK(&O)"},
                                {"BtnCansel", {120, 285, 100, 25}, "ｷｬﾝｾﾙ"},
                                {"BtnAdd", {230, 10, 120, 25}, "新規追加(&N)..."},
                                {"BtnEdit", {230, 45, 120, 25}, "編集(&E)..."},
                                {"BtnUp", {230, 90, 120, 25}, "一つ上へ"},
                                {"BtnDown", {230, 125, 120, 25}, "一つ下へ"},
                                {"BtnCut", {230, 170, 120, 25}, "ｶｯﾄ(&X)"},
                                {"BtnCopy", {230, 205, 120, 25}, "ｺﾋﾟｰ(&C)"},
                                {"BtnPaste", {230, 240, 120, 25}, "張り付け(&V)"},
                                {"BtnDel", {230, 285, 120, 25}, "削除(&D)"}});
            for (QPushButton* button : f->findChildren<QPushButton*>())
                QCOMPARE(button->isEnabled(), button != f->BtnPaste);
            QCOMPARE(linesOf(f->ListBox1), (QStringList{"A", "B"}));
            QCOMPARE(f->ListBox1->currentRow(), 0);
            QCOMPARE(QApplication::focusWidget(), f->ListBox1);
            // Tab order: the list, then the buttons as numbered; the disabled
            // Paste is skipped.
            expectTabOrder(*f, {"ListBox1", "BtnOk", "BtnCansel", "BtnAdd", "BtnEdit", "BtnUp", "BtnDown",
                                "BtnCut", "BtnCopy", "BtnDel"});
            QCOMPARE(f->BtnCopy->nextInFocusChain(), f->BtnPaste);
        });
        QVERIFY(s.state.WorkCopy.size() == 0);  // dropped after closing
    }

    void emptyTableShowsOneEmptyLine()
    {
        Settings s(emptyTable);
        s.open([&](TForm11* f) {
            QCOMPARE(linesOf(f->ListBox1), QStringList{QString()});
            QCOMPARE(f->ListBox1->currentRow(), 0);
        });
    }

    void pasteDisabledUntilTheFirstCutOrCopy_data()
    {
        QTest::addColumn<QString>("first");
        QTest::newRow("cut") << u("BtnCut");
        QTest::newRow("copy") << u("BtnCopy");
    }
    void pasteDisabledUntilTheFirstCutOrCopy()
    {
        QFETCH(QString, first);
        Settings s(two);
        s.open([&](TForm11* f) {
            for (QPushButton* b : {f->BtnUp, f->BtnDown, f->BtnDel}) {
                QTest::mouseClick(b, Qt::LeftButton);
                QVERIFY(!f->BtnPaste->isEnabled());
            }
            QTest::mouseClick(f->findChild<QPushButton*>(first), Qt::LeftButton);
            QVERIFY(f->BtnPaste->isEnabled());
            QTest::mouseClick(f->BtnDel, Qt::LeftButton);
            QTest::mouseClick(f->BtnUp, Qt::LeftButton);
            QVERIFY(f->BtnPaste->isEnabled());  // stays enabled
        });
    }

    void commandsShowTheirSelection()
    {
        Settings s({"A", "B", "C", "", "", "", "", "", ""});
        s.open([&](TForm11* f) {
            f->ListBox1->setCurrentRow(1);
            QTest::mouseClick(f->BtnDown, Qt::LeftButton);
            QCOMPARE(linesOf(f->ListBox1), (QStringList{"A", "C", "B"}));
            QCOMPARE(f->ListBox1->currentRow(), 2);
            QTest::mouseClick(f->BtnCut, Qt::LeftButton);
            QCOMPARE(linesOf(f->ListBox1), (QStringList{"A", "C"}));
            QCOMPARE(f->ListBox1->currentRow(), 1);
            QCOMPARE(s.state.WorkCopy.line(8), LauncherEntry{});  // the freed row: five empty strings
            f->ListBox1->setCurrentRow(0);
            QTest::mouseClick(f->BtnPaste, Qt::LeftButton);
            QCOMPARE(linesOf(f->ListBox1), (QStringList{"B", "A", "C"}));
            QCOMPARE(f->ListBox1->currentRow(), 0);
            QTest::mouseClick(f->BtnOk, Qt::LeftButton);
            QVERIFY(!f->isVisible());
        });
        LauncherTable back;
        readLauncherTable(IniFile(s.path), back);
        QCOMPARE(back[1].ProgTitle, Text("B"));
        QCOMPARE(back[1].ProgName, Text("/bin/B"));
        QCOMPARE(back[2].ProgTitle, Text("A"));
        QCOMPARE(back[3].ProgTitle, Text("C"));
        QCOMPARE(back[4], (LauncherEntry{"", "", "", "", "*"}));
        QCOMPARE(s.state.Table, back);
    }

    void okWritesAll45KeysWithoutChange()
    {
        Settings s(two);
        // A file edited by hand: other lines and a short shortcut section.
        const std::string edited = "; mine\r\n" + s.bytes();
        {
            std::ofstream out(s.path, std::ios::binary);
            out << edited;
        }
        s.open([&](TForm11* f) { QTest::mouseClick(f->BtnOk, Qt::LeftButton); });
        QCOMPARE(s.bytes(), edited);  // every key rewritten with its own value
        std::remove(s.path.c_str());
        s.open([&](TForm11* f) { QTest::mouseClick(f->BtnOk, Qt::LeftButton); });
        const std::string file = s.bytes();
        int keyLines = 0;
        for (std::size_t at = file.find("=", 0); at != std::string::npos; at = file.find("=", at + 1))
            ++keyLines;
        QCOMPARE(keyLines, 45);
    }

    void cancelAndEscapeWriteNothing_data()
    {
        QTest::addColumn<int>("how");
        QTest::newRow("cancel button") << 0;
        QTest::newRow("escape in the list") << 1;
        QTest::newRow("escape on a button") << 2;
        QTest::newRow("close box") << 3;
    }
    void cancelAndEscapeWriteNothing()
    {
        QFETCH(int, how);
        Settings s(two);
        const std::string before = s.bytes();
        s.open([&](TForm11* f) {
            QTest::mouseClick(f->BtnDel, Qt::LeftButton);
            QCOMPARE(linesOf(f->ListBox1), QStringList{"B"});
            if (how == 0) QTest::mouseClick(f->BtnCansel, Qt::LeftButton);
            if (how == 1) QTest::keyClick(f->ListBox1, Qt::Key_Escape);
            if (how == 2) QTest::keyClick(f->BtnUp, Qt::Key_Escape);
            if (how == 3) f->close();
            QVERIFY(!f->isVisible());
        });
        QCOMPARE(s.bytes(), before);
        QCOMPARE(s.state.Table[1].ProgTitle, Text("A"));
        // The next opening shows the file's content again.
        s.open([&](TForm11* f) { QCOMPARE(linesOf(f->ListBox1), (QStringList{"A", "B"})); });
    }

    void enterInTheListDoesNothing()
    {
        Settings s(two);
        const std::string before = s.bytes();
        s.open([&](TForm11* f) {
            QTest::keyClick(f->ListBox1, Qt::Key_Return);
            QTest::keyClick(f->ListBox1, Qt::Key_Enter, Qt::KeypadModifier);
            QVERIFY(f->isVisible());
            const QPoint line = f->ListBox1->visualItemRect(f->ListBox1->item(0)).center();
            QTest::mouseClick(f->ListBox1->viewport(), Qt::LeftButton, {}, line);
            QTest::mouseDClick(f->ListBox1->viewport(), Qt::LeftButton, {}, line);
            QVERIFY(f->isVisible());
            QVERIFY(!QApplication::activeModalWidget() ||
                    QApplication::activeModalWidget() == f);  // no editor opened
        });
        QCOMPARE(s.bytes(), before);
    }

    void addAtNineEntriesWarns()
    {
        Settings s({"A", "B", "C", "D", "E", "F", "G", "H", "I"});
        s.open([&](TForm11* f) {
            QTest::mouseClick(f->BtnAdd, Qt::LeftButton);
            QCOMPARE(s.prompter.prompts.size(), std::size_t(1));
            QCOMPARE(s.prompter.prompts[0],
                     (RecordedPrompt{fixedText("    設定個数は ９ 個までです。          "), PromptKind::Warning, PbOk}));
            QCOMPARE(f->ListBox1->count(), 9);
        });
    }

    void addOpensTheEditorOnTheFirstFreeRow()
    {
        Settings s(two);
        s.open([&](TForm11* f) {
            QObject guard;
            bool edited = false;
            whenModal<TForm12>(guard, [&](TForm12* e) {
                edited = true;
                QCOMPARE(e->windowTitle(), u("Vorel (ﾗﾝﾁｬｰ編集)"));
                for (QLineEdit* edit : {e->Edit1, e->Edit2, e->Edit3, e->Edit4, e->Edit5})
                    QCOMPARE(edit->text(), QString());
                QCOMPARE(s.state.LauncherEditRow, 2);
                QTest::keyClicks(e->Edit1, "New");
                QTest::keyClicks(e->Edit2, "/bin/new");
                QTest::mouseClick(e->BtnOk, Qt::LeftButton);
            });
            QTest::mouseClick(f->BtnAdd, Qt::LeftButton);
            QVERIFY(edited);
            QCOMPARE(linesOf(f->ListBox1), (QStringList{"A", "B", "New"}));
            QCOMPARE(f->ListBox1->currentRow(), 2);
            QTest::mouseClick(f->BtnOk, Qt::LeftButton);
        });
        LauncherTable back;
        readLauncherTable(IniFile(s.path), back);
        QCOMPARE(back[3], (LauncherEntry{"New", "/bin/new", "", "", " "}));
    }

    void addWithAFreeRowAboveSelectsTheNewEntry()
    {
        Settings s({"", "B", "C", "", "", "", "", "", ""});
        s.open([&](TForm11* f) {
            QObject guard;
            whenModal<TForm12>(guard, [&](TForm12* e) {
                QTest::keyClicks(e->Edit1, "New");
                QTest::keyClicks(e->Edit2, "/bin/new");
                QTest::mouseClick(e->BtnOk, Qt::LeftButton);
            });
            QTest::mouseClick(f->BtnAdd, Qt::LeftButton);
            QCOMPARE(linesOf(f->ListBox1), (QStringList{"New", "B", "C"}));
            QCOMPARE(f->ListBox1->currentRow(), 0);
        });
    }

    void editShowsTheSelectedRowAndTitleOnlyStoreShowsInTheList()
    {
        Settings s(two);
        s.open([&](TForm11* f) {
            f->ListBox1->setCurrentRow(1);
            QObject guard;
            whenModal<TForm12>(guard, [&](TForm12* e) {
                QCOMPARE(e->Edit1->text(), u("B"));
                QCOMPARE(e->Edit2->text(), u("/bin/B"));
                QCOMPARE(e->Edit3->text(), u("%f"));
                QCOMPARE(e->Edit5->text(), u("B"));
                e->Edit1->setText(u("Renamed"));
                e->Edit2->clear();
                QTest::mouseClick(e->BtnOk, Qt::LeftButton);  // warns, title stored
                QVERIFY(e->isVisible());
                QTest::keyClick(e->Edit1, Qt::Key_Escape);
            });
            QTest::mouseClick(f->BtnEdit, Qt::LeftButton);
            QCOMPARE(linesOf(f->ListBox1), (QStringList{"A", "Renamed"}));
            QCOMPARE(f->ListBox1->currentRow(), 1);
            QCOMPARE(s.state.WorkCopy.line(1).ProgName, Text("/bin/B"));
        });
        QCOMPARE(s.prompter.prompts.size(), std::size_t(1));
        QCOMPARE(s.prompter.prompts[0].text, fixedText("    実行ファイル名は必ず指定してください。          "));
    }

    void editShowsAOneBlankShortcutEmpty()
    {
        Settings s(two);
        IniFile(s.path).WriteString("ProgShortCut", "2", " ");
        s.open([&](TForm11* f) {
            f->ListBox1->setCurrentRow(1);
            QObject guard;
            QString shown = u("unset");
            whenModal<TForm12>(guard, [&](TForm12* e) {
                shown = e->Edit5->text();
                e->reject();
            });
            QTest::mouseClick(f->BtnEdit, Qt::LeftButton);
            QCOMPARE(shown, QString());
        });
    }

    void writeErrorIsShownAndTheDialogStaysOpen()
    {
        Settings s(two);
        // A settings file in a directory that is not there cannot be written,
        // even by root.
        const std::string missing = s.dir.file("gone/vorel.INI");
        QObject guard;
        bool ran = false;
        whenModal<TForm11>(guard, [&](TForm11* f) {
            ran = true;
            QTest::mouseClick(f->BtnOk, Qt::LeftButton);
            QVERIFY(f->isVisible());
            QCOMPARE(s.prompter.errors.size(), std::size_t(1));
            QCOMPARE(s.prompter.errors[0], missing + fixedText(" に書き込めません"));
            f->reject();
        });
        IniFile settings(missing);
        openLauncherSettings(nullptr, s.state, settings, s.prompter, s.files);
        QVERIFY(ran);
    }
};

QTEST_MAIN(ApliSetTest)
#include "Apliset_test.moc"
