#include "DataMessages.h"
#include "FullDisk.h"
#include "SaveFile.h"
#include "ScriptedHostServices.h"
#include "Sjis.h"
#include "TableContents.h"
#include "TempDir.h"
#include "TestDocument.h"
#include "TextFileReader.h"
#include "YearEvent.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <memory>
#include <random>
#include <string>
#include <vector>

namespace {

const std::string kDataDir = std::string(ANNALUX_TEST_DATA_DIR) + "/lev/";

SEventData Rec(int32_t year, int month, int day, const std::string& textUtf8,
               const std::string& supplementUtf8 = "", int priority = 0, bool leap = false,
               uint32_t range = 0, int32_t otherYear = 0)
{
    SEventData r;
    r.year = year;
    r.month = static_cast<int16_t>(month);
    r.day = static_cast<int16_t>(day);
    r.text = Sjis(textUtf8);
    r.supplement = Sjis(supplementUtf8);
    r.priority = priority;
    r.leapMonth = leap;
    r.rangeFlags = range;
    r.otherYear = otherYear;
    return r;
}

std::string Describe(const SEventData& r)
{
    return std::to_string(r.year) + " " + std::to_string(r.month) + "/" + std::to_string(r.day) +
           (r.leapMonth ? " leap" : "") + " [" + Utf8(r.text) + "] [" + Utf8(r.supplement) + "] p" +
           std::to_string(r.priority) + " range " + std::to_string(r.rangeFlags) + " other " +
           std::to_string(r.otherYear);
}

void ExpectRecords(const CYearEvent& table, const std::vector<SEventData>& expected)
{
    std::vector<SEventData> got = Records(table);
    ASSERT_EQ(got.size(), expected.size());
    for (size_t i = 0; i < got.size(); ++i)
        EXPECT_EQ(got[i], expected[i]) << "record " << i << ": got " << Describe(got[i])
                                       << ", expected " << Describe(expected[i]);
}

// Reads .lev bytes from memory the way ReadFile reads them from a file.
int ReadBytes(CYearEvent& table, const std::string& bytes, bool sorted = false)
{
    CTextFileReader reader;
    reader.SetContent(bytes);
    return table.ReadContent(reader, sorted);
}

// A version-7 file holding the given record lines (Shift-JIS already).
std::string V7(const std::vector<std::string>& recordLines)
{
    std::string s = Sjis("[出来事], 7\r\n名前\r\n説明\r\n0\r\n");
    for (const std::string& line : recordLines)
        s += line + "\r\n";
    return s;
}

// A table that uses most of what the format can carry.
CYearEvent MakeRichTable()
{
    CYearEvent t;
    t.SetTableName(Sjis("日本史, \"表\" 能"));
    t.SetExplanation(Sjis("一行目 表\r\n二行目 ソ\r\n\"引用\", 終わり"));
    t.SetTodayDate(true);
    const std::vector<SEventData> recs = {
        Rec(-2147483647 - 1, -1, -1, "最小の年", "", 0, false, 0, 2147483647),
        Rec(-660, 1, 1, "神武天皇即位", "伝説\r\n表\r\n", 2),
        Rec(-1, 12, 31, "紀元前1年", "", 1, false, RANGE_UNTIL | RANGE_ABOUT, -50),
        Rec(1, -1, -1, "元年", "", 0, false, RANGE_FROM | RANGE_OTHER_YEAR_ABOUT, 30),
        Rec(1582, 6, 2, "本能寺の変 \"敵は本能寺にあり\"", "明智光秀, 織田信長", 0),
        Rec(1600, 3, 5, "閏三月の出来事", "", 1, true),
        Rec(1600, 3, 31, "ソフト, 表示", "a \"\"quoted\"\" b", 2, false, RANGE_ABOUT),
        Rec(1700, 4, -1, "表", "\\", 0, false, RANGE_FROM | RANGE_ABOUT | RANGE_OTHER_YEAR_ABOUT,
            -2147483647 - 1),
        Rec(1868, -1, -1, "明治 \"維新\"", "x\r\ny", 1, false,
            RANGE_FROM | RANGE_ABOUT | RANGE_OTHER_YEAR_ABOUT, 1869),
        Rec(2147483647, 12, -1, "最大の年", "能\r\n", 2, true, RANGE_UNTIL, -2147483647),
        Rec(2000, 1, 1, "", "", 0),
    };
    for (const SEventData& r : recs)
        t.SetData(r, false, -1, EP_EVERY);
    return t;
}

} // namespace

// ---------------------------------------------------------------------------
// Files of every version as older programs wrote them.

struct SVersionCase
{
    const char* file;
    const char* nameUtf8;
    const char* explanationUtf8;
    bool today;
    std::vector<SEventData> records;
};

class LevVersions : public ::testing::TestWithParam<SVersionCase>
{
};

