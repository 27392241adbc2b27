// The print of a chronology: the sample project printed into PDF files by
// "annalux --print-pdf" at both scalings and read back as text, and the
// print cycle's bands and failures in the program itself.

#include "AnnaluxView.h"
#include "DataCoord.h"
#include "FullDisk.h"
#include "PdfOutput.h"
#include "Program.h"
#include "ScriptedHostServices.h"
#include "TempDir.h"
#include "TestApplication.h"
#include "ViewPrinter.h"
#include "ViewTestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <memory>

namespace {

// A command's standard output.
std::string Output(const std::string& command)
{
    std::string out;
    std::unique_ptr<FILE, int (*)(FILE*)> pipe(popen(command.c_str(), "r"), pclose);
    if (!pipe)
        return out;
    char buffer[4096];
    size_t n;
    while ((n = fread(buffer, 1, sizeof buffer, pipe.get())) > 0)
        out.append(buffer, n);
    return out;
}

// A page's text without blanks: how far apart the extractor thinks words
// stand ("-1-" comes out as "-1-") is not the program's business.
std::string PageText(const std::string& pdf, int page)
{
    const std::string p = std::to_string(page);
    std::string text = Output("pdftotext -f " + p + " -l " + p + " '" + pdf + "' - 2>/dev/null");
    text.erase(std::remove(text.begin(), text.end(), ' '), text.end());
    return text;
}

int PageCount(const std::string& pdf)
{
    const std::string info = Output("pdfinfo '" + pdf + "' 2>/dev/null");
    const size_t at = info.find("Pages:");
    return at == std::string::npos ? 0 : std::atoi(info.c_str() + at + 6);
}

class PrintPdfTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        TestApp();
        m_exe = AnnaluxExe();
    }

    std::string SampleProject(const std::string& name)
    {
        CAnnaluxDoc doc;
        EXPECT_TRUE(viewtest::MakeSampleDoc(doc, ANNALUX_SAMPLES_DIR));
        const std::string path = m_dir.File(name);
        EXPECT_TRUE(doc.OnSaveDocument(path));
        return path;
    }

    int Print(const std::string& arguments)
    {
        return RunShell("'" + m_exe + "' --print-pdf " + arguments + " 2>/dev/null");
    }

    CScriptedHostServices m_host;
    CHostServicesScope m_scope{m_host};
    TempDir m_dir;
    std::string m_exe;
};

TEST_F(PrintPdfTest, SamplePrintsAsTextWithHeadersTitlesAndPageNumbers)
{
    if (m_exe.empty() || RunShell("command -v pdftotext >/dev/null") != 0)
        GTEST_SKIP() << "annalux or pdftotext missing";
    const std::string project = SampleProject("日本史年表.anx");
    const std::string fit = m_dir.File("fit.pdf");
    ASSERT_EQ(Print("'" + fit + "' '" + project + "'"), 0);
    const int fitPages = PageCount(fit);
    ASSERT_GT(fitPages, 1);
    const std::string first = PageText(fit, 1);
    for (const char* expected : {"日本史年表", "-1-", "西暦", "元号", "日本史", "世界史",
                                 "徳川家康", "縄文時代", "メソポタミアで楔形文字が使われ始める"})
        EXPECT_NE(first.find(expected), std::string::npos) << expected;
    // The file name's extension is not printed; the second page has its number.
    EXPECT_EQ(first.find("日本史年表.anx"), std::string::npos);
    EXPECT_NE(PageText(fit, 2).find("-2-"), std::string::npos);
    EXPECT_NE(PageText(fit, fitPages).find("東京オリンピックが開幕する"), std::string::npos);

    // Fixed size: the sample is wider than A4, so every band takes two pages
    // that carry one number; the second strip holds the right-hand columns.
    const std::string fixed = m_dir.File("fixed.pdf");
    ASSERT_EQ(Print("--fixed '" + fixed + "' '" + project + "'"), 0);
    const int fixedPages = PageCount(fixed);
    EXPECT_GT(fixedPages, fitPages);
    EXPECT_EQ(fixedPages % 2, 0);
    const std::string left = PageText(fixed, 1), right = PageText(fixed, 2);
    EXPECT_NE(left.find("-1-"), std::string::npos);
    EXPECT_NE(right.find("-1-"), std::string::npos);
    EXPECT_NE(PageText(fixed, 3).find("-2-"), std::string::npos);
    EXPECT_NE(left.find("日本史"), std::string::npos);
    EXPECT_EQ(left.find("徳川家康"), std::string::npos);
    EXPECT_NE(right.find("徳川家康"), std::string::npos);
}

