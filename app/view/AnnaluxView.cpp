#include "AnnaluxView.h"

#include "DataCoord.h"
#include "EventData.h"
#include "GengouEra.h"
#include "EventText.h"
#include "GlyphCache.h"
#include "HostServices.h"
#include "HostText.h"
#include "LogFontQt.h"
#include "ShiftJis.h"
#include "TableBase.h"
#include "TextMeasurer.h"
#include "YearEvent.h"

#include <QApplication>
#include <QFontMetrics>
#include <QHeaderView>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QResizeEvent>
#include <QScrollBar>
#include <QStandardItemModel>
#include <QStyle>

#include <algorithm>
#include <climits>
#include <cstdlib>

namespace {

// Scroll bars hold an int; beyond this the bar's range is mapped onto the
// content.
constexpr int64_t kBarLimit = 1 << 30;

const char* const kOverflowMessage =
    "すべての項目を表示できません。\r\n以下のいずれかを試みてください\r\n"
    "・フォントを小さくする\r\n・スケール正確度を変更する\r\n"
    "・スケール年を１０年または１００年に変更する\r\n・表示範囲年を設定する";

} // namespace

CAnnaluxView::CAnnaluxView(CAnnaluxDoc* doc, QWidget* parent)
    : QAbstractScrollArea(parent), m_doc(doc), m_coord(std::make_unique<CDataCoord>()),
      m_textCache(std::make_unique<CTextCache>()),
      m_glyphCache(std::make_unique<CGlyphCache>())
{
    setFocusPolicy(Qt::StrongFocus);
    setFrameShape(QFrame::NoFrame);
    viewport()->setMouseTracking(true);
    viewport()->setAutoFillBackground(false);

    m_headerModel = new QStandardItemModel(0, 0, this);
    m_header = new QHeaderView(Qt::Horizontal, this);
    m_header->setModel(m_headerModel);
    m_header->setSectionsMovable(true);
    m_header->setStretchLastSection(false);
    m_header->setSectionResizeMode(QHeaderView::Interactive);
    m_header->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    m_header->setMinimumSectionSize(1);
    connect(m_header, &QHeaderView::sectionResized, this, &CAnnaluxView::OnSectionResized);
    connect(m_header, &QHeaderView::sectionMoved, this, &CAnnaluxView::OnSectionMoved);
    connect(verticalScrollBar(), &QScrollBar::valueChanged, this, &CAnnaluxView::OnVerticalBar);
    InitInteraction();

    if (m_doc)
        m_listenerId =
            m_doc->AddListener([this](CAnnaluxDoc::EViewNotice notice) { OnUpdate(notice); });
    RebuildHeader();
    Relayout();
}

CAnnaluxView::~CAnnaluxView()
{
    if (m_doc && m_listenerId)
        m_doc->RemoveListener(m_listenerId);
}

void CAnnaluxView::OnUpdate(CAnnaluxDoc::EViewNotice notice)
{
    switch (notice) {
    case CAnnaluxDoc::VN_UPDATE:
    case CAnnaluxDoc::VN_RELAYOUT:
        RebuildHeader();
        Relayout();
        viewport()->update();
        break;
    case CAnnaluxDoc::VN_EVENTS_EDITED:
        RebuildHeader();
        Relayout(&m_doc->GetEventEdits());
        viewport()->update();
        break;
    case CAnnaluxDoc::VN_REPAINT:
        RebuildHeader();
        viewport()->update();
        break;
    case CAnnaluxDoc::VN_HEADER_FONT:
        RebuildHeader();
        break;
    case CAnnaluxDoc::VN_RESET_SCROLL:
        horizontalScrollBar()->setValue(0);
        SetScrollY(0);
        break;
    default:
        break;
    }
}

