#pragma once

#include <QColor>
#include <QFont>
#include <QRect>
#include <QString>

#include <cstdint>
#include <set>
#include <string>
#include <tuple>
#include <vector>

class CAnnaluxDoc;
class CDataCoord;
class CGlyphCache;
class CTextCache;
class QPainter;
struct CoordEntry;
struct SEventData;

// A link or supplement mark the painting left behind, in scrolled content
// coordinates (layout x; header height + data-area y).
struct SViewHit
{
    int64_t left = 0;
    int64_t top = 0;
    int64_t right = 0;
    int64_t bottom = 0;
    std::string target; // links: the target (Shift-JIS); empty for marks

    bool Contains(int64_t x, int64_t y) const
    {
        return x >= left && x < right && y >= top && y < bottom;
    }
};

// Hit rectangles, each listed once however often it is painted.
class CHitList
{
public:
    void Add(const SViewHit& hit);
    void Clear();
    const std::vector<SViewHit>& Items() const { return m_items; }
    // The first item containing the point, or null.
    const SViewHit* Find(int64_t x, int64_t y) const;

private:
    std::vector<SViewHit> m_items;
    std::set<std::tuple<int64_t, int64_t, int64_t, int64_t, std::string>> m_seen;
};

// Where and what to paint. Device y of data-area y is deviceTop + (y - dataTop);
// device x of layout x is x - xOffset.
struct SPaintRequest
{
    const CAnnaluxDoc* doc = nullptr;
    CDataCoord* coord = nullptr;
    CTextCache* texts = nullptr; // optional: a private cache is used without one
    CGlyphCache* glyphs = nullptr; // optional: texts are shaped as drawn without one
    int64_t dataTop = 0;
    int deviceTop = 0;
    int xOffset = 0;
    QRect clip; // device pixels to paint
    int rightMargin = 50;

    // Printing: a data-area y below which nothing is drawn, and the options.
    bool printer = false;
    int64_t pageBottom = INT64_MAX;
    bool printSupplementMarks = true;
    bool printLinks = true;
    bool printRightLabels = true;

    // Highlighting of the current search hit.
    std::string searchText; // Shift-JIS
    bool searchMatchCase = false;

    // What the paint leaves behind; hitOriginY is the content y of data y 0.
    CHitList* links = nullptr;
    CHitList* supplementMarks = nullptr;
    int64_t hitOriginY = 0;

    // Data-area y of the window's bottom. Period spans are cut there, so that
    // a period's name stands where a whole repaint puts it however small the
    // clip; INT64_MAX: the clip's bottom.
    int64_t visibleBottom = INT64_MAX;
};

// Paints the chronology table: bands, the five kinds of columns, range and
// supplement marks, links, the search highlight, year labels and the grid.
// Only rows and columns that meet the clip rectangle are painted. The same
// routine serves the screen, images and the printer.
class CTablePainter
{
public:
    // Range mark shapes by date flags (0x200 ignored).
    enum EMark
    {
        MarkNone,
        MarkFrom,
        MarkTo,
        MarkAbout,
        MarkFromAbout,
        MarkToAbout
    };
    static EMark MarkOf(uint32_t flags);
    // The mark of flags in the box (left, top, width, bottom), device pixels.
    static void DrawMark(QPainter& painter, EMark mark, int left, int top, int width, int bottom,
                         const QColor& color);

    // The western-year cell of a row: the bucket's year, "代" after it when
    // the scale is not 1.
    static QString WesternLabel(int32_t year, int scale);
    // The era year of a Western year in an era starting at start (no year 0).
    static int64_t EraYear(int32_t start, int32_t year);
    // The era-name cell of a row of year: the era is the one of the row's
    // bucket, its year counted to the row's own year, "-" after it when the
    // scale is not 1. name is the era's visible name.
    static QString EraLabel(const QString& name, int32_t start, int32_t year, int scale);

    // Returns the data-area y of the closing line under the last row drawn
    // (cut at the page bottom when printing); INT64_MIN when no row was drawn.
    static int64_t Paint(QPainter& painter, const SPaintRequest& request);
};
