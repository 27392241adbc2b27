#pragma once

// Builders shared by the view tests: documents made of the sample libraries
// or of events given in the test, with fonts of known size.

#include "AnnaluxDoc.h"
#include "BaseYear.h"
#include "GengouEra.h"
#include "LogFont.h"
#include "Sjis.h"
#include "YearEvent.h"

#include <memory>
#include <string>

namespace viewtest {

// A scalable Japanese font of the given character height.
inline SLogFont Font(int height)
{
    SLogFont f;
    f.lfHeight = -height;
    f.lfWeight = 400;
    f.lfCharSet = SLogFont::kShiftJisCharset;
    f.SetFaceName(Sjis("ＭＳ Ｐゴシック"));
    return f;
}

inline void SetFonts(CAnnaluxDoc& doc, int height)
{
    doc.GetFonts().SetAllFonts(Font(height));
    doc.GetFonts().SetAllColors(0);
}

// The sample chronology: 西暦, 元号, 時代, two event libraries and a base
// year, with widths that fit their texts.
inline bool MakeSampleDoc(CAnnaluxDoc& doc, const std::string& samples)
{
    auto eras = std::make_unique<CGengouEra>();
    auto periods = std::make_unique<CGengouEra>();
    auto japan = std::make_unique<CYearEvent>();
    auto world = std::make_unique<CYearEvent>();
    auto base = std::make_unique<CBaseYear>();
    if (!eras->ReadFile((samples + "/gengou.lgn").c_str(), HT_GENGOU, false) ||
        !periods->ReadFile((samples + "/jidai.ler").c_str(), HT_PERIOD, false) ||
        !japan->ReadFile((samples + "/nihonshi.lev").c_str(), false) ||
        !world->ReadFile((samples + "/sekaishi.lev").c_str(), false) ||
        !base->ReadFile((samples + "/ieyasu.lby").c_str()))
        return false;
    SetFonts(doc, 14);
    CHeaderManager& columns = doc.GetColumns();
    columns.EnsureYearColumn(60);
    columns.Insert(CK_GENGOU, doc.AddEraNameTable(std::move(eras)), 1, 80);
    columns.Insert(CK_ERA, doc.AddPeriodTable(std::move(periods)), 2, 90);
    columns.Insert(CK_EVENT, doc.AddEventTable(std::move(japan)), 3, 380);
    columns.Insert(CK_EVENT, doc.AddEventTable(std::move(world)), 4, 380);
    columns.Insert(CK_BASEYEAR, doc.AddBaseYearTable(std::move(base)), 5, 80);
    // Packed rows: the libraries reach back to -3000, and a row for every
    // empty year in between would greet the user with screens of nothing.
    doc.SetScaleAccuracy(2);
    doc.Notify(CAnnaluxDoc::VN_UPDATE);
    return true;
}

} // namespace viewtest
