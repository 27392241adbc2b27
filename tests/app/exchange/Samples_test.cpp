#include "BaseYear.h"
#include "GengouEra.h"
#include "ScriptedHostServices.h"
#include "Sjis.h"
#include "YearEvent.h"

#include <gtest/gtest.h>

#include <set>

namespace {

std::string Sample(const char* name)
{
    return std::string(ANNALUX_SAMPLES_DIR) + "/" + name;
}

class SamplesTest : public ::testing::Test
{
protected:
    void TearDown() override { EXPECT_TRUE(m_host.Messages().empty()); }
    CScriptedHostServices m_host;
    CHostServicesScope m_scope{m_host};
};

const SGengouEraTable* FindRow(const CGengouEra& table, const char* utf8)
{
    for (const SGengouEraTable& row : table.GetGengouEraTable()) {
        if (row.name == Sjis(utf8))
            return &row;
    }
    return nullptr;
}

TEST_F(SamplesTest, EraNamesFromTaikaToReiwa)
{
    CGengouEra table;
    ASSERT_TRUE(table.ReadFile(Sample("gengou.lgn").c_str(), HT_GENGOU, true));
    EXPECT_EQ(table.GetTableName(), Sjis("元号"));
    // 248 eras, both courts of the Nanboku-chō period included.
    EXPECT_EQ(table.GetSize(), 248);
    EXPECT_EQ(table.GetAt(0).name.substr(0, 4), Sjis("大化"));
    EXPECT_EQ(table.GetWesternYear(Sjis("明治"), 45), 1912);
    EXPECT_EQ(table.GetWesternYear(Sjis("昭和"), 64), 1989);
    EXPECT_EQ(table.GetWesternYear(Sjis("平成"), 31), 2019);
    EXPECT_EQ(table.GetWesternYear(Sjis("元禄"), 15), 1702);
    EXPECT_EQ(table.GetWesternYear(Sjis("大化"), 1), 645);
    ASSERT_NE(FindRow(table, "延元"), nullptr); // Southern Court
    EXPECT_EQ(FindRow(table, "延元")->startYear, 1336);
    ASSERT_NE(FindRow(table, "明徳"), nullptr); // Northern Court
    EXPECT_EQ(FindRow(table, "明徳")->endYear, 1394);
    ASSERT_NE(FindRow(table, "令和"), nullptr);
    EXPECT_EQ(FindRow(table, "令和")->startYear, 2019);
    std::set<std::string> names;
    for (int i = 0; i < table.GetSize(); ++i) {
        const SGengouEraTable row = table.GetAt(i);
        names.insert(row.name);
        EXPECT_LE(row.startYear, row.endYear) << Utf8(row.name);
        if (i > 0) {
            EXPECT_LE(table.GetAt(i - 1).startYear, row.startYear);
        }
    }
    EXPECT_EQ(names.size(), 248u);
}

TEST_F(SamplesTest, Periods)
{
    CGengouEra table;
    ASSERT_TRUE(table.ReadFile(Sample("jidai.ler").c_str(), HT_PERIOD, true));
    EXPECT_EQ(table.GetSize(), 18);
    EXPECT_EQ(table.GetAt(0).name, Sjis("旧石器時代"));
    ASSERT_NE(FindRow(table, "江戸時代"), nullptr);
    EXPECT_EQ(FindRow(table, "江戸時代")->startYear, 1603);
    EXPECT_EQ(FindRow(table, "江戸時代")->endYear, 1868);
    EXPECT_EQ(table.GetAt(table.GetIndexFromYear(750)).name, Sjis("奈良時代"));
}

TEST_F(SamplesTest, JapaneseHistoryEvents)
{
    CYearEvent table;
    ASSERT_TRUE(table.ReadFile(Sample("nihonshi.lev").c_str(), false));
    EXPECT_EQ(table.GetTableName(), Sjis("日本史"));
    EXPECT_GE(table.GetLen(), 240);
    int priorities[3] = {0, 0, 0};
    int ranges = 0, links = 0, leap = 0;
    for (int i = 0; i < table.GetLen(); ++i) {
        const SEventData& rec = table.GetRecord(i);
        ++priorities[rec.priority];
        ranges += rec.rangeFlags != 0;
        links += rec.supplement.find("<A HREF=") != std::string::npos;
        leap += rec.leapMonth;
        if (i > 0) {
            const SEventData& prev = table.GetRecord(i - 1);
            EXPECT_TRUE(prev.year < rec.year ||
                        (prev.year == rec.year && prev.DateKey() <= rec.DateKey()))
                << "not in date order at " << i;
        }
    }
    EXPECT_GT(priorities[0], 0);
    EXPECT_GT(priorities[1], 0);
    EXPECT_GT(priorities[2], 0);
    EXPECT_GT(ranges, 10);
    EXPECT_GT(links, 50);
    EXPECT_GT(leap, 0);

    std::vector<SEventData*> found;
    ASSERT_TRUE(table.GetData(1600, found, EP_HIGH));
    bool sekigahara = false;
    for (const SEventData* rec : found) {
        if (rec->text == Sjis("関ヶ原の戦い")) {
            sekigahara = true;
            EXPECT_EQ(rec->month, 9);
            EXPECT_EQ(rec->day, 15);
            EXPECT_NE(rec->supplement.find("\r\n"), std::string::npos);
        }
    }
    EXPECT_TRUE(sekigahara);
    found.clear();
    ASSERT_TRUE(table.GetData(1392, found, EP_HIGH));
    EXPECT_TRUE(found[0]->leapMonth);
    EXPECT_EQ(found[0]->month, 10);
}

TEST_F(SamplesTest, WorldHistoryEvents)
{
    CYearEvent table;
    ASSERT_TRUE(table.ReadFile(Sample("sekaishi.lev").c_str(), false));
    EXPECT_GE(table.GetLen(), 60);
    EXPECT_LT(table.GetRecord(0).year, 0); // before the common era
    std::vector<SEventData*> found;
    ASSERT_TRUE(table.GetData(1789, found, EP_EVERY));
    EXPECT_EQ(found[0]->month, 7);
    EXPECT_EQ(found[0]->day, 14);
}

TEST_F(SamplesTest, BaseYearAgeOfIeyasu)
{
    CBaseYear table;
    ASSERT_TRUE(table.ReadFile(Sample("ieyasu.lby").c_str()));
    EXPECT_EQ(table.GetTableName(), Sjis("徳川家康"));
    EXPECT_EQ(table.GetBaseWesternYear(), 1543);
    EXPECT_EQ(table.GetEndWesternYear(), 1616);
    EXPECT_TRUE(table.GetKazoe());
    std::string label;
    ASSERT_TRUE(table.MakeBaseYearStr(1600, label));
    EXPECT_EQ(label, "58"); // age at Sekigahara, counted the traditional way
    ASSERT_TRUE(table.MakeBaseYearStr(1618, label));
    EXPECT_EQ(label, "+3"); // the third memorial
    EXPECT_NE(table.GetSupplement().find("\r\n"), std::string::npos);
    EXPECT_NE(table.GetSupplement().find("<A HREF=\""), std::string::npos);
}

} // namespace
