// The extended conversion dialog: layout, the end of its runs, its prompts,
// the byte-limited fields and its keys.
#include "rename/Extchg.h"

#include "support/code_page_scope.h"
#include "support/layout_expect.h"
#include "support/scripted_prompter.h"
#include "support/temp_dir.h"
#include "ui/ByteLimitedEdit.h"

#include <QApplication>
#include <QClipboard>
#include <QLabel>
#include <QPushButton>
#include <QSignalSpy>
#include <QtTest>

#include <filesystem>
#include <memory>

namespace {

struct FakeHost : ConversionHost {
    int completions = 0;
    void conversionCompleted() override { ++completions; }
};

const char* const operationButtons[] = {
    "BtnStartAdd",    "BtnEndAdd",    "BtnExtChange",   "BtnStartDel",    "BtnEndDel",
    "BtnUpper",       "BtnLower",     "BtnAllstartAdd", "BtnAllEndAdd",   "BtnAllExtChange",
    "BtnAllStartDel", "BtnAllEndDel", "BtnAllUpper",    "BtnAllLower"};

struct Harness {
    TempDir dir;
    Session session;
    FakeHost host;
    ScriptedPrompter prompter;
    std::unique_ptr<TForm3> form;

    TForm3& open()
    {
        form = std::make_unique<TForm3>(session, host, prompter, systemFileSystem());
        form->show();
        if (!QTest::qWaitForWindowActive(form.get())) qWarning("dialog not active");
        return *form;
    }
    QPushButton* button(const char* name) { return form->findChild<QPushButton*>(name); }
    ByteLimitedEdit* edit(const char* name) { return form->findChild<ByteLimitedEdit*>(name); }
    // The names of the operation buttons that are disabled.
    QStringList disabledButtons()
    {
        QStringList names;
        for (const char* n : operationButtons) {
            if (!button(n)->isEnabled()) names << QString::fromLatin1(n);
        }
        return names;
    }
};

QString qs(const char* utf8) { return QString::fromUtf8(utf8); }

bool exists(const std::string& path) { return std::filesystem::exists(path); }

// Types each character as one key press carrying its text, as a keyboard
// or an input method delivers it (QTest::keyClicks takes Latin-1 only).
void typeText(QWidget* w, const QString& text)
{
    for (QChar c : text) {
        QKeyEvent press(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, QString(c));
        QApplication::sendEvent(w, &press);
        QKeyEvent release(QEvent::KeyRelease, Qt::Key_unknown, Qt::NoModifier, QString(c));
        QApplication::sendEvent(w, &release);
    }
}

}  // namespace

class ExtchgTest : public QObject {
    Q_OBJECT
private slots:
    void layout()
    {
        Harness h;
        TForm3 form(h.session, h.host, h.prompter, systemFileSystem());
        expectControls(form, {{"Label8", {160, 5, 250, 18}, "     マークファイルの処理"},
                              {"Label9", {415, 5, 150, 18}, "ディレクトリの処理"},
                              {"Label3", {5, 32, 20, 18}, "(&1)"},
                              {"Edit1", {30, 27, 120, 26}},
                              {"BtnStartAdd", {160, 25, 250, 31}, "ファイル名の先頭に付加(&S)"},
                              {"BtnAllstartAdd", {415, 25, 150, 31}, "先頭に付加(&V)"},
                              {"Label4", {5, 67, 20, 18}, "(&2)"},
                              {"Edit2", {30, 62, 120, 26}},
                              {"BtnEndAdd", {160, 60, 250, 31}, "ファイル名の最後に付加(&E)"},
                              {"BtnAllEndAdd", {415, 60, 150, 31}, "最後に付加(&W)"},
                              {"Label5", {5, 102, 20, 18}, "(&3)"},
                              {"Edit3", {30, 97, 120, 26}},
                              {"BtnExtChange", {160, 95, 250, 31}, "ファイル名の拡張子を変更(&C)"},
                              {"BtnAllExtChange", {415, 95, 150, 31}, "拡張子変更(&X)"},
                              {"Label6", {5, 137, 20, 18}, "(&4)"},
                              {"Edit4", {30, 132, 120, 26}},
                              {"BtnStartDel", {160, 130, 250, 31}, "ファイル名の先頭を削除(&T)"},
                              {"BtnAllStartDel", {415, 130, 150, 31}, "先頭を削除(&Y)"},
                              {"Label7", {5, 172, 20, 18}, "(&5)"},
                              {"Edit5", {30, 167, 120, 26}},
                              {"BtnEndDel", {160, 165, 250, 31}, "ファイル名の最後を削除(&B)"},
                              {"BtnAllEndDel", {415, 165, 150, 31}, "最後を削除(&Z)"},
                              {"BtnUpper", {160, 200, 250, 31}, "大文字に変換(&U)"},
                              {"BtnAllUpper", {415, 200, 150, 31}, "大文字に変換(&M)"},
                              {"BtnLower", {160, 235, 250, 31}, "小文字に変換(&L)"},
                              {"BtnAllLower", {415, 235, 150, 31}, "小文字に変換(&N)"},
                              {"BtnCansel", {160, 270, 250, 31}, "ｷｬﾝｾﾙ"},
                              {"Label1", {30, 310, 550, 18}, "拡張子変更では、拡張子には必ずピリオドを付けて下さい。 ( .org )"},
                              {"Label2", {30, 330, 550, 18}, "付加または削除の文字列は、半角で１０文字以内とします。"}});
        for (const char* name : {"Edit1", "Edit2", "Edit3", "Edit4", "Edit5"}) {
            auto* e = form.findChild<ByteLimitedEdit*>(name);
            QVERIFY2(e, name);
            QCOMPARE(e->text(), QString());
            QCOMPARE(e->maxBytes(), 10);
        }
    }

