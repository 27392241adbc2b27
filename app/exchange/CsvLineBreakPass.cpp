#include "CsvLineBreakPass.h"

#include "ShiftJis.h"

namespace {

// Bytes that can follow a Shift-JIS lead byte. A quote, CR or LF never can,
// so a lead byte in front of one of them (a broken or foreign encoding) does
// not swallow it and the quoted state stays right.
bool IsTrailByte(unsigned char c)
{
    return (c >= 0x40 && c <= 0x7E) || (c >= 0x80 && c <= 0xFC);
}

} // namespace

void CCsvLineBreakPass::Feed(const char* data, size_t size, std::string& out)
{
    out.reserve(out.size() + size + size / 8);
    for (size_t i = 0; i < size; ++i) {
        const char c = data[i];
        const unsigned char u = static_cast<unsigned char>(c);
        if (m_pendingLead) {
            m_pendingLead = false;
            if (IsTrailByte(u)) {
                out += c;
                continue;
            }
        }
        if (m_pendingCR) {
            m_pendingCR = false;
            if (c == '\n') {
                out += "\\r\\n";
                continue;
            }
            out += '\r';
        }
        if (c == '"') {
            m_quoted = !m_quoted;
            out += c;
        } else if (m_quoted && c == '\r') {
            m_pendingCR = true;
        } else if (m_quoted && c == '\n') {
            out += "\\r\\n";
        } else {
            out += c;
            m_pendingLead = CShiftJis::IsLeadByte(u);
        }
    }
}

void CCsvLineBreakPass::Finish(std::string& out)
{
    if (m_pendingCR)
        out += '\r';
    m_pendingCR = false;
    m_pendingLead = false;
}

std::string CCsvLineBreakPass::Convert(const std::string& csv)
{
    CCsvLineBreakPass pass;
    std::string out;
    pass.Feed(csv.data(), csv.size(), out);
    pass.Finish(out);
    return out;
}
