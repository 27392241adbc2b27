// Saves that keep a backup of the file they replace, and saves that notice
// a file changed on disk behind the program's back.
#include "BaseYear.h"
#include "DataMessages.h"
#include "FullDisk.h"
#include "GengouEra.h"
#include "SaveFile.h"
#include "ScriptedHostServices.h"
#include "Sjis.h"
#include "TableContents.h"
#include "TempDir.h"
#include "TestDocument.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

bool Exists(const std::string& path)
{
    struct stat st;
    return ::stat(path.c_str(), &st) == 0;
}

// Sets a file's modification time some seconds away from now, as another
// program's write (or a plain touch) would.
void Touch(const std::string& path, int secondsAgo)
{
    struct timespec times[2];
    ::clock_gettime(CLOCK_REALTIME, &times[0]);
    times[0].tv_sec -= secondsAgo;
    times[1] = times[0];
    ASSERT_EQ(::utimensat(AT_FDCWD, path.c_str(), times, 0), 0);
}

class KeepBackups
{
public:
    explicit KeepBackups(bool on) : m_was(CSaveFile::GetKeepBackups())
    {
        CSaveFile::SetKeepBackups(on);
    }
    ~KeepBackups() { CSaveFile::SetKeepBackups(m_was); }

private:
    bool m_was;
};

bool SaveWithBackup(const std::string& path, const std::string& bytes)
{
    CSaveFile file(path);
    file.SetMakeBackup(true);
    return file.Open() && file.Write(bytes) && file.Commit();
}

} // namespace

