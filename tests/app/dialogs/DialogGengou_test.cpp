#include "DialogGengou.h"

#include "DialogTestEnv.h"
#include "YearInput.h"
#include "Sjis.h"
#include "TableContents.h"

#include <QDialogButtonBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>

namespace {

class DialogGengouTest : public DialogTest
{
protected:
    DialogGengouTest()
    {
        m_table.SetData(Sjis("明治"), 1868, 1912, Sjis("一\r\n二"));
        m_table.SetData(Sjis("大正"), 1912, 1926, "");
        m_table.SetData(Sjis("昭和"), 1926, 1989, "");
        m_table.SetModified(false);
    }

    struct SForm
    {
        QLineEdit* name;
        QLineEdit* start;
        QLineEdit* end;
        QPlainTextEdit* supplement;
        QLineEdit* counter;
    };
    SForm Form(CDialogGengou& d)
    {
        return {Child<QLineEdit>(d, "editName"), Child<QLineEdit>(d, "editStart"),
                Child<QLineEdit>(d, "editEnd"), Child<QPlainTextEdit>(d, "editSupplement"),
                Child<QLineEdit>(d, "editCounter")};
    }
    void Click(CDialogGengou& d, const char* name) { Child<QPushButton>(d, name)->click(); }
    void Fill(CDialogGengou& d, const char* name, const char* start, const char* end)
    {
        const SForm f = Form(d);
        f.name->setText(QString::fromUtf8(name));
        f.start->setText(QString::fromUtf8(start));
        f.end->setText(QString::fromUtf8(end));
    }

