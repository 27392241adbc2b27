#include "DialogMakeEvent.h"

#include "DialogSetLink.h"
#include "DialogTestEnv.h"
#include "YearInput.h"
#include "EditDialogData.h"
#include "GengouEra.h"
#include "Sjis.h"
#include "TableContents.h"
#include "YearEvent.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDate>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <cstdlib>

namespace {

SEventData Event(int32_t year, const std::string& text, int priority = 0, int month = -1,
                 int day = -1)
{
    SEventData e;
    e.year = year;
    e.text = Sjis(text);
    e.priority = priority;
    e.month = static_cast<int16_t>(month);
    e.day = static_cast<int16_t>(day);
    return e;
}

// The dialog with the library information answered without a modal loop.
class TestDialog : public CDialogMakeEvent
{
public:
    using CDialogMakeEvent::CDialogMakeEvent;
    int infoCalls = 0;

protected:
    bool ShowLibraryInfo(CYearEvent& table) override
    {
        ++infoCalls;
        table.SetTableName(Sjis("改題"));
        return true;
    }
};

class MakeEventTest : public DialogTest
{
protected:
    MakeEventTest() { m_host.SetDefaultAnswer(CHostServices::AnswerNo); }

    void AddRecords(std::initializer_list<SEventData> records)
    {
        for (const SEventData& r : records)
            m_table.SetData(r, true, -1, EP_EVERY);
        m_table.SetModified(false);
    }
    void AddEras()
    {
        auto eras = std::make_unique<CGengouEra>();
        eras->GetGengoEraTable().push_back({Sjis("明治"), 1868, 1912, ""});
        eras->GetGengoEraTable().push_back({Sjis("<A HREF=\"t.html\">大正</A>"), 1912, 1926, ""});
        m_doc->AddEraNameTable(std::move(eras));
    }
    std::unique_ptr<TestDialog> OpenNew(int32_t prefill = -1)
    {
        return std::make_unique<TestDialog>(m_doc.get(), m_table, kNoYear, prefill, true);
    }
    std::unique_ptr<TestDialog> OpenAt(int32_t year, int offset = 0)
    {
        return std::make_unique<TestDialog>(m_doc.get(), m_table, year, offset, false);
    }

    template <typename T> static T* W(QDialog& d, const char* name) { return Child<T>(d, name); }
    static QLineEdit* Year(QDialog& d) { return W<QLineEdit>(d, "editYear"); }
    static QPlainTextEdit* Text(QDialog& d) { return W<QPlainTextEdit>(d, "editEvent"); }
    static QPlainTextEdit* Supplement(QDialog& d) { return W<QPlainTextEdit>(d, "editSupplement"); }
    static QLineEdit* Other(QDialog& d) { return W<QLineEdit>(d, "editOtherYear"); }
    static QString Counter(QDialog& d) { return W<QLineEdit>(d, "editCounter")->text(); }
    static void Click(QDialog& d, const char* name) { W<QAbstractButton>(d, name)->click(); }
    static void Choose(QDialog& d, const char* combo, const QString& item)
    {
        auto* c = W<QComboBox>(d, combo);
        const int i = c->findText(item);
        ASSERT_GE(i, 0) << item.toStdString();
        c->setCurrentIndex(i);
        emit c->activated(i);
    }
    static void Fill(QDialog& d, const QString& year, const QString& text)
    {
        Year(d)->setText(year);
        Text(d)->setPlainText(text);
    }
    std::vector<std::string> Messages() const { return m_host.Messages(); }

    CYearEvent m_table;
};

} // namespace

// ---- year limits and era conversion ------------------------------------------

