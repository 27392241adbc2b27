#include "TableBase.h"

#include "DataMessages.h"
#include "FilePathManager.h"
#include "FullDisk.h"
#include "SaveFile.h"
#include "ScriptedHostServices.h"
#include "Sjis.h"
#include "TempDir.h"
#include "TestDocument.h"
#include "TextFileReader.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <sys/stat.h>
#include <vector>

namespace {

// ---- Field codec -----------------------------------------------------------

struct CodecCase
{
    std::string line;
    int start;
    int result;
    std::string field; // "<unchanged>" when the output must be left alone
};

class FieldCodec : public ::testing::TestWithParam<CodecCase>
{
};

TEST_P(FieldCodec, ReadsOneField)
{
    const CodecCase& c = GetParam();
    std::string out = "<unchanged>";
    EXPECT_EQ(c.result, CTableBase::GetElementFromCSV(c.line, c.start, out));
    EXPECT_EQ(c.field, out);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, FieldCodec,
    ::testing::Values(CodecCase{"1999, 3, 4", 0, 4, "1999"}, CodecCase{"1999, 3, 4", 5, 7, "3"},
                      CodecCase{"1999, 3, 4", 8, 10, "4"},
                      CodecCase{"1999, 3, 4", 11, -1, "<unchanged>"},
                      CodecCase{"1999, 3, 4", 10, -1, "<unchanged>"},
                      CodecCase{"\"a \"\"b\"\", c\", 5", 0, 12, "a \"b\", c"},
                      CodecCase{"\"abc\" xyz, 1", 0, 9, "abc"},
                      // No comma after the closing quote: the quote's index.
                      CodecCase{"\"abc\"", 0, 4, "abc"}, CodecCase{"\"abc\" x", 0, 4, "abc"},
                      CodecCase{"\"abc", 0, 4, "abc"}, // never closed: runs to the end
                      CodecCase{"\r", 0, -1, "<unchanged>"}, CodecCase{"", 0, -1, "<unchanged>"},
                      CodecCase{"a,\r", 2, -1, "<unchanged>"}, CodecCase{"   ", 0, 3, ""},
                      CodecCase{" \t ,x", 0, 3, ""}, CodecCase{",x", 0, 0, ""},
                      CodecCase{"a,", 2, -1, "<unchanged>"}, CodecCase{"a\"\"b,c", 0, 4, "a\"b"},
                      CodecCase{"a\"b,c", 0, 3, "a\"b"}, CodecCase{"\t x \r", 0, 5, "x"},
                      CodecCase{"\"\"", 0, 1, ""}, CodecCase{"\"\",x", 0, 2, ""},
                      CodecCase{"  \" a \" , b", 0, 8, "a"},
                      // Double-byte text: 表 and ソ end in 5C, ー (81 5B) and others pass whole.
                      CodecCase{Sjis("表,ソ"), 0, 2, Sjis("表")},
                      CodecCase{Sjis("表,ソ"), 3, 5, Sjis("ソ")},
                      CodecCase{Sjis("\"年表, 一覧\",x"), 0, 12, Sjis("年表, 一覧")}));

TEST(FieldCodec, ReadsAWholeLineFieldByField)
{
    const std::string line = "1600, \"x, y\",, \"q\"\"\" ,last";
    std::vector<std::string> fields;
    std::string field;
    for (int p = CTableBase::GetElementFromCSV(line, 0, field); p >= 0;
         p = CTableBase::GetElementFromCSV(line, p + 1, field)) {
        fields.push_back(field);
    }
    EXPECT_EQ((std::vector<std::string>{"1600", "x, y", "", "q\"", "last"}), fields);
}

TEST(HeaderParser, KindAndVersion)
{
    const struct
    {
        std::string line;
        std::string kind;
        int version;
    } cases[] = {
        {Sjis("[出来事], 7"), Sjis("[出来事]"), 7},
        {Sjis("[基点年],5"), Sjis("[基点年]"), 5},
        {Sjis("[元号]"), Sjis("[元号]"), 0},
        {Sjis("  [時代]  ,  3  "), Sjis("[時代]"), 3},
        {"[x], -3", "[x]", -3},
        {"[x],abc", "[x]", 0},
        {"[x], 12abc, 9", "[x]", 12},
        {"\"[x]\", 2", "[x]", 2},
        {"[x],", "[x]", 0},
        {"[x], 99999999999", "[x]", INT32_MAX},
        {"", "", 0},
    };
    for (const auto& c : cases) {
        std::string kind = "stale";
        int version = -99;
        EXPECT_TRUE(CTableBase::GetTableKindNameAndFileVer(c.line, kind, version));
        EXPECT_EQ(c.kind, kind) << Utf8(c.line);
        EXPECT_EQ(c.version, version) << Utf8(c.line);
    }
}

TEST(ParseInt, LeadingDigitsSaturated)
{
    const struct
    {
        std::string text;
        size_t from;
        int32_t value;
    } cases[] = {
        {"", 0, 0},
        {"-", 0, 0},
        {"+", 0, 0},
        {"abc", 0, 0},
        {"  +42x", 0, 42},
        {"\t-17", 0, -17},
        {"- 5", 0, 0},
        {"007", 0, 7},
        {"2147483647", 0, INT32_MAX},
        {"2147483648", 0, INT32_MAX},
        {"-2147483648", 0, INT32_MIN},
        {"-2147483649", 0, INT32_MIN},
        {"99999999999999999999999999", 0, INT32_MAX},
        {"-99999999999999999999999999", 0, INT32_MIN},
        {"1999,3", 5, 3},
        {"12", 5, 0},
    };
    for (const auto& c : cases)
        EXPECT_EQ(c.value, CTableBase::ParseInt(c.text, c.from)) << c.text;
}

TEST(QuoteHeaderField, ComesBackWholeThroughTheCodec)
{
    const std::string texts[] = {
        "plain", "a,b",   "\"lead",      "x \"q\" y",  "say \"\"hi\"\"", "a\"\"b",       ",", "\"",
        "\"\"",  "end\"", Sjis("表,ソ"), Sjis("年表"), Sjis("\"表\""),   "many,,commas", "",
    };
    for (const std::string& text : texts) {
        const std::string field = CTableBase::QuoteHeaderField(text);
        std::string back = "stale";
        const int p = CTableBase::GetElementFromCSV(field, 0, back);
        if (text.empty()) {
            EXPECT_EQ("", field);
            continue;
        }
        EXPECT_GE(p, 0) << Utf8(text);
        EXPECT_EQ(text, back) << Utf8(text) << " written as " << Utf8(field);
        // A field that needs no quoting is written as it is.
        if (text.find_first_of(",\"") == std::string::npos) {
            EXPECT_EQ(text, field);
        }
    }
}

// ---- Fields, flag, folders and kinds ---------------------------------------

TEST(TableFields, SettersSetTheModifiedFlagOnlyOnChange)
{
    CTableBase t;
    EXPECT_FALSE(t.GetModified());

    t.SetTableName("");
    t.SetExplanation("");
    t.SetTodayDate(false);
    EXPECT_FALSE(t.GetModified()) << "unchanged values";

    t.SetTableName("name");
    EXPECT_TRUE(t.GetModified());
    t.SetModified(false);
    t.SetTableName("name");
    EXPECT_FALSE(t.GetModified());
    t.SetExplanation("text");
    EXPECT_TRUE(t.GetModified());
    t.SetModified(false);
    t.SetTodayDate(true);
    EXPECT_TRUE(t.GetModified());
    t.SetModified(false);
    t.SetFileName("e.lev"); // the file name is not content
    EXPECT_FALSE(t.GetModified());

    CTableBase copy = t;
    EXPECT_EQ("name", copy.GetTableName());
    EXPECT_EQ("text", copy.GetExplanation());
    EXPECT_TRUE(copy.GetTodayDate());
    EXPECT_EQ("e.lev", copy.GetFileName());

    t.SetModified(true);
    t.Initialize();
    EXPECT_EQ("", t.GetTableName());
    EXPECT_EQ("", t.GetExplanation());
    EXPECT_EQ("", t.GetFileName());
    EXPECT_FALSE(t.GetTodayDate());
    EXPECT_FALSE(t.GetModified());
    EXPECT_TRUE(t.WriteFile(true, nullptr, HT_EVENT)); // the base writes nothing
}

TEST(TableFields, GetBasePath)
{
    std::string out = "stale";
    EXPECT_FALSE(CTableBase::GetBasePath(out, nullptr));
    EXPECT_EQ("stale", out);

    const struct
    {
        std::string docPath;
        std::string folder;
    } cases[] = {
        {"/data/work.anx", "/data"},
        {"/data/sub/work.anx", "/data/sub"},
        {"", ""},
        {"work.anx", "work.anx"},
        {"/work.anx", "/"},
    };
    for (const auto& c : cases) {
        CTestDocument doc(c.docPath);
        EXPECT_TRUE(CTableBase::GetBasePath(out, &doc));
        EXPECT_EQ(c.folder, out) << c.docPath;
    }
}

TEST(TableFields, FileKinds)
{
    const struct
    {
        EHeaderType kind;
        const char* open;
        const char* save;
        const char* ext;
        const char* openFilter;
        const char* saveFilter;
        const char* tag;
    } cases[] = {
        {HT_EVENT, "出来事ﾃﾞｰﾀの読込み", "出来事ﾃﾞｰﾀの書込み", "lev",
         "出来事ﾃﾞｰﾀ (*.lev)|*.lev|すべてのﾌｧｲﾙ (*.*)|*.*||",
         "出来事ﾃﾞｰﾀ (*.lev)|*.lev|すべてのﾌｧｲﾙ (*.*)|*.*||", "[出来事]"},
        {HT_GENGOU, "元号ﾃﾞｰﾀの読込み", "元号ﾃﾞｰﾀの書込み", "lgn",
         "元号ﾃﾞｰﾀ (*.lgn)|*.lgn|すべてのﾌｧｲﾙ (*.*)|*.*|",
         "元号ﾃﾞｰﾀ (*.lgn)|*.lgn|すべてのﾌｧｲﾙ (*.*)|*.*||", "[元号]"},
        {HT_PERIOD, "時代ﾃﾞｰﾀの読込み", "時代ﾃﾞｰﾀの書込み", "ler",
         "時代ﾃﾞｰﾀ (*.ler)|*.ler|すべてのﾌｧｲﾙ (*.*)|*.*|",
         "時代ﾃﾞｰﾀ (*.ler)|*.ler|すべてのﾌｧｲﾙ (*.*)|*.*||", "[時代]"},
        {HT_BASEYEAR, "基点年ﾃﾞｰﾀの読込み", "基点年ﾃﾞｰﾀの書込み", "lby",
         "基点年ﾃﾞｰﾀ (*.lby)|*.lby|すべてのﾌｧｲﾙ (*.*)|*.*||",
         "基点年ﾃﾞｰﾀ (*.lby)|*.lby|すべてのﾌｧｲﾙ (*.*)|*.*||", "[基点年]"},
    };
    for (const auto& c : cases) {
        const CTableBase::SFileKind& k = CTableBase::FileKind(c.kind);
        EXPECT_STREQ(c.open, k.openTitle);
        EXPECT_STREQ(c.save, k.saveTitle);
        EXPECT_STREQ(c.ext, k.extension);
        EXPECT_STREQ(c.openFilter, k.openFilter);
        EXPECT_STREQ(c.saveFilter, k.saveFilter);
        EXPECT_EQ(Sjis(c.tag), k.tag);
    }
    EXPECT_STREQ("", CTableBase::FileKind(HT_NONE).tag);
}

// ---- Read and write flows ---------------------------------------------------

class CFlowTable : public CTableBase
{
public:
    using CTableBase::EOpenResult;
    using CTableBase::OpenCancelled;
    using CTableBase::OpenFailed;
    using CTableBase::OpenForRead;
    using CTableBase::OpenOk;

