// Laying out only the years an edit touched: after every kind of edit, in
// every scale, mode and wrap setting, the table must equal a whole relayout
// entry for entry, record pointers included.

#include "DataCoord.h"

#include "../dialogs/DialogTestEnv.h"
#include "AnnaluxDoc.h"
#include "AnnaluxView.h"
#include "DialogMakeEvent.h"
#include "LogFontQt.h"
#include "Sjis.h"
#include "TextMeasurer.h"
#include "ViewTestSupport.h"
#include "YearEvent.h"

#include <gtest/gtest.h>

#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>

#include <algorithm>
#include <memory>
#include <random>
#include <string>
#include <vector>

namespace {

constexpr int kRow = 20;

void ExpectSameLayout(const CDataCoord& updated, const CDataCoord& whole, const std::string& what)
{
    SCOPED_TRACE(what);
    ASSERT_EQ(updated.RowsPerBucket(), whole.RowsPerBucket());
    const CEventCoordTable& a = updated.Table();
    const CEventCoordTable& b = whole.Table();
    ASSERT_EQ(a.GetColumnCount(), b.GetColumnCount());
    for (int c = 0; c < a.GetColumnCount(); ++c) {
        const auto& x = a.Column(c);
        const auto& y = b.Column(c);
        ASSERT_EQ(x.size(), y.size()) << "column " << c;
        for (size_t k = 0; k < x.size(); ++k) {
            const auto where = [&] {
                return "column " + std::to_string(c) + " entry " + std::to_string(k) + " (year " +
                       std::to_string(y[k].Year()) + ")";
            };
            ASSERT_EQ(x[k].year, y[k].year) << where();
            ASSERT_EQ(x[k].top, y[k].top) << where();
            ASSERT_EQ(x[k].bottom, y[k].bottom) << where();
            ASSERT_EQ(x[k].event, y[k].event) << where();
            ASSERT_EQ(x[k].searchResult, y[k].searchResult) << where();
        }
    }
}

struct SCase
{
    int scale;
    int mode;
    bool wrap;
    int priority;
    bool range;
};

std::string Name(const ::testing::TestParamInfo<SCase>& info)
{
    const SCase& c = info.param;
    static const char* const modes[] = {"Exact", "NearlyExact", "Packed"};
    return "Scale" + std::to_string(c.scale) + modes[c.mode] + (c.wrap ? "Wrapped" : "") +
           (c.priority == EP_ALL ? "" : "HighOnly") + (c.range ? "InRange" : "");
}

std::vector<SCase> AllCases()
{
    std::vector<SCase> cases;
    for (int scale : {1, 10, 100})
        for (int mode = 0; mode < 3; ++mode)
            for (bool wrap : {false, true})
                for (int priority : {int(EP_ALL), int(EP_HIGH)})
                    for (bool range : {false, true})
                        cases.push_back({scale, mode, wrap, priority, range});
    return cases;
}

// A small chronology of three libraries, edited at random the ways the editor and the view edit: through a copy
// that the library then takes, as the editor does, or in place.
class LayoutAfterEditTest : public ::testing::TestWithParam<SCase>
{
protected:
    LayoutAfterEditTest()
        : m_random(static_cast<unsigned>(GetParam().scale * 1000 + GetParam().mode * 100 +
                                         GetParam().wrap * 10 + GetParam().priority +
                                         GetParam().range * 7))
    {}

    int32_t RandomYear()
    {
        // Mostly a crowded stretch around the missing year 0, now and then
        // a lone far year (empty buckets between).
        const int kind = Pick(20);
        if (kind == 0)
            return Pick(2) ? -2950 - Pick(5) : 1990 + Pick(30);
        const int32_t y = Pick(120) - 60;
        return y >= 0 ? y + 1 : y;
    }
    SEventData RandomRecord()
    {
        SEventData d;
        d.year = RandomYear();
        d.text = Sjis(std::string(static_cast<size_t>(1 + Pick(40)), 'a' + static_cast<char>(Pick(26))));
        d.priority = Pick(4) == 0 ? Pick(4) : 0;
        d.rangeFlags = Pick(5) == 0 ? RANGE_ABOUT : 0;
        if (Pick(6) == 0)
            d.supplement = Sjis("補足");
        d.month = static_cast<int16_t>(Pick(3) == 0 ? 1 + Pick(12) : -1);
        d.day = static_cast<int16_t>(d.month > 0 && Pick(2) ? 1 + Pick(28) : -1);
        return d;
    }
    int Pick(int n) { return static_cast<int>(m_random() % static_cast<unsigned>(n)); }

