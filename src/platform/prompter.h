#pragma once
// The message prompt: a modal box of a text, a kind and a set of buttons,
// answering with the button pressed. Toolkit-free so that the logic can ask
// its questions; ui/ supplies the Qt implementation, tests a scripted one.
#include "platform/text.h"

enum class PromptKind { Warning, Error, Information, Confirmation };

// Button set, laid out in this order.
enum PromptButton : unsigned {
    PbYes = 1u << 0,
    PbNo = 1u << 1,
    PbOk = 1u << 2,
    PbCancel = 1u << 3,
    PbAbort = 1u << 4,
    PbRetry = 1u << 5,
    PbIgnore = 1u << 6,
    PbAll = 1u << 7,
    PbHelp = 1u << 8,
};

// Answers as numbers.
enum PromptAnswer : int {
    MrOk = 1,
    MrCancel = 2,
    MrAbort = 3,
    MrRetry = 4,
    MrIgnore = 5,
    MrYes = 6,
    MrNo = 7,
    MrAll = 8,
};

class Prompter {
public:
    virtual ~Prompter() = default;
    // text is in the active code page.
    virtual int ask(const Text& text, PromptKind kind, unsigned buttons) = 0;
    // The plain error box: caption the application title, error icon, one OK
    // button, the text followed by a period (added here, not by the caller).
    virtual void showError(const Text& text) = 0;
};
