#include "settings/ini_file.h"

#include "settings/integer_rule.h"

#include "platform/app_error.h"
#include "platform/codepage.h"
#include "platform/codepage_walk.h"
#include "platform/path.h"

#include <string_view>
#include <vector>

namespace {

constexpr std::size_t MaxValueBytes = 1023;
// A larger file is read only this far, and never rewritten.
constexpr std::size_t MaxFileBytes = 16 * 1024 * 1024;
constexpr std::string_view Utf8Bom = "\xEF\xBB\xBF";
constexpr std::string_view LineEnd = "\r\n";

// 0x1A is the DOS end-of-file mark, white space to the Windows reader too.
bool isBlank(char c) { return c == ' ' || c == '\t' || c == '\x1A'; }

std::string_view trimBlanks(std::string_view s)
{
    while (!s.empty() && isBlank(s.front())) s.remove_prefix(1);
    while (!s.empty() && isBlank(s.back())) s.remove_suffix(1);
    return s;
}

int charLengthAt(CodePage cp, std::string_view s, std::size_t i)
{
    return codepage_walk::charLengthIn(cp, s.data() + i, s.size() - i);
}

// Names match character by character; only one-byte letters fold, so the
// trail byte of a Shift-JIS character is never taken for a letter.
bool sameName(CodePage cp, std::string_view a, std::string_view b)
{
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size();) {
        const std::size_t len = std::size_t(charLengthAt(cp, a, i));
        if (len == 1 ? asciiLower(a[i]) != asciiLower(b[i]) : a.compare(i, len, b.substr(i, len)) != 0)
            return false;
        i += len;
    }
    return true;
}

// The "]" that closes a section header, found by characters: the trail byte
// of a Shift-JIS character may be 0x5D.
std::size_t headerEnd(CodePage cp, std::string_view body)
{
    for (std::size_t i = 1; i < body.size(); i += std::size_t(charLengthAt(cp, body, i)))
        if (body[i] == ']') return i;
    return std::string_view::npos;
}

bool isQuote(char c) { return c == '"' || c == '\''; }

enum class LineKind { Other, Section, Key };

// One line of the file: its bytes without and with the line end, and for a
// section or key line the name (trimmed) and, for a key, the raw value.
struct Line {
    std::string_view text;   // without the line end
    std::string_view whole;  // with the line end, if any
    LineKind kind = LineKind::Other;
    std::string_view name;
    std::string_view value;
};

Line classify(CodePage cp, std::string_view text, std::string_view whole)
{
    Line line;
    line.text = text;
    line.whole = whole;
    const std::string_view body = trimBlanks(text);
    if (body.empty() || body.front() == ';') return line;
    if (body.front() == '[') {
        const std::size_t close = headerEnd(cp, body);
        if (close != std::string_view::npos) {
            line.kind = LineKind::Section;
            line.name = trimBlanks(body.substr(1, close - 1));
        }
        return line;
    }
    const std::size_t eq = body.find('=');
    if (eq == std::string_view::npos) return line;
    const std::string_view key = trimBlanks(body.substr(0, eq));
    if (key.empty()) return line;
    line.kind = LineKind::Key;
    line.name = key;
    line.value = body.substr(eq + 1);
    return line;
}

// The file split into lines; a line ends at CR LF, LF or a lone CR. A UTF-8
// byte order mark at the start is not part of the first line.
struct ParsedFile {
    std::string_view bom;
    std::vector<Line> lines;
};

ParsedFile parse(std::string_view contents)
{
    const CodePage cp = activeCodePage();
    ParsedFile file;
    if (contents.starts_with(Utf8Bom)) {
        file.bom = contents.substr(0, Utf8Bom.size());
        contents.remove_prefix(Utf8Bom.size());
    }
    std::size_t pos = 0;
    while (pos < contents.size()) {
        std::size_t end = pos;
        while (end < contents.size() && contents[end] != '\r' && contents[end] != '\n') ++end;
        std::size_t next;
        if (end == contents.size()) {
            next = end;
        } else if (contents[end] == '\r' && end + 1 < contents.size() && contents[end + 1] == '\n') {
            next = end + 2;
        } else {
            next = end + 1;
        }
        file.lines.push_back(classify(cp, contents.substr(pos, end - pos), contents.substr(pos, next - pos)));
        pos = next;
    }
    return file;
}