TEST_F(MakeEventTest, YearLimitsOfTheTypeAreRefusedWithTheFocusOnTheYear)
{
    const struct
    {
        const char* typed;
        bool accepted;
        int32_t stored;
    } cases[] = {
        {"2147483647", false, 0},         {"-2147483648", false, 0},
        {"99999999999", false, 0},        {"-2147483647", true, -2147483647},
        {"2147483646", true, 2147483646},
        // There is no year 0: the year before 1 is -1.
        {"0", false, 0},                  {"-0", false, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.typed);
        m_host.Clear();
        auto d = OpenNew();
        d->show();
        Year(*d)->setText(QString::fromLatin1(c.typed)); // bypasses the validator's length
        Text(*d)->setPlainText(QStringLiteral("出来事"));
        PressOk(*d);
        if (c.accepted) {
            EXPECT_EQ(d->result(), QDialog::Accepted);
            ASSERT_EQ(d->GetTable().GetLen(), 1);
            EXPECT_EQ(d->GetTable().GetRecord(0).year, c.stored);
            EXPECT_TRUE(Messages().empty());
        } else {
            EXPECT_EQ(Messages(), std::vector<std::string>{c.typed[1] == '0' || c.typed[0] == '0'
                                                                ? CYearInput::kYearZeroMessage
                                                                : CDialogMakeEvent::kYearRangeMessage});
            EXPECT_EQ(d->focusWidget(), Year(*d));
            EXPECT_EQ(d->GetTable().GetLen(), 0);
            EXPECT_TRUE(d->isVisible());
        }
    }
}

TEST_F(MakeEventTest, EraYearsConvertThroughTheEraListAndOutOfRangeYearsAreRefused)
{
    AddEras();
    const struct
    {
        int item;
        const char* typed;
        int32_t stored; // kNoYear: refused
    } cases[] = {
        {1, "1", 1868},    {1, "45", 1912}, {1, "46", kNoYear},
        {1, "0", kNoYear}, {2, "15", 1926}, // name with link markup, listed without it
        {0, "1868", 1868},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.typed);
        m_host.Clear();
        auto d = OpenNew();
        auto* kind = W<QComboBox>(*d, "comboYearKind");
        ASSERT_EQ(kind->count(), 3);
        EXPECT_EQ(kind->itemText(1), QStringLiteral("明治(～45)"));
        EXPECT_EQ(kind->itemText(2), QStringLiteral("大正(～15)"));
        kind->setCurrentIndex(c.item);
        Fill(*d, QString::fromLatin1(c.typed), QStringLiteral("出来事"));
        PressOk(*d);
        if (c.stored == kNoYear) {
            EXPECT_EQ(Messages(), std::vector<std::string>{CDialogMakeEvent::kEraRangeMessage});
            EXPECT_EQ(d->GetTable().GetLen(), 0);
        } else {
            ASSERT_EQ(d->GetTable().GetLen(), 1);
            EXPECT_EQ(d->GetTable().GetRecord(0).year, c.stored);
        }
    }
}

TEST_F(MakeEventTest, ChoosingAnEraStartsAtYearOneAndTheWesternYearComesBack)
{
    AddEras();
    auto d = OpenNew();
    Year(*d)->setText("1900");
    Choose(*d, "comboYearKind", QStringLiteral("明治(～45)"));
    EXPECT_EQ(Year(*d)->text(), "1");
    Year(*d)->setText("33");
    Choose(*d, "comboYearKind", QStringLiteral("大正(～15)"));
    EXPECT_EQ(Year(*d)->text(), "1");
    // Back to Western years: the year typed before the first era, never an
    // era year.
    Choose(*d, "comboYearKind", QStringLiteral("西暦"));
    EXPECT_EQ(Year(*d)->text(), "1900");
}

// ---- date lists, range controls and the other year ---------------------------

TEST_F(MakeEventTest, DayListsStoreTensAndUnitsAndShowThemBack)
{
    const struct
    {
        const char *month, *tens, *units;
        bool leap;
        int16_t storedMonth, storedDay;
        bool storedLeap;
    } cases[] = {
        {"3", "無", "5", false, 3, 5, false}, {"3", "3", "無", false, 3, -1, false},
        {"12", "3", "1", true, 12, 31, true}, {"無", "1", "0", true, -1, 10, false},
        {"2", "2", "9", false, 2, 29, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.month) + "/" + c.tens + "/" + c.units);
        CYearEvent empty;
        m_table = empty;
        auto d = OpenNew();
        Fill(*d, "1600", QStringLiteral("出来事"));
        Choose(*d, "comboMonth", QString::fromUtf8(c.month));
        Choose(*d, "comboDayTens", QString::fromUtf8(c.tens));
        Choose(*d, "comboDayUnits", QString::fromUtf8(c.units));
        W<QCheckBox>(*d, "checkLeapMonth")->setChecked(c.leap);
        PressOk(*d);
        ASSERT_EQ(d->GetTable().GetLen(), 1);
        const SEventData stored = d->GetTable().GetRecord(0);
        EXPECT_EQ(stored.month, c.storedMonth);
        EXPECT_EQ(stored.day, c.storedDay);
        EXPECT_EQ(stored.leapMonth, c.storedLeap);

        // Shown back, the lists give the same record: nothing to ask on Cancel.
        m_table = d->GetTable();
        auto again = OpenAt(1600);
        if (c.storedDay == 5) {
            EXPECT_EQ(W<QComboBox>(*again, "comboDayTens")->currentText(), "0");
            EXPECT_EQ(W<QComboBox>(*again, "comboDayUnits")->currentText(), "5");
        }
        m_host.Clear();
        PressCancel(*again);
        EXPECT_TRUE(Messages().empty());
    }
}

