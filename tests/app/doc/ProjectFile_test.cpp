#include "ProjectFile.h"

#include "Archive.h"
#include "Sjis.h"

#include <gtest/gtest.h>

#include <string>

namespace {

// Writes archives byte by byte, the way the old program laid them out, so
// that the reader is checked against the layout rather than against our own
// writer.
class OldFile
{
public:
    OldFile& U8(unsigned v)
    {
        m_bytes += static_cast<char>(v & 0xFF);
        return *this;
    }
    OldFile& I16(int v) { return U8(v).U8(v >> 8); }
    OldFile& I32(long long v) { return U8(v).U8(v >> 8).U8(v >> 16).U8(v >> 24); }
    OldFile& Raw(const std::string& s)
    {
        m_bytes += s;
        return *this;
    }
    // The archive's narrow string with the shortest length prefix.
    OldFile& Str(const std::string& s)
    {
        if (s.size() < 0xFF)
            U8(static_cast<unsigned>(s.size()));
        else if (s.size() < 0xFFFE)
            U8(0xFF).I16(static_cast<int>(s.size()));
        else
            U8(0xFF).I16(0xFFFF).I32(static_cast<long long>(s.size()));
        return Raw(s);
    }
    OldFile& Font(int height, const std::string& face, unsigned charSet = 128)
    {
        I32(height).I32(0).I32(0).I32(0).I32(400);
        U8(0).U8(0).U8(0).U8(charSet).U8(0).U8(0).U8(0).U8(0x12);
        I32(static_cast<long long>(face.size() + 1));
        return Raw(face).U8(0);
    }
    const std::string& Bytes() const { return m_bytes; }

private:
    std::string m_bytes;
};

// Values no file would hold, so that an item that should stay absent shows.
SProjectData Sentinels()
{
    SProjectData d;
    d.scaleYear = -11;
    d.scaleAccuracy = -12;
    d.rangeEnabled = true;
    d.rangeFrom = -13;
    d.rangeTo = -14;
    d.priorityFilter = -15;
    d.description = "default";
    d.wrapLines = false;
    d.fonts.fill(SLogFont());
    d.fontColors.fill(0xABCDEF);
    d.colors.fill(0x123456);
    d.siblingProject = "sibling";
    d.textMargin = -16;
    return d;
}

// A file of the given version holding two columns and every item that
// version has: scale 10, accuracy 1, range on 1600..1700, priority 1,
// description, wrap on, fonts, colours 1..8, sibling, margin 4.
std::string FileOfVersion(int version)
{
    OldFile f;
    f.I32(version).I32(2);
    f.I32(0).I32(0).I32(50);
    f.I32(4).Str("lib/e.lev").I32(50).I32(500);
    if (version <= 3)
        f.I16(10).I32(1).I32(1).I16(1600).I16(1700);
    else
        f.I32(10).I32(1).I32(1).I32(1600).I32(1700);
    if (version >= 2)
        f.I32(1);
    if (version >= 3)
        f.Str(Sjis("説明"));
    if (version >= 5)
        f.I32(1);
    if (version == 6 || version == 7) {
        f.Font(-20, Sjis("ＭＳ 明朝")).I32(0x0000FF);
    } else if (version >= 8) {
        for (int slot = 0; slot < 7; ++slot)
            f.Font(-10 - slot, "Face" + std::to_string(slot)).I32(0x100 + slot);
    }
    const int colors = version >= 9 ? 8 : version >= 6 ? 6 : 0;
    for (int i = 0; i < colors; ++i)
        f.I32(i + 1);
    if (version >= 7)
        f.Str("other.fig");
    if (version >= 10)
        f.I32(4);
    return f.Bytes();
}

class EveryVersion : public ::testing::TestWithParam<int>
{
};

TEST_P(EveryVersion, ReadsTheItemsOfItsVersionAndKeepsTheRest)
{
    const int v = GetParam();
    SProjectData d = Sentinels();
    std::string error;
    ASSERT_TRUE(CProjectFile::Parse(FileOfVersion(v), d, error)) << error;

    EXPECT_EQ(d.version, v);
    ASSERT_EQ(d.columns.size(), 2u);
    EXPECT_EQ(d.columns[0].kind, 0);
    EXPECT_EQ(d.columns[0].libraryPath, "");
    EXPECT_EQ(d.columns[0].left, 0);
    EXPECT_EQ(d.columns[0].width, 50);
    EXPECT_EQ(d.columns[1].kind, 4);
    EXPECT_EQ(d.columns[1].libraryPath, "lib/e.lev");
    EXPECT_EQ(d.columns[1].left, 50);
    EXPECT_EQ(d.columns[1].width, 500);

    EXPECT_EQ(d.scaleYear, 10);
    EXPECT_EQ(d.scaleAccuracy, 1);
    EXPECT_TRUE(d.rangeEnabled);
    EXPECT_EQ(d.rangeFrom, 1600);
    EXPECT_EQ(d.rangeTo, 1700);
    EXPECT_EQ(d.priorityFilter, v >= 2 ? 1 : -15);
    EXPECT_EQ(d.description, v >= 3 ? Sjis("説明") : std::string("default"));
    EXPECT_EQ(d.wrapLines, v >= 5);
    EXPECT_EQ(d.siblingProject, v >= 7 ? std::string("other.fig") : std::string("sibling"));
    EXPECT_EQ(d.hasSiblingProject, v >= 7);
    EXPECT_EQ(d.textMargin, v >= 10 ? 4 : -16);
    EXPECT_EQ(d.hasTextMargin, v >= 10);

    if (v <= 5) {
        EXPECT_EQ(d.fontBlock, SProjectData::FontsAbsent);
        EXPECT_EQ(d.colorCount, 0);
        EXPECT_EQ(d.fontColors[0], 0xABCDEFu);
    } else if (v <= 7) {
        EXPECT_EQ(d.fontBlock, SProjectData::FontsOne);
        for (int slot = 0; slot < 7; ++slot) {
            EXPECT_EQ(d.fonts[slot].lfHeight, -20);
            EXPECT_EQ(d.fonts[slot].GetFaceName(), Sjis("ＭＳ 明朝"));
            EXPECT_EQ(d.fontColors[slot], 0x0000FFu);
        }
    } else {
        EXPECT_EQ(d.fontBlock, SProjectData::FontsSeven);
        for (int slot = 0; slot < 7; ++slot) {
            EXPECT_EQ(d.fonts[slot].lfHeight, -10 - slot);
            EXPECT_EQ(d.fonts[slot].lfWeight, 400);
            EXPECT_EQ(d.fonts[slot].lfCharSet, 128);
            EXPECT_EQ(d.fonts[slot].lfPitchAndFamily, 0x12);
            EXPECT_EQ(d.fonts[slot].GetFaceName(), "Face" + std::to_string(slot));
            EXPECT_EQ(d.fontColors[slot], 0x100u + slot);
        }
    }
    const int colors = v >= 9 ? 8 : v >= 6 ? 6 : 0;
    EXPECT_EQ(d.colorCount, colors);
    for (int i = 0; i < 8; ++i)
        EXPECT_EQ(d.colors[i], i < colors ? uint32_t(i + 1) : 0x123456u) << "colour " << i;
}

INSTANTIATE_TEST_SUITE_P(Versions1To10, EveryVersion, ::testing::Range(1, 11));

TEST(ProjectFileRead, SixteenBitValuesOfOldVersionsAreSigned)
{
    OldFile f;
    f.I32(3).I32(0).I16(100).I32(2).I32(0).I16(-5000).I16(-1).I32(0).Str("");
    SProjectData d;
    std::string error;
    ASSERT_TRUE(CProjectFile::Parse(f.Bytes(), d, error)) << error;
    EXPECT_EQ(d.scaleYear, 100);
    EXPECT_EQ(d.scaleAccuracy, 2);
    EXPECT_EQ(d.rangeFrom, -5000);
    EXPECT_EQ(d.rangeTo, -1);
}

TEST(ProjectFileRead, EveryStringLengthFormAndTheWideForm)
{
    const std::string mid(300, 'm');
    const std::string big(70000, 'b');
    for (int form = 0; form < 4; ++form) {
        OldFile f;
        f.I32(3).I32(1).I32(4);
        if (form == 0)
            f.Str("short.lev");
        else if (form == 1)
            f.Str(mid);
        else if (form == 2)
            f.Str(big);
        else // the wide form: 0xFF 0xFFFE, then the prefix counting UTF-16 units
            f.U8(0xFF).I16(0xFFFE).U8(2).I16(0x65E5).I16(0x672C); // 日本
        f.I32(0).I32(500);
        f.I16(1).I32(0).I32(0).I16(-9999).I16(9999).I32(2).Str("d");
        SProjectData d;
        std::string error;
        ASSERT_TRUE(CProjectFile::Parse(f.Bytes(), d, error)) << form << ": " << error;
        ASSERT_EQ(d.columns.size(), 1u);
        const std::string expected[] = {"short.lev", mid, big, Sjis("日本")};
        EXPECT_EQ(d.columns[0].libraryPath, expected[form]) << form;
        EXPECT_EQ(d.description, "d");
    }
}

TEST(ProjectFileRead, NoColumnsIsAProject)
{
    SProjectData written;
    const std::string bytes = CProjectFile::Serialize(written);
    SProjectData read = Sentinels();
    std::string error;
    ASSERT_TRUE(CProjectFile::Parse(bytes, read, error)) << error;
    EXPECT_TRUE(read.columns.empty());
}

// ---- refused files ------------------------------------------------------------

TEST(ProjectFileRefuses, AV10FileCutAtEveryByte)
{
    const std::string whole = FileOfVersion(10);
    for (size_t cut = 0; cut < whole.size(); ++cut) {
        SProjectData d;
        std::string error;
        EXPECT_FALSE(CProjectFile::Parse(whole.substr(0, cut), d, error)) << "cut at " << cut;
        EXPECT_FALSE(error.empty()) << "cut at " << cut;
    }
    SProjectData d;
    std::string error;
    EXPECT_TRUE(CProjectFile::Parse(whole, d, error)) << error;
}

TEST(ProjectFileRefuses, ValuesNoWriterProduces)
{
    struct Case
    {
        const char* name;
        std::string bytes;
    };
    auto withKind = [](long long kind) {
        OldFile f;
        f.I32(10).I32(1).I32(kind).I32(0).I32(50);
        return f.Bytes() + std::string(200, '\0');
    };
    auto withFaceCount = [](long long count) {
        OldFile f;
        f.I32(8).I32(0).I32(1).I32(0).I32(0).I32(-9999).I32(9999).I32(2).Str("").I32(0);
        f.I32(-15).I32(0).I32(0).I32(0).I32(400).Raw(std::string(8, '\0')).I32(count);
        f.Raw(std::string(200, 'x'));
        return f.Bytes();
    };
    OldFile hugeCount;
    hugeCount.I32(10).I32(0x7FFFFFFF).I32(0);
    OldFile negativeCount;
    negativeCount.I32(10).I32(-1);
    OldFile hugeString; // a length far beyond the file
    hugeString.I32(10).I32(1).I32(4).U8(0xFF).I16(0xFFFF).I32(0x7FFFFFF0).Raw("abc");

    const Case cases[] = {
        {"version 0", OldFile().I32(0).I32(0).Bytes()},
        {"version 11", OldFile().I32(11).I32(0).Bytes()},
        {"negative version", OldFile().I32(-3).I32(0).Bytes()},
        {"kind 5", withKind(5)},
        {"kind -1", withKind(-1)},
        {"face count 33", withFaceCount(33)},
        {"face count 0", withFaceCount(0)},
        {"face count negative", withFaceCount(-2)},
        {"column count beyond the file", hugeCount.Bytes()},
        {"negative column count", negativeCount.Bytes()},
        {"string longer than the file", hugeString.Bytes()},
        {"empty file", ""},
    };
    for (const Case& c : cases) {
        SProjectData d;
        std::string error;
        EXPECT_FALSE(CProjectFile::Parse(c.bytes, d, error)) << c.name;
        EXPECT_FALSE(error.empty()) << c.name;
    }
    // A face count of exactly 32 is the largest field there is.
    SProjectData d;
    std::string error;
    OldFile f;
    f.I32(8).I32(0).I32(1).I32(0).I32(0).I32(-9999).I32(9999).I32(2).Str("").I32(0);
    for (int slot = 0; slot < 7; ++slot)
        f.Font(-15, std::string(31, 'F')).I32(0);
    for (int i = 0; i < 6; ++i)
        f.I32(0);
    f.Str("");
    EXPECT_TRUE(CProjectFile::Parse(f.Bytes(), d, error)) << error;
    EXPECT_EQ(d.fonts[6].GetFaceName(), std::string(31, 'F'));
}

// ---- writing ------------------------------------------------------------------

TEST(ProjectFileWrite, VersionTenLayoutByteForByte)
{
    SProjectData d;
    d.version = 3; // always written as 10
    d.columns = {{0, "", 0, 50}, {1, "g.lgn", 50, 60}};
    d.scaleYear = 100;
    d.scaleAccuracy = 2;
    d.rangeEnabled = true;
    d.rangeFrom = -500;
    d.rangeTo = 2000;
    d.priorityFilter = 0;
    d.description = "abc";
    d.wrapLines = true;
    for (int slot = 0; slot < 7; ++slot) {
        d.fonts[slot].lfHeight = -15;
        d.fonts[slot].lfWeight = 400;
        d.fonts[slot].lfCharSet = 128;
        d.fonts[slot].lfPitchAndFamily = 0x12;
        d.fonts[slot].SetFaceName("F");
        d.fontColors[slot] = static_cast<uint32_t>(slot);
    }
    for (int i = 0; i < 8; ++i)
        d.colors[i] = 0x10 + i;
    d.siblingProject = "s";
    d.textMargin = 3;

    OldFile e;
    e.I32(10).I32(2).I32(0).I32(0).I32(50).I32(1).Str("g.lgn").I32(50).I32(60);
    e.I32(100).I32(2).I32(1).I32(-500).I32(2000).I32(0).Str("abc").I32(1);
    for (int slot = 0; slot < 7; ++slot)
        e.Font(-15, "F").I32(slot);
    // The sixth colour is the event font's colour (slot 0).
    e.I32(0x10).I32(0x11).I32(0x12).I32(0x13).I32(0x14).I32(0).I32(0x16).I32(0x17);
    e.Str("s").I32(3);
    EXPECT_EQ(CProjectFile::Serialize(d), e.Bytes());
}

TEST(ProjectFileWrite, RoundTripKeepsEverything)
{
    SProjectData d;
    d.columns = {{0, "", 0, 33},
                 {4, Sjis("日本史.lev"), 33, 477},
                 {3, "../x/p.ler", 510, 61},
                 {2, "b.lby", 571, 9}};
    d.scaleYear = 10;
    d.rangeFrom = -2147483647 - 1;
    d.rangeTo = 2147483647;
    d.description = Sjis("ここに説明");
    d.fonts[3].SetFaceName(std::string(31, 'z'));
    d.fonts[3].lfItalic = 1;
    d.fontColors[6] = 0xFFFFFF;
    d.colors[SProjectData::About] = 0x808080;
    d.siblingProject = Sjis("人物.fig");
    d.textMargin = 7;

    SProjectData r = Sentinels();
    std::string error;
    ASSERT_TRUE(CProjectFile::Parse(CProjectFile::Serialize(d), r, error)) << error;
    ASSERT_EQ(r.columns.size(), d.columns.size());
    for (size_t i = 0; i < d.columns.size(); ++i) {
        EXPECT_EQ(r.columns[i].kind, d.columns[i].kind);
        EXPECT_EQ(r.columns[i].libraryPath, d.columns[i].libraryPath);
        EXPECT_EQ(r.columns[i].left, d.columns[i].left);
        EXPECT_EQ(r.columns[i].width, d.columns[i].width);
    }
    EXPECT_EQ(r.scaleYear, 10);
    EXPECT_EQ(r.rangeFrom, d.rangeFrom);
    EXPECT_EQ(r.rangeTo, d.rangeTo);
    EXPECT_EQ(r.description, d.description);
    EXPECT_EQ(r.fonts[3].GetFaceName(), std::string(31, 'z'));
    EXPECT_EQ(r.fonts[3].lfItalic, 1);
    EXPECT_EQ(r.fontColors[6], 0xFFFFFFu);
    EXPECT_EQ(r.colors[SProjectData::About], 0x808080u);
    EXPECT_EQ(r.siblingProject, d.siblingProject);
    EXPECT_EQ(r.textMargin, 7);
}

} // namespace
