// The view's mouse, keyboard, menu and tool-tip handling.

#include "AnnaluxView.h"

#include "BaseYear.h"
#include "Cursors.h"
#include "DataCoord.h"
#include "HeaderKind.h"
#include "HostServices.h"
#include "HostText.h"
#include "LogFontQt.h"
#include "ShiftJis.h"
#include "TableBase.h"
#include "YearEvent.h"

#include <QApplication>
#include <QContextMenuEvent>
#include <QCursor>
#include <QFontMetrics>
#include <QHeaderView>
#include <QKeyEvent>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>
#include <QTimer>
#include <QToolTip>

#include <algorithm>
#include <cstdlib>

const char* const CAnnaluxView::kDeleteQuestion = "\nを削除しますか？";

namespace {

QString Utf8(const std::string& sjis)
{
    return CHostText::FromSjis(sjis);
}

// Menu titles show '&' literally.
QString MenuText(const std::string& sjis)
{
    return Utf8(sjis).replace(QLatin1Char('&'), QStringLiteral("&&"));
}

// Remembers whether Shift was held with the header's mouse buttons: the
// click signal itself does not say.
class CHeaderShiftFilter : public QObject
{
public:
    CHeaderShiftFilter(bool* shift, QObject* parent) : QObject(parent), m_shift(shift) {}

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::MouseButtonPress ||
            event->type() == QEvent::MouseButtonRelease)
            *m_shift = static_cast<QMouseEvent*>(event)->modifiers() & Qt::ShiftModifier;
        return QObject::eventFilter(watched, event);
    }

private:
    bool* m_shift;
};

} // namespace

void CAnnaluxView::InitInteraction()
{
    // Every paint fills its whole clip: that lets scrolling move the pixels
    // already shown and paint only the uncovered strip.
    viewport()->setAttribute(Qt::WA_OpaquePaintEvent);
    m_tipTimer = new QTimer(this);
    m_tipTimer->setInterval(1000);
    connect(m_tipTimer, &QTimer::timeout, this, &CAnnaluxView::OnToolTipTimer);
    m_header->setSectionsClickable(true);
    m_header->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(m_header, &QHeaderView::sectionClicked, this, &CAnnaluxView::OnHeaderClicked);
    m_header->viewport()->installEventFilter(new CHeaderShiftFilter(&m_headerShift, this));
    connect(m_header, &QHeaderView::customContextMenuRequested, this, &CAnnaluxView::OnHeaderMenu);
}

void CAnnaluxView::SetCommandBridge(std::function<bool(int)> enabled, std::function<void(int)> run)
{
    m_bridgeEnabled = std::move(enabled);
    m_bridgeRun = std::move(run);
}

void CAnnaluxView::ContentPoint(const QPoint& viewportPos, int64_t& x, int64_t& y) const
{
    x = static_cast<int64_t>(viewportPos.x()) + horizontalScrollBar()->value();
    y = static_cast<int64_t>(viewportPos.y()) + m_scrollY + m_headerHeight;
}

const SDatumHit& CAnnaluxView::HitTest(const QPoint& viewportPos)
{
    m_hit = SDatumHit();
    if (!m_doc)
        return m_hit;
    const int64_t x = static_cast<int64_t>(viewportPos.x()) + horizontalScrollBar()->value();
    const int64_t dataY = static_cast<int64_t>(viewportPos.y()) + m_scrollY;
    m_hit = CViewInteraction::HitDatum(*m_doc, *m_coord, x, dataY);
    return m_hit;
}

// ---- commands ---------------------------------------------------------------

