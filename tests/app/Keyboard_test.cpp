// Every window driven by the keyboard alone: Tab to a button, then Enter or
// Space presses it; Escape and access keys as the windows define them.
#include "app/Dbcsset.h"
#include "launcher/Apliexe.h"
#include "launcher/Apliset.h"
#include "launcher/launcher_view_support.h"
#include "rename/Extchg.h"
#include "rename/Preview.h"
#include "ui/extent_list.h"
#include "report/Confirm.h"
#include "support/main_window_fixture.h"
#include "support/no_host.h"

#include <QApplication>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QtTest>

namespace {

// The windows under test with everything they need.
struct Windows {
    MainWindowFixture main;
    ScriptedPrompter prompter;
    PlannedFileChooser files;
    Session session;
    NoHost host;
    LauncherState launcher;
    std::int32_t mode = 3;
    int launcherRuns = 0;
    std::unique_ptr<IniFile> settings;
    std::unique_ptr<QWidget> owned;

    QWidget* open(const QString& name)
    {
        if (name == QLatin1String("TForm1")) {
            main.dir.write("vorel.INI", "[ProgTitle]\r\n");
            return &main.start();
        }
        if (name == QLatin1String("TForm2")) owned = std::make_unique<TForm2>(mode);
        if (name == QLatin1String("TForm3"))
            owned = std::make_unique<TForm3>(session, host, prompter, systemFileSystem());
        if (name == QLatin1String("TForm6"))
            owned = std::make_unique<TForm6>([this](QWidget*, const Text&) { ++launcherRuns; });
        if (name == QLatin1String("TForm11")) {
            settings = std::make_unique<IniFile>(main.settingsPath());
            owned = std::make_unique<TForm11>(launcher, *settings, prompter, files);
        }
        if (name == QLatin1String("TForm12")) {
            launcher.WorkCopy = LauncherWorkCopy::fromTable(launcher.Table);
            owned = std::make_unique<TForm12>(launcher, prompter, files);
        }
        if (name == QLatin1String("TForm13")) owned = std::make_unique<TForm13>(launcher);
        return owned.get();
    }
};

// "@Name" tabs to the control of that name, "@" puts the focus on the window
// itself; "Return", "Space", "Escape", "Alt+X" press keys on the focused
// control.
void type(QWidget* window, const QStringList& keys)
{
    QWidget* target = nullptr;  // the focused control unless "@"
    for (const QString& k : keys) {
        if (!window->isVisible()) return;
        if (k == QLatin1String("@")) {
            window->setFocus();
            target = window;
            continue;
        }
        if (k.startsWith(QLatin1Char('@'))) {
            for (int i = 0; i < 40 && QApplication::focusWidget()->objectName() != k.mid(1); ++i)
                QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
            QCOMPARE(QApplication::focusWidget()->objectName(), k.mid(1));
            continue;
        }
        const QKeySequence sequence(k);
        const QKeyCombination combination = sequence[0];
        QTest::keyClick(target ? target : QApplication::focusWidget(), combination.key(),
                        combination.keyboardModifiers());
    }
}

}  // namespace