    void windowAndBuddies()
    {
        Harness h;
        TForm3 form(h.session, h.host, h.prompter, systemFileSystem());
        QCOMPARE(form.windowTitle(), qs("Vorel (拡張変換)"));
        QCOMPARE(form.size(), QSize(572, 353));
        for (int i = 1; i <= 5; ++i) {
            auto* label = form.findChild<QLabel*>(QStringLiteral("Label%1").arg(i + 2));
            QCOMPARE(label->buddy(), form.findChild<QWidget*>(QStringLiteral("Edit%1").arg(i)));
        }
    }

    void tabOrder()
    {
        Harness h;
        expectTabOrder(h.open(), {"Edit1", "BtnStartAdd", "BtnAllstartAdd", "Edit2", "BtnEndAdd", "BtnAllEndAdd",
                                  "Edit3", "BtnExtChange", "BtnAllExtChange", "Edit4", "BtnStartDel",
                                  "BtnAllStartDel", "Edit5", "BtnEndDel", "BtnAllEndDel", "BtnUpper",
                                  "BtnAllUpper", "BtnLower", "BtnAllLower", "BtnCansel"});
    }

    void freshDialogStartsReady()
    {
        Harness h;
        TForm3& form = h.open();
        QCOMPARE(h.disabledButtons(), QStringList());
        QCOMPARE(form.focusWidget(), static_cast<QWidget*>(h.edit("Edit1")));
    }

    void markedOperationDisablesItsSeven()
    {
        Harness h;
        h.session.MarkedPaths = {h.dir.write("a.txt"), h.dir.write("b")};
        TForm3& form = h.open();
        QTest::keyClicks(h.edit("Edit2"), "_x");
        QTest::mouseClick(h.button("BtnEndAdd"), Qt::LeftButton);
        QVERIFY(exists(h.dir.file("a_x.txt")));
        QVERIFY(exists(h.dir.file("b_x")));
        QCOMPARE(h.prompter.prompts.size(), std::size_t(1));
        QCOMPARE(h.prompter.prompts[0],
                 (RecordedPrompt{Text("   変換を完了しました。   "), PromptKind::Information, PbYes}));
        QCOMPARE(h.disabledButtons(),
                 QStringList({"BtnStartAdd", "BtnEndAdd", "BtnExtChange", "BtnStartDel", "BtnEndDel",
                              "BtnAllUpper", "BtnAllLower"}));
        QVERIFY(h.button("BtnCansel")->isEnabled());
        QCOMPARE(form.focusWidget(), static_cast<QWidget*>(h.button("BtnCansel")));
        QCOMPARE(h.host.completions, 1);
        QVERIFY(form.isVisible());
        QCOMPARE(form.windowTitle(), qs("ファイル数  :  2 / 2"));
        QCOMPARE(h.session.ResultList, (StringList{h.dir.file("a_x.txt"), h.dir.file("b_x")}));
    }