TEST(SaveBackup, OneGenerationOfTheReplacedFileIsKept)
{
    TempDir dir;
    const std::string path = dir.File("a.lev");
    ASSERT_TRUE(SaveWithBackup(path, "first"));
    EXPECT_EQ(TempDir::Names(dir.Path()), std::vector<std::string>{"a.lev"})
        << "a new file replaces nothing";
    ASSERT_EQ(::chmod(path.c_str(), 0640), 0);

    ASSERT_TRUE(SaveWithBackup(path, "second"));
    EXPECT_EQ(TempDir::Read(path), "second");
    EXPECT_EQ(TempDir::Read(path + "~"), "first");
    struct stat st;
    ASSERT_EQ(::stat((path + "~").c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0640u);

    ASSERT_TRUE(SaveWithBackup(path, "third"));
    EXPECT_EQ(TempDir::Read(path + "~"), "second");
    EXPECT_EQ(TempDir::Names(dir.Path()), (std::vector<std::string>{"a.lev", "a.lev~"}));

    // A failed save leaves both the file and its backup as they were.
    {
        FullDiskScope failing;
        EXPECT_FALSE(SaveWithBackup(path, "fourth"));
    }
    EXPECT_EQ(TempDir::Read(path), "third");
    EXPECT_EQ(TempDir::Read(path + "~"), "second");

    // Without the request (as for exports and temporary files) none is made.
    ASSERT_TRUE(CSaveFile::WriteWholeFile(dir.File("b.csv"), "x"));
    ASSERT_TRUE(CSaveFile::WriteWholeFile(dir.File("b.csv"), "y"));
    EXPECT_FALSE(Exists(dir.File("b.csv~")));
}

TEST(SaveBackup, ThroughALinkTheBackupSitsBesideTheRealFile)
{
    TempDir dir;
    ASSERT_EQ(::mkdir(dir.File("shared").c_str(), 0700), 0);
    const std::string real = dir.File("shared/eras.lgn");
    TempDir::Write(real, "old");
    ASSERT_EQ(::symlink(real.c_str(), dir.File("link.lgn").c_str()), 0);
    ASSERT_TRUE(SaveWithBackup(dir.File("link.lgn"), "new"));
    EXPECT_EQ(TempDir::Read(real), "new");
    EXPECT_EQ(TempDir::Read(real + "~"), "old");
    EXPECT_FALSE(Exists(dir.File("link.lgn~")));
}

TEST(SaveBackup, LibrarySavesFollowTheSetting)
{
    TempDir dir;
    const std::string path = dir.File("base.lby");
    CBaseYear table;
    table.SetBaseWesternYear(1543);
    table.SetEndWesternYear(1616);
    table.SetFileName(path);
    {
        KeepBackups off(false);
        ASSERT_TRUE(table.WriteFile(false, nullptr, HT_BASEYEAR));
        table.SetKazoe(true);
        ASSERT_TRUE(table.WriteFile(false, nullptr, HT_BASEYEAR));
        EXPECT_FALSE(Exists(path + "~"));
    }
    const std::string before = TempDir::Read(path);
    KeepBackups on(true);
    table.SetKazoe(false);
    ASSERT_TRUE(table.WriteFile(false, nullptr, HT_BASEYEAR));
    EXPECT_EQ(TempDir::Read(path + "~"), before);
}

// ---- a library changed on disk ---------------------------------------------

class ChangedLibrary : public ::testing::Test
{
protected:
    void SetUp() override
    {
        CGengouEra original;
        original.SetTableName("T");
        original.SetData(Sjis("明治"), 1868, 1912, "");
        original.SetFileName(m_path);
        ASSERT_TRUE(original.WriteFile(false, nullptr, HT_GENGOU));
        ASSERT_TRUE(m_table.ReadFile(m_path.c_str(), HT_GENGOU, false));
        // Another window saves the library with a row of its own.
        CGengouEra other;
        ASSERT_TRUE(other.ReadFile(m_path.c_str(), HT_GENGOU, false));
        other.SetData(Sjis("大正"), 1912, 1926, "");
        ASSERT_TRUE(other.WriteFile(false, nullptr, HT_GENGOU));
        m_theirs = TempDir::Read(m_path);
        // This window's own change.
        m_table.SetData(Sjis("昭和"), 1926, 1989, "");
        m_host.Clear();
    }

    bool Save() { return m_table.WriteFile(false, nullptr, HT_GENGOU); }
    std::string Question() const { return CDataMessages::ChangedOnDiskText(m_path); }

    TempDir m_dir;
    std::string m_path = m_dir.File("eras.lgn");
    CScriptedHostServices m_host;
    CHostServicesScope m_scope{m_host};
    CGengouEra m_table;
    std::string m_theirs;
};

TEST_F(ChangedLibrary, OverwriteIsAskedFirst)
{
    m_host.QueueAnswer(CHostServices::AnswerYes);
    ASSERT_TRUE(Save());
    ASSERT_EQ(m_host.Records().size(), 1u);
    EXPECT_EQ(m_host.Records()[0].text, Question());
    EXPECT_EQ(m_host.Records()[0].style, CHostServices::YesNoCancel | CHostServices::IconWarning);
    EXPECT_NE(TempDir::Read(m_path), m_theirs);
    // Our own save is no change behind our back.
    m_host.Clear();
    m_table.SetData(Sjis("平成"), 1989, 2019, "");
    ASSERT_TRUE(Save());
    EXPECT_TRUE(m_host.Records().empty());
}

TEST_F(ChangedLibrary, SaveUnderAnotherNameKeepsTheirFile)
{
    m_host.QueueAnswer(CHostServices::AnswerNo);
    m_host.QueueFileName(m_dir.File("mine.lgn"));
    ASSERT_TRUE(Save());
    ASSERT_EQ(m_host.Records().size(), 2u);
    EXPECT_EQ(m_host.Records()[1].kind, CScriptedHostServices::SRecord::SaveDialog);
    EXPECT_EQ(TempDir::Read(m_path), m_theirs);
    CGengouEra mine;
    ASSERT_TRUE(mine.ReadFile(m_dir.File("mine.lgn").c_str(), HT_GENGOU, false));
    EXPECT_EQ(Names(mine), (std::vector<std::string>{"明治", "昭和"}));
}

TEST_F(ChangedLibrary, CancelSavesNothingAndKeepsTheChange)
{
    m_host.QueueAnswer(CHostServices::AnswerCancel);
    EXPECT_FALSE(Save());
    EXPECT_EQ(TempDir::Read(m_path), m_theirs);
    EXPECT_TRUE(m_table.GetModified());
    EXPECT_EQ(m_host.Records().size(), 1u);
    // Saving under another name asks nothing: that file is not the one read.
    m_host.Clear();
    m_host.QueueFileName(m_dir.File("other.lgn"));
    EXPECT_TRUE(m_table.WriteFile(true, nullptr, HT_GENGOU));
    EXPECT_EQ(m_host.Messages().size(), 0u);
}

TEST(ChangedOnDisk, ATouchOrAVanishedFileIsNoChange)
{
    TempDir dir;
    CScriptedHostServices host;
    CHostServicesScope scope(host);
    const std::string path = dir.File("base.lby");
    TempDir::Write(path, Sjis("[基点年],5\r\n家康\r\n1543\r\n1616\r\n0\r\n0\r\n0\r\n0\r\n0\r\n0\r\n0\r\n"));
    CBaseYear table;
    ASSERT_TRUE(table.ReadFile(path.c_str()));
    EXPECT_FALSE(table.ChangedOnDisk());

    Touch(path, 100);
    EXPECT_FALSE(table.ChangedOnDisk()) << "same bytes, other time";

    // Same size, other bytes.
    std::string bytes = TempDir::Read(path);
    bytes[bytes.find("1616")] = '2';
    TempDir::Write(path, bytes);
    Touch(path, 50);
    EXPECT_TRUE(table.ChangedOnDisk());

    ASSERT_EQ(::unlink(path.c_str()), 0);
    EXPECT_FALSE(table.ChangedOnDisk());
    table.SetKazoe(true);
    EXPECT_TRUE(table.WriteFile(false, nullptr, HT_BASEYEAR));
    EXPECT_TRUE(host.Records().empty());
}
