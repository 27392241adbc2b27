#include "BaseYear.h"
#include "DataMessages.h"
#include "FullDisk.h"
#include "SaveFile.h"
#include "ScriptedHostServices.h"
#include "Sjis.h"
#include "TempDir.h"
#include "TestDocument.h"

#include <gtest/gtest.h>

#include <climits>
#include <random>
#include <string>
#include <vector>

namespace {

const std::string kData = ANNALUX_TEST_DATA_DIR;

constexpr unsigned Kazoe = 1u << 0;
constexpr unsigned Minus = 1u << 1; // DisplayMinus
constexpr unsigned Minus1 = 1u << 2;
constexpr unsigned Plus = 1u << 3;   // EndYearPlus
constexpr unsigned Kaiki = 1u << 4;  // EndYearKaiki
constexpr unsigned BeginQ = 1u << 5; // BeginYearQuest
constexpr unsigned EndQ = 1u << 6;   // EndYearQuest

CBaseYear Make(int32_t base, int32_t end, unsigned switches)
{
    CBaseYear t;
    t.SetBaseWesternYear(base);
    t.SetEndWesternYear(end);
    t.SetKazoe(switches & Kazoe);
    t.SetDisplayMinus(switches & Minus);
    t.SetMinus1(switches & Minus1);
    t.SetEndYearPlus(switches & Plus);
    t.SetEndYearKaiki(switches & Kaiki);
    t.SetBeginYearQuest(switches & BeginQ);
    t.SetEndYearQuest(switches & EndQ);
    t.SetModified(false);
    return t;
}

unsigned Switches(const CBaseYear& t)
{
    return (t.GetKazoe() ? Kazoe : 0u) | (t.GetDisplayMinus() ? Minus : 0u) |
           (t.GetMinus1() ? Minus1 : 0u) | (t.GetEndYearPlus() ? Plus : 0u) |
           (t.GetEndYearKaiki() ? Kaiki : 0u) | (t.GetBeginYearQuest() ? BeginQ : 0u) |
           (t.GetEndYearQuest() ? EndQ : 0u);
}

const char* const kNone = nullptr; // no label

} // namespace

// ---- Labels ---------------------------------------------------------------

struct LabelCase
{
    int32_t base;
    int32_t end;
    unsigned switches;
    int32_t year;
    const char* label;
};

class BaseYearLabel : public ::testing::TestWithParam<LabelCase>
{
};

TEST_P(BaseYearLabel, MakeBaseYearStr)
{
    const LabelCase& c = GetParam();
    const CBaseYear t = Make(c.base, c.end, c.switches);
    std::string out = "untouched";
    const bool made = t.MakeBaseYearStr(c.year, out);
    if (c.label) {
        EXPECT_TRUE(made);
        EXPECT_EQ(out, c.label);
    } else {
        EXPECT_FALSE(made);
        EXPECT_EQ(out, "untouched");
    }
}

