#include "AnnaluxDoc.h"

#include "AppTest.h"
#include "Archive.h"
#include "BaseYear.h"
#include "FilePathManager.h"
#include "FullDisk.h"
#include "GengouEra.h"
#include "ProjectFile.h"
#include "SaveFile.h"
#include "ScriptedHostServices.h"
#include "Settings.h"
#include "Sjis.h"
#include "TempDir.h"
#include "YearEvent.h"

#include <gtest/gtest.h>

#include <string>
#include <sys/stat.h>
#include <vector>

namespace {

// Every test gets its own settings file, its own scripted host and a folder
// of its own with a "lib" folder of four small libraries.
class DocTest : public AppTest
{
protected:
    DocTest()
    {
        m_host.SetDefaultAnswer(CHostServices::AnswerNo);
        ::mkdir(m_dir.File("lib").c_str(), 0755);
    }

    std::string WriteEvents(const std::string& name, const std::string& title,
                            std::vector<int> years)
    {
        CYearEvent table;
        table.SetTableName(Sjis(title));
        for (int year : years) {
            SEventData rec;
            rec.year = year;
            rec.text = Sjis("出来事") + std::to_string(year);
            table.SetData(rec, true, -1, EP_EVERY);
        }
        const std::string path = m_dir.File(name);
        TempDir::Write(path, table.MakeFileContent());
        return path;
    }
    std::string WriteEras(const std::string& name, EHeaderType kind, const std::string& title)
    {
        CGengouEra table;
        table.SetTableName(Sjis(title));
        table.SetData(Sjis("慶長"), 1596, 1615, "");
        table.SetData(Sjis("元和"), 1615, 1624, "");
        const std::string path = m_dir.File(name);
        TempDir::Write(path, table.MakeFileContent(kind));
        return path;
    }
    std::string WriteBaseYear(const std::string& name, const std::string& title)
    {
        CBaseYear table;
        table.SetTableName(Sjis(title));
        table.SetBaseWesternYear(1543);
        const std::string path = m_dir.File(name);
        TempDir::Write(path, table.MakeFileContent());
        return path;
    }

    // A chronology of the year column and one column of every kind, built
    // as the library commands build it.
    void BuildFull(CAnnaluxDoc& doc)
    {
        auto events = std::make_unique<CYearEvent>();
        events->ReadFile(WriteEvents("lib/e.lev", "日本史", {1600, 1603, 1615}).c_str(), false);
        auto eras = std::make_unique<CGengouEra>();
        eras->ReadFile(WriteEras("lib/g.lgn", HT_GENGOU, "元号").c_str(), HT_GENGOU, true);
        auto periods = std::make_unique<CGengouEra>();
        periods->ReadFile(WriteEras("lib/p.ler", HT_PERIOD, "時代").c_str(), HT_PERIOD, true);
        auto base = std::make_unique<CBaseYear>();
        base->ReadFile(WriteBaseYear("lib/b.lby", "家康").c_str());
        CHeaderManager& columns = doc.GetColumns();
        columns.EnsureYearColumn(50);
        columns.Insert(4, doc.AddEventTable(std::move(events)), 1, 320);
        columns.Insert(1, doc.AddEraNameTable(std::move(eras)), 2, 61);
        columns.Insert(3, doc.AddPeriodTable(std::move(periods)), 3, 72);
        columns.Insert(2, doc.AddBaseYearTable(std::move(base)), 4, 83);
    }