TEST_F(MakeEventTest, ARecordWithTheFreshZeroDateOpensWithoutDateAndStoresAgain)
{
    // Records made in code (or read from files written that way) carry month
    // and day 0; the editor must show them as "no date" and let OK store them.
    SEventData fresh;
    fresh.year = 1600;
    fresh.text = Sjis("出来事");
    AddRecords({fresh});
    auto d = OpenAt(1600);
    EXPECT_EQ(W<QComboBox>(*d, "comboDayTens")->currentIndex(), 0);
    EXPECT_EQ(W<QComboBox>(*d, "comboDayUnits")->currentIndex(), 0);
    EXPECT_EQ(W<QComboBox>(*d, "comboMonth")->currentIndex(), 0);
    m_host.Clear();
    PressOk(*d);
    EXPECT_TRUE(Messages().empty());
    EXPECT_EQ(d->result(), QDialog::Accepted);
}

TEST_F(MakeEventTest, ImpossibleDaysAndTypedTextThatNamesNoItemAreHandled)
{
    for (const char* tens : {"0", "3"}) {
        SCOPED_TRACE(tens);
        m_host.Clear();
        auto d = OpenNew();
        Fill(*d, "1600", QStringLiteral("出来事"));
        Choose(*d, "comboDayTens", QString::fromLatin1(tens));
        Choose(*d, "comboDayUnits", QString::fromLatin1(tens[0] == '0' ? "0" : "2"));
        PressOk(*d);
        EXPECT_EQ(Messages(), std::vector<std::string>{CDialogMakeEvent::kDayRangeMessage});
        EXPECT_EQ(d->GetTable().GetLen(), 0);
    }
    // Typed text that selects no item counts as no choice.
    auto d = OpenNew();
    Fill(*d, "1600", QStringLiteral("出来事"));
    W<QComboBox>(*d, "comboMonth")->setEditText("13");
    PressOk(*d);
    ASSERT_EQ(d->GetTable().GetLen(), 1);
    EXPECT_EQ(d->GetTable().GetRecord(0).month, -1);
}

TEST_F(MakeEventTest, OtherYearIsReadAsTheLibraryFileReadsIt)
{
    const struct
    {
        const char* check;
        const char* year;
        const char* typed;
        bool otherAbout;
        int32_t other;
        uint32_t flags;
    } cases[] = {
        {"checkFrom", "5", "010", false, 8, RANGE_FROM},
        {"checkFrom", "5", "0x7D0", true, 2000, RANGE_FROM | RANGE_OTHER_YEAR_ABOUT},
        {"checkFrom", "5", "", false, 0, RANGE_FROM},
        {"checkUntil", "1600", "1500", false, 1500, RANGE_UNTIL},
        {"checkUntil", "1600", "-5", false, -5, RANGE_UNTIL},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.typed);
        m_host.Clear();
        auto d = OpenNew();
        Fill(*d, QString::fromLatin1(c.year), QStringLiteral("出来事"));
        Click(*d, c.check);
        ASSERT_TRUE(Other(*d)->isEnabled());
        Other(*d)->setText(QString::fromLatin1(c.typed));
        W<QCheckBox>(*d, "checkOtherAbout")->setChecked(c.otherAbout);
        PressOk(*d);
        EXPECT_TRUE(Messages().empty());
        ASSERT_EQ(d->GetTable().GetLen(), 1);
        EXPECT_EQ(d->GetTable().GetRecord(0).otherYear, c.other);
        EXPECT_EQ(d->GetTable().GetRecord(0).rangeFlags, c.flags);
    }
}

