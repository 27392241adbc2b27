#include "ExportCSV.h"
#include "ImportCSV.h"

#include "BaseYear.h"
#include "FullDisk.h"
#include "GengouEra.h"
#include "SaveFile.h"
#include "ScriptedHostServices.h"
#include "Sjis.h"
#include "TempDir.h"
#include "YearEvent.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

namespace {

struct SLineCase
{
    const char* name;
    std::string line;
    std::string csv;
};

class ExportLineTest : public ::testing::TestWithParam<SLineCase>
{
};

TEST_P(ExportLineTest, LibraryLineBecomesCsvLine)
{
    EXPECT_EQ(CExportCSV::ConvertLine(GetParam().line), GetParam().csv);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ExportLineTest,
    ::testing::Values(SLineCase{"Header", Sjis("[出来事], 7\r"), Sjis("[出来事],7")},
                      SLineCase{"RecordWithCommaAndBreak",
                                "1600, 9, 15, \"a, b\", \"x\\r\\ny\", 0, 0, , 0\r",
                                "1600,9,15,\"a, b\",\"x\ny\",0,0,,0"},
                      SLineCase{"QuoteIsDoubled",
                                Sjis("1868, -1, -1, \"a \"\"b\"\"\", \"\", 1, 0, から?, 1869?"),
                                Sjis("1868,-1,-1,\"a \"\"b\"\"\",,1,0,から?,1869?")},
                      SLineCase{"EmptyLine", "", ""}, SLineCase{"CrOnly", "\r", ""},
                      // 表 ends in 0x5C: "表r\n" must not be taken for an escape.
                      SLineCase{"TrailBackslashIsNoEscape", Sjis("\"表r\\n\""), Sjis("表r\\n")}),
    [](const ::testing::TestParamInfo<SLineCase>& info) { return std::string(info.param.name); });

class ExportCSVTest : public ::testing::Test
{
protected:
    bool Export(const std::string& input, const std::string& output)
    {
        CExportCSV exporter;
        exporter.SetInputPath(input);
        exporter.SetOutputPath(output);
        return exporter.ExportLibrary();
    }
    bool Import(const std::string& input, const std::string& output)
    {
        CImportCSV import;
        import.SetInputPath(input);
        import.SetOutputPath(output);
        return import.ClassifyInputFile() && import.Convert();
    }