    std::vector<std::string> Messages() const { return m_host.Messages(); }
};

// ---- defaults -----------------------------------------------------------------

TEST_F(DocTest, ANewChronologyHasNoColumnsAndTheStoredDefaults)
{
    m_settings.SetBackColorOdd(0x010203);
    m_settings.SetAboutColor(0x040506);
    m_settings.SetTextMargin(3);
    m_settings.SetDisplaySupplementMark(false);
    CAnnaluxDoc doc;
    std::vector<CAnnaluxDoc::EViewNotice> notices;
    doc.AddListener([&](CAnnaluxDoc::EViewNotice n) { notices.push_back(n); });
    ASSERT_TRUE(doc.OnNewDocument());

    EXPECT_EQ(doc.GetColumns().GetCount(), 0);
    EXPECT_EQ(doc.GetScaleYear(), 1);
    EXPECT_EQ(doc.GetScaleAccuracy(), 0);
    EXPECT_EQ(doc.GetPriorityFilter(), 2);
    EXPECT_FALSE(doc.GetRangeEnabled());
    EXPECT_EQ(doc.GetRangeFrom(), -9999);
    EXPECT_EQ(doc.GetRangeTo(), 9999);
    EXPECT_EQ(doc.GetZoomPercent(), 100);
    EXPECT_EQ(doc.GetFileVersion(), 10);
    EXPECT_EQ(doc.GetCurrentColumn(), -1);
    EXPECT_EQ(Utf8(doc.GetDescription()), "ここにこの年表の説明文を入れて下さい");
    EXPECT_EQ(doc.GetColor(CAnnaluxDoc::BackColor), 0xFFFFFFu);
    EXPECT_EQ(doc.GetColor(CAnnaluxDoc::BackColorOdd), 0x010203u);
    EXPECT_EQ(doc.GetColor(CAnnaluxDoc::AboutColor), 0x040506u);
    EXPECT_EQ(doc.GetColor(CAnnaluxDoc::LinkColor), 0xFF0000u);
    EXPECT_EQ(doc.GetColor(CAnnaluxDoc::SupplementColor), 0x0000FFu);
    EXPECT_EQ(doc.GetTextMargin(), 3);
    EXPECT_FALSE(doc.GetShowSupplementMark());
    EXPECT_EQ(doc.GetHeaderFont().lfHeight, -15);
    EXPECT_FALSE(doc.IsModified());
    EXPECT_EQ(doc.GetTitle(), "Annalux");
    EXPECT_EQ(doc.GetEarliestYear(), kNoYear);
    EXPECT_EQ(doc.GetLatestYear(), -32768);
    ASSERT_FALSE(notices.empty());
    EXPECT_EQ(notices.back(), CAnnaluxDoc::VN_OFFER_ASSISTANT);
}

// ---- round trips -----------------------------------------------------------------

TEST_F(DocTest, SaveAndOpenKeepEveryColumnAndSetting)
{
    const std::string project = m_dir.File("chronology.anx");
    {
        CAnnaluxDoc doc;
        BuildFull(doc);
        doc.GetColumns().SetWidth(2, 77); // widths as the user dragged them
        doc.GetColumns().SetLeft(2, 371);
        ASSERT_TRUE(doc.SetScaleYear(10));
        ASSERT_TRUE(doc.SetScaleAccuracy(2));
        ASSERT_TRUE(doc.SetPriorityFilter(0));
        doc.ToggleWrapLines();
        doc.SetRange(true, 1590, 1620);
        doc.SetDescription(Sjis("江戸の始まり"));
        doc.SetColor(CAnnaluxDoc::BackColorEven, 0x111111);
        doc.SetColor(CAnnaluxDoc::EventMarkColor, 0x222222);
        SLogFont font = doc.GetFonts().GetFont(3);
        font.lfHeight = -21;
        font.SetFaceName(std::string(31, 'W'));
        doc.GetFonts().SetFont(3, font);
        doc.GetFonts().SetColor(0, 0x333333);
        doc.SetTextMargin(5);
        doc.SetSiblingProject(m_dir.File("people.fig"));
        EXPECT_TRUE(doc.IsModified());
        ASSERT_TRUE(doc.OnSaveDocument(project)) << ::testing::PrintToString(Messages());
        EXPECT_FALSE(doc.IsModified());
        EXPECT_EQ(doc.GetPathName(), project);
        EXPECT_EQ(doc.GetTitle(), "chronology.anx");
    }

    // Library paths are stored relative to the project's folder.
    SProjectData stored;
    std::string error;
    ASSERT_TRUE(CProjectFile::Parse(TempDir::Read(project), stored, error)) << error;
    ASSERT_EQ(stored.columns.size(), 5u);
    EXPECT_EQ(stored.columns[1].libraryPath, "lib/e.lev");
    EXPECT_EQ(stored.columns[4].libraryPath, "lib/b.lby");
    EXPECT_EQ(stored.siblingProject, m_dir.File("people.fig"));

    CAnnaluxDoc doc;
    ASSERT_TRUE(doc.OnOpenDocument(project)) << ::testing::PrintToString(Messages());
    EXPECT_TRUE(Messages().empty()) << ::testing::PrintToString(Messages());
    const CHeaderManager& columns = doc.GetColumns();
    ASSERT_EQ(columns.GetCount(), 5);
    const int kinds[] = {0, 4, 1, 3, 2};
    const int lefts[] = {0, 50, 371, 431, 503}; // stored as they stood
    const int widths[] = {50, 320, 77, 72, 83};
    for (int i = 0; i < 5; ++i) {
        EXPECT_EQ(columns.GetKind(i), kinds[i]) << i;
        EXPECT_EQ(columns.GetLeft(i), lefts[i]) << i;
        EXPECT_EQ(columns.GetWidth(i), widths[i]) << i;
    }
    EXPECT_EQ(columns.GetTable(0), nullptr);
    ASSERT_EQ(doc.GetEventTableCount(), 1);
    EXPECT_EQ(columns.GetTable(1), doc.GetEventTable(0));
    EXPECT_EQ(doc.GetEventTable(0)->GetLen(), 3);
    EXPECT_EQ(doc.GetEventTable(0)->GetFileName(), m_dir.File("lib/e.lev"));
    EXPECT_EQ(Utf8(doc.GetEraNameTable(0)->GetTableName()), "元号");
    EXPECT_EQ(Utf8(doc.GetPeriodTable(0)->GetTableName()), "時代");
    EXPECT_EQ(doc.GetBaseYearTable(0)->GetBaseWesternYear(), 1543);

    EXPECT_EQ(doc.GetScaleYear(), 10);
    EXPECT_EQ(doc.GetScaleAccuracy(), 2);
    EXPECT_EQ(doc.GetPriorityFilter(), 0);
    EXPECT_TRUE(doc.GetWrapLines());
    EXPECT_TRUE(doc.GetRangeEnabled());
    EXPECT_EQ(doc.GetRangeFrom(), 1590);
    EXPECT_EQ(doc.GetRangeTo(), 1620);
    EXPECT_EQ(Utf8(doc.GetDescription()), "江戸の始まり");
    EXPECT_EQ(doc.GetColor(CAnnaluxDoc::BackColorEven), 0x111111u);
    EXPECT_EQ(doc.GetColor(CAnnaluxDoc::EventMarkColor), 0x222222u);
    EXPECT_EQ(doc.GetFonts().GetFont(3).lfHeight, -21);
    EXPECT_EQ(doc.GetFonts().GetFont(3).GetFaceName(), std::string(31, 'W'));
    EXPECT_EQ(doc.GetFonts().GetColor(0), 0x333333u);
    EXPECT_EQ(doc.GetTextMargin(), 5);
    EXPECT_EQ(doc.GetSiblingProject(), m_dir.File("people.fig"));
    EXPECT_EQ(doc.GetFileVersion(), 10);
    EXPECT_FALSE(doc.IsModified());
    // The range starts at 1590, not below the first event (1600).
    EXPECT_EQ(doc.GetEarliestYear(), 1600);
    EXPECT_EQ(doc.GetLatestYear(), 1615);
    // Opening makes the project's folder the working folder.
    std::string cwd;
    CFilePathManager::GetCurrentDir(cwd);
    EXPECT_EQ(cwd, m_dir.Path());
}

TEST_F(DocTest, AProjectFolderMovedWithItsLibrariesStillOpens)
{
    {
        CAnnaluxDoc doc;
        BuildFull(doc);
        ASSERT_TRUE(doc.OnSaveDocument(m_dir.File("p.anx")));
    }
    TempDir other;
    const std::string moved = other.File("moved");
    ASSERT_EQ(std::rename(m_dir.Path().c_str(), moved.c_str()), 0);
    ::mkdir(m_dir.Path().c_str(), 0755); // so that the fixture can clean up

    CAnnaluxDoc doc;
    ASSERT_TRUE(doc.OnOpenDocument(moved + "/p.anx")) << ::testing::PrintToString(Messages());
    EXPECT_EQ(doc.GetColumns().GetCount(), 5);
    EXPECT_EQ(doc.GetEventTable(0)->GetFileName(), moved + "/lib/e.lev");
}

TEST_F(DocTest, ALibraryOutsideTheFolderIsStoredWithParentSteps)
{
    TempDir elsewhere;
    CYearEvent events;
    events.SetTableName("x");
    TempDir::Write(elsewhere.File("x.lev"), events.MakeFileContent());
    ::mkdir(m_dir.File("projects").c_str(), 0755);
    CAnnaluxDoc doc;
    auto table = std::make_unique<CYearEvent>();
    ASSERT_TRUE(table->ReadFile(elsewhere.File("x.lev").c_str(), false));
    doc.GetColumns().EnsureYearColumn(50);
    doc.GetColumns().Insert(4, doc.AddEventTable(std::move(table)), 1, 500);
    ASSERT_TRUE(doc.OnSaveDocument(m_dir.File("projects/p.anx")));

    SProjectData stored;
    std::string error;
    ASSERT_TRUE(CProjectFile::Parse(TempDir::Read(m_dir.File("projects/p.anx")), stored, error));
    const std::string rel = stored.columns[1].libraryPath;
    EXPECT_EQ(rel.rfind("../../", 0), 0u) << rel;
    CAnnaluxDoc reopened;
    ASSERT_TRUE(reopened.OnOpenDocument(m_dir.File("projects/p.anx")));
    EXPECT_EQ(reopened.GetEventTableCount(), 1);
}

// ---- projects of old programs ---------------------------------------------------

// Writes a project archive of the given version with the given columns
// (kind, stored path, left, width) and the settings of that version.
std::string OldProject(int version, const std::vector<SProjectColumn>& columns)
{
    CArchive ar;
    ar.WriteInt32(version);
    ar.WriteInt32(static_cast<int32_t>(columns.size()));
    for (const SProjectColumn& c : columns) {
        ar.WriteInt32(c.kind);
        if (c.kind != 0)
            ar.WriteString(c.libraryPath);
        ar.WriteInt32(c.left);
        ar.WriteInt32(c.width);
    }
    if (version <= 3) {
        ar.WriteInt16(100);
        ar.WriteInt32(1);
        ar.WriteInt32(1);
        ar.WriteInt16(-300);
        ar.WriteInt16(1900);
    } else {
        ar.WriteInt32(100);
        ar.WriteInt32(1);
        ar.WriteInt32(1);
        ar.WriteInt32(-300);
        ar.WriteInt32(1900);
    }
    if (version >= 2)
        ar.WriteInt32(1);
    if (version >= 3)
        ar.WriteString("old");
    if (version >= 5)
        ar.WriteInt32(1);
    SLogFont font;
    font.lfHeight = -18;
    font.SetFaceName("Mincho");
    if (version == 6 || version == 7) {
        font.Write(ar);
        ar.WriteInt32(0x00AA00);
    } else if (version >= 8) {
        for (int slot = 0; slot < 7; ++slot) {
            font.Write(ar);
            ar.WriteInt32(0x00AA00 + slot);
        }
    }
    const int colors = version >= 9 ? 8 : version >= 6 ? 6 : 0;
    for (int i = 0; i < colors; ++i)
        ar.WriteInt32(0x0A0000 + i); // the sixth (text) value is 0x0A0005
    if (version >= 7)
        ar.WriteString("");
    if (version >= 10)
        ar.WriteInt32(2);
    return ar.GetBuffer();
}

TEST_F(DocTest, OldVersionsTakeTheirItemsAndKeepTheDefaultsOfTheRest)
{
    m_settings.SetAboutColor(0x777777);
    m_settings.SetEventMarkColor(0x666666);
    m_settings.SetFontColor(2, 0x555555);
    WriteEvents("lib/e.lev", "e", {1});
    for (int version = 1; version <= 10; ++version) {
        SCOPED_TRACE(version);
        const std::string path = m_dir.File("v" + std::to_string(version) + ".anx");
        TempDir::Write(path, OldProject(version, {{0, "", 0, 40}, {4, "lib/e.lev", 40, 400}}));
        CAnnaluxDoc doc;
        ASSERT_TRUE(doc.OnOpenDocument(path)) << ::testing::PrintToString(Messages());
        EXPECT_EQ(doc.GetFileVersion(), version);
        EXPECT_EQ(doc.GetColumns().GetCount(), 2);
        EXPECT_EQ(doc.GetScaleYear(), 100);
        EXPECT_EQ(doc.GetRangeFrom(), -300);
        EXPECT_EQ(doc.GetPriorityFilter(), version >= 2 ? 1 : 2);
        EXPECT_EQ(Utf8(doc.GetDescription()),
                  version >= 3 ? "old" : "ここにこの年表の説明文を入れて下さい");
        EXPECT_EQ(doc.GetWrapLines(), version >= 5);
        // Fonts: none before 6, one for all slots in 6 and 7, seven after.
        EXPECT_EQ(doc.GetFonts().GetFont(2).lfHeight == -18, version >= 6);
        EXPECT_EQ(doc.GetFonts().GetColor(2), version < 6    ? 0x555555u
                                              : version <= 7 ? 0x00AA00u
                                                             : 0x00AA02u);
        // The sixth colour value never becomes the text colour.
        EXPECT_NE(doc.GetFonts().GetColor(0), 0x0A0005u);
        EXPECT_EQ(doc.GetColor(CAnnaluxDoc::BackColor), version >= 6 ? 0x0A0000u : 0xFFFFFFu);
        EXPECT_EQ(doc.GetColor(CAnnaluxDoc::SupplementColor), version >= 6 ? 0x0A0004u : 0x0000FFu);
        EXPECT_EQ(doc.GetColor(CAnnaluxDoc::AboutColor), version >= 9 ? 0x0A0006u : 0x777777u);
        EXPECT_EQ(doc.GetColor(CAnnaluxDoc::EventMarkColor), version >= 9 ? 0x0A0007u : 0x666666u);
        EXPECT_EQ(doc.GetTextMargin(), version >= 10 ? 2 : 0);
        EXPECT_FALSE(doc.IsModified());
    }
}

TEST_F(DocTest, AWindowsProjectFindsItsLibrariesDespiteBackslashesAndCase)
{
    WriteEvents("lib/Events.lev", "e", {1, 2});
    TempDir::Write(m_dir.File("w.anx"), OldProject(10, {{4, "LIB\\EVENTS.LEV", 0, 500}}));
    CAnnaluxDoc doc;
    ASSERT_TRUE(doc.OnOpenDocument(m_dir.File("w.anx"))) << ::testing::PrintToString(Messages());
    ASSERT_EQ(doc.GetEventTableCount(), 1);
    EXPECT_EQ(doc.GetEventTable(0)->GetLen(), 2);
    EXPECT_EQ(doc.GetEventTable(0)->GetFileName(), m_dir.File("lib/Events.lev"));
}

TEST_F(DocTest, AMissingLibraryDropsItsColumnAndClosesTheGap)
{
    WriteEvents("lib/a.lev", "a", {1});
    WriteEvents("lib/c.lev", "c", {2});
    TempDir::Write(m_dir.File("m.anx"), OldProject(10, {{4, "lib/a.lev", 0, 100},
                                                        {4, "lib/missing.lev", 100, 250},
                                                        {4, "lib/c.lev", 350, 120}}));
    CAnnaluxDoc doc;
    ASSERT_TRUE(doc.OnOpenDocument(m_dir.File("m.anx")));
    ASSERT_EQ(doc.GetColumns().GetCount(), 2);
    EXPECT_EQ(doc.GetColumns().GetLeft(1), 100);
    EXPECT_EQ(doc.GetColumns().GetWidth(1), 120);
    EXPECT_EQ(doc.GetEventTableCount(), 2);
    EXPECT_FALSE(doc.IsModified());
    // The library reader said so itself; nothing asked for a file.
    ASSERT_EQ(Messages().size(), 1u);
    EXPECT_NE(Messages()[0].find("missing.lev"), std::string::npos) << Messages()[0];
    EXPECT_EQ(m_host.PendingFileNames(), 0u);
    for (const auto& record : m_host.Records())
        EXPECT_EQ(record.kind, CScriptedHostServices::SRecord::Message);
}

TEST_F(DocTest, OddSettingsOfAFileFallBackToWhatTheViewCanShow)
{
    CArchive ar;
    ar.WriteInt32(4);
    ar.WriteInt32(0);
    ar.WriteInt32(0); // scale 0 would divide by zero
    ar.WriteInt32(7); // no such accuracy
    ar.WriteInt32(0);
    ar.WriteInt32(0);
    ar.WriteInt32(0);
    ar.WriteInt32(9); // no such priority
    ar.WriteString("");
    TempDir::Write(m_dir.File("odd.anx"), ar.GetBuffer());
    CAnnaluxDoc doc;
    ASSERT_TRUE(doc.OnOpenDocument(m_dir.File("odd.anx")));
    EXPECT_EQ(doc.GetScaleYear(), 1);
    EXPECT_EQ(doc.GetScaleAccuracy(), 0);
    EXPECT_EQ(doc.GetPriorityFilter(), 2);
}

// ---- refused files --------------------------------------------------------------

TEST_F(DocTest, ARefusedProjectSaysWhyAndLeavesAnEmptyChronology)
{
    WriteEvents("lib/e.lev", "e", {1});
    const std::string good = OldProject(10, {{0, "", 0, 50}, {4, "lib/e.lev", 50, 500}});
    TempDir::Write(m_dir.File("good.anx"), good);
    TempDir::Write(m_dir.File("cut.anx"), good.substr(0, good.size() - 3));
    TempDir::Write(m_dir.File("kind.anx"), OldProject(10, {{0, "", 0, 50}, {9, "x", 50, 9}}));

    const struct
    {
        const char* file;
        const char* says;
    } cases[] = {
        {"cut.anx", "途中で終わって"},
        {"kind.anx", "種類"},
        {"absent.anx", "読込みに失敗"},
        {"lib", "読込みに失敗"}, // a folder
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.file);
        CAnnaluxDoc doc;
        ASSERT_TRUE(doc.OnOpenDocument(m_dir.File("good.anx")));
        doc.SetScaleYear(10);
        m_host.Clear();
        EXPECT_FALSE(doc.OnOpenDocument(m_dir.File(c.file)));
        ASSERT_EQ(Messages().size(), 1u);
        EXPECT_NE(Messages()[0].find(m_dir.File(c.file)), std::string::npos) << Messages()[0];
        EXPECT_NE(Messages()[0].find(c.says), std::string::npos) << Messages()[0];
        EXPECT_EQ(doc.GetColumns().GetCount(), 0);
        EXPECT_EQ(doc.GetEventTableCount(), 0);
        EXPECT_EQ(doc.GetScaleYear(), 1);
        EXPECT_EQ(doc.GetPathName(), "");
        EXPECT_FALSE(doc.IsModified());
    }
}