    void SetUp() override
    {
        const SCase& c = GetParam();
        for (int lib = 0; lib < 3; ++lib) {
            auto table = std::make_unique<CYearEvent>();
            for (int i = 0; i < 120; ++i)
                table->SetData(RandomRecord(), true, -1, EP_EVERY);
            m_settings.libraries.push_back(table.get());
            m_settings.widths.push_back(lib == 1 ? 90 : 160);
            m_tables.push_back(std::move(table));
        }
        // A first record that no edit touches keeps where the table begins
        // (edits there lay out everything, see below).
        for (size_t lib = 0; lib < 3; ++lib) {
            SEventData first;
            first.year = -3000;
            first.text = Sjis("始まり");
            m_tables[lib]->SetData(first, true, -1, EP_EVERY);
        }
        m_settings.scale = c.scale;
        m_settings.mode = c.mode;
        m_settings.wrap = c.wrap;
        m_settings.priority = c.priority;
        m_settings.rangeEnabled = c.range;
        m_settings.rangeFrom = -3000;
        m_settings.rangeTo = 30;
        m_settings.rowHeight = kRow;
        m_coord.SetMeasurer(&m_measurer);
        bool overflow = false;
        m_coord.Layout(m_settings, overflow);
    }

    // One edit of a random kind; the years it touched.
    std::vector<int32_t> Edit(CYearEvent& table)
    {
        const int filter = m_settings.priority;
        const int visible = [&] {
            int n = 0;
            for (int i = 0; i < table.GetLen(); ++i)
                n += table.GetRecord(i).IsVisible(filter) ? 1 : 0;
            return n;
        }();
        const int index = visible > 1 ? 1 + Pick(visible - 1) : 0; // never the first record
        SEventData old;
        const bool has = visible > 1 && table.GetAt(index, &old, filter);
        std::vector<int32_t> years;
        switch (has ? Pick(6) : 0) {
        case 0: { // add
            SEventData d = RandomRecord();
            years.push_back(d.year);
            table.SetData(d, true, -1, filter);
            break;
        }
        case 1: { // another text, as long or longer or shorter
            SEventData d = old;
            d.text = Sjis(std::string(static_cast<size_t>(1 + Pick(40)), 'q'));
            years.push_back(d.year);
            table.SetData(d, true, index, filter);
            break;
        }
        case 2: { // another priority
            SEventData d = old;
            d.priority = (d.priority + 1 + Pick(3)) % 4;
            years.push_back(d.year);
            table.SetData(d, true, index, filter);
            break;
        }
        case 3: { // to another year
            SEventData d = old;
            d.year = RandomYear();
            years = {old.year, d.year};
            table.SetData(d, true, index, filter);
            break;
        }
        case 4: // deleted
            years.push_back(old.year);
            table.RemoveAt(index, filter, nullptr);
            break;
        default: { // one place up or down within its year
            const int first = table.GetIndexFromYear(old.year, filter);
            const int n = table.GetNumOfYear(old.year, filter);
            years.push_back(old.year);
            if (n > 1) {
                const int at = index - first;
                if (at + 1 < n && Pick(2))
                    table.MoveToAfter(old.year, at, filter);
                else if (at > 0)
                    table.MoveToBefore(old.year, at, filter);
            }
            break;
        }
        }
        // The editor also names years it only looked at.
        if (Pick(4) == 0)
            years.push_back(RandomYear());
        return years;
    }

