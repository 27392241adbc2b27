#include "Archive.h"

#include "ShiftJis.h"

#include <cstring>
#include <vector>

CArchive::CArchive() : m_mode(Store) {}

CArchive::CArchive(const std::string& data) : m_mode(Load), m_buffer(data) {}

CArchive::CArchive(const void* data, size_t size)
    : m_mode(Load), m_buffer(static_cast<const char*>(data), size)
{}

void CArchive::SetError(EError error)
{
    if (m_error == AE_NONE)
        m_error = error;
}

bool CArchive::CheckStoring()
{
    if (m_mode == Store)
        return true;
    SetError(AE_WRONG_MODE);
    return false;
}

bool CArchive::CheckLoading()
{
    if (m_mode == Load)
        return !Failed();
    SetError(AE_WRONG_MODE);
    return false;
}

// ---- storing ---------------------------------------------------------------

void CArchive::WriteBytes(const void* data, size_t size)
{
    if (!CheckStoring() || size == 0)
        return;
    m_buffer.append(static_cast<const char*>(data), size);
}

void CArchive::WriteByte(uint8_t value)
{
    WriteBytes(&value, 1);
}

void CArchive::WriteUInt16(uint16_t value)
{
    const unsigned char b[2] = {static_cast<unsigned char>(value & 0xFF),
                                static_cast<unsigned char>(value >> 8)};
    WriteBytes(b, 2);
}

void CArchive::WriteInt16(int16_t value)
{
    WriteUInt16(static_cast<uint16_t>(value));
}

void CArchive::WriteUInt32(uint32_t value)
{
    unsigned char b[4];
    for (int i = 0; i < 4; ++i)
        b[i] = static_cast<unsigned char>((value >> (8 * i)) & 0xFF);
    WriteBytes(b, 4);
}

void CArchive::WriteInt32(int32_t value)
{
    WriteUInt32(static_cast<uint32_t>(value));
}

void CArchive::WriteBool(bool value)
{
    WriteByte(value ? 1 : 0);
}

void CArchive::WriteStringLength(uint64_t length, bool wide)
{
    if (wide) {
        WriteByte(0xFF);
        WriteUInt16(0xFFFE);
    }
    if (length < 0xFF) {
        WriteByte(static_cast<uint8_t>(length));
        return;
    }
    WriteByte(0xFF);
    if (length < 0xFFFE) {
        WriteUInt16(static_cast<uint16_t>(length));
        return;
    }
    WriteUInt16(0xFFFF);
    if (length < 0xFFFFFFFFull) {
        WriteUInt32(static_cast<uint32_t>(length));
        return;
    }
    WriteUInt32(0xFFFFFFFFu);
    WriteUInt32(static_cast<uint32_t>(length & 0xFFFFFFFFu));
    WriteUInt32(static_cast<uint32_t>(length >> 32));
}

void CArchive::WriteString(const std::string& sjis)
{
    if (!CheckStoring())
        return;
    WriteStringLength(sjis.size());
    WriteBytes(sjis.data(), sjis.size());
}

void CArchive::WriteWideString(const std::u16string& utf16)
{
    if (!CheckStoring())
        return;
    WriteStringLength(utf16.size(), true);
    for (char16_t c : utf16)
        WriteUInt16(static_cast<uint16_t>(c));
}

// ---- loading ---------------------------------------------------------------

bool CArchive::Take(size_t size, const unsigned char*& data)
{
    if (!CheckLoading())
        return false;
    if (size > GetRemaining()) {
        SetError(AE_END_OF_DATA);
        return false;
    }
    data = reinterpret_cast<const unsigned char*>(m_buffer.data()) + m_pos;
    m_pos += size;
    return true;
}

bool CArchive::ReadByte(uint8_t& value)
{
    value = 0;
    const unsigned char* p = nullptr;
    if (!Take(1, p))
        return false;
    value = p[0];
    return true;
}

bool CArchive::ReadUInt16(uint16_t& value)
{
    value = 0;
    const unsigned char* p = nullptr;
    if (!Take(2, p))
        return false;
    value = static_cast<uint16_t>(p[0] | (p[1] << 8));
    return true;
}

bool CArchive::ReadInt16(int16_t& value)
{
    uint16_t u = 0;
    const bool ok = ReadUInt16(u);
    value = static_cast<int16_t>(u);
    return ok;
}

bool CArchive::ReadUInt32(uint32_t& value)
{
    value = 0;
    const unsigned char* p = nullptr;
    if (!Take(4, p))
        return false;
    for (int i = 3; i >= 0; --i)
        value = (value << 8) | p[i];
    return true;
}

bool CArchive::ReadInt32(int32_t& value)
{
    uint32_t u = 0;
    const bool ok = ReadUInt32(u);
    value = static_cast<int32_t>(u);
    return ok;
}

bool CArchive::ReadUInt64(uint64_t& value)
{
    value = 0;
    const unsigned char* p = nullptr;
    if (!Take(8, p))
        return false;
    for (int i = 7; i >= 0; --i)
        value = (value << 8) | p[i];
    return true;
}