TEST_P(LevVersions, ReadsEveryFieldOfItsVersion)
{
    const SVersionCase& c = GetParam();
    CScriptedHostServices host;
    CHostServicesScope scope(host);
    CYearEvent table;
    table.SetExplanation("stale"); // versions without the line clear nothing but the flag
    table.SetTodayDate(true);
    ASSERT_TRUE(table.ReadFile((kDataDir + c.file).c_str(), false));
    EXPECT_TRUE(host.Messages().empty());
    EXPECT_EQ(table.GetTableName(), Sjis(c.nameUtf8));
    EXPECT_EQ(table.GetExplanation(), c.explanationUtf8 ? Sjis(c.explanationUtf8) : "stale");
    EXPECT_EQ(table.GetTodayDate(), c.today);
    EXPECT_FALSE(table.GetModified());
    ExpectRecords(table, c.records);
}

INSTANTIATE_TEST_SUITE_P(
    AllVersions, LevVersions,
    ::testing::Values(
        SVersionCase{"v0.lev",
                     "古代史表",
                     nullptr,
                     false,
                     {Rec(-660, -1, -1, "神武天皇即位", "伝説上の年"),
                      Rec(1945, -1, -1, "終戦", "ポツダム宣言受諾\r\n８月１５日")}},
        SVersionCase{"v1.lev",
                     "表の名前",
                     nullptr,
                     false,
                     {Rec(1945, -1, -1, "text", "supp", 2),
                      Rec(1600, -1, -1, "関ヶ原の戦い", "", 0),
                      Rec(1603, -1, -1, "江戸幕府", "", 0)}},
        SVersionCase{"v2.lev",
                     "ソフト年表",
                     nullptr,
                     false,
                     {Rec(1868, 1, 3, "戊辰戦争", "鳥羽・伏見の戦い", 1),
                      Rec(1600, 9, 15, "関ヶ原の戦い, 東軍勝利", "", 0)}},
        SVersionCase{"v3.lev",
                     "能楽史",
                     "能の歴史\r\n室町時代から表へ",
                     false,
                     {Rec(1374, -1, -1, "今熊野で猿楽能", "観阿弥・世阿弥\r\n表", 0)}},
        SVersionCase{
            "v4.lev", "近代", "明治以後", true, {Rec(1889, 2, 11, "大日本帝国憲法発布", "", 0)}},
        SVersionCase{
            "v5.lev",
            "閏月の例",
            "",
            false,
            {Rec(1582, 6, 2, "本能寺の変", "", 0), Rec(1600, 3, 5, "閏三月", "", 1, true)}},
        SVersionCase{"v6.lev",
                     "範囲",
                     "から・まで・頃",
                     false,
                     {Rec(1603, -1, -1, "江戸幕府", "", 0, false, RANGE_FROM),
                      Rec(1867, 10, 14, "大政奉還", "", 0, false, RANGE_UNTIL | RANGE_ABOUT),
                      Rec(1543, -1, -1, "鉄砲伝来", "", 2, false, RANGE_ABOUT),
                      Rec(1600, 9, 15, "T", "", 0)}},
        SVersionCase{"v7.lev",
                     "幕末",
                     "説明\r\n二行目",
                     true,
                     {Rec(1868, -1, -1, "明治 \"維新\"", "x\r\ny", 1, false,
                          RANGE_FROM | RANGE_ABOUT | RANGE_OTHER_YEAR_ABOUT, 1869),
                      Rec(-50, 1, 2, "紀元前", "", 2, true, RANGE_UNTIL, -50),
                      Rec(1600, 9, 15, "T", "", 0)}}),
    [](const ::testing::TestParamInfo<SVersionCase>& info) {
        std::string n = info.param.file;
        return n.substr(0, n.find('.'));
    });

TEST(LevRead, LfOnlyFilesReadLikeCrLfFiles)
{
    for (const char* file : {"v3.lev", "v7.lev"}) {
        std::string bytes = TempDir::Read(kDataDir + file);
        std::string lf;
        for (size_t i = 0; i < bytes.size(); ++i) {
            if (!(bytes[i] == '\r' && i + 1 < bytes.size() && bytes[i + 1] == '\n'))
                lf += bytes[i];
        }
        ASSERT_LT(lf.size(), bytes.size());
        CYearEvent crlf, lfOnly;
        ASSERT_EQ(ReadBytes(crlf, bytes), 0) << file;
        ASSERT_EQ(ReadBytes(lfOnly, lf), 0) << file;
        ExpectRecords(lfOnly, Records(crlf));
        EXPECT_EQ(lfOnly.GetExplanation(), crlf.GetExplanation());
    }
}

TEST(LevRead, SortedReadPutsRecordsInDateOrderAndAddsToWhatIsThere)
{
    CYearEvent table;
    table.SetData(Rec(1700, -1, -1, "既存"), false, -1, EP_EVERY);
    ASSERT_EQ(ReadBytes(table,
                        V7({Sjis("1868, 1, 3, \"b\", \"\", 0, 0, , 0"),
                            Sjis("1600, 3, 5, \"leap\", \"\", 0, 1, , 0"),
                            Sjis("1600, 4, 1, \"april\", \"\", 0, 0, , 0"),
                            Sjis("1600, 3, 31, \"march\", \"\", 0, 0, , 0"),
                            Sjis("1600, -1, -1, \"year\", \"\", 0, 0, , 0")}),
                        true),
              0);
    std::vector<std::string> texts;
    for (const SEventData& r : Records(table))
        texts.push_back(Utf8(r.text));
    EXPECT_EQ(texts, (std::vector<std::string>{"year", "march", "leap", "april", "既存", "b"}));
    EXPECT_FALSE(table.GetModified());
}

