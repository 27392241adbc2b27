// The event library file (.lev): reading versions 0 to 7, writing version 7.

#include "YearEvent.h"

#include "DataMessages.h"
#include "ShiftJis.h"
#include "TextFileReader.h"
#include "YearEventTree.h"

#include <charconv>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>
#include <utility>

namespace {

// The version this program writes; older versions lack trailing header lines
// and record fields (see ParseRecord).
constexpr int kWrittenVersion = 7;

const char* const kFrom = "\x82\xA9\x82\xE7";  // から
const char* const kUntil = "\x82\xDC\x82\xC5"; // まで
const char* const kWideQuestion = "\x81\x48";  // ？
const char* const kEscapedBreak = "\\r\\n";

bool IsBlank(char c)
{
    return c == ' ' || c == '\t';
}

bool IsSpace(char c)
{
    return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\v' || c == '\f';
}

// Where a field's bytes begin: past the blanks and an opening quote. False
// when the line has no field left at start.
struct SFieldStart
{
    const char* r = nullptr; // the line from start on
    size_t len = 0;
    size_t j = 0; // the first byte of the field's value
    bool quoted = false;
};

bool BeginField(const std::string& line, size_t start, SFieldStart& f)
{
    if (start >= line.size())
        return false;
    f.r = line.data() + start;
    f.len = line.size() - start;
    if (f.len == 1 && f.r[0] == '\r')
        return false;
    f.j = 0;
    while (f.j < f.len && IsBlank(f.r[f.j]))
        ++f.j;
    f.quoted = f.j < f.len && f.r[f.j] == '"';
    if (f.quoted)
        ++f.j;
    return true;
}

// Reads one field exactly as CTableBase::GetElementFromCSV does, but into a
// buffer the caller reuses, copying runs of plain bytes in one go: a large
// library has millions of fields. '"' and ',' are never trail bytes, so the
// byte scan is safe for Shift-JIS.
int ReadCsvField(const std::string& line, size_t start, std::string& out)
{
    SFieldStart f;
    if (!BeginField(line, start, f))
        return -1;
    const char* r = f.r;
    const size_t len = f.len;
    const bool quoted = f.quoted;
    size_t j = f.j;
    out.clear();
    while (j < len) {
        size_t k = j;
        while (k < len && r[k] != '"' && (quoted || r[k] != ','))
            ++k;
        out.append(r + j, k - j);
        j = k;
        if (j >= len)
            break;
        if (r[j] == '"' && j + 1 < len && r[j + 1] == '"') {
            out += '"';
            j += 2;
            continue;
        }
        if (quoted && r[j] == '"') {
            // Whatever stands between the closing quote and the next comma is
            // dropped.
            const void* comma = std::memchr(r + j, ',', len - j);
            if (comma)
                j = static_cast<size_t>(static_cast<const char*>(comma) - r);
            break;
        }
        if (!quoted && r[j] == ',')
            break;
        out += r[j]; // a lone quote inside an unquoted field is plain text
        ++j;
    }

    size_t b = out.size();
    while (b > 0 && IsSpace(out[b - 1]))
        --b;
    out.resize(b);
    size_t a = 0;
    while (a < out.size() && IsSpace(out[a]))
        ++a;
    if (a > 0)
        out.erase(0, a);
    return static_cast<int>(start + j);
}

std::string_view Trimmed(const char* p, size_t n)
{
    while (n > 0 && IsSpace(p[n - 1]))
        --n;
    while (n > 0 && IsSpace(*p)) {
        ++p;
        --n;
    }
    return std::string_view(p, n);
}

// ReadCsvField for a text field, without copying it where the field is its
// bytes on the line (no doubled or stray quote): field then points into line,
// else into scratch.
int ReadCsvFieldView(const std::string& line, size_t start, std::string& scratch,
                     std::string_view& field)
{
    SFieldStart f;
    if (!BeginField(line, start, f))
        return -1;
    const char* r = f.r;
    const size_t len = f.len;
    const bool quoted = f.quoted;
    const size_t j = f.j;
    size_t k = j;
    while (k < len && r[k] != '"' && (quoted || r[k] != ','))
        ++k;
    if (k == len || (!quoted && r[k] == ',')) {
        field = Trimmed(r + j, k - j);
        return static_cast<int>(start + k);
    }
    if (quoted && !(k + 1 < len && r[k + 1] == '"')) {
        // The closing quote; whatever stands between it and the next comma is
        // dropped.
        field = Trimmed(r + j, k - j);
        const void* comma = std::memchr(r + k, ',', len - k);
        if (comma)
            k = static_cast<size_t>(static_cast<const char*>(comma) - r);
        return static_cast<int>(start + k);
    }
    const int end = ReadCsvField(line, start, scratch);
    field = scratch;
    return end;
}

// The fields of one record line after the year. A field exists only when the
// previous one ended at a comma; a line that runs out early is malformed
// rather than a record of made-up values.
class CRecordFields
{
public:
    CRecordFields(const std::string& line, size_t firstComma) : m_line(line), m_end(firstComma) {}