TEST_F(MakeEventTest, OtherYearOnTheWrongSideOrOutOfRangeIsRefused)
{
    const struct
    {
        const char* check;
        const char* typed;
        const char* message;
    } cases[] = {
        {"checkFrom", "1599", CDialogMakeEvent::kOtherYearAfterMessage},
        {"checkUntil", "1601", CDialogMakeEvent::kOtherYearBeforeMessage},
        {"checkFrom", "0xFFFFFFFF", CDialogMakeEvent::kYearRangeMessage},
        {"checkFrom", "99999999999", CDialogMakeEvent::kYearRangeMessage},
        // Stored, 0 would silently mean "no other year".
        {"checkFrom", "0", CYearInput::kYearZeroMessage},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.typed);
        m_host.Clear();
        auto d = OpenNew();
        Fill(*d, "1600", QStringLiteral("出来事"));
        Click(*d, c.check);
        Other(*d)->setText(QString::fromLatin1(c.typed));
        PressOk(*d);
        EXPECT_EQ(Messages(), std::vector<std::string>{c.message});
        EXPECT_EQ(d->GetTable().GetLen(), 0);
        EXPECT_EQ(d->focusWidget(), Other(*d));
    }
}

TEST_F(MakeEventTest, RangeBoxesExcludeEachOtherAndLayOutTheOtherYear)
{
    auto d = OpenNew();
    auto* from = W<QCheckBox>(*d, "checkFrom");
    auto* until = W<QCheckBox>(*d, "checkUntil");
    auto visible = [&](const char* name) { return !W<QLabel>(*d, name)->isHidden(); };
    EXPECT_FALSE(Other(*d)->isEnabled());
    EXPECT_FALSE(visible("labelOtherYearUnit"));

    from->click();
    EXPECT_TRUE(Other(*d)->isEnabled());
    EXPECT_TRUE(visible("labelTildeBefore"));
    EXPECT_FALSE(visible("labelTildeAfter"));
    EXPECT_TRUE(visible("labelOtherYearUnit"));
    Other(*d)->setText("1700");

    until->click();
    EXPECT_FALSE(from->isChecked());
    EXPECT_TRUE(visible("labelTildeAfter"));
    EXPECT_FALSE(visible("labelTildeBefore"));
    EXPECT_TRUE(Other(*d)->text().isEmpty()); // toggling clears the other year

    until->click();
    EXPECT_FALSE(Other(*d)->isEnabled());
    EXPECT_FALSE(W<QCheckBox>(*d, "checkOtherAbout")->isEnabled());
}

// ---- validation of the record ------------------------------------------------

TEST_F(MakeEventTest, IncompleteRecordsAreRefusedWithTheirMessageAndFocus)
{
    AddRecords({Event(1600, "関ヶ原")});
    const struct
    {
        bool atRecord;
        const char* year;
        const char* text;
        const char* supplement;
        const char* message;
        const char* focus;
    } cases[] = {
        {false, "", "出来事", "", CDialogMakeEvent::kNoYearMessage, "editYear"},
        {false, "", "", "", CDialogMakeEvent::kNothingMessage, nullptr},
        {false, "1600", "", "補足", CDialogMakeEvent::kNoEventMessage, "editEvent"},
        {true, "1600", "", "", CDialogMakeEvent::kNoEventMessage, "editEvent"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.year) + "|" + c.text + "|" + c.supplement);
        m_host.Clear();
        auto d = c.atRecord ? OpenAt(1600) : OpenNew();
        Fill(*d, QString::fromUtf8(c.year), QString::fromUtf8(c.text));
        Supplement(*d)->setPlainText(QString::fromUtf8(c.supplement));
        PressOk(*d);
        EXPECT_EQ(Messages(), std::vector<std::string>{c.message});
        if (c.focus) {
            EXPECT_EQ(d->focusWidget(), W<QWidget>(*d, c.focus));
        }
        EXPECT_EQ(Records(d->GetTable()), Records(m_table));
        EXPECT_NE(d->result(), QDialog::Accepted);
    }
}

TEST_F(MakeEventTest, CharactersShiftJisCannotHoldAreRefusedByName)
{
    for (const char* field : {"editEvent", "editSupplement"}) {
        SCOPED_TRACE(field);
        m_host.Clear();
        auto d = OpenNew();
        Fill(*d, "1600", QStringLiteral("出来事"));
        W<QPlainTextEdit>(*d, field)->setPlainText(QStringLiteral("吉と𠮷"));
        PressOk(*d);
        ASSERT_EQ(Messages().size(), 1u);
        EXPECT_NE(Messages()[0].find("𠮷"), std::string::npos);
        EXPECT_EQ(d->focusWidget(), W<QWidget>(*d, field));
        EXPECT_EQ(d->GetTable().GetLen(), 0);
    }
}

