#pragma once

#include <QRect>

#include <cstdint>

class QPaintDevice;
struct SPageLayout;

// What printing needs to know of a printer (or PDF) page and of the screen.
struct SPrinterMetrics
{
    int widthPixels = 0; // the printable area, device pixels
    int heightPixels = 0;
    int widthMm = 0; // the printable area, millimetres
    int heightMm = 0;
    int dpiX = 0; // device pixels per inch
    int dpiY = 0;
    int screenDpiX = 96; // the screen's logical pixels per inch
    int screenDpiY = 96;

    // The device's metrics with the primary screen's (96 without a screen).
    static SPrinterMetrics Of(const QPaintDevice& device);
};

// The geometry of the printed pages, in numbers. The chronology is printed
// in view units (screen pixels) mapped onto the printable area:
//  - fit to right edge: the table with its year labels spans the width
//    between the margins, one page across;
//  - fixed size: a screen pixel keeps its physical size; a table wider than
//    the paper is cut into strips, each printed on a page of its own.
// Pages run band by band: page p shows strip (p-1) mod H of band (p-1) div
// H, and every strip of a band carries that band's page number.
class CPageGeometry
{
public:
    // tableWidth: the columns' total width; yearColumnWidth: the width of
    // the year labels right of the table when they are printed, else 0.
    CPageGeometry(const SPrinterMetrics& metrics, const SPageLayout& layout, int tableWidth,
                  int yearColumnWidth);

    // Device pixels per millimetre and the margins in device pixels.
    int PixelsPerMmX() const { return m_ppmX; }
    int PixelsPerMmY() const { return m_ppmY; }
    int LeftOffset() const { return m_left; }
    int TopOffset() const { return m_top; }
    int RightOffset() const { return m_right; }
    int BottomOffset() const { return m_bottom; }

    bool FitToRight() const { return m_fit; }
    // W: the width printed, table and year labels.
    int PrintedWidth() const { return m_printedWidth; }
    // g: the page height between the margins, in view units.
    int UsableHeight() const { return m_usableHeight; }
    // View units one page holds across, and the pages across (H).
    int StripWidth() const { return m_stripWidth; }
    int PagesAcross() const { return m_pagesAcross; }

    // The bands a page reserves (view units) and the height of the laid-out
    // table: fixes the body height (whole rows, at least one) and the pages.
    void SetBands(int headerBand, int footerBand, int columnHeaderBand, int rowHeight,
                  int64_t layoutHeight);
    int HeaderBand() const { return m_headerBand; }
    int FooterBand() const { return m_footerBand; }
    int ColumnHeaderBand() const { return m_columnHeaderBand; }
    int BodyHeight() const { return m_bodyHeight; }
    int64_t PageCount() const { return m_pageCount; }

    // Of page p (1-based): its band (0-based), its strip (0-based) and the
    // number its footer or header shows.
    int64_t Band(int64_t page) const { return (page - 1) / m_pagesAcross; }
    int Strip(int64_t page) const { return static_cast<int>((page - 1) % m_pagesAcross); }
    int64_t PageNumber(int64_t page) const { return Band(page) + 1; }

    // The mapping of page p: its window (view units) onto its viewport
    // (device pixels), as QPainter::setWindow and setViewport take them.
    QRect Window(int64_t page) const;
    QRect Viewport() const;
    // The part of the page that is printed on, in view units: x over the
    // page's strip (only as far as the table reaches), y over the usable
    // height.
    QRect PageArea(int64_t page) const;

private:
    bool m_fit = true;
    int m_ppmX = 1, m_ppmY = 1;
    int m_left = 0, m_top = 0, m_right = 0, m_bottom = 0;
    int m_printableWidth = 1, m_printableHeight = 1; // device pixels
    int m_sx = 96, m_sy = 96, m_px = 96, m_py = 96;
    int m_printedWidth = 1;
    int m_usableHeight = 1;
    int m_stripWidth = 1;
    int m_pagesAcross = 1;
    int m_headerBand = 0, m_footerBand = 0, m_columnHeaderBand = 0;
    int m_bodyHeight = 1;
    int64_t m_pageCount = 1;
};