TEST_F(DocTest, AnEmptyFileFromTheNewFileTemplatesOpensEmptyAndSavesUnderItsName)
{
    WriteEvents("lib/e.lev", "e", {1});
    TempDir::Write(m_dir.File("good.anx"),
                   OldProject(10, {{0, "", 0, 50}, {4, "lib/e.lev", 50, 500}}));
    const std::string path = m_dir.File("新規.anx");
    TempDir::Write(path, "");
    CAnnaluxDoc doc;
    ASSERT_TRUE(doc.OnOpenDocument(m_dir.File("good.anx")));
    doc.SetScaleYear(10);
    m_host.Clear();

    ASSERT_TRUE(doc.OnOpenDocument(path));
    EXPECT_TRUE(Messages().empty());
    EXPECT_EQ(doc.GetColumns().GetCount(), 0);
    EXPECT_EQ(doc.GetScaleYear(), 1);
    EXPECT_EQ(doc.GetPathName(), path);
    EXPECT_FALSE(doc.IsModified());

    ASSERT_TRUE(doc.OnSaveDocument(path));
    EXPECT_FALSE(TempDir::Read(path).empty());
    CAnnaluxDoc again;
    EXPECT_TRUE(again.OnOpenDocument(path));
}

// ---- saving ------------------------------------------------------------------------

