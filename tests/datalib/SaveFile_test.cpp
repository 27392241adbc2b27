#include "SaveFile.h"

#include "TempDir.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace {

// A disk that accepts g_budget bytes in all and then fails with g_failErrno,
// or (g_failErrno == 0) reports a write of 0 bytes. g_chunk limits each call.
size_t g_budget = 0;
int g_failErrno = ENOSPC;
size_t g_chunk = 0;
int g_interruptions = 0;

ssize_t LimitedWrite(int fd, const void* buf, size_t count)
{
    if (g_interruptions > 0) {
        --g_interruptions;
        errno = EINTR;
        return -1;
    }
    if (g_chunk && count > g_chunk)
        count = g_chunk;
    if (g_budget == 0) {
        if (g_failErrno == 0)
            return 0;
        errno = g_failErrno;
        return -1;
    }
    if (count > g_budget)
        count = g_budget;
    ssize_t n = ::write(fd, buf, count);
    if (n > 0)
        g_budget -= static_cast<size_t>(n);
    return n;
}

class SaveFileTest : public ::testing::Test
{
protected:
    void TearDown() override { CSaveFile::SetWriteFunctionForTesting(nullptr); }

    void UseDisk(size_t budget, int failErrno, size_t chunk = 0, int interruptions = 0)
    {
        g_budget = budget;
        g_failErrno = failErrno;
        g_chunk = chunk;
        g_interruptions = interruptions;
        CSaveFile::SetWriteFunctionForTesting(&LimitedWrite);
    }

    std::vector<std::string> Entries() const { return TempDir::Names(m_dir.Path()); }

    static std::string Content(size_t size)
    {
        std::string s(size, '\0');
        for (size_t i = 0; i < size; ++i)
            s[i] = static_cast<char>('a' + i % 26);
        return s;
    }

    TempDir m_dir;
};

TEST_F(SaveFileTest, WritesNewAndReplacesOldFile)
{
    const std::string target = m_dir.File("e.lev");
    ASSERT_TRUE(CSaveFile::WriteWholeFile(target, "first\r\n"));
    EXPECT_EQ("first\r\n", TempDir::Read(target));

    CSaveFile file(target);
    ASSERT_TRUE(file.Open());
    ASSERT_TRUE(file.Write("sec"));
    ASSERT_TRUE(file.Write(std::string("ond")));
    EXPECT_EQ("first\r\n", TempDir::Read(target)); // untouched until the commit
    ASSERT_TRUE(file.Commit());
    EXPECT_EQ("second", TempDir::Read(target));
    EXPECT_EQ(CSaveFile::None, file.ErrorCause());
    EXPECT_EQ(std::vector<std::string>{"e.lev"}, Entries());

    ASSERT_TRUE(CSaveFile::WriteWholeFile(target, ""));
    EXPECT_EQ("", TempDir::Read(target));
}

TEST_F(SaveFileTest, LargeWritesInPiecesAndInterruptions)
{
    const std::string target = m_dir.File("big.lev");
    const std::string data = Content(300000);
    UseDisk(data.size(), ENOSPC, 4093, 3);
    CSaveFile file(target);
    ASSERT_TRUE(file.Open());
    // A mix of small writes and one larger than the buffer.
    ASSERT_TRUE(file.Write(data.substr(0, 10)));
    ASSERT_TRUE(file.Write(data.substr(10, 70000)));
    ASSERT_TRUE(file.Write(data.substr(70010)));
    ASSERT_TRUE(file.Commit());
    EXPECT_EQ(data, TempDir::Read(target));
}

struct FailureCase
{
    size_t contentSize;
    size_t budget;
    int failErrno;
    int cause;
};

class SaveFileFailure : public SaveFileTest, public ::testing::WithParamInterface<FailureCase>
{
};

TEST_P(SaveFileFailure, KeepsTheOldFileAndLeavesNoTemporaryFile)
{
    const FailureCase& c = GetParam();
    const std::string target = m_dir.File("e.lev");
    TempDir::Write(target, "old content");
    UseDisk(c.budget, c.failErrno);

    const std::string data = Content(c.contentSize);
    CSaveFile file(target);
    bool ok = file.Open();
    // Writes may be buffered, so the failure may show at any later step.
    for (size_t at = 0; ok && at < data.size(); at += 1000)
        ok = file.Write(data.substr(at, 1000));
    if (ok)
        ok = file.Commit();
    EXPECT_FALSE(ok);
    EXPECT_EQ(c.cause, file.ErrorCause());
    EXPECT_EQ("old content", TempDir::Read(target));
    EXPECT_EQ(std::vector<std::string>{"e.lev"}, Entries());
    // Once failed, nothing more goes through.
    EXPECT_FALSE(file.Write("x"));
    EXPECT_FALSE(file.Commit());
    EXPECT_EQ("old content", TempDir::Read(target));
}

INSTANTIATE_TEST_SUITE_P(
    Offsets, SaveFileFailure,
    ::testing::Values(FailureCase{10, 0, ENOSPC, CSaveFile::DiskFull},
                      FailureCase{10, 5, ENOSPC, CSaveFile::DiskFull},
                      FailureCase{10, 9, 0, CSaveFile::DiskFull}, // short write
                      FailureCase{200000, 0, 0, CSaveFile::DiskFull},
                      FailureCase{200000, 65535, ENOSPC, CSaveFile::DiskFull},
                      FailureCase{200000, 65536, EIO, CSaveFile::HardIO},
                      FailureCase{200000, 65537, EDQUOT, CSaveFile::DiskFull},
                      FailureCase{200000, 199999, EIO, CSaveFile::HardIO},
                      FailureCase{200000, 150000, EACCES, CSaveFile::AccessDenied}));

