// The launcher entry editor: layout, keys, the check-and-store, the browse
// with its filters, and fields that keep their bytes.
#include "launcher/ApliEdit.h"

#include "launcher/launcher_view_support.h"
#include "platform/codepage.h"
#include "support/layout_expect.h"
#include "support/scripted_prompter.h"
#include "support/temp_dir.h"

#include <sys/stat.h>

#include <QAbstractItemView>
#include <QComboBox>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <QtTest>

namespace {

struct Editor {
    LauncherState state;
    ScriptedPrompter prompter;
    PlannedFileChooser files;
    std::unique_ptr<TForm12> form;

    explicit Editor(int row = 0, const LauncherEntry& before = {"Old", "/bin/old", "-o", "/old", "O"})
    {
        state.Table[row + 1] = before;
        state.WorkCopy = LauncherWorkCopy::fromTable(state.Table);
        state.LauncherEditRow = row;
        form = std::make_unique<TForm12>(state, prompter, files);
    }
    void show()
    {
        form->show();
        QVERIFY(QTest::qWaitForWindowExposed(form.get()));
    }
    LauncherEntry row() const { return state.WorkCopy.line(std::size_t(state.LauncherEditRow)); }
};

}  // namespace

class ApliEditTest : public QObject {
    Q_OBJECT
private slots:
    void layout()
    {
        Editor e;
        TForm12& f = *e.form;
        QCOMPARE(f.windowTitle(), u("Vorel (ﾗﾝﾁｬｰ編集)"));
        QCOMPARE(f.size(), QSize(562, 153));
        QCOMPARE(f.minimumSize(), f.maximumSize());
        expectControls(f, {
            {"Label1", {10, 10, 100, 20}, "ﾌﾟﾛｸﾞﾗﾑﾀｲﾄﾙ"}, {"Label2", {10, 40, 100, 20}, "実行ﾌｧｲﾙ名"},
            {"Label3", {10, 70, 100, 20}, "ｵﾌﾟｼｮﾝ"},      {"Label4", {10, 100, 100, 20}, "実行ﾃﾞｨﾚｸﾄﾘ"},
            {"Label5", {10, 130, 100, 20}, "起動ｼｮｰﾄｶｯﾄ"}, {"Edit1", {120, 5, 430, 26}, nullptr},
            {"Edit2", {120, 35, 320, 26}, nullptr},        {"Edit3", {120, 65, 430, 26}, nullptr},
            {"Edit4", {120, 95, 430, 26}, nullptr},        {"Edit5", {120, 125, 30, 26}, nullptr},
            {"BtnOk", {330, 125, 100, 25}, "OK(&O)"},      {"BtnCansel", {450, 125, 100, 25}, "ｷｬﾝｾﾙ"},
            {"BtnRef", {450, 35, 100, 25}, "参照(&B)..."}});
        // No length limit of our own on a field.
        QCOMPARE(f.Edit1->maxLength(), QLineEdit().maxLength());
    }

    void tabOrder()
    {
        Editor e;
        e.show();
        QCOMPARE(QApplication::focusWidget(), e.form->Edit1);
        expectTabOrder(*e.form, {"Edit1", "Edit2", "Edit3", "Edit4", "Edit5", "BtnOk", "BtnCansel", "BtnRef"});
    }

    void storesAllFieldsOnOk()
    {
        Editor e;
        e.form->setFields({"", "", "", "", ""});
        e.show();
        QTest::keyClicks(e.form->Edit1, "Viewer");
        QTest::keyClicks(e.form->Edit2, "/usr/bin/view");
        QTest::keyClicks(e.form->Edit3, "%f");
        QTest::mouseClick(e.form->BtnOk, Qt::LeftButton);
        QVERIFY(!e.form->isVisible());
        QCOMPARE(e.form->result(), int(QDialog::Accepted));
        QCOMPARE(e.row(), (LauncherEntry{"Viewer", "/usr/bin/view", "%f", "", " "}));
        QVERIFY(e.prompter.prompts.empty());
    }