// One field of a version-7 record and what it must read as.
struct SFieldCase
{
    const char* lineUtf8;
    SEventData expected;
};

class LevRecordFields : public ::testing::TestWithParam<SFieldCase>
{
};

TEST_P(LevRecordFields, ReadAsOlderProgramsWroteThem)
{
    CYearEvent table;
    ASSERT_EQ(ReadBytes(table, V7({Sjis(GetParam().lineUtf8)})), 0) << GetParam().lineUtf8;
    ExpectRecords(table, {GetParam().expected});
}

INSTANTIATE_TEST_SUITE_P(
    Fields, LevRecordFields,
    ::testing::Values(
        // priority outside 0..2 reads as 0
        SFieldCase{"1, 1, 1, \"t\", \"\", 7, 0, , 0", Rec(1, 1, 1, "t", "", 0)},
        SFieldCase{"1, 1, 1, \"t\", \"\", -1, 0, , 0", Rec(1, 1, 1, "t", "", 0)},
        // leap month only for exactly "1" (after trimming)
        SFieldCase{"1, 1, 1, \"t\", \"\", 0,  1 , , 0", Rec(1, 1, 1, "t", "", 0, true)},
        SFieldCase{"1, 1, 1, \"t\", \"\", 0, 01, , 0", Rec(1, 1, 1, "t", "", 0, false)},
        SFieldCase{"1, 1, 1, \"t\", \"\", 0, 2, , 0", Rec(1, 1, 1, "t", "", 0, false)},
        // range words must begin the field; "？" counts like "?"
        SFieldCase{"1, 1, 1, \"t\", \"\", 0, 0, まで？, 0",
                   Rec(1, 1, 1, "t", "", 0, false, RANGE_UNTIL | RANGE_ABOUT)},
        SFieldCase{"1, 1, 1, \"t\", \"\", 0, 0, 頃, 0", Rec(1, 1, 1, "t", "", 0, false, 0)},
        SFieldCase{"1, 1, 1, \"t\", \"\", 0, 0, xから, 0", Rec(1, 1, 1, "t", "", 0, false, 0)},
        SFieldCase{"1, 1, 1, \"t\", \"\", 0, 0, ?から, 0",
                   Rec(1, 1, 1, "t", "", 0, false, RANGE_ABOUT)},
        // "メH" is 83 81 48: the bytes of "？" (81 48) across a character edge
        SFieldCase{"1, 1, 1, \"t\", \"\", 0, 0, メH, 0", Rec(1, 1, 1, "t", "", 0, false, 0)},
        // other year: base from the prefix, minus modulo 2^32, '?' anywhere
        SFieldCase{"1, 1, 1, \"t\", \"\", 0, 0, から, 1869?",
                   Rec(1, 1, 1, "t", "", 0, false, RANGE_FROM | RANGE_OTHER_YEAR_ABOUT, 1869)},
        SFieldCase{"1, 1, 1, \"t\", \"\", 0, 0, , -50", Rec(1, 1, 1, "t", "", 0, false, 0, -50)},
        SFieldCase{"1, 1, 1, \"t\", \"\", 0, 0, , 0x1F", Rec(1, 1, 1, "t", "", 0, false, 0, 31)},
        SFieldCase{"1, 1, 1, \"t\", \"\", 0, 0, , 010", Rec(1, 1, 1, "t", "", 0, false, 0, 8)},
        SFieldCase{"1, 1, 1, \"t\", \"\", 0, 0, , 09", Rec(1, 1, 1, "t", "", 0, false, 0, 0)},
        SFieldCase{"1, 1, 1, \"t\", \"\", 0, 0, , -0x10", Rec(1, 1, 1, "t", "", 0, false, 0, -16)},
        SFieldCase{"1, 1, 1, \"t\", \"\", 0, 0, , 0xZ", Rec(1, 1, 1, "t", "", 0, false, 0, 0)},
        SFieldCase{"1, 1, 1, \"t\", \"\", 0, 0, , 4294967295",
                   Rec(1, 1, 1, "t", "", 0, false, 0, -1)},
        SFieldCase{"1, 1, 1, \"t\", \"\", 0, 0, , 3000000000",
                   Rec(1, 1, 1, "t", "", 0, false, 0, static_cast<int32_t>(3000000000u))},
        SFieldCase{"1, 1, 1, \"t\", \"\", 0, 0, , 99999999999",
                   Rec(1, 1, 1, "t", "", 0, false, 0, -1)},
        SFieldCase{"1, 1, 1, \"t\", \"\", 0, 0, , -2147483648",
                   Rec(1, 1, 1, "t", "", 0, false, 0, -2147483647 - 1)},
        SFieldCase{"1, 1, 1, \"t\", \"\", 0, 0, , abc?",
                   Rec(1, 1, 1, "t", "", 0, false, RANGE_OTHER_YEAR_ABOUT, 0)},
        // years: integer value of the text before the first comma, saturated
        SFieldCase{"  -2147483648, 1, 1, \"t\", \"\", 0, 0, , 0", Rec(-2147483647 - 1, 1, 1, "t")},
        SFieldCase{"99999999999, 1, 1, \"t\", \"\", 0, 0, , 0", Rec(2147483647, 1, 1, "t")},
        SFieldCase{"1600年, 1, 1, \"t\", \"\", 0, 0, , 0", Rec(1600, 1, 1, "t")},
        // month and day are kept in 16 bits
        SFieldCase{"1, 65537, -65535, \"t\", \"\", 0, 0, , 0", Rec(1, 1, 1, "t")},
        SFieldCase{"1, 40000, 1, \"t\", \"\", 0, 0, , 0", Rec(1, 40000 - 65536, 1, "t")},
        // text fields: commas and doubled quotes inside quotes, trail bytes 0x5C
        // before the closing quote, unquoted text, text after the closing quote
        SFieldCase{"1, 1, 1, \"能, 表\", \"ソ\\r\\n表\", 0, 0, , 0",
                   Rec(1, 1, 1, "能, 表", "ソ\r\n表")},
        SFieldCase{"1, 1, 1, 素の文字列, \"\"\"\", 0, 0, , 0", Rec(1, 1, 1, "素の文字列", "\"")},
        SFieldCase{"1, 1, 1, \"abc\" xyz, \"s\" tail, 1, 0, , 0", Rec(1, 1, 1, "abc", "s", 1)},
        SFieldCase{"1, 1, 1, a\"\"b, c\"d, 0, 0, , 0", Rec(1, 1, 1, "a\"b", "c\"d")},
        SFieldCase{"1, 1, 1, \"  padded  \", \"\\r\\n\", 0, 0, , 0",
                   Rec(1, 1, 1, "padded", "\r\n")},
        // an escape that begins on a trail byte is not an escape: 表 is 95 5C
        SFieldCase{"1, 1, 1, \"t\", \"表r\\n\", 0, 0, , 0", Rec(1, 1, 1, "t", "表r\\n")},
        // an empty last field after its comma is still a field
        SFieldCase{"1, 1, 1, \"t\", \"\", 0, 0, ,", Rec(1, 1, 1, "t")}));