    // Every operation, on a marked file and on the files of a marked
    // directory: each reads its own field only.
    void eachOperationReadsItsField_data()
    {
        QTest::addColumn<QString>("field");
        QTest::addColumn<QString>("button");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("before");
        QTest::addColumn<QString>("after");
        const struct {
            const char* row;
            const char* field;
            const char* button;
            const char* allButton;
            const char* typed;
            const char* before;
            const char* after;
        } rows[] = {
            {"start add", "Edit1", "BtnStartAdd", "BtnAllstartAdd", "new_", "memo.txt", "new_memo.txt"},
            {"end add", "Edit2", "BtnEndAdd", "BtnAllEndAdd", "_old", "data.tar.gz", "data.tar_old.gz"},
            {"extension", "Edit3", "BtnExtChange", "BtnAllExtChange", ".org", "memo.txt", "memo.org"},
            {"start delete", "Edit4", "BtnStartDel", "BtnAllStartDel", "ab", "abcd.txt", "cd.txt"},
            {"end delete", "Edit5", "BtnEndDel", "BtnAllEndDel", "_old", "report_old.txt", "report.txt"},
            {"upper", "Edit1", "BtnUpper", "BtnAllUpper", "zz", "read me.txt", "READ ME.TXT"},
            {"lower", "Edit1", "BtnLower", "BtnAllLower", "zz", "READ.ME", "read.me"},
        };
        for (const auto& r : rows) {
            QTest::newRow(r.row) << r.field << r.button << r.typed << r.before << r.after;
            QTest::newRow((std::string("directory ") + r.row).c_str())
                << r.field << r.allButton << r.typed << r.before << r.after;
        }
    }
    void eachOperationReadsItsField()
    {
        QFETCH(QString, field);
        QFETCH(QString, button);
        QFETCH(QString, typed);
        QFETCH(QString, before);
        QFETCH(QString, after);
        const bool inDirectory = button.startsWith(QLatin1String("BtnAll"));
        const std::string folder = inDirectory ? "d/" : "";
        Harness h;
        std::filesystem::create_directory(h.dir.path() / "d");
        h.dir.write(folder + before.toStdString());
        h.session.MarkedPaths = {inDirectory ? h.dir.file("d") : h.dir.file(before.toStdString())};
        h.open();
        for (const char* other : {"Edit1", "Edit2", "Edit3", "Edit4", "Edit5"}) {
            QTest::keyClicks(h.edit(other), field == QLatin1String(other) ? typed : QStringLiteral("q"));
        }
        QTest::mouseClick(h.button(button.toLatin1().constData()), Qt::LeftButton);
        QVERIFY(exists(h.dir.file(folder + after.toStdString())));
        QCOMPARE(h.host.completions, 1);
        if (inDirectory) QCOMPARE(h.disabledButtons().size(), 14);
    }

    void caseConversionDisablesAllFourteen()
    {
        for (const char* name : {"BtnUpper", "BtnLower"}) {
            Harness h;
            h.session.MarkedPaths = {h.dir.write("Mixed.Txt")};
            TForm3& form = h.open();
            QTest::mouseClick(h.button(name), Qt::LeftButton);
            QCOMPARE(h.disabledButtons().size(), 14);
            QVERIFY(h.button("BtnCansel")->isEnabled());
            QCOMPARE(form.focusWidget(), static_cast<QWidget*>(h.button("BtnCansel")));
            QCOMPARE(h.host.completions, 1);
            QVERIFY(form.isVisible());
            for (const char* e : {"Edit1", "Edit2", "Edit3", "Edit4", "Edit5"}) QVERIFY(h.edit(e)->isEnabled());
        }
    }

    void directoryOperationDisablesAllFourteen()
    {
        Harness h;
        std::filesystem::create_directory(h.dir.path() / "d");
        h.dir.write("d/a.txt");
        h.dir.write("d/b");
        h.session.MarkedPaths = {h.dir.file("d")};
        TForm3& form = h.open();
        QTest::keyClicks(h.edit("Edit2"), "_x");
        QTest::mouseClick(h.button("BtnAllEndAdd"), Qt::LeftButton);
        QVERIFY(exists(h.dir.file("d/a_x.txt")));
        QVERIFY(exists(h.dir.file("d/b_x")));
        QCOMPARE(h.disabledButtons().size(), 14);
        QCOMPARE(form.focusWidget(), static_cast<QWidget*>(h.button("BtnCansel")));
        QCOMPARE(h.host.completions, 1);
        QVERIFY(form.isVisible());
        QCOMPARE(form.windowTitle(), qs("ファイル数  :  2 / 2"));
        QCOMPARE(h.session.SourceList.size(), std::size_t(2));
    }