TEST_F(DocTest, AFailedSaveKeepsTheOldFileAndSaysSo)
{
    const std::string project = m_dir.File("keep.anx");
    CAnnaluxDoc doc;
    BuildFull(doc);
    ASSERT_TRUE(doc.OnSaveDocument(project));
    const std::string before = TempDir::Read(project);
    doc.SetScaleYear(100);
    m_host.Clear();

    CSaveFile::SetWriteFunctionForTesting(&FullDiskWrite);
    const bool saved = doc.OnSaveDocument(project);
    CSaveFile::SetWriteFunctionForTesting(nullptr);

    EXPECT_FALSE(saved);
    EXPECT_TRUE(doc.IsModified());
    EXPECT_EQ(TempDir::Read(project), before);
    ASSERT_EQ(Messages().size(), 1u);
    EXPECT_NE(Messages()[0].find(project), std::string::npos);
    EXPECT_NE(Messages()[0].find("書き込みに失敗"), std::string::npos);
}

TEST_F(DocTest, SavingTheProjectSavesModifiedLibrariesFirst)
{
    CAnnaluxDoc doc;
    BuildFull(doc);
    CYearEvent* events = doc.GetEventTable(0);
    SEventData rec;
    rec.year = 1700;
    rec.text = "new";
    events->SetData(rec, true, -1, EP_EVERY);
    ASSERT_TRUE(events->GetModified());
    ASSERT_TRUE(doc.OnSaveDocument(m_dir.File("s.anx")));
    EXPECT_FALSE(events->GetModified());
    EXPECT_TRUE(Messages().empty()) << ::testing::PrintToString(Messages());
    CYearEvent reread;
    ASSERT_TRUE(reread.ReadFile(m_dir.File("lib/e.lev").c_str(), false));
    EXPECT_EQ(reread.GetLen(), 4);
}

