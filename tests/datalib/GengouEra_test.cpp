#include "DataMessages.h"
#include "FullDisk.h"
#include "GengouEra.h"
#include "SaveFile.h"
#include "ScriptedHostServices.h"
#include "Sjis.h"
#include "TableContents.h"
#include "TempDir.h"
#include "TestDocument.h"
#include "TextFileReader.h"

#include <gtest/gtest.h>

#include <climits>
#include <random>
#include <string>
#include <vector>

namespace {

const std::string kData = ANNALUX_TEST_DATA_DIR;

std::vector<int32_t> StartYears(const CGengouEra& t)
{
    std::vector<int32_t> out;
    for (const SGengouEraTable& r : t.GetGengouEraTable())
        out.push_back(r.startYear);
    return out;
}

// Meiji 1868-1912, Taisho 1912-1926, Showa 1926-1989.
CGengouEra ModernEras()
{
    CGengouEra t;
    t.SetData(Sjis("昭和"), 1926, 1989, "");
    t.SetData(Sjis("明治"), 1868, 1912, "");
    t.SetData(Sjis("大正"), 1912, 1926, "");
    t.SetModified(false);
    return t;
}

} // namespace

// ---- Rows and lookups -----------------------------------------------------

TEST(GengouEraRows, SetDataKeepsStartOrderAndInsertionOrderOfEqualStarts)
{
    CGengouEra t;
    for (int32_t y : {1926, 1868, 1912, 1989})
        EXPECT_TRUE(t.SetData(Sjis("年") + std::to_string(y), y, y + 10, ""));
    EXPECT_EQ(StartYears(t), (std::vector<int32_t>{1868, 1912, 1926, 1989}));
    EXPECT_TRUE(t.GetModified());

    EXPECT_TRUE(t.SetData("b", 1912, 1913, ""));
    EXPECT_TRUE(t.SetData("c", 1912, 1914, ""));
    EXPECT_EQ(Names(t),
              (std::vector<std::string>{"年1868", "年1912", "b", "c", "年1926", "年1989"}));
}

TEST(GengouEraRows, SetDataWithAPresentName)
{
    CGengouEra t = ModernEras();
    // Same years: accepted, nothing changes (not even the supplement).
    EXPECT_TRUE(t.SetData(Sjis("大正"), 1912, 1926, "other"));
    EXPECT_EQ(t.GetSize(), 3);
    EXPECT_EQ(t.GetAt(1).supplement, "");
    EXPECT_FALSE(t.GetModified());
    // Other years: refused.
    EXPECT_FALSE(t.SetData(Sjis("大正"), 1912, 1927, ""));
    EXPECT_EQ(t.GetSize(), 3);
    EXPECT_FALSE(t.GetModified());
    // A name is refused wherever it stands, also after the insertion point.
    EXPECT_FALSE(t.SetData(Sjis("昭和"), 1800, 1801, ""));
    EXPECT_TRUE(t.SetData(Sjis("昭和"), 1926, 1989, ""));
    EXPECT_EQ(t.GetSize(), 3);
    EXPECT_FALSE(t.GetModified());
}

TEST(GengouEraRows, IndexAndDataForAYear)
{
    CGengouEra t = ModernEras();
    struct Case
    {
        int32_t year;
        int index;
        size_t count;
    } cases[] = {{1867, -1, 0}, {1868, 0, 1},  {1900, 0, 1},       {1912, 1, 2},      {1926, 2, 2},
                 {1989, 2, 1},  {1990, -1, 0}, {INT32_MIN, -1, 0}, {INT32_MAX, -1, 0}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.year);
        EXPECT_EQ(t.GetIndexFromYear(c.year), c.index);
        CGengouEra::Rows out;
        EXPECT_EQ(t.GetData(c.year, out), c.count > 0);
        EXPECT_EQ(out.size(), c.count);
    }
    CGengouEra::Rows out(1);
    out[0].name = "kept";
    EXPECT_TRUE(t.GetData(1912, out));
    ASSERT_EQ(out.size(), 3u);
    EXPECT_EQ(out[0].name, "kept");
    EXPECT_EQ(Utf8(out[1].name), "明治");
    EXPECT_EQ(Utf8(out[2].name), "大正");
    CGengouEra::Rows stale(1);
    EXPECT_TRUE(t.GetData(1700, stale)); // not empty afterwards
}