TEST_F(MakeEventTest, EventTextIsOneLineAndTheSupplementKeepsItsLineBreaks)
{
    auto d = OpenNew();
    Fill(*d, "1600", QStringLiteral("一行\n目\r"));
    Supplement(*d)->setPlainText(QStringLiteral("一\n二"));
    PressOk(*d);
    ASSERT_EQ(d->GetTable().GetLen(), 1);
    EXPECT_EQ(d->GetTable().GetRecord(0).text, Sjis("一行目"));
    EXPECT_EQ(d->GetTable().GetRecord(0).supplement, Sjis("一\r\n二"));

    // Shown back unchanged: Cancel has nothing to ask.
    m_table = d->GetTable();
    auto again = OpenAt(1600);
    EXPECT_EQ(Supplement(*again)->toPlainText(), QStringLiteral("一\n二"));
    m_host.Clear();
    PressCancel(*again);
    EXPECT_TRUE(Messages().empty());
    EXPECT_EQ(again->result(), QDialog::Rejected);
}

// ---- opening ---------------------------------------------------------------

TEST_F(MakeEventTest, OpensOnTheYearTheRecordOrTheNearestLaterRecord)
{
    AddRecords({Event(1500, "a"), Event(1600, "b"), Event(1600, "c"), Event(1700, "d")});
    const struct
    {
        int32_t year;
        int offset;
        const char* text;
        const char* counter;
    } cases[] = {
        {1600, 0, "b", "2/4"}, {1600, 1, "c", "3/4"},    {1650, 0, "d", "4/4"},
        {1800, 0, "a", "1/4"}, {kNoYear, 0, "a", "1/4"}, {1700, 5, "", "新規入力/4"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.year);
        auto d = OpenAt(c.year, c.offset);
        EXPECT_EQ(Text(*d)->toPlainText(), QString::fromUtf8(c.text));
        EXPECT_EQ(Counter(*d), QString::fromUtf8(c.counter));
    }
    TestDialog onRecord(m_doc.get(), Event(1600, "c"), m_table);
    EXPECT_EQ(Counter(onRecord), "3/4");
    TestDialog missing(m_doc.get(), Event(1600, "x"), m_table);
    EXPECT_EQ(Counter(missing), "1/4");
}

TEST_F(MakeEventTest, IndexesCountOnlyTheRecordsTheDisplayPriorityShows)
{
    AddRecords({Event(1500, "high"), Event(1600, "low", 2), Event(1700, "high2")});
    m_doc->SetPriorityFilter(0);
    auto d = OpenAt(kNoYear);
    EXPECT_EQ(Counter(*d), "1/2");
    Click(*d, "buttonNext");
    EXPECT_EQ(Text(*d)->toPlainText(), "high2");
    EXPECT_EQ(Counter(*d), "2/2");
    Click(*d, "buttonNext");
    EXPECT_EQ(Text(*d)->toPlainText(), "high"); // wraps to the first
    Click(*d, "buttonPrev");
    EXPECT_EQ(Text(*d)->toPlainText(), "high2");
}

TEST_F(MakeEventTest, NewFormTakesTheOffsetYearOrTodayWhenTheLibraryAsks)
{
    auto d = OpenNew(1868);
    EXPECT_EQ(Year(*d)->text(), "1868");
    EXPECT_EQ(Counter(*d), "新規入力/0");
    EXPECT_EQ(W<QComboBox>(*d, "comboMonth")->currentText(), "無");

    m_table.SetTodayDate(true);
    const QDate today = QDate::currentDate();
    auto t = OpenNew(1868);
    EXPECT_EQ(Year(*t)->text(), QString::number(today.year()));
    EXPECT_EQ(W<QComboBox>(*t, "comboMonth")->currentIndex(), today.month());
    EXPECT_EQ(W<QComboBox>(*t, "comboDayTens")->currentIndex(), today.day() / 10 + 1);
    EXPECT_EQ(W<QComboBox>(*t, "comboDayUnits")->currentIndex(), today.day() % 10 + 1);

    // An existing record keeps its own date whatever the flag says.
    AddRecords({Event(1600, "x", 0, 9, 15)});
    auto r = OpenAt(1600);
    EXPECT_EQ(W<QComboBox>(*r, "comboMonth")->currentText(), "9");
    EXPECT_EQ(W<QComboBox>(*r, "comboDayUnits")->currentText(), "5");
}

