#include "EventData.h"

#include "ShiftJis.h"

#include <charconv>

// A table holds a million records: their size is watched.
static_assert(sizeof(void*) != 8 || sizeof(SEventData) == 32, "SEventData grew");

void SEventData::Initialize()
{
    year = 0;
    text.clear();
    supplement.clear();
    priority = 0;
    month = 0;
    leapMonth = false;
    day = 0;
    rangeFlags = 0;
    otherYear = 0;
}

bool SEventData::operator==(const SEventData& other) const
{
    return year == other.year && text == other.text && supplement == other.supplement &&
           priority == other.priority && month == other.month && leapMonth == other.leapMonth &&
           day == other.day && rangeFlags == other.rangeFlags && otherYear == other.otherYear;
}

int SEventData::DateKey() const
{
    const int m = month == -1 ? 0 : month;
    const int d = day == -1 ? 0 : day;
    return m * 1000 + (leapMonth ? 100 : 0) + d;
}

size_t SEventData::FormatDate(char* out) const
{
    if (month == -1)
        return 0;
    // "月" and "日" are 8C 8E and 93 FA; "閏" is 89 5B. Search and layout
    // ask for the date of every record, so no formatted output here.
    char* p = out;
    if (leapMonth) {
        *p++ = '\x89';
        *p++ = '\x5B';
    }
    p = std::to_chars(p, out + kMaxDateText, static_cast<int>(month)).ptr;
    *p++ = '\x8C';
    *p++ = '\x8E';
    if (day != -1) {
        p = std::to_chars(p, out + kMaxDateText, static_cast<int>(day)).ptr;
        *p++ = '\x93';
        *p++ = '\xFA';
    }
    *p++ = ' ';
    return static_cast<size_t>(p - out);
}

void SEventData::MakeDate(std::string& out) const
{
    char buf[kMaxDateText];
    out.assign(buf, FormatDate(buf));
}

std::string SEventData::MakeDate() const
{
    std::string out;
    MakeDate(out);
    return out;
}

int SEventData::Search(const std::string& what, bool inSupplement, bool matchCase) const
{
    // Both sides go through the Shift-JIS helpers: a byte-wise search would
    // find "ア" (83 41) inside "ャA" (83 83 41), and a byte-wise tolower would
    // turn the trail byte of "ア" into 0x61.
    const std::string needle = matchCase ? what : CShiftJis::ToLowerAscii(what);
    auto contains = [&](const std::string& hay) {
        if (matchCase)
            return CShiftJis::Find(hay, needle) != CShiftJis::npos;
        return CShiftJis::Find(CShiftJis::ToLowerAscii(hay), needle) != CShiftJis::npos;
    };

    int found = 0;
    if (contains(text))
        found |= EDS_TEXT;
    if (inSupplement && contains(supplement))
        found |= EDS_SUPPLEMENT;
    if (contains(MakeDate()))
        found |= EDS_DATE;
    return found;
}