TEST(GengouEraRows, SetAtRemoveAtAndAssignment)
{
    CGengouEra t = ModernEras();
    SGengouEraTable row;
    EXPECT_FALSE(t.GetAt(3, row));
    ASSERT_TRUE(t.GetAt(2, row));
    EXPECT_FALSE(t.SetAt(2, row)); // equal: nothing changes
    EXPECT_FALSE(t.GetModified());
    row.supplement = Sjis("表");
    EXPECT_TRUE(t.SetAt(2, row));
    EXPECT_TRUE(t.GetModified());
    // Past the end the rows grow; the order is not restored.
    row.startYear = 1000;
    EXPECT_TRUE(t.SetAt(5, row));
    EXPECT_EQ(StartYears(t), (std::vector<int32_t>{1868, 1912, 1926, 0, 0, 1000}));

    t.SetModified(false);
    EXPECT_FALSE(t.RemoveAt(6));
    EXPECT_FALSE(t.GetModified());
    EXPECT_TRUE(t.RemoveAt(0));
    EXPECT_TRUE(t.GetModified());

    // Assignment replaces the rows and the header fields, even onto itself.
    t.SetTableName("eras");
    CGengouEra other;
    other.SetData("old", 1, 2, "");
    other = t;
    CGengouEra& self = other;
    other = self;
    EXPECT_EQ(other.GetGengouEraTable(), t.GetGengouEraTable());
    EXPECT_EQ(other.GetTableName(), "eras");
    other.ClearAll();
    EXPECT_EQ(other.GetSize(), 0);
    EXPECT_EQ(other.GetTableName(), "");
}

// ---- Era years ------------------------------------------------------------

TEST(GengouEraYears, WesternYearOfAnEraYear)
{
    CGengouEra t = ModernEras();
    // A stored name with link markup matches its plain text.
    SGengouEraTable linked;
    linked.name = Sjis("<A HREF=\"http://example.jp/\">平成</A>");
    linked.startYear = 1989;
    linked.endYear = 2019;
    t.SetAt(t.GetSize(), linked);
    // Spans at the limits of the year range.
    t.SetAt(t.GetSize(), {"low", INT32_MIN, INT32_MIN + 5, ""});
    t.SetAt(t.GetSize(), {"high", INT32_MAX - 5, INT32_MAX, ""});

    struct Case
    {
        const char* name;
        int32_t eraYear;
        int32_t western;
    } cases[] = {
        {"明治", 1, 1868},           {"明治", 45, 1912},
        {"明治", 46, kNoYear},       {"明治", 0, 1867},
        {"明治", -5, 1862},          {"大正", 15, 1926},
        {"平成", 31, 2019},          {"平成", 32, kNoYear},
        {"令和", 1, kNoYear},        {"", 1, kNoYear},
        {"low", 1, INT32_MIN},       {"low", 0, kNoYear},          // below the 32-bit range
        {"low", INT32_MIN, kNoYear},                               // far below
        {"high", 6, INT32_MAX},      {"high", INT32_MAX, kNoYear}, // past the end, beyond 32 bits
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.name) + " " + std::to_string(c.eraYear));
        EXPECT_EQ(t.GetWesternYear(Sjis(c.name), c.eraYear), c.western);
    }
    // The plain text only: markup in the asked name does not match.
    EXPECT_EQ(t.GetWesternYear(linked.name, 1), kNoYear);
}

// ---- Search ---------------------------------------------------------------

