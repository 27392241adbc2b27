#include "FilePathManager.h"

#include "Sjis.h"
#include "TempDir.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

namespace {

// Windows-style conversions take their current directory from here.
class FixedDirPaths : public CFilePathManager
{
public:
    FixedDirPaths(EStyle style, std::string dir, bool available = true)
        : CFilePathManager(style), m_dir(std::move(dir)), m_available(available)
    {}

protected:
    bool QueryCurrentDir(std::string& dir) const override
    {
        if (!m_available)
            return false;
        dir = m_dir;
        return true;
    }

private:
    std::string m_dir;
    bool m_available;
};

// ---- Windows style ----------------------------------------------------------

TEST(WindowsPaths, CheckAbsPath)
{
    const CFilePathManager paths(CFilePathManager::Windows);
    const struct
    {
        std::string path;
        bool absolute;
    } cases[] = {
        {"C:\\a.lev", true},
        {"\\\\srv\\x", true},
        {"\\x", true},
        {"LIB\\a.lev", false},
        {"..\\a.lev", false},
        {"a\\b.lev", true}, // second character a backslash
        {"", false},
        {"a.lev", false},
        {"lib:x", true},
        // 表 = 95 5C: its trail byte is not a backslash, so this is relative;
        // the backslash after it is the second character.
        {Sjis("表.lev"), false},
        {Sjis("表\\x.lev"), true},
    };
    for (const auto& c : cases)
        EXPECT_EQ(c.absolute, paths.CheckAbsPath(c.path)) << Utf8(c.path);
}

struct RelCase
{
    std::string base;
    std::string path;
    std::string expected;
};

class WindowsAbsToRel : public ::testing::TestWithParam<RelCase>
{
};

TEST_P(WindowsAbsToRel, GivesUpperCasePathRelativeToBase)
{
    const RelCase& c = GetParam();
    const CFilePathManager paths(CFilePathManager::Windows);
    std::string rel = "stale";
    ASSERT_TRUE(paths.AbsToRelPath(c.path, rel, c.base.c_str()));
    EXPECT_EQ(c.expected, rel) << Utf8(c.base) << " | " << Utf8(c.path);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, WindowsAbsToRel,
    ::testing::Values(
        RelCase{"C:\\Doc", "C:\\Doc\\lib\\e.lev", "LIB\\E.LEV"},
        RelCase{"C:\\Doc", "C:\\Doc\\e.lev", "E.LEV"},
        RelCase{"C:\\Doc", "C:\\Other\\e.lev", "..\\OTHER\\E.LEV"},
        RelCase{"C:\\Doc", "D:\\x.lev", "D:\\X.LEV"},
        RelCase{"C:\\A\\B", "C:\\A\\e.lev", "..\\E.LEV"},
        RelCase{"C:\\A\\B", "C:\\X\\e.lev", "..\\..\\X\\E.LEV"},
        RelCase{"C:\\Doc", "e.lev", "E.LEV"}, RelCase{"C:\\Doc", "lib\\e.lev", "LIB\\E.LEV"},
        RelCase{"c:\\doc", "C:\\DOC\\Lib\\E.lev", "LIB\\E.LEV"},
        RelCase{"C:\\A\\B\\C", "C:\\A\\B\\e.lev", "..\\E.LEV"},
        RelCase{"C:\\A\\B", "C:\\A\\BX\\e.lev", "..\\BX\\E.LEV"},
        // Network paths: same server climbs, another server stays absolute.
        RelCase{"\\\\srv\\share\\doc", "\\\\srv\\share\\doc\\e.lev", "E.LEV"},
        RelCase{"\\\\srv\\share\\doc", "\\\\srv\\share\\x\\e.lev", "..\\X\\E.LEV"},
        RelCase{"\\\\srv\\share\\doc", "\\\\other\\share\\doc\\e.lev",
                "\\\\OTHER\\SHARE\\DOC\\E.LEV"},
        RelCase{"C:\\Doc", "\\\\srv\\x.lev", "\\\\SRV\\X.LEV"},
        // The root folder and a trailing backslash are not an extra level.
        RelCase{"C:\\", "C:\\x.lev", "X.LEV"}, RelCase{"C:\\", "C:\\lib\\x.lev", "LIB\\X.LEV"},
        RelCase{"C:\\Doc\\", "C:\\Doc\\e.lev", "E.LEV"},
        RelCase{"C:\\Doc\\", "C:\\Other\\e.lev", "..\\OTHER\\E.LEV"},
        // 表 = 95 5C and ソ = 83 5C: trail bytes that look like backslashes
        // are part of the folder name; upper-casing leaves them alone.
        RelCase{Sjis("C:\\年表"), Sjis("C:\\年表\\ソフト\\e.lev"), Sjis("ソフト\\E.LEV")},
        RelCase{Sjis("C:\\年表"), Sjis("C:\\年表x\\e.lev"), Sjis("..\\年表X\\E.LEV")},
        RelCase{Sjis("C:\\ソ\\a"), Sjis("C:\\ソ\\b.lev"), Sjis("..\\B.LEV")},
        RelCase{Sjis("C:\\ア"), Sjis("C:\\ア\\ッ.lev"), Sjis("ッ.LEV")}),
    [](const ::testing::TestParamInfo<RelCase>& info) {
        return "Case" + std::to_string(info.index);
    });

TEST(WindowsPaths, AbsToRelPathUsesCurrentDirectoryWithoutBase)
{
    const FixedDirPaths paths(CFilePathManager::Windows, "C:\\A\\B");
    std::string rel;
    ASSERT_TRUE(paths.AbsToRelPath("C:\\A\\e.lev", rel, nullptr));
    EXPECT_EQ("..\\E.LEV", rel);

    const FixedDirPaths none(CFilePathManager::Windows, "", false);
    rel = "kept";
    EXPECT_FALSE(none.AbsToRelPath("C:\\A\\e.lev", rel, nullptr));
    EXPECT_EQ("kept", rel);
}

TEST(WindowsPaths, RelPathToCurAbsPath)
{
    const struct
    {
        std::string dir;
        std::string rel;
        bool ok;
        std::string abs;
    } cases[] = {
        {"C:\\Doc", "lib\\e.lev", true, "C:\\Doc\\lib\\e.lev"},
        {"C:\\", "e.lev", true, "C:\\e.lev"},
        {"C:\\Doc", "..\\e.lev", true, "C:\\Doc\\..\\e.lev"},
        {"C:\\Doc", "C:\\x", false, "untouched"},
        {"C:\\Doc", "\\x", false, "untouched"},
        // A folder ending in 表 (95 5C) still needs its separator.
        {Sjis("C:\\年表"), "e.lev", true, Sjis("C:\\年表\\e.lev")},
    };
    for (const auto& c : cases) {
        const FixedDirPaths paths(CFilePathManager::Windows, c.dir);
        std::string abs = "untouched";
        EXPECT_EQ(c.ok, paths.RelPathToCurAbsPath(c.rel, abs)) << Utf8(c.rel);
        EXPECT_EQ(c.abs, abs) << Utf8(c.rel);
    }
}

// ---- Host style -------------------------------------------------------------

TEST(HostPaths, CheckAbsPath)
{
    const CFilePathManager paths;
    EXPECT_EQ(CFilePathManager::Host, paths.Style());
    EXPECT_EQ('/', paths.Separator());
    EXPECT_TRUE(paths.CheckAbsPath("/a/b.lev"));
    EXPECT_FALSE(paths.CheckAbsPath("a/b.lev"));
    EXPECT_FALSE(paths.CheckAbsPath("C:x"));
    EXPECT_FALSE(paths.CheckAbsPath(""));
}

TEST(HostPaths, AbsToRelPathKeepsCase)
{
    const CFilePathManager paths;
    const struct
    {
        const char* base;
        std::string path;
        std::string expected;
    } cases[] = {
        {"/a/b", "/a/x/e.lev", "../x/e.lev"},
        {"/doc", "/doc/lib/e.lev", "lib/e.lev"},
        {"/doc", "/doc/Lib/E.lev", "Lib/E.lev"},
        {"/doc/", "/doc/e.lev", "e.lev"},
        {"/", "/x/e.lev", "x/e.lev"},
        {"/a/b/c", "/x.lev", "../../../x.lev"},
        {"/Doc", "/doc/e.lev", "../doc/e.lev"}, // names are case-sensitive here
        {"/doc", "lib/e.lev", "lib/e.lev"},     // already relative
        {"/doc", "/doc//lib/./e.lev", "lib/e.lev"},
        {"/a/bc", "/a/b/e.lev", "../b/e.lev"},
    };
    for (const auto& c : cases) {
        std::string rel;
        ASSERT_TRUE(paths.AbsToRelPath(c.path, rel, c.base)) << c.path;
        EXPECT_EQ(c.expected, rel) << c.base << " | " << c.path;
    }
}

TEST(HostPaths, RelativeResultResolvesToTheSameFile)
{
    TempDir dir;
    ASSERT_EQ(0, mkdir(dir.File("doc").c_str(), 0755));
    ASSERT_EQ(0, mkdir(dir.File("lib").c_str(), 0755));
    TempDir::Write(dir.File("lib/e.lev"), "content");

    const CFilePathManager paths;
    ASSERT_TRUE(CFilePathManager::SetCurrentDir(dir.File("doc")));
    std::string rel;
    ASSERT_TRUE(paths.AbsToRelPath(dir.File("lib/e.lev"), rel, nullptr));
    EXPECT_EQ("../lib/e.lev", rel);
    EXPECT_EQ("content", TempDir::Read(rel));

    std::string abs;
    ASSERT_TRUE(paths.RelPathToCurAbsPath(rel, abs));
    std::string cwd;
    ASSERT_TRUE(CFilePathManager::GetCurrentDir(cwd));
    EXPECT_EQ(cwd + "/../lib/e.lev", abs);
    EXPECT_FALSE(paths.RelPathToCurAbsPath("/abs", abs));
}

TEST(HostPaths, CurrentDirectory)
{
    TempDir dir;
    std::string before;
    ASSERT_TRUE(CFilePathManager::GetCurrentDir(before));
    EXPECT_FALSE(CFilePathManager::SetCurrentDir(""));
    EXPECT_FALSE(CFilePathManager::SetCurrentDir(dir.File("missing")));
    TempDir::Write(dir.File("file"), "x");
    EXPECT_FALSE(CFilePathManager::SetCurrentDir(dir.File("file")));
    std::string after;
    ASSERT_TRUE(CFilePathManager::GetCurrentDir(after));
    EXPECT_EQ(before, after);

    ASSERT_TRUE(CFilePathManager::SetCurrentDir(dir.Path()));
    ASSERT_TRUE(CFilePathManager::GetCurrentDir(after));
    char real[4096];
    ASSERT_NE(nullptr, realpath(dir.Path().c_str(), real));
    EXPECT_EQ(std::string(real), after);
}

TEST(HostPaths, FromStoredPath)
{
    EXPECT_EQ("LIB/E.LEV", CFilePathManager::FromStoredPath("LIB\\E.LEV"));
    EXPECT_EQ("../X/E.LEV", CFilePathManager::FromStoredPath("..\\X\\E.LEV"));
    EXPECT_EQ("a/b", CFilePathManager::FromStoredPath("a/b"));
    // 表 and ソ keep their 5C trail bytes.
    EXPECT_EQ(Sjis("年表/ソ.lev"), CFilePathManager::FromStoredPath(Sjis("年表\\ソ.lev")));
}

TEST(HostPaths, FolderOf)
{
    EXPECT_EQ("/home/u/doc", CFilePathManager::FolderOf("/home/u/doc/work.anx"));
    EXPECT_EQ("work.anx", CFilePathManager::FolderOf("work.anx"));
    EXPECT_EQ("", CFilePathManager::FolderOf(""));
    EXPECT_EQ("/", CFilePathManager::FolderOf("/work.anx"));
    EXPECT_EQ("lib", CFilePathManager::FolderOf("lib/e.lev"));
}

TEST(HostPaths, ResolveExistingMatchesCaseInsensitively)
{
    TempDir dir;
    ASSERT_EQ(0, mkdir(dir.File("Lib").c_str(), 0755));
    TempDir::Write(dir.File("Lib/Event.lev"), "x");
    const std::string utf8Name = dir.File("Lib/年表.lev");
    TempDir::Write(utf8Name, "y");

    // Exact names come back as they are, even when missing.
    EXPECT_EQ(dir.File("Lib/Event.lev"),
              CFilePathManager::ResolveExisting(dir.File("Lib/Event.lev")));
    EXPECT_EQ(dir.File("Lib/Event.lev"),
              CFilePathManager::ResolveExisting(dir.File("LIB/EVENT.LEV")));
    EXPECT_EQ(dir.File("Lib/Event.lev"),
              CFilePathManager::ResolveExisting(dir.File("lib//event.LEV")));
    EXPECT_EQ(utf8Name, CFilePathManager::ResolveExisting(dir.File("LIB/年表.LEV")));
    EXPECT_EQ(dir.File("LIB/MISSING.LEV"),
              CFilePathManager::ResolveExisting(dir.File("LIB/MISSING.LEV")));
    EXPECT_EQ(dir.File("NONE/EVENT.LEV"),
              CFilePathManager::ResolveExisting(dir.File("NONE/EVENT.LEV")));
    // A file used as a folder does not resolve.
    EXPECT_EQ(dir.File("LIB/EVENT.LEV/X"),
              CFilePathManager::ResolveExisting(dir.File("LIB/EVENT.LEV/X")));
    EXPECT_EQ("", CFilePathManager::ResolveExisting(""));

    // Relative paths resolve against the current directory and stay relative.
    ASSERT_TRUE(CFilePathManager::SetCurrentDir(dir.Path()));
    EXPECT_EQ("Lib/Event.lev", CFilePathManager::ResolveExisting("LIB/EVENT.LEV"));
    EXPECT_EQ("./Lib/Event.lev", CFilePathManager::ResolveExisting("./lib/event.lev"));
}

TEST(HostPaths, ResolveExistingPrefersTheExactName)
{
    TempDir dir;
    TempDir::Write(dir.File("e.lev"), "lower");
    TempDir::Write(dir.File("E.LEV"), "upper");
    TempDir::Write(dir.File("E.lev"), "mixed");
    EXPECT_EQ(dir.File("E.LEV"), CFilePathManager::ResolveExisting(dir.File("E.LEV")));
    // Several candidates, none exact: the choice is stable.
    const std::string first = CFilePathManager::ResolveExisting(dir.File("e.LEV"));
    EXPECT_EQ(first, CFilePathManager::ResolveExisting(dir.File("e.LEV")));
    EXPECT_EQ(dir.File("E.LEV"), first);
}

TEST(FilePathManager, CopiesKeepTheStyle)
{
    CFilePathManager windows(CFilePathManager::Windows);
    CFilePathManager copy = windows;
    EXPECT_EQ(CFilePathManager::Windows, copy.Style());
    CFilePathManager host;
    host = windows;
    EXPECT_EQ('\\', host.Separator());
}

} // namespace
