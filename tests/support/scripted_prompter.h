#pragma once
// A Prompter for tests: records every prompt and error box and answers from
// a plan (MrYes when the plan has run out, unless a default is set).
#include "platform/prompter.h"

#include <cstring>
#include <deque>
#include <ostream>
#include <sstream>
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
    // The same for QCOMPARE, which frees the text with delete[].
    friend char* toString(const RecordedPrompt& p)
    {
        std::ostringstream out;
        out << p;
        const std::string text = out.str();
        return std::strcpy(new char[text.size() + 1], text.c_str());
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
