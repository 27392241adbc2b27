#include "HtmlManage.h"

#include "Sjis.h"

#include <gtest/gtest.h>

namespace {

struct LinkCase
{
    const char* name;
    std::string text;
    int pos;
    bool found;
    std::string url;
    std::string label;
    int begin;
    int end;
};

class LinkTest : public ::testing::TestWithParam<LinkCase>
{
};

TEST_P(LinkTest, FindsTheFirstAnchorAroundThePosition)
{
    const LinkCase& c = GetParam();
    std::string url = "old-url";
    std::string label = "old-label";
    int begin = -7;
    int end = -7;
    const bool found = CHtmlManage::GetLinkFromString(c.text, c.pos, url, label, begin, end);
    ASSERT_EQ(c.found, found);
    if (found) {
        EXPECT_EQ(c.url, url);
        EXPECT_EQ(c.label, label);
        EXPECT_EQ(c.begin, begin);
        EXPECT_EQ(c.end, end);
    }
}

const std::string kSee = "see <A HREF=\"a.htm\">page</A> here";
const std::string kTwo = "<a href=\"1\">one</a> and <a href=\"2\">two</a>";

INSTANTIATE_TEST_SUITE_P(
    Anchors, LinkTest,
    ::testing::Values(
        LinkCase{"InsideTag", kSee, 6, true, "a.htm", "page", 4, 28},
        LinkCase{"AtBegin", kSee, 4, true, "a.htm", "page", 4, 28},
        LinkCase{"JustAfterEnd", kSee, 28, true, "a.htm", "page", 4, 28},
        LinkCase{"BeforeAnchor", kSee, 2, false, "", "", 0, 0},
        LinkCase{"AfterAnchor", kSee, 29, false, "", "", 0, 0},
        LinkCase{"BlanksAndMoreAttributes", "<a  href = \"x.htm\" target=\"_blank\">Go</a>", 3,
                 true, "x.htm", "Go", 0, 41},
        LinkCase{"HrefNotFirst", "<a name=\"n\" href=\"x\">y</a>", 1, false, "", "", 0, 0},
        LinkCase{"UnquotedValue", "<A HREF=x.htm>x</A>", 1, false, "", "", 0, 0},
        LinkCase{"NoClosingQuote", "<a href=\"x>y</a>", 1, false, "", "", 0, 0},
        LinkCase{"NoClosingTag", "<a href=\"x\">y", 1, false, "", "", 0, 0},
        LinkCase{"MixedCaseTags", "<A hReF=\"Up.HTM\">Label</a>", 0, true, "Up.HTM", "Label", 0,
                 26},
        LinkCase{"FirstOfTwo", kTwo, 5, true, "1", "one", 0, 19},
        LinkCase{"InsideSecondOfTwo", kTwo, 30, false, "", "", 0, 0},
        LinkCase{"Empty", "", 0, false, "", "", 0, 0},
        LinkCase{"NoAnchor", "plain text", 3, false, "", "", 0, 0}),
    [](const ::testing::TestParamInfo<LinkCase>& info) { return info.param.name; });

// Double-byte characters whose trail bytes are upper-case letters must come
// through untouched: lower-casing is only for finding the tags.
TEST(HtmlManageShiftJis, KeepsTrailBytesOfUrlAndLabel)
{
    // ア = 83 41, チ = 83 60: trail bytes 'A' and '`'.
    const std::string label = Sjis("アチ表ソ");
    const std::string url = Sjis("資料/ア.htm");
    const std::string text = Sjis("前") + CHtmlManage::MakeLink(url, label) + Sjis("後");
    std::string gotUrl, gotLabel;
    int begin = 0, end = 0;
    ASSERT_TRUE(CHtmlManage::GetLinkFromString(text, 3, gotUrl, gotLabel, begin, end));
    EXPECT_EQ(url, gotUrl);
    EXPECT_EQ(label, gotLabel);
    EXPECT_EQ(2, begin);
    EXPECT_EQ(static_cast<int>(text.size()) - 2, end);
}

TEST(HtmlManageShiftJis, StrayLeadByteDoesNotHideATag)
{
    // A lone lead byte (a text cut in the middle of a character) must not
    // swallow the '<' that follows it.
    std::string text = "\x81<a href=\"u\">l</a>";
    std::string url, label;
    int begin = 0, end = 0;
    ASSERT_TRUE(CHtmlManage::GetLinkFromString(text, 2, url, label, begin, end));
    EXPECT_EQ(1, begin);
    EXPECT_EQ("u", url);
    EXPECT_EQ("\x81x", CHtmlManage::RemoveHtml("\x81<i>x</i>"));
}

TEST(HtmlManage, MakeLinkIsReadBack)
{
    const std::string link = CHtmlManage::MakeLink("http://example.com/a?b=1", "Example");
    EXPECT_EQ("<A HREF=\"http://example.com/a?b=1\">Example</A>", link);
    std::string url, label;
    int begin = -1, end = -1;
    ASSERT_TRUE(CHtmlManage::GetLinkFromString(link, 0, url, label, begin, end));
    EXPECT_EQ("http://example.com/a?b=1", url);
    EXPECT_EQ("Example", label);
    EXPECT_EQ(0, begin);
    EXPECT_EQ(static_cast<int>(link.size()), end);
}

TEST(HtmlManage, RemoveHtml)
{
    const struct
    {
        std::string in;
        std::string out;
    } cases[] = {
        {"a <b>bold</b> c", "a bold c"},
        {"x < y", "x "},
        {"plain", "plain"},
        {"", ""},
        {"<a href=\"u\">label</a>", "label"},
        {"<>", ""},
        {"a > b", "a > b"},
        {"<i>x</i><b>y</b>", "xy"},
        {"&amp; <br>", "&amp; "},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(c.out, CHtmlManage::RemoveHtml(c.in)) << c.in;
        std::string out = "stale";
        CHtmlManage::RemoveHtml(c.in, out);
        EXPECT_EQ(c.out, out) << c.in;
    }
    // In place: out may be the same object as in.
    std::string same = "a <b>b</b>";
    CHtmlManage::RemoveHtml(same, same);
    EXPECT_EQ("a b", same);
}

TEST(HtmlManage, RemoveHtmlKeepsJapaneseText)
{
    const std::string text = Sjis("表示<A HREF=\"x\">ソース</A>です");
    EXPECT_EQ(Sjis("表示ソースです"), CHtmlManage::RemoveHtml(text));
}

} // namespace
