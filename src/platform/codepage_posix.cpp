// Code page detection, conversion and case mapping through the C library.
#include "platform/codepage.h"

#include "platform/codepage_walk.h"

#include <cerrno>
#include <clocale>
#include <cstdlib>
#include <cwctype>
#include <iconv.h>
#include <langinfo.h>
#include <locale.h>
#include <wctype.h>

namespace {

using codepage_walk::charLengthIn;
using codepage_walk::isAsciiByte;

const char* iconvName(CodePage cp) { return cp == CodePage::Cp932 ? "CP932" : "UTF-8"; }

bool isValidUtf8(std::string_view text)
{
    for (std::size_t i = 0; i < text.size();) {
        const int n = charLengthIn(CodePage::Utf8, text.data() + i, text.size() - i);
        if (n == 1 && static_cast<unsigned char>(text[i]) >= 0x80) return false;
        i += n;
    }
    return true;
}

class Converter {
public:
    Converter(const char* to, const char* from) : cd_(iconv_open(to, from)) {}
    ~Converter()
    {
        if (ok()) iconv_close(cd_);
    }
    Converter(const Converter&) = delete;
    Converter& operator=(const Converter&) = delete;

    bool ok() const { return cd_ != reinterpret_cast<iconv_t>(-1); }

    // Converts all of in; on an unconvertible or malformed sequence, either
    // fails (onBad == nullptr) or appends onBad and skips one input byte.
    bool convert(std::string_view in, std::string& out, const char* onBad)
    {
        char* src = const_cast<char*>(in.data());
        std::size_t srcLeft = in.size();
        char buffer[256];
        while (srcLeft > 0) {
            char* dst = buffer;
            std::size_t dstLeft = sizeof buffer;
            const std::size_t r = iconv(cd_, &src, &srcLeft, &dst, &dstLeft);
            out.append(buffer, dst - buffer);
            if (r != static_cast<std::size_t>(-1)) continue;
            if (errno == E2BIG) continue;
            if (!onBad) return false;  // EILSEQ or EINVAL (incomplete at the end)
            out += onBad;
            ++src;
            --srcLeft;
            iconv(cd_, nullptr, nullptr, nullptr, nullptr);
        }
        // Flush any shift state (none for these code pages, but harmless).
        char* dst = buffer;
        std::size_t dstLeft = sizeof buffer;
        if (iconv(cd_, nullptr, nullptr, &dst, &dstLeft) == static_cast<std::size_t>(-1))
            return false;
        out.append(buffer, dst - buffer);
        return true;
    }

private:
    iconv_t cd_;
};

std::optional<std::string> convertStrict(const char* to, const char* from, std::string_view in)
{
    Converter c(to, from);
    if (!c.ok()) return std::nullopt;
    std::string out;
    if (!c.convert(in, out, nullptr)) return std::nullopt;
    return out;
}

locale_t utf8Locale()
{
    static const locale_t loc = [] {
        locale_t l = newlocale(LC_CTYPE_MASK, "C.UTF-8", static_cast<locale_t>(0));
        if (!l) l = newlocale(LC_CTYPE_MASK, "C.utf8", static_cast<locale_t>(0));
        return l;
    }();
    return loc;
}

// Maps one code point; keeps it unless the mapping is one-to-one (the
// reverse mapping leads back to it) and the result is still multibyte.
char32_t mapCase(char32_t c, bool upper)
{
    const locale_t loc = utf8Locale();
    if (!loc) return c;
    const wint_t wc = static_cast<wint_t>(c);
    const wint_t m = upper ? towupper_l(wc, loc) : towlower_l(wc, loc);
    if (m == wc || m < 0x80 || m > 0x10FFFF || (m >= 0xD800 && m <= 0xDFFF)) return c;
    const wint_t back = upper ? towlower_l(m, loc) : towupper_l(m, loc);
    return back == wc ? static_cast<char32_t>(m) : c;
}

void appendConvertedCase(CodePage cp, std::string_view text, bool upper, Text& out)
{
    for (std::size_t i = 0; i < text.size();) {
        // A stretch of ASCII bytes, most often the whole name, is converted
        // into room made for it once.
        std::size_t end = i;
        while (end < text.size() && isAsciiByte(text[end])) ++end;
        if (end > i) {
            const std::size_t at = out.size();
            out.resize(at + (end - i));
            for (char* o = out.data() + at; i < end; ++i) *o++ = upper ? asciiUpper(text[i]) : asciiLower(text[i]);
            continue;
        }
        const char* p = text.data() + i;
        const int n = charLengthIn(cp, p, text.size() - i);
        if (n == 1) {
            out += *p;  // a byte that begins no character of the code page
        } else if (cp == CodePage::Utf8) {
            const char32_t c = codepage_walk::decodeUtf8(p, n);
            const char32_t m = mapCase(c, upper);
            if (m == c) out.append(p, n);
            else codepage_walk::appendUtf8(out, m);
        } else {
            out.append(p, n);
        }
        i += n;
    }
}

Text convertCase(CodePage cp, std::string_view text, bool upper)
{
    Text out;
    out.reserve(text.size());
    appendConvertedCase(cp, text, upper, out);
    return out;
}

}  // namespace

