#pragma once

#include <functional>
#include <string>

class CAnnaluxDoc;
class IDisplayedLayout;

// The displayed table as CSV: one line per row the view shows, bucket by
// bucket, one cell per column in display order (period columns left out).
// Shift-JIS, CR LF, cells quoted as the per-library CSV export quotes them.
class CExportImageCSV
{
public:
    // Takes each block of the text as it is made; false stops the export.
    using Sink = std::function<bool(const std::string& block)>;

    CExportImageCSV(const CAnnaluxDoc& doc, IDisplayedLayout& layout);

    // yearOnce: the year and era cells only on a bucket's first row.
    void SetYearOnce(bool on) { m_yearOnce = on; }

    // Writes the table to path through a temporary file beside it (an
    // existing file is replaced only by a complete table). False after the
    // failure was shown.
    bool Export(const std::string& path);
    // Writes the whole table into sink; false when the sink refused a block.
    bool Write(const Sink& sink);
    std::string Text();

    // A cell as written: quotes doubled, escaped line breaks made real, the
    // whole quoted when either happened or it holds a comma.
    static std::string QuoteCell(const std::string& cell);
    // Text without its markup: every span from "<" up to the next ">".
    static std::string StripMarkup(const std::string& text);

private:
    const CAnnaluxDoc& m_doc;
    IDisplayedLayout& m_layout;
    bool m_yearOnce = true;
};
