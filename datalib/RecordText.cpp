#include "RecordText.h"

#include <cstdlib>
#include <cstring>
#include <new>
#include <ostream>
#include <stdexcept>

// Texts are far below 1 GB (a library line is one record), which is what
// the long header holds.

static void CheckLength(size_t n)
{
    if (n >= (size_t(1) << 30))
        throw std::length_error("CRecordText: text too long");
}

size_t CRecordText::LongSize() const
{
    const auto* b = reinterpret_cast<const unsigned char*>(m_block);
    return (size_t(b[0]) >> 2) | (size_t(b[1]) << 6) | (size_t(b[2]) << 14) |
           (size_t(b[3]) << 22);
}

char* CRecordText::Write(char* block, const char* s, size_t n, bool lent)
{
    const unsigned flag = lent ? kLent : 0u;
    auto* b = reinterpret_cast<unsigned char*>(block);
    size_t header = 1;
    if (n <= kShortMax) {
        b[0] = static_cast<unsigned char>((n << 2) | flag);
    } else {
        b[0] = static_cast<unsigned char>(((n & 0x3F) << 2) | kLongForm | flag);
        b[1] = static_cast<unsigned char>(n >> 6);
        b[2] = static_cast<unsigned char>(n >> 14);
        b[3] = static_cast<unsigned char>(n >> 22);
        header = kLongHeader;
    }
    std::memcpy(block + header, s, n);
    return block;
}

void CRecordText::Assign(const char* s, size_t n)
{
    if (n == 0) {
        m_block = nullptr;
        return;
    }
    CheckLength(n);
    char* block = static_cast<char*>(std::malloc(BlockSize(n)));
    if (!block)
        throw std::bad_alloc();
    m_block = Write(block, s, n, false);
}

CRecordText CRecordText::Lend(char* place, std::string_view s)
{
    CRecordText text;
    CheckLength(s.size());
    if (!s.empty())
        text.m_block = Write(place, s.data(), s.size(), true);
    return text;
}

void CRecordText::Release()
{
    if (m_block && !IsLent())
        std::free(m_block);
    m_block = nullptr;
}

CRecordText::CRecordText(CRecordText&& other) noexcept
{
    // Only a block of the text's own may change hands; a lent one stays with
    // its storage.
    if (other.IsLent()) {
        Assign(other.data(), other.size());
    } else {
        m_block = other.m_block;
        other.m_block = nullptr;
    }
}

CRecordText& CRecordText::operator=(const CRecordText& other)
{
    if (this != &other)
        Set(other.data(), other.size());
    return *this;
}

CRecordText& CRecordText::operator=(CRecordText&& other) noexcept
{
    if (this == &other)
        return *this;
    if (other.IsLent())
        return Set(other.data(), other.size());
    Release();
    m_block = other.m_block;
    other.m_block = nullptr;
    return *this;
}

CRecordText& CRecordText::Set(const char* s, size_t n)
{
    // s may point into this text's own block.
    char* old = (m_block && !IsLent()) ? m_block : nullptr;
    Assign(s, n);
    std::free(old);
    return *this;
}

CRecordText& CRecordText::operator+=(std::string_view s)
{
    std::string joined(view());
    joined.append(s.data(), s.size());
    return Set(joined.data(), joined.size());
}

std::ostream& operator<<(std::ostream& out, const CRecordText& text)
{
    return out.write(text.data(), static_cast<std::streamsize>(text.size()));
}
