#include "ImportCSV.h"

#include "BaseYear.h"
#include "FullDisk.h"
#include "GengouEra.h"
#include "LibraryFileReader.h"
#include "ScriptedHostServices.h"
#include "Sjis.h"
#include "TempDir.h"
#include "YearEvent.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <sys/stat.h>
#include <unistd.h>

namespace {

const std::string kCannotOpen =
    "ファイルが開けません。\r\nファイルが存在しないか、他のアプリケーションが使用中です";
const std::string kInvalid = "指定したファイル内容が不正です";

bool Exists(const std::string& path)
{
    struct stat st;
    return ::stat(path.c_str(), &st) == 0;
}

int CountEntries(const std::string& folder)
{
    return static_cast<int>(TempDir::Names(folder).size());
}

// Every test gets its own folders and its own temporary folder, so that a
// temp file left behind is seen.
class ImportCSVTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        const char* old = std::getenv("TMPDIR");
        m_hadTmp = old != nullptr;
        if (old)
            m_oldTmp = old;
        ::mkdir(m_tmp.c_str(), 0700);
        ::setenv("TMPDIR", m_tmp.c_str(), 1);
    }
    void TearDown() override
    {
        if (m_hadTmp)
            ::setenv("TMPDIR", m_oldTmp.c_str(), 1);
        else
            ::unsetenv("TMPDIR");
    }

    // Writes the UTF-8 text as Shift-JIS CSV and converts it.
    bool Import(const std::string& utf8, const std::string& output)
    {
        const std::string input = m_dir.File("in.csv");
        TempDir::Write(input, Sjis(utf8));
        CImportCSV import;
        import.SetInputPath(input);
        import.SetOutputPath(output);
        return import.ClassifyInputFile() && import.Convert();
    }

    TempDir m_dir;
    std::string m_tmp = m_dir.File("tmp");
    CScriptedHostServices m_host;
    CHostServicesScope m_scope{m_host};
    bool m_hadTmp = false;
    std::string m_oldTmp;
};

struct SClassifyCase
{
    const char* name;
    std::string utf8;
    int result;
    int kind;
    std::string title; // UTF-8
};

class ImportClassifyTest : public ImportCSVTest, public ::testing::WithParamInterface<SClassifyCase>
{
};

TEST_P(ImportClassifyTest, FirstTwoLinesDecide)
{
    const SClassifyCase& c = GetParam();
    const std::string input = m_dir.File("c.csv");
    TempDir::Write(input, Sjis(c.utf8));
    CImportCSV import;
    import.SetInputPath(input);
    EXPECT_EQ(import.CheckInputFile(), c.result);
    EXPECT_EQ(import.GetImportKind(), c.kind);
    EXPECT_EQ(import.GetTitle(), Sjis(c.title));
    EXPECT_TRUE(m_host.Messages().empty());

    EXPECT_EQ(import.ClassifyInputFile(), c.result == CImportCSV::CR_OK);
    if (c.result == CImportCSV::CR_OK)
        EXPECT_TRUE(m_host.Messages().empty());
    else
        EXPECT_EQ(m_host.Messages(), std::vector<std::string>{kInvalid});
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ImportClassifyTest,
    ::testing::Values(
        SClassifyCase{"EventsWithVersion", "[出来事],7\r\n年表\r\n", 0, CImportCSV::IK_EVENT,
                      "年表"},
        SClassifyCase{"TextAfterBracketIgnored", "[出来事]xyz, 9\r\nT\r\n", 0, CImportCSV::IK_EVENT,
                      "T"},
        SClassifyCase{"EventsWithoutVersion", "[出来事]\nT", 0, CImportCSV::IK_EVENT, "T"},
        SClassifyCase{"BaseYears", "[基点年],5\r\n家康\r\n", 0, CImportCSV::IK_BASEYEAR, "家康"},
        SClassifyCase{"Eras", "[元号],1\r\n元号\r\n", 0, CImportCSV::IK_GENGOU, "元号"},
        SClassifyCase{"Periods", "[時代], 1\r\n\"a, b\"\r\n", 0, CImportCSV::IK_PERIOD, "\"a, b\""},
        SClassifyCase{"EmptyTitleLineCounts", "[時代]\r\n\r\n", 0, CImportCSV::IK_PERIOD, ""},
        SClassifyCase{"NoBracket", "出来事,7\r\nT\r\n", 2, CImportCSV::IK_NONE, ""},
        SClassifyCase{"UnknownTag", "[人物],1\r\nT\r\n", 2, CImportCSV::IK_NONE, ""},
        SClassifyCase{"LeadingBlankBeforeTag", " [出来事],7\r\nT\r\n", 2, CImportCSV::IK_NONE, ""},
        SClassifyCase{"OneLine", "[出来事],7\r\n", 2, CImportCSV::IK_NONE, ""},
        SClassifyCase{"EmptyFile", "", 2, CImportCSV::IK_NONE, ""}),
    [](const ::testing::TestParamInfo<SClassifyCase>& info) {
        return std::string(info.param.name);
    });

