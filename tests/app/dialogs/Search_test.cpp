// The event search and the two jumps, driven through the main window's
// commands with the real dialogs and view (offscreen).

#include "AnnaluxApp.h"
#include "AnnaluxDoc.h"
#include "AnnaluxView.h"
#include "AppTest.h"
#include "CommandIds.h"
#include "DataCoord.h"
#include "DialogGotoEra.h"
#include "DialogGotoYear.h"
#include "DialogSearch.h"
#include "DisplaySupplement.h"
#include "GengouEra.h"
#include "MainFrame.h"
#include "ScriptedHostServices.h"
#include "Settings.h"
#include "ShiftJis.h"
#include "YearEvent.h"

#include "../view/ViewTestSupport.h"
#include "Sjis.h"
#include "TempDir.h"
#include "TestApplication.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QScrollBar>
#include <functional>
#include <memory>

namespace {

class CTestApp : public CAnnaluxApp
{
public:
    int RunDialog(QDialog& dialog) override
    {
        return answer ? answer(dialog) : int(QDialog::Rejected);
    }
    std::function<int(QDialog&)> answer;
};

struct SEv
{
    int32_t year;
    const char* text;
    const char* supplement = "";
};

std::unique_ptr<CYearEvent> Library(const std::vector<SEv>& events)
{
    auto table = std::make_unique<CYearEvent>();
    for (const SEv& e : events) {
        SEventData d;
        d.year = e.year;
        d.text = Sjis(e.text);
        d.supplement = Sjis(e.supplement);
        d.priority = 0;
        d.month = -1;
        d.day = -1;
        d.rangeFlags = 0;
        table->SetData(d, true, -1, EP_EVERY);
    }
    return table;
}

void Key(QWidget* target, int key)
{
    QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier);
    QApplication::sendEvent(target, &press);
}

class SearchTest : public AppTest
{
protected:
    static void SetUpTestSuite() { TestApp(); }

    SearchTest()
    {
        m_app = std::make_unique<CTestApp>();
        CAnnaluxDoc& doc = m_app->GetDocument();
        viewtest::SetFonts(doc, 14);

        auto eras = std::make_unique<CGengouEra>();
        eras->SetData(Sjis("明治"), 1868, 1912, "");
        eras->SetData(Sjis("大正"), 1912, 1926, "");
        auto periods = std::make_unique<CGengouEra>();
        periods->SetData(Sjis("長い昔"), -10000, 1700, "");
        periods->SetData(Sjis("江戸時代"), 1603, 1868, "");
        periods->SetData(Sjis("<A HREF=\"meiji.htm\">明治</A>時代"), 1868, 1912, "");
        periods->SetData(Sjis("未来"), 5000, 6000, "");
        std::vector<SEv> japan = {
            {-50, "Caesar"},     {1600, "Sekigahara apple"},         {1868, "Restoration"},
            {1900, "Apple pie"}, {1950, "quiet", "hidden treasure"}, {2000, "Y2K"}};
        // Enough rows below the interesting ones that every one of them can
        // scroll to the top.
        for (int y = 2100; y < 3000; y += 10)
            japan.push_back({y, "filler"});

        CHeaderManager& columns = doc.GetColumns();
        columns.EnsureYearColumn(60);
        columns.Insert(CK_GENGOU, doc.AddEraNameTable(std::move(eras)), 1, 80);
        columns.Insert(CK_ERA, doc.AddPeriodTable(std::move(periods)), 2, 90);
        columns.Insert(CK_EVENT, doc.AddEventTable(Library(japan)), 3, 200);
        columns.Insert(CK_EVENT,
                       doc.AddEventTable(Library(
                           {{1700, "APPLE cart"}, {1980, "apple computer"}, {1990, "アイ"}})),
                       4, 200);
        doc.SetScaleAccuracy(2);

        m_frame = m_app->CreateMainFrame();
        m_frame->resize(500, 400);
        m_frame->show();
        doc.Notify(CAnnaluxDoc::VN_UPDATE);
        QApplication::processEvents();
    }
    ~SearchTest() override
    {
        m_app.reset();
        QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }

    CAnnaluxView& View() { return *m_frame->GetView(); }
    CDataCoord& Coord() { return View().GetDataCoord(); }