void CAnnaluxView::Relayout(const std::vector<SEventEdit>* edits)
{
    // A relayout moves every year to another pixel: what the user looks at
    // is the year at the top (and how far into it the view was scrolled), so
    // that is what stays, not the pixel offset.
    const int32_t topYear = m_scrollY > 0 ? TopYear() : kNoYear;
    int64_t intoYear = 0;
    const int oldRowHeight = std::max(1, m_coord->RowHeight());
    if (topYear != kNoYear) {
        const int32_t oldTop = m_coord->YearTop(topYear);
        intoYear = oldTop != kNoYear ? std::max<int64_t>(0, m_scrollY - oldTop) : 0;
    }

    QApplication::setOverrideCursor(Qt::WaitCursor);
    m_linkHits.Clear();
    m_supplementHits.Clear();
    int64_t height = 0;
    bool overflow = false;
    if (m_doc) {
        const QFont font =
            CLogFontQt::ToQFont(m_doc->GetFonts().GetShownFont(CFontManager::FS_EVENT));
        auto measurer = std::make_unique<CFontMeasurer>(font);
        m_coord->SetMeasurer(measurer.get());
        m_measurer = std::move(measurer);
        const SLayoutSettings settings = SLayoutSettings::FromDocument(*m_doc);
        if (!edits || !m_coord->Update(settings, *edits, height))
            height = m_coord->Layout(settings, overflow);
    } else {
        m_coord->Init(SLayoutSettings());
    }
    QApplication::restoreOverrideCursor();
    if (overflow)
        CHostServices::Get().MessageBox(kOverflowMessage, CHostServices::IconInformation);
    m_rightMargin = m_doc ? RightMarginFor(*m_doc, *m_coord) : kRightMargin;
    UpdateScrollSizes(height);
    if (topYear != kNoYear)
        RestoreTopYear(topYear, intoYear, oldRowHeight);
    viewport()->update();
}

int CAnnaluxView::RightMarginFor(const CAnnaluxDoc& doc, const CDataCoord& coord)
{
    // Labels stand 10 pixels right of the last column; the widest is that
    // of one of the two ends of the table (the most digits, or a sign).
    const int32_t first = coord.MinYear();
    const int32_t last = coord.MaxYear();
    if (first == kNoneYear || first == kNoYear || last == kNoneYear || last == kNoYear)
        return kRightMargin;
    const QFontMetrics metrics(
        CLogFontQt::ToQFont(doc.GetFonts().GetShownFont(CFontManager::FS_SUPPORTYEAR)));
    const int widest = std::max(metrics.horizontalAdvance(QString::number(first)),
                                metrics.horizontalAdvance(QString::number(last)));
    return std::max(kRightMargin, 10 + widest + 8);
}

void CAnnaluxView::RestoreTopYear(int32_t year, int64_t intoYear, int oldRowHeight)
{
    // The first shown year from year on (a filter may have hidden it), else
    // the nearest one; the offset into it follows the new row height.
    int32_t found = kNoYear;
    int32_t top = m_coord->YearTop(year, &found);
    if (top == kNoYear) {
        if (!m_coord->NearestYearTop(year, top))
            return;
        found = kNoYear;
    }
    const int64_t into =
        found == year ? intoYear * std::max(1, m_coord->RowHeight()) / oldRowHeight : 0;
    SetScrollY(static_cast<int64_t>(top) + into);
}

void CAnnaluxView::RebuildHeader()
{
    if (!m_doc)
        return;
    m_rebuildingHeader = true;
    const CHeaderManager& columns = m_doc->GetColumns();
    const int n = columns.GetCount();
    m_header->setFont(CLogFontQt::ToQFont(m_doc->GetFonts().GetShownFont(CFontManager::FS_HEADER)));
    // Display order is the column order: undo any visual move first.
    for (int visual = 0; visual < m_header->count(); ++visual) {
        const int logical = m_header->logicalIndex(visual);
        if (logical != visual)
            m_header->moveSection(m_header->visualIndex(visual), visual);
    }
    m_headerModel->setColumnCount(n);
    for (int i = 0; i < n; ++i) {
        const CTableBase* table = columns.GetTable(i);
        QString text;
        if (!table) {
            text = QString::fromUtf8("西暦");
        } else {
            if (table->GetModified())
                text = QStringLiteral("*");
            text += CHostText::FromSjis(table->GetTableName());
        }
        m_headerModel->setHeaderData(i, Qt::Horizontal, text, Qt::ToolTipRole);
        m_header->resizeSection(i, std::max(0, columns.GetWidth(i)));
        ElideHeaderText(i);
    }
    const int height = std::max(m_header->sizeHint().height(), 1);
    if (height != m_headerHeight) {
        m_headerHeight = height;
        setViewportMargins(0, m_headerHeight, 0, 0);
    }
    m_rebuildingHeader = false;
    PositionHeader();
}

