#pragma once

#include "AnnaluxDataExport.h"

#include <cstdint>
#include <string>

// What a file on disk looked like when the program last read or wrote it:
// enough to tell whether someone else has changed it since (another window,
// another project sharing the library, an editor).
class ANNALUX_DATA_EXPORT CFileStamp
{
public:
    CFileStamp() = default;

    // The stamp of the file at path (absolute) as it is now; with content,
    // the bytes the program itself just read or wrote there, whose hash is
    // kept. A file that cannot be looked at gives an empty stamp.
    static CFileStamp Take(const std::string& path);
    static CFileStamp Take(const std::string& path, const std::string& content);

    bool IsEmpty() const { return m_path.empty(); }
    // The file's canonical path (links and dots resolved).
    const std::string& GetPath() const { return m_path; }
    // True when path names the stamp's file.
    bool IsOf(const std::string& path) const;

    // True when the file at the stamp's path differs from the stamp: another
    // size, or another modification time and (when a hash is kept) other
    // bytes. A file that is gone, or an empty stamp, is no change.
    bool ChangedOnDisk() const;
    // The same, against another stamp of the same file.
    bool SameFileState(const CFileStamp& other) const;

    static uint64_t Hash(const std::string& bytes);

private:
    std::string m_path;
    int64_t m_size = -1;
    int64_t m_modifiedNs = 0;
    bool m_hasHash = false;
    uint64_t m_hash = 0;
};