TEST(GengouEraSearch, NamesThenEraYears)
{
    CGengouEra t = ModernEras();
    SGengouEraTable out;
    int32_t year = 0;

    EXPECT_EQ(t.SearchStr(Sjis("正"), &out, year, 0, false), 1);
    EXPECT_EQ(year, kNoYear);
    EXPECT_EQ(Utf8(out.name), "大正");

    // Era year 4 of Meiji is the first whose number contains "4".
    EXPECT_EQ(t.SearchStr("4", &out, year, 0, true), 0);
    EXPECT_EQ(year, 1871);
    // Taisho has 15 years, so "15" is its year 15, but Meiji comes first.
    EXPECT_EQ(t.SearchStr("15", &out, year, 1, true), 1);
    EXPECT_EQ(year, 1926);
    EXPECT_EQ(t.SearchStr("16", &out, year, 1, true), 2);
    EXPECT_EQ(year, 1941);
    // "05" first occurs in 105: no era is that long.
    EXPECT_EQ(t.SearchStr("05", &out, year, 0, true), -1);
    EXPECT_EQ(t.SearchStr("4", &out, year, 0, false), -1);
    // *out holds the last row looked at.
    EXPECT_EQ(Utf8(out.name), "昭和");
    EXPECT_EQ(t.SearchStr("x", nullptr, year, 0, true), -1);
    EXPECT_EQ(t.SearchStr(Sjis("明"), &out, year, 3, true), -1);

    // 表 is 95 5C: a search for '\\' must not land on its second byte.
    t.SetData(Sjis("表ソ"), 2000, 2001, "");
    EXPECT_EQ(t.SearchStr("\\", nullptr, year, 0, false), -1);
}

TEST(GengouEraSearch, EraYearsAgreeWithTryingEveryYear)
{
    std::mt19937 rng(7);
    std::uniform_int_distribution<int> length(0, 1200);
    std::uniform_int_distribution<int> digits(0, 9999);
    for (int round = 0; round < 300; ++round) {
        CGengouEra t;
        const int n = length(rng);
        t.SetData("r", 500, 500 + n - 1, "");
        std::string what = std::to_string(digits(rng) % (round % 4 == 0 ? 10 : 1000));
        if (round % 5 == 0)
            what = "0" + what;
        int expected = -1;
        int32_t expectedYear = 0;
        for (int j = 1; j <= n && expected < 0; ++j) {
            if (std::to_string(j).find(what) != std::string::npos) {
                expected = 0;
                expectedYear = 500 + j - 1;
            }
        }
        int32_t year = 0;
        SCOPED_TRACE(what + " in " + std::to_string(n));
        EXPECT_EQ(t.SearchStr(what, nullptr, year, 0, true), expected);
        if (expected == 0) {
            EXPECT_EQ(year, expectedYear);
        }
    }
}

TEST(GengouEraSearch, OpenEndedSpanAtTheLimits)
{
    CGengouEra t;
    t.SetData("open", INT32_MIN, kNoYear, "");
    int32_t year = 0;
    EXPECT_EQ(t.SearchStr("999999999", nullptr, year, 0, true), 0);
    EXPECT_EQ(year, INT32_MIN + 999999999 - 1);
    EXPECT_EQ(t.SearchStr("0", nullptr, year, 0, true), 0);
    EXPECT_EQ(year, INT32_MIN + 9);
    EXPECT_EQ(t.SearchStr("99999999999", nullptr, year, 0, true), -1);
}

// ---- Files ----------------------------------------------------------------

class GengouEraFile : public ::testing::Test
{
protected:
    CScriptedHostServices host;
    CHostServicesScope scope{host};
    TempDir tmp;
};

