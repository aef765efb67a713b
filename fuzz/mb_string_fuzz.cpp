// The multibyte helpers and the character walk beneath them, in both code
// pages. Input: code page, MbCopy position and count, MbSkipChars limit, a
// pattern field, then the text.
#include "fuzz_input.h"

#include "platform/codepage.h"
#include "rename/mb_string.h"

#include <algorithm>
#include <cstring>
#include <vector>

namespace {

// Byte offsets of the characters of a zero-terminated text by charLength,
// ending with the offset of the terminator.
std::vector<std::size_t> characterStarts(CodePage cp, const char* text)
{
    const int longest = cp == CodePage::Cp932 ? 2 : 4;
    std::vector<std::size_t> starts{0};
    for (const char* p = text;;) {
        const int n = charLength(cp, p);
        if (n == 0) break;
        FUZZ_CHECK(n >= 1 && n <= longest);
        p += n;
        starts.push_back(static_cast<std::size_t>(p - text));
    }
    return starts;
}

bool isValidUtf8(const std::string& s)
{
    const auto starts = characterStarts(CodePage::Utf8, s.c_str());
    if (starts.back() != s.size()) return false;  // a NUL byte inside
    for (std::size_t i = 0; i + 1 < starts.size(); ++i)
        if (starts[i + 1] - starts[i] == 1 && static_cast<unsigned char>(s[starts[i]]) >= 0x80)
            return false;
    return true;
}

bool isAsciiLetter(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }

// Case conversion keeps every character a character of its own: the same
// count, multibyte characters stay multibyte, one-byte characters change only
// between the ASCII letters of the two cases; in CP932 nothing but those
// letters changes at all.
void checkCase(CodePage cp, const std::string& text, const std::string& converted, bool upper)
{
    const auto from = characterStarts(cp, text.c_str());
    const auto to = characterStarts(cp, converted.c_str());
    FUZZ_CHECK(to.back() == converted.size());
    FUZZ_CHECK(from.size() == to.size());
    if (cp == CodePage::Cp932) FUZZ_CHECK(from == to);
    for (std::size_t i = 0; i + 1 < from.size() && i + 1 < to.size(); ++i) {
        const std::size_t n = from[i + 1] - from[i];
        const std::size_t m = to[i + 1] - to[i];
        FUZZ_CHECK((n == 1) == (m == 1));
        if (n == 1) {
            const char a = text[from[i]];
            const char b = converted[to[i]];
            if (isAsciiLetter(a)) FUZZ_CHECK(b == (upper ? char(a & ~0x20) : char(a | 0x20)));
            else FUZZ_CHECK(a == b);
        } else if (cp == CodePage::Cp932) {
            FUZZ_CHECK(text.compare(from[i], n, converted, to[i], m) == 0);
        }
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    FuzzInput in(data, size);
    const CodePage cp = in.codePage();
    setActiveCodePage(cp);
    const int pos = in.number();
    const int count = in.number();
    const int maxChars = in.number();
    const Text pattern = in.field();
    const Text text = in.rest();

    const ExactText t(text);
    const ExactText pat(pattern);
    const std::size_t cLength = std::strlen(t.c_str());  // the helpers stop at a NUL byte
    const auto starts = characterStarts(cp, t.c_str());
    const int chars = static_cast<int>(starts.size()) - 1;
    FUZZ_CHECK(starts.back() == cLength);

    bool multibyte = false;
    for (int i = 0; i < chars; ++i) multibyte = multibyte || starts[i + 1] - starts[i] > 1;
    FUZZ_CHECK(hasMultibyteChar(cp, t.c_str()) == multibyte);
    FUZZ_CHECK(MbHasDbcs(t.c_str()) == multibyte);
    FUZZ_CHECK(MbHasDbcs(text) == multibyte);
    FUZZ_CHECK(MbLength(text) == chars);

    // MbNextChar and MbIsLeadByte take the same steps, and stop at the end.
    const char* p = t.c_str();
    for (int i = 0; i < chars; ++i) {
        const bool lead = MbIsLeadByte(p);
        const int n = MbNextChar(p);
        FUZZ_CHECK(static_cast<std::size_t>(n) == starts[i + 1] - starts[i]);
        FUZZ_CHECK(lead == (n > 1));
    }
    FUZZ_CHECK(!MbIsLeadByte(p));
    FUZZ_CHECK(MbNextChar(p) == 0 && p == t.c_str() + cLength);

    // MbSkipChars passes at most its limit, and never the terminator.
    std::size_t passedBytes = 99;
    const int passed = MbSkipChars(t.c_str(), maxChars, passedBytes);
    const int expectedPassed = maxChars == 0 ? chars : std::clamp(maxChars, 0, chars);
    FUZZ_CHECK(passed == expectedPassed);
    FUZZ_CHECK(passedBytes == starts[passed]);

    // MbCopy gives whole characters of the text, never more than asked for.
    const Text copy = MbCopy(text, pos, count);
    Text expected;
    long long copied = 0;
    if (!text.empty() && pos >= 0 && count > 0) {
        const long long first = std::max(pos, 1) - 1;  // characters skipped
        if (first < chars) {
            const long long last = std::min<long long>(first + count, chars);
            copied = last - first;
            expected = text.substr(starts[first], starts[last] - starts[first]);
        }
    }
    FUZZ_CHECK(copy == expected);
    FUZZ_CHECK(MbLength(copy) == copied);
    FUZZ_CHECK(copied <= std::max(count, 0));

    // MbPos: within the text, at the first character start where MbMatchAt
    // holds, and never after a character start where the pattern's bytes are.
    const int found = MbPos(pattern, text);
    FUZZ_CHECK(found >= 0 && found <= chars);
    if (pattern.empty() || text.empty()) FUZZ_CHECK(found == 0);
    int firstMatch = 0;
    for (int i = 0; i < chars && firstMatch == 0; ++i) {
        const char* at = t.c_str() + starts[i];
        const char* m = MbMatchAt(at, pat.c_str());
        FUZZ_CHECK(m == nullptr || m == at);
        if (m) firstMatch = i + 1;
    }
    FUZZ_CHECK(found == firstMatch);
    const std::size_t patLength = std::strlen(pat.c_str());
    if (patLength > 0) {
        int firstBytes = 0;
        for (int i = 0; i < chars && firstBytes == 0; ++i)
            if (starts[i] + patLength <= cLength &&
                std::memcmp(t.c_str() + starts[i], pat.c_str(), patLength) == 0)
                firstBytes = i + 1;
        if (firstBytes != 0) FUZZ_CHECK(found != 0 && found <= firstBytes);
        if (found != 0) FUZZ_CHECK(t.c_str()[starts[found - 1]] == pat.c_str()[0]);
    }

    // Case conversion and the conversions to and from UTF-8.
    const std::string cText(t.c_str(), cLength);
    checkCase(cp, cText, toUpperText(cp, cText), true);
    checkCase(cp, cText, toLowerText(cp, cText), false);
    FUZZ_CHECK(isValidUtf8(toUtf8ForDisplay(cp, cText)));
    const auto utf8 = toUtf8(cp, cText);
    if (cp == CodePage::Utf8) {
        FUZZ_CHECK(utf8.has_value() == isValidUtf8(cText));
        if (utf8) FUZZ_CHECK(*utf8 == cText);
    } else if (utf8) {
        FUZZ_CHECK(isValidUtf8(*utf8));
        FUZZ_CHECK(fromUtf8(cp, *utf8).has_value());
    }
    if (const auto back = fromUtf8(cp, cText)) {
        FUZZ_CHECK(isValidUtf8(cText));
        if (cp == CodePage::Utf8) FUZZ_CHECK(*back == cText);
    }
    return 0;
}
