#pragma once

#include <cstddef>
#include <string>

// Rewrites the line breaks that a CSV file holds inside quoted fields into the
// four characters \r\n that library files use, so that every record of the
// result is one line for the library readers. The input is Shift-JIS; it may
// arrive in blocks of any size, the quoted state carrying across blocks.
//
// A CR directly before a LF inside quotes is dropped, so that a CR LF in a
// quoted field (as spreadsheets save it) becomes exactly one escaped line
// break. Every other byte, a lone CR included, is copied unchanged.
class CCsvLineBreakPass
{
public:
    // Appends the converted bytes of the next block to out.
    void Feed(const char* data, size_t size, std::string& out);
    // Appends what is still held back at the end of the input.
    void Finish(std::string& out);

    bool InQuotes() const { return m_quoted; }

    // The whole conversion of one buffer.
    static std::string Convert(const std::string& csv);

private:
    bool m_quoted = false;
    bool m_pendingCR = false;   // a CR inside quotes, waiting for its LF
    bool m_pendingLead = false; // the previous byte began a double-byte character
};