bool CAnnaluxView::IsViewCommandEnabled(int command) const
{
    const bool event = m_hit.kind == CK_EVENT && m_hit.column >= 0;
    if (command >= ID_MOVE_TO_LIBRARY && command < ID_MOVE_TO_LIBRARY + kMaxMenuLibraries)
        return event && m_hit.found;
    if (command >= ID_COPY_TO_LIBRARY && command < ID_COPY_TO_LIBRARY + kMaxMenuLibraries)
        return event && m_hit.found;
    switch (command) {
    case ID_EDIT_DATUM:
        return m_hit.found;
    case ID_DELETE_DATUM:
    case ID_MOVE_TO_FILE:
    case ID_COPY_TO_FILE:
        return m_hit.found && event;
    case ID_ADD_DATUM:
        return m_hit.column >= 0 && m_hit.kind != CK_YEAR && m_hit.kind != CK_BASEYEAR;
    case ID_MERGE_INTO_COLUMN:
        return event;
    case ID_SHOW_SUPPLEMENT:
        return m_hit.found && !m_hit.supplement.empty();
    case ID_MOVE_UP:
        return m_hit.found && m_hit.canMoveUp;
    case ID_MOVE_DOWN:
        return m_hit.found && m_hit.canMoveDown;
    case ID_SAVE_LIBRARY: {
        if (!m_doc)
            return false;
        const CHeaderManager& columns = m_doc->GetColumns();
        int column = m_doc->GetCurrentColumn();
        if (column < 0 || column >= columns.GetCount())
            column = m_hit.column;
        if (column < 0 || column >= columns.GetCount())
            return false;
        const CTableBase* table = columns.GetTable(column);
        return table && table->GetModified();
    }
    case ID_SAVE_ALL_LIBRARIES:
        return m_doc && m_doc->HasModifiedLibraries();
    case ID_SEARCH:
    case ID_JUMP_YEAR:
    case ID_JUMP_PERIOD:
    case ID_YEAR_RANGE:
        return m_doc && m_doc->GetEventTableCount() > 0;
    case ID_LIBRARY_INFO:
        return m_hit.table != nullptr;
    case ID_SAVE_LIBRARY_AS:
    case ID_COLUMN_SETTINGS:
        return true;
    default:
        return false;
    }
}

bool CAnnaluxView::RunViewCommand(int command)
{
    if (!IsViewCommandEnabled(command))
        return false;
    switch (command) {
    case ID_EDIT_DATUM:
        if (m_hit.kind == CK_YEAR)
            return false;
        emit editDatumRequested();
        return true;
    case ID_ADD_DATUM:
        emit addDatumRequested();
        return true;
    case ID_DELETE_DATUM:
        return DeleteHitEvent();
    case ID_MOVE_UP:
        return MoveHitEvent(true);
    case ID_MOVE_DOWN:
        return MoveHitEvent(false);
    case ID_SHOW_SUPPLEMENT:
        emit supplementRequested(m_hit.supplement);
        return true;
    default:
        return false;
    }
}

bool CAnnaluxView::CommandEnabled(int command) const
{
    return m_bridgeEnabled ? m_bridgeEnabled(command) : IsViewCommandEnabled(command);
}

void CAnnaluxView::RunCommandFromMenu(int command)
{
    if (m_bridgeRun)
        m_bridgeRun(command);
    else
        RunViewCommand(command);
}

bool CAnnaluxView::DeleteHitEvent()
{
    auto* table = static_cast<CYearEvent*>(m_hit.table);
    if (!m_hit.found || m_hit.kind != CK_EVENT || !table)
        return false;
    const std::string question = CShiftJis::ToUtf8Lossy(m_hit.event.text) + kDeleteQuestion;
    if (CHostServices::Get().MessageBox(question,
                                        CHostServices::YesNo | CHostServices::IconQuestion) !=
        CHostServices::AnswerYes)
        return false;
    if (!table->RemoveAt(m_hit.eventIndex, m_doc->GetPriorityFilter(), nullptr))
        return false;
    m_hit.found = false;
    // The header's "*" and every view follow.
    m_doc->NotifyEventsEdited({{table, {m_hit.year}}});
    return true;
}

bool CAnnaluxView::MoveHitEvent(bool up)
{
    auto* table = static_cast<CYearEvent*>(m_hit.table);
    if (!m_hit.found || m_hit.kind != CK_EVENT || !table)
        return false;
    const int filter = m_doc->GetPriorityFilter();
    const bool moved = up ? table->MoveToBefore(m_hit.year, m_hit.position, filter)
                          : table->MoveToAfter(m_hit.year, m_hit.position, filter);
    if (!moved)
        return false;
    // The record now stands one place further; the menu's next question is
    // about it, not about whatever took its place.
    m_hit.position += up ? -1 : 1;
    m_hit.eventIndex += up ? -1 : 1;
    CViewInteraction::MoveFlags(*table, m_hit.year, m_hit.position, filter, m_hit.canMoveUp,
                                m_hit.canMoveDown);
    m_doc->NotifyEventsEdited({{table, {m_hit.year}}});
    return true;
}

