// Working in the view: hit tests, the datum menu, move rules, tool tips,
// keys and header clicks, driven with real mouse and key events.

#include "AnnaluxView.h"
#include "DataCoord.h"
#include "ScriptedHostServices.h"
#include "ShiftJis.h"
#include "TestApplication.h"
#include "ViewInteraction.h"
#include "ViewTestSupport.h"

#include <QApplication>
#include <QContextMenuEvent>
#include <QHeaderView>
#include <QKeyEvent>
#include <QMenu>
#include <QMouseEvent>
#include <QScrollBar>

#include <gtest/gtest.h>

#include <cstdlib>
#include <functional>

namespace {

// Mouse and key events as the window system delivers them.
void Mouse(QWidget* w, QEvent::Type type, const QPoint& p, Qt::MouseButton button = Qt::LeftButton,
           Qt::KeyboardModifiers modifiers = {})
{
    const Qt::MouseButtons buttons = type == QEvent::MouseButtonRelease || type == QEvent::MouseMove
                                         ? Qt::NoButton
                                         : Qt::MouseButtons(button);
    QMouseEvent event(type, QPointF(p), QPointF(w->mapToGlobal(p)),
                      type == QEvent::MouseMove ? Qt::NoButton : button, buttons, modifiers);
    QApplication::sendEvent(w, &event);
}
void Click(QWidget* w, const QPoint& p, Qt::KeyboardModifiers modifiers = {})
{
    Mouse(w, QEvent::MouseButtonPress, p, Qt::LeftButton, modifiers);
    Mouse(w, QEvent::MouseButtonRelease, p, Qt::LeftButton, modifiers);
}
void DoubleClick(QWidget* w, const QPoint& p)
{
    Click(w, p);
    Mouse(w, QEvent::MouseButtonDblClick, p);
    Mouse(w, QEvent::MouseButtonRelease, p);
}
void Key(QWidget* w, int key, QEvent::Type type = QEvent::KeyPress)
{
    QKeyEvent event(type, key, Qt::NoModifier);
    QApplication::sendEvent(w, &event);
}
void KeyClick(QWidget* w, int key)
{
    Key(w, key);
    Key(w, key, QEvent::KeyRelease);
}

SEventData Event(int32_t year, const char* utf8, int16_t month = -1)
{
    SEventData d;
    d.year = year;
    d.text = Sjis(utf8);
    d.month = month;
    return d;
}

CYearEvent* AddEvents(CAnnaluxDoc& doc, const std::string& name,
                      const std::vector<SEventData>& events, int width = 300)
{
    auto table = std::make_unique<CYearEvent>();
    table->SetTableName(Sjis(name));
    table->SetFileName(name + ".lev");
    for (const SEventData& d : events)
        table->SetData(d, true, -1, EP_EVERY);
    table->SetModified(false);
    CYearEvent* added = doc.AddEventTable(std::move(table));
    doc.GetColumns().EnsureYearColumn(60);
    doc.GetColumns().Insert(CK_EVENT, added, doc.GetColumns().GetCount(), width);
    return added;
}

// The texts of a menu's items, separators as "-".
std::vector<std::string> Texts(const QMenu* menu)
{
    std::vector<std::string> out;
    for (const QAction* a : menu->actions())
        out.push_back(a->isSeparator() ? "-" : a->text().toStdString());
    return out;
}

QAction* ItemOf(const QMenu* menu, int command)
{
    for (QAction* a : menu->actions()) {
        if (a->menu())
            if (QAction* inner = ItemOf(a->menu(), command))
                return inner;
        if (!a->isSeparator() && a->data().toInt() == command)
            return a;
    }
    return nullptr;
}

QMenu* SubMenu(const QMenu* menu, const char* title)
{
    for (QAction* a : menu->actions())
        if (a->menu() && a->text() == QString::fromUtf8(title))
            return a->menu();
    return nullptr;
}

class ViewInteractionTest : public ::testing::Test
{
protected:
    void SetUp() override { TestApp(); }