struct KeyPlace {
    std::size_t sectionLine = 0;  // index of the section's header line
    bool sectionFound = false;
    std::size_t keyLine = 0;      // index of the key's line
    bool keyFound = false;
    std::size_t lastKeyLine = 0;  // the section's last key line, or its header
};

// The first section of that name, and the first key of that name in it.
KeyPlace locate(const ParsedFile& file, std::string_view section, std::string_view key)
{
    const CodePage cp = activeCodePage();
    KeyPlace place;
    std::size_t i = 0;
    for (; i < file.lines.size(); ++i) {
        const Line& line = file.lines[i];
        if (line.kind == LineKind::Section && sameName(cp, line.name, section)) break;
    }
    if (i == file.lines.size()) return place;
    place.sectionFound = true;
    place.sectionLine = i;
    place.lastKeyLine = i;
    for (++i; i < file.lines.size(); ++i) {
        const Line& line = file.lines[i];
        if (line.kind == LineKind::Section) break;
        if (line.kind != LineKind::Key) continue;
        place.lastKeyLine = i;
        if (!place.keyFound && sameName(cp, line.name, key)) {
            place.keyFound = true;
            place.keyLine = i;
        }
    }
    return place;
}

// Blanks trimmed, one pair of surrounding quotes removed, cut at a NUL byte,
// then at most MaxValueBytes bytes without splitting a multibyte character.
Text decodeValue(std::string_view raw)
{
    std::string_view v = trimBlanks(raw);
    if (v.size() >= 2 && isQuote(v.front()) && v.back() == v.front()) v = v.substr(1, v.size() - 2);
    Text value(v.substr(0, v.find('\0')));
    if (value.size() > MaxValueBytes) {
        const CodePage cp = activeCodePage();
        std::size_t kept = 0;
        while (kept < value.size()) {
            const int len = charLength(cp, value.c_str() + kept);
            if (len <= 0 || kept + std::size_t(len) > MaxValueBytes) break;
            kept += std::size_t(len);
        }
        value.resize(kept);
    }
    return value;
}

// The value as it is written after "key=". A line break inside the value
// would split the line and turn the rest into a line of its own, so each CR
// and LF becomes a blank; a NUL byte ends the value, as it does on read. A
// value with a blank at either end, or one that is itself wrapped in a pair of
// the same quote, is written in double quotes so it reads back unchanged.
Text encodeValue(const Text& value)
{
    Text v = value.substr(0, value.find('\0'));
    for (char& c : v)
        if (c == '\r' || c == '\n') c = ' ';
    const bool blankAtEnd = !v.empty() && (isBlank(v.front()) || isBlank(v.back()));
    const bool wrapped = v.size() >= 2 && isQuote(v.front()) && v.back() == v.front();
    if (blankAtEnd || wrapped) return '"' + v + '"';
    return v;
}

bool endsWithLineEnd(std::string_view s) { return !s.empty() && (s.back() == '\n' || s.back() == '\r'); }

