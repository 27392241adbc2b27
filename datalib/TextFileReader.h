#pragma once

#include "AnnaluxDataExport.h"

#include <cstddef>
#include <string>

class CReadProgress;

// Reads a text file line by line as the library readers expect: each line
// without its end (CR LF or a bare LF), a final line without an end still
// counts, and an end of file right after a line end gives no further line.
//
// A file opened while a CReadProgress is installed on the thread reports to
// it now and then as its lines are read; when the progress asks to stop,
// ReadLine ends as at the end of the file, the content is let go and
// Stopped() tells the reader's caller that the file was not read whole.
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
    bool Stopped() const { return m_stopped; }

private:
    std::string m_content;
    size_t m_pos = 0;
    int m_errno = 0;
    bool Report();

    CReadProgress* m_progress = nullptr;
    size_t m_nextReport = static_cast<size_t>(-1); // never, without a progress
    bool m_stopped = false;
};
