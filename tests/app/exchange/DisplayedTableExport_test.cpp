// The exports of the displayed table: the CSV screen image and the HTML page,
// each laid out from a chronology as its window lays it out.

#include "AppTest.h"
#include "ExchangeTestSupport.h"
#include "ExportCSV.h"
#include "ExportHTML.h"
#include "ExportImageCSV.h"
#include "FullDisk.h"
#include "GenerateHtml.h"
#include "LayoutQueries.h"
#include "TestApplication.h"
#include "TestDocument.h"

#include <gtest/gtest.h>

using namespace exchangetest;
using Lines_t = std::vector<std::string>;

namespace {

class DisplayedTableExport : public AppTest
{
protected:
    DisplayedTableExport()
    {
        TestApp();
        SetFonts(m_doc);
    }

    std::string Csv(bool yearOnce)
    {
        CLayoutQueries layout(m_doc);
        CExportImageCSV writer(m_doc, layout);
        writer.SetYearOnce(yearOnce);
        return writer.Text();
    }

    std::string Html(int32_t first = CExportHTML::kNoFirst, int32_t last = CExportHTML::kNoLast)
    {
        CLayoutQueries layout(m_doc);
        CGenerateHtml generator(m_doc, layout, first, last);
        return Utf8(generator.Text("x"));
    }

    // The HTML rows, one string per row from "<TD>" of its first cell.
    std::vector<std::string> HtmlRows(const std::string& html)
    {
        std::vector<std::string> rows;
        size_t pos = 0;
        while ((pos = html.find("<TR valign=\"top\">\r\n", pos)) != std::string::npos) {
            const size_t cells = html.find("\r\n", html.find("<A NAME", pos)) + 2;
            const size_t end = html.find("\r\n</TR>", cells);
            rows.push_back(html.substr(cells, end - cells));
            pos = end;
        }
        return rows;
    }

