// The report view: layout, keys, the launcher button, and the confirmation
// command as the main window runs it.
#include "report/Confirm.h"

#include "report/report.h"

#include "platform/app_error.h"
#include "platform/codepage.h"
#include "support/layout_expect.h"
#include "support/scripted_prompter.h"
#include "support/temp_dir.h"
#include "ui/extent_list.h"
#include "ui/form_layout.h"
#include "ui/list_style.h"

#include <QApplication>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QScrollBar>
#include <QTimer>
#include <QtTest>

#include <filesystem>
#include <list>
#include <sys/stat.h>

namespace {

QString u(const char* utf8)
{
    return QString::fromUtf8(utf8);
}

// Fills the view with the report groups of the lists, which the view reads
// while it shows them: they are kept until the test program ends.
void fill(TForm6& form, const StringList& source, const StringList& result = {},
          const StringList& report = {})
{
    static std::list<StringList> kept;
    for (const StringList* list : {&source, &result, &report}) kept.push_back(*list);
    auto it = std::prev(kept.end(), 3);
    const StringList& s = *it++;
    const StringList& r = *it++;
    form.fillList(ReportLines(s, r, *it));
}

QString lineOf(const ExtentListView* list, int row)
{
    return list->model()->index(row, 0).data().toString();
}

ListSettings plainSettings()
{
    return {"DejaVu Sans", "14", "$000000FF", "$0000FFFF"};
}

// What a modal report view held while it was shown.
struct SeenView {
    bool shown = false;
    QString title;
    QStringList lines;
    QFont listFont;
    QPalette listPalette;
    QPoint position;
    QSize outerSize;
    QString focus;
};

// Runs the confirmation command; a view that comes up is recorded and
// closed with Escape from its list.
struct Confirmation {
    TempDir dir;
    ScriptedPrompter prompter;
    Session session;
    ListSettings settings = plainSettings();
    SeenView seen;

    std::string reportPath() const { return dir.file("vorel.TXT"); }

    void run(const std::string& report = {})
    {
        // Timers still pending when the command returns die with the guard.
        QObject guard;
        std::function<void()> watch = [&] {
            auto* form = qobject_cast<TForm6*>(QApplication::activeModalWidget());
            if (!form) {
                QTimer::singleShot(10, &guard, watch);
                return;
            }
            seen.shown = true;
            seen.title = form->windowTitle();
            for (int i = 0; i < form->ListBox1->count(); ++i)
                seen.lines << lineOf(form->ListBox1, i);
            seen.listFont = form->ListBox1->font();
            seen.listPalette = form->ListBox1->palette();
            seen.position = form->pos();
            seen.outerSize = form->frameGeometry().size();
            if (QWidget* w = form->focusWidget()) seen.focus = w->objectName();
            QTest::keyClick(form->ListBox1, Qt::Key_Escape);
        };
        QTimer::singleShot(0, &guard, watch);
        runConfirmation(nullptr, session, settings, systemFileSystem(), prompter,
                        report.empty() ? reportPath() : report, {});
    }
};

}  // namespace

class ConfirmTest : public QObject {
    Q_OBJECT
private slots:
    void init() { setActiveCodePage(CodePage::Utf8); }

    void captionsLayoutAndTabOrder()
    {
        TForm6 form({});
        QCOMPARE(form.objectName(), QStringLiteral("TForm6"));
        QCOMPARE(form.windowTitle(), u("Vorel (変換確認)"));
        QCOMPARE(form.size(), QSize(622, 353));
        QCOMPARE(form.minimumSize(), QSize(622, 353));  // larger only: the list grows
        form.show();
        form.resize(722, 373);
        QCOMPARE(form.ListBox1->geometry(), QRect(5, 65, 712, 300));
        form.resize(622, 353);
        QCOMPARE(form.font().family(), QStringLiteral("System"));
        QCOMPARE(form.font().pixelSize(), 15);  // an em of 15 pixels: a 19-pixel character cell

        expectControls(form, {{"Label1", {20, 5, 200, 20}, "変換前のファイル名"},
                              {"Label2", {20, 25, 200, 20}, "変換指示のファイル名"},
                              {"Label3", {20, 45, 200, 20}, "変換後のファイル名"},
                              {"BtnLauncherRun", {345, 17, 130, 31}, "ﾗﾝﾁｬｰ起動(&K)..."},
                              {"BtnCansel", {485, 17, 130, 30}, "ｷｬﾝｾﾙ"},
                              {"ListBox1", {5, 65, 612, 280}}});
        QVERIFY(form.findChild<ExtentListView*>("ListBox1"));
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        QCOMPARE(QApplication::focusWidget(), static_cast<QWidget*>(form.BtnLauncherRun));
        expectTabOrder(form, {"BtnLauncherRun", "BtnCansel", "ListBox1"});
    }