CodePage detectCodePage()
{
    std::string codeset;
    if (std::setlocale(LC_CTYPE, "")) {
        if (const char* cs = nl_langinfo(CODESET)) codeset = cs;
    } else {
        // The named locale is not installed: its name still says the codeset.
        for (const char* var : {"LC_ALL", "LC_CTYPE", "LANG"}) {
            const char* value = std::getenv(var);
            if (value && *value) {
                codeset = codesetOfLocaleName(value);
                break;
            }
        }
    }
    return isShiftJisCodeset(codeset) ? CodePage::Cp932 : CodePage::Utf8;
}

std::optional<std::string> toUtf8(CodePage cp, std::string_view text)
{
    if (cp == CodePage::Utf8) {
        if (!isValidUtf8(text)) return std::nullopt;
        return std::string(text);
    }
    return convertStrict("UTF-8", iconvName(cp), text);
}

std::optional<Text> fromUtf8(CodePage cp, std::string_view utf8)
{
    if (!isValidUtf8(utf8)) return std::nullopt;
    if (cp == CodePage::Utf8) return Text(utf8);
    return convertStrict(iconvName(cp), "UTF-8", utf8);
}

Text fixedText(std::string_view utf8)
{
    const CodePage cp = activeCodePage();
    if (cp == CodePage::Utf8) return Text(utf8);
    // Fixed texts are chosen to exist in every code page; one that does not
    // is shown as well as it can be rather than lost.
    if (auto converted = fromUtf8(cp, utf8)) return *converted;
    Text out;
    for (std::size_t i = 0; i < utf8.size();) {
        const int n = codepage_walk::charLengthIn(CodePage::Utf8, utf8.data() + i, utf8.size() - i);
        if (auto part = fromUtf8(cp, utf8.substr(i, n))) out += *part;
        else out += '?';
        i += n;
    }
    return out;
}

std::string toUtf8ForDisplay(CodePage cp, std::string_view text)
{
    static constexpr const char* replacement = "\xEF\xBF\xBD";
    std::string out;
    if (cp == CodePage::Utf8) {
        for (std::size_t i = 0; i < text.size();) {
            const int n = charLengthIn(cp, text.data() + i, text.size() - i);
            if (n == 1 && static_cast<unsigned char>(text[i]) >= 0x80) out += replacement;
            else out.append(text.data() + i, n);
            i += n;
        }
        return out;
    }
    Converter c("UTF-8", iconvName(cp));
    if (!c.ok() || !c.convert(text, out, replacement)) {
        // No converter: keep what is plain ASCII.
        out.clear();
        for (char ch : text) {
            if (static_cast<unsigned char>(ch) < 0x80) out += ch;
            else out += replacement;
        }
    }
    return out;
}

Text toUpperText(CodePage cp, std::string_view text) { return convertCase(cp, text, true); }

Text toLowerText(CodePage cp, std::string_view text) { return convertCase(cp, text, false); }

void appendCaseText(CodePage cp, std::string_view text, bool upper, Text& out)
{
    appendConvertedCase(cp, text, upper, out);
}
