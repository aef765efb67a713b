#pragma once
// A shell that records what it was asked to open and answers as planned.
#include "platform/shell.h"

class RecordingShell : public ShellOpener {
public:
    bool answer = true;
    int calls = 0;
    Text file, directory;
    StringList arguments;
    bool open(const Text& f, const StringList& args, const Text& dir) override
    {
        ++calls;
        file = f;
        arguments = args;
        directory = dir;
        return answer;
    }
};