    void titleOnlyIsStoredThenCancel()
    {
        Editor e;
        e.form->setFields({"", "", "", "", ""});
        e.show();
        QTest::keyClicks(e.form->Edit1, "New");
        QTest::mouseClick(e.form->BtnOk, Qt::LeftButton);
        QVERIFY(e.form->isVisible());
        QCOMPARE(e.prompter.prompts.size(), std::size_t(1));
        QCOMPARE(e.prompter.prompts[0],
                 (RecordedPrompt{fixedText("    実行ファイル名は必ず指定してください。          "), PromptKind::Warning, PbOk}));
        QTest::mouseClick(e.form->BtnCansel, Qt::LeftButton);
        QVERIFY(!e.form->isVisible());
        QCOMPARE(e.row(), (LauncherEntry{"New", "/bin/old", "-o", "/old", "O"}));
    }

    void missingTitleStoresNothing()
    {
        Editor e;
        e.form->setFields({"", "/bin/x", "", "", ""});
        e.show();
        QTest::mouseClick(e.form->BtnOk, Qt::LeftButton);
        QVERIFY(e.form->isVisible());
        QCOMPARE(e.prompter.prompts.size(), std::size_t(1));
        QCOMPARE(e.prompter.prompts[0].text, fixedText("    タイトル名は必ず指定してください。          "));
        QCOMPARE(e.row().ProgTitle, Text("Old"));
    }

    void enterInAFieldDoesNothingEscapeCloses()
    {
        Editor e;
        e.form->setFields({"T", "/bin/t", "", "", ""});
        e.show();
        for (QLineEdit* edit : {e.form->Edit1, e.form->Edit2, e.form->Edit5}) {
            QTest::keyClick(edit, Qt::Key_Return);
            QTest::keyClick(edit, Qt::Key_Enter, Qt::KeypadModifier);
        }
        QVERIFY(e.form->isVisible());
        QCOMPARE(e.row().ProgTitle, Text("Old"));
        QTest::keyClick(e.form->Edit3, Qt::Key_Escape);
        QVERIFY(!e.form->isVisible());
        QCOMPARE(e.form->result(), int(QDialog::Rejected));
        QCOMPARE(e.row().ProgTitle, Text("Old"));
    }

    void escapeOnAButtonClosesEnterPressesIt()
    {
        {
            Editor e;
            e.form->setFields({"T", "/bin/t", "", "", ""});
            e.show();
            QTest::keyClick(e.form->BtnRef, Qt::Key_Escape);
            QVERIFY(!e.form->isVisible());
        }
        {
            Editor e;
            e.form->setFields({"T", "/bin/t", "", "", ""});
            e.show();
            e.form->BtnOk->setFocus();
            QTest::keyClick(e.form->BtnOk, Qt::Key_Return);
            QVERIFY(!e.form->isVisible());
            QCOMPARE(e.row().ProgTitle, Text("T"));
        }
    }

    void shortcutOfOneBlankIsShownAsIs()
    {
        // The caller shows a stored " " as empty; the editor shows what it gets.
        Editor e;
        e.form->setFields({"T", "/bin/t", "", "", "*"});
        QCOMPARE(e.form->Edit5->text(), QStringLiteral("*"));
    }

    void browseFillsTheFields_data()
    {
        QTest::addColumn<QString>("typedTitle");
        QTest::addColumn<QByteArray>("chosen");
        QTest::addColumn<QString>("title");
        QTest::addColumn<QString>("program");
        QTest::addColumn<QString>("directory");
        QTest::newRow("empty title") << QString() << QByteArray("/opt/tools/VIEW.EXE") << u("VIEW.EXE")
                                     << u("/opt/tools/VIEW.EXE") << u("/opt/tools");
        QTest::newRow("typed title kept") << u("Mine") << QByteArray("/opt/tools/view") << u("Mine")
                                          << u("/opt/tools/view") << u("/opt/tools");
        QTest::newRow("root directory") << QString() << QByteArray("/VIEW.EXE") << u("VIEW.EXE")
                                        << u("/VIEW.EXE") << u("/");
    }
    void browseFillsTheFields()
    {
        QFETCH(QString, typedTitle);
        QFETCH(QByteArray, chosen);
        QFETCH(QString, title);
        QFETCH(QString, program);
        QFETCH(QString, directory);
        Editor e;
        e.form->setFields({"", "/old", "%f", "/old", "K"});
        e.form->Edit1->setText(typedTitle);
        e.files.answer = chosen.toStdString();
        QTest::mouseClick(e.form->BtnRef, Qt::LeftButton);
        QCOMPARE(e.files.calls, 1);
        QCOMPARE(e.files.filter, launcherProgramFilter());
        QCOMPARE(e.form->Edit1->text(), title);
        QCOMPARE(e.form->Edit2->text(), program);
        QCOMPARE(e.form->Edit3->text(), QString());
        QCOMPARE(e.form->Edit4->text(), directory);
        QCOMPARE(e.form->Edit5->text(), u("K"));
    }