    CDialogSearch* OpenSearch()
    {
        const auto before = m_frame->findChildren<CDialogSearch*>();
        EXPECT_TRUE(m_frame->RunCommand(ID_SEARCH_EVENT));
        for (CDialogSearch* d : m_frame->findChildren<CDialogSearch*>()) {
            if (!before.contains(d))
                return d;
        }
        ADD_FAILURE() << "no search dialog opened";
        return nullptr;
    }
    template <typename T> static T* Child(QWidget* w, const char* name)
    {
        T* child = w->findChild<T*>(QString::fromLatin1(name));
        if (!child)
            ADD_FAILURE() << "no child " << name;
        return child;
    }
    static void Type(QWidget* dialog, const char* utf8)
    {
        Child<QLineEdit>(dialog, "editText")->setText(QString::fromUtf8(utf8));
    }
    static void Find(QWidget* dialog) { Child<QPushButton>(dialog, "buttonFind")->click(); }

    // The text (UTF-8) of the current hit, "" when none.
    std::string HitText()
    {
        const CoordEntry* hit = Coord().SearchHit();
        return hit ? Utf8(hit->event->text) : std::string();
    }
    static std::string Utf8(const std::string& sjis) { return CShiftJis::ToUtf8Lossy(sjis); }
    int32_t EntryTop(int32_t year)
    {
        int32_t found = kNoYear;
        const int32_t top = Coord().YearTop(year, &found);
        EXPECT_EQ(found, year);
        return top;
    }
    // Left and right of the header column showing event library index i.
    std::pair<int, int> EventColumn(int i)
    {
        const CHeaderManager& columns = m_app->GetDocument().GetColumns();
        for (int c = 0; c < columns.GetCount(); ++c) {
            if (columns.GetTable(c) == m_app->GetDocument().GetEventTable(i))
                return {columns.GetLeft(c), columns.GetLeft(c) + columns.GetWidth(c)};
        }
        return {0, 0};
    }
    bool WhollyVisible(std::pair<int, int> column)
    {
        const int x = View().ScrollX();
        return column.first >= x && column.second <= x + View().viewport()->width();
    }
    CDisplaySupplement* SupplementWindow()
    {
        for (CDisplaySupplement* w : m_frame->findChildren<CDisplaySupplement*>()) {
            if (w->isVisible())
                return w;
        }
        return nullptr;
    }
    // A modal jump dialog answered with text; true when it closed with OK.
    bool Jump(int command, const char* utf8)
    {
        bool accepted = false;
        m_app->answer = [&](QDialog& dialog) {
            Type(&dialog, utf8);
            dialog.accept();
            accepted = dialog.result() == QDialog::Accepted;
            return dialog.result();
        };
        EXPECT_TRUE(m_frame->RunCommand(command));
        m_app->answer = nullptr;
        return accepted;
    }

    std::unique_ptr<CTestApp> m_app;
    CMainFrame* m_frame = nullptr;
};

// ---- the search -------------------------------------------------------------------

TEST_F(SearchTest, DownwardStepsThroughColumnsStopsAtTheEndAndStartsOver)
{
    CDialogSearch* dialog = OpenSearch();
    ASSERT_NE(dialog, nullptr);
    Type(dialog, "apple");
    const char* expected[] = {"Sekigahara apple", "Apple pie", "APPLE cart", "apple computer"};
    for (const char* text : expected) {
        Find(dialog);
        EXPECT_EQ(HitText(), text);
        const CoordEntry* hit = Coord().SearchHit();
        ASSERT_NE(hit, nullptr);
        EXPECT_EQ(View().ScrollY(), hit->top) << text;
        const bool second =
            std::string(text) == "APPLE cart" || std::string(text) == "apple computer";
        EXPECT_TRUE(WhollyVisible(EventColumn(second ? 1 : 0))) << text;
    }
    EXPECT_TRUE(m_host.Messages().empty());

    // No wrap: the end says so and forgets the hit and the text.
    Find(dialog);
    ASSERT_EQ(m_host.Messages().size(), 1u);
    EXPECT_EQ(m_host.Messages()[0], CDialogSearch::kNotFoundMessage);
    EXPECT_EQ(m_host.Records()[0].style & 0xF0, unsigned(CHostServices::IconInformation));
    EXPECT_EQ(Coord().SearchHit(), nullptr);
    EXPECT_TRUE(View().GetSearchText().empty());

    // The next search starts at the top again, and the first column comes
    // back into view.
    Find(dialog);
    EXPECT_EQ(HitText(), "Sekigahara apple");
    EXPECT_TRUE(WhollyVisible(EventColumn(0)));
    EXPECT_EQ(View().GetSearchText(), Sjis("apple"));
}

TEST_F(SearchTest, UpwardStartsAtTheLastEntryAndWrapsFromTheFirst)
{
    CDialogSearch* dialog = OpenSearch();
    ASSERT_NE(dialog, nullptr);
    Type(dialog, "apple");
    Child<QCheckBox>(dialog, "checkUp")->setChecked(true);
    const char* expected[] = {"apple computer", "APPLE cart", "Apple pie", "Sekigahara apple",
                              "apple computer"};
    for (const char* text : expected) {
        Find(dialog);
        EXPECT_EQ(HitText(), text);
    }
    EXPECT_TRUE(m_host.Messages().empty());
}

