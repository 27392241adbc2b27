#include "TablePainter.h"

#include "AnnaluxDoc.h"
#include "BaseYear.h"
#include "DataCoord.h"
#include "EventText.h"
#include "GengouEra.h"
#include "GlyphCache.h"
#include "HostText.h"
#include "LogFontQt.h"
#include "ShiftJis.h"
#include "TextMeasurer.h"
#include "YearEvent.h"

#include <QFontMetrics>
#include <QPaintEngine>
#include <QPainter>
#include <QPolygon>

#include <algorithm>
#include <climits>
#include <memory>

namespace {

constexpr COLORREF kGridScreen = 0xA0A0A0;

// Device coordinates stay far inside what the paint engine handles; rows
// this far outside the clip are not visible anyway.
int Clamp(int64_t v)
{
    return static_cast<int>(std::clamp<int64_t>(v, -1000000, 1000000));
}

struct SFontSlot
{
    QFont font;
    QColor color;
    int ascent = 0;
    QString key; // names the font in the glyph cache
};

class CPaintContext
{
public:
    CPaintContext(QPainter& p, const SPaintRequest& r)
        : painter(p), req(r), doc(*r.doc), coord(*r.coord)
    {
        if (!r.texts) {
            ownTexts = std::make_unique<CTextCache>();
            texts = ownTexts.get();
        } else {
            texts = r.texts;
        }
        const CFontManager& fonts = doc.GetFonts();
        for (int i = 0; i < CFontManager::kSlotCount; ++i) {
            fontSlots[i].font = CLogFontQt::ToQFont(fonts.GetShownFont(i));
            fontSlots[i].color = CLogFontQt::ToQColor(fonts.GetColor(i));
            fontSlots[i].ascent = QFontMetrics(fontSlots[i].font).ascent();
            if (r.glyphs)
                fontSlots[i].key = CGlyphCache::FontKey(p, fontSlots[i].font);
        }
        joinTexts = r.printer && r.glyphs && r.glyphs->PrintMode();
        linkFont = fontSlots[0].font;
        underlinePos = QFontMetrics(linkFont).underlinePos();
        measurer = std::make_unique<CFontMeasurer>(fontSlots[0].font);
        R = coord.RowHeight();
        scale = coord.Settings().scale;
        spacing = coord.Settings().spacing;
        totalWidth = doc.GetColumns().GetTotalWidth();
    }

    int64_t DataY(int deviceY) const { return req.dataTop + (deviceY - req.deviceTop); }
    int DevY(int64_t dataY) const { return Clamp(req.deviceTop + (dataY - req.dataTop)); }
    int DevX(int64_t x) const { return Clamp(x - req.xOffset); }
    QColor Color(CAnnaluxDoc::EColor c) const { return CLogFontQt::ToQColor(doc.GetColor(c)); }

    void Text(int slot, int x, int y, const QString& s, const QColor& color)
    {
        UseFont(fontSlots[slot].font);
        UsePen(color);
        DrawText(fontSlots[slot], x, y + fontSlots[slot].ascent, s);
    }

    // Text in the painter's font, which is slot's.
    void DrawText(const SFontSlot& slot, int x, int baseline, const QString& s)
    {
        if (joinTexts) {
            const QGlyphRun run = req.glyphs->DirectRun(painter, slot.font, slot.key, s);
            if (!run.isEmpty()) {
                if (!pendingGlyphs.isEmpty() && pendingFont != run.rawFont())
                    Flush();
                pendingFont = run.rawFont();
                pendingGlyphs += run.glyphIndexes();
                for (const QPointF& p : run.positions())
                    pendingPositions.append(p + QPointF(x, baseline));
                return;
            }
            Flush();
        }
        if (req.glyphs)
            req.glyphs->DrawText(painter, slot.font, slot.key, x, baseline, s);
        else
            painter.drawText(x, baseline, s);
    }

