#pragma once

#include "TableBase.h"

#include <string>

// Some text lines of a library file are read whole rather than through the
// field codec (the era and period name and explanation, the base-year name
// and supplement). Split at commas by a CSV
// round trip they would come back changed, so the CSV export writes each of
// them as one field and the CSV import turns that field back into the line.
class CWholeLineText
{
public:
    enum EForm : int
    {
        NotWhole = 0,     // an ordinary line of fields
        PlainText = 1,    // the text as it is
        QuoteDoubled = 2, // the text with each double quote doubled
    };

    // How line lineNumber (1 = the header) of a library of that kind and
    // version holds its text.
    static int FormOf(EHeaderType kind, int version, int lineNumber);
    // The CSV field of such a line: escaped line breaks become real ones, and
    // the field is quoted when it needs to be.
    static std::string ToCsvField(const std::string& line, int form);
    // The library line of a CSV line (after its line breaks were escaped
    // again). A line that is not one well-formed quoted field is taken as it
    // is, so that a library file itself stays valid input.
    static std::string FromCsvLine(const std::string& line, int form);
    // The escaped line breaks (\r\n) of a library text as the real ones of a
    // CSV field: LF, as spreadsheets write them. After a CR that is part of
    // the text, CR LF, since the import takes a CR LF pair for one break and
    // the bare CR would otherwise merge into it.
    static std::string RealLineBreaks(const std::string& text);
};