INSTANTIATE_TEST_SUITE_P(
    Counting, BaseYearLabel,
    ::testing::Values(
        // Every switch off.
        LabelCase{1900, 1950, 0, 1900, "0"}, LabelCase{1900, 1950, 0, 1920, "20"},
        LabelCase{1900, 1950, 0, 1950, "50"}, LabelCase{1900, 1950, 0, 1899, kNone},
        LabelCase{1900, 1950, 0, 1951, kNone},
        // Kazoe and the years before the start.
        LabelCase{1900, 1950, Kazoe, 1900, "1"}, LabelCase{1900, 1950, Kazoe, 1920, "21"},
        LabelCase{1900, 1950, Kazoe, 1899, kNone}, LabelCase{1900, 1950, Minus, 1899, "-1"},
        LabelCase{1900, 1950, Minus | Kazoe, 1899, "0"},
        LabelCase{1900, 1950, Minus | Kazoe | Minus1, 1899, "-1"},
        LabelCase{1900, 1950, Minus | Kazoe | Minus1, 1898, "-2"},
        LabelCase{1900, 1950, Minus | Minus1, 1899, "-1"}, // Minus1 needs Kazoe
        // After the end year.
        LabelCase{1900, 1950, Plus, 1951, "+1"}, LabelCase{1900, 1950, Plus, 1952, "+2"},
        LabelCase{1900, 1950, Plus, 1953, "+3"}, LabelCase{1900, 1950, Plus | Kaiki, 1951, "+1"},
        LabelCase{1900, 1950, Plus | Kaiki, 1952, "+3"},
        LabelCase{1900, 1950, Plus | Kaiki, 1953, "+4"}, LabelCase{1900, 1950, Kaiki, 1952, kNone},
        // Question marks and the end-year dash.
        LabelCase{1900, 1950, EndQ, 1950, "--"}, LabelCase{1900, 1950, EndQ | Plus, 1951, "+1?"},
        LabelCase{1900, 1950, EndQ, 1949, "49"}, LabelCase{1900, 1950, BeginQ, 1920, "20?"},
        LabelCase{1900, 1950, BeginQ, 1950, "50?"},
        LabelCase{1900, 1950, BeginQ | EndQ, 1950, "--"},
        LabelCase{1900, 1950, BeginQ | Plus, 1951, "+1"},
        LabelCase{1900, 1950, BeginQ | Minus, 1899, "-1?"},
        // No year 0 between -1 and 1.
        LabelCase{-10, kNoYear, 0, 5, "14"}, LabelCase{-10, kNoYear, 0, -1, "9"},
        LabelCase{-10, kNoYear, 0, 1, "10"}, LabelCase{-10, kNoYear, Kazoe, 1, "11"},
        LabelCase{-1, kNoYear, Kazoe, 1, "2"}, LabelCase{-1, kNoYear, 0, 1, "1"},
        LabelCase{10, kNoYear, Minus, -1, "-10"}, LabelCase{1, kNoYear, Minus, -1, "-1"},
        LabelCase{1, kNoYear, Minus | Kazoe, -1, "0"},
        LabelCase{1, kNoYear, Minus | Kazoe | Minus1, -1, "-1"},
        // Without an end year no year is after the end (not "+0"); a count
        // beyond 32 bits gets no label.
        LabelCase{-10, kNoYear, Plus, INT32_MAX - 9, "2147483647"},
        LabelCase{-10, kNoYear, Plus, INT32_MAX, kNone},
        // At the 32-bit limits: counted in 64 bits, no wrap-around.
        LabelCase{INT32_MIN, kNoYear, 0, -1, "2147483647"},
        LabelCase{INT32_MIN, kNoYear, Kazoe, -1, kNone}, // 2147483648 has no label
        LabelCase{INT32_MIN, kNoYear, 0, 1, kNone},
        LabelCase{INT32_MAX - 1, INT32_MAX - 1, Minus | Kazoe, INT32_MIN, kNone},
        LabelCase{0, 5, Minus, INT32_MIN, "-2147483648"},
        LabelCase{INT32_MIN, INT32_MIN + 1, Plus, INT32_MAX, kNone},
        LabelCase{INT32_MIN, -1, Plus, 1, "+1"}, LabelCase{-100, -1, Plus, 2, "+2"},
        LabelCase{-100, -1, Plus | Kaiki, 1, "+1"}, LabelCase{-100, -1, Plus | Kaiki, 2, "+3"},
        LabelCase{-100, -2, Plus, -1, "+1"}, LabelCase{0, INT32_MAX - 1, Plus, INT32_MAX, "+1"},
        LabelCase{-5, INT32_MIN, Plus | Kaiki, INT32_MAX, kNone}));

TEST(BaseYearRange, DiffInSixtyFourBits)
{
    EXPECT_EQ(Make(1900, kNoYear, 0).GetDiffWesternYear(), kNoYear);
    EXPECT_EQ(Make(INT32_MIN, INT32_MAX - 1, 0).GetDiffWesternYear(), 4294967294LL);
}

TEST(BaseYearFields, SettersMarkOnlyChanges)
{
    CBaseYear t = Make(1900, 1950, Kazoe);
    t.SetBaseWesternYear(1900);
    t.SetEndWesternYear(1950);
    t.SetKazoe(true);
    t.SetEndYearQuest(false);
    t.SetSupplement("");
    EXPECT_FALSE(t.GetModified());

    void (CBaseYear::*flags[])(bool) = {
        &CBaseYear::SetKazoe,        &CBaseYear::SetDisplayMinus, &CBaseYear::SetMinus1,
        &CBaseYear::SetEndYearPlus,  &CBaseYear::SetEndYearKaiki, &CBaseYear::SetBeginYearQuest,
        &CBaseYear::SetEndYearQuest,
    };
    for (auto set : flags) {
        CBaseYear u = Make(1900, 1950, 0);
        (u.*set)(true);
        EXPECT_TRUE(u.GetModified());
        EXPECT_EQ(__builtin_popcount(Switches(u)), 1);
    }
    t.SetSupplement(Sjis("表"));
    EXPECT_TRUE(t.GetModified());
    CBaseYear assigned;
    assigned = t;
    EXPECT_EQ(assigned.GetSupplement(), Sjis("表"));
    EXPECT_EQ(Switches(assigned), Kazoe);
}

