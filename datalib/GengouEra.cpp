#include "GengouEra.h"

#include "DataMessages.h"
#include "FieldText.h"
#include "HtmlManage.h"
#include "ShiftJis.h"
#include "TextFileReader.h"

#include <climits>
#include <string>

namespace {

// Era names and the period kind share the class; anything but era names is
// written and asked for as periods.
EHeaderType NormalKind(EHeaderType kind)
{
    return kind == HT_GENGOU ? HT_GENGOU : HT_PERIOD;
}

std::string DoubleQuotes(const std::string& s)
{
    // '"' is never a trail byte, so a plain byte scan is safe.
    std::string out;
    out.reserve(s.size() + 2);
    for (char c : s) {
        if (c == '"')
            out += '"';
        out += c;
    }
    return out;
}

// A field that is read back with \r\n turned into CR LF. A bare LF (as a
// text control may hand over) would end the file's line early and break
// every row after it, so it is stored as a line break too.
std::string EscapeBreaks(const std::string& s)
{
    std::string normal;
    normal.reserve(s.size());
    for (size_t i = 0; i < s.size(); ++i) {
        if (s[i] == '\n' && (i == 0 || s[i - 1] != '\r'))
            normal += '\r';
        normal += s[i];
    }
    return CShiftJis::EscapeLineBreaks(normal);
}

// The smallest positive number whose decimal text contains what, or -1 when
// what is not a digit string (or too long to be a year count).
long long SmallestCountContaining(const std::string& what)
{
    if (what.empty() || what.size() > 11)
        return -1;
    for (char c : what) {
        if (c < '0' || c > '9')
            return -1;
    }
    // A leading zero needs one more digit in front; 1 is the smallest.
    const std::string digits = what[0] == '0' ? "1" + what : what;
    return std::stoll(digits);
}

} // namespace

CGengouEra::CGengouEra() = default;

CGengouEra::~CGengouEra() = default;

CGengouEra::CGengouEra(const CGengouEra& other) : CTableBase(other), m_rows(other.m_rows) {}

CGengouEra& CGengouEra::operator=(const CGengouEra& other)
{
    if (this == &other)
        return *this;
    ClearAll();
    m_rows = other.m_rows;
    CTableBase::operator=(other);
    return *this;
}

SGengouEraTable CGengouEra::GetAt(int index) const
{
    return m_rows[static_cast<size_t>(index)];
}

bool CGengouEra::GetAt(int index, SGengouEraTable& out) const
{
    if (index < 0 || index >= GetSize())
        return false;
    out = m_rows[static_cast<size_t>(index)];
    return true;
}

int CGengouEra::GetIndexFromYear(int32_t year) const
{
    // Rows written through GetGengoEraTable need not be in order, so every
    // row is looked at.
    for (int i = GetSize() - 1; i >= 0; --i) {
        const SGengouEraTable& row = m_rows[static_cast<size_t>(i)];
        if (row.startYear <= year && year <= row.endYear)
            return i;
    }
    return -1;
}

int32_t CGengouEra::GetWesternYear(const std::string& name, int32_t eraYear) const
{
    for (const SGengouEraTable& row : m_rows) {
        if (CHtmlManage::RemoveHtml(row.name) != name)
            continue;
        const long long year = static_cast<long long>(row.startYear) + eraYear - 1;
        if (year > row.endYear || year < INT32_MIN)
            return kNoYear;
        return static_cast<int32_t>(year);
    }
    return kNoYear;
}

bool CGengouEra::GetData(int32_t year, Rows& out) const
{
    for (const SGengouEraTable& row : m_rows) {
        if (row.startYear <= year && year <= row.endYear)
            out.push_back(row);
    }
    return !out.empty();
}

int CGengouEra::SearchStr(const std::string& what, SGengouEraTable* out, int32_t& year, int start,
                          bool numbers) const
{
    // The era years 1, 2, ... of a row are searched as numbers. Rather than
    // trying every one (an open-ended span has two thousand million), take
    // the smallest count that contains what and see whether the span is
    // that long.
    const long long count = numbers ? SmallestCountContaining(what) : -1;
    for (int i = start < 0 ? 0 : start; i < GetSize(); ++i) {
        const SGengouEraTable& row = m_rows[static_cast<size_t>(i)];
        if (out)
            *out = row;
        if (CShiftJis::Find(row.name, what) != CShiftJis::npos) {
            year = kNoYear;
            return i;
        }
        if (count > 0) {
            const long long length = static_cast<long long>(row.endYear) - row.startYear + 1;
            if (count <= length) {
                year = static_cast<int32_t>(row.startYear + count - 1);
                return i;
            }
        }
    }
    return -1;
}