    // On paper every text is an object of its own, with its colour and font
    // set again. Texts drawn one after another in one font, colour and clip
    // are handed over as one run of glyphs; anything else drawn, and every
    // change of the painter's state, first draws what is waiting, so the
    // page is painted in the order it always is.
    QPainter& Drawing()
    {
        Flush();
        return painter;
    }
    void Flush()
    {
        if (pendingGlyphs.isEmpty())
            return;
        QGlyphRun run;
        run.setRawFont(pendingFont);
        run.setGlyphIndexes(pendingGlyphs);
        run.setPositions(pendingPositions);
        painter.drawGlyphRun(QPointF(0, 0), run);
        pendingGlyphs.clear();
        pendingPositions.clear();
    }

    // Font and pen changes cost a state update in the paint engine at the
    // next drawing; most texts of a screen share both. Only the fonts of
    // this context are handed in, so their addresses name them.
    void UseFont(const QFont& font)
    {
        if (currentFont != &font) {
            painter.setFont(font);
            currentFont = &font;
        }
    }
    void UsePen(const QColor& color)
    {
        if (!penKnown || currentPen != color) {
            Flush();
            painter.setPen(color);
            currentPen = color;
            penKnown = true;
        }
    }
    // Drawing clipped to a column; restore() gives the font and pen back too.
    void BeginClip(const QRect& rect)
    {
        Flush();
        painter.save();
        painter.setClipRect(rect);
        saved.push_back({currentFont, currentPen, penKnown});
    }
    void EndClip()
    {
        Flush();
        painter.restore();
        currentFont = saved.back().font;
        currentPen = saved.back().pen;
        penKnown = saved.back().penKnown;
        saved.pop_back();
    }

    QPainter& painter;
    const SPaintRequest& req;
    const CAnnaluxDoc& doc;
    CDataCoord& coord;
    CTextCache* texts = nullptr;
    std::unique_ptr<CTextCache> ownTexts;
    SFontSlot fontSlots[CFontManager::kSlotCount];
    QFont linkFont;
    int underlinePos = 1;
    // Texts waiting to be drawn as one run (printing through a glyph cache).
    bool joinTexts = false;
    QRawFont pendingFont;
    QList<quint32> pendingGlyphs;
    QList<QPointF> pendingPositions;
    std::unique_ptr<CFontMeasurer> measurer;
    int R = 1;
    int scale = 1;
    int spacing = 0;
    int totalWidth = 0;