TEST(LevRead, TextFieldsReadLikeTheSharedFieldCodec)
{
    // The reader has its own copy-free field reader; it must read every
    // field exactly as the table base's codec does.
    const std::vector<std::string> fields = {
        "\"a \"\"b\"\", c\"", "  plain  ",      "\"abc\" xyz", "a\"\"b", "\"\"",        "\t\"tab\"",
        Sjis("\"表\""),       Sjis("ソ\"\"能"), "\"x\"\"\"",   "\"  \"", "\"a\"b\"c\"",
    };
    for (const std::string& field : fields) {
        std::string line = "1, 1, 1, " + field + ", \"s\", 0, 0, , 0";
        std::string expected;
        int next = CTableBase::GetElementFromCSV(line, 8, expected);
        ASSERT_TRUE(next > 0 && line[static_cast<size_t>(next)] == ',') << field;
        CYearEvent table;
        std::string bytes = V7({line});
        int result = ReadBytes(table, bytes);
        std::string supplement;
        CTableBase::GetElementFromCSV(line, next + 1, supplement);
        ASSERT_EQ(result, 0) << field;
        ASSERT_EQ(table.GetLen(), 1);
        EXPECT_EQ(table.GetRecord(0).text, expected) << field;
        EXPECT_EQ(table.GetRecord(0).supplement, supplement) << field;
    }
}

// ---------------------------------------------------------------------------
// Failures while reading.

struct SBadCase
{
    const char* name;
    std::string bytes;
    int recordsKept;
};

class LevBadFiles : public ::testing::TestWithParam<SBadCase>
{
};

TEST_P(LevBadFiles, ShowTheFormatMessageAndKeepWhatWasRead)
{
    TempDir dir;
    const std::string path = dir.File("bad.lev");
    TempDir::Write(path, GetParam().bytes);
    CScriptedHostServices host;
    CHostServicesScope scope(host);
    CYearEvent table;
    EXPECT_FALSE(table.ReadFile(path.c_str(), false));
    EXPECT_EQ(host.Messages(), (std::vector<std::string>{
                                   CDataMessages::Format(CDataMessages::InvalidFormat, path)}));
    EXPECT_EQ(table.GetLen(), GetParam().recordsKept);
    if (GetParam().recordsKept > 0) {
        EXPECT_TRUE(table.GetModified());
    }
}

