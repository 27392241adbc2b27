#include "Sjis.h"
#include "TempDir.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <sys/stat.h>
#include <sys/wait.h>

namespace {

struct SRun
{
    int exitCode = -1;
    std::string err;
    std::string out;
};

// Runs the program in dir with the arguments (already shell-quoted).
SRun RunProgram(const TempDir& dir, const std::string& arguments)
{
    const std::string err = dir.File("stderr.txt");
    const std::string out = dir.File("stdout.txt");
    const std::string command = "cd '" + dir.Path() + "' && '" + ANNALUX_EXE + "' " + arguments +
                                " >'" + out + "' 2>'" + err + "'";
    int status = std::system(command.c_str());
    SRun run;
    run.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    run.err = TempDir::Read(err);
    run.out = TempDir::Read(out);
    return run;
}

bool Exists(const std::string& path)
{
    struct stat st;
    return ::stat(path.c_str(), &st) == 0;
}

TEST(BatchCommands, HelpAndUsageErrors)
{
    TempDir dir;
    SRun help = RunProgram(dir, "--help");
    EXPECT_EQ(help.exitCode, 0);
    EXPECT_NE(help.out.find("--import-csv INPUT OUTPUT"), std::string::npos);
    EXPECT_NE(help.out.find("--export-csv INPUT OUTPUT"), std::string::npos);

    for (const char* wrong : {"--bogus", "--import-csv only-one", "--export-csv a b c"}) {
        SRun run = RunProgram(dir, wrong);
        EXPECT_EQ(run.exitCode, 2) << wrong;
        EXPECT_NE(run.err.find("Usage: annalux"), std::string::npos) << wrong;
        EXPECT_TRUE(run.out.empty()) << wrong;
    }
}

TEST(BatchCommands, ImportThenExportWithRelativePaths)
{
    TempDir dir;
    TempDir::Write(dir.File("in.csv"),
                   Sjis("[出来事],7\r\n年表\r\n\r\n0\r\n1603,2,12,江戸幕府,\"二\r\n行\",0,0,,0\r\n"
                        "1600,9,15,関ヶ原,,0,0,,0\r\n"));
    SRun import = RunProgram(dir, "--import-csv in.csv 'out put.lev'");
    EXPECT_EQ(import.exitCode, 0) << import.err;
    EXPECT_TRUE(import.err.empty());
    const std::string lib = TempDir::Read(dir.File("out put.lev"));
    EXPECT_LT(lib.find(Sjis("関ヶ原")), lib.find(Sjis("江戸幕府")));

    SRun exported = RunProgram(dir, "--export-csv 'out put.lev' back.csv");
    EXPECT_EQ(exported.exitCode, 0) << exported.err;
    EXPECT_NE(TempDir::Read(dir.File("back.csv")).find(Sjis("\"二\n行\"")), std::string::npos);
}

TEST(BatchCommands, FailuresExitOneWithMessageAndNoOutput)
{
    TempDir dir;
    TempDir::Write(dir.File("bad.csv"), "no tag here\r\nT\r\n");
    TempDir::Write(dir.File("broken.csv"), Sjis("[出来事],7\r\nT\r\n\r\n0\r\nbroken\r\n"));
    TempDir::Write(dir.File("kept.lev"), "old");

    struct SCase
    {
        std::string arguments;
        std::string message;
        std::string output;
    } cases[] = {
        {"--import-csv missing.csv a.lev", "ファイルが存在しないか", "a.lev"},
        {"--import-csv bad.csv b.lev", "指定したファイル内容が不正です", "b.lev"},
        {"--import-csv broken.csv kept.lev", "のフォーマットが正しくありません", "kept.lev"},
        {"--import-csv " + dir.File("broken.csv") + " c.lev", "のフォーマットが正しくありません",
         "c.lev"},
        {"--export-csv missing.lev d.csv", "missing.lev を開けませんでした", "d.csv"},
        {"--export-csv bad.csv e.csv", "指定したファイル内容が不正です", "e.csv"},
    };
    for (const SCase& c : cases) {
        SRun run = RunProgram(dir, c.arguments);
        EXPECT_EQ(run.exitCode, 1) << c.arguments;
        EXPECT_NE(run.err.find(c.message), std::string::npos) << c.arguments << ": " << run.err;
        if (c.output == "kept.lev") {
            EXPECT_EQ(TempDir::Read(dir.File(c.output)), "old");
        } else {
            EXPECT_FALSE(Exists(dir.File(c.output))) << c.arguments;
        }
    }
}

} // namespace