    // Each label draws all of its text within its 20 pixels at the window
    // font: drawn taller, the same label shows no more ink.
    void labelsAreNotClippedAtTheWindowFont()
    {
        TForm6 form({});
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        auto inkOf = [](QLabel* label) {
            const QImage image = label->grab().toImage();
            int ink = 0;
            for (int y = 0; y < image.height(); ++y)
                for (int x = 0; x < image.width(); ++x) ink += qGray(image.pixel(x, y)) < 128;
            return ink;
        };
        for (QLabel* label : {form.Label1, form.Label2, form.Label3}) {
            QCOMPARE(label->height(), 20);
            const int designed = inkOf(label);
            QVERIFY(designed > 0);
            label->resize(label->width(), 40);
            QCOMPARE(inkOf(label), designed);
            label->resize(label->width(), 20);
        }
        // The list below starts where the last label ends.
        QCOMPARE(form.Label3->geometry().bottom() + 1, form.ListBox1->geometry().top());
    }

    void listScrollsSidewaysFiveTimesItsWidth()
    {
        TForm6 form({});
        fill(form, {"/short", "/another"});
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        QCOMPARE(form.ListBox1->horizontalExtent(), 3060);
        QScrollBar* bar = form.ListBox1->horizontalScrollBar();
        QTRY_COMPARE(bar->maximum(), 3060 - form.ListBox1->viewport()->width());
        QVERIFY(bar->isVisible());
        // A font set later does not change the extent.
        ListSettings big = plainSettings();
        big.ListFontSize = "30";
        applyListSettings(form.ListBox1, big);
        QTRY_COMPARE(bar->maximum(), 3060 - form.ListBox1->viewport()->width());
        // Its lines grow with it, one under the other.
        const int spacing = form.ListBox1->fontMetrics().lineSpacing();
        QVERIFY(spacing > 18);
        QCOMPARE(form.ListBox1->lineHeight(), spacing);
        QTRY_COMPARE(form.ListBox1->visualRect(form.ListBox1->model()->index(1, 0)).top(), spacing);
    }

    // Whatever moves the current line, the list stops with a whole line at
    // its top and the current line wholly in view.
    void listStopsAtWholeLines()
    {
        TForm6 form({});
        StringList paths;
        for (int i = 0; i < 100; ++i) paths.push_back("/photo " + std::to_string(i) + ".jpg");
        fill(form, paths, paths);
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        ExtentListView* list = form.ListBox1;
        list->setFocus();
        list->setCurrentRow(0);
        for (const int key : {Qt::Key_Down, Qt::Key_PageDown, Qt::Key_PageDown, Qt::Key_Down, Qt::Key_End,
                              Qt::Key_PageUp, Qt::Key_Up, Qt::Key_Home}) {
            QTest::keyClick(list, Qt::Key(key));
            QCOMPARE(list->verticalScrollBar()->value() % list->lineHeight(), 0);
            const QRect current = list->visualRect(list->currentIndex());
            QVERIFY2(current.top() >= 0 && current.bottom() <= list->viewport()->rect().bottom(),
                     qPrintable(QString::number(key)));
        }
        QCOMPARE(list->currentRow(), 0);
        list->verticalScrollBar()->setValue(list->lineHeight() * 7 + 5);
        QCOMPARE(list->verticalScrollBar()->value(), list->lineHeight() * 8);
    }

    void otherKeysLeaveTheViewOpen()
    {
        TForm6 form({});
        fill(form, {"/a", "/b"});
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        form.ListBox1->setFocus();
        form.ListBox1->setCurrentRow(0);
        QTest::keyClick(form.ListBox1, Qt::Key_Down);
        QTest::keyClick(form.ListBox1, Qt::Key_Delete);
        QVERIFY(form.isVisible());
        QCOMPARE(form.ListBox1->currentRow(), 1);
    }

    void cancelButtonClosesTheView()
    {
        TForm6 form({});
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        QTest::mouseClick(form.BtnCansel, Qt::LeftButton);
        QTRY_VERIFY(!form.isVisible());
    }