QMenu* CAnnaluxView::BuildContextMenu()
{
    delete m_contextMenu;
    m_contextMenu = new QMenu(this);
    QMenu* menu = m_contextMenu;
    const auto add = [this](QMenu* to, int command, const QString& text) {
        QAction* action = to->addAction(text);
        action->setData(command);
        action->setEnabled(CommandEnabled(command));
        connect(action, &QAction::triggered, this,
                [this, command] { RunCommandFromMenu(command); });
        return action;
    };
    add(menu, ID_EDIT_DATUM, QStringLiteral("このデータを修正する..."));
    add(menu, ID_ADD_DATUM, QStringLiteral("データを追加する"));
    add(menu, ID_DELETE_DATUM, QStringLiteral("データを削除する"));
    menu->addSeparator();

    const bool eventColumn = m_hit.kind == CK_EVENT && m_hit.table;
    const struct
    {
        const char* title;
        int base;
        int fileCommand;
    } submenus[2] = {{"このデータを別の列に移動", ID_MOVE_TO_LIBRARY, ID_MOVE_TO_FILE},
                     {"このデータを別の列に複写", ID_COPY_TO_LIBRARY, ID_COPY_TO_FILE}};
    for (const auto& def : submenus) {
        QMenu* sub = menu->addMenu(QString::fromUtf8(def.title));
        sub->setEnabled(eventColumn);
        if (eventColumn) {
            bool any = false;
            const int count = std::min(m_doc->GetEventTableCount(), kMaxMenuLibraries);
            for (int n = 0; n < count; ++n) {
                const CYearEvent* library = m_doc->GetEventTable(n);
                if (library->GetFileName() == m_hit.table->GetFileName())
                    continue;
                add(sub, def.base + n, MenuText(library->GetTableName()));
                any = true;
            }
            if (any)
                sub->addSeparator();
        }
        add(sub, def.fileCommand, QStringLiteral("ライブラリファイルを指定..."));
    }
    menu->addSeparator();
    add(menu, ID_MOVE_UP, QStringLiteral("１つ上へ移動"));
    add(menu, ID_MOVE_DOWN, QStringLiteral("１つ下へ移動"));
    menu->addSeparator();
    add(menu, ID_SHOW_SUPPLEMENT, QStringLiteral("補足説明を表示する"));
    menu->addSeparator();
    add(menu, ID_LIBRARY_INFO, QStringLiteral("ライブラリ情報(&L)"));
    add(menu, ID_MERGE_INTO_COLUMN, QStringLiteral("読み込んでこの列に併合(&R)"));
    add(menu, ID_SAVE_LIBRARY, QStringLiteral("ライブラリを上書き保存(&S)"));
    add(menu, ID_SAVE_LIBRARY_AS, QStringLiteral("ライブラリを名前を付けて保存(&A)"));
    add(menu, ID_SAVE_ALL_LIBRARIES, QStringLiteral("すべてのライブラリを上書き保存(&V)"));
    menu->addSeparator();
    add(menu, ID_SEARCH, QStringLiteral("出来事を検索(&S)..."));
    add(menu, ID_JUMP_YEAR, QStringLiteral("年を指定して移動(&G)..."));
    add(menu, ID_JUMP_PERIOD, QStringLiteral("時代を指定して移動(&J)"));
    menu->addSeparator();
    add(menu, ID_YEAR_RANGE, QStringLiteral("表示年範囲の設定(&R)..."));
    add(menu, ID_COLUMN_SETTINGS, QStringLiteral("列設定...(&R)"));
    if (m_menuExtender)
        m_menuExtender(menu);
    return menu;
}

void CAnnaluxView::contextMenuEvent(QContextMenuEvent* event)
{
    HideToolTip();
    // From the viewport or from the keyboard: the global point serves both.
    const QPoint pos = viewport()->mapFromGlobal(event->globalPos());
    HitTest(pos);
    if (m_hit.column < 0)
        return;
    QMenu* menu = BuildContextMenu();
    menu->popup(event->globalPos());
    event->accept();
}

void CAnnaluxView::OnHeaderMenu(const QPoint& pos)
{
    const int column = m_header->logicalIndexAt(pos);
    if (column < 0)
        return;
    if (QWidget* top = window()) {
        top->raise();
        top->activateWindow();
    }
    emit columnMenuRequested(column, m_header->mapToGlobal(pos));
}

// ---- mouse ------------------------------------------------------------------

