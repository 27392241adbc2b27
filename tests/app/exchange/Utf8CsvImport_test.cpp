// A CSV file saved as UTF-8 by a spreadsheet imports as the Shift-JIS one.

#include "AppTest.h"
#include "CsvInputText.h"
#include "ImportCSV.h"
#include "Sjis.h"
#include "TableContents.h"

#include <gtest/gtest.h>

namespace {

const std::string kCsv =
    "[出来事],7\r\n日本史\r\n説明\r\n1600,9,15,関ヶ原の戦い,\"東軍と\n西軍\",0,0,,0\r\n";

class Utf8CsvImport : public AppTest
{
protected:
    // Imports bytes; the library's bytes, or "" when refused.
    std::string Import(const std::string& bytes)
    {
        const std::string input = m_dir.File("in.csv");
        const std::string output = m_dir.File("out.lev");
        TempDir::Write(input, bytes);
        CImportCSV import;
        import.SetInputPath(input);
        import.SetOutputPath(output);
        if (!import.ClassifyInputFile() || !import.Convert())
            return std::string();
        return TempDir::Read(output);
    }
};

TEST_F(Utf8CsvImport, WithOrWithoutByteOrderMarkGivesTheShiftJisLibrary)
{
    const std::string fromSjis = Import(Sjis(kCsv));
    ASSERT_FALSE(fromSjis.empty());
    EXPECT_EQ(fromSjis, Import(kCsv));
    EXPECT_EQ(fromSjis, Import("\xEF\xBB\xBF" + kCsv));
    EXPECT_TRUE(m_host.Messages().empty());
}

TEST_F(Utf8CsvImport, ACharacterShiftJisLacksIsNamedWithItsLineAndNothingIsWritten)
{
    const std::string csv = "[出来事],7\r\n日本史\r\n説明\r\n1600,9,15,한국,,0,0,,0\r\n";
    EXPECT_EQ("", Import(csv));
    ASSERT_EQ(1u, m_host.Messages().size());
    const std::string message = m_host.Messages()[0];
    EXPECT_NE(std::string::npos, message.find("「한」"));
    EXPECT_NE(std::string::npos, message.find("U+D55C"));
    EXPECT_NE(std::string::npos, message.find("4行目"));
    EXPECT_EQ(std::vector<std::string>{"in.csv"}, TempDir::Names(m_dir.Path()));
}

TEST(CsvInputText, OnlyUtf8ThatIsNotShiftJisIsConverted)
{
    CCsvInputText text;
    // Plain ASCII and Shift-JIS stay byte for byte.
    for (const std::string& bytes : {std::string("[x],1\r\n"), Sjis(kCsv)}) {
        EXPECT_EQ(CCsvInputText::Loaded, text.Decode(bytes));
        EXPECT_EQ(bytes, text.Text());
        EXPECT_FALSE(text.WasUtf8());
    }
    EXPECT_EQ(CCsvInputText::Loaded, text.Decode(kCsv));
    EXPECT_TRUE(text.WasUtf8());
    EXPECT_EQ(Sjis(kCsv), text.Text());
    // Invalid UTF-8 is not UTF-8: overlong forms and surrogates.
    EXPECT_FALSE(CCsvInputText::IsUtf8("\xC0\xAF"));
    EXPECT_FALSE(CCsvInputText::IsUtf8("\xED\xA0\x80"));
    EXPECT_TRUE(CCsvInputText::IsUtf8("\xF0\x9F\x98\x80"));
}

} // namespace