    void cancelledBrowseChangesNothing()
    {
        Editor e;
        e.form->setFields({"", "/old", "%f", "/old", "K"});
        QTest::mouseClick(e.form->BtnRef, Qt::LeftButton);
        QCOMPARE(e.files.calls, 1);
        QCOMPARE(e.form->Edit1->text(), QString());
        QCOMPARE(e.form->Edit2->text(), u("/old"));
        QCOMPARE(e.form->Edit3->text(), u("%f"));
        QCOMPARE(e.form->Edit4->text(), u("/old"));
    }

    void filterText()
    {
        QCOMPARE(launcherProgramFilter(),
                 u("実行ﾌｧｲﾙ(EXE ; COM)|*.EXE;*.COM|実行ﾌｧｲﾙ(PIF ; BAT ; LNK)|*.PIF;*.BAT;*.LNK|"
                   "全ﾌｧｲﾙ(*.*)|*.*"));
        const QStringList filters = qtNameFilters(launcherProgramFilter());
        QCOMPARE(filters, (QStringList{u("実行ﾌｧｲﾙ(EXE ; COM) (*.[Ee][Xx][Ee] *.[Cc][Oo][Mm])"),
                                       u("実行ﾌｧｲﾙ(PIF ; BAT ; LNK) (*.[Pp][Ii][Ff] *.[Bb][Aa][Tt] "
                                         "*.[Ll][Nn][Kk])"),
                                       u("全ﾌｧｲﾙ(*.*) (*)")}));
    }

    void filterPatternsIgnoreLetterCase_data()
    {
        QTest::addColumn<int>("filter");
        QTest::addColumn<QString>("name");
        QTest::addColumn<bool>("matches");
        QTest::newRow("upper exe") << 0 << u("VIEW.EXE") << true;
        QTest::newRow("lower exe") << 0 << u("view.exe") << true;
        QTest::newRow("mixed com") << 0 << u("Run.Com") << true;
        QTest::newRow("script not exe") << 0 << u("run.sh") << false;
        QTest::newRow("lower bat") << 1 << u("go.bat") << true;
        QTest::newRow("lnk") << 1 << u("x.LnK") << true;
        QTest::newRow("all with period") << 2 << u("notes.txt") << true;
        QTest::newRow("all without period") << 2 << u("mousepad") << true;
    }
    void filterPatternsIgnoreLetterCase()
    {
        QFETCH(int, filter);
        QFETCH(QString, name);
        QFETCH(bool, matches);
        const QString f = qtNameFilters(launcherProgramFilter()).at(filter);
        const QString patterns = f.mid(f.lastIndexOf(QLatin1Char('(')) + 1).chopped(1);
        bool any = false;
        for (const QString& p : patterns.split(QLatin1Char(' '))) {
            // Matched as Qt's file dialog matches, but case-sensitive, as a
            // native dialog may.
            const QRegularExpression re(QRegularExpression::wildcardToRegularExpression(p));
            any = any || re.match(name).hasMatch();
        }
        QCOMPARE(any, matches);
    }

