#include "app/Main.h"

#include "app/Dbcsset.h"
#include "launcher/ApliEdit.h"
#include "launcher/Apliexe.h"
#include "launcher/Apliset.h"
#include "platform/process.h"
#include "ui/CaptionProgress.h"
#include "rename/Extchg.h"
#include "rename/Preview.h"
#include "rename/rename_run.h"
#include "report/Confirm.h"
#include "report/report.h"
#include "platform/app_error.h"
#include "platform/codepage.h"
#include "platform/path.h"
#include "platform/window_raise.h"
#include "ui/choosers.h"
#include "ui/dropped_paths.h"
#include "ui/extent_list.h"
#include "ui/form_layout.h"
#include "ui/help_viewer.h"
#include "ui/list_style.h"
#include "ui/qt_text.h"
#include "ui/window_keys.h"

#include <QAction>
#include <QApplication>
#include <QFontDatabase>
#include <QFrame>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QDropEvent>
#include <QMimeData>
#include <QMenuBar>
#include <QPushButton>

namespace {
constexpr int clientWidth = 622;
constexpr int clientHeight = 334;
}  // namespace

TForm1::TForm1(MainServices services, QWidget* parent)
    : QMainWindow(parent), services_(std::move(services))
{
    const QString initialFace = QString::fromUtf8("ＭＳ Ｐゴシック");
    if (QFontDatabase::hasFamily(initialFace)) fontDialogFont_.setFamily(initialFace);
    fontDialogFont_.setPixelSize(12);
    if (!services_.files.journalFile.empty())
        journal_ = std::make_unique<JournalFile>(services_.files.journalFile);
    buildControls();
    buildMenu();
    FormCreate();
}

TForm1::~TForm1()
{
    FormDestroy();
}

template <typename F> void TForm1::guarded(F&& body)
{
    try {
        body();
    } catch (const AppError& error) {
        services_.prompter->showError(error.message());
    }
}

void TForm1::buildControls()
{
    setObjectName(QStringLiteral("TForm1"));
    auto* client = new QWidget(this);
    client->setObjectName(QStringLiteral("ClientArea"));
    setCentralWidget(client);
    setupFixedWindow(client, clientWidth, clientHeight, QString());
    setWindowTitle(uiText("Vorel (ﾒｲﾝ)"));
    setFont(client->font());
    setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                   Qt::WindowCloseButtonHint);

    auto button = [this, client](const char* name, const char* caption, QRect at, void (TForm1::*handler)()) {
        QPushButton* b = makeButton(client, name, uiText(caption), at);
        connect(b, &QPushButton::clicked, this, handler);
        return b;
    };
    BtnUpper = button("BtnUpper", "大文字変換(&U)", {5, 10, 115, 30}, &TForm1::BtnUpperClick);
    BtnLower = button("BtnLower", "小文字変換(&L)", {130, 10, 115, 30}, &TForm1::BtnLowerClick);
    BtnExt = button("BtnExt", "拡張変換(&E)", {255, 10, 115, 31}, &TForm1::BtnExtClick);
    BtnConfirm = button("BtnConfirm", "変換確認(&C)", {380, 10, 115, 31}, &TForm1::BtnConfirmClick);
    BtnCansel = button("BtnCansel", "終了", {505, 10, 110, 30}, &TForm1::BtnCanselClick);
    ListBox1 = new ExtentListView(client);
    ListBox1->setObjectName(QStringLiteral("ListBox1"));
    ListBox1->setGeometry(5, 50, 612, 280);
    Panel1 = new QFrame(client);
    Panel1->setObjectName(QStringLiteral("Panel1"));
    Panel1->setGeometry(0, 0, clientWidth, 2);
    Panel1->setFrameShape(QFrame::Panel);
    Panel1->setFocusPolicy(Qt::NoFocus);

    QWidget* const tabOrder[] = {BtnUpper, BtnLower, BtnExt, BtnConfirm, BtnCansel, ListBox1};
    for (std::size_t i = 1; i < std::size(tabOrder); ++i) QWidget::setTabOrder(tabOrder[i - 1], tabOrder[i]);
    installWindowKeys(this, Backspace::Closes, {},
                      [this](QWidget*, int key, Qt::KeyboardModifiers modifiers) {
                          return FormKeyDown(key, modifiers);
                      });
    BtnUpper->setFocus();
}

