// The settings-file reader and writer over any file contents. Input: a flags
// byte (bit 0 the code page, bit 1 no file at all, bits 2-7 how many more
// times the value piece repeats), then the fields section, key, value piece,
// a second section and key, and the file's contents as the rest.
#include "fuzz_input.h"

#include "platform/app_error.h"
#include "platform/codepage.h"
#include "platform/codepage_walk.h"
#include "settings/ini_file.h"
#include "support/memory_file_system.h"

#include <cstring>

namespace {

const Text SettingsPath = "/opt/vorel/VOREL.INI";
// No value read holds a NUL byte.
const Text Missing("\0missing", 8);

bool isBlank(char c) { return c == ' ' || c == '\t' || c == '\x1A'; }

char asciiLower(char c) { return (c >= 'A' && c <= 'Z') ? char(c - 'A' + 'a') : c; }

std::size_t charAt(CodePage cp, const Text& s, std::size_t i)
{
    return static_cast<std::size_t>(codepage_walk::charLengthIn(cp, s.data() + i, s.size() - i));
}

// One-byte letters fold; a multibyte character matches only itself.
bool sameName(CodePage cp, const Text& a, const Text& b)
{
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size();) {
        const std::size_t n = charAt(cp, a, i);
        if (n == 1 ? asciiLower(a[i]) != asciiLower(b[i]) : a.compare(i, n, b, i, n) != 0) return false;
        i += n;
    }
    return true;
}

// The names the program writes: one line, no blank at either end; a section
// name holds no "]" and does not end in a lead byte that would take the
// closing "]" for its trail byte; a key holds no "=" and does not start like
// a section or a comment.
bool isWritableName(CodePage cp, const Text& s, bool isKey)
{
    if (s.find_first_of("\r\n") != Text::npos) return false;
    if (!s.empty() && (isBlank(s.front()) || isBlank(s.back()))) return false;
    if (!isKey) {
        const Text header = s + "]";
        std::size_t i = 0;
        while (i < s.size()) i += charAt(cp, header, i);
        return s.find(']') == Text::npos && i == s.size();
    }
    return !s.empty() && s.find('=') == Text::npos && s.front() != '[' && s.front() != ';';
}

// A value as it reads back after it was written: up to its first NUL byte,
// each CR and LF a blank, at most 1023 bytes of whole characters.
Text readBack(CodePage cp, const Text& value)
{
    Text v = value.substr(0, value.find('\0'));
    for (char& c : v)
        if (c == '\r' || c == '\n') c = ' ';
    std::size_t kept = 0;
    while (kept < v.size()) {
        const std::size_t n = static_cast<std::size_t>(charLength(cp, v.c_str() + kept));
        if (kept + n > 1023) break;
        kept += n;
    }
    v.resize(kept);
    return v;
}

std::int32_t integerOf(const Text& s)
{
    std::uint32_t n = static_cast<std::uint32_t>(s.size());
    std::memcpy(&n, s.data(), std::min<std::size_t>(s.size(), sizeof n));
    return static_cast<std::int32_t>(n);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    FuzzInput in(data, size);
    const std::uint8_t flags = in.byte();
    const CodePage cp = (flags & 1) ? CodePage::Cp932 : CodePage::Utf8;
    setActiveCodePage(cp);
    const bool noFile = flags & 2;
    const int repeats = 1 + (flags >> 2);
    const Text section = in.field();
    const Text key = in.field();
    const Text piece = in.field();
    const Text section2 = in.field();
    const Text key2 = in.field();
    const std::string contents = in.rest();
    Text value;
    for (int i = 0; i < repeats; ++i) value += piece;

    MemoryFileSystem fs;
    if (!noFile) fs.files[SettingsPath] = contents;
    IniFile ini(SettingsPath, fs);

    // Any file reads without failing: the default, or a value of at most
    // 1023 bytes without a NUL byte.
    const Text before = ini.ReadString(section2, key2, Missing);
    FUZZ_CHECK(before == Missing || (before.size() <= 1023 && before.find('\0') == Text::npos));
    const Text old = ini.ReadString(section, key, Missing);
    FUZZ_CHECK(old == Missing || old.size() <= 1023);
    (void)ini.ReadInteger(section2, key2, 3);
    if (noFile) FUZZ_CHECK(before == Missing && old == Missing);

    // A file that can be written never reports a write error; names the
    // program would never write must not crash the writer either.
    if (!isWritableName(cp, section, false) || !isWritableName(cp, key, true)) {
        ini.WriteString(section, key, value);
        return 0;
    }
    ini.WriteString(section, key, value);
    const std::string written = fs.files.at(SettingsPath);

    // A read after a write gives back what was written, and nothing else
    // changed.
    FUZZ_CHECK(ini.ReadString(section, key, Missing) == readBack(cp, value));
    if (!(sameName(cp, section, section2) && sameName(cp, key, key2)))
        FUZZ_CHECK(ini.ReadString(section2, key2, Missing) == before);
    if (old == Missing && !noFile) FUZZ_CHECK(written.size() > contents.size());

    // Writing the same again leaves the file as it is.
    ini.WriteString(section, key, value);
    FUZZ_CHECK(fs.files.at(SettingsPath) == written);

    // Integers come back as written (the integer rule stops at -2147483647).
    const std::int32_t n = integerOf(piece);
    ini.WriteInteger(section, key, n);
    if (n != INT32_MIN) FUZZ_CHECK(ini.ReadInteger(section, key, n == 3 ? 4 : 3) == n);
    return 0;
}