    CGengouEra m_table;
};

TEST_F(DialogGengouTest, OpensOnTheRowOfTheYearAndBrowsesAround)
{
    CDialogGengou d(m_table, 1, 1920, false);
    SForm f = Form(d);
    EXPECT_EQ(Child<QLabel>(d, "labelName")->text(), QStringLiteral("元号名"));
    EXPECT_EQ(f.counter->text(), QStringLiteral("2/3"));
    EXPECT_EQ(f.name->text(), QStringLiteral("大正"));
    Click(d, "buttonNext");
    Click(d, "buttonNext"); // wraps
    EXPECT_EQ(f.counter->text(), QStringLiteral("1/3"));
    EXPECT_EQ(f.supplement->toPlainText(), QStringLiteral("一\n二"));
    Click(d, "buttonPrev"); // wraps back
    EXPECT_EQ(f.name->text(), QStringLiteral("昭和"));
    EXPECT_TRUE(m_host.Messages().empty());

    CDialogGengou periods(m_table, 3, 1500, false); // no row: the first
    EXPECT_EQ(Child<QLabel>(periods, "labelName")->text(), QStringLiteral("時代名"));
    EXPECT_EQ(Form(periods).counter->text(), QStringLiteral("1/3"));
}

TEST_F(DialogGengouTest, NewRowsWithNextCarryTheLastYearOn)
{
    CDialogGengou d(m_table, 1, kNoYear, true);
    SForm f = Form(d);
    EXPECT_EQ(f.counter->text(), QStringLiteral("新規入力/3"));
    EXPECT_FALSE(Child<QPushButton>(d, "buttonNew")->isEnabled());
    EXPECT_FALSE(Child<QPushButton>(d, "buttonDelete")->isEnabled());
    Fill(d, "平成", "1989", "2019");
    Click(d, "buttonNext");
    EXPECT_EQ(f.counter->text(), QStringLiteral("新規入力/4"));
    EXPECT_EQ(f.start->text(), QStringLiteral("2020"));
    f.name->setText(QStringLiteral("令和"));
    f.start->setText(QStringLiteral("2019"));
    d.show();
    f.end->setFocus();
    QApplication::processEvents();
    EXPECT_EQ(f.end->text(), QStringLiteral("2019")); // copied from the first year
    f.end->clear();
    PressOk(d); // no last year: an open row
    EXPECT_EQ(d.result(), QDialog::Accepted);
    EXPECT_EQ(Names(d.GetTable()),
              (std::vector<std::string>{"明治", "大正", "昭和", "平成", "令和"}));
    EXPECT_EQ(d.GetTable().GetAt(4).endYear, kNoYear);
    EXPECT_TRUE(d.GetTable().GetModified());
    EXPECT_EQ(Names(m_table).size(), 3u); // the caller's table is untouched
}

TEST_F(DialogGengouTest, RefusedRowsKeepTheForm)
{
    struct SCase
    {
        const char *name, *start, *end, *message;
    } cases[] = {
        {"", "1900", "1901", CDialogGengou::kNoNameMessage},
        {"寛永", "", "", CDialogGengou::kNoStartMessage},
        {"寛永", "1644", "1624", CDialogGengou::kOrderMessage},
        {"寛永", "-", "", CDialogGengou::kStartNumberMessage},
        {"寛永", "1624", "99999999999", CDialogGengou::kEndNumberMessage},
        {"寛永", "0", "1", CYearInput::kYearZeroMessage},
        {"寛永", "-5", "0", CYearInput::kYearZeroMessage},
        {"大正", "1624", "1644", "「大正」は既に登録されています。別の名前にしてください。"},
        {"寛永𠮷", "1624", "1644", "「𠮷」(U+20BB7) はShift-JISで保存できない文字です。"},
    };
    for (const SCase& c : cases) {
        for (const char* button : {"buttonNext", "buttonPrev", "ok"}) {
            SCOPED_TRACE(std::string(c.name) + c.start + c.end + button);
            m_host.Clear();
            CDialogGengou d(m_table, 1, kNoYear, true);
            Fill(d, c.name, c.start, c.end);
            if (std::string(button) == "ok")
                PressOk(d);
            else
                Click(d, button);
            ASSERT_EQ(m_host.Messages().size(), 1u);
            EXPECT_EQ(m_host.Messages()[0].rfind(c.message, 0), 0u) << m_host.Messages()[0];
            EXPECT_EQ(Form(d).name->text(), QString::fromUtf8(c.name));
            EXPECT_EQ(Form(d).counter->text(), QStringLiteral("新規入力/3"));
            EXPECT_EQ(d.GetTable().GetSize(), 3);
            EXPECT_NE(d.result(), QDialog::Accepted);
        }
    }
}

TEST_F(DialogGengouTest, NothingEnteredMovesOnButOkRefusesIt)
{
    CDialogGengou d(m_table, 1, kNoYear, true);
    Fill(d, "", "1900", ""); // a first year alone counts as nothing
    Click(d, "buttonPrev");
    EXPECT_TRUE(m_host.Messages().empty());
    EXPECT_EQ(Form(d).counter->text(), QStringLiteral("3/3"));
    Click(d, "buttonNew");
    PressOk(d);
    EXPECT_EQ(m_host.Messages(), std::vector<std::string>{CDialogGengou::kNothingMessage});
    EXPECT_NE(d.result(), QDialog::Accepted);

    // After rows were added the blank form ends with OK.
    Fill(d, "平成", "1989", "2019");
    Click(d, "buttonNext");
    PressOk(d);
    EXPECT_EQ(d.result(), QDialog::Accepted);
    EXPECT_EQ(d.GetTable().GetSize(), 4);
}

TEST_F(DialogGengouTest, EditedFirstYearKeepsTheTableInYearOrder)
{
    CDialogGengou d(m_table, 3, 1870, false);
    Fill(d, "明治", "1930", "1940");
    PressOk(d);
    ASSERT_EQ(d.result(), QDialog::Accepted);
    EXPECT_EQ(Names(d.GetTable()), (std::vector<std::string>{"大正", "昭和", "明治"}));
    EXPECT_EQ(d.GetTable().GetAt(2).supplement, Sjis("一\r\n二"));
}

TEST_F(DialogGengouTest, DeleteAsksAndStepsBackFromTheLastRow)
{
    CDialogGengou d(m_table, 1, 1950, false);
    m_host.QueueAnswer(CHostServices::AnswerNo);
    Click(d, "buttonDelete");
    EXPECT_EQ(d.GetTable().GetSize(), 3);
    m_host.QueueAnswer(CHostServices::AnswerYes);
    Click(d, "buttonDelete");
    EXPECT_EQ(m_host.Messages(), std::vector<std::string>(2, CDialogGengou::kDeleteQuestion));
    EXPECT_EQ(Names(d.GetTable()), (std::vector<std::string>{"明治", "大正"}));
    EXPECT_EQ(Form(d).counter->text(), QStringLiteral("2/2"));
}

TEST_F(DialogGengouTest, CancelAsksOnlyWhenSomethingChanged)
{
    {
        CDialogGengou d(m_table, 1, 1920, false);
        PressCancel(d);
        EXPECT_EQ(d.result(), QDialog::Rejected);
        EXPECT_TRUE(m_host.Messages().empty());
    }
    for (bool storedRow : {false, true}) {
        m_host.Clear();
        CDialogGengou d(m_table, 1, kNoYear, true);
        Fill(d, "平成", "1989", "2019");
        if (storedRow)
            Click(d, "buttonNext"); // the form is blank again, the table changed
        d.show();
        m_host.QueueAnswer(CHostServices::AnswerNo);
        PressCancel(d);
        EXPECT_TRUE(d.isVisible());
        m_host.QueueAnswer(CHostServices::AnswerYes);
        PressCancel(d);
        EXPECT_FALSE(d.isVisible());
        EXPECT_EQ(m_host.Messages(), std::vector<std::string>(2, CDialogGengou::kCancelQuestion));
    }
}

TEST_F(DialogGengouTest, LinkButtonFollowsTheTextFields)
{
    CDialogGengou d(m_table, 1, 1920, false);
    d.show();
    auto* link = Child<QPushButton>(d, "buttonLink");
    EXPECT_FALSE(link->isEnabled());
    Form(d).supplement->setFocus();
    QApplication::processEvents();
    EXPECT_TRUE(link->isEnabled());
    Form(d).start->setFocus();
    QApplication::processEvents();
    EXPECT_FALSE(link->isEnabled());
    EXPECT_FALSE(Form(d).start->testAttribute(Qt::WA_InputMethodEnabled));
    EXPECT_TRUE(Form(d).name->testAttribute(Qt::WA_InputMethodEnabled));
}

TEST_F(DialogGengouTest, TheClosingTipBelongsToOk)
{
    CDialogGengou d(m_table, 3, kNoYear, false);
    auto* box = Child<QDialogButtonBox>(d, "buttonBox");
    EXPECT_EQ(box->button(QDialogButtonBox::Ok)->toolTip(), QStringLiteral("画面を閉じます"));
    EXPECT_TRUE(box->button(QDialogButtonBox::Cancel)->toolTip().isEmpty());
    EXPECT_EQ(box->button(QDialogButtonBox::Cancel)->text(), QStringLiteral("キャンセル"));
    EXPECT_EQ(Child<QLabel>(d, "labelName")->text(), QStringLiteral("時代名"));
}

} // namespace
