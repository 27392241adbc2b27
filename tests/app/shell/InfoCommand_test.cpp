#include "AnnaluxDoc.h"
#include "AppTest.h"
#include "Archive.h"
#include "BaseYear.h"
#include "GengouEra.h"
#include "ScriptedHostServices.h"
#include "Settings.h"
#include "Sjis.h"
#include "TempDir.h"
#include "YearEvent.h"

#include <QByteArray>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

// The program sits in the build tree at app/annalux; this test at
// tests/app/<name>.
std::string ProgramPath()
{
    char self[4096];
    const ssize_t n = ::readlink("/proc/self/exe", self, sizeof self - 1);
    if (n <= 0)
        return "annalux";
    std::string path(self, static_cast<size_t>(n));
    for (int up = 0; up < 3; ++up)
        path = path.substr(0, path.find_last_of('/'));
    return path + "/app/annalux";
}

struct SRun
{
    int exitCode = -1;
    std::string out;
    std::string err;
};

// Runs the program with its settings in folder (so the user's are never
// read) and collects both output streams.
SRun RunProgram(const TempDir& folder, const std::string& arguments)
{
    const std::string errFile = folder.File("stderr.txt");
    const std::string command = "XDG_CONFIG_HOME='" + folder.File("config") + "' HOME='" +
                                folder.Path() + "' '" + ProgramPath() + "' " + arguments + " 2>'" +
                                errFile + "'";
    SRun run;
    FILE* pipe = ::popen(command.c_str(), "r");
    if (!pipe)
        return run;
    char buffer[4096];
    size_t got = 0;
    while ((got = std::fread(buffer, 1, sizeof buffer, pipe)) > 0)
        run.out.append(buffer, got);
    const int status = ::pclose(pipe);
    run.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    run.err = TempDir::Read(errFile);
    return run;
}

class InfoCommand : public AppTest
{
protected:
    InfoCommand() { ::mkdir(m_dir.File("lib").c_str(), 0755); }

    void SetUp() override
    {
        struct stat st;
        if (::stat(ProgramPath().c_str(), &st) != 0)
            GTEST_FAIL() << "the program is not built: " << ProgramPath();
    }

    static QJsonObject Parse(const std::string& out)
    {
        QJsonParseError error;
        const QJsonDocument json =
            QJsonDocument::fromJson(QByteArray(out.data(), static_cast<int>(out.size())), &error);
        EXPECT_EQ(error.error, QJsonParseError::NoError) << out;
        return json.object();
    }
};

