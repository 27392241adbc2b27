#include "GengouEra.h"
#include "LargeLibrary.h"
#include "ReadProgress.h"
#include "ScriptedHostServices.h"
#include "TableContents.h"
#include "TempDir.h"
#include "TextFileReader.h"
#include "YearEvent.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <sys/stat.h>

namespace {

constexpr int kEvents = 40000; // about 2 MB

uint64_t FileSize(const std::string& path)
{
    struct stat st;
    return ::stat(path.c_str(), &st) == 0 ? static_cast<uint64_t>(st.st_size) : 0;
}

class ReadProgressTest : public ::testing::Test
{
protected:
    ReadProgressTest() : m_hostScope(m_host)
    {
        m_big = m_dir.File("big.lev");
        m_other = m_dir.File("other.lev");
        EXPECT_TRUE(WriteLargeEventLibrary(m_big, kEvents, "big"));
        EXPECT_TRUE(WriteLargeEventLibrary(m_other, kEvents / 4, "other", 7));
    }

    TempDir m_dir;
    CScriptedHostServices m_host;
    CHostServicesScope m_hostScope;
    std::string m_big;
    std::string m_other;
};

TEST_F(ReadProgressTest, WholeReadReportsEveryByteAndReadsTheSameTable)
{
    CYearEvent plain;
    ASSERT_TRUE(plain.ReadFile(m_big.c_str(), false));

    CRecordingProgress progress;
    CYearEvent reported;
    {
        CReadProgressScope scope(progress);
        ASSERT_TRUE(reported.ReadFile(m_big.c_str(), false));
    }
    EXPECT_EQ(Records(reported), Records(plain));
    EXPECT_EQ(reported.GetDiskStamp().GetPath(), plain.GetDiskStamp().GetPath());
    EXPECT_FALSE(reported.GetModified());

    const uint64_t size = FileSize(m_big);
    ASSERT_GT(progress.done.size(), 5u) << "a file of megabytes reports many times";
    EXPECT_TRUE(std::is_sorted(progress.done.begin(), progress.done.end()));
    EXPECT_EQ(progress.done.back(), size) << "the last report comes at the end";
    EXPECT_EQ(progress.totals.back(), size);
    EXPECT_EQ(progress.files, std::vector<std::string>{m_big});
    EXPECT_TRUE(m_host.Records().empty());
}

TEST_F(ReadProgressTest, StoppedReadFailsSilentlyAndLetsGoOfTheContent)
{
    const uint64_t size = FileSize(m_big);
    {
        CRecordingProgress progress(size / 2);
        CReadProgressScope scope(progress);
        CYearEvent table;
        EXPECT_FALSE(table.ReadFile(m_big.c_str(), false));
        EXPECT_TRUE(progress.Cancelled());
        EXPECT_LT(progress.done.back(), size);
        EXPECT_GE(progress.done.back(), size / 2);
        // Nothing is asked about a read the user stopped, and no file is
        // taken as read.
        EXPECT_TRUE(m_host.Records().empty());
        EXPECT_TRUE(table.GetDiskStamp().GetPath().empty());

        // Once stopped, a progress stops every read that follows in its
        // scope, the era-name reader's as well.
        CYearEvent next;
        EXPECT_FALSE(next.ReadFile(m_other.c_str(), false));
        CGengouEra eras;
        EXPECT_FALSE(eras.ReadFile(ANNALUX_SAMPLES_DIR "/gengou.lgn", HT_GENGOU, true));
        EXPECT_TRUE(m_host.Records().empty());
    }

    CRecordingProgress progress(size / 3);
    CReadProgressScope scope(progress);
    CTextFileReader reader;
    ASSERT_TRUE(reader.Open(m_big));
    std::string line;
    size_t lines = 0;
    while (reader.ReadLine(line))
        ++lines;
    EXPECT_TRUE(reader.Stopped());
    EXPECT_GT(lines, 0u);
    EXPECT_TRUE(reader.Content().empty());
    EXPECT_FALSE(reader.ReadLine(line));
}

TEST_F(ReadProgressTest, BytesCountAgainstTheAnnouncedTotalOrFileByFile)
{
    const uint64_t big = FileSize(m_big);
    const uint64_t other = FileSize(m_other);

    // Announced: both files count against one total from the start.
    CRecordingProgress announced;
    {
        CReadProgressScope scope(announced);
        announced.Expect(big + other);
        CYearEvent a, b;
        ASSERT_TRUE(a.ReadFile(m_big.c_str(), false));
        ASSERT_TRUE(b.ReadFile(m_other.c_str(), false));
    }
    EXPECT_TRUE(std::all_of(announced.totals.begin(), announced.totals.end(),
                            [&](uint64_t t) { return t == big + other; }));
    EXPECT_TRUE(std::is_sorted(announced.done.begin(), announced.done.end()));
    EXPECT_EQ(announced.done.back(), big + other);
    EXPECT_EQ(announced.files, (std::vector<std::string>{m_big, m_other}));

    // Not announced: each file widens the total as it opens.
    CRecordingProgress unannounced;
    {
        CReadProgressScope scope(unannounced);
        CYearEvent a, b;
        ASSERT_TRUE(a.ReadFile(m_other.c_str(), false));
        EXPECT_EQ(unannounced.Total(), other);
        ASSERT_TRUE(b.ReadFile(m_big.c_str(), false));
    }
    EXPECT_EQ(unannounced.totals.back(), big + other);
    EXPECT_EQ(unannounced.done.back(), big + other);

    // An announcement short of what the files hold (a file grew) widens
    // the total instead of running the count past it.
    CRecordingProgress shortTotal;
    {
        CReadProgressScope scope(shortTotal);
        shortTotal.Expect(other);
        CYearEvent a;
        ASSERT_TRUE(a.ReadFile(m_big.c_str(), false));
    }
    for (size_t i = 0; i < shortTotal.done.size(); ++i)
        EXPECT_LE(shortTotal.done[i], shortTotal.totals[i]);
}

TEST_F(ReadProgressTest, ScopesNestAndReadersOutsideThemReportNothing)
{
    EXPECT_EQ(CReadProgress::Current(), nullptr);
    CRecordingProgress outer, inner;
    {
        CReadProgressScope a(outer);
        {
            CReadProgressScope b(inner);
            EXPECT_EQ(CReadProgress::Current(), &inner);
        }
        EXPECT_EQ(CReadProgress::Current(), &outer);
    }
    EXPECT_EQ(CReadProgress::Current(), nullptr);

    // Content set from memory never reports, even inside a scope.
    CReadProgressScope scope(outer);
    CTextFileReader reader;
    reader.SetContent("a\r\nb\r\n");
    std::string line;
    while (reader.ReadLine(line)) {
    }
    EXPECT_TRUE(outer.done.empty());
    EXPECT_FALSE(reader.Stopped());
}

} // namespace
