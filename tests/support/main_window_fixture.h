#pragma once
// A main window started as the program starts it, in a temporary program
// directory, with a scripted prompter and planned choosers.
#include "app/Main.h"
#include "platform/shell.h"
#include "support/planned_choosers.h"
#include "support/scripted_prompter.h"
#include "support/temp_dir.h"

#include <memory>
#include <optional>

// A file chooser that is always cancelled.
struct CancelledFileChooser : FileChooser {
    std::optional<Text> chooseFile(QWidget*, const QString&) override { return std::nullopt; }
};

struct MainWindowFixture {
    TempDir dir;
    ScriptedPrompter prompter;
    PlannedFontChooser fonts;
    PlannedColourChooser colours;
    CancelledFileChooser files;
    PlannedPathChooser paths;
    std::unique_ptr<TForm1> form;
    std::optional<DataFiles> dataFiles;  // where the program keeps them; else beside it

    std::string programPath() const { return dir.file("vorel"); }
    std::string settingsPath() const { return dir.file("vorel.INI"); }

    TForm1& start(StringList arguments = {})
    {
        MainServices services;
        services.programPath = programPath();
        services.files = dataFiles ? *dataFiles : locateDataFiles(programPath());
        services.arguments = std::move(arguments);
        services.prompter = &prompter;
        services.fs = &systemFileSystem();
        services.fontChooser = &fonts;
        services.colourChooser = &colours;
        services.fileChooser = &files;
        services.shell = &systemShell();
        services.pathChooser = &paths;
        form = std::make_unique<TForm1>(std::move(services));
        return *form;
    }
    // Destroys the main window as the program's end does.
    void finish() { form.reset(); }
};