    bool WriteFile(bool askName, CDocument* doc, EHeaderType kind) override
    {
        return WriteWithFlow(askName, doc, kind, m_showCause,
                             [this](std::string& out) { out = m_content; });
    }

    std::string m_content = "new content\r\n";
    bool m_showCause = true;
};

std::string CurrentDir()
{
    std::string dir;
    CFilePathManager::GetCurrentDir(dir);
    return dir;
}

class FlowTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_EQ(0, mkdir(m_dir.File("doc").c_str(), 0755));
        ASSERT_EQ(0, mkdir(m_dir.File("lib").c_str(), 0755));
        // The temporary folder may itself lie behind a link; compare real paths.
        char real[4096];
        ASSERT_NE(nullptr, realpath(m_dir.Path().c_str(), real));
        m_root = real;
    }
    void TearDown() override { CSaveFile::SetWriteFunctionForTesting(nullptr); }

    TempDir m_dir;
    std::string m_root;
    CScriptedHostServices m_host;
    CHostServicesScope m_scope{m_host};
};

TEST_F(FlowTest, ReadCancelledDialogChangesNothing)
{
    CFlowTable t;
    t.SetTableName("kept");
    t.SetModified(false);
    CTextFileReader reader;
    EXPECT_EQ(CFlowTable::OpenCancelled, t.OpenForRead(nullptr, HT_PERIOD, reader));
    EXPECT_EQ("", t.GetFileName());
    EXPECT_EQ("kept", t.GetTableName());
    EXPECT_FALSE(t.GetModified());
    ASSERT_EQ(1u, m_host.Records().size());
    const auto& r = m_host.Records()[0];
    EXPECT_EQ(CScriptedHostServices::SRecord::OpenDialog, r.kind);
    EXPECT_EQ("時代ﾃﾞｰﾀの読込み", r.text);
    EXPECT_EQ("ler", r.request.defaultExtension);
    EXPECT_EQ("ﾗｲﾌﾞﾗﾘ", r.request.initialFolder);
    EXPECT_TRUE(r.request.flags & SFileDialogRequest::FileMustExist);
    EXPECT_TRUE(r.request.flags & SFileDialogRequest::NoChangeDir);
    EXPECT_TRUE(m_host.Messages().empty());
}