    std::mt19937 m_random;
    std::vector<std::unique_ptr<CYearEvent>> m_tables;
    SLayoutSettings m_settings;
    CFixedMeasurer m_measurer{10};
    CDataCoord m_coord;
};

TEST_P(LayoutAfterEditTest, EveryEditLaysOutAsAWholeRelayoutWould)
{
    constexpr int kEdits = 80;
    int incremental = 0;
    for (int i = 0; i < kEdits; ++i) {
        CYearEvent* table = m_tables[static_cast<size_t>(Pick(3))].get();
        std::vector<int32_t> years;
        if (Pick(3) != 0) {
            // As the editor: a copy that shares the records takes the edit
            // and the library takes the copy (records of the changed path
            // move, whatever their year).
            CYearEvent copy(*table);
            years = Edit(copy);
            *table = copy;
        } else {
            years = Edit(*table);
        }
        int64_t height = 0;
        if (m_coord.Update(m_settings, {{table, years}}, height)) {
            ++incremental;
        } else {
            bool overflow = false;
            height = m_coord.Layout(m_settings, overflow);
        }
        CDataCoord whole;
        whole.SetMeasurer(&m_measurer);
        bool overflow = false;
        const int64_t expected = whole.Layout(m_settings, overflow);
        ExpectSameLayout(m_coord, whole, "edit " + std::to_string(i));
        ASSERT_EQ(height, expected) << "edit " << i;
        if (HasFatalFailure())
            return;
        // The queries read the updated table as they read a new one.
        const int32_t middle = whole.MaxYear() / 2;
        ASSERT_EQ(m_coord.YearTop(middle), whole.YearTop(middle));
        ASSERT_EQ(m_coord.FirstYearAt(expected / 2), whole.FirstYearAt(expected / 2));
    }
    // Most edits go the short way; those that cannot (a changed first year,
    // other rows per bucket) fall back on the whole relayout checked above.
    EXPECT_GT(incremental, kEdits / 4);
}

INSTANTIATE_TEST_SUITE_P(AllSettings, LayoutAfterEditTest, ::testing::ValuesIn(AllCases()), Name);

// ---- what must lay out everything again --------------------------------------

class LayoutAfterEditLimitsTest : public ::testing::Test
{
protected:
    CYearEvent& Add(std::initializer_list<int32_t> years, bool sorted = true)
    {
        auto table = std::make_unique<CYearEvent>();
        for (int32_t y : years) {
            SEventData d;
            d.year = y;
            d.text = Sjis("出来事");
            table->SetData(d, sorted, -1, EP_EVERY);
        }
        m_settings.libraries.push_back(table.get());
        m_settings.widths.push_back(200);
        m_tables.push_back(std::move(table));
        return *m_tables.back();
    }
    bool Layout(int rowHeight = kRow, int mode = SLayoutSettings::NearlyExact)
    {
        m_settings.rowHeight = rowHeight;
        m_settings.mode = mode;
        m_coord.SetMeasurer(&m_measurer);
        bool overflow = false;
        m_coord.Layout(m_settings, overflow);
        return overflow;
    }
    static void AddRecord(CYearEvent& table, int32_t year)
    {
        SEventData d;
        d.year = year;
        d.text = Sjis("追加");
        table.SetData(d, true, -1, EP_EVERY);
    }

    std::vector<std::unique_ptr<CYearEvent>> m_tables;
    SLayoutSettings m_settings;
    CFixedMeasurer m_measurer{10};
    CDataCoord m_coord;
};

TEST_F(LayoutAfterEditLimitsTest, ChangesThatMayMoveMoreAreRefused)
{
    CYearEvent& table = Add({1900, 1950, 2000});
    Layout();
    int64_t height = 0;

    // At or before the first placed year everything may start elsewhere.
    AddRecord(table, 1800);
    EXPECT_FALSE(m_coord.Update(m_settings, {{&table, {1800}}}, height));
    Layout();

    // Another setting, or a library the layout does not show.
    AddRecord(table, 1960);
    SLayoutSettings packed = m_settings;
    packed.mode = SLayoutSettings::Packed;
    EXPECT_FALSE(m_coord.Update(packed, {{&table, {1960}}}, height));
    Layout();
    CYearEvent stranger;
    EXPECT_FALSE(m_coord.Update(m_settings, {{&stranger, {1960}}}, height));
    Layout();

    // A library out of year order is asked for its next year in list order:
    // a change in one year may change which years are visited anywhere.
    CYearEvent& unordered = Add({1990, 1920}, false);
    ASSERT_FALSE(unordered.IsSortedByYear());
    Layout();
    AddRecord(table, 1965);
    EXPECT_FALSE(m_coord.Update(m_settings, {{&table, {1965}}}, height));
    Layout();
    m_settings.libraries.pop_back();
    m_settings.widths.pop_back();
    Layout();

}

TEST_F(LayoutAfterEditLimitsTest, OverflowIsLeftToTheWholeRelayoutAndItsMessage)
{
    // Three rows this tall fit in 32-bit positions, four do not.
    constexpr int kTall = INT32_MAX / 3;
    CYearEvent& table = Add({1900, 1901});
    ASSERT_FALSE(Layout(kTall, SLayoutSettings::Packed));
    int64_t height = 0;
    AddRecord(table, 1902);
    ASSERT_TRUE(m_coord.Update(m_settings, {{&table, {1902}}}, height));
    EXPECT_EQ(height, 3LL * kTall);

    AddRecord(table, 1903);
    EXPECT_FALSE(m_coord.Update(m_settings, {{&table, {1903}}}, height));
    ASSERT_TRUE(Layout(kTall, SLayoutSettings::Packed));
    // A layout that overflowed says so again through the whole relayout.
    table.RemoveAt(table.GetLen() - 1, EP_EVERY, nullptr);
    EXPECT_FALSE(m_coord.Update(m_settings, {{&table, {1903}}}, height));
}

// ---- the editor's flow through the document and the view ----------------------

class EditorRelayoutTest : public DialogTest
{
protected:
    EditorRelayoutTest()
    {
        m_host.SetDefaultAnswer(CHostServices::AnswerYes);
        viewtest::SetFonts(*m_doc, 14);
        auto table = std::make_unique<CYearEvent>();
        for (int32_t year = -50; year <= 50; ++year) {
            if (year == 0)
                continue;
            for (int k = 0; k < 1 + (year & 3); ++k) {
                SEventData d;
                d.year = year;
                d.text = Sjis("出来事" + std::to_string(k) + std::string(static_cast<size_t>(k * 9), 'x'));
                table->SetData(d, true, -1, EP_EVERY);
            }
        }
        m_table = m_doc->AddEventTable(std::move(table));
        CHeaderManager& columns = m_doc->GetColumns();
        columns.EnsureYearColumn(60);
        columns.Insert(CK_EVENT, m_table, 1, 120);
        m_doc->ToggleWrapLines();
        m_view = std::make_unique<CAnnaluxView>(m_doc.get());
        m_view->resize(800, 600);
        m_view->Relayout();
        m_view->ScrollToYear(20);
        m_notices = 0;
        m_doc->AddListener([this](CAnnaluxDoc::EViewNotice) { ++m_notices; });
    }