    const QFont* currentFont = nullptr;
    QColor currentPen;
    bool penKnown = false;
    struct SState
    {
        const QFont* font;
        QColor pen;
        bool penKnown;
    };
    std::vector<SState> saved;
};

void DrawRightLabel(CPaintContext& c, int32_t year, int64_t top)
{
    if (c.req.printer && !c.req.printRightLabels)
        return;
    if (c.req.printer && top >= c.req.pageBottom)
        return;
    const int y = c.DevY(top);
    if (y > c.req.clip.bottom() || y + c.R < c.req.clip.top())
        return;
    c.BeginClip(
        QRect(c.DevX(0), c.req.clip.top(), c.totalWidth + c.req.rightMargin, c.req.clip.height()));
    c.Text(CFontManager::FS_SUPPORTYEAR, c.DevX(static_cast<int64_t>(c.totalWidth) + 10), y,
           QString::number(year), c.fontSlots[CFontManager::FS_SUPPORTYEAR].color);
    c.EndClip();
}

// One event's text with its supplement mark, links and highlight; returns
// the data-area y below its last line.
int64_t DrawEventText(CPaintContext& c, const CoordEntry& entry, int columnLeft, int columnWidth,
                      int64_t textTop, const QColor& textColor)
{
    const SEventData& ev = *entry.event;
    const SDisplayText& text = c.texts->Get(CDataCoord::DisplayString(ev));
    int64_t x = columnLeft;
    if (CDataCoord::HasRangeMark(ev.rangeFlags))
        x += CDataCoord::kMarkWidth;
    const bool marks =
        c.req.printer ? c.req.printSupplementMarks : c.coord.Settings().supplementMarks;
    const int y = c.DevY(textTop);
    if (!ev.supplement.empty() && c.coord.Settings().supplementMarks) {
        if (marks) {
            c.Drawing().fillRect(QRect(c.DevX(x), y, CDataCoord::kSupplementMarkWidth,
                                     CDataCoord::kSupplementMarkWidth),
                               c.Color(CAnnaluxDoc::SupplementColor));
            if (c.req.supplementMarks) {
                SViewHit hit;
                hit.left = x;
                hit.top = c.req.hitOriginY + textTop;
                hit.right = x + CDataCoord::kSupplementMarkWidth;
                hit.bottom = hit.top + c.R;
                c.req.supplementMarks->Add(hit);
            }
        }
        // The text keeps its place whether or not the mark is printed.
        x += CDataCoord::kSupplementMarkWidth;
    }
    const int available = std::max(1, static_cast<int>(columnLeft + columnWidth - x));
    const QString& s = text.visible;
    const bool wrap = c.coord.Settings().wrap;
    std::vector<std::pair<int, int>> lines;
    if (wrap)
        lines = CEventText::WrapLines(*c.measurer, s, available, available);
    else
        lines.emplace_back(0, static_cast<int>(s.size()));

    // Styled runs: 0 plain, 1 link, 2 highlight.
    std::vector<int> style(static_cast<size_t>(s.size()), 0);
    const bool drawLinks = !c.req.printer || c.req.printLinks;
    if (drawLinks) {
        for (const auto& link : text.links) {
            for (int i = std::max(0, link.start); i < std::min<int>(link.end, s.size()); ++i)
                style[static_cast<size_t>(i)] = 1;
        }
    }
    int hiStart = -1, hiEnd = -1;
    if (entry.searchResult != 0 && !c.req.searchText.empty()) {
        const QString what = CHostText::FromSjis(c.req.searchText);
        hiStart = static_cast<int>(
            s.indexOf(what, 0, c.req.searchMatchCase ? Qt::CaseSensitive : Qt::CaseInsensitive));
        if (hiStart >= 0) {
            hiEnd = hiStart + static_cast<int>(what.size());
            // The highlight replaces the link look of the whole text.
            std::fill(style.begin(), style.end(), 0);
            for (int i = hiStart; i < hiEnd; ++i)
                style[static_cast<size_t>(i)] = 2;
        }
    }

    const QColor linkColor = c.Color(CAnnaluxDoc::LinkColor);
    const QColor even = c.Color(CAnnaluxDoc::BackColorEven);
    const QColor inverse(255 - even.red(), 255 - even.green(), 255 - even.blue());
    const int ascent = c.fontSlots[0].ascent;
    std::vector<int64_t> linkLeft(text.links.size(), INT64_MIN);
    std::vector<int64_t> linkTop(text.links.size(), 0);
    std::vector<int64_t> linkRight(text.links.size(), 0);
    std::vector<int64_t> linkBottom(text.links.size(), 0);

    int64_t lineTop = textTop;
    for (size_t li = 0; li < lines.size(); ++li, lineTop += c.R) {
        if (c.req.printer && lineTop + c.R > c.req.pageBottom)
            break;
        const int ly = c.DevY(lineTop);
        const int64_t lineX = x;
        const int start = lines[li].first;
        const int end = start + lines[li].second;
        const bool visible = ly <= c.req.clip.bottom() + c.R && ly + c.R >= c.req.clip.top();
        int i = start;
        while (i < end) {
            int j = i + 1;
            while (j < end && style[static_cast<size_t>(j)] == style[static_cast<size_t>(i)])
                ++j;
            const QString run = s.mid(i, j - i);
            // Only highlights and links need the run's extent; a run at the
            // start of its line starts there.
            const int st = style[static_cast<size_t>(i)];
            const int64_t runX =
                i == start ? lineX : lineX + c.measurer->Width(s.mid(start, i - start));
            const int runW = st != 0 ? c.measurer->Width(run) : 0;
            if (visible) {
                if (st == 2) {
                    c.Drawing().fillRect(QRect(c.DevX(runX), ly, runW, c.R - c.spacing), inverse);
                    c.UseFont(c.fontSlots[0].font);
                    c.UsePen(even);
                } else if (st == 1) {
                    c.UseFont(c.linkFont);
                    c.UsePen(linkColor);
                } else {
                    c.UseFont(c.fontSlots[0].font);
                    c.UsePen(textColor);
                }
                // The link font is the event font; the underline is drawn below.
                c.DrawText(c.fontSlots[0], c.DevX(runX), ly + ascent, run);
                // The underline is drawn here rather than by the font, so that
                // it has the link colour and one pixel whatever the face.
                if (st == 1) {
                    // Rows are as tall as the characters: keep it inside the row.
                    const int uy = std::min(ly + ascent + std::max(1, c.underlinePos),
                                            ly + std::max(1, c.R - c.spacing) - 1);
                    c.Drawing().drawLine(c.DevX(runX), uy, c.DevX(runX + runW - 1), uy);
                }
            }
            // Where each link lies is measured only for a caller that keeps it.
            if (st == 1 && c.req.links) {
                for (size_t k = 0; k < text.links.size(); ++k) {
                    const auto& link = text.links[k];
                    const int a = std::max(i, link.start), b = std::min(j, link.end);
                    if (a >= b)
                        continue;
                    const int64_t ax = lineX + c.measurer->Width(s.mid(start, a - start));
                    const int64_t bx = lineX + c.measurer->Width(s.mid(start, b - start));
                    if (linkLeft[k] == INT64_MIN) {
                        linkLeft[k] = ax;
                        linkTop[k] = lineTop;
                    }
                    linkRight[k] = bx;
                    linkBottom[k] = lineTop + c.R;
                }
            }
            i = j;
        }
    }
    if (c.req.links) {
        for (size_t k = 0; k < text.links.size(); ++k) {
            if (linkLeft[k] == INT64_MIN)
                continue;
            SViewHit hit;
            hit.left = linkLeft[k];
            hit.top = c.req.hitOriginY + linkTop[k];
            hit.right = std::max(linkLeft[k], linkRight[k]);
            hit.bottom = c.req.hitOriginY + linkBottom[k];
            hit.target = text.links[k].target;
            c.req.links->Add(hit);
        }
    }
    return lineTop;
}

// Draws one bucket row. Returns the data-area bottom of what it drew and
// sets next to the following year of the event columns.
int64_t DrawYearRow(CPaintContext& c, int32_t year, int64_t top, int64_t bottom, int32_t& next)
{
    const CHeaderManager& columns = c.doc.GetColumns();
    const int s = c.scale;
    const int64_t pageBottom = c.req.pageBottom;
    const int64_t bandBottom = std::min(bottom, pageBottom);
    next = kNoYear;

    if (year % (10 * s) == 0)
        DrawRightLabel(c, year, top);

    // Bands by the parity of year / scale (negative quotients alike).
    const int64_t quotient = year / s;
    const bool odd = (quotient % 2) != 0;
    const int yTop = c.DevY(top);
    const int yBottom = c.DevY(bandBottom);
    if (yBottom > yTop) {
        c.Drawing().fillRect(QRect(c.DevX(0), yTop, c.totalWidth, yBottom - yTop),
                           c.Color(odd ? CAnnaluxDoc::BackColorOdd : CAnnaluxDoc::BackColorEven));
    }
    const int64_t textTop = top + c.spacing / 2;
    const int bucketYear = CDataCoord::BucketOf(year, s);
    int64_t textBottom = bottom;
    int eventColumn = -1;
    CDataCoord::SBucket bucket;
    const int clipLeft = c.req.clip.left(), clipRight = c.req.clip.right();

    for (int col = 0; col < columns.GetCount(); ++col) {
        const int kind = columns.GetKind(col);
        const int left = columns.GetLeft(col);
        const int width = columns.GetWidth(col);
        const bool inX =
            c.DevX(left) <= clipRight && c.DevX(static_cast<int64_t>(left) + width) >= clipLeft;
        if (kind == CK_EVENT) {
            auto* table = static_cast<CYearEvent*>(columns.GetTable(col));
            eventColumn = c.coord.Table().ColumnOfLibrary(table);
            if (eventColumn < 0)
                continue;
            c.coord.CollectBucket(year, s, eventColumn, bucket);
            next = std::min(next, bucket.nextYear);
            // An empty cell changes no clip: on paper every change is written.
            if (!inX || bucket.entries.empty())
                continue;
            c.BeginClip(QRect(c.DevX(left), c.req.clip.top(), width, c.req.clip.height())
                            .intersected(c.req.clip));
            for (const CoordEntry& entry : bucket.entries) {
                const SEventData& ev = *entry.event;
                const int64_t ty = entry.top + c.spacing / 2;
                if (c.req.printer && ty + c.R > pageBottom)
                    break;
                if (c.DevY(ty) > c.req.clip.bottom() || c.DevY(entry.bottom) < c.req.clip.top())
                    continue;
                const CTablePainter::EMark mark = CTablePainter::MarkOf(ev.rangeFlags);
                if (mark != CTablePainter::MarkNone) {
                    CTablePainter::DrawMark(c.Drawing(), mark, c.DevX(left), c.DevY(ty),
                                            CDataCoord::kMarkWidth, c.DevY(ty + c.R - c.spacing),
                                            c.Color(CAnnaluxDoc::EventMarkColor));
                }
                const QColor color = (ev.rangeFlags & RANGE_ABOUT)
                                         ? c.Color(CAnnaluxDoc::AboutColor)
                                         : c.fontSlots[CFontManager::FS_EVENT].color;
                textBottom = std::max(textBottom, DrawEventText(c, entry, left, width, ty, color));
            }
            c.EndClip();
            continue;
        }
        if (!inX || kind == CK_ERA)
            continue;
        QString label;
        int slot = 0;
        if (kind == CK_YEAR) {
            label = CTablePainter::WesternLabel(year, s);
            slot = CFontManager::FS_WESTERN;
        } else if (kind == CK_GENGOU) {
            const auto* table = static_cast<const CGengouEra*>(columns.GetTable(col));
            const int index = table ? table->GetIndexFromYear(bucketYear) : -1;
            if (index < 0)
                continue;
            const SGengouEraTable& row = table->GetGengouEraTable()[static_cast<size_t>(index)];
            label = CTablePainter::EraLabel(c.texts->Get(row.name).visible, row.startYear, year, s);
            slot = CFontManager::FS_GENGOU;
        } else if (kind == CK_BASEYEAR) {
            const auto* table = static_cast<const CBaseYear*>(columns.GetTable(col));
            std::string text;
            if (!table || !table->MakeBaseYearStr(year, text))
                continue;
            label = c.texts->Get(text).visible;
            slot = CFontManager::FS_BASEYEAR;
        }
        const int ty = c.DevY(textTop);
        if (ty > c.req.clip.bottom() || ty + c.R < c.req.clip.top())
            continue;
        c.BeginClip(QRect(c.DevX(left), c.req.clip.top(), width, c.req.clip.height())
                        .intersected(c.req.clip));
        c.Text(slot, c.DevX(left), ty, label, c.fontSlots[slot].color);
        c.EndClip();
    }
    return textBottom;
}

void DrawPeriods(CPaintContext& c, int32_t firstYear, int32_t lastYear, int64_t visibleBottom)
{
    const CHeaderManager& columns = c.doc.GetColumns();
    CDataCoord& coord = c.coord;
    const int32_t minYear = coord.MinYear(), maxYear = coord.MaxYear();
    if (minYear == kNoYear)
        return;
    const int s = c.scale;
    const bool packed = coord.Settings().mode == SLayoutSettings::Packed;
    const bool exact = coord.Settings().mode == SLayoutSettings::Exact;
    const int64_t b = static_cast<int64_t>(std::abs(coord.RowsPerBucket())) * c.R;
    const int64_t limit = std::min(visibleBottom, c.req.pageBottom);
    const QColor grid = CLogFontQt::ToQColor(c.req.printer ? 0 : kGridScreen);

    auto topOf = [&](int32_t start) -> int64_t {
        if (start < minYear)
            return coord.MinTop();
        int32_t y0 = kNoYear;
        int64_t t = coord.YearTop(start, &y0);
        if (!packed && y0 != kNoYear)
            t += b * (CDataCoord::BucketIndex(start, s) - CDataCoord::BucketIndex(y0, s));
        return t;
    };

    for (int col = 0; col < columns.GetCount(); ++col) {
        if (columns.GetKind(col) != CK_ERA)
            continue;
        const auto* table = static_cast<const CGengouEra*>(columns.GetTable(col));
        if (!table)
            continue;
        const int left = columns.GetLeft(col);
        const int width = columns.GetWidth(col);
        if (c.DevX(left) > c.req.clip.right() ||
            c.DevX(static_cast<int64_t>(left) + width) < c.req.clip.left())
            continue;
        c.BeginClip(QRect(c.DevX(left), c.req.clip.top(), width, c.req.clip.height())
                        .intersected(c.req.clip));
        int64_t lastNameY = INT64_MIN;
        const auto& rows = table->GetGengouEraTable();
        for (size_t i = 0; i < rows.size(); ++i) {
            const SGengouEraTable& row = rows[i];
            if (row.endYear < firstYear || row.startYear > lastYear)
                continue;
            const bool startIn = row.startYear >= minYear && row.startYear <= maxYear;
            const bool endIn = row.endYear >= minYear && row.endYear <= maxYear;
            const bool covers = row.startYear <= minYear && row.endYear >= maxYear;
            if (!startIn && !endIn && !covers)
                continue;
            int64_t top = topOf(row.startYear);
            int64_t bottom;
            bool closing = true;
            const SGengouEraTable* nextRow = i + 1 < rows.size() ? &rows[i + 1] : nullptr;
            if (nextRow && nextRow->startYear >= row.endYear &&
                static_cast<int64_t>(nextRow->startYear) <= static_cast<int64_t>(row.endYear) + 1 &&
                nextRow->startYear <= maxYear) {
                // The next period begins where this one ends: one shared line.
                bottom = topOf(nextRow->startYear);
                closing = false;
            } else if (row.endYear > maxYear) {
                bottom = std::min<int64_t>(limit, coord.MaxBottom());
            } else {
                int32_t y1 = kNoYear;
                bottom = coord.YearTop(row.endYear, &y1);
                if (y1 == kNoYear) {
                    bottom = coord.MaxBottom();
                } else {
                    if (!exact)
                        bottom += c.R * static_cast<int64_t>(coord.BucketRows(row.endYear, 1));
                    if (!packed)
                        bottom += b * (CDataCoord::BucketIndex(row.endYear, s) -
                                       CDataCoord::BucketIndex(y1, s));
                    // The end year's own bucket belongs to the period.
                    if (exact)
                        bottom += b;
                }
            }
            // On paper a period begun on an earlier page starts at the page's
            // top, so that its name stands in the part this page shows.
            const int64_t spanTop = top;
            if (c.req.printer)
                top = std::max(top, c.req.dataTop);
            top = std::min(top, limit);
            bottom = std::min(bottom, limit);
            if (bottom <= 0 || top >= bottom)
                continue;
            c.UsePen(grid);
            const int x0 = c.DevX(left), x1 = c.DevX(static_cast<int64_t>(left) + width - 1);
            if (startIn && spanTop == top)
                c.Drawing().drawLine(x0, c.DevY(top), x1, c.DevY(top));
            if (closing)
                c.Drawing().drawLine(x0, c.DevY(bottom), x1, c.DevY(bottom));
            int64_t nameY = std::max(top, (top + bottom) / 2 - c.R / 2);
            if (lastNameY != INT64_MIN && nameY < lastNameY + c.R)
                continue;
            const QString name = c.texts->Get(row.name).visible;
            const int w =
                QFontMetrics(c.fontSlots[CFontManager::FS_ERA].font).horizontalAdvance(name);
            const int64_t nx = std::max<int64_t>(left, left + width / 2 - w / 2);
            c.Text(CFontManager::FS_ERA, c.DevX(nx), c.DevY(nameY), name,
                   c.fontSlots[CFontManager::FS_ERA].color);
            lastNameY = nameY;
        }
        c.EndClip();
    }
}

} // namespace

