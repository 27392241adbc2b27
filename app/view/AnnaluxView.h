#pragma once

#include "AnnaluxDoc.h"
#include "TablePainter.h"
#include "ViewInteraction.h"

#include <QAbstractScrollArea>
#include <QRect>
#include <QString>

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

class CDataCoord;
class CGlyphCache;
class CTextCache;
class ITextMeasurer;
class QHeaderView;
class QMenu;
class QTimer;
class QStandardItemModel;

// The timeline: the document's columns side by side over one vertical year
// axis, below a column header.
//
// The view keeps its own 64-bit content coordinates: y 0 is the top of the
// column header, the data area starts at HeaderHeight(). Scroll bars hold at
// most int range, so when the content is taller the vertical bar's range is
// mapped onto it.
class CAnnaluxView : public QAbstractScrollArea
{
    Q_OBJECT

public:
    // The strip right of the last column where year labels stand.
    static constexpr int kRightMargin = 50; // at least; see RightMargin
    // Room right of the last column for the year labels: enough for the
    // widest label of the table in its font, never less than kRightMargin.
    int RightMargin() const { return m_rightMargin; }
    static int RightMarginFor(const CAnnaluxDoc& doc, const CDataCoord& coord);

    explicit CAnnaluxView(CAnnaluxDoc* doc, QWidget* parent = nullptr);
    ~CAnnaluxView() override;

    CAnnaluxDoc* GetDocument() const { return m_doc; }

    // A document notice (see CAnnaluxDoc::EViewNotice).
    void OnUpdate(CAnnaluxDoc::EViewNotice notice);
    // Rebuilds the year-axis layout and the scroll sizes; shows the overflow
    // message when not everything could be placed. With edits, only the
    // years they name are laid out again when nothing else may have moved.
    void Relayout(const std::vector<SEventEdit>* edits = nullptr);
    // Rebuilds the column header from the columns.
    void RebuildHeader();

    // Scrolls so that the first row at or after year is at the top.
    void ScrollToYear(int32_t year);
    // The year of the first row whose bottom is below the top of the data
    // area (kNoYear when the table is empty).
    int32_t TopYear() const;

    QHeaderView* HeaderWidget() const { return m_header; }
    int HeaderHeight() const { return m_headerHeight; }

    // Content geometry and scroll position, 64-bit.
    int64_t ContentHeight() const { return m_contentHeight; }
    int64_t ContentWidth() const { return m_contentWidth; }
    int64_t ScrollY() const { return m_scrollY; }
    int ScrollX() const;
    void SetScrollY(int64_t y);

    // The layout (read by hit testing, searching and exporters).
    CDataCoord& GetDataCoord() { return *m_coord; }
    const CDataCoord& GetDataCoord() const { return *m_coord; }

    // Search highlighting: the text (Shift-JIS) is looked for in entries the
    // search stepping marked. Empty text switches highlighting off.
    void SetSearchText(const std::string& sjis, bool inSupplement, bool matchCase);
    const std::string& GetSearchText() const { return m_searchText; }
    // Steps to the next / previous matching event and scrolls it into view.
    // False (nothing changed but the cleared hit) when there is none.
    bool SearchNext();
    bool SearchPrevious();

    // The search dialogs' operations. Search stores the text (lower-cased
    // unless matchCase) for highlighting, steps down (no wrap) or up (wrapping
    // from the first entry to the last) and scrolls the hit's column and row
    // into view. ClearSearch forgets the text and the hit; ClearSearchHit
    // only the hit.
    bool Search(const std::string& sjis, bool inSupplement, bool matchCase, bool upward);
    void ClearSearch();
    void ClearSearchHit();
    // Scroll to a typed year (Western, full-width digits, era name with an
    // optional era year) or a period named exactly (markup ignored). False
    // when nothing on the table answers.
    bool GoToYear(const std::string& sjis);
    // The same for a Western year; false (the view where it was) when the
    // year lies outside the table's first and last year.
    bool GoToTableYear(int32_t year);
    bool GoToPeriod(const std::string& sjis);

    // ---- interaction ------------------------------------------------------
    // The datum pop-up menu's commands (ids as in the main window's menus).
    enum EViewCommand
    {
        ID_EDIT_DATUM = 32816,
        ID_ADD_DATUM = 32831,
        ID_DELETE_DATUM = 32851,
        ID_MOVE_TO_FILE = 32857,
        ID_COPY_TO_FILE = 32858,
        ID_MOVE_TO_LIBRARY = 34000, // + n, n < 10
        ID_COPY_TO_LIBRARY = 34100, // + n, n < 10
        ID_MOVE_UP = 32821,
        ID_MOVE_DOWN = 32822,
        ID_SHOW_SUPPLEMENT = 32818,
        ID_LIBRARY_INFO = 32843,
        ID_MERGE_INTO_COLUMN = 32850,
        ID_SAVE_LIBRARY = 32846,
        ID_SAVE_LIBRARY_AS = 32847,
        ID_SAVE_ALL_LIBRARIES = 32848,
        ID_SEARCH = 32813,
        ID_JUMP_YEAR = 32835,
        ID_JUMP_PERIOD = 32839,
        ID_YEAR_RANGE = 32823,
        ID_COLUMN_SETTINGS = 32860,
    };
    static constexpr int kMaxMenuLibraries = 10;
    // The text asked before an event is deleted, after the event's text.
    static const char* const kDeleteQuestion;

