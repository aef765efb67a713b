#include "settings/ini_file.h"

#include "platform/app_error.h"
#include "platform/codepage.h"
#include "support/code_page_scope.h"
#include "support/memory_file_system.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>

#include <optional>

namespace {

using namespace std::string_literals;


struct IniFileTest : ::testing::Test {
    TempDir dir;
    Text path = dir.file("VOREL.INI");
    std::optional<IniFile> started{std::in_place, path};
    IniFile& ini = *started;

    void SetUp() override { setActiveCodePage(CodePage::Utf8); }
    // The file as the next start reads it.
    void give(const std::string& bytes)
    {
        dir.write("VOREL.INI", bytes);
        started.emplace(path);
    }
    std::string bytes() const { return TempDir::read(path); }
};

TEST_F(IniFileTest, MissingFileGivesDefaults)
{
    EXPECT_EQ(ini.ReadString("TextJyouhou", "TextFontName", "system"), "system");
    EXPECT_EQ(ini.ReadInteger("DbcsSet", "Set", 3), 3);
    EXPECT_FALSE(std::filesystem::exists(path));
}

TEST_F(IniFileTest, FirstWriteCreatesTheFile)
{
    ini.WriteString("ProgTitle", "1", "メモ帳");
    EXPECT_EQ(bytes(), "[ProgTitle]\r\n1=メモ帳\r\n");
    ini.WriteString("ProgTitle", "2", "");
    EXPECT_EQ(bytes(), "[ProgTitle]\r\n1=メモ帳\r\n2=\r\n");
    EXPECT_EQ(ini.ReadString("ProgTitle", "2", "x"), "");
}

struct RoundTrip {
    const char* name;
    std::string value;
    std::string line;  // as written to the file
    std::string back;  // as read back
};

TEST_F(IniFileTest, ValuesReadBackAsWritten)
{
    const RoundTrip cases[] = {
        {"plain", "abc", "K=abc", "abc"},
        {"empty", "", "K=", ""},
        {"one blank", " ", "K=\" \"", " "},
        {"blanks around", "  a b\t", "K=\"  a b\t\"", "  a b\t"},
        {"tab first", "\tx", "K=\"\tx\"", "\tx"},
        {"hex colour", "$000000FF", "K=$000000FF", "$000000FF"},
        {"lower-case name", "clwindow", "K=clwindow", "clwindow"},
        {"0x", "0x2", "K=0x2", "0x2"},
        {"double-quoted", "\"q\"", "K=\"\"q\"\"", "\"q\""},
        {"single-quoted", "'q'", "K=\"'q'\"", "'q'"},
        {"two quotes", "\"\"", "K=\"\"\"\"", "\"\""},
        {"lone quote", "\"", "K=\"", "\""},
        {"opening quote only", "\"abc", "K=\"abc", "\"abc"},
        {"mixed quotes", "'abc\"", "K='abc\"", "'abc\""},
        {"blank then quote", " \"", "K=\" \"\"", " \""},
        {"equals sign", "a=b", "K=a=b", "a=b"},
        {"comment mark", ";x", "K=;x", ";x"},
        {"brackets", "[x]", "K=[x]", "[x]"},
        {"multibyte", "日本語", "K=日本語", "日本語"},
        {"percent f", "%f /p", "K=%f /p", "%f /p"},
        // A line break never splits the line: each CR and LF becomes a blank.
        {"LF inside", "a\nb", "K=a b", "a b"},
        {"CR LF inside", "a\r\nb", "K=a  b", "a  b"},
        {"LF at end", "a\n", "K=\"a \"", "a "},
        {"CR first", "\rx", "K=\" x\"", " x"},
        {"NUL ends", "ab\0cd"s, "K=ab", "ab"},
    };
    for (const RoundTrip& c : cases) {
        SCOPED_TRACE(c.name);
        std::filesystem::remove(path);
        ini.WriteString("S", "K", c.value);
        EXPECT_EQ(bytes(), "[S]\r\n" + c.line + "\r\n");
        EXPECT_EQ(ini.ReadString("S", "K", "default"), c.back);
        // Rewriting the existing key gives the same bytes.
        ini.WriteString("S", "K", c.value);
        EXPECT_EQ(bytes(), "[S]\r\n" + c.line + "\r\n");
    }
}

struct Decoding {
    std::string line;
    std::string value;
};

TEST_F(IniFileTest, ValuesAreTrimmedAndUnquotedOnRead)
{
    const Decoding cases[] = {
        {"K=abc", "abc"},
        {"K =  abc  ", "abc"},
        {"  K\t=\tabc\t", "abc"},
        {"K=\"  a  \"  ", "  a  "},
        {"K=  'x'", "x"},
        {"K='x\"", "'x\""},
        {"K=\"\"", ""},
        {"K=\"", "\""},
        {"K=\"\"\"", "\""},
        {"K=a = b", "a = b"},
        {"K=a\0b"s, "a"},
        {"k=lower key", "lower key"},
    };
    for (const Decoding& c : cases) {
        SCOPED_TRACE(c.line);
        give("[S]\r\n" + c.line + "\r\n");
        EXPECT_EQ(ini.ReadString("S", "K", "default"), c.value);
    }
}

TEST_F(IniFileTest, LinesThatHoldNoKeyGiveTheDefault)
{
    const std::string cases[] = {
        "K", "=K", ";K=1", "[K=1", " ", "",
    };
    for (const std::string& line : cases) {
        SCOPED_TRACE(line);
        give("[S]\r\n" + line + "\r\n");
        EXPECT_EQ(ini.ReadString("S", "K", "default"), "default");
        EXPECT_EQ(ini.ReadString("S", "", "default"), "default");
    }
}

TEST_F(IniFileTest, SectionsAndKeysMatchWithoutRegardToCase)
{
    give("[textjyouhou]\r\nTEXTFONTNAME=MS Gothic\r\n[ DbcsSet ]\r\n set = 2 \r\n");
    EXPECT_EQ(ini.ReadString("TextJyouhou", "TextFontName", "system"), "MS Gothic");
    EXPECT_EQ(ini.ReadInteger("DBCSSET", "Set", 3), 2);

    // The key keeps its spelling in the file; only its line changes.
    ini.WriteString("TextJyouhou", "TextFontName", "IPAGothic");
    ini.WriteInteger("dbcsset", "SET", 1);
    EXPECT_EQ(bytes(), "[textjyouhou]\r\nTEXTFONTNAME=IPAGothic\r\n[ DbcsSet ]\r\nset=1\r\n");
}

TEST_F(IniFileTest, CaseMatchingIsAsciiOnly)
{
    give("[Ｓ]\r\nＫ=1\r\n");
    EXPECT_EQ(ini.ReadString("Ｓ", "Ｋ", "d"), "1");
    EXPECT_EQ(ini.ReadString("ｓ", "Ｋ", "d"), "d");
}

struct NameMatch {
    const char* name;
    CodePage cp;
    std::string before;
    std::string section;
    std::string key;
    std::string read;   // "(default)" for the default
    std::string after;  // after writing "v" to the same section and key
};

// Names compare character by character, folding one-byte letters only: the
// trail byte of a Shift-JIS character is neither a letter nor a "]".
TEST_F(IniFileTest, NamesMatchByCharactersOfTheCodePage)
{
    // カ 0x83 0x4A and ニ 0x83 0x6A differ only in a trail byte that looks like
    // "J" and "j"; ゾ 0x83 0x5D ends in "]".
    const std::string ka = "\x83\x4A", ni = "\x83\x6A", zo = "\x83\x5D";
    const std::string kaNi = "[S]\r\n" + ka + "=ka\r\n" + ni + "=ni\r\n";
    const NameMatch cases[] = {
        {"trail byte J is not j", CodePage::Cp932, kaNi, "S", ni, "ni",
         "[S]\r\n" + ka + "=ka\r\n" + ni + "=v\r\n"},
        {"trail byte j is not J", CodePage::Cp932, "[S]\r\n" + ni + "=ni\r\n", "S", ka, "(default)",
         "[S]\r\n" + ni + "=ni\r\n" + ka + "=v\r\n"},
        {"section of a trail byte J", CodePage::Cp932, "[" + ni + "]\r\nK=1\r\n", ka, "K", "(default)",
         "[" + ni + "]\r\nK=1\r\n[" + ka + "]\r\nK=v\r\n"},
        {"section ending in a ] trail byte", CodePage::Cp932, "[" + zo + "]\r\nK=1\r\n", zo, "K", "1",
         "[" + zo + "]\r\nK=v\r\n"},
        {"] trail byte inside a section name", CodePage::Cp932, "[" + zo + "x]\r\nK=1\r\n",
         zo + "X", "k", "1", "[" + zo + "x]\r\nK=v\r\n"},
        {"one-byte letters still fold", CodePage::Cp932, "[s" + ka + "]\r\n" + ka + "k=1\r\n",
         "S" + ka, ka + "K", "1", "[s" + ka + "]\r\n" + ka + "k=v\r\n"},
        {"UTF-8 letters fold, others do not", CodePage::Utf8, "[s\xC3\xA9]\r\nk\xEF\xBD\x8B=1\r\n",
         "S\xC3\xA9", "K\xEF\xBC\xAB", "(default)", "[s\xC3\xA9]\r\nk\xEF\xBD\x8B=1\r\nK\xEF\xBC\xAB=v\r\n"},
        {"UTF-8 names fold by their one-byte letters", CodePage::Utf8, "[s\xC3\xA9]\r\nk\xEF\xBD\x8B=1\r\n",
         "S\xC3\xA9", "K\xEF\xBD\x8B", "1", "[s\xC3\xA9]\r\nk\xEF\xBD\x8B=v\r\n"},
        // The DOS end-of-file mark is white space.
        {"end-of-file mark after the value", CodePage::Cp932, "[DbcsSet]\r\nSet=2\x1A", "DbcsSet", "Set", "2",
         "[DbcsSet]\r\nSet=v\r\n"},
        {"end-of-file mark on a line of its own", CodePage::Utf8, "[DbcsSet]\r\nSet=2\r\n\x1A", "DbcsSet", "Set",
         "2", "[DbcsSet]\r\nSet=v\r\n\x1A"},
        {"end-of-file mark around names", CodePage::Utf8, "[\x1A" "DbcsSet\x1A]\r\n\x1ASet\x1A=\x1A" "2\r\n",
         "DbcsSet", "Set", "2", "[\x1A" "DbcsSet\x1A]\r\nSet=v\r\n"},
    };
    for (const NameMatch& c : cases) {
        SCOPED_TRACE(c.name);
        CodePageScope scope(c.cp);
        give(c.before);
        EXPECT_EQ(ini.ReadString(c.section, c.key, "(default)"), c.read);
        ini.WriteString(c.section, c.key, "v");
        EXPECT_EQ(bytes(), c.after);
        EXPECT_EQ(ini.ReadString(c.section, c.key, "(default)"), "v");
    }

    // A value that ends in the mark is written in quotes and reads back whole.
    ini.WriteString("S", "K", "2\x1A");
    EXPECT_EQ(ini.ReadString("S", "K", ""), "2\x1A");
    give("[DbcsSet]\r\nSet=2\x1A");
    EXPECT_EQ(ini.ReadInteger("DbcsSet", "Set", 3), 2);
}

TEST_F(IniFileTest, FirstSectionAndFirstKeyWin)
{
    give("[S]\r\nK=1\r\nk=2\r\n[T]\r\n[s]\r\nK=3\r\nL=4\r\n");
    EXPECT_EQ(ini.ReadString("S", "K", "d"), "1");
    // A key only in a later section of the same name is not seen, and a write
    // goes to the first section.
    EXPECT_EQ(ini.ReadString("S", "L", "d"), "d");
    ini.WriteString("S", "K", "9");
    ini.WriteString("S", "L", "8");
    EXPECT_EQ(bytes(), "[S]\r\nK=9\r\nk=2\r\nL=8\r\n[T]\r\n[s]\r\nK=3\r\nL=4\r\n");
}

TEST_F(IniFileTest, KeysBeforeTheFirstSectionBelongToNone)
{
    give("K=1\r\n[S]\r\nJ=2\r\n");
    EXPECT_EQ(ini.ReadString("S", "K", "d"), "d");
    ini.WriteString("S", "K", "3");
    EXPECT_EQ(bytes(), "K=1\r\n[S]\r\nJ=2\r\nK=3\r\n");
}

struct Edit {
    const char* name;
    const char* section;
    const char* key;
    const char* value;
    std::string after;
};

TEST_F(IniFileTest, WritesKeepEveryOtherLineByteForByte)
{
    const std::string before =
        "; Vorel settings\r\n"
        "[S]\r\n"
        "  ; indented comment\r\n"
        "K = old \r\n"
        "stray line without equals\r\n"
        "J=2\r\n"
        "\r\n"
        "# not ours\r\n"
        "[T]\r\n"
        "X=1\r\n";
    const Edit cases[] = {
        {"existing key", "S", "K", "new",
         "; Vorel settings\r\n[S]\r\n  ; indented comment\r\nK=new\r\nstray line without equals\r\n"
         "J=2\r\n\r\n# not ours\r\n[T]\r\nX=1\r\n"},
        {"new key after the last key line", "S", "N", "v",
         "; Vorel settings\r\n[S]\r\n  ; indented comment\r\nK = old \r\nstray line without equals\r\n"
         "J=2\r\nN=v\r\n\r\n# not ours\r\n[T]\r\nX=1\r\n"},
        {"new key in the last section", "T", "Y", "v", before + "Y=v\r\n"},
        {"new section", "U", "Z", "v", before + "[U]\r\nZ=v\r\n"},
    };
    for (const Edit& c : cases) {
        SCOPED_TRACE(c.name);
        give(before);
        ini.WriteString(c.section, c.key, c.value);
        EXPECT_EQ(bytes(), c.after);
    }
}

TEST_F(IniFileTest, NewKeyInASectionWithoutKeysFollowsItsHeader)
{
    give("[S]\r\n; only a comment\r\n[T]\r\n");
    ini.WriteString("S", "K", "1");
    EXPECT_EQ(bytes(), "[S]\r\nK=1\r\n; only a comment\r\n[T]\r\n");
}

struct Damaged {
    const char* name;
    std::string before;
    const char* readKey;
    std::string read;  // "(default)" for the default
    const char* writeSection;
    const char* writeKey;
    std::string after;
};

TEST_F(IniFileTest, DamagedFilesReadAsFarAsUnderstoodAndKeepTheirBytes)
{
    const std::string mbLine(1 << 20, 'x');
    const std::string binary = "\x01\x02\xFF\xFE\x80garbage\x1B[0m";
    const Damaged cases[] = {
        {"binary bytes", binary + "\r\n[S]\r\nK=1\r\n", "K", "1", "S", "K",
         binary + "\r\n[S]\r\nK=v\r\n"},
        {"binary value", "[S]\r\nK=\x81\xFF\x01\r\n", "K", "\x81\xFF\x01", "S", "J",
         "[S]\r\nK=\x81\xFF\x01\r\nJ=v\r\n"},
        {"NUL bytes", "[S]\r\n\0\0\0\r\nK=1\0\0\r\n"s, "K", "1", "S", "K",
         "[S]\r\n\0\0\0\r\nK=v\r\n"s},
        {"NUL in a section name", "[S\0x]\r\nK=1\r\n"s, "K", "(default)", "S", "K",
         "[S\0x]\r\nK=1\r\n[S]\r\nK=v\r\n"s},
        {"1 MB line", "[S]\r\n" + mbLine + "\r\nK=1\r\n", "K", "1", "S", "J",
         "[S]\r\n" + mbLine + "\r\nK=1\r\nJ=v\r\n"},
        {"1 MB value", "[S]\r\nK=" + mbLine + "\r\n", "K", std::string(1023, 'x'), "S", "J",
         "[S]\r\nK=" + mbLine + "\r\nJ=v\r\n"},
        {"no final line end, same key", "[S]\r\nK=1", "K", "1", "S", "K", "[S]\r\nK=v\r\n"},
        {"no final line end, new key", "[S]\r\nK=1", "K", "1", "S", "J", "[S]\r\nK=1\r\nJ=v\r\n"},
        {"no final line end, new section", "[S]\r\nK=1", "K", "1", "T", "J",
         "[S]\r\nK=1\r\n[T]\r\nJ=v\r\n"},
        {"no final line end after a header", "[S]", "K", "(default)", "S", "K", "[S]\r\nK=v\r\n"},
        {"byte order mark", "\xEF\xBB\xBF[S]\r\nK=1\r\n", "K", "1", "S", "J",
         "\xEF\xBB\xBF[S]\r\nK=1\r\nJ=v\r\n"},
        {"byte order mark only", "\xEF\xBB\xBF", "K", "(default)", "S", "K",
         "\xEF\xBB\xBF[S]\r\nK=v\r\n"},
        {"LF line ends", "[S]\nK=1\nJ=2\n[T]\n", "J", "2", "S", "K", "[S]\nK=v\r\nJ=2\n[T]\n"},
        {"LF line ends, new key", "[S]\nK=1\n[T]\n", "K", "1", "S", "J", "[S]\nK=1\nJ=v\r\n[T]\n"},
        {"CR line ends", "[S]\rK=1\rJ=2\r", "J", "2", "S", "K", "[S]\rK=v\r\nJ=2\r"},
        {"CR line ends, new section", "[S]\rK=1\r", "K", "1", "T", "K", "[S]\rK=1\r[T]\r\nK=v\r\n"},
        {"mixed line ends", "[S]\r\r\nK=1\n\rJ=2", "J", "2", "S", "K", "[S]\r\r\nK=v\r\n\rJ=2"},
        {"only NUL bytes", "\0\0\0"s, "K", "(default)", "S", "K", "\0\0\0\r\n[S]\r\nK=v\r\n"s},
        {"unclosed section", "[S\r\nK=1\r\n", "K", "(default)", "S", "K", "[S\r\nK=1\r\n[S]\r\nK=v\r\n"},
    };
    for (const Damaged& c : cases) {
        SCOPED_TRACE(c.name);
        give(c.before);
        EXPECT_EQ(ini.ReadString("S", c.readKey, "(default)"), c.read);
        EXPECT_EQ(ini.ReadInteger("S", c.readKey, -5), c.read == "1" ? 1 : c.read == "2" ? 2 : -5);
        ini.WriteString(c.writeSection, c.writeKey, "v");
        EXPECT_EQ(bytes(), c.after);
    }
}

TEST_F(IniFileTest, LongValuesReadBackAsTheirFirst1023Bytes)
{
    const std::string value(2000, 'a');
    ini.WriteString("S", "K", value);
    EXPECT_EQ(bytes(), "[S]\r\nK=" + value + "\r\n");  // written whole
    EXPECT_EQ(ini.ReadString("S", "K", ""), value.substr(0, 1023));

    ini.WriteString("S", "K", std::string(1023, 'b'));
    EXPECT_EQ(ini.ReadString("S", "K", ""), std::string(1023, 'b'));

    // The cut is counted after the quotes are removed.
    give("[S]\r\nK=\"" + std::string(1023, 'c') + "\"\r\n");
    EXPECT_EQ(ini.ReadString("S", "K", ""), std::string(1023, 'c'));
}

TEST_F(IniFileTest, TheCutNeverSplitsAMultibyteCharacter)
{
    struct Case {
        CodePage cp;
        std::string character;
    };
    const Case cases[] = {{CodePage::Utf8, "\xE3\x81\x82"}, {CodePage::Cp932, "\x82\xA0"}};
    for (const Case& c : cases) {
        CodePageScope scope(c.cp);
        const std::string head(1022, 'a');
        ini.WriteString("S", "K", head + c.character + "zz");
        EXPECT_EQ(ini.ReadString("S", "K", ""), head);
        ini.WriteString("S", "K", std::string(1023 - c.character.size(), 'a') + c.character + "zz");
        EXPECT_EQ(ini.ReadString("S", "K", ""), std::string(1023 - c.character.size(), 'a') + c.character);
    }
}

struct IntegerCase {
    std::string stored;
    std::int32_t value;
};

TEST_F(IniFileTest, ReadIntegerTurns0xIntoDollarThenTakesTheIntegerRule)
{
    const IntegerCase cases[] = {
        {"0x2", 2},
        {"0X2", 2},
        {"0x", 3},
        {"0X", 3},
        {" 2", 2},
        {"2a", 3},
        {"7", 7},
        {"-7", -7},
        {"+7", 7},
        {"", 3},
        {"0xFF", 255},
        {"0xff", 255},
        {"$ff", 255},
        {"0x80000000", -2147483647 - 1},
        {"0xFFFFFFFF", -1},
        {"0x123456789", 3},
        {"00x2", 3},
        {"x0x2", 3},
        {"0y2", 3},
        {"0x-2", 3},
        {"0x 2", 3},
        {"2147483647", 2147483647},
        {"2147483648", 3},
        {"-2147483647", -2147483647},
        {"-2147483648", 3},
        {"\"0x10\"", 16},
        {"0009", 9},
    };
    for (const IntegerCase& c : cases) {
        SCOPED_TRACE(c.stored);
        give("[DbcsSet]\r\nSet=" + c.stored + "\r\n");
        EXPECT_EQ(ini.ReadInteger("DbcsSet", "Set", 3), c.value);
    }
}

TEST_F(IniFileTest, WriteIntegerWritesDecimal)
{
    const std::pair<std::int32_t, std::string> cases[] = {
        {0, "0"}, {7, "7"}, {-1, "-1"}, {2147483647, "2147483647"}, {-2147483647 - 1, "-2147483648"},
    };
    for (const auto& [value, text] : cases) {
        SCOPED_TRACE(text);
        ini.WriteInteger("DbcsSet", "Set", value);
        EXPECT_EQ(bytes(), "[DbcsSet]\r\nSet=" + text + "\r\n");
        EXPECT_EQ(ini.ReadString("DbcsSet", "Set", ""), text);
    }
}

// Reads answer from what was read; a write keeps what another program wrote
// meanwhile, and reads then answer from the file as written.
TEST_F(IniFileTest, ReadsAnswerFromTheCopyWritesReadTheFileAfresh)
{
    ini.WriteString("S", "K", "1");
    dir.write("VOREL.INI", "[S]\r\nK=2\r\n; edited meanwhile\r\n");
    EXPECT_EQ(ini.ReadString("S", "K", ""), "1");
    ini.WriteString("S", "J", "3");
    EXPECT_EQ(bytes(), "[S]\r\nK=2\r\nJ=3\r\n; edited meanwhile\r\n");
    EXPECT_EQ(ini.ReadString("S", "K", ""), "2");
}

TEST(IniFileReads, TheFileIsReadOnceAtStartAndOnceForEachWrite)
{
    MemoryFileSystem fs;
    fs.files["/p/VOREL.INI"] = "[S]\r\nK=1\r\n";
    IniFile ini("/p/VOREL.INI", fs);
    for (int i = 0; i < 50; ++i) EXPECT_EQ(ini.ReadInteger("S", "K", 0), 1);
    EXPECT_EQ(fs.readCalls, 1);
    ini.WriteValues({{"S", "K", "2"}, {"S", "J", "3"}, {"T", "K", "4"}});
    EXPECT_EQ(fs.readCalls, 2);
    EXPECT_EQ(fs.replaceCalls, 1);
    EXPECT_EQ(fs.files["/p/VOREL.INI"], "[S]\r\nK=2\r\nJ=3\r\n[T]\r\nK=4\r\n");
    // What the file already holds is not written again.
    ini.WriteValues({{"S", "K", "2"}, {"T", "K", "4"}});
    EXPECT_EQ(fs.replaceCalls, 1);
}

struct ErrorText {
    CodePage cp;
    std::string path;
    std::string message;
};

TEST(IniFileWriteError, NamesTheFullPathInTheActiveCodePage)
{
    const ErrorText cases[] = {
        {CodePage::Utf8, "/opt/設定/VOREL.INI",
         "/opt/設定/VOREL.INI \xE3\x81\xAB\xE6\x9B\xB8\xE3\x81\x8D\xE8\xBE\xBC\xE3\x82\x81"
         "\xE3\x81\xBE\xE3\x81\x9B\xE3\x82\x93"},
        {CodePage::Cp932, "/opt/\x90\xDD\x92\xE8/VOREL.INI",
         "/opt/\x90\xDD\x92\xE8/VOREL.INI \x82\xC9\x8F\x91\x82\xAB\x8D\x9E\x82\xDF\x82\xDC\x82\xB9\x82\xF1"},
        {CodePage::Cp932, "/opt/%s/VOREL.INI",
         "/opt/%s/VOREL.INI \x82\xC9\x8F\x91\x82\xAB\x8D\x9E\x82\xDF\x82\xDC\x82\xB9\x82\xF1"},
    };
    for (const ErrorText& c : cases) {
        SCOPED_TRACE(c.path);
        CodePageScope scope(c.cp);
        MemoryFileSystem fs;
        fs.files[c.path] = "[S]\r\nK=1\r\n";
        fs.replacesLeft = 0;
        IniFile ini(c.path, fs);
        try {
            ini.WriteString("S", "K", "2");
            ADD_FAILURE() << "no error";
        } catch (const AppError& e) {
            EXPECT_EQ(e.message(), c.message);
            EXPECT_EQ(std::string(e.what()), c.message);
        }
        EXPECT_THROW(ini.WriteInteger("S", "K", 2), AppError);
        EXPECT_EQ(fs.files[c.path], "[S]\r\nK=1\r\n");
    }
}

TEST(IniFileWriteError, AFileThatCannotBeReadIsNotReplaced)
{
    MemoryFileSystem fs;
    fs.files["/p/VOREL.INI"] = "[ProgTitle]\r\n1=mine\r\n";
    fs.unreadable = true;
    IniFile ini("/p/VOREL.INI", fs);
    EXPECT_EQ(ini.ReadString("ProgTitle", "1", "d"), "d");
    EXPECT_THROW(ini.WriteString("S", "K", "v"), AppError);
    EXPECT_EQ(fs.replaceCalls, 0);
    EXPECT_EQ(fs.files["/p/VOREL.INI"], "[ProgTitle]\r\n1=mine\r\n");
}

TEST(IniFileWriteError, ADirectoryInThePlaceOfTheFile)
{
    setActiveCodePage(CodePage::Utf8);
    TempDir dir;
    std::filesystem::create_directory(dir.path() / "VOREL.INI");
    IniFile ini(dir.file("VOREL.INI"));
    EXPECT_EQ(ini.ReadString("S", "K", "d"), "d");
    try {
        ini.WriteString("S", "K", "v");
        ADD_FAILURE() << "no error";
    } catch (const AppError& e) {
        EXPECT_EQ(e.message(), dir.file("VOREL.INI") + " に書き込めません");
    }
    EXPECT_TRUE(std::filesystem::is_directory(dir.path() / "VOREL.INI"));
}

TEST(IniFileWriteError, AMissingDirectory)
{
    setActiveCodePage(CodePage::Utf8);
    TempDir dir;
    const Text path = dir.file("gone") + "/VOREL.INI";
    IniFile ini(path);
    try {
        ini.WriteString("S", "K", "v");
        ADD_FAILURE() << "no error";
    } catch (const AppError& e) {
        EXPECT_EQ(e.message(), path + " に書き込めません");
    }
}

}  // namespace
