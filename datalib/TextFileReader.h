#pragma once

#include "AnnaluxDataExport.h"

#include <string>

// Reads a text file line by line as the library readers expect: each line
// without its end (CR LF or a bare LF), a final line without an end still
// counts, and an end of file right after a line end gives no further line.
class ANNALUX_DATA_EXPORT CTextFileReader
{
public:
    // Loads the whole file; false (with ErrorNumber set) when it cannot be read.
    bool Open(const std::string& path);
    // Reads from memory (tests, conversions).
    void SetContent(std::string content);

    bool ReadLine(std::string& line);
    bool AtEnd() const { return m_pos >= m_content.size(); }
    int ErrorNumber() const { return m_errno; }
    const std::string& Content() const { return m_content; }

private:
    std::string m_content;
    size_t m_pos = 0;
    int m_errno = 0;
};
