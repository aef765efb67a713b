#pragma once
// A request to end the program from outside (SIGTERM, SIGHUP: the session
// manager, a closed terminal), taken in the event loop instead of ending the
// program where it stands, so that it can leave as an ordinary exit does.

// From now on SIGTERM and SIGHUP write their number to the descriptor
// returned, to be read with takeEndRequest; -1 (nothing changed) when that
// cannot be set up. A signal that was ignored stays ignored.
int watchEndRequests();

// The signal that came on fd; 0 when none.
int takeEndRequest(int fd);

// Ends the process as sig would have ended it by itself.
[[noreturn]] void endAsSignalled(int sig);
