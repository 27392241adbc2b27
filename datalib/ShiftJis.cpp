#include "ShiftJis.h"

#include <cerrno>
#include <cstdio>
#include <iconv.h>

namespace {

// One converter per direction and thread; iconv_open is far too slow to call
// per string on the paint path.
class Converter
{
public:
    Converter(const char* to, const char* from) : m_cd(iconv_open(to, from)) {}
    ~Converter()
    {
        if (m_cd != reinterpret_cast<iconv_t>(-1))
            iconv_close(m_cd);
    }
    Converter(const Converter&) = delete;
    Converter& operator=(const Converter&) = delete;

    bool IsValid() const { return m_cd != reinterpret_cast<iconv_t>(-1); }

    // Converts all of in. On failure returns false and sets failPos to the
    // offset of the input byte that could not be converted.
    bool Convert(const std::string& in, std::string& out, size_t& failPos)
    {
        out.clear();
        failPos = 0;
        if (!IsValid())
            return false;
        iconv(m_cd, nullptr, nullptr, nullptr, nullptr);
        out.resize(in.size() * 2 + 16);
        char* src = const_cast<char*>(in.data());
        size_t srcLeft = in.size();
        size_t produced = 0;
        while (srcLeft > 0) {
            char* dst = &out[produced];
            size_t dstLeft = out.size() - produced;
            size_t r = iconv(m_cd, &src, &srcLeft, &dst, &dstLeft);
            produced = out.size() - dstLeft;
            if (r != static_cast<size_t>(-1))
                break;
            if (errno == E2BIG) {
                out.resize(out.size() * 2);
                continue;
            }
            failPos = static_cast<size_t>(src - in.data());
            out.clear();
            return false;
        }
        out.resize(produced);
        return true;
    }

private:
    iconv_t m_cd;
};

Converter& ToUtf8Converter()
{
    thread_local Converter c("UTF-8", "CP932");
    return c;
}

Converter& FromUtf8Converter()
{
    thread_local Converter c("CP932", "UTF-8");
    return c;
}

size_t Utf8SequenceLength(unsigned char c)
{
    if (c < 0x80)
        return 1;
    if ((c & 0xE0) == 0xC0)
        return 2;
    if ((c & 0xF0) == 0xE0)
        return 3;
    if ((c & 0xF8) == 0xF0)
        return 4;
    return 1;
}

std::string HexBytes(const std::string& s, size_t pos, size_t n)
{
    std::string r;
    for (size_t i = pos; i < pos + n && i < s.size(); ++i) {
        char buf[8];
        std::snprintf(buf, sizeof buf, "%s%02X", r.empty() ? "" : " ",
                      static_cast<unsigned char>(s[i]));
        r += buf;
    }
    return r;
}

uint32_t DecodeUtf8(const std::string& s, size_t pos, size_t len)
{
    auto b = [&](size_t i) { return static_cast<unsigned char>(s[pos + i]); };
    switch (len) {
    case 1:
        return b(0);
    case 2:
        return ((b(0) & 0x1Fu) << 6) | (b(1) & 0x3Fu);
    case 3:
        return ((b(0) & 0x0Fu) << 12) | ((b(1) & 0x3Fu) << 6) | (b(2) & 0x3Fu);
    default:
        return ((b(0) & 0x07u) << 18) | ((b(1) & 0x3Fu) << 12) | ((b(2) & 0x3Fu) << 6) |
               (b(3) & 0x3Fu);
    }
}

} // namespace

size_t CShiftJis::CharLength(const std::string& s, size_t pos)
{
    if (pos + 1 < s.size() && IsLeadByte(static_cast<unsigned char>(s[pos]))) {
        // A lead byte cut off from its character (a damaged file, a text
        // truncated elsewhere) must not swallow a following '<', '"' or CR.
        const unsigned char t = static_cast<unsigned char>(s[pos + 1]);
        if ((t >= 0x40 && t <= 0x7E) || (t >= 0x80 && t <= 0xFC))
            return 2;
    }
    return 1;
}

bool CShiftJis::IsCharBoundary(const std::string& s, size_t pos)
{
    if (pos >= s.size())
        return pos == s.size();
    size_t i = 0;
    while (i < pos)
        i += CharLength(s, i);
    return i == pos;
}

bool CShiftJis::ToUtf8(const std::string& sjis, std::string& utf8, std::string* error)
{
    size_t failPos = 0;
    if (ToUtf8Converter().Convert(sjis, utf8, failPos))
        return true;
    if (error) {
        if (!ToUtf8Converter().IsValid())
            *error = "the CP932 converter is not available";
        else
            *error = "bytes " + HexBytes(sjis, failPos, CharLength(sjis, failPos)) + " at offset " +
                     std::to_string(failPos) + " are not valid Shift-JIS";
    }
    return false;
}