// ---- Search ---------------------------------------------------------------

TEST(BaseYearSearch, PlainOffsets)
{
    const CBaseYear t = Make(1900, 1950, 0);
    int32_t year = 0;
    EXPECT_EQ(t.SearchStr("20", 1800, 2000, year, -1), 20);
    EXPECT_EQ(year, 1920);
    EXPECT_EQ(t.SearchStr("2", 1800, 2000, year, 3), 12);
    EXPECT_EQ(year, 1912);
    EXPECT_EQ(t.SearchStr("0", 1800, 2000, year, -1), 0);
    EXPECT_EQ(t.SearchStr("0", 1901, 2000, year, -1), 10);
    EXPECT_EQ(t.SearchStr("51", 1800, 2000, year, -1), -1); // past the end year
    EXPECT_EQ(t.SearchStr("30", 1800, 1925, year, -1), -1); // past to
    EXPECT_EQ(t.SearchStr(Sjis("年"), 1800, 2000, year, -1), -1);

    const CBaseYear kazoe = Make(1900, 1950, Kazoe);
    EXPECT_EQ(kazoe.SearchStr("20", 1800, 2000, year, -1), 19);
    EXPECT_EQ(year, 1919);
    EXPECT_EQ(kazoe.SearchStr("51", 1800, 2000, year, -1), 50);
}

TEST(BaseYearSearch, AgreesWithTryingEveryOffset)
{
    std::mt19937 rng(11);
    std::uniform_int_distribution<int> base(-3000, 3000);
    std::uniform_int_distribution<int> span(-50, 2500);
    std::uniform_int_distribution<int> number(0, 3000);
    for (int round = 0; round < 400; ++round) {
        const int32_t b = base(rng);
        const int32_t e = round % 7 == 0 ? kNoYear : b + span(rng);
        const CBaseYear t = Make(b, e, round % 2 ? Kazoe : 0u);
        const int32_t from = b + span(rng) - 100;
        const int32_t to = from + span(rng) + 100;
        const int start = round % 3 == 0 ? number(rng) : -1;
        std::string what = std::to_string(number(rng) % (round % 4 == 0 ? 10 : 3000));
        if (round % 5 == 0)
            what = "0" + what;

        const int64_t last = std::min<int64_t>(to, e) - b;
        const int64_t first = start == -1 ? std::max<int64_t>(int64_t(from) - b, 0) : start;
        int expected = -1;
        for (int64_t i = first; i <= last && expected < 0; ++i) {
            if (std::to_string(i + (t.GetKazoe() ? 1 : 0)).find(what) != std::string::npos)
                expected = static_cast<int>(i);
        }
        int32_t year = 0;
        SCOPED_TRACE(what + " b=" + std::to_string(b) + " start=" + std::to_string(start));
        ASSERT_EQ(t.SearchStr(what, from, to, year, start), expected);
        if (expected >= 0) {
            EXPECT_EQ(year, b + expected);
        }
    }
}

TEST(BaseYearSearch, WholeYearRangeWithoutAnEndYear)
{
    const CBaseYear t = Make(INT32_MIN, kNoYear, 0);
    int32_t year = 0;
    EXPECT_EQ(t.SearchStr("2147483647", INT32_MIN, INT32_MAX, year, -1), INT32_MAX);
    EXPECT_EQ(year, -1);
    EXPECT_EQ(t.SearchStr("2147483648", INT32_MIN, INT32_MAX, year, -1), -1);
    EXPECT_EQ(t.SearchStr("7", INT32_MIN, INT32_MAX, year, 2000000000), 2000000007);
    const CBaseYear kazoe = Make(INT32_MIN, kNoYear, Kazoe);
    EXPECT_EQ(kazoe.SearchStr("2147483647", INT32_MIN, INT32_MAX, year, -1), INT32_MAX - 1);
}

