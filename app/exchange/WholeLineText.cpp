#include "WholeLineText.h"

#include "ShiftJis.h"

namespace {

// Lines 6 on of a base-year file: one switch line each from version 1 to 4,
// two from version 5, then the supplement.
int BaseYearSupplementLine(int version)
{
    int switches = version < 0 ? 0 : (version > 4 ? 4 : version);
    if (version >= 5)
        switches += 2;
    return 6 + switches;
}

std::string Undouble(const std::string& text)
{
    return CShiftJis::ReplaceAll(text, "\"\"", "\"");
}

std::string Double(const std::string& text)
{
    return CShiftJis::ReplaceAll(text, "\"", "\"\"");
}

} // namespace

int CWholeLineText::FormOf(EHeaderType kind, int version, int lineNumber)
{
    if (kind == HT_GENGOU || kind == HT_PERIOD) {
        // The name, and from version 1 on the explanation.
        return lineNumber == 2 || (lineNumber == 3 && version >= 1) ? PlainText : NotWhole;
    }
    if (kind != HT_BASEYEAR)
        return NotWhole;
    if (lineNumber == 2)
        return PlainText;
    if (lineNumber == BaseYearSupplementLine(version))
        return QuoteDoubled;
    return NotWhole;
}

std::string CWholeLineText::ToCsvField(const std::string& line, int form)
{
    std::string text = line;
    // A CR left from a CR LF line end is not part of the text.
    if (!text.empty() && text.back() == '\r')
        text.pop_back();
    if (form == QuoteDoubled)
        text = Undouble(text);
    std::string field = RealLineBreaks(Double(text));
    bool quote = field != text || text.find(',') != std::string::npos ||
                 (!text.empty() && (text.front() == ' ' || text.front() == '\t' ||
                                    text.back() == ' ' || text.back() == '\t'));
    return quote ? "\"" + field + "\"" : field;
}

std::string CWholeLineText::FromCsvLine(const std::string& line, int form)
{
    std::string text = line;
    if (!text.empty() && text.back() == '\r')
        text.pop_back();
    if (text.size() < 2 || text.front() != '"')
        return text;
    std::string value;
    size_t i = 1;
    for (; i < text.size(); ++i) {
        if (text[i] != '"') {
            value += text[i];
            continue;
        }
        if (i + 1 < text.size() && text[i + 1] == '"') {
            value += '"';
            ++i;
            continue;
        }
        break; // the closing quote
    }
    if (i != text.size() - 1)
        return text; // not one quoted field: the line as a library holds it
    return form == QuoteDoubled ? Double(value) : value;
}

std::string CWholeLineText::RealLineBreaks(const std::string& text)
{
    static const std::string kEscaped = "\\r\\n";
    std::string out;
    out.reserve(text.size());
    size_t i = 0;
    while (i < text.size()) {
        if (text.compare(i, kEscaped.size(), kEscaped) == 0) {
            // CR is never a trail byte, so a CR at the end of out is the text's.
            out += !out.empty() && out.back() == '\r' ? "\r\n" : "\n";
            i += kEscaped.size();
            continue;
        }
        const size_t n = CShiftJis::CharLength(text, i);
        out.append(text, i, n);
        i += n;
    }
    return out;
}
