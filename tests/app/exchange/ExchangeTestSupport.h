#pragma once

// Chronologies made in the test for the exports of the displayed table:
// columns added in a given order, events given as (year, text).

#include "AnnaluxDoc.h"
#include "BaseYear.h"
#include "GengouEra.h"
#include "HeaderKind.h"
#include "LogFont.h"
#include "Sjis.h"
#include "YearEvent.h"

#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace exchangetest {

struct SEvent
{
    int32_t year;
    std::string text; // UTF-8
};

inline void SetFonts(CAnnaluxDoc& doc)
{
    SLogFont f;
    f.lfHeight = -14;
    f.lfWeight = 400;
    f.lfCharSet = SLogFont::kShiftJisCharset;
    f.SetFaceName(Sjis("ＭＳ Ｐゴシック"));
    doc.GetFonts().SetAllFonts(f);
}

inline CYearEvent* AddEvents(CAnnaluxDoc& doc, const std::string& name,
                             const std::vector<SEvent>& events, int width = 200)
{
    auto table = std::make_unique<CYearEvent>();
    table->SetTableName(Sjis(name));
    for (const SEvent& e : events) {
        SEventData rec;
        rec.year = e.year;
        rec.text = Sjis(e.text);
        rec.month = -1; // no date: the text alone
        rec.day = -1;
        table->SetData(rec, true, -1, EP_EVERY);
    }
    CYearEvent* added = doc.AddEventTable(std::move(table));
    CHeaderManager& columns = doc.GetColumns();
    columns.EnsureYearColumn(60);
    columns.Insert(CK_EVENT, added, columns.GetCount(), width);
    return added;
}

// kind is CK_GENGOU or CK_ERA; rows are (name, first, last).
inline CGengouEra* AddEras(CAnnaluxDoc& doc, int kind, const std::string& name,
                           const std::vector<std::tuple<std::string, int32_t, int32_t>>& rows)
{
    auto table = std::make_unique<CGengouEra>();
    table->SetTableName(Sjis(name));
    for (const auto& row : rows)
        table->SetData(Sjis(std::get<0>(row)), std::get<1>(row), std::get<2>(row), "");
    CGengouEra* added = kind == CK_GENGOU ? doc.AddEraNameTable(std::move(table))
                                          : doc.AddPeriodTable(std::move(table));
    CHeaderManager& columns = doc.GetColumns();
    columns.EnsureYearColumn(60);
    columns.Insert(kind, added, columns.GetCount(), 80);
    return added;
}

// Lines of a CR LF text, decoded to UTF-8.
inline std::vector<std::string> Lines(const std::string& sjis)
{
    std::vector<std::string> lines;
    const std::string text = Utf8(sjis);
    size_t pos = 0;
    while (pos < text.size()) {
        const size_t end = text.find("\r\n", pos);
        if (end == std::string::npos) {
            lines.push_back(text.substr(pos));
            break;
        }
        lines.push_back(text.substr(pos, end - pos));
        pos = end + 2;
    }
    return lines;
}

} // namespace exchangetest
