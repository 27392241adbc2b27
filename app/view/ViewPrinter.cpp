#include "ViewPrinter.h"
#include "HostText.h"

#include "AnnaluxDoc.h"
#include "AnnaluxView.h"
#include "DataCoord.h"
#include "LogFontQt.h"
#include "PrintStateFilter.h"
#include "ShiftJis.h"
#include "TableBase.h"
#include "TablePainter.h"

#include <QFontMetrics>
#include <QPagedPaintDevice>
#include <QPaintEngine>
#include <QPainter>

#include <algorithm>
#include <climits>

#ifdef __GLIBC__
#include <malloc.h>
#endif

const char* const CViewPrinter::kWesternTitle = "西暦";

namespace {

// Converted texts kept between pages. A page's event texts are seldom on
// another (only the strips of one band share them), and a small table is
// looked up from the processor's caches: beyond this many the table starts
// again.
constexpr size_t kTextCacheLimit = 2000;

// A print engine compresses each page through buffers of megabytes that it
// allocates and frees again for the next page. With glibc's defaults the
// freed top of the heap goes back to the system at every page, and the next
// page has the kernel map and clear it again: a fifth of a long job's time.
// For the job the heap keeps what it has; afterwards allocations of 128 KiB
// and more are mapped on their own again, and what the job left free is
// given back.
class CHeapKeeper
{
public:
    CHeapKeeper()
    {
#ifdef __GLIBC__
        mallopt(M_MMAP_THRESHOLD, 32 * 1024 * 1024);
        mallopt(M_TRIM_THRESHOLD, 64 * 1024 * 1024);
#endif
    }
    ~CHeapKeeper()
    {
#ifdef __GLIBC__
        mallopt(M_MMAP_THRESHOLD, 128 * 1024);
        mallopt(M_TRIM_THRESHOLD, 128 * 1024);
        malloc_trim(0);
#endif
    }
    CHeapKeeper(const CHeapKeeper&) = delete;
    CHeapKeeper& operator=(const CHeapKeeper&) = delete;
};

} // namespace

CViewPrinter::CViewPrinter(const CAnnaluxDoc& doc, CDataCoord& coord, int headerHeight)
    : m_doc(doc), m_coord(coord), m_headerHeight(headerHeight), m_layout(doc.GetPageLayout())
{
    m_glyphs.SetPrintMode(true);
}

CViewPrinter::CViewPrinter(CAnnaluxView& view)
    : CViewPrinter(*view.GetDocument(), view.GetDataCoord(), view.HeaderHeight())
{}

CViewPrinter::~CViewPrinter() = default;

int64_t CViewPrinter::Begin(const SPrinterMetrics& metrics)
{
    if (m_now == 0)
        m_now = std::time(nullptr);
    const int yearColumn = m_layout.rightEdgeYears ? CAnnaluxView::kRightMargin : 0;
    m_geometry = std::make_unique<CPageGeometry>(metrics, m_layout,
                                                 m_doc.GetColumns().GetTotalWidth(), yearColumn);
    const QFontMetrics header(CLogFontQt::ToQFont(m_doc.GetHeaderFont()));
    const QFontMetrics footer(CLogFontQt::ToQFont(m_doc.GetFooterFont()));
    const int headerBand = m_layout.HeaderUsed() ? 2 * header.height() : 0;
    // The footer's own font decides its band: a footer font larger than the
    // header's must not run off the paper.
    const int footerBand = m_layout.FooterUsed() ? 2 * footer.height() : 0;
    const int rowHeight = std::max(1, m_coord.RowHeight());
    m_geometry->SetBands(headerBand, footerBand, m_headerHeight + rowHeight, rowHeight,
                         std::max<int64_t>(0, m_coord.MaxBottom()));
    m_filtered = CPrintStateFilter::CanFilter(CLogFontQt::ToQFont(m_doc.GetHeaderFont())) &&
                 CPrintStateFilter::CanFilter(CLogFontQt::ToQFont(m_doc.GetFooterFont()));
    for (int i = 0; i < CFontManager::kSlotCount; ++i)
        m_filtered = m_filtered && CPrintStateFilter::CanFilter(CLogFontQt::ToQFont(
                                       m_doc.GetFonts().GetShownFont(i)));
    return m_geometry->PageCount();
}

QString CViewPrinter::SlotText(int slot, int64_t page) const
{
    if (slot < 0 || slot >= SPageLayout::kSlotCount)
        return QString();
    const int64_t number = m_geometry ? m_geometry->PageNumber(page) : page;
    return CHostText::FromUtf8(SPageLayout::ItemText(m_layout.items[slot], m_doc.GetTitle(),
                                                        static_cast<int>(number), m_now));
}

void CViewPrinter::DrawSlots(QPainter& painter, int first, int y, int64_t page,
                             const QRect& area) const
{
    const QFontMetrics metrics(painter.font());
    for (int i = 0; i < 3; ++i) {
        const QString text = SlotText(first + i, page);
        if (text.isEmpty())
            continue;
        const int width = metrics.horizontalAdvance(text);
        int x = area.left();
        if (i == 1)
            x = area.left() + area.width() / 2 - width / 2;
        else if (i == 2)
            x = area.left() + area.width() - width;
        painter.drawText(x, y + metrics.ascent(), text);
    }
}