INSTANTIATE_TEST_SUITE_P(
    Format, LevBadFiles,
    ::testing::Values(
        SBadCase{"EmptyFile", "", 0},
        SBadCase{"WrongTag",
                 Sjis("[元号], 7\r\n名前\r\n\r\n0\r\n1600, 1, 1, \"t\", \"\", 0, 0, , 0\r\n"), 0},
        SBadCase{"NoTag", "1600, 1, 1, \"t\", \"\", 0, 0, , 0\r\n", 0},
        SBadCase{"EndsBeforeName", Sjis("[出来事], 0\r\n"), 0},
        SBadCase{"EndsBeforeExplanation", Sjis("[出来事], 3\r\n名前\r\n"), 0},
        SBadCase{"EndsBeforeTodayFlag", Sjis("[出来事], 7\r\n名前\r\n説明\r\n"), 0},
        SBadCase{"BlankLastLine", V7({"1, 1, 1, \"a\", \"\", 0, 0, , 0", ""}), 1},
        SBadCase{"LineWithoutComma",
                 V7({"1, 1, 1, \"a\", \"\", 0, 0, , 0", "2, 1, 1, \"b\", \"\", 0, 0, , 0", "1600"}),
                 2},
        SBadCase{"RecordWithoutOtherYear",
                 V7({"1, 1, 1, \"a\", \"\", 0, 0, , 0", "2, 1, 1, \"b\", \"\", 0, 0, から"}), 1},
        SBadCase{"RecordOfAnOlderVersion", V7({"1945, \"text\", \"supp\", 2"}), 0},
        SBadCase{"QuoteWithoutComma", V7({"1, 1, 1, \"a\" \"b\" 0 0 0 0"}), 0},
        SBadCase{"Version0WithoutSupplement", Sjis("[出来事], 0\r\n名前\r\n1945, \"text\"\r\n"),
                 0}),
    [](const ::testing::TestParamInfo<SBadCase>& info) { return std::string(info.param.name); });

TEST(LevRead, MissingFileShowsTheReadMessage)
{
    TempDir dir;
    const std::string path = dir.File("none.lev");
    CScriptedHostServices host;
    CHostServicesScope scope(host);
    CYearEvent table;
    EXPECT_FALSE(table.ReadFile(path.c_str(), true));
    EXPECT_EQ(host.Messages(),
              (std::vector<std::string>{CDataMessages::Format(CDataMessages::ReadFailed, path)}));
    EXPECT_EQ(table.GetLen(), 0);
}

TEST(LevRead, DialogChoosesTheFileAndCancelChangesNothing)
{
    CScriptedHostServices host;
    CHostServicesScope scope(host);
    CYearEvent table;
    table.SetTableName("keep");
    table.SetModified(true);
    EXPECT_FALSE(table.ReadFile(nullptr, false)); // nothing queued: the dialog is cancelled
    ASSERT_EQ(host.Records().size(), 1u);
    EXPECT_EQ(host.Records()[0].kind, CScriptedHostServices::SRecord::OpenDialog);
    EXPECT_EQ(host.Records()[0].text, "出来事ﾃﾞｰﾀの読込み");
    EXPECT_EQ(table.GetTableName(), "keep");
    EXPECT_EQ(table.GetFileName(), "");
    EXPECT_TRUE(table.GetModified());

    host.QueueFileName(kDataDir + "v4.lev");
    EXPECT_TRUE(table.ReadFile("", false));
    EXPECT_EQ(table.GetLen(), 1);
    EXPECT_EQ(table.GetTableName(), Sjis("近代"));
    EXPECT_FALSE(table.GetModified());
}

// ---------------------------------------------------------------------------
// Writing.

TEST(LevWrite, WritesVersion7WithCrLfInTheDocumentedLayout)
{
    CYearEvent t;
    t.SetTableName(Sjis("表"));
    t.SetExplanation(Sjis("一\r\n二"));
    t.SetData(Rec(1600, 9, 15, "T"), false, -1, EP_EVERY);
    t.SetData(Rec(1868, -1, -1, "a \"b\"", "x\r\ny", 1, false,
                  RANGE_FROM | RANGE_ABOUT | RANGE_OTHER_YEAR_ABOUT, 1869),
              false, -1, EP_EVERY);
    t.SetData(Rec(-5, 2, 3, "z", "", 2, true, RANGE_UNTIL, -10), false, -1, EP_EVERY);
    EXPECT_EQ(t.MakeFileContent(),
              Sjis("[出来事], 7\r\n"
                   "表\r\n"
                   "一\\r\\n二\r\n"
                   "0\r\n"
                   "1600, 9, 15, \"T\", \"\", 0, 0, , 0\r\n"
                   "1868, -1, -1, \"a \"\"b\"\"\", \"x\\r\\ny\", 1, 0, から?, 1869?\r\n"
                   "-5, 2, 3, \"z\", \"\", 2, 1, まで, -10\r\n"));
}

