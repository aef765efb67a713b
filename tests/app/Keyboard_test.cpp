// Every window driven by the keyboard alone: Tab to a button, then Enter or
// Space presses it; Escape and access keys as the windows define them.
#include "app/Dbcsset.h"
#include "launcher/Apliexe.h"
#include "launcher/Apliset.h"
#include "launcher/launcher_view_support.h"
#include "rename/Extchg.h"
#include "report/Confirm.h"
#include "support/main_window_fixture.h"
#include "support/no_host.h"

#include <QApplication>
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
            owned = std::make_unique<TForm6>([this](QWidget*) { ++launcherRuns; });
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

// "@Name" tabs to the control of that name; "Return", "Space", "Escape",
// "Alt+X" press keys on the focused control.
void type(QWidget* window, const QStringList& keys)
{
    for (const QString& k : keys) {
        if (!window->isVisible()) return;
        if (k.startsWith(QLatin1Char('@'))) {
            for (int i = 0; i < 40 && QApplication::focusWidget()->objectName() != k.mid(1); ++i)
                QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
            QCOMPARE(QApplication::focusWidget()->objectName(), k.mid(1));
            continue;
        }
        const QKeySequence sequence(k);
        const QKeyCombination combination = sequence[0];
        QTest::keyClick(QApplication::focusWidget(), combination.key(),
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
        auto row = [](const char* label, const char* window, QStringList keys, QStringList pressed,
                      bool open) {
            QTest::newRow(label) << QString::fromLatin1(window) << keys << pressed << open;
        };
        row("main: exit button by Enter", "TForm1", {"@BtnCansel", "Return"}, {"BtnCansel"}, false);
        row("main: confirmation by Enter", "TForm1", {"@BtnConfirm", "Return"}, {"BtnConfirm"}, true);
        row("main: lower case by Space", "TForm1", {"@BtnLower", "Space"}, {"BtnLower"}, true);
        row("main: Escape", "TForm1", {"@BtnExt", "Escape"}, {}, false);
        row("warning mode: save by Enter", "TForm2", {"@BtnSave", "Return"}, {"BtnSave"}, false);
        row("warning mode: cancel by Space", "TForm2", {"@BtnCansel", "Space"}, {"BtnCansel"}, false);
        row("warning mode: Escape", "TForm2", {"Escape"}, {}, false);
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
    }
    void drive()
    {
        QFETCH(QString, window);
        QFETCH(QStringList, keys);
        QFETCH(QStringList, pressed);
        QFETCH(bool, open);
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
        if (pressed == QStringList{"BtnLauncherRun"}) QTRY_COMPARE(windows.launcherRuns, 1);
    }
};

QTEST_MAIN(KeyboardTest)
#include "Keyboard_test.moc"