// A library saved before a Save As into another folder is named relative to
// the old folder; later saves must still find it there.
TEST_F(DocTest, SaveAsIntoAnotherFolderKeepsTheLibrariesWhereTheyAre)
{
    ::mkdir(m_dir.File("a").c_str(), 0755);
    ::mkdir(m_dir.File("b").c_str(), 0755);
    {
        CAnnaluxDoc doc;
        auto events = std::make_unique<CYearEvent>();
        ASSERT_TRUE(events->ReadFile(WriteEvents("a/e.lev", "e", {1600}).c_str(), false));
        doc.GetColumns().EnsureYearColumn(50);
        doc.GetColumns().Insert(4, doc.AddEventTable(std::move(events)), 1, 300);
        ASSERT_TRUE(doc.OnSaveDocument(m_dir.File("a/p.anx")));
    }
    CAnnaluxDoc doc;
    ASSERT_TRUE(doc.OnOpenDocument(m_dir.File("a/p.anx")));
    auto addEvent = [&doc](int year) {
        SEventData rec;
        rec.year = year;
        rec.text = "new";
        doc.GetEventTable(0)->SetData(rec, true, -1, EP_EVERY);
    };
    addEvent(1700);
    ASSERT_TRUE(doc.OnSaveDocument(m_dir.File("b/p.anx")));
    ASSERT_TRUE(doc.OnSaveDocument(m_dir.File("b/p.anx"))); // nothing modified
    {
        CAnnaluxDoc reopened;
        ASSERT_TRUE(reopened.OnOpenDocument(m_dir.File("b/p.anx")));
        ASSERT_EQ(reopened.GetEventTableCount(), 1);
        EXPECT_EQ(reopened.GetEventTable(0)->GetFileName(), m_dir.File("a/e.lev"));
    }
    addEvent(1800);
    ASSERT_TRUE(doc.OnSaveDocument(m_dir.File("b/p.anx")));
    CYearEvent reread;
    ASSERT_TRUE(reread.ReadFile(m_dir.File("a/e.lev").c_str(), false));
    EXPECT_EQ(reread.GetLen(), 3);
    struct stat st;
    EXPECT_NE(::stat(m_dir.File("b/e.lev").c_str(), &st), 0);
    EXPECT_TRUE(Messages().empty()) << ::testing::PrintToString(Messages());
}