TEST_F(FlowTest, ReadNamesFromArgumentDialogAndCurrentFolder)
{
    TempDir::Write(m_dir.File("lib/e.lev"), "line\r\n");

    CFlowTable chosen;
    m_host.QueueFileName(m_dir.File("lib/e.lev"));
    CTextFileReader reader;
    ASSERT_EQ(CFlowTable::OpenOk, chosen.OpenForRead(nullptr, HT_EVENT, reader));
    EXPECT_EQ(m_dir.File("lib/e.lev"), chosen.GetFileName());
    EXPECT_EQ("line\r\n", reader.Content());

    // A relative name is taken from the current folder and kept absolute.
    ASSERT_TRUE(CFilePathManager::SetCurrentDir(m_dir.File("lib")));
    CFlowTable relative;
    ASSERT_EQ(CFlowTable::OpenOk, relative.OpenForRead("e.lev", HT_EVENT, reader));
    EXPECT_EQ(m_root + "/lib/e.lev", relative.GetFileName());

    // An empty argument keeps the name the table already has.
    CFlowTable named;
    named.SetFileName(m_dir.File("lib/e.lev"));
    ASSERT_EQ(CFlowTable::OpenOk, named.OpenForRead("", HT_EVENT, reader));
    EXPECT_EQ(1u, m_host.Records().size()); // only the first read asked
}

