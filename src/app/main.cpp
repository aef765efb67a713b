// Program entry: chooses the code page, creates the main window, runs the
// event loop, and closes the main window for the exit, which writes the
// settings.
#include "app/Main.h"
#include "platform/shell.h"
#include "platform/codepage.h"
#include "platform/data_files.h"
#include "platform/process.h"
#include "platform/window_raise.h"
#include "ui/choosers.h"
#include "ui/message_prompt.h"
#include "ui/qt_translation.h"
#include "ui/session_end.h"

#include <QApplication>
#include <cstdio>
#include <cstdlib>

int main(int argc, char** argv)
{
    // Before QApplication: Qt switches LC_CTYPE to a UTF-8 locale.
    setActiveCodePage(detectCodePage());
    MainServices services;
    services.arguments = argumentsFromArgv(argc, argv);
    services.programPath = ownProgramPath();
    services.files = prepareDataFiles(services.programPath);

    // Every argument is a marked path, so Qt gets none of them to read as
    // one of its options ("-platform", "-stylesheet", "-reverse", ...).
    int toolkitArgc = argc > 0 ? 1 : 0;
    QApplication app(toolkitArgc, argv);
    installQtJapanese(app);
    // Before our first window: the active one is the caller's, for F4.
    if (QGuiApplication::platformName() == QLatin1String("xcb")) rememberActiveWindow();
    QtPrompter prompter(nullptr, applicationTitle(services.programPath));
    QtFontChooser fontChooser;
    QtColourChooser colourChooser;
    QtFileChooser fileChooser;
    QtPathChooser pathChooser;
    services.prompter = &prompter;
    services.fs = &systemFileSystem();
    services.fontChooser = &fontChooser;
    services.colourChooser = &colourChooser;
    services.fileChooser = &fileChooser;
    services.shell = &systemShell();
    services.pathChooser = &pathChooser;

    auto form = std::make_unique<TForm1>(std::move(services));
    saveWhenTheSessionEnds(form.get(), [&form] { form->WriteIniFileValue(); });
    form->show();
    const int status = app.exec();
    form->FormDestroyBeforeExit();  // writes the settings
    // Nothing of ours is left to do. The toolkit's own teardown says goodbye
    // on the D-Bus session bus (name watchers, the accessibility bus) and
    // waits for the answers, which a busy desktop keeps the user waiting for.
    std::fflush(nullptr);
    std::_Exit(status);
}
