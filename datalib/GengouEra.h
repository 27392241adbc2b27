#pragma once

#include "AnnaluxDataExport.h"
#include "TableBase.h"

#include <cstdint>
#include <string>
#include <vector>

class CTextFileReader;

// One era-name or period row. Texts are Shift-JIS bytes; the name and the
// supplement may hold link markup, the supplement also line breaks (CR LF).
struct ANNALUX_DATA_EXPORT SGengouEraTable
{
    std::string name;
    int32_t startYear = 0; // first Western year of the span
    int32_t endYear = 0;   // last Western year of the span (inclusive)
    std::string supplement;

    bool operator==(const SGengouEraTable& other) const
    {
        return startYear == other.startYear && endYear == other.endYear && name == other.name &&
               supplement == other.supplement;
    }
    bool operator!=(const SGengouEraTable& other) const { return !(*this == other); }
};

// An era-name library (.lgn) or a period library (.ler): named spans of
// Western years kept in ascending start order. The kind given to ReadFile and
// WriteFile decides only the header tag, the dialog texts and the extension.
class ANNALUX_DATA_EXPORT CGengouEra : public CTableBase
{
public:
    using Rows = std::vector<SGengouEraTable>;

    CGengouEra();
    ~CGengouEra() override;
    CGengouEra(const CGengouEra& other);
    CGengouEra& operator=(const CGengouEra& other);

    int GetSize() const { return static_cast<int>(m_rows.size()); }
    // A copy of the row; index must be valid.
    SGengouEraTable GetAt(int index) const;
    // False when index is out of range (out untouched).
    bool GetAt(int index, SGengouEraTable& out) const;
    const Rows& GetGengouEraTable() const { return m_rows; }
    // Writable rows: the caller keeps the start order and the modified flag.
    Rows& GetGengoEraTable() { return m_rows; }

    // Index of the last row whose span contains year; -1 when none.
    int GetIndexFromYear(int32_t year) const;
    // Western year of year eraYear of the era called name (link markup of the
    // stored names ignored); kNoYear when there is no such era, when the
    // year lies after the era's end or outside the 32-bit range.
    int32_t GetWesternYear(const std::string& name, int32_t eraYear) const;
    // Appends every row whose span contains year, in table order; true when
    // out is not empty afterwards.
    bool GetData(int32_t year, Rows& out) const;
    // The first row from start on whose name contains what (year := kNoYear)
    // or, with numbers, one of whose era years contains what as decimal text
    // (year := that Western year). *out gets a copy of the last row looked
    // at. -1 when nothing matches.
    int SearchStr(const std::string& what, SGengouEraTable* out, int32_t& year, int start,
                  bool numbers) const;

    // Adds a row in start order. A row already named name ends the call:
    // true when its years are start and end (nothing changes), else false.
    bool SetData(const std::string& name, int32_t start, int32_t end,
                 const std::string& supplement);
    // Stores row at index (growing the rows when index is past the end); false
    // when the stored row already equals it. The order is not restored.
    bool SetAt(int index, const SGengouEraTable& row);
    // Removes the row (index must be valid); sets modified.
    bool RemoveAt(int index);
    // Removes every row and resets the header fields.
    void ClearAll();

    // kind is HT_GENGOU (.lgn) or HT_PERIOD (.ler); with showErrors false the
    // reader shows no message.
    bool ReadFile(const char* path, EHeaderType kind, bool showErrors);
    bool WriteFile(bool askName, CDocument* doc, EHeaderType kind) override;

    // The file's bytes as WriteFile writes them.
    std::string MakeFileContent(EHeaderType kind) const;
    // Reads the bytes of a file (after it is open); shows nothing. Returns 0
    // on success, else the id of the message to show.
    int ReadContent(CTextFileReader& reader, EHeaderType kind);

private:
    Rows m_rows;
};