TEST_F(FlowTest, ReadFindsNamesStoredInOtherCase)
{
    TempDir::Write(m_dir.File("lib/Event.lev"), "x");
    ASSERT_TRUE(CFilePathManager::SetCurrentDir(m_dir.Path()));
    CFlowTable t;
    CTextFileReader reader;
    ASSERT_EQ(CFlowTable::OpenOk, t.OpenForRead("LIB/EVENT.LEV", HT_EVENT, reader));
    EXPECT_EQ(m_root + "/lib/Event.lev", t.GetFileName());
    EXPECT_EQ("x", reader.Content());

    CFlowTable missing;
    EXPECT_EQ(CFlowTable::OpenFailed, missing.OpenForRead("LIB/NONE.LEV", HT_EVENT, reader));
    EXPECT_EQ(m_root + "/LIB/NONE.LEV", missing.GetFileName());
    EXPECT_EQ(ENOENT, reader.ErrorNumber());

    CFlowTable folder;
    EXPECT_EQ(CFlowTable::OpenFailed,
              folder.OpenForRead(m_dir.File("lib").c_str(), HT_EVENT, reader));
    EXPECT_TRUE(m_host.Messages().empty()); // the callers report
}

TEST_F(FlowTest, WriteCancelWritesNothing)
{
    CTestDocument doc(m_dir.File("doc/work.anx"));
    CFlowTable t;
    t.SetTableName("Events");
    const std::string before = CurrentDir();
    EXPECT_FALSE(t.WriteFile(false, &doc, HT_EVENT)); // no name yet: asks anyway
    EXPECT_EQ("", t.GetFileName());
    EXPECT_TRUE(t.GetModified());
    EXPECT_EQ(before, CurrentDir());
    EXPECT_TRUE(TempDir::Names(m_dir.File("doc")).empty());
    ASSERT_EQ(1u, m_host.Records().size());
    const auto& r = m_host.Records()[0];
    EXPECT_EQ(CScriptedHostServices::SRecord::SaveDialog, r.kind);
    EXPECT_EQ("出来事ﾃﾞｰﾀの書込み", r.text);
    EXPECT_EQ("Events", r.request.proposedName); // the table name when there is no file
    EXPECT_TRUE(r.request.flags & SFileDialogRequest::OverwritePrompt);

    t.SetFileName("E.LEV");
    EXPECT_FALSE(t.WriteFile(true, &doc, HT_EVENT));
    EXPECT_EQ("E.LEV", m_host.Records()[1].request.proposedName);
    EXPECT_EQ("E.LEV", t.GetFileName());
}

