#pragma once

#include "GengouEra.h"

#include <cstdint>
#include <string>

// Small text rules the exports of the displayed table share.
class CExchangeText
{
public:
    // A literal of the program (UTF-8 source) in Shift-JIS.
    static std::string Sjis(const char* utf8);
    // A host text (UTF-8) for a Shift-JIS HTML page: a character Shift-JIS
    // cannot hold becomes a numeric character reference.
    static std::string HtmlSjis(const std::string& utf8);

    // The era year of year in an era that starts at start (there is no
    // year 0, so an era begun before year 1 counts one less after it).
    static int64_t EraYear(int32_t start, int32_t year);
    // The first (last) row of table whose span contains year.
    static bool FirstRowContaining(const CGengouEra& table, int32_t year, SGengouEraTable& out);
    static bool LastRowContaining(const CGengouEra& table, int32_t year, SGengouEraTable& out);
};