    TempDir m_dir;
    CScriptedHostServices m_host;
    CHostServicesScope m_scope{m_host};
};

TEST_F(ExportCSVTest, WritesCrLfLinesWithRealBreaksInsideFields)
{
    const std::string lib = m_dir.File("a.lev");
    TempDir::Write(lib, Sjis("[出来事], 7\r\n表\r\n説明\\r\\n二行\r\n0\r\n"
                             "1600, 9, 15, \"a, b\", \"x\\r\\ny\", 0, 0, , 0\r\n"));
    ASSERT_TRUE(Export(lib, m_dir.File("a.csv")));
    EXPECT_EQ(
        TempDir::Read(m_dir.File("a.csv")),
        Sjis("[出来事],7\r\n表\r\n\"説明\n二行\"\r\n0\r\n1600,9,15,\"a, b\",\"x\ny\",0,0,,0\r\n"));
    EXPECT_TRUE(m_host.Messages().empty());
}

TEST_F(ExportCSVTest, DefaultOutputName)
{
    CExportCSV exporter;
    exporter.SetInputPath("/lib/ERA.LGN");
    EXPECT_EQ(exporter.MakeDefaultOutputPath(), "/lib/ERA.csv");
}

TEST_F(ExportCSVTest, MissingInputIsReportedAndNothingWritten)
{
    const std::string missing = m_dir.File("missing.lev");
    EXPECT_FALSE(Export(missing, m_dir.File("o.csv")));
    EXPECT_EQ(m_host.Messages(), std::vector<std::string>{missing + " を開けませんでした"});
    struct stat st;
    EXPECT_NE(::stat(m_dir.File("o.csv").c_str(), &st), 0);
}

TEST_F(ExportCSVTest, UncreatableOutputIsReported)
{
    const std::string lib = m_dir.File("a.lev");
    TempDir::Write(lib, Sjis("[出来事], 7\r\nT\r\n\r\n0\r\n"));
    const std::string out = m_dir.File("no-such-folder/a.csv");
    EXPECT_FALSE(Export(lib, out));
    EXPECT_EQ(m_host.Messages(), std::vector<std::string>{out + " を開けませんでした"});
}

TEST_F(ExportCSVTest, FailedWriteKeepsOldCsvAndIsNotReportedAsSuccess)
{
    const std::string lib = m_dir.File("a.lev");
    TempDir::Write(lib, Sjis("[出来事], 7\r\nT\r\n\r\n0\r\n"));
    const std::string out = m_dir.File("a.csv");
    TempDir::Write(out, "old");
    CSaveFile::SetWriteFunctionForTesting(&FullDiskWrite);
    bool ok = Export(lib, out);
    CSaveFile::SetWriteFunctionForTesting(nullptr);
    EXPECT_FALSE(ok);
    EXPECT_EQ(TempDir::Read(out), "old");
    ASSERT_EQ(m_host.Messages().size(), 1u);
    EXPECT_EQ(m_host.Messages()[0], "ファイル " + out + " への書き込みに失敗しました");
}

// Export, then import: every kind comes back as it was, including the texts
// a library keeps on whole lines (names, explanations, the base-year
// supplement) with commas, quotes and line breaks in them.
TEST_F(ExportCSVTest, RoundTripEvents)
{
    CYearEvent table;
    table.SetTableName(Sjis("日本史, 抄"));
    table.SetExplanation(Sjis("一行目\r\n\"二行目\", 終わり"));
    table.SetTodayDate(true);
    SEventData a;
    a.year = 1600;
    a.month = 9;
    a.day = 15;
    a.text = Sjis("関ヶ原, \"天下分け目\"");
    a.supplement = Sjis("<A HREF=\"https://ja.wikipedia.org/wiki/表\">表</A>\r\n二行目");
    a.priority = 0;
    a.rangeFlags = 0x101;
    a.otherYear = 1603;
    SEventData b;
    b.year = -660;
    b.month = 2;
    b.leapMonth = true;
    b.text = Sjis("表示");
    b.priority = 2;
    b.rangeFlags = 0x202;
    b.otherYear = -600;
    table.SetData(a, true, -1, EP_EVERY);
    table.SetData(b, true, -1, EP_EVERY);
    table.SetFileName(m_dir.File("a.lev"));
    ASSERT_TRUE(table.WriteFile(false, nullptr, HT_EVENT));

    ASSERT_TRUE(Export(m_dir.File("a.lev"), m_dir.File("a.csv")));
    ASSERT_TRUE(Import(m_dir.File("a.csv"), m_dir.File("b.lev")));
    CYearEvent back;
    ASSERT_TRUE(back.ReadFile(m_dir.File("b.lev").c_str(), false));
    EXPECT_EQ(back.GetTableName(), table.GetTableName());
    EXPECT_EQ(back.GetExplanation(), table.GetExplanation());
    EXPECT_TRUE(back.GetTodayDate());
    ASSERT_EQ(back.GetLen(), 2);
    EXPECT_EQ(back.GetRecord(0), table.GetRecord(0));
    EXPECT_EQ(back.GetRecord(1), table.GetRecord(1));
    EXPECT_TRUE(m_host.Messages().empty());
}

TEST_F(ExportCSVTest, RoundTripErasAndPeriods)
{
    for (EHeaderType kind : {HT_GENGOU, HT_PERIOD}) {
        CGengouEra table;
        table.SetTableName(Sjis("元号, 抄"));
        table.SetExplanation(Sjis("一行目\r\n\"二行目\", 終わり"));
        table.SetData(Sjis("明治, \"M\""), 1868, 1912, Sjis("一世一元\r\n<A HREF=\"x\">表</A>"));
        table.SetData(Sjis("大正"), 1912, 1926, "");
        table.SetFileName(m_dir.File("a.era"));
        ASSERT_TRUE(table.WriteFile(false, nullptr, kind));

        ASSERT_TRUE(Export(m_dir.File("a.era"), m_dir.File("a.csv")));
        ASSERT_TRUE(Import(m_dir.File("a.csv"), m_dir.File("b.era")));
        CGengouEra back;
        ASSERT_TRUE(back.ReadFile(m_dir.File("b.era").c_str(), kind, true));
        EXPECT_EQ(back.GetTableName(), table.GetTableName()) << kind;
        EXPECT_EQ(back.GetExplanation(), table.GetExplanation()) << kind;
        EXPECT_EQ(back.GetGengouEraTable(), table.GetGengouEraTable()) << kind;
    }
    EXPECT_TRUE(m_host.Messages().empty());
}

// A CR of the text right before a line break is not taken into the break.
// (The event writer stores every bare CR as a line break; the era, period
// and base-year files keep it.)
TEST_F(ExportCSVTest, RoundTripKeepsABareCrBeforeALineBreak)
{
    CGengouEra eras;
    eras.SetTableName(Sjis("表"));
    eras.SetExplanation(Sjis("一\r\r\n二"));
    eras.SetData(Sjis("明治"), 1868, 1912, Sjis("補足\r\r\n次"));
    eras.SetFileName(m_dir.File("a.lgn"));
    ASSERT_TRUE(eras.WriteFile(false, nullptr, HT_GENGOU));
    ASSERT_TRUE(Export(m_dir.File("a.lgn"), m_dir.File("e.csv")));
    ASSERT_TRUE(Import(m_dir.File("e.csv"), m_dir.File("b.lgn")));
    CGengouEra erasBack;
    ASSERT_TRUE(erasBack.ReadFile(m_dir.File("b.lgn").c_str(), HT_GENGOU, true));
    EXPECT_EQ(erasBack.GetExplanation(), eras.GetExplanation());
    EXPECT_EQ(erasBack.GetGengouEraTable(), eras.GetGengouEraTable());

    CBaseYear base;
    base.SetTableName(Sjis("家康"));
    base.SetBaseWesternYear(1543);
    base.SetEndWesternYear(1616);
    base.SetSupplement(Sjis("竹千代\r\r\n元康"));
    base.SetFileName(m_dir.File("a.lby"));
    ASSERT_TRUE(base.WriteFile(false, nullptr, HT_BASEYEAR));
    ASSERT_TRUE(Export(m_dir.File("a.lby"), m_dir.File("b.csv")));
    ASSERT_TRUE(Import(m_dir.File("b.csv"), m_dir.File("b.lby")));
    CBaseYear baseBack;
    ASSERT_TRUE(baseBack.ReadFile(m_dir.File("b.lby").c_str()));
    EXPECT_EQ(baseBack.GetSupplement(), base.GetSupplement());
    EXPECT_TRUE(m_host.Messages().empty());
}

TEST_F(ExportCSVTest, RoundTripBaseYear)
{
    CBaseYear table;
    table.SetTableName(Sjis("徳川家康, 将軍"));
    table.SetBaseWesternYear(1543);
    table.SetEndWesternYear(1616);
    table.SetKazoe(true);
    table.SetEndYearPlus(true);
    table.SetEndYearQuest(true);
    table.SetSupplement(
        Sjis("\"竹千代\", のち元康\r\n<A HREF=\"https://ja.wikipedia.org/\">表</A>"));
    table.SetFileName(m_dir.File("a.lby"));
    ASSERT_TRUE(table.WriteFile(false, nullptr, HT_BASEYEAR));

    ASSERT_TRUE(Export(m_dir.File("a.lby"), m_dir.File("a.csv")));
    ASSERT_TRUE(Import(m_dir.File("a.csv"), m_dir.File("b.lby")));
    CBaseYear back;
    ASSERT_TRUE(back.ReadFile(m_dir.File("b.lby").c_str()));
    EXPECT_EQ(back.GetTableName(), table.GetTableName());
    EXPECT_EQ(back.GetSupplement(), table.GetSupplement());
    EXPECT_EQ(back.GetBaseWesternYear(), 1543);
    EXPECT_EQ(back.GetEndWesternYear(), 1616);
    EXPECT_TRUE(back.GetKazoe());
    EXPECT_TRUE(back.GetEndYearPlus());
    EXPECT_FALSE(back.GetEndYearKaiki());
    EXPECT_TRUE(back.GetEndYearQuest());
    EXPECT_TRUE(m_host.Messages().empty());
    // The CSV shows the supplement as one spreadsheet cell.
    const std::string csv = TempDir::Read(m_dir.File("a.csv"));
    EXPECT_NE(csv.find(Sjis("\"\"\"竹千代\"\", のち元康\n<A HREF=")), std::string::npos);
}

} // namespace