bool CArchive::ReadBool(bool& value)
{
    uint8_t b = 0;
    const bool ok = ReadByte(b);
    value = b != 0;
    return ok;
}

bool CArchive::ReadBool32(bool& value)
{
    int32_t v = 0;
    const bool ok = ReadInt32(v);
    value = v != 0;
    return ok;
}

bool CArchive::ReadBytes(std::string& out, size_t size)
{
    out.clear();
    const unsigned char* p = nullptr;
    if (!Take(size, p))
        return false;
    out.assign(reinterpret_cast<const char*>(p), size);
    return true;
}

bool CArchive::ReadBytes(void* out, size_t size)
{
    const unsigned char* p = nullptr;
    if (!Take(size, p)) {
        if (size > 0)
            std::memset(out, 0, size);
        return false;
    }
    if (size > 0)
        std::memcpy(out, p, size);
    return true;
}

bool CArchive::ReadString(std::string& sjis)
{
    sjis.clear();
    bool wide = false;
    uint64_t length = 0;

    uint8_t b = 0;
    if (!ReadByte(b))
        return false;
    length = b;
    if (b == 0xFF) {
        uint16_t w = 0;
        if (!ReadUInt16(w))
            return false;
        if (w == 0xFFFE) {
            // Wide marker; the real length prefix follows.
            wide = true;
            if (!ReadByte(b))
                return false;
            length = b;
            if (b == 0xFF) {
                if (!ReadUInt16(w))
                    return false;
            }
        }
        if (b == 0xFF) {
            length = w;
            if (w == 0xFFFF) {
                uint32_t d = 0;
                if (!ReadUInt32(d))
                    return false;
                length = d;
                if (d == 0xFFFFFFFFu) {
                    if (!ReadUInt64(length))
                        return false;
                }
            }
        }
    }

    // Compare against what is left before allocating anything, so that a
    // corrupt length cannot make us reserve gigabytes.
    const uint64_t unit = wide ? 2 : 1;
    if (length > GetRemaining() / unit) {
        SetError(length > (uint64_t(1) << 40) ? AE_BAD_LENGTH : AE_END_OF_DATA);
        return false;
    }
    const size_t bytes = static_cast<size_t>(length * unit);
    const unsigned char* p = nullptr;
    if (!Take(bytes, p))
        return false;
    if (!wide) {
        sjis.assign(reinterpret_cast<const char*>(p), bytes);
        return true;
    }
    std::u16string units;
    units.resize(static_cast<size_t>(length));
    for (size_t i = 0; i < units.size(); ++i)
        units[i] = static_cast<char16_t>(p[2 * i] | (p[2 * i + 1] << 8));
    sjis = WideToShiftJis(units);
    return true;
}

// ---- conversion ------------------------------------------------------------

namespace {

void AppendUtf8(std::string& out, uint32_t cp)
{
    if (cp < 0x80) {
        out += static_cast<char>(cp);
    } else if (cp < 0x800) {
        out += static_cast<char>(0xC0 | (cp >> 6));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
        out += static_cast<char>(0xE0 | (cp >> 12));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (cp >> 18));
        out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    }
}

// Code points of a UTF-16 text; a lone surrogate becomes a marker value that
// cannot be converted (so it turns into '?').
std::vector<uint32_t> CodePoints(const std::u16string& s)
{
    constexpr uint32_t kInvalid = 0xFFFFFFFFu;
    std::vector<uint32_t> cps;
    cps.reserve(s.size());
    for (size_t i = 0; i < s.size(); ++i) {
        const uint32_t c = s[i];
        if (c >= 0xD800 && c <= 0xDBFF && i + 1 < s.size() && s[i + 1] >= 0xDC00 &&
            s[i + 1] <= 0xDFFF) {
            cps.push_back(0x10000 + ((c - 0xD800) << 10) + (s[i + 1] - 0xDC00));
            ++i;
        } else if (c >= 0xD800 && c <= 0xDFFF) {
            cps.push_back(kInvalid);
        } else {
            cps.push_back(c);
        }
    }
    return cps;
}

} // namespace

std::string CArchive::WideToShiftJis(const std::u16string& utf16)
{
    const std::vector<uint32_t> cps = CodePoints(utf16);
    bool valid = true;
    std::string utf8;
    utf8.reserve(cps.size() * 3);
    for (uint32_t cp : cps) {
        if (cp == 0xFFFFFFFFu) {
            valid = false;
            break;
        }
        AppendUtf8(utf8, cp);
    }
    std::string sjis;
    if (valid && CShiftJis::FromUtf8(utf8, sjis))
        return sjis;

    // Some character has no Shift-JIS form: convert one by one and put '?'
    // in its place, as the platform's own conversion does, rather than losing
    // the whole text.
    sjis.clear();
    for (uint32_t cp : cps) {
        if (cp == 0xFFFFFFFFu) {
            sjis += '?';
            continue;
        }
        std::string one;
        AppendUtf8(one, cp);
        std::string converted;
        if (CShiftJis::FromUtf8(one, converted))
            sjis += converted;
        else
            sjis += '?';
    }
    return sjis;
}
