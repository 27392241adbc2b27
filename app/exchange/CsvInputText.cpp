#include "CsvInputText.h"

#include "ShiftJis.h"
#include "TextFileReader.h"

#include <algorithm>

namespace {

bool HasNonAscii(const std::string& bytes)
{
    return std::any_of(bytes.begin(), bytes.end(),
                       [](char c) { return static_cast<unsigned char>(c) >= 0x80; });
}

} // namespace

bool CCsvInputText::IsUtf8(const std::string& bytes)
{
    size_t i = 0;
    const size_t n = bytes.size();
    while (i < n) {
        const unsigned char c = static_cast<unsigned char>(bytes[i]);
        size_t len;
        uint32_t code;
        if (c < 0x80) {
            ++i;
            continue;
        } else if (c >= 0xC2 && c <= 0xDF) {
            len = 2;
            code = c & 0x1F;
        } else if (c >= 0xE0 && c <= 0xEF) {
            len = 3;
            code = c & 0x0F;
        } else if (c >= 0xF0 && c <= 0xF4) {
            len = 4;
            code = c & 0x07;
        } else {
            return false;
        }
        if (i + len > n)
            return false;
        for (size_t k = 1; k < len; ++k) {
            const unsigned char t = static_cast<unsigned char>(bytes[i + k]);
            if ((t & 0xC0) != 0x80)
                return false;
            code = (code << 6) | (t & 0x3F);
        }
        // Overlong forms, surrogates and code points past U+10FFFF.
        if ((len == 3 && code < 0x800) || (len == 4 && (code < 0x10000 || code > 0x10FFFF)) ||
            (code >= 0xD800 && code <= 0xDFFF))
            return false;
        i += len;
    }
    return true;
}

CCsvInputText::EResult CCsvInputText::Load(const std::string& path)
{
    CTextFileReader reader;
    if (!reader.Open(path))
        return CannotOpen;
    return Decode(reader.Content());
}

CCsvInputText::EResult CCsvInputText::Decode(std::string bytes)
{
    m_message.clear();
    m_utf8 = false;
    const bool bom = bytes.size() >= 3 && bytes.compare(0, 3, "\xEF\xBB\xBF") == 0;
    if (bom) {
        bytes.erase(0, 3);
    } else {
        std::string probe;
        if (!HasNonAscii(bytes) || !IsUtf8(bytes) || CShiftJis::ToUtf8(bytes, probe)) {
            m_text = std::move(bytes);
            return Loaded;
        }
    }
    m_utf8 = true;
    m_text.clear();
    if (CShiftJis::FromUtf8(bytes, m_text))
        return Loaded;
    // Line by line, to say where the character stands.
    size_t pos = 0;
    for (int line = 1; pos <= bytes.size(); ++line) {
        const size_t lf = bytes.find('\n', pos);
        const size_t end = lf == std::string::npos ? bytes.size() : lf;
        std::string sjis, error;
        if (!CShiftJis::FromUtf8(bytes.substr(pos, end - pos), sjis, &error)) {
            m_message = error + " はShift-JISで保存できない文字です（" + std::to_string(line) +
                        "行目）。別の文字に置き換えてから、もう一度インポートしてください。";
            break;
        }
        if (lf == std::string::npos)
            break;
        pos = lf + 1;
    }
    if (m_message.empty())
        m_message = "Shift-JISで保存できない文字があります。別の文字に置き換えてください。";
    m_text.clear();
    return Unrepresentable;
}
