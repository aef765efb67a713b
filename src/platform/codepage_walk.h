#pragma once
// The character walk over a byte range that may hold zero bytes; for the
// platform files and the settings-file reader only.
#include "platform/codepage.h"

#include <cstddef>

namespace codepage_walk {

// Length of the character at p with avail bytes left (avail >= 1): 1 to 4.
// A zero byte is a one-byte character here; no byte at or past avail is read.
int charLengthIn(CodePage cp, const char* p, std::size_t avail);

// An ASCII byte is one character in every code page; the walks test this
// first, without the call.
inline bool isAsciiByte(char c)
{
    return static_cast<unsigned char>(c) < 0x80;
}

// The code point of a well-formed UTF-8 character of the given length.
char32_t decodeUtf8(const char* p, int length);

void appendUtf8(std::string& out, char32_t c);

}  // namespace codepage_walk