    void failedRenameLeavesEverythingEnabled()
    {
        Harness h;
        StringList marked;
        for (const char* n : {"a.txt", "b.txt", "c.txt", "d.txt", "e.txt"}) marked.push_back(h.dir.write(n));
        h.session.MarkedPaths = marked;
        h.dir.write("C.TXT", "other");
        TForm3& form = h.open();
        QTest::mouseClick(h.button("BtnUpper"), Qt::LeftButton);
        QCOMPARE(h.prompter.prompts.size(), std::size_t(1));
        QCOMPARE(h.prompter.prompts[0],
                 (RecordedPrompt{Text("   c.txt の変換に失敗しました。          "), PromptKind::Warning, PbAbort}));
        QCOMPARE(form.windowTitle(), qs("ファイル数  :  3 / 5"));
        QCOMPARE(h.disabledButtons(), QStringList());
        QCOMPARE(h.host.completions, 0);
        QCOMPARE(h.session.ResultList, (StringList{h.dir.file("A.TXT"), h.dir.file("B.TXT"), "=== 変換失敗 ==="}));
        QVERIFY(form.isVisible());
    }

    void validationFailureChangesNothing()
    {
        Harness h;
        h.session.MarkedPaths = {h.dir.write("abcd.txt"), h.dir.write("xabc.txt")};
        h.session.ResultList = {"previous"};
        TForm3& form = h.open();
        QTest::keyClicks(h.edit("Edit4"), "ab");
        QTest::mouseClick(h.button("BtnStartDel"), Qt::LeftButton);
        QCOMPARE(h.prompter.prompts.size(), std::size_t(1));
        QCOMPARE(h.prompter.prompts[0],
                 (RecordedPrompt{Text("   xabc.txt には、指定文字列が先頭にありません。          "),
                                 PromptKind::Warning, PbAbort}));
        QCOMPARE(form.windowTitle(), qs("Vorel (拡張変換)"));
        QCOMPARE(h.disabledButtons(), QStringList());
        QCOMPARE(h.session.ResultList, StringList{"previous"});
        QVERIFY(exists(h.dir.file("abcd.txt")));
    }

    void doubleByteQuestionYesStops()
    {
        Harness h;
        h.session.MarkedPaths = {h.dir.write("\xe6\x97\xa5.txt")};
        h.prompter.plan = {MrYes};
        TForm3& form = h.open();
        QTest::mouseClick(h.button("BtnLower"), Qt::LeftButton);
        QCOMPARE(h.prompter.prompts.size(), std::size_t(1));
        QCOMPARE(h.prompter.prompts[0],
                 (RecordedPrompt{"   ２バイト文字がふくまれていまが、中断しますか。          \n\r   " + h.session.MarkedPaths[0],
                                 PromptKind::Information, PbYes | PbNo}));
        QCOMPARE(h.disabledButtons(), QStringList());
        QCOMPARE(form.windowTitle(), qs("Vorel (拡張変換)"));
        QCOMPARE(h.host.completions, 0);
    }

    void directorySelectionMessageChangesNothing()
    {
        Harness h;
        h.session.MarkedPaths = {h.dir.write("plain.txt")};
        h.open();
        QTest::mouseClick(h.button("BtnAllUpper"), Qt::LeftButton);
        QCOMPARE(h.prompter.prompts.size(), std::size_t(1));
        QCOMPARE(h.prompter.prompts[0],
                 (RecordedPrompt{Text("   ディレクトリではありません。   "), PromptKind::Information, PbYes}));
        QCOMPARE(h.disabledButtons(), QStringList());
        QCOMPARE(h.host.completions, 0);
        QVERIFY(exists(h.dir.file("plain.txt")));
    }