    void launcherButtonHandsTheViewAndItsReportToTheLauncher()
    {
        QList<QWidget*> calls;
        TForm6 form([&](QWidget* view, const Text& path) {
            calls << view;
            QCOMPARE(path, Text("/home/ユーザー/vorel.TXT"));
        }, "/home/ユーザー/vorel.TXT");
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        QTest::mouseClick(form.BtnLauncherRun, Qt::LeftButton);
        QCOMPARE(calls, QList<QWidget*>{&form});
        QVERIFY(form.isVisible());  // the view stays open
        form.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&form));
        QTest::keyClick(&form, Qt::Key_K, Qt::AltModifier);
        QTRY_COMPARE(calls.size(), 2);  // the access key clicks when its animation ends
    }

    void listItemsKeepTheLinesBytes()
    {
        setActiveCodePage(CodePage::Cp932);
        TForm6 form({});
        const std::string sjis = "/d/\x83\x5C\x95\x5C.TXT";
        fill(form, {sjis}, {"/d/a\nb"});
        QCOMPARE(form.ListBox1->count(), 4);
        QCOMPARE(lineOf(form.ListBox1, 0), u("/d/ソ表.TXT"));
        QCOMPARE(form.ListBox1->model()->index(0, 0).data(Qt::UserRole).toByteArray().toStdString(), sjis);
        QCOMPARE(form.ListBox1->line(0), sjis);
        QCOMPARE(lineOf(form.ListBox1, 1), QStringLiteral("/d/a\\nb"));  // as in the file
        QCOMPARE(lineOf(form.ListBox1, 2), QString());
        QCOMPARE(lineOf(form.ListBox1, 3), QString());
    }

    void confirmationShowsTheReportInTheMainWindowsListLook()
    {
        Confirmation c;
        c.dir.write("A.TXT");
        c.session.SourceList = {c.dir.file("a.txt"), c.dir.file("b"), c.dir.file("c")};
        c.session.ResultList = {c.dir.file("A.TXT"), "=== 変換失敗 ==="};
        c.run();

        QVERIFY(c.seen.shown);
        QCOMPARE(c.seen.title, u("Vorel (変換確認)"));
        const QString a = QString::fromStdString(c.dir.file("a.txt"));
        const QString upper = QString::fromStdString(c.dir.file("A.TXT"));
        const QStringList expected = {a, upper, upper, QString(),
                                      QString::fromStdString(c.dir.file("b")), u("=== 変換失敗 ==="),
                                      u(" == ファイル無 =="), QString(),
                                      QString::fromStdString(c.dir.file("c")), QString(), QString(),
                                      QString()};
        QCOMPARE(c.seen.lines, expected);
        QVERIFY(c.prompter.prompts.empty());
        QVERIFY(std::filesystem::exists(c.reportPath()));
        QCOMPARE(QApplication::topLevelWidgets().count(), 0);  // the view is gone

        // The same look as the main window's list with the same settings.
        ExtentListView reference;
        applyListSettings(&reference, c.settings);
        QCOMPARE(c.seen.listFont.family(), reference.font().family());
        QCOMPARE(c.seen.listFont.pixelSize(), reference.font().pixelSize());
        QCOMPARE(c.seen.listPalette.color(QPalette::Text), QColor(255, 0, 0));
        QCOMPARE(c.seen.listPalette.color(QPalette::Base), QColor(255, 255, 0));
        QCOMPARE(c.seen.focus, QStringLiteral("BtnLauncherRun"));

        // Centred on the primary screen.
        const QSize screen = QGuiApplication::primaryScreen()->geometry().size();
        QCOMPARE(c.seen.position, centredPosition(c.seen.outerSize, screen) +
                                      QGuiApplication::primaryScreen()->geometry().topLeft());
    }

    void nothingToReportShowsNoView()
    {
        Confirmation c;
        c.session.SourceList = {c.dir.file("a")};
        c.run();
        QVERIFY(!c.seen.shown);
        QCOMPARE(c.prompter.prompts.size(), size_t(1));
        QCOMPARE(c.prompter.prompts[0].text, fixedText("   ファイル変換がされていません。   "));
        QVERIFY(!std::filesystem::exists(c.reportPath()));
        QCOMPARE(QApplication::topLevelWidgets().count(), 0);
    }

    void unwritableReportShowsTheWarningAndNoView_data()
    {
        QTest::addColumn<int>("place");
        QTest::newRow("inside a regular file") << 0;
        QTest::newRow("a FIFO") << 1;  // never waited on
        QTest::newRow("a link to /dev/null") << 2;
    }

    void unwritableReportShowsTheWarningAndNoView()
    {
        QFETCH(int, place);
        Confirmation c;
        c.dir.write("plain");
        c.session.SourceList = {c.dir.file("a")};
        c.session.ResultList = {c.dir.file("A")};
        if (place == 0) {
            c.run(c.dir.file("plain") + "/vorel.TXT");  // a report "inside" a regular file
        } else {
            if (place == 1) QCOMPARE(::mkfifo(c.reportPath().c_str(), 0644), 0);
            else std::filesystem::create_symlink("/dev/null", c.reportPath());
            c.run();
        }
        QVERIFY(!c.seen.shown);
        QCOMPARE(c.prompter.prompts.size(), size_t(1));
        QCOMPARE(c.prompter.prompts[0],
                 (RecordedPrompt{fixedText("   ファイルに保存できませんでした。          "), PromptKind::Warning, PbAbort}));
        QCOMPARE(c.session.ReportList, StringList{c.dir.path().string() + "/ == ファイル無 =="});
        QCOMPARE(QApplication::topLevelWidgets().count(), 0);
    }

    void listSettingThatDoesNotParseEscapesToTheCaller()
    {
        Confirmation c;
        c.settings.ListFontSize = "abc";
        c.session.SourceList = {c.dir.file("a")};
        c.session.ResultList = {c.dir.file("A")};
        QVERIFY_THROWS_EXCEPTION(AppError, c.run());
        QVERIFY(!c.seen.shown);
        QVERIFY(c.prompter.prompts.empty());
        QVERIFY(!std::filesystem::exists(c.reportPath()));
        QCOMPARE(c.session.ReportList.size(), size_t(1));
        QCOMPARE(QApplication::topLevelWidgets().count(), 0);
    }
};

QTEST_MAIN(ConfirmTest)
#include "Confirm_test.moc"