    bool Next(std::string& out)
    {
        std::string_view field;
        if (!NextText(m_fallback, field))
            return false;
        out.assign(field.data(), field.size());
        return true;
    }

    // The same for a text, which may point into the line (see
    // ReadCsvFieldView).
    bool NextText(std::string& scratch, std::string_view& out)
    {
        if (m_end >= m_line.size() || m_line[m_end] != ',')
            return false;
        int next = ReadCsvFieldView(m_line, m_end + 1, scratch, out);
        if (next < 0) {
            out = std::string_view();
            m_end = m_line.size();
        } else {
            m_end = static_cast<size_t>(next);
        }
        return true;
    }

    bool NextInt(std::string& scratch, int32_t& value)
    {
        if (!Next(scratch))
            return false;
        value = CTableBase::ParseInt(scratch);
        return true;
    }

private:
    const std::string& m_line;
    size_t m_end; // where the previous field ended
    std::string m_fallback;
};

bool StartsWith(const std::string& s, const char* prefix)
{
    const size_t n = std::strlen(prefix);
    return s.size() >= n && std::memcmp(s.data(), prefix, n) == 0;
}

// The other year: an unsigned 32-bit number whose base follows its prefix
// (0x hexadecimal, a leading 0 octal, else decimal) after optional white space
// and a sign; a minus negates it modulo 2^32 and a value too large for 32 bits
// reads as all ones. Older programs wrote it that way, so it is read that way.
uint32_t ParseOtherYear(const std::string& s)
{
    size_t i = 0;
    while (i < s.size() && IsSpace(s[i]))
        ++i;
    bool negative = false;
    if (i < s.size() && (s[i] == '+' || s[i] == '-')) {
        negative = s[i] == '-';
        ++i;
    }
    auto digit = [](char c) -> int {
        if (c >= '0' && c <= '9')
            return c - '0';
        if (c >= 'a' && c <= 'f')
            return c - 'a' + 10;
        if (c >= 'A' && c <= 'F')
            return c - 'A' + 10;
        return 99;
    };
    unsigned base = 10;
    if (i < s.size() && s[i] == '0') {
        if (i + 2 < s.size() && (s[i + 1] == 'x' || s[i + 1] == 'X') && digit(s[i + 2]) < 16) {
            base = 16;
            i += 2;
        } else {
            base = 8;
        }
    }
    uint64_t value = 0;
    bool overflow = false;
    for (; i < s.size(); ++i) {
        int d = digit(s[i]);
        if (d >= static_cast<int>(base))
            break;
        value = value * base + static_cast<unsigned>(d);
        if (value > UINT32_MAX) {
            overflow = true;
            value = UINT32_MAX; // keeps the product in range while the digits run on
        }
    }
    if (overflow)
        return UINT32_MAX;
    uint32_t result = static_cast<uint32_t>(value);
    return negative ? static_cast<uint32_t>(0u - result) : result;
}

int16_t Low16(int32_t v)
{
    return static_cast<int16_t>(static_cast<uint16_t>(static_cast<uint32_t>(v)));
}

// The texts of a record line as read, before they go into the record.
struct SRecordTexts
{
    std::string_view text;
    std::string_view supplement;
    std::string textScratch;
    std::string supplementScratch;
};

// Reads one record line of the given version into rec, its texts into texts.
// False when the line is malformed (no comma, or fewer fields than the version
// has).
bool ParseRecord(const std::string& line, int version, std::string& scratch, SEventData& rec,
                 SRecordTexts& texts)
{
    const void* comma = std::memchr(line.data(), ',', line.size());
    if (!comma)
        return false;
    const size_t firstComma = static_cast<size_t>(static_cast<const char*>(comma) - line.data());
    // ParseInt stops at the first byte that is not a digit, at the latest at
    // that comma.
    rec.year = CTableBase::ParseInt(line);

    CRecordFields fields(line, firstComma);
    int32_t value = 0;
    if (version >= 2) {
        if (!fields.NextInt(scratch, value))
            return false;
        rec.month = Low16(value);
        if (!fields.NextInt(scratch, value))
            return false;
        rec.day = Low16(value);
    } else {
        rec.month = -1;
        rec.day = -1;
    }

    if (!fields.NextText(texts.textScratch, texts.text) ||
        !fields.NextText(texts.supplementScratch, texts.supplement))
        return false;
    // The escape is searched character by character: 0x5C is also the trail
    // byte of many kanji (表 is 95 5C).
    if (!texts.supplement.empty() &&
        std::memchr(texts.supplement.data(), '\\', texts.supplement.size())) {
        texts.supplementScratch = CShiftJis::UnescapeLineBreaks(std::string(texts.supplement));
        texts.supplement = texts.supplementScratch;
    }

    rec.priority = 0;
    if (version >= 1) {
        if (!fields.NextInt(scratch, value))
            return false;
        rec.priority = static_cast<int8_t>((value < 0 || value > 2) ? 0 : value);
    }

    rec.leapMonth = false;
    if (version >= 5) {
        if (!fields.Next(scratch))
            return false;
        rec.leapMonth = scratch == "1";
    }

    rec.rangeFlags = 0;
    if (version >= 6) {
        if (!fields.Next(scratch))
            return false;
        if (StartsWith(scratch, kFrom))
            rec.rangeFlags = RANGE_FROM;
        else if (StartsWith(scratch, kUntil))
            rec.rangeFlags = RANGE_UNTIL;
        // '?' (0x3F) is never a trail byte; the full-width one needs a
        // character-aware search.
        if (scratch.find('?') != std::string::npos ||
            CShiftJis::Find(scratch, kWideQuestion) != CShiftJis::npos)
            rec.rangeFlags |= RANGE_ABOUT;
    }

    rec.otherYear = 0;
    if (version >= 7) {
        if (!fields.Next(scratch))
            return false;
        rec.otherYear = static_cast<int32_t>(ParseOtherYear(scratch));
        if (scratch.find('?') != std::string::npos)
            rec.rangeFlags |= RANGE_OTHER_YEAR_ABOUT;
    }
    return true;
}

void AppendInt(std::string& out, long long v)
{
    char buf[24];
    auto res = std::to_chars(buf, buf + sizeof buf, v);
    out.append(buf, static_cast<size_t>(res.ptr - buf));
}

// A text field: in double quotes, quotes doubled. Line breaks are dropped, as
// a record must stay on one line and the reader does not unescape this field.
void AppendQuotedText(std::string& out, const std::string& text)
{
    out += '"';
    const char* p = text.data();
    const char* end = p + text.size();
    while (p < end) {
        const char* q = p;
        while (q < end && *q != '"' && *q != '\r' && *q != '\n')
            ++q;
        out.append(p, static_cast<size_t>(q - p));
        if (q == end)
            break;
        if (*q == '"')
            out += "\"\"";
        p = q + 1;
    }
    out += '"';
}

// Appends text with every line break as the four characters \r\n. A bare CR
// or LF is a line break too (text pasted from elsewhere may carry them) and
// would otherwise split the line in the file. CR and LF are never trail
// bytes. With quote, the text is put in double quotes, quotes doubled.
void AppendEscaped(std::string& out, const std::string& text, bool quote)
{
    if (quote)
        out += '"';
    const char* p = text.data();
    const char* end = p + text.size();
    while (p < end) {
        const char* q = p;
        while (q < end && *q != '\r' && *q != '\n' && !(quote && *q == '"'))
            ++q;
        out.append(p, static_cast<size_t>(q - p));
        if (q == end)
            break;
        if (*q == '"') {
            out += "\"\"";
            p = q + 1;
        } else {
            out += kEscapedBreak;
            p = (*q == '\r' && q + 1 < end && q[1] == '\n') ? q + 2 : q + 1;
        }
    }
    if (quote)
        out += '"';
}

// A header line, which is read back through the field codec. Any quote makes
// the field quoted: in an unquoted field the codec turns a doubled quote into
// one.
std::string HeaderField(const std::string& text)
{
    if (text.find('"') == std::string::npos)
        return CTableBase::QuoteHeaderField(text);
    std::string out;
    out.reserve(text.size() + 8);
    AppendEscaped(out, text, true);
    return out;
}

std::string WithoutLineBreaks(const std::string& text)
{
    std::string out;
    out.reserve(text.size());
    for (char c : text) {
        if (c != '\r' && c != '\n')
            out += c;
    }
    return out;
}

} // namespace