void CViewPrinter::DrawColumnTitles(QPainter& painter) const
{
    const CHeaderManager& columns = m_doc.GetColumns();
    const CFontManager& fonts = m_doc.GetFonts();
    const int top = m_geometry->HeaderBand();
    const int band = m_geometry->ColumnHeaderBand();
    const int bottom = top + band - 1;
    const QFont font = CLogFontQt::ToQFont(fonts.GetShownFont(CFontManager::FS_EVENT));
    const QFontMetrics metrics(font);
    painter.setFont(font);
    painter.setPen(CLogFontQt::ToQColor(fonts.GetColor(CFontManager::FS_EVENT)));
    const int baseline = top + (band - metrics.height()) / 2 + metrics.ascent();
    for (int i = 0; i < columns.GetCount(); ++i) {
        const CTableBase* table = columns.GetTable(i);
        const QString title = table ? CHostText::FromSjis(table->GetTableName())
                                    : QString::fromUtf8(kWesternTitle);
        painter.save();
        painter.setClipRect(QRect(columns.GetLeft(i), top, columns.GetWidth(i), band),
                            Qt::IntersectClip);
        painter.drawText(columns.GetLeft(i) + 5, baseline, title);
        painter.restore();
    }
    painter.setPen(QPen(Qt::black, 0));
    painter.drawLine(0, top, 0, bottom);
    for (int i = 0; i < columns.GetCount(); ++i) {
        const int x = columns.GetRight(i) - 1;
        painter.drawLine(x, top, x, bottom);
    }
    const int total = columns.GetTotalWidth();
    painter.drawLine(0, top, total, top);
    painter.drawLine(0, bottom, total, bottom);
}

void CViewPrinter::PrintPage(QPainter& painter, int64_t page)
{
    if (!m_geometry)
        return;
    // A PDF writer takes glyph runs as text; a preview's recording does not.
    m_pdf = painter.paintEngine() && painter.paintEngine()->type() == QPaintEngine::Pdf;
    if (!m_filtered) {
        DrawPage(painter, page);
        return;
    }
    // Through the filter a page's state reaches the printer only where a
    // drawing needs it; the painter is left as it was found.
    painter.save();
    {
        CPrintStateFilter filter(painter);
        QPainter filtered(&filter);
        DrawPage(filtered, page);
    }
    painter.restore();
}

void CViewPrinter::DrawPage(QPainter& painter, int64_t page)
{
    const CPageGeometry& g = *m_geometry;
    painter.save();
    painter.setWindow(g.Window(page));
    painter.setViewport(g.Viewport());
    const QRect area = g.PageArea(page);
    painter.setClipRect(area);
    painter.setBackgroundMode(Qt::TransparentMode);

    // Header.
    painter.setFont(CLogFontQt::ToQFont(m_doc.GetHeaderFont()));
    painter.setPen(CLogFontQt::ToQColor(m_doc.GetHeaderColor()));
    if (m_layout.HeaderUsed())
        DrawSlots(painter, 0, 0, page, area);
    else
        painter.drawText(0, QFontMetrics(painter.font()).ascent(), QStringLiteral(" "));

    // Body: the page's band of the layout below the header and the titles.
    const int64_t band = g.Band(page);
    SPaintRequest request;
    request.doc = &m_doc;
    request.coord = &m_coord;
    request.texts = &m_texts;
    request.glyphs = m_pdf ? &m_glyphs : nullptr;
    request.dataTop = band * g.BodyHeight();
    request.deviceTop = g.HeaderBand() + g.ColumnHeaderBand();
    request.xOffset = 0;
    request.clip = QRect(area.left(), request.deviceTop, area.width(), g.BodyHeight());
    request.rightMargin = m_layout.rightEdgeYears ? CAnnaluxView::kRightMargin : 0;
    request.printer = true;
    request.pageBottom = request.dataTop + g.BodyHeight();
    request.printSupplementMarks = m_layout.supplementMarks;
    request.printLinks = m_layout.linkMarks;
    request.printRightLabels = m_layout.rightEdgeYears;
    request.visibleBottom = request.pageBottom;
    const int64_t bottom = CTablePainter::Paint(painter, request);
    if (m_texts.Size() > kTextCacheLimit)
        m_texts.Clear();

    DrawColumnTitles(painter);

    // Footer under the last row the page shows.
    if (m_layout.FooterUsed()) {
        const int64_t dataBottom = bottom == INT64_MIN ? request.dataTop : bottom;
        const int y = static_cast<int>(request.deviceTop + (dataBottom - request.dataTop)) +
                      kFooterGap;
        painter.setFont(CLogFontQt::ToQFont(m_doc.GetFooterFont()));
        painter.setPen(CLogFontQt::ToQColor(m_doc.GetFooterColor()));
        DrawSlots(painter, 3, y, page, area);
    }
    painter.restore();
}

bool CViewPrinter::PrintAll(QPagedPaintDevice& device, int64_t from, int64_t to)
{
    const CHeapKeeper heap;
    const int64_t count = Begin(SPrinterMetrics::Of(device));
    const int64_t first = std::max<int64_t>(1, from);
    const int64_t last = to <= 0 ? count : std::min(to, count);
    QPainter painter;
    if (!painter.begin(&device))
        return false;
    for (int64_t page = first; page <= last; ++page) {
        if (page != first && !device.newPage()) {
            painter.end();
            return false;
        }
        PrintPage(painter, page);
    }
    return painter.end();
}