TEST_F(DocTest, SaveModifiedLibrariesAsksPerLibraryInKindOrder)
{
    CAnnaluxDoc doc;
    BuildFull(doc);
    for (int kind = 1; kind <= 4; ++kind)
        doc.GetTable(kind, 0)->SetModified(true);
    const std::string eventsBefore = TempDir::Read(m_dir.File("lib/e.lev"));
    m_host.QueueAnswer(CHostServices::AnswerYes); // era names
    m_host.QueueAnswer(CHostServices::AnswerNo);  // periods
    m_host.QueueAnswer(CHostServices::AnswerNo);  // events
    m_host.QueueAnswer(CHostServices::AnswerYes); // base years
    doc.SaveModifiedLibraries(true);
    const std::vector<std::string> expected = {
        "元号：元号を保存しますか？", "時代：時代を保存しますか？",
        "出来事：日本史を保存しますか？", "基点年：家康を保存しますか？"};
    EXPECT_EQ(Messages(), expected);
    EXPECT_FALSE(doc.GetEraNameTable(0)->GetModified());
    EXPECT_TRUE(doc.GetPeriodTable(0)->GetModified());
    EXPECT_TRUE(doc.GetEventTable(0)->GetModified());
    EXPECT_FALSE(doc.GetBaseYearTable(0)->GetModified());

    m_host.Clear();
    doc.SaveModifiedLibraries(false);
    EXPECT_TRUE(Messages().empty());
    EXPECT_FALSE(doc.HasModifiedLibraries());
}

