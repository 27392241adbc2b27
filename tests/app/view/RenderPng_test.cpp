// The view painted as a whole: the sample chronology through the view and
// through "annalux --render-png" run as a process.

#include "AnnaluxView.h"
#include "FullDisk.h"
#include "PngBandWriter.h"
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
#include <cstring>
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

TEST_F(RenderPngTest, BandsOfAHiddenViewMatchTheShownViewPixelForPixel)
{
    // The shown view grabbed whole is the reference; a view that is never
    // shown, painted in bands whose seams cut through text, header and bars,
    // must give the same pixels, and so must the PNG written from the bands.
    CAnnaluxDoc doc;
    ASSERT_TRUE(viewtest::MakeSampleDoc(doc, ANNALUX_SAMPLES_DIR));
    QImage reference;
    {
        CAnnaluxView shown(&doc);
        shown.setAttribute(Qt::WA_DontShowOnScreen);
        shown.resize(900, 400);
        shown.show();
        QApplication::processEvents();
        shown.ScrollToYear(1600);
        reference = shown.RenderImage();
    }
    ASSERT_EQ(reference.format(), QImage::Format_RGB32);

    CAnnaluxView hidden(&doc);
    hidden.PrepareHidden(QSize(900, 400));
    hidden.ScrollToYear(1600);
    EXPECT_FALSE(hidden.isVisible());
    for (const int bandRows : {400, 64, 37, 5, 1}) {
        QImage joined(900, 400, QImage::Format_RGB32);
        int top = 0;
        ASSERT_TRUE(hidden.RenderBands(bandRows, [&](const QImage& band) {
            const int rows = band.height();
            EXPECT_LE(rows, bandRows);
            for (int y = 0; y < rows; ++y)
                std::memcpy(joined.scanLine(top + y), band.constScanLine(y),
                            static_cast<size_t>(band.bytesPerLine()));
            top += rows;
            return true;
        }));
        EXPECT_EQ(top, 400);
        EXPECT_TRUE(joined == reference) << "bands of " << bandRows << " rows";
    }
    // A sink that refuses stops the painting.
    int calls = 0;
    EXPECT_FALSE(hidden.RenderBands(50, [&](const QImage&) { return ++calls < 2; }));
    EXPECT_EQ(calls, 2);

    const std::string path = m_dir.File("view.png");
    std::string error;
    ASSERT_TRUE(WriteViewPng(hidden, path, error)) << error;
    const QImage decoded(QString::fromStdString(path));
    EXPECT_TRUE(decoded.convertToFormat(QImage::Format_RGB32) == reference);
    EXPECT_EQ(decoded.dotsPerMeterX(), reference.dotsPerMeterX());

    // A disk that fills up part way stops the painting and keeps the old file.
    {
        FullDiskScope failing;
        EXPECT_FALSE(WriteViewPng(hidden, path, error));
    }
    EXPECT_NE(error.find("No space left"), std::string::npos) << error;
    EXPECT_TRUE(QImage(QString::fromStdString(path)) == decoded);
    EXPECT_EQ(TempDir::Names(m_dir.Path()), std::vector<std::string>{"view.png"});
}

TEST_F(RenderPngTest, PngFilesDecodeToTheWrittenPixels)
{
    // Opaque and transparent pictures read back as written, whatever their
    // format; an unfinished picture leaves neither file nor temporary file.
    QImage opaque(13, 7, QImage::Format_RGB32);
    QImage clear(5, 9, QImage::Format_ARGB32_Premultiplied);
    for (int y = 0; y < 9; ++y) {
        for (int x = 0; x < 13; ++x) {
            if (y < 7)
                opaque.setPixel(x, y, qRgb(x * 19, y * 31, (x * y) % 256));
            if (x < 5)
                clear.setPixelColor(x, y, QColor(x * 50, y * 25, 90, (x + y) * 20));
        }
    }
    for (const QImage& image : {opaque, clear, opaque.convertToFormat(QImage::Format_RGB888)}) {
        const std::string path = m_dir.File("p.png");
        std::string error;
        ASSERT_TRUE(WritePngFile(image, path, error)) << error;
        const QImage back(QString::fromStdString(path));
        const QImage::Format format =
            image.hasAlphaChannel() ? QImage::Format_ARGB32 : QImage::Format_RGB32;
        EXPECT_TRUE(back.convertToFormat(format) == image.convertToFormat(format));
        EXPECT_EQ(back.hasAlphaChannel(), image.hasAlphaChannel());
    }

    const std::string path = m_dir.File("short.png");
    {
        CPngBandWriter png(path);
        ASSERT_TRUE(png.Begin(13, 7, false, 0, 0));
        EXPECT_TRUE(png.WriteRows(opaque.copy(0, 0, 13, 3)));
        EXPECT_FALSE(png.WriteRows(opaque.copy(0, 0, 13, 5))); // past the announced height
        EXPECT_FALSE(png.Finish());
    }
    {
        CPngBandWriter png(path);
        ASSERT_TRUE(png.Begin(13, 7, false, 0, 0));
        EXPECT_TRUE(png.WriteRows(opaque.copy(0, 0, 13, 3)));
        EXPECT_FALSE(png.Finish()); // rows missing
    }
    EXPECT_FALSE(std::filesystem::exists(path));
    EXPECT_EQ(TempDir::Names(m_dir.Path()), std::vector<std::string>{"p.png"});
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

    // Taller than a window may be: the whole table as one poster.
    ASSERT_EQ(RunShell("'" + exe + "' --render-png '" + png + "' --size 64x17000 '" + project +
                       "' 2>/dev/null"),
              0);
    EXPECT_EQ(QImage(QString::fromStdString(png)).size(), QSize(64, 17000));
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
    EXPECT_EQ(RunShell("'" + exe + "' --render-png '" + png + "' --size 16385x10 '" + project +
                       "' 2>/dev/null"),
              2);
    EXPECT_EQ(RunShell("'" + exe + "' --render-png '" + png + "' --size 10x100001 '" + project +
                       "' 2>/dev/null"),
              2);
    // An output that cannot be written.
    EXPECT_EQ(RunShell("'" + exe + "' --render-png '" + m_dir.File("no/such/dir/x.png") + "' '" +
                       project + "' 2>/dev/null"),
              1);
}

} // namespace
