#pragma once
// Sets the active code page for one test and restores the previous one.
#include "platform/codepage.h"

class CodePageScope {
public:
    explicit CodePageScope(CodePage cp) : previous_(activeCodePage()) { setActiveCodePage(cp); }
    ~CodePageScope() { setActiveCodePage(previous_); }
    CodePageScope(const CodePageScope&) = delete;
    CodePageScope& operator=(const CodePageScope&) = delete;

private:
    CodePage previous_;
};