TEST_F(DocTest, ANameShiftJisCannotHoldRefusesTheSave)
{
    CYearEvent events;
    events.SetTableName("x");
    const std::string odd = m_dir.File("lib/\xF0\x9F\x98\x80.lev"); // an emoji
    TempDir::Write(odd, events.MakeFileContent());
    CAnnaluxDoc doc;
    auto table = std::make_unique<CYearEvent>();
    ASSERT_TRUE(table->ReadFile(odd.c_str(), false));
    doc.GetColumns().Append(4, doc.AddEventTable(std::move(table)), 0, 500);
    doc.SetModifiedFlag();
    EXPECT_FALSE(doc.OnSaveDocument(m_dir.File("e.anx")));
    ASSERT_EQ(Messages().size(), 1u);
    EXPECT_NE(Messages()[0].find(odd), std::string::npos) << Messages()[0];
    struct stat st;
    EXPECT_NE(::stat(m_dir.File("e.anx").c_str(), &st), 0);
    EXPECT_TRUE(doc.IsModified());
}

TEST_F(DocTest, ALibraryThatWasNeverSavedRefusesTheSave)
{
    CAnnaluxDoc doc;
    auto table = std::make_unique<CYearEvent>();
    table->SetTableName(Sjis("未保存"));
    table->SetModified(true);
    doc.GetColumns().Append(4, doc.AddEventTable(std::move(table)), 0, 500);
    // The library's own save dialog is cancelled.
    EXPECT_FALSE(doc.OnSaveDocument(m_dir.File("n.anx")));
    ASSERT_FALSE(Messages().empty());
    EXPECT_NE(Messages().back().find("未保存"), std::string::npos) << Messages().back();
}

TEST_F(DocTest, SaveAsProposesTheTitleCutAtTheFirstOddCharacter)
{
    CAnnaluxDoc doc;
    m_host.QueueFileName(m_dir.File("chosen.anx"));
    ASSERT_TRUE(doc.DoSave(""));
    ASSERT_EQ(m_host.Records().size(), 1u);
    EXPECT_EQ(m_host.Records()[0].request.proposedName, "Annalux.anx");
    EXPECT_EQ(m_host.Records()[0].request.defaultExtension, "anx");
    EXPECT_EQ(doc.GetPathName(), m_dir.File("chosen.anx"));

    m_host.Clear();
    EXPECT_FALSE(doc.DoSave(doc.GetPathName(), false)); // save as, cancelled
    EXPECT_EQ(m_host.Records()[0].request.proposedName, m_dir.File("chosen.anx"));
}

// ---- commands -------------------------------------------------------------------------

