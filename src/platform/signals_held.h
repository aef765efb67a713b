#pragma once
// Holds the signals that end a program on request (SIGINT, SIGTERM, SIGHUP)
// back while a step that must not be cut in two runs, and delivers the first
// that came when it ends. The handlers are process-wide, so a signal waits
// whichever thread it reaches; a signal that was ignored stays ignored.
// SIGKILL and a power loss cannot be held off.
#include <memory>

class SignalsHeldOff {
public:
    SignalsHeldOff();
    ~SignalsHeldOff();
    SignalsHeldOff(const SignalsHeldOff&) = delete;
    SignalsHeldOff& operator=(const SignalsHeldOff&) = delete;

private:
    struct Saved;
    std::unique_ptr<Saved> saved_;
};