TEST_F(ImportCSVTest, UnreadableInputIsReportedAsCannotOpen)
{
    for (const std::string& path : {m_dir.File("missing.csv"), m_dir.Path()}) {
        m_host.Clear();
        CImportCSV import;
        import.SetInputPath(path);
        EXPECT_EQ(import.CheckInputFile(), CImportCSV::CR_CANNOT_OPEN) << path;
        EXPECT_FALSE(import.ClassifyInputFile());
        EXPECT_EQ(m_host.Messages(), std::vector<std::string>{kCannotOpen});
    }
}

TEST_F(ImportCSVTest, DefaultOutputNameAndKindTexts)
{
    CImportCSV import;
    TempDir::Write(m_dir.File("era.csv"), Sjis("[元号],1\r\nT\r\n"));
    import.SetInputPath(m_dir.File("era.csv"));
    ASSERT_EQ(import.CheckInputFile(), CImportCSV::CR_OK);
    EXPECT_EQ(import.MakeDefaultOutputPath(), m_dir.File("era.lgn"));
    EXPECT_STREQ(CImportCSV::KindName(CImportCSV::IK_BASEYEAR), "基点年");
    EXPECT_STREQ(CImportCSV::KindExtension(CImportCSV::IK_PERIOD), "ler");
    // Characters, not bytes, are dropped from a UTF-8 name.
    import.SetInputPath("/d/年表.あいう");
    EXPECT_EQ(import.MakeDefaultOutputPath(), "/d/年表.lgn");
}

TEST_F(ImportCSVTest, EventsAreWrittenInDateOrderWithMultiLineSupplements)
{
    const std::string out = m_dir.File("out.lev");
    ASSERT_TRUE(Import("[出来事],7\r\n日本史\r\n\"説明の\r\n二行目\"\r\n1\r\n"
                       "1603,2,12,江戸幕府,\"将軍に\r\nなる\",0,0,,0\r\n"
                       "1600,9,15,\"関ヶ原, \"\"天下分け目\"\"\",\"\",1,0,から?,1601?\r\n"
                       "1600,-1,-1,\"表示\",表,2,1,まで,0\r\n",
                       out));
    EXPECT_TRUE(m_host.Messages().empty());
    EXPECT_EQ(CountEntries(m_tmp), 0) << "temporary file left behind";

    CYearEvent table;
    ASSERT_TRUE(table.ReadFile(out.c_str(), false));
    EXPECT_EQ(table.GetTableName(), Sjis("日本史"));
    EXPECT_EQ(table.GetExplanation(), Sjis("説明の\r\n二行目"));
    EXPECT_TRUE(table.GetTodayDate());
    ASSERT_EQ(table.GetLen(), 3);
    // File order is kept by this read: the import already sorted them.
    EXPECT_EQ(table.GetRecord(0).year, 1600);
    EXPECT_EQ(table.GetRecord(0).text, Sjis("表示"));
    EXPECT_EQ(table.GetRecord(0).supplement, Sjis("表"));
    EXPECT_TRUE(table.GetRecord(0).leapMonth);
    EXPECT_EQ(table.GetRecord(0).rangeFlags, 2u);
    EXPECT_EQ(table.GetRecord(1).text, Sjis("関ヶ原, \"天下分け目\""));
    EXPECT_EQ(table.GetRecord(1).month, 9);
    EXPECT_EQ(table.GetRecord(1).rangeFlags, 0x301u);
    EXPECT_EQ(table.GetRecord(1).otherYear, 1601);
    EXPECT_EQ(table.GetRecord(2).year, 1603);
    // One line break, not a CR before it.
    EXPECT_EQ(table.GetRecord(2).supplement, Sjis("将軍に\r\nなる"));
}

