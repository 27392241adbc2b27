#include "BaseYear.h"

#include "DataMessages.h"
#include "FieldText.h"
#include "ShiftJis.h"
#include "TextFileReader.h"

#include <algorithm>
#include <climits>
#include <string>

namespace {

const int kFileVersion = 5;

long long Pow10(int n)
{
    long long p = 1;
    while (n-- > 0)
        p *= 10;
    return p;
}

int DecimalLength(long long v)
{
    int n = 1;
    while (v >= 10) {
        v /= 10;
        ++n;
    }
    return n;
}

// The smallest number of exactly len digits that is >= lo and has the digit
// string digits at position at; -1 when there is none.
long long SmallestWithDigitsAt(long long lo, int len, int at, const std::string& digits)
{
    const long long least = len == 1 ? 0 : Pow10(len - 1);
    const long long bound = std::max(lo, least);
    if (bound >= Pow10(len))
        return -1;
    const std::string s = std::to_string(bound);
    const int k = static_cast<int>(digits.size());
    auto fixed = [&](int i) {
        return i >= at && i < at + k ? digits[static_cast<size_t>(i - at)] : 0;
    };

    bool fits = true;
    for (int i = 0; i < len && fits; ++i)
        fits = !fixed(i) || fixed(i) == s[static_cast<size_t>(i)];
    if (fits)
        return bound;

    // Keep the longest prefix of bound that the pattern allows, raise the
    // next digit and fill the rest as low as the pattern allows.
    for (int i = len - 1; i >= 0; --i) {
        bool prefix = true;
        for (int j = 0; j < i && prefix; ++j)
            prefix = !fixed(j) || fixed(j) == s[static_cast<size_t>(j)];
        if (!prefix)
            continue;
        char c;
        if (fixed(i)) {
            if (fixed(i) <= s[static_cast<size_t>(i)])
                continue;
            c = fixed(i);
        } else {
            if (s[static_cast<size_t>(i)] == '9')
                continue;
            c = static_cast<char>(s[static_cast<size_t>(i)] + 1);
        }
        std::string r = s.substr(0, static_cast<size_t>(i)) + c;
        for (int j = i + 1; j < len; ++j)
            r += fixed(j) ? fixed(j) : '0';
        return std::stoll(r);
    }
    return -1;
}

// The smallest v >= lo (lo >= 0) whose decimal text contains what; -1 when
// what is not a digit string or no such v has fewer than 19 digits.
long long SmallestContaining(long long lo, const std::string& what)
{
    if (what.empty())
        return lo;
    for (char c : what) {
        if (c < '0' || c > '9')
            return -1;
    }
    const int k = static_cast<int>(what.size());
    for (int len = std::max(DecimalLength(lo), k); len <= 18; ++len) {
        long long best = -1;
        for (int at = 0; at + k <= len; ++at) {
            if (at == 0 && len > 1 && what[0] == '0')
                continue;
            const long long v = SmallestWithDigitsAt(lo, len, at, what);
            if (v >= 0 && (best < 0 || v < best))
                best = v;
        }
        if (best >= 0)
            return best;
    }
    return -1;
}

template <typename T> void Store(T& field, const T& value, bool& modified)
{
    if (field != value) {
        field = value;
        modified = true;
    }
}

} // namespace

CBaseYear::CBaseYear() = default;

CBaseYear::~CBaseYear() = default;

CBaseYear::CBaseYear(const CBaseYear& other) = default;

CBaseYear& CBaseYear::operator=(const CBaseYear& other) = default;

void CBaseYear::SetBaseWesternYear(int32_t year)
{
    Store(m_baseYear, year, m_modified);
}

void CBaseYear::SetEndWesternYear(int32_t year)
{
    Store(m_endYear, year, m_modified);
}

void CBaseYear::SetKazoe(bool on)
{
    Store(m_kazoe, on, m_modified);
}

void CBaseYear::SetSupplement(const std::string& text)
{
    Store(m_supplement, text, m_modified);
}

void CBaseYear::SetDisplayMinus(bool on)
{
    Store(m_displayMinus, on, m_modified);
}

void CBaseYear::SetMinus1(bool on)
{
    Store(m_minus1, on, m_modified);
}

void CBaseYear::SetEndYearPlus(bool on)
{
    Store(m_endYearPlus, on, m_modified);
}

void CBaseYear::SetEndYearKaiki(bool on)
{
    Store(m_endYearKaiki, on, m_modified);
}

void CBaseYear::SetBeginYearQuest(bool on)
{
    Store(m_beginYearQuest, on, m_modified);
}

void CBaseYear::SetEndYearQuest(bool on)
{
    Store(m_endYearQuest, on, m_modified);
}

int64_t CBaseYear::GetDiffWesternYear() const
{
    if (m_endYear == kNoYear)
        return kNoYear;
    return static_cast<int64_t>(m_endYear) - m_baseYear;
}

bool CBaseYear::IsYearRange(int32_t year) const
{
    return m_baseYear <= year && year <= m_endYear;
}