TEST_F(DocTest, SettingsCommandsMarkTheChronologyAndRelayOut)
{
    CAnnaluxDoc doc;
    std::vector<CAnnaluxDoc::EViewNotice> notices;
    doc.AddListener([&](CAnnaluxDoc::EViewNotice n) { notices.push_back(n); });
    const struct
    {
        int id;
        int (CAnnaluxDoc::*get)() const;
        int value;
    } cases[] = {
        {CAnnaluxDoc::ID_SCALE_10, &CAnnaluxDoc::GetScaleYear, 10},
        {CAnnaluxDoc::ID_SCALE_100, &CAnnaluxDoc::GetScaleYear, 100},
        {CAnnaluxDoc::ID_SCALE_1, &CAnnaluxDoc::GetScaleYear, 1},
        {CAnnaluxDoc::ID_ACCURACY_NEARLY, &CAnnaluxDoc::GetScaleAccuracy, 1},
        {CAnnaluxDoc::ID_ACCURACY_PACKED, &CAnnaluxDoc::GetScaleAccuracy, 2},
        {CAnnaluxDoc::ID_ACCURACY_EXACT, &CAnnaluxDoc::GetScaleAccuracy, 0},
        {CAnnaluxDoc::ID_PRIORITY_HIGH, &CAnnaluxDoc::GetPriorityFilter, 0},
        {CAnnaluxDoc::ID_PRIORITY_MIDDLE, &CAnnaluxDoc::GetPriorityFilter, 1},
        {CAnnaluxDoc::ID_PRIORITY_ALL, &CAnnaluxDoc::GetPriorityFilter, 2},
    };
    for (const auto& c : cases) {
        doc.SetModifiedFlag(false);
        notices.clear();
        ASSERT_TRUE(doc.OnCommand(c.id)) << c.id;
        EXPECT_EQ((doc.*c.get)(), c.value) << c.id;
        EXPECT_TRUE(doc.IsCommandChecked(c.id)) << c.id;
        EXPECT_TRUE(doc.IsModified()) << c.id;
        ASSERT_FALSE(notices.empty());
        EXPECT_EQ(notices.front(), CAnnaluxDoc::VN_RELAYOUT);
    }
    EXPECT_FALSE(doc.IsCommandChecked(CAnnaluxDoc::ID_SCALE_10));
    EXPECT_FALSE(doc.SetScaleYear(0));
    EXPECT_FALSE(doc.SetPriorityFilter(3));
    EXPECT_FALSE(doc.OnCommand(1));

    doc.OnCommand(CAnnaluxDoc::ID_WRAP_LINES);
    EXPECT_TRUE(doc.GetWrapLines());
    EXPECT_TRUE(doc.IsCommandChecked(CAnnaluxDoc::ID_WRAP_LINES));

    // The supplement mark is a preference, not part of the chronology.
    doc.SetModifiedFlag(false);
    doc.OnCommand(CAnnaluxDoc::ID_SUPPLEMENT_MARK);
    EXPECT_FALSE(doc.GetShowSupplementMark());
    EXPECT_FALSE(m_settings.GetDisplaySupplementMark());
    EXPECT_FALSE(doc.IsModified());
}

TEST_F(DocTest, ZoomRescalesFontsAndWidthsWithoutMarkingTheChronology)
{
    CAnnaluxDoc doc;
    BuildFull(doc);
    SLogFont font = doc.GetFonts().GetFont(0);
    font.lfHeight = -20;
    doc.GetFonts().SetFont(0, font);
    doc.SetModifiedFlag(false);

    ASSERT_TRUE(doc.SetZoom(150));
    EXPECT_EQ(doc.GetZoomPercent(), 150);
    EXPECT_EQ(doc.GetFonts().GetShownFont(0).lfHeight, -30);
    EXPECT_EQ(doc.GetFonts().GetFont(0).lfHeight, -20);
    EXPECT_EQ(doc.GetColumns().GetWidth(1), 480); // 320 * 150 / 100
    EXPECT_EQ(doc.GetColumns().GetLeft(2), 75 + 480);
    EXPECT_FALSE(doc.IsModified());
    EXPECT_FALSE(doc.SetZoom(120));
    ASSERT_TRUE(doc.SetZoom(100));
    EXPECT_EQ(doc.GetColumns().GetWidth(1), 320);
}

TEST_F(DocTest, TablesAreOwnedAndIndexedStrictly)
{
    CAnnaluxDoc doc;
    BuildFull(doc);
    EXPECT_THROW(doc.GetEventTable(1), std::out_of_range);
    EXPECT_THROW(doc.GetEraNameTable(-1), std::out_of_range);
    EXPECT_THROW(doc.GetTable(0, 0), std::out_of_range);
    EXPECT_EQ(doc.GetTableCount(0), 0);

    CTableBase* periods = doc.GetPeriodTable(0);
    EXPECT_EQ(doc.KindOfTable(periods), 3);
    ASSERT_TRUE(doc.DeleteTable(periods));
    EXPECT_EQ(doc.GetPeriodTableCount(), 0);
    EXPECT_EQ(doc.GetColumns().GetCount(), 4);
    EXPECT_EQ(doc.GetColumns().IndexOfTable(periods), -1);
    EXPECT_EQ(doc.GetColumns().GetLeft(3), 50 + 320 + 61); // the columns still abut
    EXPECT_FALSE(doc.DeleteTable(periods));

    doc.Clear();
    EXPECT_EQ(doc.GetColumns().GetCount(), 0);
    EXPECT_EQ(doc.GetEventTableCount() + doc.GetEraNameTableCount() + doc.GetBaseYearTableCount(),
              0);
}

} // namespace
