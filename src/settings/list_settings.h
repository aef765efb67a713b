#pragma once
// The main window's settings in the settings file, and the conversions that
// turn their texts into sizes and colours when they are applied.
#include "settings/ini_file.h"
#include "settings/integer_rule.h"

#include <cstdint>
#include <optional>

struct ListSettings {
    Text ListFontName;
    Text ListFontSize;
    Text ListFontColor;
    Text ListBackColor;
    bool PreviewSet = false;     // the preview before every rename run
    bool PreviewInFile = false;  // the settings file holds it
};

// Reads the four list settings, then the warning mode, then whether the
// preview is on ("1" on; anything else, or none, off).
void readMainSettings(const IniFile& ini, ListSettings& list, std::int32_t& dbcsMessageMode);
// Writes them back in the same order, texts exactly as held, in one rewrite;
// throws its write error.
void writeMainSettings(IniFile& ini, const ListSettings& list, std::int32_t dbcsMessageMode);

// Colours: 00BBGGRR fixed colours, 0x80000000 + index system colours,
// 0x1FFFFFFF no colour.
constexpr std::uint32_t ColourNone = 0x1FFFFFFFu;
constexpr std::uint32_t SystemColourBase = 0x80000000u;
bool isSystemColour(std::uint32_t colour);  // 0x80000000 to 0x80000018

// A colour name (letter case ignored) or the integer rule; throws the
// integer error otherwise.
std::uint32_t textToColour(const Text& text);
// The first colour name of that value, else "$" and eight upper-case
// hexadecimal digits.
Text colourToText(std::uint32_t colour);

// Font face: at most the first 255 characters, then at most 31 characters
// kept; nullopt for an empty name (the face stays as it was).
std::optional<Text> fontFaceFromSetting(const Text& listFontName);
// Pixel height of a size in points: -(points * ppi / 72), rounded.
int fontHeightFromPoints(int points, int pixelsPerInch);
