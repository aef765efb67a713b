#pragma once
// Character-wise helpers for names in the active code page. A character is
// one step of MbNextChar: a multibyte character (two bytes in CP932, two to
// four in UTF-8) or a single byte. Texts end at their first NUL byte.
// Positions count characters from 1. Every helper walks forward from the
// start, so a trail byte is never taken for a character of its own.
#include "platform/text.h"

#include <cstddef>

// True when a multibyte character starts at p (never at the terminator; a
// lead byte directly before the terminator is a one-byte character).
bool MbIsLeadByte(const char* p);

// 0 at the terminator (p unchanged); otherwise the character's byte length,
// and p moves past it.
int MbNextChar(const char*& p);

// Compares the characters at a and b, which are both not at a terminator.
// Two multibyte characters compare whole; otherwise the first bytes decide.
// On equality both move past the compared character. Case-sensitive.
bool MbCompareChar(const char*& a, const char*& b);

// t when the pattern occurs at t, otherwise nullptr. An empty pattern never
// matches a non-empty text.
const char* MbMatchAt(const char* t, const char* pattern);

// Passes at most maxChars characters (0: no limit) and returns how many were
// passed; bytesPassed gets their byte length.
int MbSkipChars(const char* text, int maxChars, std::size_t& bytesPassed);

// count characters of s from character position pos (0 counts as 1). Empty
// when s is empty, pos is negative, count is not positive, or pos is past
// the last character.
Text MbCopy(const Text& s, int pos, int count);

// Number of characters of s.
int MbLength(const Text& s);

// 1-based character position of the first occurrence of pattern in s, tried
// at character starts only; 0 when there is none or either is empty.
int MbPos(const Text& pattern, const Text& s);

// True when the text holds at least one multibyte character.
bool MbHasDbcs(const char* t);
bool MbHasDbcs(const Text& t);
