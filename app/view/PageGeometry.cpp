#include "PageGeometry.h"

#include "PageLayout.h"

#include <QGuiApplication>
#include <QPaintDevice>
#include <QScreen>

#include <algorithm>

namespace {

int Positive(int v)
{
    return std::max(1, v);
}

int Narrow(int64_t v)
{
    return static_cast<int>(std::clamp<int64_t>(v, 1, 1 << 30));
}

} // namespace

SPrinterMetrics SPrinterMetrics::Of(const QPaintDevice& device)
{
    SPrinterMetrics m;
    m.widthPixels = device.width();
    m.heightPixels = device.height();
    m.widthMm = device.widthMM();
    m.heightMm = device.heightMM();
    m.dpiX = device.logicalDpiX();
    m.dpiY = device.logicalDpiY();
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        m.screenDpiX = qRound(screen->logicalDotsPerInchX());
        m.screenDpiY = qRound(screen->logicalDotsPerInchY());
    }
    return m;
}

CPageGeometry::CPageGeometry(const SPrinterMetrics& m, const SPageLayout& layout, int tableWidth,
                             int yearColumnWidth)
{
    m_fit = layout.fitToRight;
    const int width = Positive(m.widthPixels), height = Positive(m.heightPixels);
    m_ppmX = width / Positive(m.widthMm);
    m_ppmY = height / Positive(m.heightMm);
    m_left = std::max(0, layout.marginLeft) * m_ppmX;
    m_right = std::max(0, layout.marginRight) * m_ppmX;
    m_top = std::max(0, layout.marginTop) * m_ppmY;
    m_bottom = std::max(0, layout.marginBottom) * m_ppmY;
    // Margins that leave no paper still leave one pixel to map onto.
    m_printableWidth = Positive(width - m_left - m_right);
    m_printableHeight = Positive(height - m_top - m_bottom);
    m_sx = Positive(m.screenDpiX);
    m_sy = Positive(m.screenDpiY);
    m_px = Positive(m.dpiX);
    m_py = Positive(m.dpiY);
    m_printedWidth = Positive(tableWidth + std::max(0, yearColumnWidth));

    if (m_fit) {
        m_stripWidth = m_printedWidth;
        m_pagesAcross = 1;
        m_usableHeight = Narrow(static_cast<int64_t>(m_printableHeight) * m_printedWidth /
                                m_printableWidth);
    } else {
        // A strip is what fits between the margins, so that strip by strip
        // the whole table is printed and nothing runs into the right margin.
        m_stripWidth = Narrow(static_cast<int64_t>(m_sx) * m_printableWidth / m_px);
        m_pagesAcross = Narrow((static_cast<int64_t>(m_printedWidth) + m_stripWidth - 1) /
                               m_stripWidth);
        m_usableHeight = Narrow(static_cast<int64_t>(height) * m_sy / m_py -
                                static_cast<int64_t>(m_top + m_bottom) * m_sy / m_py);
    }
    SetBands(0, 0, 0, 1, 0);
}

void CPageGeometry::SetBands(int headerBand, int footerBand, int columnHeaderBand, int rowHeight,
                             int64_t layoutHeight)
{
    m_headerBand = std::max(0, headerBand);
    m_footerBand = std::max(0, footerBand);
    m_columnHeaderBand = std::max(0, columnHeaderBand);
    const int row = Positive(rowHeight);
    const int64_t free = static_cast<int64_t>(m_usableHeight) - m_headerBand - m_footerBand -
                         m_columnHeaderBand;
    // Bands taller than the page still leave one row per page, so that the
    // table is printed (on more paper) rather than never ending.
    m_bodyHeight = Narrow(std::max<int64_t>(1, free / row) * row);
    const int64_t bands = std::max<int64_t>(1, (std::max<int64_t>(0, layoutHeight) +
                                                 m_bodyHeight - 1) / m_bodyHeight);
    m_pageCount = bands * m_pagesAcross;
}

QRect CPageGeometry::Window(int64_t page) const
{
    if (m_fit) {
        return QRect(0, 0, m_printedWidth,
                     Narrow(static_cast<int64_t>(m_printedWidth) * m_printableHeight /
                            m_printableWidth));
    }
    return QRect(m_stripWidth * Strip(page), 0, m_sx, m_sy);
}

QRect CPageGeometry::Viewport() const
{
    if (m_fit)
        return QRect(m_left, m_top, m_printableWidth, m_printableHeight);
    return QRect(m_left, m_top, m_px, m_py);
}

QRect CPageGeometry::PageArea(int64_t page) const
{
    const int left = m_fit ? 0 : m_stripWidth * Strip(page);
    const int width = std::max(1, std::min(m_stripWidth, m_printedWidth - left));
    return QRect(left, 0, width, m_usableHeight);
}