TEST_F(GengouEraFile, ReadsTheCurrentVersion)
{
    CGengouEra t;
    const std::string path = kData + "/lgn/eras_v1.lgn";
    ASSERT_TRUE(t.ReadFile(path.c_str(), HT_GENGOU, true));
    EXPECT_TRUE(host.Messages().empty());
    EXPECT_FALSE(t.GetModified());
    EXPECT_EQ(t.GetFileName(), path);
    EXPECT_EQ(Utf8(t.GetTableName()), "近代の元号");
    EXPECT_EQ(Utf8(t.GetExplanation()), "明治以降の元号\r\n表ソ");
    EXPECT_EQ(StartYears(t), (std::vector<int32_t>{1868, 1912, 1926, 1989}));
    EXPECT_EQ(Utf8(t.GetAt(0).name), "<A HREF=\"http://example.jp/meiji\">明治</A>");
    EXPECT_EQ(Utf8(t.GetAt(0).supplement), "ソ");
    EXPECT_EQ(Utf8(t.GetAt(2).supplement), "表の補足\r\n二行目");
    EXPECT_EQ(Utf8(t.GetAt(3).supplement), "引用 \"平成\", 表");
    EXPECT_EQ(t.GetAt(2).endYear, 1989);
    EXPECT_EQ(t.GetWesternYear(Sjis("明治"), 45), 1912);
}

TEST_F(GengouEraFile, ReadsVersionZeroAndPeriods)
{
    CGengouEra eras;
    ASSERT_TRUE(eras.ReadFile((kData + "/lgn/eras_v0.lgn").c_str(), HT_GENGOU, true));
    EXPECT_EQ(Utf8(eras.GetTableName()), "古い元号");
    EXPECT_EQ(eras.GetExplanation(), "");
    EXPECT_EQ(Names(eras), (std::vector<std::string>{"元治", "慶応"}));
    EXPECT_EQ(Utf8(eras.GetAt(1).supplement), "最後");

    CGengouEra periods;
    ASSERT_TRUE(periods.ReadFile((kData + "/ler/periods_v1.ler").c_str(), HT_PERIOD, true));
    EXPECT_EQ(StartYears(periods), (std::vector<int32_t>{-14000, -300, 250}));
    EXPECT_EQ(periods.GetAt(0).endYear, -300);
    EXPECT_EQ(periods.GetIndexFromYear(-300), 1);

    CGengouEra old;
    ASSERT_TRUE(old.ReadFile((kData + "/ler/periods_v0.ler").c_str(), HT_PERIOD, true));
    EXPECT_EQ(Utf8(old.GetAt(0).name), "江戸時代");
    EXPECT_TRUE(host.Messages().empty());
}

TEST_F(GengouEraFile, KindTagIsCheckedForErasAndPeriodsOnly)
{
    const std::string eras = kData + "/lgn/eras_v1.lgn";
    CGengouEra asPeriods;
    EXPECT_FALSE(asPeriods.ReadFile(eras.c_str(), HT_PERIOD, true));
    ASSERT_EQ(host.Messages().size(), 1u);
    EXPECT_EQ(host.Messages()[0], CDataMessages::Format(CDataMessages::ReadFailed, eras));
    EXPECT_EQ(asPeriods.GetSize(), 0);

    CGengouEra asOther;
    EXPECT_TRUE(asOther.ReadFile(eras.c_str(), HT_BASEYEAR, true));
    EXPECT_EQ(asOther.GetSize(), 4);
    EXPECT_EQ(host.Messages().size(), 1u);
}

