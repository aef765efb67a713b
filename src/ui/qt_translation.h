#pragma once
// Qt's own dialogs (the font, colour and file choosers) and standard buttons
// speak Japanese like the rest of the program, whatever the user's locale.
class QCoreApplication;

// Loads Qt's Japanese translation ("qtbase_ja") from Qt's translations
// folder into app. False when it is not installed: Qt's texts stay English.
bool installQtJapanese(QCoreApplication& app);