    void dialogShowsProgramsFirstThenTheThreeFilters()
    {
        TempDir dir;
        const std::string program = dir.write("tool");
        ::chmod(program.c_str(), 0755);
        const std::string script = dir.write("group-only.sh");
        ::chmod(script.c_str(), 0610);
        dir.write("notes.txt");
        std::filesystem::create_directory(dir.path() / "sub");

        QFileDialog dialog;
        prepareFileDialog(dialog, launcherProgramFilter());
        const QStringList three = qtNameFilters(launcherProgramFilter());
        QCOMPARE(dialog.nameFilters(), QStringList{executableNameFilter()} + three);
        QVERIFY(executableNameFilter().startsWith(dialog.selectedNameFilter()));
        QCOMPARE(executableNameFilter(), u("実行ﾌﾟﾛｸﾞﾗﾑ(実行属性) (*)"));

        dialog.setDirectory(QString::fromStdString(dir.path().string()));
        dialog.show();
        auto* view = dialog.findChild<QAbstractItemView*>(QStringLiteral("listView"));
        QVERIFY(view);
        auto shown = [view] {
            QStringList names;
            const QModelIndex root = view->rootIndex();
            for (int r = 0; r < view->model()->rowCount(root); ++r)
                names << view->model()->index(r, 0, root).data().toString();
            names.sort();
            return names;
        };
        QTRY_COMPARE(shown(), (QStringList{u("group-only.sh"), u("sub"), u("tool")}));
        auto* types = dialog.findChild<QComboBox*>(QStringLiteral("fileTypeCombo"));
        QVERIFY(types);
        types->setCurrentIndex(2);
        QTest::keyClick(types, Qt::Key_Down);  // the user picks 全ﾌｧｲﾙ(*.*)
        QTRY_COMPARE(shown(), (QStringList{u("group-only.sh"), u("notes.txt"), u("sub"), u("tool")}));
        types->setCurrentIndex(1);
        QTest::keyClick(types, Qt::Key_Up);
        QTRY_COMPARE(shown(), (QStringList{u("group-only.sh"), u("sub"), u("tool")}));
    }

    void unchangedFieldKeepsItsBytes()
    {
        // A byte that does not decode is shown as a replacement character
        // but stored back exactly when the field is not edited.
        Editor e;
        e.form->setFields({"T\xFF", "/bin/\xFE", "", "", ""});
        QTest::mouseClick(e.form->BtnOk, Qt::LeftButton);
        QCOMPARE(e.row().ProgTitle, Text("T\xFF"));
        QCOMPARE(e.row().ProgName, Text("/bin/\xFE"));
    }

    void shiftJisFieldsRoundTrip()
    {
        const CodePage saved = activeCodePage();
        setActiveCodePage(CodePage::Cp932);
        Editor e;
        e.form->setFields({"\x83\x81\x83\x82", "/bin/\x95\x5C", "", "", ""});  // メモ, /bin/表
        QCOMPARE(e.form->Edit1->text(), u("メモ"));
        e.form->Edit3->setText(u("表示"));
        QTest::mouseClick(e.form->BtnOk, Qt::LeftButton);
        const LauncherEntry row = e.row();
        setActiveCodePage(saved);
        QCOMPARE(row, (LauncherEntry{"\x83\x81\x83\x82", "/bin/\x95\x5C", "\x95\x5C\x8E\xA6", "", " "}));
    }

    void characterOutsideTheCodePageIsRefused()
    {
        const CodePage saved = activeCodePage();
        setActiveCodePage(CodePage::Cp932);
        Editor e;
        e.form->setFields({"", "/bin/x", "", "", ""});
        e.form->show();
        e.form->Edit1->setText(u("😀"));
        QTest::mouseClick(e.form->BtnOk, Qt::LeftButton);
        const bool visible = e.form->isVisible();
        const Text expected = fixedText("    使用できない文字が含まれています。          ");
        setActiveCodePage(saved);
        QVERIFY(visible);
        QCOMPARE(e.prompter.prompts.size(), std::size_t(1));
        QCOMPARE(e.prompter.prompts[0].text, expected);
        QCOMPARE(e.row().ProgTitle, Text("Old"));
    }
};

QTEST_MAIN(ApliEditTest)
#include "ApliEdit_test.moc"
