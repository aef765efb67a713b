// Code page state and the character walk shared by every platform.
#include "platform/codepage.h"

#include "platform/codepage_walk.h"

#include <atomic>
#include <cstdint>

namespace {

std::atomic<CodePage> activePage{CodePage::Utf8};

}  // namespace

CodePage activeCodePage() { return activePage.load(std::memory_order_relaxed); }

void setActiveCodePage(CodePage cp) { activePage.store(cp, std::memory_order_relaxed); }

bool isShiftJisCodeset(std::string_view codeset)
{
    std::string folded;
    for (char c : codeset) {
        if (c == '-' || c == '_') continue;
        folded += asciiUpper(c);
    }
    return folded == "SHIFTJIS" || folded == "SJIS" || folded == "CP932" ||
           folded == "WINDOWS31J";
}

std::string_view codesetOfLocaleName(std::string_view name)
{
    const auto dot = name.find('.');
    if (dot == std::string_view::npos) return {};
    std::string_view rest = name.substr(dot + 1);
    const auto at = rest.find('@');
    if (at != std::string_view::npos) rest = rest.substr(0, at);
    return rest;
}

namespace codepage_walk {

int charLengthIn(CodePage cp, const char* p, std::size_t avail)
{
    const auto* u = reinterpret_cast<const unsigned char*>(p);
    const unsigned b0 = u[0];
    if (cp == CodePage::Cp932) {
        const bool lead = (b0 >= 0x81 && b0 <= 0x9F) || (b0 >= 0xE0 && b0 <= 0xFC);
        return (lead && avail >= 2 && u[1] != 0) ? 2 : 1;
    }
    if (b0 < 0x80) return 1;
    // A zero byte is never a continuation byte, so the checks below stop at
    // the terminator of a zero-terminated text.
    auto cont = [&](std::size_t i, unsigned lo = 0x80, unsigned hi = 0xBF) {
        return avail > i && u[i] >= lo && u[i] <= hi;
    };
    if (b0 >= 0xC2 && b0 <= 0xDF) return cont(1) ? 2 : 1;
    if (b0 >= 0xE0 && b0 <= 0xEF) {
        const unsigned lo = (b0 == 0xE0) ? 0xA0 : 0x80;  // no overlongs
        const unsigned hi = (b0 == 0xED) ? 0x9F : 0xBF;  // no surrogates
        return (cont(1, lo, hi) && cont(2)) ? 3 : 1;
    }
    if (b0 >= 0xF0 && b0 <= 0xF4) {
        const unsigned lo = (b0 == 0xF0) ? 0x90 : 0x80;  // no overlongs
        const unsigned hi = (b0 == 0xF4) ? 0x8F : 0xBF;  // nothing above U+10FFFF
        return (cont(1, lo, hi) && cont(2) && cont(3)) ? 4 : 1;
    }
    return 1;
}

char32_t decodeUtf8(const char* p, int length)
{
    const auto* u = reinterpret_cast<const unsigned char*>(p);
    switch (length) {
    case 2: return char32_t(((u[0] & 0x1F) << 6) | (u[1] & 0x3F));
    case 3: return char32_t(((u[0] & 0x0F) << 12) | ((u[1] & 0x3F) << 6) | (u[2] & 0x3F));
    case 4:
        return char32_t(((u[0] & 0x07) << 18) | ((u[1] & 0x3F) << 12) | ((u[2] & 0x3F) << 6) |
                        (u[3] & 0x3F));
    default: return u[0];
    }
}

void appendUtf8(std::string& out, char32_t c)
{
    if (c < 0x80) {
        out += char(c);
    } else if (c < 0x800) {
        out += char(0xC0 | (c >> 6));
        out += char(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        out += char(0xE0 | (c >> 12));
        out += char(0x80 | ((c >> 6) & 0x3F));
        out += char(0x80 | (c & 0x3F));
    } else {
        out += char(0xF0 | (c >> 18));
        out += char(0x80 | ((c >> 12) & 0x3F));
        out += char(0x80 | ((c >> 6) & 0x3F));
        out += char(0x80 | (c & 0x3F));
    }
}

}  // namespace codepage_walk

int charLength(CodePage cp, const char* p)
{
    if (p[0] == 0) return 0;
    // A plain ASCII byte is a character of its own in both code pages.
    if (static_cast<unsigned char>(p[0]) < 0x80) return 1;
    return codepage_walk::charLengthIn(cp, p, SIZE_MAX);
}

bool hasMultibyteChar(CodePage cp, std::string_view text)
{
    // ASCII bytes are characters of their own: the walk starts at the first
    // byte that is not one.
    const char* p = text.data();
    const char* end = p + text.size();
    while (p != end && *p != 0 && codepage_walk::isAsciiByte(*p)) ++p;
    for (int n; p != end && *p != 0; p += n) {
        n = codepage_walk::charLengthIn(cp, p, static_cast<std::size_t>(end - p));
        if (n > 1) return true;
    }
    return false;
}

bool hasMultibyteChar(CodePage cp, const char* p)
{
    return hasMultibyteChar(cp, std::string_view(p));
}