    // Hit test at a viewport point: remembers the point and what lies there
    // for the commands that follow.
    const SDatumHit& HitTest(const QPoint& viewportPos);
    const SDatumHit& LastHit() const { return m_hit; }
    // Where the main window's enabling and running of commands come from;
    // without them the view answers and runs its own commands only.
    void SetCommandBridge(std::function<bool(int)> enabled, std::function<void(int)> run);
    // The enabling rules of the datum menu's commands for the last hit.
    bool IsViewCommandEnabled(int command) const;
    // Carries out what the view does itself (edit and add are requested by
    // signal); false when the command is not the view's or does nothing.
    bool RunViewCommand(int command);
    // The datum menu for the last hit, owned by the view until the next one.
    QMenu* BuildContextMenu();
    QMenu* LastContextMenu() const { return m_contextMenu; }
    // Adds the shell's own items at the end of every datum menu.
    void SetContextMenuExtender(std::function<void(QMenu*)> extend)
    {
        m_menuExtender = std::move(extend);
    }
    // Steps the top of the view to the next (previous) datum of a column.
    bool StepColumn(int column, bool backward);
    // The tool tip text now shown (empty when none) and the year indicator.
    const QString& ToolTipText() const { return m_tipText; }
    bool IsToolTipTimerRunning() const;
    const QRect& IndicatorRect() const { return m_indicatorRect; }
    const QString& IndicatorText() const { return m_indicatorText; }
    bool IsShiftDown() const { return m_shiftDown; }

    // What the last paints left behind (emptied by Relayout).
    const CHitList& GetLinkHits() const { return m_linkHits; }
    const CHitList& GetSupplementHits() const { return m_supplementHits; }

    // The view as it shows on screen, header included, at the current size.
    QImage RenderImage();
    // Gives a view that is never shown the size it is to be painted at and
    // lays its scroll bars, header and data area out as showing it would,
    // without making a window or a window buffer.
    void PrepareHidden(const QSize& size);
    // Paints what RenderImage gives, top to bottom in bands of at most
    // bandRows rows, and hands each band to sink (valid during the call).
    // Memory stays that of one band whatever the height. False when sink
    // returned false (painting stops there).
    bool RenderBands(int bandRows, const std::function<bool(const QImage&)>& sink);

signals:
    void statusTextChanged(const QString& text);
    void topYearChanged(int year);
    // The shell opens the editor on LastHit() (edit) or for a new datum of
    // its column and year (add), the supplement window, a link's target or a
    // column's menu.
    void editDatumRequested();
    void addDatumRequested();
    void supplementRequested(const std::string& sjis);
    void linkActivated(const std::string& sjis);
    void columnMenuRequested(int column, const QPoint& globalPos);
    // After a search hit: the supplement when the text was found there (to be
    // shown, opening the window when needed), else empty (an open window is
    // emptied).
    void searchSupplementChanged(const std::string& sjis);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void keyReleaseEvent(QKeyEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void scrollContentsBy(int dx, int dy) override;
    bool viewportEvent(QEvent* event) override;

private:
    void UpdateScrollSizes(int64_t dataHeight);
    void SyncVerticalBar();
    void OnVerticalBar(int value);
    void OnSectionResized(int logical, int oldSize, int newSize);
    void OnSectionMoved(int logical, int oldVisual, int newVisual);
    void PositionHeader();
    void EmitTopYear();
    void ElideHeaderText(int section);
    // After a relayout: scrolls so that year is at the top again, intoYear
    // pixels (at the old row height) into it.
    void RestoreTopYear(int32_t year, int64_t intoYear, int oldRowHeight);
    void ScrollEntryIntoView(int64_t dataTop);
    bool JumpToYear(int32_t year);
    int64_t MaxScrollY() const;

    std::function<void(QMenu*)> m_menuExtender;
    CAnnaluxDoc* m_doc;
    int m_listenerId = 0;
    std::unique_ptr<CDataCoord> m_coord;
    std::unique_ptr<ITextMeasurer> m_measurer;
    std::unique_ptr<CTextCache> m_textCache;
    std::unique_ptr<CGlyphCache> m_glyphCache;
    QHeaderView* m_header = nullptr;
    QStandardItemModel* m_headerModel = nullptr;
    bool m_rebuildingHeader = false;
    int m_headerHeight = 50;
    int64_t m_dataHeight = 0;
    int64_t m_contentHeight = 0;
    int64_t m_contentWidth = 0;
    int64_t m_scrollY = 0;
    int m_rightMargin = kRightMargin;
    bool m_settingBar = false;
    int32_t m_lastTopYear = -2147483647 - 1;

    std::string m_searchText;
    bool m_searchInSupplement = false;
    bool m_searchMatchCase = false;

    CHitList m_linkHits;
    CHitList m_supplementHits;

    // ---- interaction (ViewEvents.cpp) -------------------------------------
    void InitInteraction();
    void ShowToolTip(const QString& text, const QPoint& viewportPos);
    void HideToolTip();
    void OnToolTipTimer();
    void HideIndicator();
    void PaintIndicator(QPainter& painter);
    void OnHeaderClicked(int logical);
    void OnHeaderMenu(const QPoint& pos);
    void ScrollVerticallyTo(int64_t y);
    void ScrollBlit(int64_t oldY);
    void ContentPoint(const QPoint& viewportPos, int64_t& x, int64_t& y) const;
    bool DeleteHitEvent();
    bool MoveHitEvent(bool up);
    bool CommandEnabled(int command) const;
    void RunCommandFromMenu(int command);

    SDatumHit m_hit;
    bool m_shiftDown = false;
    bool m_headerShift = false; // Shift held on the last header click
    bool m_leftDown = false;
    QRect m_indicatorRect;
    QString m_indicatorText;
    QString m_tipText;
    QTimer* m_tipTimer = nullptr;
    QMenu* m_contextMenu = nullptr;
    std::function<bool(int)> m_bridgeEnabled;
    std::function<void(int)> m_bridgeRun;
};
