#pragma once
// Answers every prompt of a benchmarked run with yes, and shows nothing.
#include "platform/prompter.h"

class SilentPrompter : public Prompter {
public:
    int ask(const Text&, PromptKind, unsigned) override { return MrYes; }
    void showError(const Text&) override {}
};
