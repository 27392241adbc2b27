#pragma once

#include "GengouEra.h"
#include "Sjis.h"
#include "YearEvent.h"

#include <string>
#include <vector>

// A library's contents as one value, for assertions.

// Every record of an event table in its order.
inline std::vector<SEventData> Records(const CYearEvent& table)
{
    std::vector<SEventData> out;
    for (int i = 0; i < table.GetLen(); ++i)
        out.push_back(table.GetRecord(i));
    return out;
}

// The names of an era-name or period table in its order, in UTF-8.
inline std::vector<std::string> Names(const CGengouEra& table)
{
    std::vector<std::string> out;
    for (const SGengouEraTable& r : table.GetGengouEraTable())
        out.push_back(Utf8(r.name));
    return out;
}