void CAnnaluxView::ElideHeaderText(int section)
{
    // A title wider than its column ends in "…" rather than in half a glyph;
    // the whole title stays in the tool tip.
    const QString full = m_headerModel->headerData(section, Qt::Horizontal, Qt::ToolTipRole).toString();
    const int margin = 2 * m_header->style()->pixelMetric(QStyle::PM_HeaderMargin, nullptr, m_header);
    const int room = std::max(0, m_header->sectionSize(section) - margin - 2);
    const QString shown = QFontMetrics(m_header->font()).elidedText(full, Qt::ElideRight, room);
    m_headerModel->setHeaderData(section, Qt::Horizontal, shown, Qt::DisplayRole);
}

void CAnnaluxView::PositionHeader()
{
    const QRect vg = viewport()->geometry();
    m_header->setGeometry(vg.left(), vg.top() - m_headerHeight, vg.width(), m_headerHeight);
    m_header->setOffset(horizontalScrollBar()->value());
}

void CAnnaluxView::OnSectionResized(int logical, int /*oldSize*/, int newSize)
{
    if (m_rebuildingHeader || !m_doc)
        return;
    const CHeaderManager::SResizeResult result =
        m_doc->GetColumns().Resize(logical, newSize, m_doc->GetRowInfo());
    if (!result.done)
        return;
    m_doc->SetModifiedFlag();
    ElideHeaderText(logical);
    if (result.sameWidth) {
        RebuildHeader();
        Relayout();
    } else if (m_doc->GetWrapLines()) {
        // Wrapped events take rows by the column's width.
        Relayout();
    } else {
        UpdateScrollSizes(m_dataHeight);
    }
    viewport()->update();
}

void CAnnaluxView::OnSectionMoved(int /*logical*/, int oldVisual, int newVisual)
{
    if (m_rebuildingHeader || !m_doc)
        return;
    if (m_doc->GetColumns().Move(oldVisual, newVisual)) {
        m_doc->GetColumns().RecomputeLefts();
        m_doc->SetModifiedFlag();
    }
    RebuildHeader();
    m_linkHits.Clear();
    m_supplementHits.Clear();
    viewport()->update();
}

int64_t CAnnaluxView::MaxScrollY() const
{
    return std::max<int64_t>(0, m_dataHeight - viewport()->height());
}

void CAnnaluxView::UpdateScrollSizes(int64_t dataHeight)
{
    m_dataHeight = std::max<int64_t>(0, dataHeight);
    const int total = m_doc ? m_doc->GetColumns().GetTotalWidth() : 0;
    // Against the viewport, not the widget: the vertical bar's width would
    // otherwise call up a horizontal bar when everything fits.
    m_contentWidth =
        std::max<int64_t>(static_cast<int64_t>(total) + RightMargin(), viewport()->width());
    m_contentHeight = std::max<int64_t>(m_dataHeight + m_headerHeight, height());

    QScrollBar* h = horizontalScrollBar();
    h->setRange(0, static_cast<int>(std::max<int64_t>(0, m_contentWidth - viewport()->width())));
    h->setPageStep(std::max(1, viewport()->width()));
    h->setSingleStep(std::max(1, m_coord->RowHeight()));
    SyncVerticalBar();
    PositionHeader();
}

void CAnnaluxView::SyncVerticalBar()
{
    const int64_t maxScroll = MaxScrollY();
    m_scrollY = std::clamp<int64_t>(m_scrollY, 0, maxScroll);
    QScrollBar* v = verticalScrollBar();
    m_settingBar = true;
    if (maxScroll <= kBarLimit) {
        v->setRange(0, static_cast<int>(maxScroll));
        v->setPageStep(std::max(1, viewport()->height()));
        v->setSingleStep(std::max(1, m_coord->RowHeight()));
        v->setValue(static_cast<int>(m_scrollY));
    } else {
        const double ratio = static_cast<double>(kBarLimit) / static_cast<double>(maxScroll);
        v->setRange(0, static_cast<int>(kBarLimit));
        v->setPageStep(std::max(1, static_cast<int>(viewport()->height() * ratio)));
        v->setSingleStep(1);
        v->setValue(static_cast<int>(static_cast<double>(m_scrollY) * ratio));
    }
    m_settingBar = false;
}