namespace {

// The sample chronology copied into dir (opening a project may touch its
// folder's libraries' names, never the repository's).
void CopySamples(const TempDir& dir)
{
    const std::string command = std::string("cp '") + ANNALUX_SAMPLES_DIR + "'/*.l?? '" +
                                ANNALUX_SAMPLES_DIR + "/sample.anx' '" + dir.Path() + "'";
    ASSERT_EQ(0, std::system(command.c_str()));
}

TEST(BatchCommands, HtmlPageAndTableCsvOfAProject)
{
    TempDir dir;
    CopySamples(dir);
    SRun html = RunProgram(dir, "--export-html page.html --from 1600 --to 1700 sample.anx");
    EXPECT_EQ(0, html.exitCode) << html.err;
    const std::string page = TempDir::Read(dir.File("page.html"));
    EXPECT_EQ(0u, page.find("<!DOCTYPE HTML PUBLIC"));
    EXPECT_NE(std::string::npos, page.find("<A NAME=\"1600\">"));
    EXPECT_EQ(std::string::npos, page.find("<A NAME=\"1868\">"));

    SRun once = RunProgram(dir, "--export-table-csv once.csv sample.anx");
    SRun every = RunProgram(dir, "--export-table-csv every.csv --every-row sample.anx");
    EXPECT_EQ(0, once.exitCode) << once.err;
    EXPECT_EQ(0, every.exitCode) << every.err;
    const std::string a = TempDir::Read(dir.File("once.csv"));
    const std::string b = TempDir::Read(dir.File("every.csv"));
    EXPECT_EQ(0u, a.find("-3000,"));
    EXPECT_EQ(std::count(a.begin(), a.end(), '\n'), std::count(b.begin(), b.end(), '\n'));
    EXPECT_LT(a.size(), b.size()); // years repeated on the rows of a bucket
}

TEST(BatchCommands, TableExportsRefuseWrongUsageAndKeepTheOldFileOnFailure)
{
    TempDir dir;
    CopySamples(dir);
    for (const char* wrong : {"--export-html out.html", "--export-html out.html --from x sample.anx",
                              "--export-html out.html --from 1950 --to 1900 sample.anx",
                              "--export-table-csv out.csv --bogus sample.anx"}) {
        SRun run = RunProgram(dir, wrong);
        EXPECT_EQ(2, run.exitCode) << wrong;
        EXPECT_FALSE(Exists(dir.File("out.html")) || Exists(dir.File("out.csv"))) << wrong;
    }
    SRun missing = RunProgram(dir, "--export-html out.html none.anx");
    EXPECT_EQ(1, missing.exitCode);
    EXPECT_FALSE(Exists(dir.File("out.html")));

    // A folder that does not exist: the message, exit 1.
    SRun locked = RunProgram(dir, "--export-table-csv no/such/dir/x.csv sample.anx");
    EXPECT_EQ(1, locked.exitCode);
    EXPECT_NE(std::string::npos, locked.err.find("を開けませんでした"));
    SRun lockedHtml = RunProgram(dir, "--export-html no/such/dir/x.html sample.anx");
    EXPECT_EQ(1, lockedHtml.exitCode);
    EXPECT_NE(std::string::npos, lockedHtml.err.find("HTMLファイルの生成に失敗しました"));
}

} // namespace