void CHitList::Add(const SViewHit& hit)
{
    if (m_seen.emplace(hit.left, hit.top, hit.right, hit.bottom, hit.target).second)
        m_items.push_back(hit);
}

void CHitList::Clear()
{
    m_items.clear();
    m_seen.clear();
}

const SViewHit* CHitList::Find(int64_t x, int64_t y) const
{
    for (const SViewHit& hit : m_items) {
        if (hit.Contains(x, y))
            return &hit;
    }
    return nullptr;
}

QString CTablePainter::WesternLabel(int32_t year, int scale)
{
    QString label = QString::number(CDataCoord::BucketOf(year, scale));
    if (scale != 1)
        label += QString::fromUtf8("代");
    return label;
}

int64_t CTablePainter::EraYear(int32_t start, int32_t year)
{
    // No year 0: an era that began before year 1 counts one less after it.
    int64_t n = static_cast<int64_t>(year) - start + 1;
    if (start < 1 && year >= 1)
        n -= 1;
    return n;
}

QString CTablePainter::EraLabel(const QString& name, int32_t start, int32_t year, int scale)
{
    // A negative bucket reaches below its own year (-10 holds -1..-19), so the
    // row's year can precede an era found for the bucket: count from the
    // era's first year then rather than show a year before it.
    QString label = name + QString::number(EraYear(start, std::max(year, start)));
    if (scale > 1)
        label += QLatin1Char('-');
    return label;
}