void CAnnaluxView::mousePressEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton || !m_doc) {
        QAbstractScrollArea::mousePressEvent(event);
        return;
    }
    const QPoint pos = event->position().toPoint();
    int64_t x = 0, y = 0;
    ContentPoint(pos, x, y);
    if (CViewInteraction::FindLink(m_linkHits, m_doc->GetColumns(), m_coord->RowHeight(), x, y) ||
        CViewInteraction::FindMark(m_supplementHits, x, y))
        return;
    m_leftDown = true;
    HideIndicator();
    const int32_t year = m_coord->YearAt(m_scrollY + pos.y(), nullptr, nullptr, true);
    if (year == kNoYear)
        return;
    m_indicatorText = QString::number(year);
    const QFontMetrics metrics(viewport()->font());
    const QSize size(metrics.horizontalAdvance(m_indicatorText) + 4, metrics.height());
    m_indicatorRect = QRect(QPoint(pos.x() + CViewInteraction::kIndicatorOffset, pos.y()), size);
    viewport()->update(m_indicatorRect);
}

void CAnnaluxView::mouseReleaseEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton || !m_doc) {
        QAbstractScrollArea::mouseReleaseEvent(event);
        return;
    }
    const QPoint pos = event->position().toPoint();
    int64_t x = 0, y = 0;
    ContentPoint(pos, x, y);
    m_leftDown = false;
    if (const SViewHit* link = CViewInteraction::FindLink(m_linkHits, m_doc->GetColumns(),
                                                          m_coord->RowHeight(), x, y)) {
        HideIndicator();
        const std::string target = link->target;
        emit linkActivated(target);
        return;
    }
    if (!CViewInteraction::FindMark(m_supplementHits, x, y)) {
        HideIndicator();
        return;
    }
    HideIndicator();
    HitTest(pos);
    // The mark stands at the start of the event's text, inside its row.
    emit supplementRequested(m_hit.supplement);
}

void CAnnaluxView::mouseDoubleClickEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton || !m_doc) {
        QAbstractScrollArea::mouseDoubleClickEvent(event);
        return;
    }
    HitTest(event->position().toPoint());
    if (m_hit.column >= 0 && m_hit.kind != CK_YEAR && m_hit.found)
        emit editDatumRequested();
}

void CAnnaluxView::mouseMoveEvent(QMouseEvent* event)
{
    QAbstractScrollArea::mouseMoveEvent(event);
    if (!m_doc)
        return;
    const QPoint pos = event->position().toPoint();
    int64_t x = 0, y = 0;
    ContentPoint(pos, x, y);
    if (const SViewHit* link = CViewInteraction::FindLink(m_linkHits, m_doc->GetColumns(),
                                                          m_coord->RowHeight(), x, y)) {
        viewport()->setCursor(CViewCursors::Link());
        emit statusTextChanged(Utf8(link->target));
        HideToolTip();
        return;
    }
    if (const SViewHit* mark = CViewInteraction::FindMark(m_supplementHits, x, y)) {
        viewport()->setCursor(CViewCursors::Supplement());
        emit statusTextChanged(QString::fromUtf8(CViewInteraction::kSupplementStatus));
        const SDatumHit hit = CViewInteraction::HitDatum(*m_doc, *m_coord, x, y - m_headerHeight);
        const QString tip = Utf8(CViewInteraction::SupplementTip(hit.supplement));
        const int tipX = static_cast<int>(mark->left - horizontalScrollBar()->value());
        ShowToolTip(tip, QPoint(tipX, pos.y()));
        return;
    }
    viewport()->unsetCursor();
    emit statusTextChanged(QString());
    const int column = CViewInteraction::HitColumn(m_doc->GetColumns(), x);
    if (column >= 0 && m_doc->GetColumns().GetKind(column) == CK_EVENT &&
        x < static_cast<int64_t>(m_doc->GetColumns().GetLeft(column)) + CDataCoord::kMarkWidth) {
        const SDatumHit hit = CViewInteraction::HitDatum(*m_doc, *m_coord, x, y - m_headerHeight);
        if (hit.found && CDataCoord::HasRangeMark(hit.event.rangeFlags)) {
            const QString tip =
                CViewInteraction::RangeDescription(hit.event.rangeFlags, hit.event.otherYear);
            const int left = m_doc->GetColumns().GetLeft(column) - horizontalScrollBar()->value();
            ShowToolTip(tip, QPoint(left, pos.y()));
            return;
        }
    }
    HideToolTip();
}