TEST_F(InfoCommand, DescribesAProjectMadeHere)
{
    const std::string eventsPath = m_dir.File("lib/events.lev");
    {
        CYearEvent events;
        events.SetTableName(Sjis("日本史"));
        for (int year : {1543, 1600, 1603}) {
            SEventData rec;
            rec.year = year;
            rec.text = "e";
            events.SetData(rec, true, -1, EP_EVERY);
        }
        TempDir::Write(eventsPath, events.MakeFileContent());
        CGengouEra eras;
        eras.SetTableName(Sjis("元号"));
        eras.SetData(Sjis("慶長"), 1596, 1615, "");
        TempDir::Write(m_dir.File("lib/g.lgn"), eras.MakeFileContent(HT_GENGOU));
        CBaseYear base;
        base.SetTableName("Base \"quoted\"");
        base.SetBaseWesternYear(1543);
        TempDir::Write(m_dir.File("lib/b.lby"), base.MakeFileContent());
    }
    {
        CAnnaluxDoc doc;
        auto events = std::make_unique<CYearEvent>();
        ASSERT_TRUE(events->ReadFile(eventsPath.c_str(), false));
        auto eras = std::make_unique<CGengouEra>();
        ASSERT_TRUE(eras->ReadFile(m_dir.File("lib/g.lgn").c_str(), HT_GENGOU, true));
        auto base = std::make_unique<CBaseYear>();
        ASSERT_TRUE(base->ReadFile(m_dir.File("lib/b.lby").c_str()));
        doc.GetColumns().EnsureYearColumn(50);
        doc.GetColumns().Insert(4, doc.AddEventTable(std::move(events)), 1, 500);
        doc.GetColumns().Insert(1, doc.AddEraNameTable(std::move(eras)), 2, 60);
        doc.GetColumns().Insert(2, doc.AddBaseYearTable(std::move(base)), 3, 70);
        doc.SetScaleYear(10);
        doc.SetRange(true, 1500, 1700);
        doc.SetDescription(Sjis("説明\r\n二行目"));
        doc.SetColor(CAnnaluxDoc::LinkColor, 0x00FF00);
        doc.SetTextMargin(2);
        ASSERT_TRUE(doc.OnSaveDocument(m_dir.File("made here.anx")));
    }

    const SRun run = RunProgram(m_dir, "--info '" + m_dir.File("made here.anx") + "'");
    EXPECT_EQ(run.exitCode, 0) << run.err;
    EXPECT_EQ(run.err, "");
    const QJsonObject info = Parse(run.out);
    EXPECT_EQ(info["version"].toInt(), 10);
    const QJsonArray columns = info["columns"].toArray();
    ASSERT_EQ(columns.size(), 4);
    const struct
    {
        int kind;
        const char* title;
        std::string file;
        int left, width, records;
    } expected[] = {
        {0, "西暦", "", 0, 50, -1},
        {4, "日本史", eventsPath, 50, 500, 3},
        {1, "元号", m_dir.File("lib/g.lgn"), 550, 60, 1},
        {2, "Base \"quoted\"", m_dir.File("lib/b.lby"), 610, 70, -1},
    };
    for (int i = 0; i < 4; ++i) {
        SCOPED_TRACE(i);
        const QJsonObject column = columns[i].toObject();
        EXPECT_EQ(column["kind"].toInt(), expected[i].kind);
        EXPECT_EQ(column["title"].toString().toStdString(), expected[i].title);
        EXPECT_EQ(column["file"].toString().toStdString(), expected[i].file);
        EXPECT_EQ(column["left"].toInt(), expected[i].left);
        EXPECT_EQ(column["width"].toInt(), expected[i].width);
        EXPECT_EQ(column.contains("records"), expected[i].records >= 0);
        if (expected[i].records >= 0) {
            EXPECT_EQ(column["records"].toInt(), expected[i].records);
        }
    }
    EXPECT_EQ(info["scaleYear"].toInt(), 10);
    EXPECT_EQ(info["scaleAccuracy"].toInt(), 0);
    EXPECT_TRUE(info["rangeEnabled"].toBool());
    EXPECT_EQ(info["rangeFrom"].toInt(), 1500);
    EXPECT_EQ(info["rangeTo"].toInt(), 1700);
    EXPECT_EQ(info["priorityFilter"].toInt(), 2);
    EXPECT_EQ(info["description"].toString().toStdString(), "説明\r\n二行目");
    EXPECT_FALSE(info["wrapLines"].toBool());
    const QJsonArray fonts = info["fonts"].toArray();
    ASSERT_EQ(fonts.size(), 7);
    for (const QJsonValue& font : fonts) {
        for (const char* key : {"face", "height", "weight", "italic", "charSet", "color"})
            EXPECT_TRUE(font.toObject().contains(key)) << key;
    }
    const QJsonObject colors = info["colors"].toObject();
    EXPECT_EQ(colors["link"].toInt(), 0x00FF00);
    EXPECT_EQ(colors["backOdd"].toInt(), 0xE0E0E0);
    EXPECT_EQ(colors["about"].toInt(), 0x808080);
    EXPECT_EQ(colors.size(), 7);
    EXPECT_EQ(info["siblingProject"].toString(), QString());
    EXPECT_EQ(info["textMargin"].toInt(), 2);
}

