#pragma once
// A Prompter for tests: records every prompt and error box and answers from
// a plan (MrYes when the plan has run out, unless a default is set).
#include "platform/prompter.h"

#include <deque>
#include <ostream>
#include <vector>

struct RecordedPrompt {
    Text text;
    PromptKind kind = PromptKind::Information;
    unsigned buttons = 0;

    bool operator==(const RecordedPrompt&) const = default;
    friend std::ostream& operator<<(std::ostream& out, const RecordedPrompt& p)
    {
        return out << '"' << p.text << "\" kind " << int(p.kind) << " buttons " << p.buttons;
    }
};

class ScriptedPrompter : public Prompter {
public:
    std::deque<int> plan;
    int defaultAnswer = MrYes;
    std::vector<RecordedPrompt> prompts;
    std::vector<Text> errors;

    int ask(const Text& text, PromptKind kind, unsigned buttons) override {
        prompts.push_back({text, kind, buttons});
        if (plan.empty()) return defaultAnswer;
        int answer = plan.front();
        plan.pop_front();
        return answer;
    }
    void showError(const Text& text) override { errors.push_back(text); }
};
