#pragma once

#include "EventData.h"
#include "GengouEra.h"

#include <QString>

#include <cstdint>
#include <string>
#include <vector>

class CAnnaluxDoc;
class CDataCoord;
class CHeaderManager;
class CHitList;
class CTableBase;
class CYearEvent;
struct SViewHit;

// What lies under a point of the view: the column and, when there is one,
// the datum. Filled by every hit test and read by the commands that follow
// (edit, delete, move, copy, supplement).
struct SDatumHit
{
    int column = -1; // index in the document's columns, -1 none
    int kind = 0;    // column kind (EColumnKind)
    CTableBase* table = nullptr;
    bool found = false;        // a datum lies under the point
    int32_t year = 2147483647; // the event's year, or the year under the point
    int position = 0;          // events: position among the shown events of the year
    int eventIndex = -1;       // events: visible index in the library
    SEventData event;          // events: a copy of the record
    int eraRow = -1;           // era names and periods: the row covering the year
    SGengouEraTable eraData;   // that row
    std::string supplement;    // Shift-JIS; empty when the datum has none
    bool canMoveUp = false;
    bool canMoveDown = false;
};

// The view's hit tests and the texts it derives from a datum, apart from the
// widget so that they can be asked directly.
class CViewInteraction
{
public:
    // Tool tips show at most this many bytes of a supplement.
    static constexpr size_t kTipBytes = 256;
    // How far the year indicator stands right of the cursor.
    static constexpr int kIndicatorOffset = 20;
    // Rows one Page Up / Page Down moves.
    static constexpr int kPageRows = 20;
    // The status text over a supplement mark (UTF-8).
    static const char* const kSupplementStatus;

    // The first column with left <= x < left + width; -1 when none.
    static int HitColumn(const CHeaderManager& columns, int64_t x);

    // Column and datum at layout x and data-area y (0 = just below the
    // header). The move flags are filled for events.
    static SDatumHit HitDatum(CAnnaluxDoc& doc, CDataCoord& coord, int64_t x, int64_t dataY);

    // Whether the position-th shown event of year may move up / down: only
    // past an undated neighbour (or when it is undated itself), never out of
    // its year.
    static void MoveFlags(const CYearEvent& table, int32_t year, int position, int filter, bool& up,
                          bool& down);

    // The tool tip of a range mark ("1600年から" ..., UTF-8); empty for flags
    // that select no description.
    static QString RangeDescription(uint32_t flags, int32_t otherYear);

    // A supplement as a one-line tip: markup and line breaks dropped, cut to
    // kTipBytes, or one byte more when a double-byte character straddles
    // the limit, so no character is split (Shift-JIS in and out).
    static std::string SupplementTip(const std::string& sjis);

    // The link under the content point (x, y): a rectangle no taller than a
    // row is hit with its edges; a wrapped one only inside the column under
    // the point, along the lines it runs through. Null when none.
    static const SViewHit* FindLink(const CHitList& links, const CHeaderManager& columns,
                                    int rowHeight, int64_t x, int64_t y);
    // The supplement mark under the point (edges included), or null.
    static const SViewHit* FindMark(const CHitList& marks, int64_t x, int64_t y);
};