TEST(LevWrite, RoundTripKeepsEverything)
{
    TempDir dir;
    CTestDocument doc(dir.File("project.anx"));
    CScriptedHostServices host;
    CHostServicesScope scope(host);
    CYearEvent written = MakeRichTable();
    written.SetFileName(dir.File("rich.lev"));
    ASSERT_TRUE(written.WriteFile(false, &doc, HT_EVENT));
    EXPECT_TRUE(host.Messages().empty());
    EXPECT_FALSE(written.GetModified());

    for (bool sorted : {false, true}) {
        CYearEvent read;
        ASSERT_TRUE(read.ReadFile(dir.File("rich.lev").c_str(), sorted));
        EXPECT_EQ(read.GetTableName(), written.GetTableName());
        EXPECT_EQ(read.GetExplanation(), written.GetExplanation());
        EXPECT_TRUE(read.GetTodayDate());
        EXPECT_FALSE(read.GetModified());
        if (!sorted) {
            ExpectRecords(read, Records(written));
        } else {
            ASSERT_EQ(read.GetLen(), written.GetLen());
            for (int i = 1; i < read.GetLen(); ++i) {
                const SEventData& a = read.GetRecord(i - 1);
                const SEventData& b = read.GetRecord(i);
                EXPECT_TRUE(a.year < b.year || (a.year == b.year && a.DateKey() <= b.DateKey()))
                    << i;
            }
        }
    }
}

TEST(LevWrite, ExtremeFieldsAndTextLengthsComeBackByteExact)
{
    // Every value the reader keeps must be written back as it was read: the
    // ends of each field's range, flags in every combination, and texts at
    // both sides of the length where a stored text's header grows.
    const std::string t63(63, 'a');
    const std::string t64 = std::string(62, 'b') + Sjis("表");
    const std::string t300(300, 'c');
    const std::string file =
        V7({"-2147483648, -32768, 32767, \"" + t64 + "\", \"" + t63 + "\", 2, 1, " +
                Sjis("から") + "?, -1?",
            "2147483647, 32767, -32768, \"" + t63 + "\", \"" + t300 + "\", 1, 0, " +
                Sjis("まで") + ", 2147483647",
            "5, 99, 1000, \"x\", \"\", 0, 1, ?, -2147483648?",
            "-1, -1, -1, \"\", \"" + t64 + "\", 2, 0, , 0"});
    CYearEvent table;
    ASSERT_EQ(0, ReadBytes(table, file));
    ASSERT_EQ(4, table.GetLen());
    EXPECT_EQ(-32768, table.GetRecord(0).month);
    EXPECT_EQ(32767, table.GetRecord(0).day);
    EXPECT_EQ(2, table.GetRecord(0).priority);
    EXPECT_EQ(RANGE_FROM | RANGE_ABOUT | RANGE_OTHER_YEAR_ABOUT, table.GetRecord(0).rangeFlags);
    EXPECT_EQ(t64, table.GetRecord(0).text);
    EXPECT_EQ(t300, table.GetRecord(1).supplement);
    EXPECT_EQ(file, table.MakeFileContent());

    // Records that leave the file's storage (a copy's edit) keep them too.
    CYearEvent copy(table);
    for (int i = 0; i < copy.GetLen(); ++i) {
        const SEventData same = copy.GetRecord(i);
        ASSERT_TRUE(copy.SetAt(i, &same, EP_EVERY));
    }
    EXPECT_EQ(file, copy.MakeFileContent());
    EXPECT_EQ(file, table.MakeFileContent());
}

TEST(LevWrite, HeaderLinesThatTheCodecWouldAlterAreQuoted)
{
    const std::vector<std::string> texts = {
        Sjis("日本史, 近代"),
        "\"quoted\" start",
        "a\"\"b",
        "a\"b",
        Sjis("表"),
        "",
        Sjis("能,\"表\""),
        "x,",
        ",",
    };
    for (const std::string& text : texts) {
        CYearEvent t;
        t.SetTableName(text);
        t.SetExplanation(text);
        CYearEvent read;
        read.SetTableName(""); // an empty name line leaves this one as it is
        ASSERT_EQ(ReadBytes(read, t.MakeFileContent()), 0) << text;
        EXPECT_EQ(read.GetTableName(), text);
        EXPECT_EQ(read.GetExplanation(), text);
    }
}

TEST(LevWrite, LineBreaksNeverSplitARecordOrAHeaderLine)
{
    CYearEvent t;
    t.SetTableName("name\r\nwith break");
    t.SetExplanation("lf\nonly\rcr\r\ncrlf");
    t.SetData(Rec(1, 1, 1, "text\r\nwith\nbreaks\r", "lf\nonly\rcr", 0), false, -1, EP_EVERY);
    t.SetData(Rec(2, 2, 2, "next"), false, -1, EP_EVERY);
    const std::string bytes = t.MakeFileContent();
    size_t lines = 0;
    for (char c : bytes)
        lines += c == '\n';
    EXPECT_EQ(lines, 6u);

    CYearEvent read;
    ASSERT_EQ(ReadBytes(read, bytes), 0);
    EXPECT_EQ(read.GetTableName(), "namewith break");
    EXPECT_EQ(read.GetExplanation(), "lf\r\nonly\r\ncr\r\ncrlf");
    ExpectRecords(read,
                  {Rec(1, 1, 1, "textwithbreaks", "lf\r\nonly\r\ncr", 0), Rec(2, 2, 2, "next")});
}