    CAnnaluxDoc m_doc;
};

TEST_F(DisplayedTableExport, OneRowPerEventOfABucketWithTheYearOnceOrOnEveryRow)
{
    AddEras(m_doc, CK_GENGOU, "元号", {{"平成", 1989, 2019}});
    AddEvents(m_doc, "出来事", {{1991, "a"}, {1995, "b"}, {1995, "c"}, {2003, "d"}});
    m_doc.SetScaleYear(10);
    // The first bucket's era counts from the top year, later ones from the
    // bucket's start.
    EXPECT_EQ((Lines_t{"1990代,平成3-,a", ",,b", ",,c", "2000代,平成12-,d"}), Lines(Csv(true)));
    EXPECT_EQ(
        (Lines_t{"1990代,平成3-,a", "1990代,平成3-,b", "1990代,平成3-,c", "2000代,平成12-,d"}),
        Lines(Csv(false)));
    // Every line ends in CR LF.
    const std::string csv = Csv(true);
    EXPECT_EQ("\r\n", csv.substr(csv.size() - 2));
}

TEST_F(DisplayedTableExport, NegativeYearsFallInTheBucketBelowZero)
{
    AddEvents(m_doc, "出来事", {{-15, "p"}, {-5, "q"}, {-1, "r"}, {3, "s"}});
    m_doc.SetScaleYear(10);
    // -15 opens the table (its own bucket -10 holds -19..-1); the rows of a
    // later negative bucket are all written.
    EXPECT_EQ((Lines_t{"-10代,p", ",q", ",r", "0代,s"}), Lines(Csv(true)));

    CAnnaluxDoc doc;
    SetFonts(doc);
    AddEvents(doc, "出来事", {{-35, "p"}, {-25, "q"}, {-24, "r"}});
    doc.SetScaleYear(10);
    CLayoutQueries layout(doc);
    CExportImageCSV writer(doc, layout);
    EXPECT_EQ((Lines_t{"-30代,p", "-20代,q", ",r"}), Lines(writer.Text()));
}

TEST_F(DisplayedTableExport, CellsAreQuotedAndStrippedOfMarkup)
{
    AddEvents(m_doc, "出来事",
              {{1600, "関ヶ原, 美濃"},
               {1601, "\"引用\"の文"},
               {1602, "<A HREF=\"http://x\">リンク</A>先\\r\\n次行"},
               {1603, "1 < 2"}});
    EXPECT_EQ((Lines_t{"1600,\"関ヶ原, 美濃\"", "1601,\"\"\"引用\"\"の文\"",
                       "1602,\"リンク先\n次行\"", "1603,1 < 2"}),
              Lines(Csv(true)));
}

TEST_F(DisplayedTableExport, PeriodColumnsAreLeftOutAndEachEventStaysUnderItsLibrary)
{
    AddEvents(m_doc, "日本", {{1600, "j1"}, {1600, "j2"}});
    AddEras(m_doc, CK_ERA, "時代", {{"江戸時代", 1603, 1867}});
    AddEvents(m_doc, "世界", {{1600, "w1"}, {1602, "w2"}});
    auto base = std::make_unique<CBaseYear>();
    base->SetBaseWesternYear(1543);
    CBaseYear* added = m_doc.AddBaseYearTable(std::move(base));
    m_doc.GetColumns().Insert(CK_BASEYEAR, added, m_doc.GetColumns().GetCount(), 60);
    std::string age1600, age1602;
    added->MakeBaseYearStr(1600, age1600);
    added->MakeBaseYearStr(1602, age1602);
    EXPECT_EQ((Lines_t{"1600,j1,w1," + Utf8(age1600), ",j2,,", "1602,,w2," + Utf8(age1602)}),
              Lines(Csv(true)));

    // The columns shown in another order than the libraries were loaded.
    m_doc.GetColumns().Move(3, 1);
    EXPECT_EQ("1600,w1,j1," + Utf8(age1600), Lines(Csv(true)).front());
}

TEST_F(DisplayedTableExport, HtmlRowsAreTheDisplayedYearsWithinTheRange)
{
    AddEras(m_doc, CK_GENGOU, "元号", {{"明治", 1868, 1912}});
    AddEvents(m_doc, "出来事",
              {{1890, "e1"}, {1900, "e2"}, {1900, "e3"}, {1950, "e4"}, {1960, "e5"}});
    m_doc.SetScaleYear(100); // whatever the scale, every event year is a row
    const std::string html = Html();
    EXPECT_EQ((Lines_t{"<TD>1890</TD><TD>明治23</TD><TD>e1<br></TD>",
                       "<TD>1900</TD><TD>明治33</TD><TD>e2<br>e3<br></TD>",
                       "<TD>1950</TD><TD>　</TD><TD>e4<br></TD>",
                       "<TD>1960</TD><TD>　</TD><TD>e5<br></TD>"}),
              HtmlRows(html));
    EXPECT_NE(std::string::npos, html.find("<TITLE>x(Generated by Annalux)</TITLE>"));
    EXPECT_NE(std::string::npos, html.find("<TH width=\"60\">西暦</TH><TH width=\"80\">元号</TH>"
                                           "<TH width=\"200\">出来事</TH>"));
    EXPECT_NE(std::string::npos, html.find(std::string("<a href=\"") +
                                           CGenerateHtml::SiteAddress() + "\">Annalux</a>"));
    EXPECT_EQ("</p><br></HTML>\r\n", html.substr(html.size() - 17));
    size_t lf = 0, crlf = 0;
    for (size_t i = 0; i < html.size(); ++i)
        if (html[i] == '\n') {
            ++lf;
            crlf += i > 0 && html[i - 1] == '\r';
        }
    EXPECT_EQ(lf, crlf); // every line ends in CR LF

    EXPECT_EQ(2u, HtmlRows(Html(1900, 1950)).size());
}

TEST_F(DisplayedTableExport, PeriodCellsSpanTheRowsOfTheirPeriod)
{
    AddEras(m_doc, CK_ERA, "時代",
            {{"安土桃山時代", 1573, 1603}, {"江戸時代", 1603, 1867}, {"明治時代", 1868, 1912}});
    AddEvents(m_doc, "出来事",
              {{1550, "a"},
               {1580, "b"},
               {1600, "c"},
               {1603, "d"},
               {1700, "e"},
               {1867, "f"},
               {1868, "g"}});
    EXPECT_EQ((Lines_t{"<TD>1550</TD><TD></TD><TD>a<br></TD>",
                       "<TD>1580</TD><TD ROWSPAN=\"2\">安土桃山時代</TD><TD>b<br></TD>",
                       "<TD>1600</TD><TD>c<br></TD>",
                       // 1603 lies in both; the later period takes the row.
                       "<TD>1603</TD><TD ROWSPAN=\"3\">江戸時代</TD><TD>d<br></TD>",
                       "<TD>1700</TD><TD>e<br></TD>", "<TD>1867</TD><TD>f<br></TD>",
                       "<TD>1868</TD><TD ROWSPAN=\"1\">明治時代</TD><TD>g<br></TD>"}),
              HtmlRows(Html()));
    // A range that cuts a period spans only the rows written.
    EXPECT_EQ("<TD>1700</TD><TD ROWSPAN=\"2\">江戸時代</TD><TD>e<br></TD>",
              HtmlRows(Html(1650, 1867)).front());
}

TEST_F(DisplayedTableExport, AFailedPageLeavesTheExistingFileAndNoTemporaryOne)
{
    AddEvents(m_doc, "出来事", {{1600, "a"}});
    const std::string path = m_dir.File("out.html");
    TempDir::Write(path, "old");
    CLayoutQueries layout(m_doc);
    CExportHTML exporter(m_doc);
    exporter.SetOutputPath(path);
    {
        FullDiskScope full;
        EXPECT_FALSE(exporter.Generate(layout));
    }
    EXPECT_EQ("old", TempDir::Read(path));
    EXPECT_EQ(std::vector<std::string>{"out.html"}, TempDir::Names(m_dir.Path()));
    EXPECT_TRUE(exporter.Generate(layout));
    EXPECT_EQ(0u, TempDir::Read(path).find("<!DOCTYPE HTML PUBLIC"));

    // The CSV screen image alike, its failure told.
    const std::string csv = m_dir.File("out.csv");
    TempDir::Write(csv, "old");
    CExportCSV csvExport(&m_doc);
    csvExport.SetPerLibraryMode(false);
    csvExport.SetOutputPath(csv);
    {
        FullDiskScope full;
        EXPECT_FALSE(csvExport.Export(&layout));
    }
    EXPECT_EQ("old", TempDir::Read(csv));
    EXPECT_EQ(1u, m_host.Messages().size());
    EXPECT_TRUE(csvExport.Export(&layout));
    EXPECT_EQ("1600,a\r\n", TempDir::Read(csv));
}

TEST(ExportHTMLDefaults, NamesRangeAndConfirmationText)
{
    CAnnaluxDoc doc;
    doc.SetPathName("/work/年表.d/x.anx");
    CExportHTML exporter(doc);
    EXPECT_EQ("/work/年表.d/x.html", exporter.DefaultOutputPath());
    EXPECT_EQ("x", exporter.Title());
    doc.SetPathName("/work/a.b/noext");
    EXPECT_EQ("/work/a.b/noext.html", exporter.DefaultOutputPath());

    int32_t first = 0, last = 0;
    exporter.DefaultRange(first, last);
    EXPECT_EQ(2147483647, first);
    EXPECT_EQ(-32768, last);
    AddEvents(doc, "a", {{1900, "x"}, {1950, "y"}});
    AddEvents(doc, "b", {{-10, "z"}});
    exporter.DefaultRange(first, last);
    EXPECT_EQ(-10, first);
    EXPECT_EQ(1950, last);

    EXPECT_EQ("開始・終了年は設定されていません", exporter.RangeText());
    exporter.SetRange(1900, 1950);
    EXPECT_EQ("1900年～1950年", exporter.RangeText());
    exporter.SetRange(1900, CExportHTML::kNoLast);
    EXPECT_EQ("1900年～", exporter.RangeText());
}

} // namespace