CTablePainter::EMark CTablePainter::MarkOf(uint32_t flags)
{
    switch (flags & ~static_cast<uint32_t>(RANGE_OTHER_YEAR_ABOUT)) {
    case RANGE_FROM:
        return MarkFrom;
    case RANGE_UNTIL:
        return MarkTo;
    case RANGE_ABOUT:
        return MarkAbout;
    case RANGE_ABOUT | RANGE_FROM:
        return MarkFromAbout;
    case RANGE_ABOUT | RANGE_UNTIL:
        return MarkToAbout;
    default:
        return MarkNone;
    }
}

void CTablePainter::DrawMark(QPainter& painter, EMark mark, int left, int top, int width,
                             int bottom, const QColor& color)
{
    if (mark == MarkNone)
        return;
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing, false);
    painter.setPen(QPen(color, 0));
    painter.setBrush(color);
    const int cx = left + width / 2;
    const int cy = top + (bottom - top) / 2;
    auto hatch = [&](int from, int to) {
        for (int y = from; y < to; y += 3)
            painter.drawLine(left, y, cx, y);
    };
    auto from = [&]() {
        painter.drawLine(cx, top, cx, cy);
        painter.drawPolygon(QPolygon({QPoint(cx, cy), QPoint(cx, bottom), QPoint(left, cy)}));
    };
    auto to = [&]() {
        painter.drawLine(cx, cy, cx, bottom);
        painter.drawPolygon(QPolygon({QPoint(cx, top), QPoint(cx, cy), QPoint(left, cy)}));
    };
    switch (mark) {
    case MarkFrom:
        from();
        break;
    case MarkTo:
        to();
        break;
    case MarkAbout:
        hatch(top, bottom);
        break;
    case MarkFromAbout:
        hatch(top, cy);
        from();
        break;
    case MarkToAbout:
        hatch(cy, bottom);
        to();
        break;
    default:
        break;
    }
    painter.restore();
}