TEST_F(FlowTest, WriteStoresTheNameRelativeToTheDocumentFolder)
{
    CTestDocument doc(m_dir.File("doc/work.anx"));
    CFlowTable t;
    t.SetTableName("x");
    m_host.QueueFileName(m_root + "/lib/e.lev");
    ASSERT_TRUE(t.WriteFile(true, &doc, HT_EVENT));
    EXPECT_EQ("../lib/e.lev", t.GetFileName());
    EXPECT_FALSE(t.GetModified());
    EXPECT_EQ(m_root + "/doc", CurrentDir());
    EXPECT_EQ("new content\r\n", TempDir::Read(m_dir.File("lib/e.lev")));

    // Saving again without the dialog uses the stored relative name.
    t.m_content = "second\r\n";
    t.SetModified(true);
    ASSERT_TRUE(CFilePathManager::SetCurrentDir(m_dir.Path()));
    ASSERT_TRUE(t.WriteFile(false, &doc, HT_EVENT));
    EXPECT_EQ("../lib/e.lev", t.GetFileName());
    EXPECT_EQ("second\r\n", TempDir::Read(m_dir.File("lib/e.lev")));
    EXPECT_EQ(1u, m_host.Records().size());
    EXPECT_TRUE(m_host.Messages().empty());

    // A name in the document folder keeps its case.
    CFlowTable beside;
    beside.SetFileName(m_root + "/doc/Mixed.LEV");
    ASSERT_TRUE(beside.WriteFile(false, &doc, HT_EVENT));
    EXPECT_EQ("Mixed.LEV", beside.GetFileName());
    EXPECT_EQ((std::vector<std::string>{"Mixed.LEV"}), TempDir::Names(m_dir.File("doc")));
}