TEST_F(SearchTest, CaseFlagDecidesWhatMatchesAndWhatIsHighlighted)
{
    CDialogSearch* dialog = OpenSearch();
    ASSERT_NE(dialog, nullptr);
    Child<QCheckBox>(dialog, "checkCase")->setChecked(true);
    Type(dialog, "APPLE");
    Find(dialog);
    EXPECT_EQ(HitText(), "APPLE cart");
    EXPECT_EQ(View().GetSearchText(), Sjis("APPLE"));
    Find(dialog);
    EXPECT_EQ(m_host.Messages().size(), 1u);

    // Without the flag the stored text is lower-cased for the highlight.
    Child<QCheckBox>(dialog, "checkCase")->setChecked(false);
    Type(dialog, "PIE");
    Find(dialog);
    EXPECT_EQ(HitText(), "Apple pie");
    EXPECT_EQ(View().GetSearchText(), Sjis("pie"));

    // "ア" ends in the byte of 'A': ignoring case must not lose it.
    Type(dialog, "ア");
    Find(dialog);
    EXPECT_EQ(HitText(), "アイ");
}

TEST_F(SearchTest, HighlightLandsOnTheHitRow)
{
    // Dark pixels in the row band of year 1900 in the first event column.
    auto darkInRow = [this] {
        const QImage image = View().RenderImage();
        const auto column = EventColumn(0);
        const int top = View().HeaderHeight() + int(EntryTop(1900) - View().ScrollY());
        const int R = Coord().RowHeight();
        int dark = 0;
        for (int y = std::max(0, top); y < std::min(image.height(), top + R); ++y) {
            for (int x = column.first - View().ScrollX(); x < column.second - View().ScrollX();
                 ++x) {
                if (x >= 0 && x < image.width() && qGray(image.pixel(x, y)) < 64)
                    ++dark;
            }
        }
        return dark;
    };
    View().SetScrollY(EntryTop(1900));
    const int before = darkInRow();
    CDialogSearch* dialog = OpenSearch();
    ASSERT_NE(dialog, nullptr);
    Type(dialog, "pie");
    Find(dialog);
    ASSERT_EQ(HitText(), "Apple pie");
    const int after = darkInRow();
    // "pie" on the inverse of the white band: a solid dark box.
    EXPECT_GT(after, before + 3 * Coord().RowHeight());
}

TEST_F(SearchTest, SupplementHitOpensTheWindowOtherHitsEmptyIt)
{
    CDialogSearch* dialog = OpenSearch();
    ASSERT_NE(dialog, nullptr);
    Type(dialog, "treasure");
    Find(dialog); // supplements not asked for
    EXPECT_EQ(m_host.Messages().size(), 1u);
    EXPECT_EQ(SupplementWindow(), nullptr);

    Child<QCheckBox>(dialog, "checkSupplement")->setChecked(true);
    Find(dialog);
    EXPECT_EQ(HitText(), "quiet");
    CDisplaySupplement* window = SupplementWindow();
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(window->GetText(), Sjis("hidden treasure"));

    // A hit in an event text empties the open window, and the next supplement
    // hit fills the same one.
    Type(dialog, "Y2K");
    Find(dialog);
    EXPECT_EQ(HitText(), "Y2K");
    ASSERT_EQ(SupplementWindow(), window);
    EXPECT_TRUE(window->GetText().empty());
    Type(dialog, "hidden");
    Child<QCheckBox>(dialog, "checkUp")->setChecked(true);
    Find(dialog);
    EXPECT_EQ(HitText(), "quiet");
    EXPECT_EQ(SupplementWindow(), window);
    EXPECT_EQ(window->GetText(), Sjis("hidden treasure"));

    // Closing the window drops the hit.
    window->close();
    EXPECT_EQ(Coord().SearchHit(), nullptr);
}