TEST_F(PrintPdfTest, CommandRefusesWhatItCannotPrint)
{
    if (m_exe.empty())
        GTEST_SKIP() << "annalux not built";
    const std::string project = SampleProject("s.anx");
    const std::string pdf = m_dir.File("out.pdf");
    // Wrong usage.
    EXPECT_EQ(Print("'" + pdf + "'"), 2);
    EXPECT_EQ(Print("--fit --fixed '" + pdf + "' '" + project + "'"), 2);
    EXPECT_EQ(Print("--landscape '" + pdf + "' '" + project + "'"), 2);
    // No project; a folder where the file should go.
    EXPECT_EQ(Print("'" + pdf + "' '" + m_dir.File("none.anx") + "'"), 1);
    EXPECT_EQ(Print("'" + m_dir.Path() + "' '" + project + "'"), 1);
    // A chronology without event libraries prints nothing.
    CAnnaluxDoc years;
    years.GetColumns().EnsureYearColumn(60);
    ASSERT_TRUE(years.OnSaveDocument(m_dir.File("years.anx")));
    EXPECT_EQ(Print("'" + pdf + "' '" + m_dir.File("years.anx") + "'"), 1);
    EXPECT_FALSE(std::filesystem::exists(pdf));
}

TEST_F(PrintPdfTest, AFailedWriteLeavesTheOldFileAsItWas)
{
    CAnnaluxDoc doc;
    ASSERT_TRUE(viewtest::MakeSampleDoc(doc, ANNALUX_SAMPLES_DIR));
    CAnnaluxView view(&doc);
    const std::string pdf = m_dir.File("out.pdf");
    TempDir::Write(pdf, "the old file");
    std::string error;
    {
        FullDiskScope full;
        CViewPrinter print(view);
        EXPECT_FALSE(CPdfOutput::Write(print, pdf, "t", error));
    }
    EXPECT_NE(error.find("out.pdf"), std::string::npos);
    EXPECT_EQ(TempDir::Read(pdf), "the old file");
    EXPECT_EQ(TempDir::Names(m_dir.Path()), (std::vector<std::string>{"out.pdf"}));

    // Written whole, it replaces the old one.
    CViewPrinter print(view);
    ASSERT_TRUE(CPdfOutput::Write(print, pdf, "t", error)) << error;
    EXPECT_EQ(TempDir::Read(pdf).compare(0, 5, "%PDF-"), 0);
    EXPECT_EQ(TempDir::Names(m_dir.Path()), (std::vector<std::string>{"out.pdf"}));
}

TEST_F(PrintPdfTest, BandsFollowTheSlotsInUse)
{
    CAnnaluxDoc doc;
    ASSERT_TRUE(viewtest::MakeSampleDoc(doc, ANNALUX_SAMPLES_DIR));
    CAnnaluxView view(&doc);
    SPrinterMetrics a4;
    a4.widthPixels = 9583;
    a4.heightPixels = 13699;
    a4.widthMm = 203;
    a4.heightMm = 290;
    a4.dpiX = a4.dpiY = 1200;

    CViewPrinter print(view);
    print.SetTime(1700000000);
    const int64_t pages = print.Begin(a4);
    EXPECT_GT(print.Geometry().HeaderBand(), 0);
    EXPECT_GT(print.Geometry().FooterBand(), 0);
    EXPECT_EQ(print.Geometry().ColumnHeaderBand(),
              view.HeaderHeight() + view.GetDataCoord().RowHeight());
    EXPECT_EQ(print.SlotText(0, 1), QString()); // never saved: no file name
    EXPECT_EQ(print.SlotText(4, 3), QStringLiteral("- 3 -"));
    EXPECT_EQ(print.SlotText(1, 1), QString());

    // Nothing in any slot: no bands, so more of the table fits a page.
    SPageLayout none;
    std::fill(std::begin(none.items), std::end(none.items), int(SPageLayout::ItemNone));
    CViewPrinter bare(view);
    bare.SetPageLayout(none);
    EXPECT_LE(bare.Begin(a4), pages);
    EXPECT_EQ(bare.Geometry().HeaderBand(), 0);
    EXPECT_EQ(bare.Geometry().FooterBand(), 0);
    EXPECT_GT(bare.Geometry().BodyHeight(), print.Geometry().BodyHeight());
}

} // namespace