void TForm1::buildMenu()
{
    QMenuBar* bar = menuBar();
    bar->setObjectName(QStringLiteral("MainMenu1"));
    auto menu = [bar](const char* name, const char* caption) {
        QMenu* m = bar->addMenu(uiText(caption));
        m->setObjectName(QString::fromLatin1(name));
        return m;
    };
    auto item = [this](QMenu* m, const char* name, const char* caption, void (TForm1::*handler)()) {
        QAction* action = m->addAction(uiText(caption));
        action->setObjectName(QString::fromLatin1(name));
        connect(action, &QAction::triggered, this, handler);
        return action;
    };
    Menufile = menu("Menufile", "ﾌｧｲﾙ(&F)");
    MenuFileAdd = item(Menufile, "MenuFileAdd", "ファイルを追加(&A)...", &TForm1::MenuFileAddClick);
    MenuFileAdd->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_O));
    MenuFileUndo = item(Menufile, "MenuFileUndo", "元に戻す(&Z)", &TForm1::MenuFileUndoClick);
    MenuFileUndo->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Z));
    MenuFileUndo->setEnabled(false);
    MenuFileExit = item(Menufile, "MenuFileExit", "終了(&X)", &TForm1::MenuFileExitClick);
    MenuOption = menu("MenuOption", "環境設定(&K)");
    MenuDbcsCheck = item(MenuOption, "MenuDbcsCheck", "2ﾊﾞｲﾄ文字設定(&D)...", &TForm1::MenuDbcsCheckClick);
    MenuLauncherSet = item(MenuOption, "MenuLauncherSet", "ﾗﾝﾁｬｰ設定(&L)...", &TForm1::MenuLauncherSetClick);
    MenuFontSet = item(MenuOption, "MenuFontSet", "ﾌｫﾝﾄ設定(&F)...", &TForm1::MenuFontSetClick);
    MenuBackColorSet = item(MenuOption, "MenuBackColorSet", "背景色設定(&C)...", &TForm1::MenuBackColorSetClick);
    MenuPreviewSet = item(MenuOption, "MenuPreviewSet", "変換前に確認(&P)", &TForm1::MenuPreviewSetClick);
    MenuPreviewSet->setCheckable(true);
    MenuHelp = menu("MenuHelp", "ﾍﾙﾌﾟ(&H)");
    MenuHelpDisp = item(MenuHelp, "MenuHelpDisp", "ﾍﾙﾌﾟ表示(&C)", &TForm1::MenuHelpDispClick);
    installHelpKey(this, [this] { MenuHelpDispClick(); });  // F1 in every window

    // The client area keeps its designed size below the menu bar, or grows.
    setFixedSize(clientWidth, clientHeight + bar->sizeHint().height());
    setWindowFlag(Qt::WindowMaximizeButtonHint, true);
    letListGrowWithWindow(this, centralWidget(), ListBox1, Panel1);
}

void TForm1::FormCreate()
{
    applyListLook(ListBox1);

    // A first start creates the settings file with the launcher table. It
    // asks about the file that is read and written, so a second start never
    // rewrites the launcher sections.
    settings_ = std::make_unique<IniFile>(settingsPath(), *services_.fs);
    if (!settings_->existed()) {
        services_.prompter->ask(
            fixedText("   VOREL.INIファイルが存在しませんので、   \n\r   INI ファイルを作成します。   "),
            PromptKind::Warning, PbYes);
        guarded([&] { writeFirstRunSettings(); });
    }

    ReadIniFileValue();
    // A setting that does not parse is reported and leaves the list as it is.
    guarded([&] { applyListSettings(ListBox1, List); });

    addMarkedPaths(std::move(services_.arguments));
    guarded([&] { resumeJournal(); });
    centreOnScreen(this);
    setAcceptDrops(true);
}

void TForm1::resumeJournal()
{
    if (!journal_) return;
    JournalState found = readJournal(*services_.fs, journal_->path());
    // Reported, never guessed: the user knows where to look.
    if (!found.missing.empty()) services_.prompter->ask(missingFilesNotice(found.missing), PromptKind::Warning, PbOk);
    if (found.before.empty()) return;
    takeJournalUndo(found, session);
    showUndoState();
    if (found.status == JournalState::Status::Interrupted &&
        services_.prompter->ask(
            fixedText("前回の変換が途中で終了しています。変換済みのファイルを元に戻しますか。"),
            PromptKind::Confirmation, PbYes | PbNo) == MrYes) {
        // The empty names the cut left would stand in the way.
        for (const Text& leftover : found.leftovers) services_.fs->removeEmptyEntry(leftover);
        MenuFileUndoClick();
    }
}