bool CBaseYear::MakeBaseYearStr(int32_t year, std::string& out) const
{
    const int64_t y = year;
    const int64_t b = m_baseYear;
    const int64_t e = m_endYear;
    const bool hasEnd = m_endYear != kNoYear;
    int64_t d = y - b;

    if (hasEnd && d > e - b) {
        if (!m_endYearPlus)
            return false;
        int64_t n = y - e;
        // Counted across the missing year 0 like the years before the end.
        if (e < 0 && y > 0)
            --n;
        if (m_endYearKaiki && n >= 2)
            ++n;
        if (n > INT32_MAX)
            return false;
        out = "+" + std::to_string(n) + (m_endYearQuest ? "?" : "");
        return true;
    }
    if (!m_displayMinus && d < 0)
        return false;
    if (m_kazoe)
        ++d;
    // There is no year 0: a span across it is one year shorter.
    if (b < 0 && y > 0)
        --d;
    else if (b > 0 && y < 0)
        ++d;
    if (m_minus1 && m_kazoe && d <= 0)
        --d;
    if (m_endYearQuest && hasEnd && y == e) {
        out = "--";
        return true;
    }
    if (d > INT32_MAX || d < INT32_MIN)
        return false;
    out = std::to_string(d) + (m_beginYearQuest ? "?" : "");
    return true;
}

int CBaseYear::SearchStr(const std::string& what, int32_t from, int32_t to, int32_t& year,
                         int start) const
{
    const int64_t b = m_baseYear;
    const int64_t k = m_kazoe ? 1 : 0;
    int64_t last = std::min<int64_t>(to, m_endYear) - b;
    // Counts beyond the 32-bit range get no label, so they are not searched.
    last = std::min<int64_t>(last, INT32_MAX - k);
    int64_t first = start == -1 ? std::max<int64_t>(static_cast<int64_t>(from) - b, 0) : start;
    // Offsets before the base year are never part of the search.
    first = std::max<int64_t>(first, 0);
    if (first > last)
        return -1;
    const long long count = SmallestContaining(first + k, what);
    if (count < 0 || count > last + k)
        return -1;
    const int64_t offset = count - k;
    year = static_cast<int32_t>(b + offset);
    return static_cast<int>(offset);
}

bool CBaseYear::ReadFile(const char* path)
{
    if (!ReadWithFlow(path, HT_BASEYEAR, true,
                      [this](CTextFileReader& reader) { return ReadContent(reader); }))
        return false;
    m_modified = false;
    return true;
}

int CBaseYear::ReadContent(CTextFileReader& reader)
{
    std::string line;
    if (!reader.ReadLine(line))
        return CDataMessages::InvalidFormat;
    std::string tag;
    int version = 0;
    GetTableKindNameAndFileVer(line, tag, version);
    if (tag != FileKind(HT_BASEYEAR).tag)
        return CDataMessages::InvalidFormat;

    if (!reader.ReadLine(line))
        return CDataMessages::InvalidFormat;
    m_tableName = line;

    int32_t* const years[] = {&m_baseYear, &m_endYear};
    for (int32_t* field : years) {
        if (!reader.ReadLine(line))
            return CDataMessages::InvalidFormat;
        *field = ParseInt(line);
    }
    // Switches in file order, each present from the version noted.
    struct SSwitch
    {
        bool* field;
        int since;
    };
    const SSwitch switches[] = {
        {&m_kazoe, 0},        {&m_displayMinus, 1},   {&m_minus1, 2},       {&m_endYearPlus, 3},
        {&m_endYearKaiki, 4}, {&m_beginYearQuest, 5}, {&m_endYearQuest, 5},
    };
    for (const SSwitch& s : switches) {
        if (version < s.since)
            continue;
        if (!reader.ReadLine(line))
            return CDataMessages::InvalidFormat;
        *s.field = ParseInt(line) != 0;
    }

    m_supplement.clear();
    if (reader.ReadLine(line)) {
        m_supplement = CShiftJis::ReplaceAll(CShiftJis::UnescapeLineBreaks(line), "\"\"", "\"");
    }
    m_modified = false;
    return 0;
}

std::string CBaseYear::MakeFileContent() const
{
    std::string out;
    out += FileKind(HT_BASEYEAR).tag;
    out += "," + std::to_string(kFileVersion) + "\r\n";
    out += CFieldText::OneLine(m_tableName) + "\r\n";
    out += std::to_string(m_baseYear) + "\r\n";
    out += std::to_string(m_endYear) + "\r\n";
    for (bool on : {m_kazoe, m_displayMinus, m_minus1, m_endYearPlus, m_endYearKaiki,
                    m_beginYearQuest, m_endYearQuest})
        out += on ? "1\r\n" : "0\r\n";
    if (!m_supplement.empty()) {
        // A bare LF would end the line early; it is kept as a line break.
        std::string normal;
        for (size_t i = 0; i < m_supplement.size(); ++i) {
            const char c = m_supplement[i];
            if (c == '\n' && (i == 0 || m_supplement[i - 1] != '\r'))
                normal += '\r';
            if (c == '"')
                normal += '"';
            normal += c;
        }
        out += CShiftJis::EscapeLineBreaks(normal);
    }
    return out;
}

bool CBaseYear::WriteFile(bool askName, CDocument* doc, EHeaderType)
{
    return WriteWithFlow(askName, doc, HT_BASEYEAR, false,
                         [this](std::string& out) { out = MakeFileContent(); });
}
