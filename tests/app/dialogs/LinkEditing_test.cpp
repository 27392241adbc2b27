#include "DialogSetLink.h"
#include "EditDialogData.h"

#include "DialogTestEnv.h"

#include <QDialogButtonBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTextEdit>

namespace {

// Answers the link dialog: records what it offered, then types and presses.
struct SAnswer
{
    QString name;   // null: keep what the dialog offers
    QString target; // null: keep
    bool ok = true;
    QString offeredName;
    QString offeredTarget;
};

class LinkEditingTest : public DialogTest
{
protected:
    LinkEditingTest()
    {
        CEditDialogData::SetLinkDialogRunnerForTesting([this](CDialogSetLink& dialog) {
            m_answer.offeredName = dialog.GetName();
            m_answer.offeredTarget = dialog.GetTarget();
            if (!m_answer.name.isNull())
                dialog.SetName(m_answer.name);
            if (!m_answer.target.isNull())
                dialog.SetTarget(m_answer.target);
            if (m_answer.ok)
                dialog.accept();
            else
                dialog.reject();
            return dialog.result();
        });
    }
    ~LinkEditingTest() override { CEditDialogData::SetLinkDialogRunnerForTesting(nullptr); }

    SAnswer m_answer;
};

TEST_F(LinkEditingTest, SelectedWordWithDefaultTargetBecomesTheName)
{
    QLineEdit edit;
    edit.setText(QStringLiteral("関ヶ原の戦い"));
    edit.setSelection(0, 3);
    ASSERT_TRUE(CEditDialogData::RunLinkStep(&edit));
    EXPECT_EQ(m_answer.offeredName, QStringLiteral("関ヶ原"));
    EXPECT_EQ(m_answer.offeredTarget, QStringLiteral("http://"));
    EXPECT_EQ(edit.text(), QStringLiteral("<A HREF=\"http://\">関ヶ原</A>の戦い"));
    edit.undo();
    EXPECT_EQ(edit.text(), QStringLiteral("関ヶ原の戦い"));
}

TEST_F(LinkEditingTest, CursorInsideAnyLinkReplacesItsWholeMarkup)
{
    const QString before =
        QStringLiteral("𠮷<A HREF=\"a.html\">一</A>と<a href=\"http://x/\">二番</a>終");
    struct SCase
    {
        int cursor;
        const char* name;
        const char* target;
        const char* after;
    } cases[] = {
        {3, "一", "a.html", "𠮷<A HREF=\"b.html\">新</A>と<a href=\"http://x/\">二番</a>終"},
        {29, "二番", "http://x/", "𠮷<A HREF=\"a.html\">一</A>と<A HREF=\"b.html\">新</A>終"},
        {// inside the closing tag
         50, "二番", "http://x/", "𠮷<A HREF=\"a.html\">一</A>と<A HREF=\"b.html\">新</A>終"},
    };
    for (const SCase& c : cases) {
        SCOPED_TRACE(c.cursor);
        QPlainTextEdit edit;
        edit.setPlainText(before);
        QTextCursor cursor = edit.textCursor();
        cursor.setPosition(c.cursor);
        edit.setTextCursor(cursor);
        m_answer.name = QStringLiteral("新");
        m_answer.target = QStringLiteral("b.html");
        ASSERT_TRUE(CEditDialogData::RunLinkStep(&edit));
        EXPECT_EQ(m_answer.offeredName, QString::fromUtf8(c.name));
        EXPECT_EQ(m_answer.offeredTarget, QString::fromUtf8(c.target));
        EXPECT_EQ(edit.toPlainText(), QString::fromUtf8(c.after));
        edit.undo();
        EXPECT_EQ(edit.toPlainText(), before);
    }
}

TEST_F(LinkEditingTest, CursorOutsideLinksInsertsANewOne)
{
    QTextEdit edit;
    edit.setPlainText(QStringLiteral("<A HREF=\"a\">一</A>\n次の行"));
    QTextCursor cursor = edit.textCursor();
    cursor.movePosition(QTextCursor::End);
    edit.setTextCursor(cursor);
    m_answer.name = QStringLiteral("名");
    m_answer.target = QStringLiteral("c.html");
    ASSERT_TRUE(CEditDialogData::RunLinkStep(&edit));
    EXPECT_EQ(m_answer.offeredName, QString());
    EXPECT_EQ(edit.toPlainText(),
              QStringLiteral("<A HREF=\"a\">一</A>\n次の行<A HREF=\"c.html\">名</A>"));
}

TEST_F(LinkEditingTest, CancelLeavesTheFieldAlone)
{
    QLineEdit edit;
    edit.setText(QStringLiteral("abc"));
    edit.selectAll();
    m_answer.ok = false;
    EXPECT_FALSE(CEditDialogData::RunLinkStep(&edit));
    EXPECT_EQ(edit.text(), QStringLiteral("abc"));
}

TEST_F(LinkEditingTest, DialogNeedsNameAndTarget)
{
    const struct
    {
        const char* name;
        const char* target;
        bool accepted;
    } cases[] = {{"", "http://a/", false}, {"名", "", false}, {"名", "http://a/", true}};
    for (const auto& c : cases) {
        m_host.Clear();
        CDialogSetLink dialog(QString::fromUtf8(c.name), QString());
        EXPECT_EQ(dialog.GetTarget(), QStringLiteral("http://"));
        EXPECT_EQ(
            Child<QDialogButtonBox>(dialog, "buttonBox")->button(QDialogButtonBox::Cancel)->text(),
            QStringLiteral("ｷｬﾝｾﾙ"));
        dialog.SetTarget(QString::fromUtf8(c.target));
        PressOk(dialog);
        EXPECT_EQ(dialog.result() == QDialog::Accepted, c.accepted) << c.name << c.target;
        if (c.accepted) {
            EXPECT_TRUE(m_host.Messages().empty());
            EXPECT_EQ(dialog.GetResult(), QStringLiteral("<A HREF=\"http://a/\">名</A>"));
        } else {
            EXPECT_EQ(m_host.Messages(), std::vector<std::string>{CDialogSetLink::kMissingMessage});
        }
    }
}

TEST_F(LinkEditingTest, BrowseTakesTheChosenFileAsTarget)
{
    CDialogSetLink dialog(QStringLiteral("名"), QStringLiteral("http://keep/"));
    auto* browse = Child<QPushButton>(dialog, "buttonBrowse");
    browse->click(); // cancelled: nothing queued
    EXPECT_EQ(dialog.GetTarget(), QStringLiteral("http://keep/"));
    m_host.QueueFileName("/home/u/年表/page.html");
    browse->click();
    EXPECT_EQ(dialog.GetTarget(), QStringLiteral("/home/u/年表/page.html"));
    ASSERT_EQ(m_host.Records().size(), 2u);
    const SFileDialogRequest& request = m_host.Records()[1].request;
    EXPECT_EQ(request.filter, CDialogSetLink::kBrowseFilter);
    EXPECT_TRUE(request.flags & SFileDialogRequest::FileMustExist);
    EXPECT_TRUE(request.flags & SFileDialogRequest::NoChangeDir);
}

} // namespace