void TForm1::FormDestroy()
{
    if (destroyed_) return;
    destroyed_ = true;
    guarded([&] { WriteIniFileValue(); });
    // A few blocks, however many paths: freeing them costs no time at exit.
    session = Session{};
}

void TForm1::FormDestroyBeforeExit()
{
    FormDestroy();
}

void TForm1::ReadIniFileValue()
{
    readMainSettings(*settings_, List, session.DbcsMessageMode);
    MenuPreviewSet->setChecked(List.PreviewSet);
}

void TForm1::WriteIniFileValue()
{
    writeMainSettings(*settings_, List, session.DbcsMessageMode);
}

void TForm1::conversionCompleted()
{
    BtnUpper->setEnabled(false);
    BtnLower->setEnabled(false);
    BtnExt->setEnabled(false);
    // While a dialog is open this only makes BtnConfirm the window's focused
    // control; it gets the keyboard once the dialog has closed.
    BtnConfirm->setFocus();
}

void TForm1::addMarkedPaths(StringList paths)
{
    if (paths.empty()) return;
    // After a completed run the listed paths are out of date: a new list.
    const bool newList = !BtnUpper->isEnabled();
    const PathList& marked = session.MarkedPaths;
    // Paths received before any run are SourceList itself, as from the
    // command line, while no run has replaced it.
    const bool received = !newList && !hasUndo(session) && (marked.sharesStore(session.SourceList) || marked.empty());
    PathListBuilder lines;
    lines.reserve((newList ? 0 : marked.size()) + paths.size(), newList ? 0 : marked.nameBytes());
    if (!newList)
        for (std::size_t i = 0; i < marked.size(); ++i) lines.append(marked.folder(i), marked.name(i));
    for (const Text& path : paths) lines.append(path);
    session.MarkedPaths = lines.finish();
    if (received) session.SourceList = session.MarkedPaths;
    const int row = newList ? 0 : std::max(0, ListBox1->currentRow());
    ListBox1->setLines(session.MarkedPaths.size(), [shown = session.MarkedPaths](std::size_t i, Text& scratch) {
        return std::string_view(shown.pathInto(i, scratch));
    });
    ListBox1->setCurrentRow(row);
    if (newList) {
        for (QPushButton* button : {BtnUpper, BtnLower, BtnExt}) button->setEnabled(true);
        BtnUpper->setFocus();
    }
}

void TForm1::MenuFileAddClick()
{
    addMarkedPaths(services_.pathChooser->choosePaths(this));
}

void TForm1::dragEnterEvent(QDragEnterEvent* event)
{
    if (event->mimeData()->hasFormat(QStringLiteral("text/uri-list"))) event->acceptProposedAction();
}

void TForm1::dropEvent(QDropEvent* event)
{
    StringList paths = droppedLocalPaths(*event->mimeData());
    if (paths.empty()) return;
    event->acceptProposedAction();
    addMarkedPaths(std::move(paths));
}

void TForm1::BtnCanselClick()
{
    close();
}

bool TForm1::FormKeyDown(int key, Qt::KeyboardModifiers modifiers)
{
    const Qt::KeyboardModifiers held =
        modifiers & (Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier);
    if (key == Qt::Key_F4) {
        if (held == Qt::ControlModifier || held == Qt::AltModifier) return false;
        FocusMoveToApli();
        return true;
    }
    return false;
}

void TForm1::MenuFileExitClick()
{
    if (services_.prompter->ask(fixedText("    終了しますか。          "), PromptKind::Information,
                                PbYes | PbNo) == MrYes)
        close();
}

void TForm1::MenuDbcsCheckClick()
{
    TForm2 dialog(session.DbcsMessageMode, this);
    centreOnScreen(&dialog);
    dialog.exec();
}

