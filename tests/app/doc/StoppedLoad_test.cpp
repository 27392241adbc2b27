#include "AnnaluxDoc.h"

#include "AppTest.h"
#include "LargeLibrary.h"
#include "LibraryReloadCheck.h"
#include "LoadFixture.h"
#include "ReadProgress.h"
#include "Sjis.h"
#include "YearEvent.h"

#include <gtest/gtest.h>

#include <climits>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

std::string CurrentDir()
{
    char buf[PATH_MAX];
    return getcwd(buf, sizeof buf) ? std::string(buf) : std::string();
}

class StoppedLoadTest : public AppTest
{
protected:
    StoppedLoadTest() : m_files(m_dir)
    {
        m_host.SetDefaultAnswer(CHostServices::AnswerNo);
        m_small = m_files.WriteSmallProject();
        m_large = m_files.WriteLargeProject();
        m_host.Clear();
    }

    LoadFixture m_files;
    std::string m_small;
    std::string m_large;
};

TEST_F(StoppedLoadTest, StoppingPartWayLeavesTheOpenChronologyAndEveryFileAsTheyWere)
{
    CAnnaluxDoc doc;
    ASSERT_TRUE(doc.OnOpenDocument(m_small));
    // Unsaved work: a new event in the library and a changed setting.
    SEventData rec;
    rec.year = 1868;
    rec.text = Sjis("明治維新");
    doc.GetEventTable(0)->SetData(rec, true, -1, EP_EVERY);
    ASSERT_TRUE(doc.SetScaleYear(10));
    const std::string before = LoadFixture::Describe(doc);
    const auto files = m_files.Files();
    const std::string cwd = CurrentDir();
    std::vector<CAnnaluxDoc::EViewNotice> notices;
    doc.AddListener([&](CAnnaluxDoc::EViewNotice n) { notices.push_back(n); });

    CRecordingProgress progress(m_files.LargeLibraryBytes() / 2);
    {
        CReadProgressScope scope(progress);
        // As the window leaves a chronology: the library questions first.
        m_host.QueueAnswer(CHostServices::AnswerNo); // keep the new event unsaved
        doc.AskToSaveLibrariesBeforeLeaving();
        EXPECT_FALSE(doc.OnOpenDocument(m_large));
    }

    ASSERT_TRUE(progress.Cancelled());
    EXPECT_LT(progress.done.back(), progress.Total()) << "stopped part-way";
    EXPECT_EQ(LoadFixture::Describe(doc), before);
    EXPECT_EQ(m_files.Files(), files);
    EXPECT_EQ(CurrentDir(), cwd);
    EXPECT_TRUE(notices.empty()) << "the views never saw a half-open chronology";
    // Only the question about the unsaved library; the stop itself tells
    // nothing, and the library that is missing was never reached.
    EXPECT_EQ(m_host.Messages(), std::vector<std::string>{"出来事：小さな年表を保存しますか？"});

    // The No belonged to the open that did not happen: the chronology's
    // next save writes the library again.
    ASSERT_TRUE(doc.OnSaveDocument(m_small));
    CYearEvent saved;
    ASSERT_TRUE(saved.ReadFile(m_dir.File("small/e.lev").c_str(), false));
    EXPECT_EQ(saved.GetLen(), 4);
}

TEST_F(StoppedLoadTest, AReportedLoadGivesTheSameChronologyAsAPlainOne)
{
    CAnnaluxDoc plain;
    ASSERT_TRUE(plain.OnOpenDocument(m_large));
    const std::vector<std::string> plainMessages = m_host.Messages();
    m_host.Clear();

    CAnnaluxDoc reported;
    ASSERT_TRUE(reported.OnOpenDocument(m_small));
    CRecordingProgress progress;
    {
        CReadProgressScope scope(progress);
        ASSERT_TRUE(reported.OnOpenDocument(m_large));
    }
    EXPECT_EQ(LoadFixture::Describe(reported), LoadFixture::Describe(plain));
    EXPECT_EQ(reported.GetColumns().GetCount(), 4) << "the missing library's column is dropped";
    EXPECT_EQ(m_host.Messages(), plainMessages);
    ASSERT_EQ(plainMessages.size(), 1u);

    // Announced up front: the libraries that exist, in all.
    EXPECT_EQ(progress.totals.front(), m_files.LargeLibraryBytes());
    EXPECT_EQ(progress.done.back(), m_files.LargeLibraryBytes());
    EXPECT_FALSE(progress.Cancelled());
}

TEST_F(StoppedLoadTest, AStoppedReReadKeepsTheLibraryAsItWasAndCountsAsDeclined)
{
    CAnnaluxDoc doc;
    ASSERT_TRUE(doc.OnOpenDocument(m_large));
    m_host.Clear();
    const std::string before = LoadFixture::Describe(doc);
    // Someone else rewrites one of the libraries.
    ASSERT_TRUE(WriteLargeEventLibrary(m_dir.File("large/a.lev"), 50000, "A2", 99));

    CLibraryReloadCheck check;
    int made = 0;
    check.SetProgressMaker([&made]() -> std::unique_ptr<CReadProgress> {
        ++made;
        return std::make_unique<CRecordingProgress>(1u << 20);
    });
    m_host.QueueAnswer(CHostServices::AnswerYes);
    EXPECT_FALSE(check.Run(doc));
    EXPECT_EQ(made, 1);
    EXPECT_EQ(LoadFixture::Describe(doc), before);
    EXPECT_EQ(m_host.Messages().size(), 1u) << "the question only";

    // Not asked again until the file changes once more.
    EXPECT_FALSE(check.Run(doc));
    EXPECT_EQ(m_host.Messages().size(), 1u);
}

} // namespace