bool CGengouEra::SetData(const std::string& name, int32_t start, int32_t end,
                         const std::string& supplement)
{
    // A name is refused wherever it stands, not only before the insertion
    // point: a second row of one name would be dropped by the next read and
    // the file would change with every save.
    size_t at = m_rows.size();
    for (size_t i = 0; i < m_rows.size(); ++i) {
        const SGengouEraTable& row = m_rows[i];
        if (row.name == name)
            return row.startYear == start && row.endYear == end;
        if (at == m_rows.size() && row.startYear > start)
            at = i;
    }
    SGengouEraTable row;
    row.name = name;
    row.startYear = start;
    row.endYear = end;
    row.supplement = supplement;
    m_rows.insert(m_rows.begin() + static_cast<std::ptrdiff_t>(at), std::move(row));
    m_modified = true;
    return true;
}

bool CGengouEra::SetAt(int index, const SGengouEraTable& row)
{
    if (index < 0)
        return false;
    const size_t at = static_cast<size_t>(index);
    if (at < m_rows.size() && m_rows[at] == row)
        return false;
    if (at >= m_rows.size())
        m_rows.resize(at + 1);
    m_rows[at] = row;
    m_modified = true;
    return true;
}

bool CGengouEra::RemoveAt(int index)
{
    if (index < 0 || index >= GetSize())
        return false;
    m_rows.erase(m_rows.begin() + index);
    m_modified = true;
    return true;
}

void CGengouEra::ClearAll()
{
    m_rows.clear();
    Initialize();
}

bool CGengouEra::ReadFile(const char* path, EHeaderType kind, bool showErrors)
{
    if (!ReadWithFlow(path, NormalKind(kind), showErrors,
                      [this, kind](CTextFileReader& reader) { return ReadContent(reader, kind); }))
        return false;
    m_modified = false;
    return true;
}

int CGengouEra::ReadContent(CTextFileReader& reader, EHeaderType kind)
{
    std::string line;
    if (!reader.ReadLine(line))
        return CDataMessages::ReadFailed;
    std::string tag;
    int version = 0;
    GetTableKindNameAndFileVer(line, tag, version);
    if ((kind == HT_GENGOU || kind == HT_PERIOD) && tag != FileKind(kind).tag)
        return CDataMessages::ReadFailed;

    if (!reader.ReadLine(line))
        return CDataMessages::ReadFailed;
    SetTableName(line);
    if (version >= 1) {
        if (!reader.ReadLine(line))
            return CDataMessages::ReadFailed;
        SetExplanation(CShiftJis::UnescapeLineBreaks(line));
    }

    // name, start, end, supplement. ',' and the digits are never trail bytes,
    // so the commas can be found byte by byte.
    while (reader.ReadLine(line)) {
        std::string name;
        const int p = GetElementFromCSV(line, 0, name);
        if (p < 0)
            return CDataMessages::ReadFailed;
        const size_t afterStart = line.find(',', static_cast<size_t>(p) + 1);
        if (afterStart == std::string::npos)
            return CDataMessages::ReadFailed;
        const size_t afterEnd = line.find(',', afterStart + 1);
        if (afterEnd == std::string::npos)
            return CDataMessages::ReadFailed;
        const int32_t start = ParseInt(line, static_cast<size_t>(p) + 1);
        const int32_t end = ParseInt(line, afterStart + 1);
        std::string supplement;
        GetElementFromCSV(line, static_cast<int>(afterEnd + 1), supplement);
        // A name already present with other years is dropped here; the
        // editor points such clashes out when the user next works on them.
        SetData(name, start, end, CShiftJis::UnescapeLineBreaks(supplement));
    }
    m_modified = false;
    return 0;
}

std::string CGengouEra::MakeFileContent(EHeaderType kind) const
{
    std::string out;
    out += FileKind(NormalKind(kind)).tag;
    out += ", 1\r\n";
    out += CFieldText::OneLine(m_tableName);
    out += "\r\n";
    out += EscapeBreaks(m_explanation);
    out += "\r\n";
    for (const SGengouEraTable& row : m_rows) {
        out += '"';
        out += DoubleQuotes(CFieldText::OneLine(row.name));
        out += "\", ";
        out += std::to_string(row.startYear);
        out += ", ";
        out += std::to_string(row.endYear);
        out += ", \"";
        out += EscapeBreaks(DoubleQuotes(row.supplement));
        out += "\"\r\n";
    }
    return out;
}

bool CGengouEra::WriteFile(bool askName, CDocument* doc, EHeaderType kind)
{
    const EHeaderType k = NormalKind(kind);
    return WriteWithFlow(askName, doc, k, false,
                         [this, k](std::string& out) { out = MakeFileContent(k); });
}
