#include "rename/mb_string.h"

#include "platform/codepage.h"

#include <cstring>

namespace {

inline int skipChars(CodePage cp, const char* text, int maxChars, std::size_t& bytesPassed)
{
    bytesPassed = 0;
    int passed = 0;
    const char* p = text;
    while (maxChars == 0 || passed < maxChars) {
        int step = charLength(cp, p);
        if (step == 0) break;
        p += step;
        bytesPassed += static_cast<std::size_t>(step);
        ++passed;
    }
    return passed;
}

inline bool compareChar(CodePage cp, const char*& a, const char*& b)
{
    int stepA = charLength(cp, a);
    int stepB = charLength(cp, b);
    if (stepA > 1 && stepB > 1) {
        if (stepA != stepB || std::memcmp(a, b, static_cast<std::size_t>(stepA)) != 0) return false;
        a += stepA;
        b += stepB;
        return true;
    }
    if (*a != *b) return false;
    ++a;
    ++b;
    return true;
}

inline const char* matchAt(CodePage cp, const char* t, const char* pattern)
{
    if (*t != *pattern) return nullptr;
    const char* tp = t;
    const char* pp = pattern;
    bool equal = true;
    while (*tp != 0 && *pp != 0 && equal) equal = compareChar(cp, tp, pp);
    return (*pp == 0 && equal) ? t : nullptr;
}

}  // namespace

bool MbIsLeadByte(const char* p)
{
    return charLength(activeCodePage(), p) > 1;
}

int MbNextChar(const char*& p)
{
    int step = charLength(activeCodePage(), p);
    p += step;
    return step;
}

bool MbCompareChar(const char*& a, const char*& b)
{
    return compareChar(activeCodePage(), a, b);
}

const char* MbMatchAt(const char* t, const char* pattern)
{
    return matchAt(activeCodePage(), t, pattern);
}

int MbSkipChars(const char* text, int maxChars, std::size_t& bytesPassed)
{
    return skipChars(activeCodePage(), text, maxChars, bytesPassed);
}

Text MbCopy(const Text& s, int pos, int count)
{
    if (s.empty() || pos < 0 || count <= 0) return Text();
    const CodePage cp = activeCodePage();
    const char* p = s.c_str();
    if (pos == 0) pos = 1;
    int skip = pos - 1;
    if (skip > 0) {
        std::size_t bytes = 0;
        if (skipChars(cp, p, skip, bytes) < skip) return Text();
        p += bytes;
    }
    if (*p == 0) return Text();
    std::size_t bytes = 0;
    skipChars(cp, p, count, bytes);
    return Text(p, bytes);
}

int MbLength(const Text& s)
{
    std::size_t bytes = 0;
    return skipChars(activeCodePage(), s.c_str(), 0, bytes);
}

int MbPos(const Text& pattern, const Text& s)
{
    if (pattern.empty() || s.empty()) return 0;
    const CodePage cp = activeCodePage();
    const char* pat = pattern.c_str();
    const char* p = s.c_str();
    for (int position = 1;; ++position) {
        if (*p == 0) return 0;
        if (matchAt(cp, p, pat)) return position;
        p += charLength(cp, p);
    }
}

bool MbHasDbcs(const char* t)
{
    return hasMultibyteChar(activeCodePage(), t);
}

bool MbHasDbcs(const Text& t)
{
    return MbHasDbcs(t.c_str());
}