TEST(LevWrite, AskingForTheNameAndCancelling)
{
    TempDir dir;
    CTestDocument doc(dir.File("project.anx"));
    CScriptedHostServices host;
    CHostServicesScope scope(host);
    CYearEvent t = MakeRichTable();
    t.SetTableName("proposal");

    // No file name yet: the dialog is shown even without askName; cancel.
    EXPECT_FALSE(t.WriteFile(false, &doc, HT_EVENT));
    ASSERT_EQ(host.Records().size(), 1u);
    EXPECT_EQ(host.Records()[0].kind, CScriptedHostServices::SRecord::SaveDialog);
    EXPECT_EQ(host.Records()[0].text, "出来事ﾃﾞｰﾀの書込み");
    EXPECT_EQ(host.Records()[0].request.proposedName, "proposal");
    EXPECT_TRUE(t.GetModified());
    EXPECT_EQ(t.GetFileName(), "");
    EXPECT_TRUE(TempDir::Names(dir.Path()).empty());

    // Given a name, the file is written beside the project, named relative to it.
    host.QueueFileName(dir.File("chosen.lev"));
    // The kind argument does not matter: an event table is an event file.
    EXPECT_TRUE(t.WriteFile(true, &doc, HT_GENGOU));
    EXPECT_EQ(t.GetFileName(), "chosen.lev");
    EXPECT_FALSE(t.GetModified());
    EXPECT_EQ(TempDir::Read(dir.File("chosen.lev")), t.MakeFileContent());
    EXPECT_TRUE(host.Messages().empty());
}

TEST(LevWrite, AFullDiskLeavesTheOldFileAndReportsTheCause)
{
    TempDir dir;
    CTestDocument doc(dir.File("project.anx"));
    const std::string old = "old contents\r\n";
    TempDir::Write(dir.File("lib.lev"), old);
    CScriptedHostServices host;
    CHostServicesScope scope(host);
    CYearEvent t = MakeRichTable();
    t.SetFileName("lib.lev");
    {
        FullDiskScope failing;
        EXPECT_FALSE(t.WriteFile(false, &doc, HT_EVENT));
    }
    EXPECT_EQ(host.Messages(),
              (std::vector<std::string>{
                  CDataMessages::Format(CDataMessages::WriteFailed, t.GetFileName()),
                  std::to_string(CSaveFile::DiskFull)}));
    EXPECT_TRUE(t.GetModified());
    EXPECT_EQ(TempDir::Read(dir.File("lib.lev")), old);
    EXPECT_EQ(TempDir::Names(dir.Path()), (std::vector<std::string>{"lib.lev"}));
}

TEST(LevWrite, ATargetInAMissingFolderFailsWithBothMessages)
{
    TempDir dir;
    CTestDocument doc(dir.File("project.anx"));
    CScriptedHostServices host;
    CHostServicesScope scope(host);
    CYearEvent t = MakeRichTable();
    t.SetFileName(dir.File("missing/lib.lev"));
    EXPECT_FALSE(t.WriteFile(false, &doc, HT_EVENT));
    const std::vector<std::string> messages = host.Messages();
    ASSERT_EQ(messages.size(), 2u);
    EXPECT_EQ(messages[0], CDataMessages::Format(CDataMessages::WriteFailed, t.GetFileName()));
    EXPECT_EQ(messages[1], std::to_string(CSaveFile::FileNotFound));
    EXPECT_TRUE(t.GetModified());
    EXPECT_TRUE(TempDir::Names(dir.Path()).empty());
}