// ---- tool tips and the year indicator -----------------------------------------

void CAnnaluxView::ShowToolTip(const QString& text, const QPoint& viewportPos)
{
    if (text.isEmpty()) {
        HideToolTip();
        return;
    }
    m_tipText = text;
    // Just below the row under the cursor, so the tip never hides that row.
    const int row = std::max(1, m_coord->RowHeight());
    const int y = (viewportPos.y() / row + 1) * row;
    const QPoint global = viewport()->mapToGlobal(QPoint(viewportPos.x() + 10, y));
    QToolTip::showText(global, text, viewport(), QRect(), 3600 * 1000);
    if (!m_tipTimer->isActive())
        m_tipTimer->start();
}

void CAnnaluxView::HideToolTip()
{
    if (m_tipText.isEmpty() && !m_tipTimer->isActive())
        return;
    m_tipText.clear();
    m_tipTimer->stop();
    QToolTip::hideText();
}

bool CAnnaluxView::IsToolTipTimerRunning() const
{
    return m_tipTimer && m_tipTimer->isActive();
}

void CAnnaluxView::OnToolTipTimer()
{
    // The header belongs to the view's window: the tip stays while the
    // cursor is over it.
    QRect area(mapToGlobal(QPoint(0, 0)), size());
    if (!area.contains(QCursor::pos()))
        HideToolTip();
}

void CAnnaluxView::HideIndicator()
{
    if (!m_indicatorRect.isValid())
        return;
    const QRect old = m_indicatorRect;
    m_indicatorRect = QRect();
    m_indicatorText.clear();
    viewport()->update(old);
}

void CAnnaluxView::PaintIndicator(QPainter& painter)
{
    if (!m_indicatorRect.isValid())
        return;
    painter.save();
    painter.setClipping(false);
    painter.setFont(viewport()->font());
    painter.fillRect(m_indicatorRect, QColor(0, 0, 255));
    painter.setPen(Qt::white);
    painter.drawText(m_indicatorRect, Qt::AlignCenter, m_indicatorText);
    painter.restore();
}

// ---- keys and scrolling -----------------------------------------------------------

void CAnnaluxView::keyPressEvent(QKeyEvent* event)
{
    if (!m_doc) {
        QAbstractScrollArea::keyPressEvent(event);
        return;
    }
    const int64_t row = std::max(1, m_coord->RowHeight());
    const bool vertical = MaxScrollY() > 0;
    QScrollBar* h = horizontalScrollBar();
    const bool horizontal = h->maximum() > 0;
    const QFont eventFont =
        CLogFontQt::ToQFont(m_doc->GetFonts().GetShownFont(CFontManager::FS_EVENT));
    const int charWidth = std::max(1, QFontMetrics(eventFont).averageCharWidth());
    switch (event->key()) {
    case Qt::Key_Shift:
        m_shiftDown = true;
        break;
    case Qt::Key_PageUp:
        if (vertical)
            ScrollVerticallyTo(m_scrollY - CViewInteraction::kPageRows * row);
        break;
    case Qt::Key_PageDown:
        if (vertical)
            ScrollVerticallyTo(m_scrollY + CViewInteraction::kPageRows * row);
        break;
    case Qt::Key_Up:
        if (vertical)
            ScrollVerticallyTo(m_scrollY - row);
        break;
    case Qt::Key_Down:
        if (vertical)
            ScrollVerticallyTo(m_scrollY + row);
        break;
    case Qt::Key_Home:
        if (vertical || horizontal) {
            h->setValue(0);
            ScrollVerticallyTo(0);
        }
        break;
    case Qt::Key_End:
        if (vertical) {
            h->setValue(0);
            ScrollVerticallyTo(std::max<int64_t>(0, m_coord->MaxBottom()));
        }
        break;
    case Qt::Key_Left:
        if (horizontal)
            h->setValue(std::max(0, h->value() - charWidth));
        break;
    case Qt::Key_Right:
        if (horizontal)
            h->setValue(h->value() + charWidth);
        break;
    default:
        QAbstractScrollArea::keyPressEvent(event);
        return;
    }
    event->accept();
}