// The file's bytes with one key set, as a single write leaves them: a key
// that is there keeps its place, a new key follows its section's last key,
// a new section goes at the end.
std::string withValue(std::string_view contents, std::string_view section, std::string_view key,
                      const Text& value)
{
    const ParsedFile file = parse(contents);
    const KeyPlace place = locate(file, section, key);

    std::string out;
    out.reserve(contents.size() + section.size() + key.size() + value.size() + 16);
    out.append(file.bom);
    auto appendLine = [&](const Line& line) {
        out.append(line.whole);
        if (!endsWithLineEnd(line.whole)) out.append(LineEnd);
    };

    if (place.keyFound) {
        for (std::size_t i = 0; i < file.lines.size(); ++i) {
            const Line& line = file.lines[i];
            if (i != place.keyLine) {
                out.append(line.whole);
                continue;
            }
            out.append(line.name);
            out += '=';
            out.append(encodeValue(value));
            out.append(LineEnd);
        }
    } else if (place.sectionFound) {
        for (std::size_t i = 0; i < file.lines.size(); ++i) {
            const Line& line = file.lines[i];
            if (i != place.lastKeyLine) {
                out.append(line.whole);
                continue;
            }
            appendLine(line);
            out.append(key);
            out += '=';
            out.append(encodeValue(value));
            out.append(LineEnd);
        }
    } else {
        for (const Line& line : file.lines) out.append(line.whole);
        if (!file.lines.empty() && !endsWithLineEnd(file.lines.back().whole)) out.append(LineEnd);
        out += '[';
        out.append(section);
        out += ']';
        out.append(LineEnd);
        out.append(key);
        out += '=';
        out.append(encodeValue(value));
        out.append(LineEnd);
    }
    return out;
}

// Every read of the settings file; the status tells why it could not be read.
ReadResult readSettingsFile(FileSystem& fs, const Text& path, std::string& contents, std::size_t maxBytes)
{
    return fs.readFile(path, contents, maxBytes);
}

}  // namespace

struct IniFile::Copy {
    std::string contents;
    ParsedFile file;  // points into contents
};

IniFile::IniFile(Text path, FileSystem& fs) : path_(std::move(path)), fs_(&fs)
{
    std::string contents;
    if (readSettingsFile(*fs_, path_, contents, MaxFileBytes)) {
        existed_ = true;
        hold(std::move(contents));
    } else {
        existed_ = fs_->fileExists(path_);
    }
}

IniFile::~IniFile() = default;

void IniFile::hold(std::string contents)
{
    // Reads see no further than a read of the file would.
    if (contents.size() > MaxFileBytes) contents.resize(MaxFileBytes);
    copy_ = std::make_unique<Copy>();
    copy_->contents = std::move(contents);
    copy_->file = parse(copy_->contents);
}

Text IniFile::ReadString(std::string_view section, std::string_view key, const Text& def) const
{
    if (!copy_) return def;
    const KeyPlace place = locate(copy_->file, section, key);
    if (!place.keyFound) return def;
    return decodeValue(copy_->file.lines[place.keyLine].value);
}

void IniFile::WriteValues(const std::vector<IniValue>& values)
{
    auto writeError = [&] { return AppError(path_ + fixedText(" に書き込めません")); };

    // Read again and changed within one turn of the file's writers, so that
    // what another program wrote meanwhile is kept.
    std::string before;
    std::string after;
    bool unreadable = false;
    bool tooLarge = false;
    const bool written = fs_->editFile(path_, MaxFileBytes + 1, [&](ReadResult read, std::string& contents) {
        // A file that is there but cannot be read (a FIFO, a device) must not
        // be replaced by one holding only these keys.
        if (!read && read.status != ReadStatus::Missing) {
            unreadable = true;
            return false;
        }
        before = contents;
        for (const IniValue& v : values) {
            // Nor a file too large to be read whole.
            if (contents.size() > MaxFileBytes) {
                tooLarge = true;
                break;
            }
            contents = withValue(contents, v.section, v.key, v.value);
        }
        after = contents;
        return after != before;
    });
    if (unreadable) throw writeError();
    if (!written) {
        hold(std::move(before));
        throw writeError();
    }
    existed_ = existed_ || !after.empty();
    hold(std::move(after));
    if (tooLarge) throw writeError();
}

void IniFile::WriteString(std::string_view section, std::string_view key, const Text& value)
{
    WriteValues({{section, key, value}});
}

std::int32_t IniFile::ReadInteger(std::string_view section, std::string_view key, std::int32_t def) const
{
    Text text = ReadString(section, key, Text());
    if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) text.replace(0, 2, "$");
    return parseIntegerRule(text).value_or(def);
}

void IniFile::WriteInteger(std::string_view section, std::string_view key, std::int32_t value)
{
    WriteString(section, key, std::to_string(value));
}
