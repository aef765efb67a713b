#include "settings/list_settings.h"

#include "platform/app_error.h"
#include "platform/codepage.h"

#include <array>
#include <cstdio>
#include <limits>
#include <string_view>
#include <vector>

namespace {

// The keys of the list settings, in the order they are read and written.
struct ListKey {
    std::string_view key;
    Text ListSettings::*field;
    std::string_view def;
};
constexpr std::string_view SectionText = "TextJyouhou";
const std::array<ListKey, 4> ListKeys{{
    {"TextFontName", &ListSettings::ListFontName, "system"},
    {"TextFontSize", &ListSettings::ListFontSize, "14"},
    {"TextFontColor", &ListSettings::ListFontColor, "clBlack"},
    {"TextBackColor", &ListSettings::ListBackColor, "clWindow"},
}};
constexpr std::string_view SectionDbcs = "DbcsSet";
constexpr std::string_view KeyDbcs = "Set";
constexpr std::int32_t DefaultDbcsMode = 3;
constexpr std::string_view SectionPreview = "Preview";
constexpr std::string_view KeyPreview = "Set";

struct ColourName {
    std::string_view name;
    std::uint32_t value;
};

constexpr std::array<ColourName, 42> ColourNames{{
    {"clBlack", 0x000000},          {"clMaroon", 0x000080},
    {"clGreen", 0x008000},          {"clOlive", 0x008080},
    {"clNavy", 0x800000},           {"clPurple", 0x800080},
    {"clTeal", 0x808000},           {"clGray", 0x808080},
    {"clSilver", 0xC0C0C0},         {"clRed", 0x0000FF},
    {"clLime", 0x00FF00},           {"clYellow", 0x00FFFF},
    {"clBlue", 0xFF0000},           {"clFuchsia", 0xFF00FF},
    {"clAqua", 0xFFFF00},           {"clWhite", 0xFFFFFF},
    {"clScrollBar", 0x80000000},    {"clBackground", 0x80000001},
    {"clActiveCaption", 0x80000002}, {"clInactiveCaption", 0x80000003},
    {"clMenu", 0x80000004},         {"clWindow", 0x80000005},
    {"clWindowFrame", 0x80000006},  {"clMenuText", 0x80000007},
    {"clWindowText", 0x80000008},   {"clCaptionText", 0x80000009},
    {"clActiveBorder", 0x8000000A}, {"clInactiveBorder", 0x8000000B},
    {"clAppWorkSpace", 0x8000000C}, {"clHighlight", 0x8000000D},
    {"clHighlightText", 0x8000000E}, {"clBtnFace", 0x8000000F},
    {"clBtnShadow", 0x80000010},    {"clGrayText", 0x80000011},
    {"clBtnText", 0x80000012},      {"clInactiveCaptionText", 0x80000013},
    {"clBtnHighlight", 0x80000014}, {"cl3DDkShadow", 0x80000015},
    {"cl3DLight", 0x80000016},      {"clInfoText", 0x80000017},
    {"clInfoBk", 0x80000018},       {"clNone", 0x1FFFFFFF},
}};

bool equalsIgnoringCase(std::string_view a, std::string_view b)
{
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (asciiLower(a[i]) != asciiLower(b[i])) return false;
    return true;
}

// a * b / c rounded half away from zero, clamped to the int range; 0 when c is 0.
int mulDivRounded(int a, int b, int c)
{
    if (c == 0) return 0;
    long long num = (long long)a * b;
    long long den = c;
    if (den < 0) {
        num = -num;
        den = -den;
    }
    const long long mag = ((num < 0 ? -num : num) + den / 2) / den;
    long long r = num < 0 ? -mag : mag;
    if (r > std::numeric_limits<int>::max()) r = std::numeric_limits<int>::max();
    if (r < -std::numeric_limits<int>::max()) r = -std::numeric_limits<int>::max();
    return int(r);
}

// The first maxChars characters of text, stopping at a NUL byte.
Text firstChars(const Text& text, int maxChars)
{
    const CodePage cp = activeCodePage();
    std::size_t end = 0;
    for (int n = 0; n < maxChars && end < text.size(); ++n) {
        const int len = charLength(cp, text.c_str() + end);
        if (len <= 0) break;
        end += std::size_t(len);
    }
    return text.substr(0, end);
}

}  // namespace

void readMainSettings(const IniFile& ini, ListSettings& list, std::int32_t& dbcsMessageMode)
{
    for (const ListKey& k : ListKeys) list.*k.field = ini.ReadString(SectionText, k.key, Text(k.def));
    dbcsMessageMode = ini.ReadInteger(SectionDbcs, KeyDbcs, DefaultDbcsMode);
    const Text preview = ini.ReadString(SectionPreview, KeyPreview, "\n");
    list.PreviewInFile = preview != "\n";
    list.PreviewSet = preview == "1";
}

void writeMainSettings(IniFile& ini, const ListSettings& list, std::int32_t dbcsMessageMode)
{
    std::vector<IniValue> values;
    for (const ListKey& k : ListKeys) values.push_back({SectionText, k.key, list.*k.field});
    values.push_back({SectionDbcs, KeyDbcs, std::to_string(dbcsMessageMode)});
    // A file never written with the preview on stays as it was.
    if (list.PreviewSet || list.PreviewInFile)
        values.push_back({SectionPreview, KeyPreview, list.PreviewSet ? "1" : "0"});
    ini.WriteValues(values);
}

bool isSystemColour(std::uint32_t colour)
{
    return colour >= SystemColourBase && colour <= SystemColourBase + 0x18;
}

std::uint32_t textToColour(const Text& text)
{
    for (const ColourName& entry : ColourNames)
        if (equalsIgnoringCase(text, entry.name)) return entry.value;
    return static_cast<std::uint32_t>(integerOrThrow(text));
}

Text colourToText(std::uint32_t colour)
{
    for (const ColourName& entry : ColourNames)
        if (entry.value == colour) return Text(entry.name);
    char buffer[16];
    std::snprintf(buffer, sizeof buffer, "$%08X", static_cast<unsigned>(colour));
    return buffer;
}

std::optional<Text> fontFaceFromSetting(const Text& listFontName)
{
    Text face = firstChars(firstChars(listFontName, 255), 31);
    if (face.empty()) return std::nullopt;
    return face;
}

int fontHeightFromPoints(int points, int pixelsPerInch)
{
    return -mulDivRounded(points, pixelsPerInch, 72);
}

