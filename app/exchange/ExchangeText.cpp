#include "ExchangeText.h"

#include "ShiftJis.h"

std::string CExchangeText::Sjis(const char* utf8)
{
    std::string out;
    CShiftJis::FromUtf8(utf8, out);
    return out;
}

std::string CExchangeText::HtmlSjis(const std::string& utf8)
{
    std::string out;
    if (CShiftJis::FromUtf8(utf8, out))
        return out;
    // Character by character: most of a name converts, the rest is referenced.
    out.clear();
    size_t pos = 0;
    while (pos < utf8.size()) {
        const unsigned char lead = static_cast<unsigned char>(utf8[pos]);
        size_t len = lead < 0x80 ? 1 : lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : lead >= 0xC0 ? 2 : 1;
        if (pos + len > utf8.size())
            len = utf8.size() - pos;
        const std::string ch = utf8.substr(pos, len);
        std::string sjis;
        if (CShiftJis::FromUtf8(ch, sjis)) {
            out += sjis;
        } else {
            uint32_t code = len == 1 ? lead : lead & (0xFF >> (len + 1));
            for (size_t i = 1; i < len; ++i)
                code = (code << 6) | (static_cast<unsigned char>(ch[i]) & 0x3F);
            out += "&#" + std::to_string(code) + ";";
        }
        pos += len;
    }
    return out;
}

int64_t CExchangeText::EraYear(int32_t start, int32_t year)
{
    int64_t n = static_cast<int64_t>(year) - start + 1;
    if (start < 1 && year >= 1)
        n -= 1;
    return n;
}

bool CExchangeText::FirstRowContaining(const CGengouEra& table, int32_t year, SGengouEraTable& out)
{
    for (const SGengouEraTable& row : table.GetGengouEraTable()) {
        if (row.startYear <= year && year <= row.endYear) {
            out = row;
            return true;
        }
    }
    return false;
}

bool CExchangeText::LastRowContaining(const CGengouEra& table, int32_t year, SGengouEraTable& out)
{
    const int index = table.GetIndexFromYear(year);
    if (index < 0)
        return false;
    out = table.GetGengouEraTable()[static_cast<size_t>(index)];
    return true;
}
