#include "RecordText.h"

#include <cstdlib>
#include <cstring>
#include <new>
#include <ostream>

// The header holds the length shifted left by one; its low bit marks a block
// lent by a storage. Texts are far below 2 GB (a library line is one record).

uint32_t CRecordText::Header() const
{
    uint32_t header;
    std::memcpy(&header, m_block, sizeof header);
    return header;
}

void CRecordText::Assign(const char* s, size_t n)
{
    if (n == 0) {
        m_block = nullptr;
        return;
    }
    char* block = static_cast<char*>(std::malloc(BlockSize(n)));
    if (!block)
        throw std::bad_alloc();
    const uint32_t header = static_cast<uint32_t>(n) << 1;
    std::memcpy(block, &header, sizeof header);
    std::memcpy(block + kHeader, s, n);
    block[kHeader + n] = '\0';
    m_block = block;
}

CRecordText CRecordText::Lend(char* place, std::string_view s)
{
    CRecordText text;
    if (s.empty())
        return text;
    const uint32_t header = (static_cast<uint32_t>(s.size()) << 1) | 1u;
    std::memcpy(place, &header, sizeof header);
    std::memcpy(place + kHeader, s.data(), s.size());
    place[kHeader + s.size()] = '\0';
    text.m_block = place;
    return text;
}

void CRecordText::Release()
{
    if (m_block && (Header() & 1u) == 0)
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
    char* old = (m_block && (Header() & 1u) == 0) ? m_block : nullptr;
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