// ---- browsing, new entries and deleting --------------------------------------

TEST_F(MakeEventTest, NextInNewEntryStoresAndKeepsYearDateAndRangeForTheNextRecord)
{
    AddRecords({Event(1500, "a")});
    auto d = OpenAt(1500);
    Click(*d, "buttonNew");
    EXPECT_EQ(Counter(*d), "新規入力/1");
    EXPECT_TRUE(W<QPushButton>(*d, "buttonNext")->isDefault());
    Fill(*d, "1600", QStringLiteral("一つ目"));
    Choose(*d, "comboMonth", "3");
    Choose(*d, "comboDayTens", "1");
    Choose(*d, "comboDayUnits", "2");
    Click(*d, "checkAbout");
    Click(*d, "buttonNext");

    ASSERT_EQ(d->GetTable().GetLen(), 2);
    EXPECT_EQ(d->GetTable().GetRecord(1).day, 12);
    EXPECT_EQ(d->GetTable().GetRecord(1).rangeFlags, RANGE_ABOUT);
    EXPECT_EQ(Counter(*d), "新規入力/2");
    EXPECT_EQ(Year(*d)->text(), "1600");
    EXPECT_EQ(Year(*d)->selectedText(), "1600");
    EXPECT_TRUE(Text(*d)->toPlainText().isEmpty());
    EXPECT_EQ(W<QComboBox>(*d, "comboMonth")->currentText(), "3");
    EXPECT_TRUE(W<QCheckBox>(*d, "checkAbout")->isChecked());

    // The kept year alone is no input: OK ends with the stored records.
    PressOk(*d);
    EXPECT_EQ(d->result(), QDialog::Accepted);
    EXPECT_EQ(d->GetTable().GetLen(), 2);
    EXPECT_EQ(m_table.GetLen(), 1); // the caller's table is untouched
    EXPECT_EQ(d->GetFirstTouchedYear(), 1600);
}

TEST_F(MakeEventTest, RefusedInputStaysOnTheFormWhenBrowsing)
{
    AddRecords({Event(1500, "a"), Event(1600, "b")});
    auto d = OpenAt(1500);
    Year(*d)->clear();
    Click(*d, "buttonNext");
    EXPECT_EQ(Messages(), std::vector<std::string>{CDialogMakeEvent::kNoYearMessage});
    EXPECT_EQ(Counter(*d), "1/2");
    EXPECT_EQ(Text(*d)->toPlainText(), "a");
    Click(*d, "buttonPrev");
    EXPECT_EQ(Counter(*d), "1/2");
    EXPECT_EQ(Records(d->GetTable()), Records(m_table));
}

TEST_F(MakeEventTest, ChangingARecordsYearMovesItAndTouchesBothYears)
{
    AddRecords({Event(1500, "a"), Event(1600, "b"), Event(1700, "c")});
    auto d = OpenAt(1600);
    Year(*d)->setText("1800");
    Click(*d, "buttonNext");
    ASSERT_EQ(d->GetTable().GetLen(), 3);
    EXPECT_EQ(d->GetTable().GetRecord(2).text, "b");
    EXPECT_EQ(d->GetTable().GetRecord(2).year, 1800);
    EXPECT_EQ(d->GetFirstTouchedYear(), 1600);
    // The index moves on to where the record went.
    EXPECT_EQ(Text(*d)->toPlainText(), "b");
    EXPECT_EQ(Counter(*d), "3/3");
}

