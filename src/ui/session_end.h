#pragma once
// The end of the desktop session, met as an ordinary exit.
#include <functional>

class QObject;

// save runs when the session manager asks the program to save its data,
// and when SIGTERM or SIGHUP comes; after a signal the program then ends as
// the signal would have ended it. Lives as long as owner.
void saveWhenTheSessionEnds(QObject* owner, std::function<void()> save);