TEST_F(ImportCSVTest, OldLibraryFileIsUpgradedToCurrentVersion)
{
    const std::string old = m_dir.File("old.lev");
    TempDir::Write(old, Sjis("[出来事], 1\r\n古い表\r\n1945, \"終戦\", \"補足\", 2\r\n"
                             "1868, \"明治\", \"\", 0\r\n"));
    const std::string out = m_dir.File("new.lev");
    CImportCSV import;
    import.SetInputPath(old);
    import.SetOutputPath(out);
    ASSERT_TRUE(import.ClassifyInputFile());
    ASSERT_TRUE(import.Convert());
    const std::string bytes = TempDir::Read(out);
    EXPECT_EQ(bytes.substr(0, bytes.find('\n') + 1), Sjis("[出来事], 7\r\n"));
    CYearEvent table;
    ASSERT_TRUE(table.ReadFile(out.c_str(), false));
    ASSERT_EQ(table.GetLen(), 2);
    EXPECT_EQ(table.GetRecord(0).year, 1868);
    EXPECT_EQ(table.GetRecord(1).priority, 2);
    EXPECT_EQ(table.GetRecord(1).month, -1);
}

// Whole-line texts of a library (names, explanations) may hold any number of
// double quotes; a library given as input is read as the program reads it.
TEST_F(ImportCSVTest, LibraryInputKeepsQuotesInWholeLineTexts)
{
    struct SCase
    {
        const char* file;
        std::string bytes;
    } cases[] = {
        {"odd.lgn", Sjis("[元号], 1\r\n\"名前だけ\r\n説明 \"引用\r\n\"明治\", 1868, 1912, \"\"\r\n")},
        {"odd.LER", Sjis("[時代], 1\r\n\"奈良\r\n\r\n\"奈良時代\", 710, 794, \"\"\r\n")},
        {"odd.lby", Sjis("[基点年],5\r\n\"家康\r\n1543\r\n1616\r\n1\r\n0\r\n0\r\n0\r\n0\r\n0\r\n0")},
        {"odd.lev", Sjis("[出来事], 7\r\n\"年表\r\n説明\"\r\n0\r\n"
                         "1600, 9, 15, \"関ヶ原\", \"\", 1, 0, , 0\r\n")},
    };
    for (const SCase& c : cases) {
        SCOPED_TRACE(c.file);
        const std::string input = m_dir.File(c.file);
        TempDir::Write(input, c.bytes);
        const std::string out = m_dir.File(std::string("out_") + c.file);
        CImportCSV import;
        import.SetInputPath(input);
        import.SetOutputPath(out);
        ASSERT_TRUE(import.ClassifyInputFile());
        ASSERT_TRUE(import.Convert());

        const EHeaderType kind = CLibraryFileReader::KindOfExtension(input);
        std::unique_ptr<CTableBase> before = CLibraryFileReader::Read(input, kind);
        std::unique_ptr<CTableBase> after = CLibraryFileReader::Read(out, kind);
        ASSERT_TRUE(before && after);
        EXPECT_EQ(after->GetTableName(), before->GetTableName());
        EXPECT_NE((after->GetTableName() + after->GetExplanation()).find('"'), std::string::npos);
        EXPECT_EQ(after->GetExplanation(), before->GetExplanation());
    }
    EXPECT_TRUE(m_host.Messages().empty());
    // Written in the current version.
    EXPECT_EQ(TempDir::Read(m_dir.File("out_odd.lby")).substr(0, 12), Sjis("[基点年],5\r\n"));
}