TEST_F(MakeEventTest, DeletingTheOnlyRecordLeavesANewEntryForm)
{
    AddRecords({Event(1600, "only")});
    auto d = OpenAt(1600);
    m_host.QueueAnswer(CHostServices::AnswerNo);
    Click(*d, "buttonDelete");
    EXPECT_EQ(d->GetTable().GetLen(), 1);
    m_host.QueueAnswer(CHostServices::AnswerYes);
    Click(*d, "buttonDelete");
    EXPECT_EQ(Messages(), (std::vector<std::string>{CDialogMakeEvent::kDeleteQuestion,
                                                    CDialogMakeEvent::kDeleteQuestion}));
    EXPECT_EQ(d->GetTable().GetLen(), 0);
    EXPECT_EQ(Counter(*d), "新規入力/0");
    EXPECT_TRUE(W<QPushButton>(*d, "buttonNext")->isDefault());
    EXPECT_EQ(d->GetTouchedYears(), std::vector<int32_t>{1600});

    // On the blank form deleting asks as well; Yes throws the typed input
    // away and removes no record.
    Fill(*d, "1700", "typed");
    m_host.Clear();
    m_host.QueueAnswer(CHostServices::AnswerNo);
    Click(*d, "buttonDelete");
    EXPECT_EQ(Text(*d)->toPlainText(), "typed");
    m_host.QueueAnswer(CHostServices::AnswerYes);
    Click(*d, "buttonDelete");
    EXPECT_EQ(Messages(), (std::vector<std::string>{CDialogMakeEvent::kDeleteQuestion,
                                                    CDialogMakeEvent::kDeleteQuestion}));
    EXPECT_TRUE(Year(*d)->text().isEmpty());
    EXPECT_TRUE(Text(*d)->toPlainText().isEmpty());
    EXPECT_EQ(Counter(*d), "新規入力/0");
    EXPECT_EQ(d->GetTouchedYears(), std::vector<int32_t>{1600});

    // The blank form after records keeps its place when nothing is removed.
    m_table.RemoveAll();
    AddRecords({Event(1500, "a")});
    auto one = OpenAt(1500);
    Click(*one, "buttonNew");
    m_host.QueueAnswer(CHostServices::AnswerYes);
    Click(*one, "buttonDelete");
    EXPECT_EQ(one->GetTable().GetLen(), 1);
    EXPECT_EQ(Counter(*one), "新規入力/1");

    // Deleting the last of several records shows the one before it.
    m_table.RemoveAll();
    AddRecords({Event(1500, "a"), Event(1600, "b")});
    auto two = OpenAt(1600);
    m_host.QueueAnswer(CHostServices::AnswerYes);
    Click(*two, "buttonDelete");
    EXPECT_EQ(Counter(*two), "1/1");
    EXPECT_EQ(Text(*two)->toPlainText(), "a");
}

// ---- cancel ---------------------------------------------------------------

TEST_F(MakeEventTest, CancelAsksWhenInputOrStoredRecordsWouldBeLost)
{
    AddRecords({Event(1500, "a"), Event(1600, "b")});
    {
        auto d = OpenAt(1500);
        PressCancel(*d);
        EXPECT_TRUE(Messages().empty());
        EXPECT_EQ(d->result(), QDialog::Rejected);
    }
    {
        // The blank form reads as no year, the reset record has year 0.
        m_host.Clear();
        auto d = OpenNew();
        d->show();
        m_host.QueueAnswer(CHostServices::AnswerNo);
        PressCancel(*d);
        EXPECT_EQ(Messages(), std::vector<std::string>{CDialogMakeEvent::kCancelQuestion});
        EXPECT_TRUE(d->isVisible());
    }
    {
        // A record stored by 次 and an unchanged record on show: still asked,
        // and Yes discards the stored record with the copy.
        m_host.Clear();
        auto d = OpenAt(1500);
        d->show();
        Text(*d)->setPlainText("changed");
        Click(*d, "buttonNext");
        EXPECT_EQ(d->GetTable().GetRecord(0).text, "changed");
        m_host.QueueAnswer(CHostServices::AnswerYes);
        PressCancel(*d);
        EXPECT_EQ(Messages(), std::vector<std::string>{CDialogMakeEvent::kCancelQuestion});
        EXPECT_EQ(d->result(), QDialog::Rejected);
        EXPECT_EQ(m_table.GetRecord(0).text, "a");
    }
}

TEST_F(MakeEventTest, NothingEnteredOnOkIsToldAndTheDialogStays)
{
    auto d = OpenAt(kNoYear); // empty table: blank form, OK stays the default
    EXPECT_EQ(Counter(*d), "新規入力/0");
    EXPECT_TRUE(
        d->findChild<QDialogButtonBox*>("buttonBox")->button(QDialogButtonBox::Ok)->isDefault());
    d->show();
    PressOk(*d);
    EXPECT_EQ(Messages(), std::vector<std::string>{CDialogMakeEvent::kNothingMessage});
    EXPECT_TRUE(d->isVisible());
}

// ---- keys, focus, link button and library information ------------------------

