#pragma once

#include "EventText.h"
#include "GlyphCache.h"
#include "PageGeometry.h"
#include "PageLayout.h"

#include <QString>

#include <cstdint>
#include <ctime>
#include <memory>
#include <string>

class CAnnaluxDoc;
class CAnnaluxView;
class CDataCoord;
class QPagedPaintDevice;
class QPainter;

// Prints the chronology: the pages of the view's layout with headers,
// footers and the column titles, drawn by the same painting as the screen.
//
// One job runs Begin (measures the bands and counts the pages for the
// device), then PrintPage for each page wanted, in any order; nothing of a
// page is kept once it is printed, so a job of any length needs the memory
// of one page.
class CViewPrinter
{
public:
    // The printed title of the columns without a library.
    static const char* const kWesternTitle; // "西暦"
    // The view units left between the last row and the footer.
    static constexpr int kFooterGap = 10;

    // doc and coord: the chronology and its laid-out table; headerHeight:
    // the height of the view's column header.
    CViewPrinter(const CAnnaluxDoc& doc, CDataCoord& coord, int headerHeight);
    // The view's document, layout and header.
    explicit CViewPrinter(CAnnaluxView& view);
    ~CViewPrinter();

    // The page settings used (by default the document's).
    void SetPageLayout(const SPageLayout& layout) { m_layout = layout; }
    const SPageLayout& GetPageLayout() const { return m_layout; }
    // The moment the date and time items print (default: when Begin runs).
    void SetTime(std::time_t now) { m_now = now; }

    // Measures the bands for the device and returns the number of pages.
    int64_t Begin(const SPrinterMetrics& metrics);
    const CPageGeometry& Geometry() const { return *m_geometry; }
    // The texts of the six slots on page p.
    QString SlotText(int slot, int64_t page) const;
    // Draws page p (1-based) with painter on the device Begin measured.
    void PrintPage(QPainter& painter, int64_t page);

    // A whole job on a printer or PDF writer: Begin, then pages from..to
    // (to 0 or past the end: the last page), a new sheet between them. False
    // when the painter cannot start on the device.
    bool PrintAll(QPagedPaintDevice& device, int64_t from = 1, int64_t to = 0);

private:
    void DrawPage(QPainter& painter, int64_t page);
    void DrawSlots(QPainter& painter, int first, int y, int64_t page, const QRect& area) const;
    void DrawColumnTitles(QPainter& painter) const;

    const CAnnaluxDoc& m_doc;
    CDataCoord& m_coord;
    int m_headerHeight = 0;
    SPageLayout m_layout;
    std::time_t m_now = 0;
    std::unique_ptr<CPageGeometry> m_geometry;
    CTextCache m_texts;
    // Texts shaped for a PDF writer (a printer's one too), drawn as one run
    // of glyphs per font.
    CGlyphCache m_glyphs;
    bool m_pdf = false;
    // Whether pages are drawn through the print state filter.
    bool m_filtered = true;
};