TEST_F(SearchTest, CaseFlagIsRememberedAcrossDialogsAndRuns)
{
    CDialogSearch* first = OpenSearch();
    ASSERT_NE(first, nullptr);
    EXPECT_FALSE(Child<QCheckBox>(first, "checkCase")->isChecked());
    Child<QCheckBox>(first, "checkCase")->setChecked(true);
    Type(first, "Y2K");
    Find(first);
    EXPECT_TRUE(m_settings.GetCapital()); // written after the search

    CDialogSearch* second = OpenSearch();
    ASSERT_NE(second, nullptr);
    EXPECT_TRUE(Child<QCheckBox>(second, "checkCase")->isChecked());
    EXPECT_NE(first, second); // both open at once

    // Closing writes too, and survives a restart.
    Child<QCheckBox>(second, "checkCase")->setChecked(false);
    QPointer<CDialogSearch> guard(second);
    Key(second, Qt::Key_Escape);
    QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(guard.isNull()); // deleted itself
    EXPECT_EQ(Coord().SearchHit(), nullptr);
    EXPECT_TRUE(View().GetSearchText().empty());
    ASSERT_TRUE(m_settings.Sync());
    CSettings reread(m_dir.File("settings.ini"));
    EXPECT_FALSE(reread.GetCapital());
    m_settings.SetCapital(true);
    ASSERT_TRUE(m_settings.Sync());
    EXPECT_TRUE(CSettings(m_dir.File("settings.ini")).GetCapital());

    // Enter in the text runs the search.
    Type(first, "Caesar");
    Key(Child<QLineEdit>(first, "editText"), Qt::Key_Return);
    EXPECT_EQ(HitText(), "Caesar");
}

TEST_F(SearchTest, CommandsNeedAnEventLibrary)
{
    for (int command : {ID_SEARCH_EVENT, ID_JUMP_YEAR, ID_JUMP_ERA})
        EXPECT_TRUE(m_frame->IsCommandEnabled(command)) << command;
    m_app->GetDocument().Clear();
    m_app->GetDocument().Notify(CAnnaluxDoc::VN_UPDATE);
    for (int command : {ID_SEARCH_EVENT, ID_JUMP_YEAR, ID_JUMP_ERA})
        EXPECT_FALSE(m_frame->IsCommandEnabled(command)) << command;
}

// ---- the jumps ----------------------------------------------------------------------

TEST_F(SearchTest, GoToYearReadsWesternYearsFullWidthAndEraNames)
{
    struct SCase
    {
        const char* typed;
        int32_t landsOn; // the year whose entry comes to the top
    };
    const SCase cases[] = {
        {"2000", 2000},   {"２０００", 2000}, {" 1600 ", 1600}, {"-50", -50},
        {"－５０", -50},  {"明治", 1868},     {"明治33", 1900}, // 1900 exactly
        {"明治10", 1868}, {"大正", 1900},                       // 1912: the nearer of the preceding
        {"1700", 1700},   {"1650", 1600},                       // a tie: the first column's
        {"1690", 1700}, // the second column's first entry is nearer
        {"-5000", -50}, // before everything: the first entry
    };
    for (const SCase& c : cases) {
        View().SetScrollY(EntryTop(2500));
        EXPECT_TRUE(Jump(ID_JUMP_YEAR, c.typed)) << c.typed;
        EXPECT_EQ(View().ScrollY(), EntryTop(c.landsOn)) << c.typed;
        EXPECT_EQ(View().ScrollX(), 0);
    }
    EXPECT_TRUE(m_host.Messages().empty());
}

TEST_F(SearchTest, GoToYearRefusesWhatItCannotPlace)
{
    for (const char* typed : {"9999", "昭和", "abc", "", "-", "99999999999"}) {
        m_host.Clear();
        View().SetScrollY(EntryTop(2500));
        EXPECT_FALSE(Jump(ID_JUMP_YEAR, typed)) << typed;
        ASSERT_EQ(m_host.Messages().size(), 1u) << typed;
        EXPECT_EQ(m_host.Messages()[0], CDialogGotoYear::kNotFoundMessage);
        EXPECT_EQ(View().ScrollY(), EntryTop(2500)) << typed;
    }
}

TEST_F(SearchTest, GoToPeriodMatchesShownNamesWithinTheTable)
{
    View().SetScrollY(EntryTop(2500));
    EXPECT_TRUE(Jump(ID_JUMP_ERA, "江戸時代"));
    EXPECT_EQ(View().ScrollY(), Coord().YearTop(1603)); // the 1700 cart
    EXPECT_TRUE(Jump(ID_JUMP_ERA, "明治時代"));         // markup aside
    EXPECT_EQ(View().ScrollY(), EntryTop(1868));
    // Starting before the table: its end year.
    EXPECT_TRUE(Jump(ID_JUMP_ERA, "長い昔"));
    EXPECT_EQ(View().ScrollY(), EntryTop(1700));
    EXPECT_TRUE(m_host.Messages().empty());

    for (const char* typed : {"未来", "江戸", "<A HREF=\"meiji.htm\">明治</A>時代", ""}) {
        m_host.Clear();
        EXPECT_FALSE(Jump(ID_JUMP_ERA, typed)) << typed;
        ASSERT_EQ(m_host.Messages().size(), 1u) << typed;
        EXPECT_EQ(m_host.Messages()[0], CDialogGotoEra::kNotFoundMessage);
    }
}

} // namespace