TEST_F(FlowTest, WriteForAnUnsavedDocumentUsesTheCurrentFolder)
{
    CTestDocument unsaved("");
    ASSERT_TRUE(CFilePathManager::SetCurrentDir(m_dir.File("lib")));
    CFlowTable t;
    t.SetFileName("e.lev");
    ASSERT_TRUE(t.WriteFile(false, &unsaved, HT_EVENT));
    EXPECT_EQ("e.lev", t.GetFileName());
    EXPECT_EQ(m_root + "/lib", CurrentDir());
    EXPECT_EQ("new content\r\n", TempDir::Read(m_dir.File("lib/e.lev")));
}

TEST_F(FlowTest, FailedWriteKeepsTheOldFileAndTheFlag)
{
    CTestDocument doc(m_dir.File("doc/work.anx"));
    TempDir::Write(m_dir.File("doc/e.lev"), "old\r\n");
    for (bool showCause : {true, false}) {
        m_host.Clear();
        CFlowTable t;
        t.m_showCause = showCause;
        t.SetFileName("e.lev");
        t.SetModified(true);
        CSaveFile::SetWriteFunctionForTesting(&FullDiskWrite);
        EXPECT_FALSE(t.WriteFile(false, &doc, HT_EVENT));
        CSaveFile::SetWriteFunctionForTesting(nullptr);

        EXPECT_TRUE(t.GetModified());
        EXPECT_EQ("old\r\n", TempDir::Read(m_dir.File("doc/e.lev")));
        EXPECT_EQ((std::vector<std::string>{"e.lev"}), TempDir::Names(m_dir.File("doc")));
        std::vector<std::string> expected{"ファイル e.lev への書き込みに失敗しました"};
        if (showCause)
            expected.push_back(std::to_string(CSaveFile::DiskFull));
        EXPECT_EQ(expected, m_host.Messages());
        EXPECT_EQ(CDataMessages::Format(CDataMessages::WriteFailed, "e.lev"), expected[0]);
    }
}

TEST_F(FlowTest, WriteIntoAMissingFolderFails)
{
    CTestDocument doc(m_dir.File("doc/work.anx"));
    CFlowTable t;
    t.SetModified(true);
    m_host.QueueFileName(m_root + "/gone/e.lev");
    EXPECT_FALSE(t.WriteFile(true, &doc, HT_GENGOU));
    EXPECT_TRUE(t.GetModified());
    ASSERT_EQ(2u, m_host.Messages().size());
    EXPECT_EQ("ファイル ../gone/e.lev への書き込みに失敗しました", m_host.Messages()[0]);
    EXPECT_EQ(std::to_string(CSaveFile::FileNotFound), m_host.Messages()[1]);
    EXPECT_EQ((std::vector<std::string>{"doc", "lib"}), TempDir::Names(m_dir.Path()));
}

TEST_F(FlowTest, WriteWhenTheDocumentFolderIsGoneKeepsTheCurrentFolder)
{
    CTestDocument doc(m_dir.File("removed/work.anx"));
    ASSERT_TRUE(CFilePathManager::SetCurrentDir(m_dir.File("lib")));
    CFlowTable t;
    t.SetFileName("e.lev");
    ASSERT_TRUE(t.WriteFile(false, &doc, HT_BASEYEAR));
    EXPECT_EQ(m_root + "/lib", CurrentDir());
    EXPECT_EQ("new content\r\n", TempDir::Read(m_dir.File("lib/e.lev")));
}

} // namespace
