#pragma once

#include "AnnaluxDataExport.h"
#include "EventData.h"
#include "TableBase.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

class CYearEventTree;

// An event library: the records in list order (normally date order) and the
// questions the view, the editors and the exporters ask of them.
//
// Every indexed access goes through a display priority filter f: a visible
// index counts only the records visible under f, in list order. Per-year
// queries cost O(log n) plus their output, whatever the filter, so that the
// view can ask them for every displayed year.
class ANNALUX_DATA_EXPORT CYearEvent : public CTableBase
{
public:
    CYearEvent();
    ~CYearEvent() override;
    CYearEvent(const CYearEvent& other);
    CYearEvent& operator=(const CYearEvent& other);

    // Number of records, all priorities.
    int GetLen() const;
    // The record at list position i (0 <= i < GetLen()), read-only.
    const SEventData& GetRecord(int listIndex) const;
    // The iteration cursor: the list position GetNextData returns next.
    int GetCurPos() const { return m_cursor; }

    bool GetFirstData(SEventData* out);
    bool GetNextData(SEventData* out);
    bool GetTailData(SEventData* out);

    int GetIndexFromYear(int32_t year, int filter) const;
    int GetNearestYear(int32_t year, int filter) const;
    int32_t GetNextYear(int32_t year, int filter) const;
    int GetNumOfYear(int32_t year, int filter) const;
    // out := the visible records of that year in list order (owned by the
    // table, valid until the table changes). True when at least one. The
    // table indexes years, dates and priorities: change records through
    // SetAt / SetData, never through these pointers.
    bool GetData(int32_t year, std::vector<SEventData*>& out, int filter) const;
    // out := every record in list order (valid until the table changes).
    void GetRecords(std::vector<const SEventData*>& out) const;
    // Appends to out the records from list position start on, at most count
    // of them, in list order (valid until the table changes); returns how
    // many it appended.
    int AppendRecords(int start, int count, std::vector<const SEventData*>& out) const;
    // True when no record has a smaller year than the one before it.
    bool IsSortedByYear() const;
    bool GetAt(int index, SEventData* out, int filter) const;
    bool SetAt(int index, const SEventData* rec, int filter);
    bool RemoveAt(int index, int filter, SEventData* removed);
    void RemoveAll();
    int GetIndexFromEventData(const SEventData& rec, int filter) const;
    // Inserts rec before the first record that sorts after it; false (and
    // nothing inserted) when it belongs at the end. On true the table owns
    // rec (it is moved from).
    bool InsertAtDate(SEventData* rec);
    bool SetData(SEventData rec, bool sorted, int index, int filter);
    bool MoveToAfter(int32_t year, int n, int filter);
    bool MoveToBefore(int32_t year, int n, int filter);
    bool Merge(CYearEvent& other);
    int SearchStr(const std::string& what, int32_t& year, int32_t from, int32_t to, int filter,
                  int start) const;

    // Earliest and latest year of any record (kNoneYear when empty).
    int32_t GetMinYear() const;
    int32_t GetMaxYear() const;

    // The event library file (.lev).
    bool ReadFile(const char* path, bool sorted);
    bool WriteFile(bool askName, CDocument* doc, EHeaderType kind) override;
    // The file's bytes as WriteFile writes them (header and every record).
    std::string MakeFileContent() const;
    // Reads the bytes of a .lev file (as from ReadFile, after the file is
    // open); shows no message. Returns 0 on success, else the message id.
    int ReadContent(CTextFileReader& reader, bool sorted);

    // The message of refused moves (Shift-JIS would not do: it is shown).
    static const char* MoveRefusedMessage();

private:
    // What a move either way does: the record that lies steps visible records
    // into year's run trades places with the record after it.
    bool SwapInYear(int32_t year, int steps, int filter);

    std::unique_ptr<CYearEventTree> m_tree;
    int m_cursor = 0;
};