namespace {

// A large file read sorted and unsorted answers every question as the same
// records stored one by one do: the records of a file in order are linked
// into the table in one pass, those out of order are inserted where they
// belong, and the table it adds to may hold records already.
TEST(LevRead, LargeFilesReadLikeRecordsStoredOneByOne)
{
    std::mt19937 rng(99);
    std::uniform_int_distribution<int> year(-50, 50);
    std::uniform_int_distribution<int> month(-1, 12);
    std::uniform_int_distribution<int> odds(0, 19);
    std::vector<SEventData> records;
    for (int i = 0; i < 3000; ++i) {
        int y = year(rng);
        records.push_back(Rec(y == 0 ? 1 : y, month(rng), -1, "t" + std::to_string(i), "",
                              odds(rng) % 3));
    }
    // Mostly in date order, with a few records out of place.
    std::stable_sort(records.begin(), records.end(), [](const SEventData& a, const SEventData& b) {
        return a.year != b.year ? a.year < b.year : a.DateKey() < b.DateKey();
    });
    for (int i = 0; i < 30; ++i)
        std::swap(records[static_cast<size_t>(i * 97)], records[static_cast<size_t>(i * 89 + 7)]);
    CYearEvent source;
    for (const SEventData& r : records)
        source.SetData(r, false, -1, EP_EVERY);
    const std::string bytes = source.MakeFileContent();

    for (bool sorted : {true, false}) {
        for (bool prefilled : {false, true}) {
            SCOPED_TRACE(std::string(sorted ? "sorted" : "as stored") +
                         (prefilled ? ", adding" : ""));
            CYearEvent read, model;
            if (prefilled) {
                for (CYearEvent* t : {&read, &model})
                    t->SetData(Rec(3, 5, -1, "old"), false, -1, EP_EVERY);
            }
            ASSERT_EQ(ReadBytes(read, bytes, sorted), 0);
            for (const SEventData& r : records)
                model.SetData(r, sorted, -1, EP_EVERY);
            ExpectRecords(read, Records(model));
            EXPECT_EQ(read.GetMinYear(), model.GetMinYear());
            EXPECT_EQ(read.GetMaxYear(), model.GetMaxYear());
            EXPECT_EQ(read.IsSortedByYear(), model.IsSortedByYear());
            for (int filter = EP_HIGH; filter <= EP_EVERY; ++filter) {
                for (int32_t y = -52; y <= 52; ++y) {
                    std::vector<SEventData*> a, b;
                    read.GetData(y, a, filter);
                    model.GetData(y, b, filter);
                    ASSERT_EQ(a.size(), b.size()) << "year " << y << " filter " << filter;
                    for (size_t k = 0; k < a.size(); ++k)
                        EXPECT_EQ(*a[k], *b[k]);
                    EXPECT_EQ(read.GetIndexFromYear(y, filter), model.GetIndexFromYear(y, filter));
                    EXPECT_EQ(read.GetNearestYear(y, filter), model.GetNearestYear(y, filter));
                    EXPECT_EQ(read.GetNextYear(y, filter), model.GetNextYear(y, filter));
                }
            }
            // The read table takes further changes like any other.
            SEventData extra = Rec(-7, 2, 2, "extra");
            read.SetData(extra, true, -1, EP_EVERY);
            model.SetData(extra, true, -1, EP_EVERY);
            ASSERT_TRUE(read.RemoveAt(100, EP_EVERY, nullptr));
            ASSERT_TRUE(model.RemoveAt(100, EP_EVERY, nullptr));
            ExpectRecords(read, Records(model));
            std::vector<const SEventData*> all;
            read.GetRecords(all);
            ASSERT_EQ(static_cast<int>(all.size()), read.GetLen());
            for (size_t k = 0; k < all.size(); ++k)
                EXPECT_EQ(all[k], &read.GetRecord(static_cast<int>(k)));
        }
    }
}

} // namespace

TEST(LevRead, LargeTablesStayWholeWhileTablesReadBeforeAndAfterThemGo)
{
    // Tables past a few ten thousand records keep their records and texts in
    // memory that the tables of a process carve in turn: a table must stay
    // whole whatever table read before or after it goes, and a table read
    // after those are gone must be whole too.
    auto file = [](int tag, int count) {
        std::vector<std::string> lines;
        lines.reserve(static_cast<size_t>(count));
        for (int i = 0; i < count; ++i)
            lines.push_back(std::to_string(i + 1) + ", 1, 1, \"t" + std::to_string(tag) + "-" +
                            std::to_string(i) + "\", \"" + (i % 10 == 0 ? std::string(70, 's') : "") +
                            "\", " + std::to_string(i % 3) + ", 0, , 0");
        return V7(lines);
    };
    const int count = 90000;
    auto expectWhole = [&](const CYearEvent& t, int tag) {
        ASSERT_EQ(count, t.GetLen()) << tag;
        for (int i = 0; i < count; i += 997) {
            const SEventData& r = t.GetRecord(i);
            ASSERT_EQ("t" + std::to_string(tag) + "-" + std::to_string(i), r.text) << tag;
            ASSERT_EQ(i % 10 == 0 ? 70u : 0u, r.supplement.size()) << tag;
            ASSERT_EQ(i % 3, r.priority) << tag;
        }
        EXPECT_EQ(count, t.GetMaxYear()) << tag;
    };
    std::vector<std::unique_ptr<CYearEvent>> tables;
    for (int tag = 0; tag < 3; ++tag) {
        tables.push_back(std::make_unique<CYearEvent>());
        ASSERT_EQ(0, ReadBytes(*tables.back(), file(tag, count), true));
    }
    const std::string middle = tables[1]->MakeFileContent();
    tables[0].reset();
    tables[2].reset();
    expectWhole(*tables[1], 1);
    tables.push_back(std::make_unique<CYearEvent>());
    ASSERT_EQ(0, ReadBytes(*tables.back(), file(3, count), true));
    expectWhole(*tables[1], 1);
    tables[1].reset();
    expectWhole(*tables[3], 3);
    CYearEvent again;
    ASSERT_EQ(0, ReadBytes(again, middle, true));
    expectWhole(again, 1);
}

