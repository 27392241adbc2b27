#pragma once

#include "AnnaluxDataExport.h"
#include "TableBase.h"

#include <cstdint>
#include <string>

class CTextFileReader;

// A base-year library (.lby): one reference year (and an optional end year)
// and the switches that turn a Western year into a label counted from it,
// such as a person's age.
class ANNALUX_DATA_EXPORT CBaseYear : public CTableBase
{
public:
    CBaseYear();
    ~CBaseYear() override;
    CBaseYear(const CBaseYear& other);
    CBaseYear& operator=(const CBaseYear& other);

    // Every setter sets the modified flag only when the value changes.
    int32_t GetBaseWesternYear() const { return m_baseYear; }
    void SetBaseWesternYear(int32_t year);
    // kNoYear: no end year.
    int32_t GetEndWesternYear() const { return m_endYear; }
    void SetEndWesternYear(int32_t year);
    // The start year counts as year 1.
    bool GetKazoe() const { return m_kazoe; }
    void SetKazoe(bool on);
    void GetSupplement(std::string& out) const { out = m_supplement; }
    const std::string& GetSupplement() const { return m_supplement; }
    void SetSupplement(const std::string& text);
    // Years before the start year get (negative) labels too.
    bool GetDisplayMinus() const { return m_displayMinus; }
    void SetDisplayMinus(bool on);
    // With Kazoe, the year before the start is -1 rather than 0.
    bool GetMinus1() const { return m_minus1; }
    void SetMinus1(bool on);
    // Years after the end year get "+n" labels.
    bool GetEndYearPlus() const { return m_endYearPlus; }
    void SetEndYearPlus(bool on);
    // Memorial counting after the end year: +1 is followed by +3.
    bool GetEndYearKaiki() const { return m_endYearKaiki; }
    void SetEndYearKaiki(bool on);
    // A "?" follows every label within the range.
    bool GetBeginYearQuest() const { return m_beginYearQuest; }
    void SetBeginYearQuest(bool on);
    // The end year is labelled "--" and a "?" follows every "+n" label.
    bool GetEndYearQuest() const { return m_endYearQuest; }
    void SetEndYearQuest(bool on);

    // kNoYear without an end year, else end year - base year (64 bits).
    int64_t GetDiffWesternYear() const;
    // base year <= year <= end year.
    bool IsYearRange(int32_t year) const;
    // The label of year; false (out untouched) when the year gets none.
    bool MakeBaseYearStr(int32_t year, std::string& out) const;
    // The first offset i (from start, or from max(from - base, 0) when start
    // is -1, up to min(to, end) - base) whose plain count (i, or i + 1 with
    // Kazoe) contains what as decimal text; year := base + i. -1 when none.
    int SearchStr(const std::string& what, int32_t from, int32_t to, int32_t& year,
                  int start) const;

    bool ReadFile(const char* path);
    // kind is not used: a base-year library is always written as such.
    bool WriteFile(bool askName, CDocument* doc, EHeaderType kind) override;

    // The file's bytes as WriteFile writes them.
    std::string MakeFileContent() const;
    // Reads the bytes of a file (after it is open); shows nothing. Returns 0
    // on success, else the id of the message to show.
    int ReadContent(CTextFileReader& reader);

private:
    int32_t m_baseYear = 0;
    int32_t m_endYear = kNoYear;
    bool m_kazoe = false;
    std::string m_supplement;
    bool m_displayMinus = false;
    bool m_minus1 = false;
    bool m_endYearPlus = false;
    bool m_endYearKaiki = false;
    bool m_beginYearQuest = false;
    bool m_endYearQuest = false;
};