void TForm1::MenuFontSetClick()
{
    guarded([&] {
        // Face, size and colour into the chooser, in this order; a size or
        // colour that does not parse stops here, before the chooser opens.
        if (std::optional<Text> face = fontFaceFromSetting(List.ListFontName))
            fontDialogFont_.setFamily(toQString(*face));
        const QString startFace = fontDialogFont_.family();
        fontDialogFont_.setPointSize(std::max(1, integerOrThrow(List.ListFontSize)));
        const QColor colour = resolveColour(textToColour(List.ListFontColor));

        std::optional<FontChoice> choice =
            services_.fontChooser->choose(this, fontDialogFont_, colour);
        if (!choice) return;
        fontDialogFont_ = choice->font;
        // A face left as it was keeps its setting as written ("system").
        if (choice->font.family() != startFace)
            if (std::optional<Text> face = fromQString(choice->font.family())) List.ListFontName = *face;
        List.ListFontSize = std::to_string(choice->font.pointSize());
        List.ListFontColor = colourToText(colourValueOf(choice->colour));
        applyListFont(ListBox1, List);
    });
}

void TForm1::MenuBackColorSetClick()
{
    guarded([&] {
        const QColor initial = resolveColour(textToColour(List.ListBackColor));
        std::optional<QColor> chosen = services_.colourChooser->choose(this, initial);
        if (!chosen) return;
        List.ListBackColor = colourToText(colourValueOf(*chosen));
        applyListBackground(ListBox1, List);
    });
}

void TForm1::MenuPreviewSetClick()
{
    List.PreviewSet = MenuPreviewSet->isChecked();
}

PlanConfirmation TForm1::planConfirmation(QWidget* parent)
{
    if (!List.PreviewSet) return {};
    return previewConfirmation(parent, List, *services_.fs);
}

void TForm1::MenuHelpDispClick()
{
    showHelpContents(splitPath(activeCodePage(), services_.programPath).pathPart, *services_.fs,
                     *services_.prompter, this);
}

void TForm1::FocusMoveToApli()
{
    // Only an X11 session can be asked; under Wayland F4 does nothing.
    if (QGuiApplication::platformName() == QLatin1String("xcb")) raiseCallerWindow("TolvaMainWin");
}

void TForm1::writeFirstRunSettings()
{
    const LauncherTable table = firstRunLauncherTable(
        environmentValue("SYSTEMROOT"), environmentValue("WINBOOTDIR"), environmentValue("WINDIR"));
    writeLauncherTable(*settings_, table);
}

void TForm1::runCaseConversion(bool upper)
{
    WindowRun run(this, *services_.fs, *services_.prompter, session, journal_.get(), planConfirmation(this));
    const RunOutcome outcome = runMarkedOperation(upper ? Operation::Upper : Operation::Lower, Text(),
                                                  session.MarkedPaths, run.context(), session);
    if (outcome == RunOutcome::Completed) conversionCompleted();
}

void TForm1::BtnUpperClick()
{
    guarded([&] { runCaseConversion(true); });
    showUndoState();
}

void TForm1::BtnLowerClick()
{
    guarded([&] { runCaseConversion(false); });
    showUndoState();
}

void TForm1::MenuFileUndoClick()
{
    guarded([&] {
        WindowRun run(this, *services_.fs, *services_.prompter, session, journal_.get());
        // Once every file is back, the listed paths (the marked files or
        // the marked directory) are current again.
        if (runUndo(run.context(), session) == RunOutcome::Completed) {
            for (QPushButton* button : {BtnUpper, BtnLower, BtnExt}) button->setEnabled(true);
            BtnUpper->setFocus();
        }
    });
    showUndoState();
}

void TForm1::showUndoState()
{
    MenuFileUndo->setEnabled(hasUndo(session));
}

void TForm1::BtnExtClick()
{
    guarded([&] {
        TForm3 dialog(session, *this, *services_.prompter, *services_.fs, this);
        dialog.confirmPlan = [this, &dialog] { return planConfirmation(&dialog); };
        centreOnScreen(&dialog);
        dialog.exec();
    });
    showUndoState();
}

void TForm1::MenuLauncherSetClick()
{
    guarded([&] {
        openLauncherSettings(this, Launcher, *settings_, *services_.prompter, *services_.fileChooser);
    });
}

void TForm1::launcherRun(QWidget* view, const Text& reportPath)
{
    guarded([&] {
        runLauncherOnReport(view, Launcher, *settings_, reportPath, *services_.prompter, *services_.shell);
    });
}

void TForm1::BtnConfirmClick()
{
    guarded([&] {
        runConfirmation(this, session, List, *services_.fs, *services_.prompter,
                        services_.files.reportFile,
                        [this](QWidget* view, const Text& path) { launcherRun(view, path); });
    });
}
