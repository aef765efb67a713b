#pragma once
// The help: finds the help document and shows it in the program's own help
// window; a WinHelp file goes to the desktop's associated program.
#include "platform/prompter.h"

#include <functional>

class FileSystem;
class QObject;
class QTextBrowser;
class QWidget;

// Opens helpDocument, an HTML one in the help window of owner; says so when
// there is none (naming "VOREL.HLP") or when it could not be opened.
void showHelpContents(const Text& programDir, FileSystem& fs, Prompter& prompter,
                      QWidget* owner = nullptr);

// The help window "Vorel (ﾍﾙﾌﾟ)" showing the HTML file at path: one window,
// brought to the front when asked again. Links inside the help are followed
// in it, any other through xdg-open. While a modal window is open the help
// belongs to it, so that it can be read and used; else to owner. Null when
// the file cannot be read.
QTextBrowser* showHelpWindow(const Text& path, QWidget* owner);

// F1 in any window of the program calls open. One filter on the application,
// living as long as owner.
void installHelpKey(QObject* owner, std::function<void()> open);