void CAnnaluxView::OnVerticalBar(int value)
{
    if (m_settingBar)
        return;
    const int64_t maxScroll = MaxScrollY();
    int64_t y = value;
    if (maxScroll > kBarLimit) {
        y = value >= kBarLimit ? maxScroll
                               : static_cast<int64_t>(static_cast<double>(value) *
                                                      static_cast<double>(maxScroll) / kBarLimit);
        // A line step of the mapped bar is too coarse: keep whole rows.
        if (y != maxScroll && m_coord->RowHeight() > 0)
            y -= y % m_coord->RowHeight();
    }
    const int64_t oldY = m_scrollY;
    m_scrollY = std::clamp<int64_t>(y, 0, maxScroll);
    ScrollBlit(oldY);
    EmitTopYear();
}

int CAnnaluxView::ScrollX() const
{
    return horizontalScrollBar()->value();
}

void CAnnaluxView::SetScrollY(int64_t y)
{
    const int64_t oldY = m_scrollY;
    m_scrollY = std::clamp<int64_t>(y, 0, MaxScrollY());
    SyncVerticalBar();
    ScrollBlit(oldY);
    EmitTopYear();
}

void CAnnaluxView::EmitTopYear()
{
    const int32_t year = TopYear();
    if (year != m_lastTopYear) {
        m_lastTopYear = year;
        if (year != kNoYear)
            emit topYearChanged(year);
    }
}

void CAnnaluxView::ScrollToYear(int32_t year)
{
    int32_t found = kNoYear;
    int32_t top = m_coord->YearTop(year, &found);
    if (found == kNoYear && !m_coord->NearestYearTop(year, top))
        return;
    SetScrollY(top);
}

int32_t CAnnaluxView::TopYear() const
{
    // The hit test counts an entry's bottom edge as part of it; the year at the
    // top of the view is the entry whose rows actually cover the first pixel.
    return const_cast<CDataCoord&>(*m_coord).YearAt(m_scrollY + 1, nullptr, nullptr, false);
}

void CAnnaluxView::ScrollEntryIntoView(int64_t dataTop)
{
    const int row = std::max(1, m_coord->RowHeight());
    if (dataTop < m_scrollY || dataTop + row > m_scrollY + viewport()->height())
        SetScrollY(dataTop - viewport()->height() / 3);
}

void CAnnaluxView::SetSearchText(const std::string& sjis, bool inSupplement, bool matchCase)
{
    m_searchText = sjis;
    m_searchInSupplement = inSupplement;
    m_searchMatchCase = matchCase;
    if (sjis.empty())
        m_coord->ClearSearchHit();
    viewport()->update();
}

bool CAnnaluxView::SearchNext()
{
    int32_t top = 0;
    int column = 0;
    const bool found =
        m_coord->SearchForward(m_searchText, m_searchInSupplement, m_searchMatchCase, top, column);
    if (found)
        ScrollEntryIntoView(top);
    viewport()->update();
    return found;
}

bool CAnnaluxView::SearchPrevious()
{
    int32_t top = 0;
    int column = 0;
    const bool found =
        m_coord->SearchBackward(m_searchText, m_searchInSupplement, m_searchMatchCase, top, column);
    if (found)
        ScrollEntryIntoView(top);
    viewport()->update();
    return found;
}