int64_t CTablePainter::Paint(QPainter& painter, const SPaintRequest& request)
{
    if (!request.doc || !request.coord)
        return INT64_MIN;
    CPaintContext c(painter, request);
    painter.save();
    painter.setClipRect(request.clip);
    if (!request.printer)
        painter.fillRect(request.clip, c.Color(CAnnaluxDoc::BackColor));

    const CHeaderManager& columns = c.doc.GetColumns();
    CDataCoord& coord = c.coord;
    if (columns.IsEmpty() || coord.Table().EntryCount() == 0) {
        painter.restore();
        return INT64_MIN;
    }
    const int64_t bandTop = c.DataY(request.clip.top()) - 5LL * c.R;
    const int64_t bandBottom = std::min(c.DataY(request.clip.bottom() + 1), request.pageBottom);
    coord.Table().ResetCursors();
    const int s = c.scale;
    int32_t year = coord.FirstYearAt(bandTop);
    // Start at the first year of its bucket so that the band is whole.
    {
        int32_t found = kNoYear;
        const int32_t bucket = CDataCoord::BucketOf(year, s);
        coord.YearTop(bucket >= 0 ? bucket : std::max<int64_t>(INT32_MIN + 1, bucket - 2LL * s),
                      &found);
        if (found != kNoYear && CDataCoord::BucketOf(found, s) == bucket)
            year = found;
    }
    const int32_t firstYear = year;
    int32_t lastYear = year;
    int32_t previous = kNoYear;
    int64_t lastBottom = INT64_MIN;
    while (year != kNoYear) {
        const int64_t top = coord.YearTop(year);
        if (top == kNoYear)
            break;
        const int64_t bottom = top + static_cast<int64_t>(coord.DrawnRows(year)) * c.R;
        if (request.printer && top + c.R > request.pageBottom)
            break;
        if (previous != kNoYear) {
            for (const auto& label : coord.GapLabels(previous, year, top))
                DrawRightLabel(c, label.first, label.second);
        }
        int32_t next = kNoYear;
        const int64_t textBottom = DrawYearRow(c, year, top, bottom, next);
        lastBottom = std::max({lastBottom, bottom, textBottom});
        lastYear = year;
        previous = year;
        year = next;
        if (bottom > bandBottom)
            break;
    }
    DrawPeriods(c, firstYear, lastYear,
                request.visibleBottom == INT64_MAX
                    ? bandBottom
                    : std::min(request.visibleBottom, request.pageBottom));

    // Grid: the edges of every column and the closing line.
    c.Flush();
    if (lastBottom != INT64_MIN) {
        lastBottom = std::min(lastBottom, request.pageBottom);
        const QColor grid = CLogFontQt::ToQColor(request.printer ? 0 : kGridScreen);
        c.UsePen(grid);
        const int yTop = std::max(c.DevY(0), request.clip.top());
        const int yBottom = c.DevY(lastBottom);
        // On an image a one-pixel rectangle covers the pixels of the line
        // and is filled in one pass; the raster engine strokes a tall line
        // in batches of spans it hands to worker threads. Printers keep
        // their lines.
        const bool raster =
            painter.paintEngine() && painter.paintEngine()->type() == QPaintEngine::Raster;
        auto vertical = [&](int x) {
            if (raster && !request.printer)
                painter.fillRect(
                    QRect(x, std::min(yTop, yBottom), 1, std::abs(yBottom - yTop) + 1), grid);
            else
                painter.drawLine(x, yTop, x, yBottom);
        };
        // The table's left edge, then each column's last pixel: one line
        // between neighbours, not two.
        vertical(c.DevX(0));
        for (int col = 0; col < columns.GetCount(); ++col)
            vertical(c.DevX(static_cast<int64_t>(columns.GetRight(col)) - 1));
        painter.drawLine(c.DevX(0), yBottom, c.DevX(c.totalWidth), yBottom);
    }
    painter.restore();
    return lastBottom;
}