class KeyboardTest : public QObject {
    Q_OBJECT
private slots:
    void drive_data()
    {
        QTest::addColumn<QString>("window");
        QTest::addColumn<QStringList>("keys");
        QTest::addColumn<QStringList>("pressed");
        QTest::addColumn<bool>("open");
        QTest::addColumn<int>("mode");  // the warning mode afterwards, 3 at first
        auto row = [](const char* label, const char* window, QStringList keys, QStringList pressed,
                      bool open, int mode = 3) {
            QTest::newRow(label) << QString::fromLatin1(window) << keys << pressed << open << mode;
        };
        row("main: exit button by Enter", "TForm1", {"@BtnCansel", "Return"}, {"BtnCansel"}, false);
        row("main: confirmation by Enter", "TForm1", {"@BtnConfirm", "Return"}, {"BtnConfirm"}, true);
        row("main: lower case by Space", "TForm1", {"@BtnLower", "Space"}, {"BtnLower"}, true);
        row("main: Escape", "TForm1", {"@BtnExt", "Escape"}, {}, false);
        row("warning mode: save by Enter", "TForm2", {"@BtnSave", "Return"}, {"BtnSave"}, false);
        row("warning mode: cancel by Space", "TForm2", {"@BtnCansel", "Space"}, {"BtnCansel"}, false);
        row("warning mode: Escape", "TForm2", {"Escape"}, {}, false);
        // The focus starts on the mode in force; an access key acts at once.
        row("warning mode: Down moves the choice", "TForm2", {"Down", "Alt+S"}, {"BtnSave"}, false, 1);
        row("warning mode: Up moves the choice", "TForm2", {"Up", "Alt+S"}, {"BtnSave"}, false, 2);
        row("extended: add by Enter", "TForm3", {"@BtnStartAdd", "Return"}, {"BtnStartAdd"}, true);
        row("extended: cancel by Enter", "TForm3", {"@BtnCansel", "Return"}, {"BtnCansel"}, false);
        row("extended: access key", "TForm3", {"Alt+U"}, {"BtnUpper"}, true);
        row("report: launcher by Enter", "TForm6", {"Return"}, {"BtnLauncherRun"}, true);
        row("report: cancel by Enter", "TForm6", {"@BtnCansel", "Return"}, {"BtnCansel"}, false);
        row("report: access key", "TForm6", {"Alt+K"}, {"BtnLauncherRun"}, true);
        row("launcher setup: up by Enter", "TForm11", {"@BtnUp", "Return"}, {"BtnUp"}, true);
        row("launcher setup: OK by Space", "TForm11", {"@BtnOk", "Space"}, {"BtnOk"}, false);
        row("launcher setup: cancel by Enter", "TForm11", {"@BtnCansel", "Return"}, {"BtnCansel"}, false);
        row("launcher editor: OK by Enter", "TForm12", {"@BtnOk", "Return"}, {"BtnOk"}, true);
        row("launcher editor: browse by Enter", "TForm12", {"@BtnRef", "Return"}, {"BtnRef"}, true);
        row("launcher editor: Escape", "TForm12", {"Escape"}, {}, false);
        row("run chooser: run by Enter", "TForm13", {"@BtnOk", "Return"}, {"BtnOk"}, false);
        row("run chooser: cancel by Enter", "TForm13", {"@BtnCansel", "Return"}, {"BtnCansel"}, false);
        // Escape closes from every control; Backspace too where the window says so, not in a field.
        const auto closing = [&](const char* name, const char* window, QStringList at, QStringList keys) {
            for (const QString& c : at)
                for (const QString& k : keys)
                    row(qPrintable(QStringLiteral("%1: %2 at %3").arg(name, k, c)), window, {c, k}, {}, false);
        };
        closing("main", "TForm1", {"@ListBox1", "@BtnConfirm", "@BtnUpper"}, {"Escape", "Backspace"});
        closing("report", "TForm6", {"@ListBox1", "@BtnLauncherRun", "@BtnCansel"}, {"Escape", "Backspace"});
        closing("extended", "TForm3", {"@Edit1", "@Edit5", "@BtnStartAdd", "@BtnAllLower", "@BtnCansel", "@"},
                {"Escape"});
        closing("extended", "TForm3", {"@BtnStartAdd", "@BtnAllstartAdd", "@BtnUpper", "@BtnCansel", "@"},
                {"Backspace"});
        row("extended: Backspace in a field", "TForm3", {"@Edit3", "Backspace"}, {}, true);
        row("launcher editor: Backspace in a field", "TForm12", {"@Edit2", "Backspace"}, {}, true);
        row("run chooser: Backspace kept", "TForm13", {"@BtnOk", "Backspace"}, {}, true);
    }
    void drive()
    {
        QFETCH(QString, window);
        QFETCH(QStringList, keys);
        QFETCH(QStringList, pressed);
        QFETCH(bool, open);
        QFETCH(int, mode);
        Windows windows;
        QWidget* w = windows.open(window);
        QStringList got;
        for (QPushButton* b : w->findChildren<QPushButton*>())
            connect(b, &QPushButton::pressed, this, [&got, b] { got << b->objectName(); });
        w->show();
        QVERIFY(QTest::qWaitForWindowActive(w));
        type(w, keys);
        QCOMPARE(got, pressed);
        QCOMPARE(w->isVisible(), open);
        QCOMPARE(windows.mode, mode);
        QCOMPARE(windows.launcherRuns, pressed == QStringList{"BtnLauncherRun"} ? 1 : 0);
    }
    // The preview turned on from the menu, upper case, a conflict seen,
    // cancelled: nothing renamed, and the setting kept at exit.
    void previewConflictCancelled()
    {
        MainWindowFixture main;
        main.dir.write("vorel.INI", "[ProgTitle]\r\n");
        const Text marked = main.dir.write("a.txt");
        main.dir.write("A.TXT");
        TForm1& form = main.start({marked});
        form.show();
        QVERIFY(QTest::qWaitForWindowActive(&form));
        QTest::keyClick(&form, Qt::Key_K, Qt::AltModifier);
        QTRY_VERIFY(QApplication::activePopupWidget());
        QTest::keyClick(QApplication::activePopupWidget(), Qt::Key_P);
        QVERIFY(form.MenuPreviewSet->isChecked());

        QString seen;
        QTimer poll;
        connect(&poll, &QTimer::timeout, &form, [&seen, &poll] {
            auto* preview = qobject_cast<TForm7*>(QApplication::activeModalWidget());
            if (!preview || !preview->isActiveWindow()) return;
            poll.stop();
            seen = preview->windowTitle() + "|" + preview->Label1->text() + "|" +
                   QApplication::focusWidget()->objectName() + "|" +
                   QString::number(preview->ListBox1->currentRow()) + "|" +
                   QString::fromStdString(preview->ListBox1->line(2));
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape);
        });
        poll.start(10);
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_U, Qt::AltModifier);
        QTRY_COMPARE(seen, QString::fromUtf8("Vorel (変換プレビュー)|1 件中、問題 1 件|BtnCansel|2|"
                                         "=== 既存のファイルと同じ名前 ==="));
        QCOMPARE(namesIn(main.dir.path()), (std::vector<std::string>{"A.TXT", "a.txt", "vorel.INI"}));
        QVERIFY(form.session.ResultList.empty());
        QVERIFY(form.BtnUpper->isEnabled());
        main.finish();
        QVERIFY(TempDir::read(main.settingsPath()).find("[Preview]\r\nSet=1\r\n") != std::string::npos);
    }
};

QTEST_MAIN(KeyboardTest)
#include "Keyboard_test.moc"