TEST_F(MakeEventTest, EnterInTheEventTextPressesTheDefaultButton)
{
    auto d = OpenNew();
    Fill(*d, "1600", QStringLiteral("一つ目"));
    QKeyEvent enter(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier, "\r");
    QApplication::sendEvent(Text(*d), &enter);
    EXPECT_EQ(d->GetTable().GetLen(), 1);           // 次 stored it
    EXPECT_TRUE(Text(*d)->toPlainText().isEmpty()); // and no line break was typed
}

TEST_F(MakeEventTest, LinkButtonFollowsTheFocusedTextOnlyWhenEditingIsAllowed)
{
    AddRecords({Event(1600, "関ヶ原")});
    auto* button = static_cast<QPushButton*>(nullptr);
    {
        auto d = OpenAt(1600);
        d->show();
        QApplication::setActiveWindow(d.get());
        button = W<QPushButton>(*d, "buttonLink");
        Text(*d)->setFocus();
        QApplication::processEvents();
        EXPECT_FALSE(button->isEnabled());
        EXPECT_FALSE(Year(*d)->testAttribute(Qt::WA_InputMethodEnabled));
        EXPECT_TRUE(Text(*d)->testAttribute(Qt::WA_InputMethodEnabled));
    }
    TestDialog d(m_doc.get(), Event(1600, "関ヶ原"), m_table);
    d.show();
    QApplication::setActiveWindow(&d);
    button = W<QPushButton>(d, "buttonLink");
    EXPECT_FALSE(button->isEnabled());
    Text(d)->setFocus();
    QApplication::processEvents();
    ASSERT_TRUE(button->isEnabled());

    // The link step works on the focused field: the selected word becomes
    // the link name.
    Supplement(d)->setFocus();
    QApplication::processEvents();
    Supplement(d)->setPlainText(QStringLiteral("関ヶ原"));
    Supplement(d)->selectAll();
    QString offered;
    CEditDialogData::SetLinkDialogRunnerForTesting([&](CDialogSetLink& link) {
        offered = link.GetName();
        link.SetTarget("s.html");
        link.accept();
        return int(link.result());
    });
    button->click();
    CEditDialogData::SetLinkDialogRunnerForTesting(nullptr);
    EXPECT_EQ(offered, QStringLiteral("関ヶ原"));
    EXPECT_EQ(Supplement(d)->toPlainText(), QStringLiteral("<A HREF=\"s.html\">関ヶ原</A>"));
    EXPECT_EQ(Text(d)->toPlainText(), QStringLiteral("関ヶ原"));
}

TEST_F(MakeEventTest, LibraryInformationWorksOnTheCopyAndCancelAsksAboutIt)
{
    AddRecords({Event(1600, "関ヶ原")});
    auto d = OpenAt(1600);
    d->show();
    Click(*d, "buttonProperty");
    EXPECT_EQ(d->infoCalls, 1);
    EXPECT_EQ(d->GetTable().GetTableName(), Sjis("改題"));
    EXPECT_TRUE(m_table.GetTableName().empty());
    m_host.QueueAnswer(CHostServices::AnswerNo);
    PressCancel(*d);
    EXPECT_EQ(Messages(), std::vector<std::string>{CDialogMakeEvent::kCancelQuestion});
}

TEST_F(MakeEventTest, ToolTipsAndNaturalSize)
{
    AddEras();
    AddRecords({Event(1600, "関ヶ原の戦い")});
    auto d = OpenAt(1600);
    EXPECT_EQ(W<QWidget>(*d, "editYear")->toolTip(), QStringLiteral("年を入力します。"));
    EXPECT_TRUE(W<QWidget>(*d, "checkUntil")->toolTip().isEmpty());
    d->show();
    d->adjustSize();
    for (QLabel* label : d->findChildren<QLabel*>()) {
        if (label->isVisible()) {
            EXPECT_GE(label->width(), label->sizeHint().width())
                << label->objectName().toStdString();
        }
    }
    for (QAbstractButton* b : d->findChildren<QAbstractButton*>())
        EXPECT_GE(b->width(), b->sizeHint().width()) << b->objectName().toStdString();
    if (const char* dir = std::getenv("ANNALUX_SCREENSHOT_DIR")) {
        d->grab().save(QString::fromUtf8(dir) + "/makeevent.png");
        Click(*d, "checkUntil");
        Other(*d)->setText("1598");
        d->grab().save(QString::fromUtf8(dir) + "/makeevent-range.png");
    }
}