    void MakeView()
    {
        m_view = std::make_unique<CAnnaluxView>(&m_doc);
        m_view->resize(1200, 500);
        m_view->show();
        QApplication::processEvents();
        m_view->RenderImage(); // paints once: links and marks are listed
    }
    QWidget* Port() const { return m_view->viewport(); }
    // The viewport point inside entry k of event column c (layout order).
    QPoint EntryPoint(int docColumn, const CoordEntry& entry, int dx = 30) const
    {
        const int left = m_doc.GetColumns().GetLeft(docColumn) - m_view->ScrollX();
        return QPoint(left + dx, static_cast<int>(entry.top - m_view->ScrollY()) + 2);
    }
    void RightClick(const QPoint& p)
    {
        QContextMenuEvent event(QContextMenuEvent::Mouse, p, Port()->mapToGlobal(p));
        QApplication::sendEvent(Port(), &event);
        if (QMenu* menu = m_view->LastContextMenu())
            menu->hide();
    }

    CScriptedHostServices m_host;
    CHostServicesScope m_scope{m_host};
    CAnnaluxDoc m_doc;
    std::unique_ptr<CAnnaluxView> m_view;
};

// ---- rules without a widget ---------------------------------------------------------

TEST(ViewRules, MoveFlagsFollowUndatedNeighbours)
{
    struct SCase
    {
        std::vector<int16_t> months; // -1 undated
        int position;
        bool up, down;
    };
    const SCase cases[] = {
        {{-1}, 0, false, false},   // the only event of its year
        {{3, 5}, 0, false, false}, // two dated events stay in date order
        {{3, 5}, 1, false, false},    {{-1, 5}, 0, false, true}, // undated first may go down
        {{-1, 5}, 1, true, false},                               // the dated one may pass it upward
        {{3, -1, 5}, 1, true, true},                             // undated in the middle both ways
        {{3, 4, -1}, 1, false, true}, // dated middle: only towards the undated
        {{-1, 4, 5}, 1, true, false}, {{-1, -1}, 2, false, false}, // past the end
    };
    for (const SCase& c : cases) {
        CYearEvent table;
        for (int16_t m : c.months)
            table.SetData(Event(1600, "x", m), false, -1, EP_EVERY);
        bool up = true, down = true;
        CViewInteraction::MoveFlags(table, 1600, c.position, EP_ALL, up, down);
        EXPECT_EQ(up, c.up) << c.months.size() << " events, position " << c.position;
        EXPECT_EQ(down, c.down) << c.months.size() << " events, position " << c.position;
    }
}

TEST(ViewRules, RangeDescriptions)
{
    const struct
    {
        uint32_t flags;
        int32_t other;
        const char* text;
    } cases[] = {
        {0x1, 0, "この年から"},
        {0x2, 0, "この年まで"},
        {0x100, 0, "この頃"},
        {0x101, 0, "この頃から"},
        {0x102, 0, "この頃まで"},
        {0x1, 1615, "この年から1615年まで"},
        {0x2, 1590, "1590年からこの年まで"},
        {0x102 | 0x200, 1590, "1590年頃からこの頃まで"},
        {0x0, 1590, ""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(CViewInteraction::RangeDescription(c.flags, c.other).toStdString(), c.text)
            << std::hex << c.flags;
}

TEST(ViewRules, SupplementTipIsOneLineWithoutMarkupAndNeverSplitsACharacter)
{
    EXPECT_EQ(CViewInteraction::SupplementTip(Sjis("<A HREF=\"x.htm\">江戸</A>\r\n幕府<b")),
              Sjis("江戸幕府"));
    // An odd start puts byte 256 in the middle of a double-byte character.
    std::string text = "a";
    for (int i = 0; i < 200; ++i)
        text += Sjis("あ");
    const std::string tip = CViewInteraction::SupplementTip(text + "\r\n");
    // The character across the limit is kept whole: one byte over.
    EXPECT_EQ(tip.size(), CViewInteraction::kTipBytes + 1);
    EXPECT_EQ(tip, text.substr(0, 257));
    std::string utf8;
    EXPECT_TRUE(CShiftJis::ToUtf8(tip, utf8));
    // On a character boundary the cut is exact.
    EXPECT_EQ(CViewInteraction::SupplementTip(text.substr(1) + "x"), text.substr(1, 256));
}

TEST(ViewRules, WrappedLinkIsHitOnlyAlongItsLines)
{
    CHeaderManager columns;
    columns.EnsureYearColumn(60);
    columns.Insert(CK_EVENT, nullptr, 1, 200); // 60..260
    CHitList links;
    // Starts at x 200 on row 100..116, ends at x 120 two rows lower.
    links.Add({200, 100, 120, 148, "a.htm"});
    const int R = 16;
    EXPECT_NE(CViewInteraction::FindLink(links, columns, R, 250, 105), nullptr); // first line
    EXPECT_EQ(CViewInteraction::FindLink(links, columns, R, 150, 105), nullptr); // before its start
    EXPECT_NE(CViewInteraction::FindLink(links, columns, R, 70, 124), nullptr);  // middle line
    EXPECT_NE(CViewInteraction::FindLink(links, columns, R, 100, 140), nullptr); // last line
    EXPECT_EQ(CViewInteraction::FindLink(links, columns, R, 200, 140), nullptr); // after its end
    EXPECT_EQ(CViewInteraction::FindLink(links, columns, R, 30, 124), nullptr);  // other column
    // A one-row link is a plain rectangle, edges included.
    CHitList single;
    single.Add({70, 10, 90, 26, "b.htm"});
    EXPECT_NE(CViewInteraction::FindLink(single, columns, R, 90, 26), nullptr);
    EXPECT_EQ(CViewInteraction::FindLink(single, columns, R, 91, 26), nullptr);
}

// ---- the sample chronology ------------------------------------------------------------

TEST_F(ViewInteractionTest, HitTestsFindColumnsAndTheEventUnderThePoint)
{
    ASSERT_TRUE(viewtest::MakeSampleDoc(m_doc, ANNALUX_SAMPLES_DIR));
    MakeView();
    const CHeaderManager& columns = m_doc.GetColumns();
    EXPECT_EQ(CViewInteraction::HitColumn(columns, 0), 0);
    EXPECT_EQ(CViewInteraction::HitColumn(columns, 59), 0);
    EXPECT_EQ(CViewInteraction::HitColumn(columns, 60), 1); // a shared edge is the right column's
    EXPECT_EQ(CViewInteraction::HitColumn(columns, columns.GetTotalWidth()), -1);

    // The third placed event of the first event column (column 3).
    const CoordEntry& entry = m_view->GetDataCoord().Table().Column(0).at(2);
    const QPoint p = EntryPoint(3, entry);
    bool edited = false;
    QObject::connect(m_view.get(), &CAnnaluxView::editDatumRequested, [&] { edited = true; });
    DoubleClick(Port(), p);
    EXPECT_TRUE(edited);
    const SDatumHit& hit = m_view->LastHit();
    EXPECT_EQ(hit.column, 3);
    EXPECT_TRUE(hit.found);
    EXPECT_EQ(hit.event, *entry.event);

    // Right of the second event column's texts, where column 4 has nothing in
    // that row, no event is found.
    const auto& world = m_view->GetDataCoord().Table().Column(1);
    int64_t emptyTop = -1;
    for (const CoordEntry& e : m_view->GetDataCoord().Table().Column(0)) {
        const size_t k = m_view->GetDataCoord().Table().LowerBottom(1, e.top + 1);
        if (e.top < 400 && (k >= world.size() || world[k].top > e.top)) {
            emptyTop = e.top;
            break;
        }
    }
    ASSERT_GE(emptyTop, 0);
    m_view->HitTest(QPoint(columns.GetLeft(4) + 30, static_cast<int>(emptyTop) + 2));
    EXPECT_EQ(m_view->LastHit().column, 4);
    EXPECT_FALSE(m_view->LastHit().found);

    // The western-year column: no datum to edit, nothing to add.
    edited = false;
    DoubleClick(Port(), QPoint(10, p.y()));
    EXPECT_FALSE(edited);
    EXPECT_FALSE(m_view->IsViewCommandEnabled(CAnnaluxView::ID_ADD_DATUM));
}

TEST_F(ViewInteractionTest, ContextMenuItemsAndEnabledStates)
{
    ASSERT_TRUE(viewtest::MakeSampleDoc(m_doc, ANNALUX_SAMPLES_DIR));
    MakeView();
    const CoordEntry& entry = m_view->GetDataCoord().Table().Column(0).at(0);

    RightClick(QPoint(10, EntryPoint(3, entry).y()));
    QMenu* menu = m_view->LastContextMenu();
    ASSERT_NE(menu, nullptr);
    const std::vector<std::string> expected = {"このデータを修正する...",
                                               "データを追加する",
                                               "データを削除する",
                                               "-",
                                               "このデータを別の列に移動",
                                               "このデータを別の列に複写",
                                               "-",
                                               "１つ上へ移動",
                                               "１つ下へ移動",
                                               "-",
                                               "補足説明を表示する",
                                               "-",
                                               "ライブラリ情報(&L)",
                                               "読み込んでこの列に併合(&R)",
                                               "ライブラリを上書き保存(&S)",
                                               "ライブラリを名前を付けて保存(&A)",
                                               "すべてのライブラリを上書き保存(&V)",
                                               "-",
                                               "出来事を検索(&S)...",
                                               "年を指定して移動(&G)...",
                                               "時代を指定して移動(&J)",
                                               "-",
                                               "表示年範囲の設定(&R)...",
                                               "列設定...(&R)"};
    EXPECT_EQ(Texts(menu), expected);
    // The western-year column: both submenus greyed, no delete, no merge.
    EXPECT_FALSE(SubMenu(menu, "このデータを別の列に移動")->isEnabled());
    EXPECT_FALSE(SubMenu(menu, "このデータを別の列に複写")->isEnabled());
    EXPECT_FALSE(ItemOf(menu, CAnnaluxView::ID_DELETE_DATUM)->isEnabled());
    EXPECT_FALSE(ItemOf(menu, CAnnaluxView::ID_MERGE_INTO_COLUMN)->isEnabled());
    EXPECT_FALSE(ItemOf(menu, CAnnaluxView::ID_SAVE_LIBRARY)->isEnabled());
    EXPECT_TRUE(ItemOf(menu, CAnnaluxView::ID_SEARCH)->isEnabled());
    EXPECT_TRUE(ItemOf(menu, CAnnaluxView::ID_SAVE_LIBRARY_AS)->isEnabled());

    // An event: the other event library is offered, its own is not.
    RightClick(EntryPoint(3, entry));
    menu = m_view->LastContextMenu();
    if (const char* out = std::getenv("ANNALUX_MENU_PNG")) {
        menu->adjustSize();
        menu->grab().save(QString::fromUtf8(out));
    }
    QMenu* move = SubMenu(menu, "このデータを別の列に移動");
    ASSERT_TRUE(move->isEnabled());
    EXPECT_EQ(Texts(move), (std::vector<std::string>{
                               CShiftJis::ToUtf8Lossy(m_doc.GetEventTable(1)->GetTableName()), "-",
                               "ライブラリファイルを指定..."}));
    EXPECT_EQ(ItemOf(move, CAnnaluxView::ID_MOVE_TO_LIBRARY + 1)->text().toStdString(),
              Texts(move)[0]);
    EXPECT_TRUE(ItemOf(menu, CAnnaluxView::ID_EDIT_DATUM)->isEnabled());
    EXPECT_TRUE(ItemOf(menu, CAnnaluxView::ID_DELETE_DATUM)->isEnabled());
    EXPECT_TRUE(ItemOf(menu, CAnnaluxView::ID_MERGE_INTO_COLUMN)->isEnabled());
    EXPECT_EQ(ItemOf(menu, CAnnaluxView::ID_SHOW_SUPPLEMENT)->isEnabled(),
              !entry.event->supplement.empty());
}

TEST_F(ViewInteractionTest, MoveAndCopySubmenusListAtMostTenOtherLibraries)
{
    for (int i = 0; i < 12; ++i)
        AddEvents(m_doc, "lib" + std::to_string(i), {Event(1600 + i, "ev")}, 100);
    viewtest::SetFonts(m_doc, 14);
    m_doc.SetScaleAccuracy(2);
    MakeView();
    // The first library's event: the nine others among the first ten.
    const CoordEntry& entry = m_view->GetDataCoord().Table().Column(0).at(0);
    RightClick(EntryPoint(1, entry));
    for (const char* title : {"このデータを別の列に移動", "このデータを別の列に複写"}) {
        QMenu* sub = SubMenu(m_view->LastContextMenu(), title);
        const std::vector<std::string> texts = Texts(sub);
        ASSERT_EQ(texts.size(), 11u) << title;
        EXPECT_EQ(texts.front(), "lib1");
        EXPECT_EQ(texts[8], "lib9");
        EXPECT_EQ(texts[9], "-");
    }
    EXPECT_EQ(ItemOf(m_view->LastContextMenu(), CAnnaluxView::ID_COPY_TO_LIBRARY + 9)->text(),
              QStringLiteral("lib9"));
}

TEST_F(ViewInteractionTest, MovingWithinTheYearAndDeletingAfterTheQuestion)
{
    // Sorted in: the undated record comes first in its year.
    CYearEvent* table = AddEvents(
        m_doc, "main", {Event(1600, "dated", 3), Event(1600, "undated"), Event(1601, "alone")});
    viewtest::SetFonts(m_doc, 14);
    MakeView();
    const auto& column = m_view->GetDataCoord().Table().Column(0);
    ASSERT_EQ(column.size(), 3u);
    ASSERT_EQ(table->GetRecord(1).text, "dated");
    RightClick(EntryPoint(1, column[1]));
    EXPECT_TRUE(m_view->IsViewCommandEnabled(CAnnaluxView::ID_MOVE_UP));
    EXPECT_FALSE(m_view->IsViewCommandEnabled(CAnnaluxView::ID_MOVE_DOWN));
    ASSERT_TRUE(m_view->RunViewCommand(CAnnaluxView::ID_MOVE_UP));
    EXPECT_EQ(table->GetRecord(0).text, "dated");
    EXPECT_TRUE(table->GetModified());
    // The record keeps the menu's attention where it went.
    EXPECT_EQ(m_view->LastHit().position, 0);
    EXPECT_FALSE(m_view->IsViewCommandEnabled(CAnnaluxView::ID_MOVE_UP));
    EXPECT_TRUE(m_view->IsViewCommandEnabled(CAnnaluxView::ID_MOVE_DOWN));

    // The only event of 1601 cannot move.
    RightClick(EntryPoint(1, m_view->GetDataCoord().Table().Column(0)[2]));
    EXPECT_FALSE(m_view->IsViewCommandEnabled(CAnnaluxView::ID_MOVE_UP));
    EXPECT_FALSE(m_view->IsViewCommandEnabled(CAnnaluxView::ID_MOVE_DOWN));

    m_host.QueueAnswer(CHostServices::AnswerNo);
    EXPECT_FALSE(m_view->RunViewCommand(CAnnaluxView::ID_DELETE_DATUM));
    EXPECT_EQ(table->GetLen(), 3);
    m_host.QueueAnswer(CHostServices::AnswerYes);
    EXPECT_TRUE(m_view->RunViewCommand(CAnnaluxView::ID_DELETE_DATUM));
    EXPECT_EQ(table->GetLen(), 2);
    EXPECT_EQ(m_host.Messages().back(), "alone\nを削除しますか？");
    // The header shows the library as changed.
    EXPECT_EQ(m_view->HeaderWidget()->model()->headerData(1, Qt::Horizontal).toString(),
              QStringLiteral("*main"));
}

TEST_F(ViewInteractionTest, LeftButtonShowsTheYearBesideTheCursorUntilRelease)
{
    ASSERT_TRUE(viewtest::MakeSampleDoc(m_doc, ANNALUX_SAMPLES_DIR));
    MakeView();
    const CoordEntry& entry = m_view->GetDataCoord().Table().Column(0).at(4);
    const QPoint p = EntryPoint(3, entry, 200);
    Mouse(Port(), QEvent::MouseButtonPress, p);
    EXPECT_EQ(m_view->IndicatorText(), QString::number(entry.Year()));
    EXPECT_EQ(m_view->IndicatorRect().topLeft(), p + QPoint(CViewInteraction::kIndicatorOffset, 0));
    const QImage shown = m_view->viewport()->grab().toImage();
    const QPoint inside = m_view->IndicatorRect().topLeft() + QPoint(1, 1);
    EXPECT_EQ(shown.pixelColor(inside), QColor(0, 0, 255));
    if (const char* out = std::getenv("ANNALUX_INDICATOR_PNG"))
        shown.save(QString::fromUtf8(out));
    Mouse(Port(), QEvent::MouseButtonRelease, p);
    EXPECT_FALSE(m_view->IndicatorRect().isValid());
    const QImage after = m_view->viewport()->grab().toImage();
    EXPECT_NE(after.pixelColor(inside), QColor(0, 0, 255));
}

TEST_F(ViewInteractionTest, SupplementMarkGivesCursorStatusAndTrimmedTip)
{
    std::string longText = "<b>x</b>";
    for (int i = 0; i < 300; ++i)
        longText += Sjis(i % 50 == 0 ? "\r\n" : "補");
    SEventData d = Event(1600, "with note");
    d.supplement = longText;
    AddEvents(m_doc, "main", {d, Event(1601, "plain")});
    viewtest::SetFonts(m_doc, 14);
    MakeView();
    ASSERT_FALSE(m_view->GetSupplementHits().Items().empty());
    const SViewHit& mark = m_view->GetSupplementHits().Items().front();
    QString status;
    QObject::connect(m_view.get(), &CAnnaluxView::statusTextChanged,
                     [&](const QString& text) { status = text; });
    const QPoint p(static_cast<int>(mark.left - m_view->ScrollX()) + 2,
                   static_cast<int>(mark.top - m_view->HeaderHeight() - m_view->ScrollY()) + 2);
    Mouse(Port(), QEvent::MouseMove, p);
    EXPECT_EQ(status.toStdString(), CViewInteraction::kSupplementStatus);
    EXPECT_FALSE(m_view->ToolTipText().contains(QLatin1Char('\n')));
    EXPECT_FALSE(m_view->ToolTipText().contains(QLatin1Char('<')));
    // "x" and 128 double-byte characters: 257 bytes, the last one kept whole.
    EXPECT_EQ(m_view->ToolTipText().size(), 1 + 128);
    EXPECT_TRUE(m_view->IsToolTipTimerRunning());

    // Clicking the mark asks for the supplement window.
    std::string requested;
    QObject::connect(m_view.get(), &CAnnaluxView::supplementRequested,
                     [&](const std::string& sjis) { requested = sjis; });
    Click(Port(), p);
    EXPECT_EQ(requested, longText);

    // Elsewhere the tip goes and the status empties.
    Mouse(Port(), QEvent::MouseMove, QPoint(5, 300));
    EXPECT_TRUE(m_view->ToolTipText().isEmpty());
    EXPECT_TRUE(status.isEmpty());
    EXPECT_FALSE(m_view->IsToolTipTimerRunning());
}

TEST_F(ViewInteractionTest, RangeMarkTipAtTheColumnsLeftEdge)
{
    SEventData d = Event(1600, "war");
    d.rangeFlags = RANGE_FROM;
    d.otherYear = 1615;
    AddEvents(m_doc, "main", {d});
    viewtest::SetFonts(m_doc, 14);
    MakeView();
    const CoordEntry& entry = m_view->GetDataCoord().Table().Column(0).at(0);
    Mouse(Port(), QEvent::MouseMove, EntryPoint(1, entry, 3));
    EXPECT_EQ(m_view->ToolTipText(), QStringLiteral("この年から1615年まで"));
    Mouse(Port(), QEvent::MouseMove, EntryPoint(1, entry, 40));
    EXPECT_TRUE(m_view->ToolTipText().isEmpty());
}

TEST_F(ViewInteractionTest, KeysScrollByRowsPagesAndToTheEnds)
{
    ASSERT_TRUE(viewtest::MakeSampleDoc(m_doc, ANNALUX_SAMPLES_DIR));
    MakeView();
    const int R = m_view->GetDataCoord().RowHeight();
    ASSERT_GT(R, 0);
    m_view->setFocus();
    KeyClick(m_view.get(), Qt::Key_PageDown);
    EXPECT_EQ(m_view->ScrollY(), 20 * R);
    KeyClick(m_view.get(), Qt::Key_Down);
    EXPECT_EQ(m_view->ScrollY(), 21 * R);
    KeyClick(m_view.get(), Qt::Key_Up);
    KeyClick(m_view.get(), Qt::Key_PageUp);
    KeyClick(m_view.get(), Qt::Key_PageUp);
    EXPECT_EQ(m_view->ScrollY(), 0);

    KeyClick(m_view.get(), Qt::Key_End);
    const int64_t bottom = m_view->GetDataCoord().MaxBottom();
    EXPECT_GE(m_view->ScrollY() + Port()->height(), bottom);
    EXPECT_LT(m_view->ScrollY(), bottom);
    // The last entry is on screen: its year is painted in the last rows.
    m_view->resize(800, 500); // narrower than the table
    QApplication::processEvents();
    KeyClick(m_view.get(), Qt::Key_Right);
    EXPECT_GT(m_view->ScrollX(), 0);
    KeyClick(m_view.get(), Qt::Key_Home);
    EXPECT_EQ(m_view->ScrollY(), 0);
    EXPECT_EQ(m_view->ScrollX(), 0);

    Key(m_view.get(), Qt::Key_Shift);
    EXPECT_TRUE(m_view->IsShiftDown());
    Key(m_view.get(), Qt::Key_Shift, QEvent::KeyRelease);
    EXPECT_FALSE(m_view->IsShiftDown());
}

TEST_F(ViewInteractionTest, HeaderClicksStepToTheNextAndPreviousDatum)
{
    AddEvents(m_doc, "a", {Event(1600, "a1"), Event(1700, "a2"), Event(1800, "a3")});
    std::vector<SEventData> many;
    for (int y = 1600; y < 1900; y += 2)
        many.push_back(Event(y, "b"));
    AddEvents(m_doc, "b", many);
    viewtest::SetFonts(m_doc, 14);
    m_doc.SetScaleAccuracy(2);
    MakeView();
    const auto& a = m_view->GetDataCoord().Table().Column(0);
    QHeaderView* header = m_view->HeaderWidget();
    const QPoint onA(header->sectionViewportPosition(1) + 10, header->height() / 2);
    Click(header->viewport(), onA);
    EXPECT_EQ(m_view->ScrollY(), a[1].top);
    Click(header->viewport(), onA);
    EXPECT_EQ(m_view->ScrollY(), a[2].top);
    Click(header->viewport(), onA, Qt::ShiftModifier);
    EXPECT_EQ(m_view->ScrollY(), a[1].top);
    // The western-year column steps row by row.
    const QPoint onYear(10, header->height() / 2);
    Click(header->viewport(), onYear);
    EXPECT_EQ(m_view->ScrollY(), m_view->GetDataCoord().YearTop(1702));
}

} // namespace

TEST_F(ViewInteractionTest, EveryRelayoutKeepsTheYearAtTheTop)
{
    // One event a year from 1 to 600; every third is of high priority.
    std::vector<SEventData> events;
    for (int32_t y = 1; y <= 600; ++y) {
        SEventData e = Event(y, "出来事");
        e.priority = y % 3 == 0 ? 0 : 2;
        events.push_back(e);
    }
    AddEvents(m_doc, "a", events);
    viewtest::SetFonts(m_doc, 14);
    m_doc.Notify(CAnnaluxDoc::VN_UPDATE);
    MakeView();
    m_view->ScrollToYear(300);
    const int R = m_view->GetDataCoord().RowHeight();
    m_view->SetScrollY(m_view->ScrollY() + R / 2); // a little into the year
    ASSERT_EQ(m_view->TopYear(), 300);

    struct SStep
    {
        const char* what;
        std::function<void()> change;
        int32_t top;
    } steps[] = {
        {"priority high", [&] { m_doc.SetPriorityFilter(0); }, 300},
        {"priority all", [&] { m_doc.SetPriorityFilter(2); }, 300},
        {"zoom 200", [&] { m_doc.SetZoom(200); }, 300},
        {"zoom 50", [&] { m_doc.SetZoom(50); }, 300},
        {"font", [&] { viewtest::SetFonts(m_doc, 20); m_doc.Notify(CAnnaluxDoc::VN_RELAYOUT); },
         300},
        {"scale 10", [&] { m_doc.SetScaleYear(10); }, 300},
        {"scale 1", [&] { m_doc.SetScaleYear(1); }, 300},
        {"packed", [&] { m_doc.SetScaleAccuracy(2); }, 300},
        {"wrapped, column narrowed",
         [&] {
             m_doc.ToggleWrapLines();
             m_view->findChild<QHeaderView*>()->resizeSection(1, 40);
         },
         300},
    };
    for (const SStep& s : steps) {
        SCOPED_TRACE(s.what);
        s.change();
        QApplication::processEvents();
        EXPECT_EQ(m_view->TopYear(), s.top);
        // Still scrolled into the year, not left at its edge or the one before.
        const int32_t top = m_view->GetDataCoord().YearTop(s.top);
        EXPECT_GT(m_view->ScrollY(), top);
    }

    // A year the filter hides gives way to the next one shown.
    m_view->ScrollToYear(301);
    m_doc.SetPriorityFilter(0);
    EXPECT_EQ(m_view->TopYear(), 303);
    // At the very top the view stays at the top.
    m_view->SetScrollY(0);
    m_doc.SetPriorityFilter(2);
    EXPECT_EQ(m_view->ScrollY(), 0);
}

TEST_F(ViewInteractionTest, ASearchHitLaterInItsYearIsShownWithTheYearsFirstRow)
{
    std::vector<SEventData> events;
    for (int32_t y = 1500; y <= 1700; ++y)
        events.push_back(Event(y, "平凡な年"));
    events.push_back(Event(1600, "一月の出来事", 1));
    events.push_back(Event(1600, "九月の合戦", 9));
    AddEvents(m_doc, "a", events);
    viewtest::SetFonts(m_doc, 14);
    m_doc.Notify(CAnnaluxDoc::VN_UPDATE);
    MakeView();
    ASSERT_TRUE(m_view->Search(Sjis("九月の合戦"), false, false, false));
    const CoordEntry* hit = m_view->GetDataCoord().SearchHit();
    ASSERT_NE(hit, nullptr);
    const int32_t yearTop = m_view->GetDataCoord().YearTop(1600);
    EXPECT_LT(yearTop, hit->top);
    EXPECT_EQ(m_view->ScrollY(), yearTop); // the label row of 1600 is the top row
    EXPECT_EQ(m_view->TopYear(), 1600);
}