TEST_F(InfoCommand, AMissingLibraryIsReportedAndTheRestDescribed)
{
    CArchive ar;
    ar.WriteInt32(2);
    ar.WriteInt32(2);
    ar.WriteInt32(0);
    ar.WriteInt32(0);
    ar.WriteInt32(50);
    ar.WriteInt32(4);
    ar.WriteString("lib/gone.lev");
    ar.WriteInt32(50);
    ar.WriteInt32(500);
    ar.WriteInt16(1);
    for (int i = 0; i < 2; ++i)
        ar.WriteInt32(0);
    ar.WriteInt16(-9999);
    ar.WriteInt16(9999);
    ar.WriteInt32(2);
    TempDir::Write(m_dir.File("old.anx"), ar.GetBuffer());

    const SRun run = RunProgram(m_dir, "--info '" + m_dir.File("old.anx") + "'");
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_NE(run.err.find("gone.lev"), std::string::npos) << run.err;
    const QJsonObject info = Parse(run.out);
    EXPECT_EQ(info["version"].toInt(), 2);
    EXPECT_EQ(info["columns"].toArray().size(), 1);
    EXPECT_EQ(info["description"].toString().toStdString(), "ここにこの年表の説明文を入れて下さい");
}

TEST_F(InfoCommand, AnUnreadableProjectFailsWithItsMessage)
{
    TempDir::Write(m_dir.File("cut.anx"), std::string("\x0A\0\0\0\x05\0", 6));
    const struct
    {
        std::string file;
        const char* says;
    } cases[] = {{m_dir.File("cut.anx"), "途中で終わって"},
                 {m_dir.File("absent.anx"), "読込みに失敗"}};
    for (const auto& c : cases) {
        const SRun run = RunProgram(m_dir, "--info '" + c.file + "'");
        EXPECT_EQ(run.exitCode, 1) << c.file;
        EXPECT_EQ(run.out, "") << c.file;
        EXPECT_NE(run.err.find(c.file), std::string::npos) << run.err;
        EXPECT_NE(run.err.find(c.says), std::string::npos) << run.err;
    }
    EXPECT_EQ(RunProgram(m_dir, "--info").exitCode, 2);
}

TEST_F(InfoCommand, DescribesAProjectOverTheSampleLibraries)
{
    const std::string samples = ANNALUX_SAMPLES_DIR;
    struct stat st;
    if (::stat((samples + "/nihonshi.lev").c_str(), &st) != 0)
        GTEST_SKIP() << "no samples";
    {
        CAnnaluxDoc doc;
        doc.GetColumns().EnsureYearColumn(50);
        auto events = std::make_unique<CYearEvent>();
        ASSERT_TRUE(events->ReadFile((samples + "/nihonshi.lev").c_str(), false));
        doc.GetColumns().Insert(4, doc.AddEventTable(std::move(events)), 1, 500);
        auto periods = std::make_unique<CGengouEra>();
        ASSERT_TRUE(periods->ReadFile((samples + "/jidai.ler").c_str(), HT_PERIOD, true));
        doc.GetColumns().Insert(3, doc.AddPeriodTable(std::move(periods)), 1, 50);
        ASSERT_TRUE(doc.OnSaveDocument(m_dir.File("samples.anx")));
    }
    const SRun run = RunProgram(m_dir, "--info '" + m_dir.File("samples.anx") + "'");
    ASSERT_EQ(run.exitCode, 0) << run.err;
    const QJsonArray columns = Parse(run.out)["columns"].toArray();
    ASSERT_EQ(columns.size(), 3);
    EXPECT_EQ(columns[1].toObject()["kind"].toInt(), 3);
    EXPECT_GT(columns[1].toObject()["records"].toInt(), 0);
    EXPECT_EQ(columns[2].toObject()["file"].toString().toStdString(), samples + "/nihonshi.lev");
    EXPECT_GT(columns[2].toObject()["records"].toInt(), 0);
    EXPECT_FALSE(columns[2].toObject()["title"].toString().isEmpty());
}

} // namespace