void CAnnaluxView::keyReleaseEvent(QKeyEvent* event)
{
    if (event->isAutoRepeat()) {
        QAbstractScrollArea::keyReleaseEvent(event);
        return;
    }
    m_shiftDown = false;
    if (event->key() != Qt::Key_Escape)
        viewport()->update();
    QAbstractScrollArea::keyReleaseEvent(event);
}

void CAnnaluxView::ScrollVerticallyTo(int64_t y)
{
    SetScrollY(std::max<int64_t>(0, y));
}

void CAnnaluxView::ScrollBlit(int64_t oldY)
{
    const int64_t dy = oldY - m_scrollY;
    if (dy == 0)
        return;
    HideToolTip();
    QWidget* port = viewport();
    if (m_indicatorRect.isValid() || std::llabs(dy) >= port->height() || !m_doc) {
        port->update();
        return;
    }
    // Only the uncovered strip is painted; period columns place their names
    // by the window's bottom, so they are repainted whole.
    port->scroll(0, static_cast<int>(dy));
    const CHeaderManager& columns = m_doc->GetColumns();
    const int x0 = horizontalScrollBar()->value();
    for (int i = 0; i < columns.GetCount(); ++i) {
        if (columns.GetKind(i) != CK_ERA)
            continue;
        const QRect column(columns.GetLeft(i) - x0, 0, columns.GetWidth(i), port->height());
        if (column.intersects(port->rect()))
            port->update(column);
    }
}

// ---- header clicks --------------------------------------------------------------

void CAnnaluxView::OnHeaderClicked(int logical)
{
    const bool backward = m_shiftDown || m_headerShift;
    StepColumn(logical, backward);
}

bool CAnnaluxView::StepColumn(int column, bool backward)
{
    if (!m_doc || MaxScrollY() <= 0 || column < 0 || column >= m_doc->GetColumns().GetCount())
        return false;
    const CHeaderManager& columns = m_doc->GetColumns();
    const int kind = columns.GetKind(column);
    const CTableBase* table = columns.GetTable(column);
    const int64_t current = m_scrollY;
    int64_t target = -1;
    const auto consider = [&](int64_t top) {
        if (backward ? top < current && (target < 0 || top > target)
                     : top > current && (target < 0 || top < target))
            target = top;
    };

    if (kind == CK_EVENT) {
        const int index = m_coord->Table().ColumnOfLibrary(static_cast<const CYearEvent*>(table));
        if (index < 0)
            return false;
        const CCoordColumn& entries = m_coord->Table().Column(index);
        if (backward) {
            size_t i = m_coord->Table().LowerTop(index, current);
            if (i > 0)
                target = entries.Top(i - 1);
        } else {
            size_t i = m_coord->Table().LowerTop(index, current + 1);
            if (i < entries.size())
                target = entries.Top(i);
        }
    } else if (kind == CK_ERA) {
        const auto* periods = static_cast<const CGengouEra*>(table);
        if (!periods)
            return false;
        const int32_t minYear = m_coord->MinYear(), maxYear = m_coord->MaxYear();
        for (const SGengouEraTable& row : periods->GetGengouEraTable()) {
            int32_t top = kNoYear;
            if (row.startYear >= minYear && row.startYear <= maxYear)
                top = m_coord->YearTop(row.startYear);
            else if (row.endYear >= minYear && row.endYear <= maxYear)
                top = m_coord->YearTop(row.endYear);
            if (top != kNoYear)
                consider(top);
        }
    } else {
        // Row by row from the top: the buckets this column shows something in.
        const int scale = std::max(1, m_doc->GetScaleYear());
        int32_t previousBucket = kNoYear;
        for (int32_t year = m_coord->MinYear(); year != kNoYear; year = m_coord->NextYear(year)) {
            const int32_t bucket = CDataCoord::BucketOf(year, scale);
            if (bucket == previousBucket)
                continue;
            previousBucket = bucket;
            const int64_t top = m_coord->YearTop(year);
            if (!backward && top > current && target >= 0)
                break;
            bool shows = true;
            if (kind == CK_GENGOU) {
                CGengouEra::Rows rows;
                shows = table && static_cast<const CGengouEra*>(table)->GetData(bucket, rows);
            } else if (kind == CK_BASEYEAR) {
                shows = table && static_cast<const CBaseYear*>(table)->IsYearRange(bucket);
            }
            if (shows)
                consider(top);
            if (backward && top >= current)
                break;
        }
    }
    if (target < 0)
        return false;
    SetScrollY(target);
    return true;
}
