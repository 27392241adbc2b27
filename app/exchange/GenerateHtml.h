#pragma once

#include "GengouEra.h"

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

class CAnnaluxDoc;
class IDisplayedLayout;

// Writes the displayed chronology as one HTML table: a heading row with the
// columns in display order, then one row per year the view shows (the first
// display year and every later year holding a placed event) within the
// range. Shift_JIS with CR LF line ends; event texts keep their link markup
// so that the links work in the page.
class CGenerateHtml
{
public:
    using Sink = std::function<bool(const std::string& block)>;

    // first and last bound the years written (-2147483648 and 2147483647:
    // no bound).
    CGenerateHtml(const CAnnaluxDoc& doc, IDisplayedLayout& layout, int32_t first, int32_t last);
    virtual ~CGenerateHtml();

    // Writes the page to path through a temporary file beside it, renamed
    // over path only when complete; false when it could not be written (an
    // existing file is then untouched). title is UTF-8.
    bool Generate(const std::string& path, const std::string& title);
    // The page's bytes into sink; false when the sink refused a block.
    bool Write(const std::string& title, const Sink& sink);
    std::string Text(const std::string& title);

    // The address of the product site named in the credit paragraph.
    static const char* SiteAddress();

private:
    void WriteHead(const std::string& title, std::string& out);
    void WriteHeadingRow(std::string& out);
    void WriteRow(size_t row, std::string& out);
    void WritePeriodCell(size_t column, size_t period, size_t row, std::string& out);

    const CAnnaluxDoc& m_doc;
    IDisplayedLayout& m_layout;
    int32_t m_first;
    int32_t m_last;
    // The years written, in order.
    std::vector<int32_t> m_years;
    // Per period column: the period last written and how many of the
    // following rows its cell still spans.
    int m_periodCount = 0;
    std::vector<SGengouEraTable> m_lastPeriods;
    std::vector<size_t> m_covered;
};