    void cp932FieldTextGoesIntoTheName()
    {
        CodePageScope scope(CodePage::Cp932);
        Harness h;
        h.session.MarkedPaths = {h.dir.write("a.txt")};
        h.session.DbcsMessageMode = 1;
        h.open();
        typeText(h.edit("Edit1"), qs("表"));
        QCOMPARE(h.edit("Edit1")->codePageText(), Text("\x95\x5c"));
        QTest::mouseClick(h.button("BtnStartAdd"), Qt::LeftButton);
        QVERIFY(exists(h.dir.file("\x95\x5c" "a.txt")));
        QCOMPARE(h.form->windowTitle(), qs("ファイル数  :  1 / 1"));
        QCOMPARE(h.prompter.prompts[0].text, *fromUtf8(CodePage::Cp932, "   変換を完了しました。   "));
    }

    void byteLimitWhenTyping_data()
    {
        QTest::addColumn<bool>("cp932");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("kept");
        for (bool cp932 : {false, true}) {
            const char* cp = cp932 ? "cp932 " : "utf-8 ";
            auto row = [&](const char* what, const char* typed, const char* kept) {
                QTest::newRow((std::string(cp) + what).c_str()) << cp932 << qs(typed) << qs(kept);
            };
            row("ten one-byte", "abcdefghijk", "abcdefghij");
            row("five double-byte", "あいうえおか", "あいうえお");
            row("nine and one double-byte", "abcdefghiあb", "abcdefghib");
            row("mixed", "aあbいcう", "aあbいcう");
            row("full-width digits", "１２３４５６", "１２３４５");
            row("blanks and separators", "a b/c\\d:e", "a b/c\\d:e");
            // Shift-JIS widths in both code pages: half-width katakana count one.
            row("ten half-width kana", "ｱｲｳｴｵｶｷｸｹｺｻ", "ｱｲｳｴｵｶｷｸｹｺ");
            row("kana and double-byte", "ｱｲｳｴｵｶｷｸあ", "ｱｲｳｴｵｶｷｸあ");
        }
        QTest::newRow("cp932 no e-acute") << true << qs("aéb") << qs("ab");
        QTest::newRow("utf-8 e-acute") << false << qs("aéb") << qs("aéb");
        QTest::newRow("cp932 no hangul") << true << qs("한a") << qs("a");
    }
    void byteLimitWhenTyping()
    {
        QFETCH(bool, cp932);
        QFETCH(QString, typed);
        QFETCH(QString, kept);
        CodePageScope scope(cp932 ? CodePage::Cp932 : CodePage::Utf8);
        Harness h;
        h.open();
        ByteLimitedEdit* edit = h.edit("Edit3");
        typeText(edit, typed);
        QCOMPARE(edit->text(), kept);
        QCOMPARE(edit->codePageText(), *fromUtf8(activeCodePage(), kept.toStdString()));
    }

    void byteLimitWhenPasting_data()
    {
        QTest::addColumn<bool>("cp932");
        QTest::addColumn<QString>("before");
        QTest::addColumn<int>("cursor");
        QTest::addColumn<QString>("pasted");
        QTest::addColumn<QString>("kept");
        for (bool cp932 : {false, true}) {
            const char* cp = cp932 ? "cp932 " : "utf-8 ";
            auto row = [&](const char* what, const char* before, int cursor, const char* pasted, const char* kept) {
                QTest::newRow((std::string(cp) + what).c_str()) << cp932 << qs(before) << cursor << qs(pasted) << qs(kept);
            };
            row("cut to fit", "", 0, "0123456789AB", "0123456789");
            row("cut in the middle", "xy", 1, "12345678901", "x12345678y");
            row("double-byte cut whole", "abcdefgh", 8, "あい", "abcdefghあ");
            row("controls dropped", "", 0, "a\tb\nc\rd", "abcd");
            row("full field takes nothing", "0123456789", 5, "x", "0123456789");
        }
        QTest::newRow("cp932 emoji dropped") << true << "" << 0 << qs("a😀b") << qs("ab");
        QTest::newRow("utf-8 emoji counts two") << false << "" << 0 << qs("😀😀😀😀😀😀") << qs("😀😀😀😀😀");
    }
    void byteLimitWhenPasting()
    {
        QFETCH(bool, cp932);
        QFETCH(QString, before);
        QFETCH(int, cursor);
        QFETCH(QString, pasted);
        QFETCH(QString, kept);
        CodePageScope scope(cp932 ? CodePage::Cp932 : CodePage::Utf8);
        Harness h;
        h.open();
        ByteLimitedEdit* edit = h.edit("Edit1");
        edit->setText(before);
        edit->setCursorPosition(cursor);
        edit->insert(pasted);
        QCOMPARE(edit->text(), kept);

        // Through the clipboard, with Ctrl+V.
        ByteLimitedEdit* other = h.edit("Edit2");
        other->setText(before);
        other->setCursorPosition(cursor);
        QApplication::clipboard()->setText(pasted);
        QCOMPARE(QApplication::clipboard()->text(), pasted);
        QTest::keyClick(other, Qt::Key_V, Qt::ControlModifier);
        QCOMPARE(other->text(), kept);
        QVERIFY(h.form->isVisible());
    }

