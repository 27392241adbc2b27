#include "SjisInput.h"

#include "DialogTestEnv.h"
#include "Sjis.h"

#include <QLineEdit>
#include <QPlainTextEdit>

namespace {

class SjisInputTest : public DialogTest
{
};

TEST_F(SjisInputTest, ConvertsJapaneseAsciiAndLineBreaks)
{
    std::string out = "old";
    const QString text = QStringLiteral("年表 ABC\r\n～①髙");
    ASSERT_TRUE(CSjisInput::ToSjis(text, out, nullptr));
    EXPECT_EQ(out, Sjis("年表 ABC\r\n～①髙"));
    EXPECT_TRUE(m_host.Messages().empty());
    ASSERT_TRUE(CSjisInput::ToSjis(QString(), out, nullptr));
    EXPECT_EQ(out, "");
}

struct SBadCase
{
    const char* utf8;
    int pos;
    int length;
    const char* named;
};

TEST_F(SjisInputTest, RefusesTheFirstUnencodableCharacterByName)
{
    const SBadCase cases[] = {
        {"吉野𠮷野家", 2, 2, "「𠮷」(U+20BB7)"},
        {"ab😀", 2, 2, "「😀」(U+1F600)"},
        {"한", 0, 1, "「한」(U+D55C)"},
        {"x\xC2\xA0", 1, 1, "(U+00A0)"},
    };
    for (const SBadCase& c : cases) {
        SCOPED_TRACE(c.utf8);
        m_host.Clear();
        QLineEdit edit;
        edit.setText(QString::fromUtf8(c.utf8));
        std::string out = "kept";
        EXPECT_FALSE(CSjisInput::ToSjis(edit.text(), out, &edit));
        EXPECT_EQ(out, "kept");
        ASSERT_EQ(m_host.Messages().size(), 1u);
        const std::string message = m_host.Messages()[0];
        EXPECT_NE(message.find(c.named), std::string::npos) << message;
        EXPECT_NE(message.find("はShift-JISで保存できない文字です。"), std::string::npos);
        EXPECT_EQ(edit.selectionStart(), c.pos);
        EXPECT_EQ(edit.selectedText().size(), c.length);
    }
}

TEST_F(SjisInputTest, LoneSurrogateIsRefusedNotReplaced)
{
    QString text = QStringLiteral("ab");
    text.insert(1, QChar(0xD800));
    std::string out;
    int pos = -1, length = -1;
    EXPECT_FALSE(CSjisInput::TryToSjis(text, out, &pos, &length));
    EXPECT_EQ(pos, 1);
    EXPECT_EQ(length, 1);
    EXPECT_NE(CSjisInput::UnencodableMessage(text, pos, length).find("U+D800"), std::string::npos);
}

TEST_F(SjisInputTest, SelectsTheCharacterInAMultiLineField)
{
    QPlainTextEdit edit;
    edit.setPlainText(QStringLiteral("一行目\n二行目😀"));
    std::string out;
    EXPECT_FALSE(CSjisInput::ToSjis(edit.toPlainText(), out, &edit));
    EXPECT_EQ(edit.textCursor().selectionStart(), 7);
    EXPECT_EQ(edit.textCursor().selectedText(), QStringLiteral("😀"));
}

TEST_F(SjisInputTest, ShowsLibraryBytesAndSurvivesBadOnes)
{
    EXPECT_EQ(CSjisInput::FromSjis(Sjis("出来事")), QStringLiteral("出来事"));
    EXPECT_EQ(CSjisInput::FromSjis("a\x81"), QStringLiteral("a\uFFFD"));
}

// Whatever break an edit hands over, stored text has CR LF, exactly one per
// break; and a stored text comes back to the edit with LF breaks.
TEST_F(SjisInputTest, MultiLineTextKeepsCrLfBreaks)
{
    const struct
    {
        const char* edit;
        const char* stored;
    } cases[] = {
        {"a\nb", "a\r\nb"},   {"a\rb", "a\r\nb"},           {"a\r\nb", "a\r\nb"},
        {"\n\n", "\r\n\r\n"}, {"\r\r\n\n", "\r\n\r\n\r\n"}, {"x\r", "x\r\n"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(CSjisInput::WithCrLf(c.edit), c.stored) << c.edit;
    // 表 ends in the byte of '\\'; the text around it stays as it is.
    EXPECT_EQ(CSjisInput::WithCrLf(Sjis("表\n示")), Sjis("表\r\n示"));
    EXPECT_EQ(CSjisInput::FromSjisLines(Sjis("表\r\n示\r\n")), QStringLiteral("表\n示\n"));
}

} // namespace