// ---- Files ----------------------------------------------------------------

class BaseYearFile : public ::testing::Test
{
protected:
    CScriptedHostServices host;
    CHostServicesScope scope{host};
    TempDir tmp;
};

TEST_F(BaseYearFile, ReadsEveryVersion)
{
    // Every fixture sets each switch it has; the others stay off.
    const unsigned expected[] = {
        Kazoe,
        Kazoe | Minus,
        Kazoe | Minus | Minus1,
        Kazoe | Minus | Minus1 | Plus,
        Kazoe | Minus | Minus1 | Plus | Kaiki,
        Kazoe | Minus | Minus1 | Plus | Kaiki | BeginQ | EndQ,
    };
    for (int v = 0; v <= 5; ++v) {
        SCOPED_TRACE(v);
        CBaseYear t;
        const std::string path = kData + "/lby/base_v" + std::to_string(v) + ".lby";
        ASSERT_TRUE(t.ReadFile(path.c_str()));
        EXPECT_FALSE(t.GetModified());
        EXPECT_EQ(Utf8(t.GetTableName()), "生年");
        EXPECT_EQ(t.GetBaseWesternYear(), 1900);
        EXPECT_EQ(t.GetEndWesternYear(), 1950);
        EXPECT_EQ(Switches(t), expected[v]);
        EXPECT_EQ(Utf8(t.GetSupplement()), "補足 \"引用\"\r\n表");
    }
    CBaseYear t;
    t.SetSupplement("stale");
    ASSERT_TRUE(t.ReadFile((kData + "/lby/base_v5_nosupp.lby").c_str()));
    EXPECT_EQ(t.GetBaseWesternYear(), -10);
    EXPECT_EQ(t.GetEndWesternYear(), kNoYear);
    EXPECT_EQ(Switches(t), Minus | EndQ);
    EXPECT_EQ(t.GetSupplement(), "");
    EXPECT_TRUE(host.Messages().empty());
}

TEST_F(BaseYearFile, WritesTheCurrentVersionExactly)
{
    CBaseYear t = Make(1900, kNoYear, Kazoe | Plus | EndQ);
    t.SetTableName(Sjis("生年"));
    t.SetExplanation("not stored");
    EXPECT_EQ(
        t.MakeFileContent(),
        Sjis("[基点年],5\r\n生年\r\n1900\r\n2147483647\r\n1\r\n0\r\n0\r\n1\r\n0\r\n0\r\n1\r\n"));
    t.SetSupplement(Sjis("\"表\"\r\nソ"));
    EXPECT_EQ(t.MakeFileContent(),
              Sjis("[基点年],5\r\n生年\r\n1900\r\n2147483647\r\n1\r\n0\r\n0\r\n1\r\n0\r\n0\r\n1\r\n"
                   "\"\"表\"\"\\r\\nソ"));
}

TEST_F(BaseYearFile, RoundTrip)
{
    const std::string supplements[] = {
        "",
        Sjis("表\\ソ \"引用\"\r\n\r\n二行 \"\""),
        Sjis(" 先頭の空白と末尾の改行\r\n"),
        Sjis("改行のみ\nの行"),
    };
    for (const std::string& supplement : supplements) {
        SCOPED_TRACE(Utf8(supplement));
        CBaseYear t = Make(INT32_MIN, INT32_MAX - 1, Minus | Minus1 | Kaiki | BeginQ);
        t.SetTableName(Sjis("表ソ, \"名前\""));
        t.SetSupplement(supplement);
        const std::string path = tmp.File("base.lby");
        t.SetFileName(path);
        CTestDocument doc(tmp.File("work.anx"));
        ASSERT_TRUE(t.WriteFile(false, &doc, HT_GENGOU)); // the kind is not used
        EXPECT_FALSE(t.GetModified());
        EXPECT_EQ(TempDir::Read(path).substr(0, 8), Sjis("[基点年]"));

        CBaseYear back;
        ASSERT_TRUE(back.ReadFile(path.c_str()));
        EXPECT_EQ(back.GetTableName(), t.GetTableName());
        EXPECT_EQ(back.GetBaseWesternYear(), INT32_MIN);
        EXPECT_EQ(back.GetEndWesternYear(), INT32_MAX - 1);
        EXPECT_EQ(Switches(back), Switches(t));
        const std::string expected =
            supplement == Sjis("改行のみ\nの行") ? Sjis("改行のみ\r\nの行") : supplement;
        EXPECT_EQ(back.GetSupplement(), expected);
    }
    EXPECT_TRUE(host.Messages().empty());
}