bool CAnnaluxView::Search(const std::string& sjis, bool inSupplement, bool matchCase, bool upward)
{
    // Kept lower-cased when case does not count, as the highlight compares.
    SetSearchText(matchCase ? sjis : CShiftJis::ToLowerAscii(sjis), inSupplement, matchCase);
    int32_t top = 0;
    int column = 0;
    const bool found =
        upward ? m_coord->SearchBackward(m_searchText, inSupplement, matchCase, top, column)
               : m_coord->SearchForward(m_searchText, inSupplement, matchCase, top, column);
    if (!found) {
        viewport()->update();
        return false;
    }
    // The hit's column: kept where it is when wholly visible, else brought
    // to the left edge.
    const CYearEvent* library = m_coord->Table().Library(column);
    const CHeaderManager& columns = m_doc->GetColumns();
    for (int i = 0; i < columns.GetCount(); ++i) {
        if (columns.GetTable(i) != library)
            continue;
        const int left = columns.GetLeft(i);
        const int right = left + columns.GetWidth(i);
        const int x = horizontalScrollBar()->value();
        if (left < x || right > x + viewport()->width())
            horizontalScrollBar()->setValue(left);
        break;
    }
    const CoordEntry* hit = m_coord->SearchHit();
    // The year is labelled at its first row only: a hit further down in its
    // year is brought in with that row, so that it does not stand yearless
    // at the top, as long as both fit on the screen.
    int64_t scrollTo = top;
    if (hit) {
        const int32_t yearTop = m_coord->YearTop(hit->Year());
        if (yearTop != kNoYear && yearTop < top &&
            top + m_coord->RowHeight() - yearTop <= viewport()->height())
            scrollTo = yearTop;
    }
    SetScrollY(scrollTo);
    emit searchSupplementChanged(hit && (hit->searchResult & EDS_SUPPLEMENT) ? hit->event->supplement.str()
                                                                             : std::string());
    viewport()->update();
    return true;
}

void CAnnaluxView::ClearSearch()
{
    m_searchText.clear();
    m_coord->ClearSearchHit();
    viewport()->update();
}

void CAnnaluxView::ClearSearchHit()
{
    m_coord->ClearSearchHit();
    viewport()->update();
}

bool CAnnaluxView::GoToYear(const std::string& sjis)
{
    const int32_t year = CDataCoord::YearFromText(sjis, m_doc);
    // There is no year 0 to go to.
    if (year == kNoYear || year == 0 || m_coord->Table().EntryCount() == 0)
        return false;
    // Past the last entry of every column nothing lies near the year.
    if (year > m_coord->MaxYear())
        return false;
    return JumpToYear(year);
}

bool CAnnaluxView::GoToTableYear(int32_t year)
{
    if (year == kNoYear || m_coord->Table().EntryCount() == 0 || year < m_coord->MinYear() ||
        year > m_coord->MaxYear())
        return false;
    return JumpToYear(year);
}

bool CAnnaluxView::JumpToYear(int32_t year)
{
    int32_t top = 0;
    if (!m_coord->NearestYearTop(year, top))
        return false;
    horizontalScrollBar()->setValue(0);
    SetScrollY(top);
    viewport()->repaint();
    return true;
}

bool CAnnaluxView::GoToPeriod(const std::string& sjis)
{
    if (!m_doc || m_coord->Table().EntryCount() == 0)
        return false;
    // '<' and '>' are never trail bytes, so a byte scan finds the markup.
    auto withoutMarkup = [](const std::string& name) {
        std::string plain;
        for (size_t i = 0; i < name.size(); ++i) {
            if (name[i] == '<') {
                const size_t close = name.find('>', i);
                if (close == std::string::npos) {
                    plain.append(name, i, std::string::npos);
                    break;
                }
                i = close;
                continue;
            }
            plain += name[i];
        }
        return plain;
    };
    const int32_t first = m_coord->MinYear();
    const int32_t last = m_coord->MaxYear();
    for (int t = 0; t < m_doc->GetPeriodTableCount(); ++t) {
        const CGengouEra* periods = m_doc->GetPeriodTable(t);
        for (const SGengouEraTable& row : periods->GetGengouEraTable()) {
            if (withoutMarkup(row.name) != sjis)
                continue;
            if (row.endYear < first || row.startYear > last)
                continue;
            const int32_t top = row.startYear >= first ? m_coord->YearTop(row.startYear) : kNoYear;
            const int32_t bottom = row.endYear <= last ? m_coord->YearTop(row.endYear) : kNoYear;
            if (top == kNoYear && bottom == kNoYear)
                continue;
            horizontalScrollBar()->setValue(0);
            SetScrollY(top != kNoYear ? top : bottom);
            viewport()->repaint();
            return true;
        }
    }
    return false;
}

