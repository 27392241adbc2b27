#pragma once

#include "AnnaluxDataExport.h"

#include <cstddef>
#include <cstdint>
#include <iosfwd>
#include <string>
#include <string_view>

// The text of an event record (Shift-JIS bytes) in one pointer: a table holds
// a million records, and a std::string costs 32 bytes plus, for any text past
// fifteen bytes, a heap block of its own.
//
// The pointer leads to a block holding a header and the bytes, with no
// closing NUL (a million texts would pay a byte each for it): use data()
// with size(), view() or str(), never as a C string. The header is one byte for a text of up to kShortMax bytes (nearly
// every event text), else four. An empty text has no block. A block is either the text's own (freed
// with it) or lent by the storage of an event table, which keeps it for as
// long as the record lives there; copying or moving a lent text out makes a
// block of its own, so a text never outlives the block it points to.
class ANNALUX_DATA_EXPORT CRecordText
{
public:
    CRecordText() = default;
    CRecordText(const std::string& s) { Assign(s.data(), s.size()); }
    CRecordText(std::string_view s) { Assign(s.data(), s.size()); }
    CRecordText(const char* s) { Assign(s, s ? std::char_traits<char>::length(s) : 0); }
    CRecordText(const CRecordText& other) { Assign(other.data(), other.size()); }
    CRecordText(CRecordText&& other) noexcept;
    ~CRecordText() { Release(); }

    CRecordText& operator=(const CRecordText& other);
    CRecordText& operator=(CRecordText&& other) noexcept;
    CRecordText& operator=(const std::string& s) { return Set(s.data(), s.size()); }
    CRecordText& operator=(std::string_view s) { return Set(s.data(), s.size()); }
    CRecordText& operator=(const char* s)
    {
        return Set(s, s ? std::char_traits<char>::length(s) : 0);
    }
    CRecordText& operator+=(std::string_view s);

    size_t size() const
    {
        if (!m_block)
            return 0;
        const auto first = static_cast<unsigned char>(*m_block);
        return (first & kLongForm) == 0 ? first >> 2 : LongSize();
    }
    size_t length() const { return size(); }
    bool empty() const { return m_block == nullptr; }
    const char* data() const { return m_block ? m_block + HeaderSize(*m_block) : ""; }
    const char* begin() const { return data(); }
    const char* end() const { return data() + size(); }
    char operator[](size_t i) const { return data()[i]; }
    void clear() { Release(); }

    std::string_view view() const { return std::string_view(data(), size()); }
    std::string str() const { return std::string(data(), size()); }
    operator std::string() const { return str(); }

    size_t find(std::string_view what, size_t from = 0) const { return view().find(what, from); }
    size_t find(char c, size_t from = 0) const { return view().find(c, from); }
    std::string substr(size_t pos, size_t n = std::string::npos) const
    {
        return std::string(view().substr(pos, n));
    }
    int compare(std::string_view other) const { return view().compare(other); }

    // The longest text whose header is one byte.
    static constexpr size_t kShortMax = 63;
    // Bytes a block of a text of n bytes takes.
    static size_t BlockSize(size_t n) { return (n <= kShortMax ? 1 : kLongHeader) + n; }
    // Writes a lent block for s at place (BlockSize(s.size()) bytes) and
    // returns a text that points to it. Only a storage that keeps place alive
    // for as long as the text lives may call this.
    static CRecordText Lend(char* place, std::string_view s);
    // True when the block belongs to a storage rather than to the text.
    bool IsLent() const { return m_block && (*m_block & kLent) != 0; }

    // Comparisons and concatenations, found only where a text takes part.
    friend bool operator==(const CRecordText& a, const CRecordText& b)
    {
        return a.view() == b.view();
    }
    friend bool operator!=(const CRecordText& a, const CRecordText& b)
    {
        return !(a == b);
    }
    friend bool operator<(const CRecordText& a, const CRecordText& b)
    {
        return a.view() < b.view();
    }
    friend bool operator==(const CRecordText& a, std::string_view b)
    {
        return a.view() == std::string_view(b);
    }
    friend bool operator==(std::string_view a, const CRecordText& b)
    {
        return std::string_view(a) == b.view();
    }
    friend bool operator!=(const CRecordText& a, std::string_view b)
    {
        return a.view() != std::string_view(b);
    }
    friend bool operator!=(std::string_view a, const CRecordText& b)
    {
        return std::string_view(a) != b.view();
    }
    friend bool operator==(const CRecordText& a, const std::string& b)
    {
        return a.view() == std::string_view(b);
    }
    friend bool operator==(const std::string& a, const CRecordText& b)
    {
        return b.view() == std::string_view(a);
    }
    friend bool operator!=(const CRecordText& a, const std::string& b)
    {
        return a.view() != std::string_view(b);
    }
    friend bool operator!=(const std::string& a, const CRecordText& b)
    {
        return b.view() != std::string_view(a);
    }
    friend bool operator==(const CRecordText& a, const char* b)
    {
        return a.view() == std::string_view(b);
    }
    friend bool operator==(const char* a, const CRecordText& b)
    {
        return b.view() == std::string_view(a);
    }
    friend bool operator!=(const CRecordText& a, const char* b)
    {
        return !(a == b);
    }
    friend bool operator!=(const char* a, const CRecordText& b)
    {
        return !(b == a);
    }
    friend std::string operator+(const std::string& a, const CRecordText& b)
    {
        std::string out = a;
        out.append(b.data(), b.size());
        return out;
    }
    friend std::string operator+(const CRecordText& a, const std::string& b)
    {
        return a.str() + b;
    }
    friend std::string operator+(const char* a, const CRecordText& b)
    {
        return std::string(a) + b;
    }
    friend std::string operator+(const CRecordText& a, const char* b)
    {
        return a.str() + b;
    }
    friend std::string& operator+=(std::string& a, const CRecordText& b)
    {
        return a.append(b.data(), b.size());
    }

private:
    // The first header byte: bit 0 marks a lent block, bit 1 the four-byte
    // form; the rest is the length, or its low six bits in the long form,
    // whose next three bytes hold the rest.
    static constexpr unsigned kLent = 1;
    static constexpr unsigned kLongForm = 2;
    static constexpr size_t kLongHeader = 4;
    static size_t HeaderSize(char first) { return (first & kLongForm) ? kLongHeader : 1; }
    size_t LongSize() const;
    static char* Write(char* block, const char* s, size_t n, bool lent);
    void Assign(const char* s, size_t n);
    CRecordText& Set(const char* s, size_t n);
    void Release();

    char* m_block = nullptr;
};

ANNALUX_DATA_EXPORT std::ostream& operator<<(std::ostream& out, const CRecordText& text);