TEST_F(BaseYearFile, ReadFailures)
{
    const std::string v5 =
        Sjis("[基点年],5\r\n名前\r\n1900\r\n1950\r\n1\r\n1\r\n1\r\n1\r\n1\r\n1\r\n");
    struct Case
    {
        const char* label;
        std::string content;
        int message;
    } cases[] = {
        {"empty file", "", CDataMessages::InvalidFormat},
        {"wrong tag", Sjis("[元号],5\r\n名前\r\n1900\r\n1950\r\n1\r\n"),
         CDataMessages::InvalidFormat},
        {"no name", Sjis("[基点年],5\r\n"), CDataMessages::InvalidFormat},
        {"no end year", Sjis("[基点年]\r\n名前\r\n1900\r\n"), CDataMessages::InvalidFormat},
        {"version 0 without Kazoe", Sjis("[基点年]\r\n名前\r\n1900\r\n1950\r\n"),
         CDataMessages::InvalidFormat},
        {"version 5 without the last switch", v5, CDataMessages::InvalidFormat},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.label);
        const std::string path = tmp.File("bad.lby");
        TempDir::Write(path, c.content);
        host.Clear();
        CBaseYear t;
        EXPECT_FALSE(t.ReadFile(path.c_str()));
        EXPECT_EQ(host.Messages(),
                  std::vector<std::string>{CDataMessages::Format(c.message, path)});
    }

    // What was read before the failure stays.
    TempDir::Write(tmp.File("short.lby"), v5);
    CBaseYear t;
    EXPECT_FALSE(t.ReadFile(tmp.File("short.lby").c_str()));
    EXPECT_EQ(t.GetBaseWesternYear(), 1900);
    EXPECT_TRUE(t.GetBeginYearQuest());

    host.Clear();
    const std::string missing = tmp.File("none.lby");
    EXPECT_FALSE(t.ReadFile(missing.c_str()));
    EXPECT_EQ(host.Messages(),
              std::vector<std::string>{CDataMessages::Format(CDataMessages::ReadFailed, missing)});

    // No name: the dialog asks; cancelling changes nothing.
    host.Clear();
    CBaseYear fresh;
    EXPECT_FALSE(fresh.ReadFile(nullptr));
    ASSERT_EQ(host.Records().size(), 1u);
    EXPECT_EQ(host.Records()[0].text, "基点年ﾃﾞｰﾀの読込み");
    EXPECT_EQ(fresh.GetFileName(), "");
}

TEST_F(BaseYearFile, WriteDialogAndFailure)
{
    CBaseYear t = Make(1900, 1950, 0);
    t.SetTableName("Age");
    CTestDocument doc(tmp.File("work.anx"));
    EXPECT_FALSE(t.WriteFile(false, &doc, HT_BASEYEAR));
    ASSERT_EQ(host.Records().size(), 1u);
    EXPECT_EQ(host.Records()[0].text, "基点年ﾃﾞｰﾀの書込み");
    EXPECT_EQ(host.Records()[0].request.defaultExtension, "lby");
    EXPECT_EQ(host.Records()[0].request.proposedName, "Age");
    EXPECT_TRUE(TempDir::Names(tmp.Path()).empty());

    host.Clear();
    const std::string path = tmp.File("age.lby");
    TempDir::Write(path, "old");
    t.SetFileName(path);
    CSaveFile::SetWriteFunctionForTesting(&FullDiskWrite);
    const bool written = t.WriteFile(false, &doc, HT_BASEYEAR);
    CSaveFile::SetWriteFunctionForTesting(nullptr);
    EXPECT_FALSE(written);
    EXPECT_TRUE(t.GetModified());
    ASSERT_EQ(host.Messages().size(), 1u); // no second box with the cause
    EXPECT_NE(host.Messages()[0].find("への書き込みに失敗しました"), std::string::npos);
    EXPECT_EQ(TempDir::Read(path), "old");
    EXPECT_EQ(TempDir::Names(tmp.Path()), std::vector<std::string>{"age.lby"});
}