TEST_F(GengouEraFile, MalformedFilesFailAndKeepTheRowsBefore)
{
    const std::string head = Sjis("[元号], 1\r\n名前\r\n説明\r\n");
    const std::string good = Sjis("\"明治\", 1868, 1912, \"\"\r\n");
    struct Case
    {
        const char* label;
        std::string content;
        int rowsKept;
    } cases[] = {
        {"empty file", "", 0},
        {"header only", Sjis("[元号], 1\r\n"), 0},
        {"no explanation line", Sjis("[元号], 1\r\n名前\r\n"), 0},
        {"empty row line", head + good + "\r\n" + good, 1},
        {"no comma after the start year", head + good + Sjis("\"大正\", 1912\r\n"), 1},
        {"no comma after the end year", head + good + Sjis("\"大正\", 1912, 1926\r\n"), 1},
        {"name field only", head + Sjis("\"大正\"\r\n"), 0},
        {"wrong tag", Sjis("[時代], 1\r\n名前\r\n説明\r\n") + good, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.label);
        const std::string path = tmp.File("bad.lgn");
        TempDir::Write(path, c.content);
        host.Clear();
        CGengouEra t;
        EXPECT_FALSE(t.ReadFile(path.c_str(), HT_GENGOU, true));
        EXPECT_EQ(t.GetSize(), c.rowsKept);
        EXPECT_EQ(host.Messages(),
                  std::vector<std::string>{CDataMessages::Format(CDataMessages::ReadFailed, path)});

        host.Clear();
        CGengouEra silent;
        EXPECT_FALSE(silent.ReadFile(path.c_str(), HT_GENGOU, false));
        EXPECT_TRUE(host.Messages().empty());
    }
}

TEST_F(GengouEraFile, MissingFileAndDialogs)
{
    CGengouEra t;
    const std::string missing = tmp.File("none.lgn");
    EXPECT_FALSE(t.ReadFile(missing.c_str(), HT_GENGOU, false));
    EXPECT_TRUE(host.Messages().empty());
    EXPECT_FALSE(t.ReadFile(missing.c_str(), HT_GENGOU, true));
    EXPECT_EQ(host.Messages(),
              std::vector<std::string>{CDataMessages::Format(CDataMessages::ReadFailed, missing)});

    // Without a name the dialog of the kind asks; cancel changes nothing.
    CGengouEra fresh;
    host.Clear();
    EXPECT_FALSE(fresh.ReadFile(nullptr, HT_PERIOD, true));
    ASSERT_EQ(host.Records().size(), 1u);
    EXPECT_EQ(host.Records()[0].text, "時代ﾃﾞｰﾀの読込み");
    EXPECT_EQ(fresh.GetFileName(), "");

    CGengouEra named;
    named.SetTableName("Eras");
    host.Clear();
    EXPECT_FALSE(named.WriteFile(false, nullptr, HT_GENGOU)); // no file name: asks
    ASSERT_EQ(host.Records().size(), 1u);
    EXPECT_EQ(host.Records()[0].text, "元号ﾃﾞｰﾀの書込み");
    EXPECT_EQ(host.Records()[0].request.proposedName, "Eras");
    EXPECT_TRUE(TempDir::Names(tmp.Path()).empty());
}

TEST_F(GengouEraFile, WritesTheCurrentVersionExactly)
{
    CGengouEra t;
    t.SetTableName(Sjis("名前"));
    t.SetExplanation(Sjis("一\r\n二"));
    t.SetData(Sjis("明治"), 1868, 1912, Sjis("補足\r\n\"引用\""));
    EXPECT_EQ(t.MakeFileContent(HT_GENGOU),
              Sjis("[元号], 1\r\n名前\r\n一\\r\\n二\r\n\"明治\", 1868, 1912, "
                   "\"補足\\r\\n\"\"引用\"\"\"\r\n"));
    EXPECT_EQ(t.MakeFileContent(HT_PERIOD).substr(0, 6), Sjis("[時代]"));
    EXPECT_EQ(t.MakeFileContent(HT_BASEYEAR).substr(0, 6), Sjis("[時代]"));
}