bool CYearEvent::ReadFile(const char* path, bool sorted)
{
    return ReadWithFlow(path, HT_EVENT, true, [this, sorted](CTextFileReader& reader) {
        return ReadContent(reader, sorted);
    });
}

int CYearEvent::ReadContent(CTextFileReader& reader, bool sorted)
{
    std::string line;
    if (!reader.ReadLine(line))
        return CDataMessages::InvalidFormat;
    std::string kind;
    int version = 0;
    GetTableKindNameAndFileVer(line, kind, version);
    if (kind != FileKind(HT_EVENT).tag)
        return CDataMessages::InvalidFormat;

    // The name and explanation lines go through the field codec: the writer
    // quotes them when they hold a comma, a leading quote or outer blanks.
    if (!reader.ReadLine(line))
        return CDataMessages::InvalidFormat;
    std::string field;
    if (GetElementFromCSV(line, 0, field) >= 0)
        SetTableName(field);

    if (version >= 3) {
        if (!reader.ReadLine(line))
            return CDataMessages::InvalidFormat;
        field.clear();
        GetElementFromCSV(line, 0, field);
        SetExplanation(CShiftJis::UnescapeLineBreaks(field));
    }

    if (version >= 4) {
        if (!reader.ReadLine(line))
            return CDataMessages::InvalidFormat;
        SetTodayDate(ParseInt(line) != 0);
    } else {
        SetTodayDate(false);
    }

    // Records that belong at the end (all of them in a file written in
    // order) are linked into the table in one pass when the reading stops,
    // however it stops, instead of one rebalancing insertion each.
    struct SRunEnd
    {
        CYearEventTree& tree;
        ~SRunEnd() { tree.EndAppendRun(); }
    } runEnd{*m_tree};
    std::string scratch;
    SRecordTexts texts;
    while (reader.ReadLine(line)) {
        SEventData rec;
        if (!ParseRecord(line, version, scratch, rec, texts))
            return CDataMessages::InvalidFormat;
        SetModified(true);
        if (!sorted || m_tree->BelongsAtEnd(rec)) {
            m_tree->AppendToRun(std::move(rec), texts.text, texts.supplement);
            continue;
        }
        m_tree->EndAppendRun();
        rec.text = texts.text;
        rec.supplement = texts.supplement;
        SetData(std::move(rec), sorted, -1, EP_EVERY);
    }

    SetModified(false);
    return 0;
}

