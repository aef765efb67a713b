#pragma once
// The code page that names and texts are held in, chosen once at start.
#include "platform/text.h"

#include <optional>
#include <string_view>

enum class CodePage { Cp932, Utf8 };

// The code page in force; UTF-8 until setActiveCodePage is called.
CodePage activeCodePage();
void setActiveCodePage(CodePage cp);

// Chooses the code page from the process locale. Must run before any toolkit
// changes LC_CTYPE (Qt switches to a UTF-8 locale when the codeset is not
// UTF-8). Where the named locale is not installed, the codeset is taken from
// the name in LC_ALL, LC_CTYPE or LANG.
CodePage detectCodePage();

// True for a locale codeset name that denotes Shift-JIS (SHIFT_JIS, SJIS,
// CP932, WINDOWS-31J; case and '-'/'_' ignored).
bool isShiftJisCodeset(std::string_view codeset);

// The codeset part of a locale name ("ja_JP.SJIS@x" -> "SJIS"), empty if none.
std::string_view codesetOfLocaleName(std::string_view name);

// Length in bytes of the character that starts at p: 0 at the terminator
// (p[0] == 0); otherwise 1 to 4. In CP932 a lead byte (0x81-0x9F, 0xE0-0xFC)
// followed by a non-zero byte makes a two-byte character. In UTF-8 a
// well-formed 2 to 4 byte sequence is one character; a malformed byte is a
// one-byte character. Reads no byte past the terminator.
int charLength(CodePage cp, const char* p);

// True when the text holds at least one multibyte character.
bool hasMultibyteChar(CodePage cp, const char* p);
// The same for the bytes of text up to its end or its first zero byte.
bool hasMultibyteChar(CodePage cp, std::string_view text);

// Case of one-byte ASCII letters only; every other byte stays as it is, so a
// byte inside a multibyte character is never folded.
inline char asciiLower(char c) { return (c >= 'A' && c <= 'Z') ? char(c - 'A' + 'a') : c; }
inline char asciiUpper(char c) { return (c >= 'a' && c <= 'z') ? char(c - 'a' + 'A') : c; }

// Conversions between the code page and UTF-8. A character that the target
// cannot represent, or a malformed input sequence, makes the conversion fail
// (nullopt); nothing is replaced silently.
std::optional<std::string> toUtf8(CodePage cp, std::string_view text);
std::optional<Text> fromUtf8(CodePage cp, std::string_view utf8);

// Lossy conversion for display only: undecodable bytes become U+FFFD.
std::string toUtf8ForDisplay(CodePage cp, std::string_view text);

// A fixed text of the program, written as a UTF-8 literal, in the active code
// page. Fixed texts are all representable in both code pages.
Text fixedText(std::string_view utf8);

// Case conversion by characters: one-byte a-z/A-Z always; in UTF-8 also
// letters with a simple one-to-one case mapping. A multibyte character is
// never broken; in CP932 every two-byte character is kept as it is.
Text toUpperText(CodePage cp, std::string_view text);
Text toLowerText(CodePage cp, std::string_view text);
// The same conversion appended to out, so that a caller building a longer
// text makes no text of its own for the part.
void appendCaseText(CodePage cp, std::string_view text, bool upper, Text& out);