    void backspaceEditsInAField()
    {
        Harness h;
        TForm3& form = h.open();
        for (const char* name : {"Edit1", "Edit2", "Edit3", "Edit4", "Edit5"}) {
            ByteLimitedEdit* edit = h.edit(name);
            QTest::keyClicks(edit, "ab");
            QTest::keyClick(edit, Qt::Key_Backspace);
            QCOMPARE(edit->text(), QStringLiteral("a"));
            QVERIFY(form.isVisible());
        }
    }

    void enterInAFieldDoesNothing()
    {
        Harness h;
        h.session.MarkedPaths = {h.dir.write("a.txt")};
        TForm3& form = h.open();
        for (const char* name : {"Edit1", "Edit2", "Edit3", "Edit4", "Edit5"}) {
            QTest::keyClicks(h.edit(name), "x");
            QTest::keyClick(h.edit(name), Qt::Key_Return);
            QTest::keyClick(h.edit(name), Qt::Key_Enter, Qt::KeypadModifier);
        }
        QVERIFY(form.isVisible());
        QVERIFY(h.prompter.prompts.empty());
        QVERIFY(exists(h.dir.file("a.txt")));
        QCOMPARE(h.disabledButtons(), QStringList());
    }

    void cancelButtonCloses()
    {
        Harness h;
        TForm3& form = h.open();
        QTest::mouseClick(h.button("BtnCansel"), Qt::LeftButton);
        QVERIFY(!form.isVisible());
    }

    void altDigitFocusesItsField()
    {
        Harness h;
        TForm3& form = h.open();
        const Qt::Key keys[] = {Qt::Key_1, Qt::Key_2, Qt::Key_3, Qt::Key_4, Qt::Key_5};
        for (int i = 0; i < 5; ++i) {
            h.button("BtnCansel")->setFocus();
            QTest::keyClick(&form, keys[i], Qt::AltModifier);
            QCOMPARE(form.focusWidget(),
                     static_cast<QWidget*>(h.edit(QStringLiteral("Edit%1").arg(i + 1).toLatin1().constData())));
        }
        QVERIFY(form.isVisible());
    }

    void accessKeysPressButtons_data()
    {
        QTest::addColumn<QString>("button");
        QTest::addColumn<int>("key");
        const std::pair<const char*, Qt::Key> keys[] = {
            {"BtnStartAdd", Qt::Key_S},  {"BtnEndAdd", Qt::Key_E},      {"BtnExtChange", Qt::Key_C},
            {"BtnStartDel", Qt::Key_T},  {"BtnEndDel", Qt::Key_B},      {"BtnUpper", Qt::Key_U},
            {"BtnLower", Qt::Key_L},     {"BtnAllstartAdd", Qt::Key_V}, {"BtnAllEndAdd", Qt::Key_W},
            {"BtnAllExtChange", Qt::Key_X}, {"BtnAllStartDel", Qt::Key_Y}, {"BtnAllEndDel", Qt::Key_Z},
            {"BtnAllUpper", Qt::Key_M},  {"BtnAllLower", Qt::Key_N}};
        for (const auto& [name, key] : keys) QTest::newRow(name) << name << int(key);
    }
    void accessKeysPressButtons()
    {
        QFETCH(QString, button);
        QFETCH(int, key);
        Harness h;
        TForm3& form = h.open();
        QPushButton* target = h.button(button.toLatin1().constData());
        QSignalSpy clicks(target, &QPushButton::clicked);
        QTest::keyClick(&form, Qt::Key(key), Qt::AltModifier);
        // An access key presses its button visibly, so the click follows
        // from the event loop.
        QTRY_COMPARE(clicks.count(), 1);
        // Nothing else was pressed: one prompt, from this button's run.
        QCOMPARE(h.prompter.prompts.size(), std::size_t(1));
    }
};

QTEST_MAIN(ExtchgTest)
#include "Extchg_test.moc"