    void ExpectWholeLayout(const std::string& what)
    {
        CDataCoord whole;
        CFontMeasurer measurer(
            CLogFontQt::ToQFont(m_doc->GetFonts().GetShownFont(CFontManager::FS_EVENT)));
        whole.SetMeasurer(&measurer);
        bool overflow = false;
        whole.Layout(SLayoutSettings::FromDocument(*m_doc), overflow);
        ExpectSameLayout(m_view->GetDataCoord(), whole, what);
    }

    CYearEvent* m_table = nullptr;
    std::unique_ptr<CAnnaluxView> m_view;
    int m_notices = 0;
};

TEST_F(EditorRelayoutTest, RecordsStoredWithOkAreLaidOutWhereAWholeRelayoutPutsThem)
{
    const int before = m_table->GetLen();
    for (int round = 0; round < 3; ++round) {
        // Two records in one editing session: one new, one moved to
        // another year; OK hands the copy back.
        CDialogMakeEvent dialog(m_doc.get(), *m_table, 10 + round, 0, false);
        Child<QLineEdit>(dialog, "editYear")->setText(QString::number(-20 - round));
        Child<QAbstractButton>(dialog, "buttonNext")->click();
        Child<QAbstractButton>(dialog, "buttonNew")->click();
        Child<QLineEdit>(dialog, "editYear")->setText(QString::number(30 + round));
        Child<QPlainTextEdit>(dialog, "editEvent")
            ->setPlainText(QStringLiteral("追加した長い出来事の説明文 %1").arg(round));
        PressOk(dialog);
        ASSERT_EQ(dialog.result(), QDialog::Accepted);
        *m_table = dialog.GetTable();
        m_doc->NotifyEventsEdited({{m_table, dialog.GetTouchedYears()}});
        ExpectWholeLayout("round " + std::to_string(round));
        // What the user looked at stays at the top.
        EXPECT_EQ(m_view->TopYear(), 20);
    }
    EXPECT_EQ(m_table->GetLen(), before + 3);
    EXPECT_EQ(m_notices, 3);
}

TEST_F(EditorRelayoutTest, CancelDiscardsEveryRecordAlreadyStored)
{
    const std::string before = m_table->MakeFileContent();
    const bool modified = m_table->GetModified();
    {
        CDialogMakeEvent dialog(m_doc.get(), *m_table, kNoYear, 5, true);
        for (int k = 0; k < 3; ++k) {
            Child<QLineEdit>(dialog, "editYear")->setText(QString::number(5 + k));
            Child<QPlainTextEdit>(dialog, "editEvent")->setPlainText(QStringLiteral("取り消す"));
            Child<QAbstractButton>(dialog, "buttonNext")->click();
        }
        PressCancel(dialog); // "discard?" answered Yes
        ASSERT_EQ(dialog.result(), QDialog::Rejected);
    }
    EXPECT_EQ(m_table->MakeFileContent(), before);
    EXPECT_EQ(m_table->GetModified(), modified);
    EXPECT_EQ(m_notices, 0);
    ExpectWholeLayout("after Cancel");
}

} // namespace