QImage CAnnaluxView::RenderImage()
{
    PositionHeader();
    return grab().toImage();
}

void CAnnaluxView::PrepareHidden(const QSize& size)
{
    // What show() does before the first paint, in the same order: polish,
    // then the resize events that lay out the viewport, bars and header.
    ensurePolished();
    resize(size);
    const std::function<void(QWidget*)> sendResize = [&sendResize](QWidget* widget) {
        QResizeEvent event(widget->size(), QSize());
        QCoreApplication::sendEvent(widget, &event);
        for (QObject* child : widget->children()) {
            auto* childWidget = qobject_cast<QWidget*>(child);
            if (childWidget && !childWidget->isWindow() &&
                childWidget->testAttribute(Qt::WA_PendingResizeEvent))
                sendResize(childWidget);
        }
    };
    sendResize(this);
}

bool CAnnaluxView::RenderBands(int bandRows, const std::function<bool(const QImage&)>& sink)
{
    PositionHeader();
    const int w = width();
    const int h = height();
    bandRows = std::max(1, bandRows);
    // The table leaves out what lies wholly outside the rows it is asked to
    // paint, but a glyph's anti-aliased edge reaches a pixel or two past its
    // row. Each band is therefore painted with rows to spare above and below
    // and only its own rows are kept: every kept pixel then sees everything
    // that one paint of the whole view draws there, in the same order.
    const int spare = std::max(16, 2 * m_coord->RowHeight());
    // The format and resolution grab() paints into.
    QImage band(w, std::min(bandRows + 2 * spare, h), QImage::Format_RGB32);
    for (int top = 0; top < h; top += bandRows) {
        const int rows = std::min(bandRows, h - top);
        const int paintTop = std::max(0, top - spare);
        const int paintBottom = std::min(h, top + rows + spare);
        band.fill(0);
        // Whole-pixel offsets: the raster engine puts every edge on the same
        // pixels as in one picture of the whole view.
        render(&band, QPoint(0, 0), QRegion(0, paintTop, w, paintBottom - paintTop),
               DrawWindowBackground | DrawChildren | IgnoreMask);
        const QImage kept(band.constScanLine(top - paintTop), w, rows, band.bytesPerLine(),
                          band.format());
        if (!sink(kept))
            return false;
    }
    return true;
}

void CAnnaluxView::paintEvent(QPaintEvent* event)
{
    QPainter painter(viewport());
    if (!m_doc) {
        painter.fillRect(event->rect(), Qt::white);
        return;
    }
    SPaintRequest request;
    request.doc = m_doc;
    request.coord = m_coord.get();
    request.texts = m_textCache.get();
    request.glyphs = m_glyphCache.get();
    request.dataTop = m_scrollY;
    request.deviceTop = 0;
    request.xOffset = horizontalScrollBar()->value();
    request.clip = event->rect();
    request.rightMargin = RightMargin();
    request.searchText = m_searchText;
    request.searchMatchCase = m_searchMatchCase;
    request.links = &m_linkHits;
    request.supplementMarks = &m_supplementHits;
    request.hitOriginY = m_headerHeight;
    request.visibleBottom = m_scrollY + viewport()->height();
    CTablePainter::Paint(painter, request);
    PaintIndicator(painter);
}

void CAnnaluxView::resizeEvent(QResizeEvent* event)
{
    QAbstractScrollArea::resizeEvent(event);
    UpdateScrollSizes(m_dataHeight);
}

void CAnnaluxView::scrollContentsBy(int dx, int /*dy*/)
{
    // Vertical moves are blitted by ScrollBlit (the bar may be mapped onto
    // the content, so its steps are not pixels); horizontal ones here, with
    // the header moving along.
    m_header->setOffset(horizontalScrollBar()->value());
    if (dx == 0)
        return;
    HideToolTip();
    if (m_indicatorRect.isValid() || std::abs(dx) >= viewport()->width())
        viewport()->update();
    else
        viewport()->scroll(dx, 0);
}

bool CAnnaluxView::viewportEvent(QEvent* event)
{
    return QAbstractScrollArea::viewportEvent(event);
}
