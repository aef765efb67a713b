#pragma once
// The platform's file, font and colour choosers, behind small interfaces so
// that views can be driven in tests with planned choices.
#include "platform/text.h"

#include <QColor>
#include <QFont>
#include <QStringList>
#include <optional>

class QFileDialog;
class QWidget;

struct FontChoice {
    QFont font;     // face and size (in points) chosen
    QColor colour;  // text colour chosen
};

class FontChooser {
public:
    virtual ~FontChooser() = default;
    // Shows the chooser starting from font and colour; nullopt when cancelled.
    // The chooser keeps its other state (style, effects) between uses.
    virtual std::optional<FontChoice> choose(QWidget* parent, const QFont& font,
                                             const QColor& colour) = 0;
};

class ColourChooser {
public:
    virtual ~ColourChooser() = default;
    virtual std::optional<QColor> choose(QWidget* parent, const QColor& initial) = 0;
};

// Files and folders to add to the main window's list.
class PathChooser {
public:
    virtual ~PathChooser() = default;
    // The chosen paths as the file system names them, in the order shown;
    // empty when cancelled.
    virtual StringList choosePaths(QWidget* parent) = 0;
};

class QFontDialog;
class QColorDialog;

// The Qt choosers. The font chooser is Qt's font dialog with a colour
// button beside it, since Qt's font dialog has no colour of its own.
class QtFontChooser : public FontChooser {
public:
    QtFontChooser();
    ~QtFontChooser() override;
    std::optional<FontChoice> choose(QWidget* parent, const QFont& font,
                                     const QColor& colour) override;

private:
    QFontDialog* fonts_ = nullptr;  // kept between uses, like its state
};

class QtColourChooser : public ColourChooser {
public:
    QtColourChooser();
    ~QtColourChooser() override;
    std::optional<QColor> choose(QWidget* parent, const QColor& initial) override;

private:
    QColorDialog* colours_ = nullptr;
};

// Qt's own file dialog (so its texts are in Japanese), several entries at
// once, files and folders alike.
class QtPathChooser : public PathChooser {
public:
    StringList choosePaths(QWidget* parent) override;
};

// The platform's file-open dialog, behind an interface so that view tests
// can plan the choice.
class FileChooser {
public:
    virtual ~FileChooser() = default;
    // filter: description and pattern pairs separated by "|", the first pair
    // active. The chosen file's full path as the file system names it;
    // nullopt when cancelled.
    virtual std::optional<Text> chooseFile(QWidget* parent, const QString& filter) = 0;
};

// Qt's file dialog, one existing file, no title or start directory of ours.
class QtFileChooser : public FileChooser {
public:
    std::optional<Text> chooseFile(QWidget* parent, const QString& filter) override;
};

// Qt name filters for a "description|patterns|..." string: "description
// (patterns)", each pattern matching names of either letter case, and "*.*"
// matching every file as it does on Windows (also names without a period).
QStringList qtNameFilters(const QString& filter);

// The Qt name filter, offered first on Linux, that shows only programs:
// files with an execute bit (and the folders to browse).
QString executableNameFilter();

// Sets Qt's own file dialog up for one existing file with the filters of
// filter, the first active; on Linux the executable filter comes before them
// and is the active one.
void prepareFileDialog(QFileDialog& dialog, const QString& filter);