TEST_F(ImportCSVTest, RelativeOutputLandsInWorkingDirectory)
{
    ASSERT_EQ(::chdir(m_dir.Path().c_str()), 0);
    ASSERT_TRUE(Import("[時代],1\r\n時代\r\n\r\n\"奈良時代\",710,794,\"\"\r\n", "rel.ler"));
    CGengouEra table;
    ASSERT_TRUE(table.ReadFile(m_dir.File("rel.ler").c_str(), HT_PERIOD, false));
    ASSERT_EQ(table.GetSize(), 1);
    EXPECT_EQ(table.GetAt(0).endYear, 794);
}

TEST_F(ImportCSVTest, ReaderFailureShowsItsMessageAndLeavesOutputAlone)
{
    const std::string out = m_dir.File("keep.lev");
    TempDir::Write(out, "old contents");
    // A record line without a comma is a format error of the event reader.
    EXPECT_FALSE(Import("[出来事],7\r\nT\r\n\r\n0\r\n1600,9,15,a,b,0,0,,0\r\nbroken\r\n", out));
    // The message names the file the user chose, not the temporary copy.
    EXPECT_EQ(m_host.Messages(), std::vector<std::string>{"ファイル " + m_dir.File("in.csv") +
                                                          " のフォーマットが正しくありません"});
    EXPECT_EQ(TempDir::Read(out), "old contents");
    EXPECT_EQ(CountEntries(m_tmp), 0) << "temporary file left behind";
}

TEST_F(ImportCSVTest, UnusableTemporaryFolderFailsTheImport)
{
    ::setenv("TMPDIR", m_dir.File("no-such-folder").c_str(), 1);
    const std::string out = m_dir.File("x.lev");
    EXPECT_FALSE(Import("[出来事],7\r\nT\r\n\r\n0\r\n", out));
    EXPECT_EQ(m_host.Messages(), std::vector<std::string>{"インポートに失敗しました"});
    EXPECT_FALSE(Exists(out));
}

TEST_F(ImportCSVTest, AFullDiskLeavesTheOldLibraryAndSaysSo)
{
    const std::string out = m_dir.File("kept.ler");
    TempDir::Write(out, "old contents");
    const std::string library = m_dir.File("in.ler");
    TempDir::Write(library, Sjis("[時代],1\r\n時代\r\n\r\n\"奈良時代\",710,794,\"\"\r\n"));
    {
        FullDiskScope failing;
        EXPECT_FALSE(Import("[時代],1\r\n時代\r\n\r\n\"奈良時代\",710,794,\"\"\r\n", out));
        CImportCSV import;
        import.SetInputPath(library);
        import.SetOutputPath(out);
        ASSERT_TRUE(import.ClassifyInputFile());
        EXPECT_FALSE(import.Convert());
    }
    ASSERT_EQ(m_host.Messages().size(), 2u);
    EXPECT_EQ(m_host.Messages()[0], "インポートに失敗しました");
    EXPECT_NE(m_host.Messages()[1].find("kept.ler への書き込みに失敗しました"), std::string::npos);
    EXPECT_EQ(TempDir::Read(out), "old contents");
    EXPECT_EQ(CountEntries(m_tmp), 0);
}

TEST_F(ImportCSVTest, ConvertWithoutRecognisedKindWritesNothing)
{
    CImportCSV import;
    import.SetInputPath(m_dir.File("none.csv"));
    import.SetOutputPath(m_dir.File("x.lev"));
    EXPECT_FALSE(import.Convert());
    EXPECT_FALSE(Exists(m_dir.File("x.lev")));
}

} // namespace