TEST_F(SaveFileTest, TargetThatIsAFolder)
{
    const std::string target = m_dir.File("folder.lev");
    ASSERT_EQ(0, mkdir(target.c_str(), 0755));
    CSaveFile file(target);
    EXPECT_FALSE(file.Open());
    EXPECT_EQ(CSaveFile::AccessDenied, file.ErrorCause());
    EXPECT_EQ(EISDIR, file.ErrorNumber());
    EXPECT_FALSE(file.ErrorString().empty());
    EXPECT_FALSE(file.Write("x"));
    EXPECT_FALSE(file.Commit());
    struct stat st;
    ASSERT_EQ(0, stat(target.c_str(), &st));
    EXPECT_TRUE(S_ISDIR(st.st_mode));
    EXPECT_EQ(std::vector<std::string>{"folder.lev"}, Entries());
}

TEST_F(SaveFileTest, BadTargets)
{
    int cause = -1;
    EXPECT_FALSE(CSaveFile::WriteWholeFile(m_dir.File("missing/e.lev"), "x", &cause));
    EXPECT_EQ(CSaveFile::FileNotFound, cause);

    TempDir::Write(m_dir.File("plain"), "file");
    EXPECT_FALSE(CSaveFile::WriteWholeFile(m_dir.File("plain/e.lev"), "x", &cause));
    EXPECT_EQ(CSaveFile::BadPath, cause);

    EXPECT_FALSE(CSaveFile::WriteWholeFile("", "x", &cause));
    EXPECT_EQ(CSaveFile::FileNotFound, cause);
    EXPECT_EQ(std::vector<std::string>{"plain"}, Entries());
}

TEST_F(SaveFileTest, PermissionsAreKept)
{
    const std::string target = m_dir.File("e.lev");
    TempDir::Write(target, "old");
    ASSERT_EQ(0, chmod(target.c_str(), 0640));
    ASSERT_TRUE(CSaveFile::WriteWholeFile(target, "new"));
    struct stat st;
    ASSERT_EQ(0, stat(target.c_str(), &st));
    EXPECT_EQ(0640u, st.st_mode & 07777);

    const mode_t mask = umask(022);
    const std::string fresh = m_dir.File("new.lev");
    ASSERT_TRUE(CSaveFile::WriteWholeFile(fresh, "x"));
    umask(mask);
    ASSERT_EQ(0, stat(fresh.c_str(), &st));
    EXPECT_EQ(0644u, st.st_mode & 07777);
}

TEST_F(SaveFileTest, SavingThroughALinkUpdatesTheLinkedFile)
{
    ASSERT_EQ(0, mkdir(m_dir.File("shared").c_str(), 0755));
    const std::string real = m_dir.File("shared/e.lev");
    TempDir::Write(real, "old");
    const std::string link = m_dir.File("e.lev");
    ASSERT_EQ(0, symlink(real.c_str(), link.c_str()));

    ASSERT_TRUE(CSaveFile::WriteWholeFile(link, "new"));
    struct stat st;
    ASSERT_EQ(0, lstat(link.c_str(), &st));
    EXPECT_TRUE(S_ISLNK(st.st_mode));
    EXPECT_EQ("new", TempDir::Read(real));
    EXPECT_EQ("new", TempDir::Read(link));
}

TEST_F(SaveFileTest, DiscardAndDestructorLeaveTheTargetAlone)
{
    const std::string target = m_dir.File("e.lev");
    TempDir::Write(target, "old");
    {
        CSaveFile file(target);
        ASSERT_TRUE(file.Open());
        ASSERT_TRUE(file.Write("new"));
        EXPECT_EQ(2u, Entries().size()); // the temporary file beside the target
        file.Discard();
        EXPECT_EQ(std::vector<std::string>{"e.lev"}, Entries());
        EXPECT_FALSE(file.Commit());
    }
    {
        CSaveFile file(target);
        ASSERT_TRUE(file.Open());
        ASSERT_TRUE(file.Write("new"));
    }
    EXPECT_EQ("old", TempDir::Read(target));
    EXPECT_EQ(std::vector<std::string>{"e.lev"}, Entries());

    CSaveFile never(target);
    EXPECT_FALSE(never.Write("x"));
    EXPECT_FALSE(never.Commit());
    EXPECT_EQ(target, never.TargetPath());
}

TEST(SaveFileCauses, FromErrno)
{
    const struct
    {
        int err;
        int cause;
    } cases[] = {
        {0, CSaveFile::None},
        {ENOENT, CSaveFile::FileNotFound},
        {ENOTDIR, CSaveFile::BadPath},
        {ENAMETOOLONG, CSaveFile::BadPath},
        {EMFILE, CSaveFile::TooManyOpenFiles},
        {EACCES, CSaveFile::AccessDenied},
        {EROFS, CSaveFile::AccessDenied},
        {EISDIR, CSaveFile::AccessDenied},
        {EBADF, CSaveFile::InvalidFile},
        {ENOSPC, CSaveFile::DiskFull},
        {EFBIG, CSaveFile::DiskFull},
        {EIO, CSaveFile::HardIO},
        {EAGAIN, CSaveFile::Generic},
    };
    for (const auto& c : cases)
        EXPECT_EQ(c.cause, CSaveFile::CauseFromErrno(c.err)) << c.err;
}

} // namespace