std::string CYearEvent::MakeFileContent() const
{
    const int count = GetLen();
    size_t estimate = 64 + m_tableName.size() + 2 * m_explanation.size();
    for (int i = 0; i < count; ++i) {
        const SEventData& rec = GetRecord(i);
        estimate += 64 + rec.text.size() + rec.supplement.size() + rec.supplement.size() / 8;
    }
    std::string out;
    out.reserve(estimate);

    out += FileKind(HT_EVENT).tag;
    out += ", ";
    AppendInt(out, kWrittenVersion);
    out += "\r\n";
    // A line break in the name would shift every following line.
    out += HeaderField(WithoutLineBreaks(m_tableName));
    out += "\r\n";
    std::string explanation;
    AppendEscaped(explanation, m_explanation, false);
    out += HeaderField(explanation);
    out += "\r\n";
    out += m_todayDate ? "1" : "0";
    out += "\r\n";

    for (int i = 0; i < count; ++i) {
        const SEventData& rec = GetRecord(i);
        AppendInt(out, rec.year);
        out += ", ";
        AppendInt(out, rec.month);
        out += ", ";
        AppendInt(out, rec.day);
        out += ", ";
        AppendQuotedText(out, rec.text);
        out += ", ";
        AppendEscaped(out, rec.supplement, true);
        out += ", ";
        AppendInt(out, rec.priority);
        out += ", ";
        out += rec.leapMonth ? '1' : '0';
        out += ", ";
        if (rec.rangeFlags & RANGE_FROM)
            out += kFrom;
        else if (rec.rangeFlags & RANGE_UNTIL)
            out += kUntil;
        if (rec.rangeFlags & RANGE_ABOUT)
            out += '?';
        out += ", ";
        AppendInt(out, rec.otherYear);
        if (rec.rangeFlags & RANGE_OTHER_YEAR_ABOUT)
            out += '?';
        out += "\r\n";
    }
    return out;
}

bool CYearEvent::WriteFile(bool askName, CDocument* doc, EHeaderType)
{
    // Whatever kind the caller passes, an event table is written as one.
    return WriteWithFlow(askName, doc, HT_EVENT, true,
                         [this](std::string& out) { out = MakeFileContent(); });
}