TEST_F(GengouEraFile, RoundTripKeepsEveryField)
{
    CGengouEra t;
    t.SetTableName(Sjis("表ソ 元号"));
    t.SetExplanation(Sjis("説明\r\n表\\n"));
    t.SetData(Sjis("表, ソ \"引用\""), INT32_MIN, -1, Sjis("表\r\nソ, \"\"\r\n"));
    t.SetData(Sjis("<A HREF=\"a.htm\">能</A>"), 1, INT32_MAX, "");
    t.SetData(Sjis("予"), 5, 7, Sjis("行\n改行のみ"));
    t.SetData(Sjis("重"), 1, 2, ""); // equal start: after the first
    const std::string path = tmp.File("eras.lgn");
    t.SetFileName(path);
    CTestDocument doc(tmp.File("work.anx"));
    ASSERT_TRUE(t.WriteFile(false, &doc, HT_GENGOU));
    EXPECT_FALSE(t.GetModified());
    EXPECT_TRUE(host.Messages().empty());

    CGengouEra back;
    ASSERT_TRUE(back.ReadFile(path.c_str(), HT_GENGOU, true));
    EXPECT_EQ(back.GetTableName(), t.GetTableName());
    EXPECT_EQ(back.GetExplanation(), t.GetExplanation());
    ASSERT_EQ(back.GetSize(), t.GetSize());
    for (int i = 0; i < t.GetSize(); ++i) {
        SCOPED_TRACE(i);
        SGengouEraTable expected = t.GetAt(i);
        // A bare LF is stored as a line break.
        if (expected.supplement == Sjis("行\n改行のみ"))
            expected.supplement = Sjis("行\r\n改行のみ");
        EXPECT_EQ(back.GetAt(i), expected);
    }
}

TEST_F(GengouEraFile, ASecondRowOfOneNameIsDroppedAndWritesAreStable)
{
    // The second 昭和 sorts before the first; the reader keeps the first.
    const std::string path = tmp.File("dup.lgn");
    TempDir::Write(path, Sjis("[元号], 1\r\n表\r\n\r\n"
                              "\"昭和\", 1926, 1989, \"\"\r\n"
                              "\"大正\", 1912, 1926, \"\"\r\n"
                              "\"昭和\", 1800, 1801, \"偽\"\r\n"));
    CGengouEra first;
    ASSERT_TRUE(first.ReadFile(path.c_str(), HT_GENGOU, true));
    EXPECT_EQ(Names(first), (std::vector<std::string>{"大正", "昭和"}));
    EXPECT_EQ(first.GetAt(1).startYear, 1926);

    const std::string once = first.MakeFileContent(HT_GENGOU);
    TempDir::Write(path, once);
    CGengouEra second;
    ASSERT_TRUE(second.ReadFile(path.c_str(), HT_GENGOU, true));
    EXPECT_EQ(second.MakeFileContent(HT_GENGOU), once);
}

TEST_F(GengouEraFile, LineBreaksInOneLineFieldsDoNotBreakTheFile)
{
    CGengouEra t;
    t.SetTableName("two\r\nlines");
    t.SetData("a\nb", 1, 2, "");
    t.SetData("c", 3, 4, "");
    const std::string path = tmp.File("p.ler");
    t.SetFileName(path);
    ASSERT_TRUE(t.WriteFile(false, nullptr, HT_PERIOD));
    CGengouEra back;
    ASSERT_TRUE(back.ReadFile(path.c_str(), HT_PERIOD, true));
    EXPECT_EQ(back.GetTableName(), "two  lines");
    EXPECT_EQ(Names(back), (std::vector<std::string>{"a b", "c"}));
}

TEST_F(GengouEraFile, FailedWriteKeepsTheOldFileAndTheModifiedFlag)
{
    const std::string path = tmp.File("eras.lgn");
    TempDir::Write(path, "old contents");
    CGengouEra t = ModernEras();
    t.SetTableName("changed");
    t.SetFileName(path);
    {
        FullDiskScope failing;
        EXPECT_FALSE(t.WriteFile(false, nullptr, HT_GENGOU));
    }
    EXPECT_TRUE(t.GetModified());
    ASSERT_EQ(host.Messages().size(), 1u);
    EXPECT_NE(host.Messages()[0].find("への書き込みに失敗しました"), std::string::npos);
    EXPECT_EQ(TempDir::Read(path), "old contents");
    EXPECT_EQ(TempDir::Names(tmp.Path()), std::vector<std::string>{"eras.lgn"});
}
