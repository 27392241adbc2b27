#pragma once

#include "AnnaluxDataExport.h"
#include "RecordText.h"

#include <cstddef>
#include <cstdint>
#include <string>

// Display priority filter: a record is visible under filter f when f is 3 or
// its priority is <= f.
enum EEventPriority : int {
    EP_HIGH = 0,   // high only
    EP_MIDDLE = 1, // high and middle
    EP_ALL = 2,    // all
    EP_EVERY = 3,  // every record regardless of the view (reading, merging)
};

// Where SEventData::Search found the text (bit set; 0 = not found).
enum EventDataSearch : int {
    EDS_TEXT = 0x1,
    EDS_SUPPLEMENT = 0x2,
    EDS_DATE = 0x4,
};

// rangeFlags bits.
enum : uint32_t {
    RANGE_FROM = 0x1,              // "から": lasts from this year on
    RANGE_UNTIL = 0x2,             // "まで": lasts until this year
    RANGE_ABOUT = 0x100,           // "頃": the year is approximate
    RANGE_OTHER_YEAR_ABOUT = 0x200 // otherYear is approximate
};

// One event record. Texts are Shift-JIS bytes.
// The small fields come first and together, narrowed to what can reach them,
// and each text is one pointer: a table holds a million of these, 32 bytes
// each. Month and day keep 16 bits, as files carry any 16-bit value there;
// a priority is 0..2 from files and the editor (anything above 2 is the
// class shown under no filter but EP_EVERY); range flags are the RANGE_ bits.
struct ANNALUX_DATA_EXPORT SEventData
{
    int32_t year;
    int32_t otherYear; // 0 none
    int16_t month;     // 1..12, -1 none
    int16_t day;       // -1 none
    uint16_t rangeFlags;
    int8_t priority;   // 0 high, 1 middle, 2 low
    bool leapMonth;
    CRecordText text;
    CRecordText supplement;

    SEventData() { Initialize(); }
    void Initialize();

    bool operator==(const SEventData& other) const;
    bool operator!=(const SEventData& other) const { return !(*this == other); }

    // Visible under priority filter f.
    bool IsVisible(int filter) const { return filter >= EP_EVERY || priority <= filter; }
    // month' * 1000 + (100 if leap) + day', with -1 taken as 0.
    int DateKey() const;

    // The date text: "" without a month, "%d月 " or "%d月%d日 ", "閏" in
    // front for a leap month (Shift-JIS).
    void MakeDate(std::string& out) const;
    std::string MakeDate() const;
    // The same date text written into out, which has room for kMaxDateText
    // bytes; returns its length. Allocates nothing.
    static constexpr size_t kMaxDateText = 24;
    size_t FormatDate(char* out) const;
    // Bits of EventDataSearch for every place that contains what.
    int Search(const std::string& what, bool inSupplement, bool matchCase) const;
};
