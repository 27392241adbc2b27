// A chronology whose files others change while it is open: the project save
// asks before overwriting, and unmodified libraries are offered for reading
// again.
#include "AnnaluxDoc.h"
#include "AppTest.h"
#include "DataMessages.h"
#include "LibraryReloadCheck.h"
#include "SaveFile.h"
#include "Sjis.h"
#include "YearEvent.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

namespace {

class ChangedChronology : public AppTest
{
protected:
    ChangedChronology()
    {
        m_host.SetDefaultAnswer(CHostServices::AnswerNo);
        WriteEvents({1600, 1603});
        auto events = std::make_unique<CYearEvent>();
        events->ReadFile(m_library.c_str(), false);
        m_doc.GetColumns().EnsureYearColumn(50);
        m_doc.GetColumns().Insert(4, m_doc.AddEventTable(std::move(events)), 1, 320);
    }

    // Another window's save of the library.
    void WriteEvents(const std::vector<int>& years)
    {
        CYearEvent table;
        table.SetTableName(Sjis("日本史"));
        for (int year : years) {
            SEventData rec;
            rec.year = year;
            rec.text = Sjis("出来事");
            table.SetData(rec, true, -1, EP_EVERY);
        }
        TempDir::Write(m_library, table.MakeFileContent());
    }
    CYearEvent& Events() { return *m_doc.GetEventTable(0); }

    std::string m_library = m_dir.File("e.lev");
    std::string m_project = m_dir.File("c.anx");
    CAnnaluxDoc m_doc;
};

TEST_F(ChangedChronology, ProjectSaveAsksWhenTheFileChangedSinceItWasSaved)
{
    ASSERT_TRUE(m_doc.OnSaveDocument(m_project));
    ASSERT_TRUE(m_doc.OnSaveDocument(m_project));
    EXPECT_TRUE(m_host.Records().empty()) << "its own saves are no change";

    TempDir::Write(m_project, "another window's project");
    m_doc.SetScaleYear(10);
    m_host.Clear();
    m_host.QueueAnswer(CHostServices::AnswerCancel);
    EXPECT_FALSE(m_doc.OnSaveDocument(m_project));
    EXPECT_EQ(m_host.Messages(),
              std::vector<std::string>{CDataMessages::ChangedOnDiskText(m_project)});
    EXPECT_EQ(TempDir::Read(m_project), "another window's project");
    EXPECT_TRUE(m_doc.IsModified());

    // Under another name: the other file stays, the chronology moves.
    m_host.Clear();
    m_host.QueueAnswer(CHostServices::AnswerNo);
    m_host.QueueFileName(m_dir.File("mine.anx"));
    EXPECT_TRUE(m_doc.OnSaveDocument(m_project));
    EXPECT_EQ(TempDir::Read(m_project), "another window's project");
    EXPECT_EQ(m_doc.GetPathName(), m_dir.File("mine.anx"));

    // Overwrite.
    m_doc.SetPathName(m_project);
    TempDir::Write(m_project, "changed once more");
    m_host.Clear();
    m_host.QueueAnswer(CHostServices::AnswerYes);
    EXPECT_TRUE(m_doc.OnSaveDocument(m_project));
    EXPECT_NE(TempDir::Read(m_project), "changed once more");
}

TEST_F(ChangedChronology, ProjectSaveKeepsTheOldProjectAsBackup)
{
    CSaveFile::SetKeepBackups(true);
    ASSERT_TRUE(m_doc.OnSaveDocument(m_project));
    const std::string first = TempDir::Read(m_project);
    m_doc.SetScaleYear(10);
    ASSERT_TRUE(m_doc.OnSaveDocument(m_project));
    CSaveFile::SetKeepBackups(false);
    EXPECT_EQ(TempDir::Read(m_project + "~"), first);
    EXPECT_NE(TempDir::Read(m_project), first);
}

TEST_F(ChangedChronology, AnUnmodifiedLibraryIsOfferedForReadingAgain)
{
    CLibraryReloadCheck check;
    EXPECT_FALSE(check.Run(m_doc));
    EXPECT_TRUE(m_host.Records().empty());

    WriteEvents({1600, 1603, 1615});
    int notices = 0;
    m_doc.AddListener([&](CAnnaluxDoc::EViewNotice) { ++notices; });
    m_host.QueueAnswer(CHostServices::AnswerYes);
    EXPECT_TRUE(check.Run(m_doc));
    EXPECT_EQ(m_host.Messages(), std::vector<std::string>{CLibraryReloadCheck::QuestionText(Events())});
    EXPECT_NE(m_host.Messages()[0].find("日本史"), std::string::npos);
    EXPECT_EQ(Events().GetLen(), 3);
    EXPECT_FALSE(Events().GetModified());
    EXPECT_EQ(Events().GetFileName(), m_library);
    EXPECT_GT(notices, 0);
    EXPECT_EQ(m_doc.GetColumns().GetCount(), 2);

    // Declined: not asked again until the file changes once more.
    WriteEvents({1600});
    m_host.Clear();
    EXPECT_FALSE(check.Run(m_doc));
    EXPECT_FALSE(check.Run(m_doc));
    EXPECT_EQ(m_host.Messages().size(), 1u);
    EXPECT_EQ(Events().GetLen(), 3);
    WriteEvents({1600, 1601});
    m_host.Clear();
    m_host.QueueAnswer(CHostServices::AnswerYes);
    EXPECT_TRUE(check.Run(m_doc));
    EXPECT_EQ(Events().GetLen(), 2);
}

TEST_F(ChangedChronology, AModifiedLibraryIsLeftToItsSave)
{
    SEventData rec;
    rec.year = 1868;
    rec.text = Sjis("明治");
    Events().SetData(rec, true, -1, EP_EVERY);
    WriteEvents({1600, 1603, 1615, 1639});
    CLibraryReloadCheck check;
    EXPECT_FALSE(check.Run(m_doc));
    EXPECT_TRUE(m_host.Records().empty());
    EXPECT_EQ(Events().GetLen(), 3);

    // Project save saves the library too, and asks about it first.
    m_host.SetDefaultAnswer(CHostServices::AnswerCancel);
    EXPECT_TRUE(m_doc.OnSaveDocument(m_project));
    EXPECT_EQ(m_host.Messages(),
              std::vector<std::string>{CDataMessages::ChangedOnDiskText(m_library)});
    EXPECT_TRUE(Events().GetModified());
    CYearEvent onDisk;
    ASSERT_TRUE(onDisk.ReadFile(m_library.c_str(), false));
    EXPECT_EQ(onDisk.GetLen(), 4);
}

TEST_F(ChangedChronology, ALibraryThatNoLongerReadsStaysAsItWas)
{
    TempDir::Write(m_library, "not a library any more");
    m_host.QueueAnswer(CHostServices::AnswerYes);
    CLibraryReloadCheck check;
    EXPECT_FALSE(check.Run(m_doc));
    ASSERT_EQ(m_host.Messages().size(), 2u);
    EXPECT_NE(m_host.Messages()[1].find("e.lev"), std::string::npos);
    EXPECT_EQ(Events().GetLen(), 2);
}

} // namespace
