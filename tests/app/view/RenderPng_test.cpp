// The view painted as a whole: the sample chronology through the view and
// through "annalux --render-png" run as a process.

#include "AnnaluxView.h"
#include "FullDisk.h"
#include "RenderCommand.h"
#include "Program.h"
#include "ScriptedHostServices.h"
#include "TempDir.h"
#include "TestApplication.h"
#include "ViewTestSupport.h"

#include <QApplication>
#include <QHeaderView>
#include <QImage>

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sys/wait.h>
#include <unistd.h>

namespace {

class RenderPngTest : public ::testing::Test
{
protected:
    void SetUp() override { TestApp(); }

    // Writes the sample project into the temp folder (libraries stay in samples/).
    std::string WriteSampleProject(const std::string& path)
    {
        CAnnaluxDoc doc;
        EXPECT_TRUE(viewtest::MakeSampleDoc(doc, ANNALUX_SAMPLES_DIR));
        EXPECT_TRUE(doc.OnSaveDocument(path));
        return path;
    }

    CScriptedHostServices m_host;
    CHostServicesScope m_scope{m_host};
    TempDir m_dir;
};

TEST_F(RenderPngTest, SampleChronologyPaintsHeaderBandsAndJapaneseText)
{
    CAnnaluxDoc doc;
    ASSERT_TRUE(viewtest::MakeSampleDoc(doc, ANNALUX_SAMPLES_DIR));
    CAnnaluxView view(&doc);
    view.setAttribute(Qt::WA_DontShowOnScreen);
    view.resize(1100, 700);
    view.show();
    QApplication::processEvents();
    view.ScrollToYear(1600);
    const QImage image = view.RenderImage();
    ASSERT_FALSE(image.isNull());
    if (const char* out = std::getenv("ANNALUX_VIEW_PNG"))
        image.save(QString::fromUtf8(out));

    EXPECT_EQ(view.HeaderWidget()->count(), 6);
    EXPECT_EQ(view.HeaderWidget()->model()->headerData(0, Qt::Horizontal).toString(),
              QString::fromUtf8("西暦"));
    EXPECT_GE(view.TopYear(), 1600);
    // Something dark (text) is drawn in the event columns below the header.
    int dark = 0;
    for (int y = view.HeaderHeight() + 2; y < image.height(); y += 2) {
        for (int x = 240; x < 600; x += 2) {
            if (qGray(image.pixel(x, y)) < 100)
                ++dark;
        }
    }
    EXPECT_GT(dark, 100);
}

TEST_F(RenderPngTest, AFullDiskLeavesTheOldPictureAndSaysWhy)
{
    const std::string path = m_dir.File("table.png");
    TempDir::Write(path, "old picture");
    QImage image(40, 30, QImage::Format_RGB32);
    image.fill(Qt::white);
    std::string error;
    {
        FullDiskScope failing;
        EXPECT_FALSE(WritePngFile(image, path, error));
    }
    EXPECT_NE(error.find("No space left"), std::string::npos) << error;
    EXPECT_EQ(TempDir::Read(path), "old picture");
    EXPECT_EQ(TempDir::Names(m_dir.Path()), std::vector<std::string>{"table.png"});

    ASSERT_TRUE(WritePngFile(image, path, error));
    EXPECT_EQ(QImage(QString::fromStdString(path)).size(), QSize(40, 30));
}

TEST_F(RenderPngTest, WritesTheSampleProjectWhenAsked)
{
    // scripts/make-sample-project.sh sets this to regenerate samples/sample.anx.
    const char* target = std::getenv("ANNALUX_SAMPLE_PROJECT_OUT");
    if (!target)
        GTEST_SKIP() << "ANNALUX_SAMPLE_PROJECT_OUT not set";
    WriteSampleProject(target);
    EXPECT_TRUE(std::filesystem::exists(target));
}

TEST_F(RenderPngTest, CommandWritesAPictureOfTheRequestedSize)
{
    const std::string exe = AnnaluxExe();
    if (exe.empty())
        GTEST_SKIP() << "annalux not built";
    const std::string project = WriteSampleProject(m_dir.File("s.anx"));
    const std::string png = m_dir.File("out.png");
    ASSERT_EQ(RunShell("'" + exe + "' --render-png '" + png + "' --size 640x360 --year 1868 '" +
                       project + "' 2>/dev/null"),
              0);
    QImage image(QString::fromStdString(png));
    ASSERT_FALSE(image.isNull());
    EXPECT_EQ(image.size(), QSize(640, 360));
}

TEST_F(RenderPngTest, CommandWritesARelativeOutputWhereItWasStarted)
{
    // Opening the project moves the current directory to the project's
    // folder; the picture must still land where the user asked.
    const std::string exe = AnnaluxExe();
    if (exe.empty())
        GTEST_SKIP() << "annalux not built";
    std::filesystem::create_directory(m_dir.File("proj"));
    WriteSampleProject(m_dir.File("proj/s.anx"));
    ASSERT_EQ(RunShell("cd '" + m_dir.Path() + "' && '" + exe +
                       "' --render-png out.png --size 320x200 proj/s.anx 2>/dev/null"),
              0);
    EXPECT_TRUE(std::filesystem::exists(m_dir.File("out.png")));
    EXPECT_FALSE(std::filesystem::exists(m_dir.File("proj/out.png")));
}

TEST_F(RenderPngTest, CommandFailsOnBadInput)
{
    const std::string exe = AnnaluxExe();
    if (exe.empty())
        GTEST_SKIP() << "annalux not built";
    const std::string png = m_dir.File("out.png");
    // A project that does not exist.
    EXPECT_EQ(RunShell("'" + exe + "' --render-png '" + png + "' '" + m_dir.File("none.anx") +
                       "' 2>/dev/null"),
              1);
    EXPECT_FALSE(std::filesystem::exists(png));
    // Wrong usage: no project, a bad size.
    EXPECT_EQ(RunShell("'" + exe + "' --render-png '" + png + "' 2>/dev/null"), 2);
    const std::string project = WriteSampleProject(m_dir.File("s.anx"));
    EXPECT_EQ(RunShell("'" + exe + "' --render-png '" + png + "' --size 0x10 '" + project +
                       "' 2>/dev/null"),
              2);
    // An output that cannot be written.
    EXPECT_EQ(RunShell("'" + exe + "' --render-png '" + m_dir.File("no/such/dir/x.png") + "' '" +
                       project + "' 2>/dev/null"),
              1);
}

} // namespace