bool CShiftJis::FromUtf8(const std::string& utf8, std::string& sjis, std::string* error)
{
    size_t failPos = 0;
    if (FromUtf8Converter().Convert(utf8, sjis, failPos))
        return true;
    if (error) {
        if (!FromUtf8Converter().IsValid()) {
            *error = "the CP932 converter is not available";
        } else {
            size_t len = Utf8SequenceLength(static_cast<unsigned char>(utf8[failPos]));
            if (failPos + len > utf8.size())
                len = utf8.size() - failPos;
            char code[16];
            std::snprintf(code, sizeof code, "U+%04X", DecodeUtf8(utf8, failPos, len));
            *error = "\xE3\x80\x8C" + utf8.substr(failPos, len) + "\xE3\x80\x8D (" + code + ")";
        }
    }
    return false;
}

std::string CShiftJis::ToUtf8Lossy(const std::string& sjis)
{
    std::string out;
    if (ToUtf8(sjis, out))
        return out;
    // Convert character by character, replacing what cannot be converted.
    out.clear();
    size_t i = 0;
    while (i < sjis.size()) {
        size_t n = CharLength(sjis, i);
        std::string piece;
        if (ToUtf8(sjis.substr(i, n), piece))
            out += piece;
        else
            out += "\xEF\xBF\xBD";
        i += n;
    }
    return out;
}

size_t CShiftJis::Find(const std::string& hay, const std::string& needle, size_t from)
{
    if (needle.empty())
        return from <= hay.size() ? from : npos;
    size_t i = 0;
    while (i < from && i < hay.size())
        i += CharLength(hay, i);
    for (; i + needle.size() <= hay.size(); i += CharLength(hay, i)) {
        if (hay.compare(i, needle.size(), needle) == 0)
            return i;
    }
    return npos;
}

size_t CShiftJis::FindChar(const std::string& s, char c, size_t from)
{
    size_t i = 0;
    while (i < from && i < s.size())
        i += CharLength(s, i);
    for (; i < s.size(); i += CharLength(s, i)) {
        if (s[i] == c)
            return i;
    }
    return npos;
}

size_t CShiftJis::FindLastChar(const std::string& s, char c)
{
    size_t found = npos;
    for (size_t i = 0; i < s.size(); i += CharLength(s, i)) {
        if (s[i] == c)
            found = i;
    }
    return found;
}

std::string CShiftJis::ReplaceAll(const std::string& s, const std::string& from,
                                  const std::string& to)
{
    if (from.empty())
        return s;
    std::string out;
    out.reserve(s.size());
    size_t i = 0;
    while (i < s.size()) {
        if (s.compare(i, from.size(), from) == 0) {
            out += to;
            i += from.size();
            continue;
        }
        size_t n = CharLength(s, i);
        out.append(s, i, n);
        i += n;
    }
    return out;
}

std::string CShiftJis::ToLowerAscii(const std::string& s)
{
    std::string out = s;
    for (size_t i = 0; i < out.size(); i += CharLength(out, i)) {
        char& c = out[i];
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    }
    return out;
}

std::string CShiftJis::ToUpperAscii(const std::string& s)
{
    std::string out = s;
    for (size_t i = 0; i < out.size(); i += CharLength(out, i)) {
        char& c = out[i];
        if (c >= 'a' && c <= 'z')
            c = static_cast<char>(c - 'a' + 'A');
    }
    return out;
}

std::string CShiftJis::Truncate(const std::string& s, size_t maxBytes)
{
    if (s.size() <= maxBytes)
        return s;
    size_t i = 0;
    while (i < s.size()) {
        size_t n = CharLength(s, i);
        if (i + n > maxBytes)
            break;
        i += n;
    }
    return s.substr(0, i);
}

std::string CShiftJis::EscapeLineBreaks(const std::string& s)
{
    // CR LF is never part of a double-byte character, so a plain replace is safe.
    std::string out;
    out.reserve(s.size());
    for (size_t i = 0; i < s.size(); ++i) {
        if (s[i] == '\r' && i + 1 < s.size() && s[i + 1] == '\n') {
            out += "\\r\\n";
            ++i;
        } else {
            out += s[i];
        }
    }
    return out;
}

std::string CShiftJis::UnescapeLineBreaks(const std::string& s)
{
    return ReplaceAll(s, "\\r\\n", "\r\n");
}
