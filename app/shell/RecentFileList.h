#pragma once

#include <string>
#include <vector>

class CSettings;

// The most recently opened or saved project files, newest first, kept in
// the settings section "Recent File List" as "File1", "File2", ... Paths are
// UTF-8 host paths; an entry that is not set is an empty string.
class CRecentFileList
{
public:
    static constexpr const char* kSection = "Recent File List";

    explicit CRecentFileList(int size = 4);

    int GetSize() const { return static_cast<int>(m_entries.size()); }
    // Entry index (0 = newest); empty when unset or out of range.
    std::string GetAt(int index) const;
    // The entries that are set, newest first.
    std::vector<std::string> GetNonEmpty() const;
    bool IsEmpty() const { return GetNonEmpty().empty(); }

    // Puts path first; an entry of the same file moves up, the oldest falls
    // off a full list. An empty path is ignored.
    void Add(const std::string& path);
    // Removes the entry; the later ones move up.
    void Remove(int index);

    // Reads the list from the settings; entries past the size are ignored.
    void Load(const CSettings& settings);
    // Writes every entry (an unset one removes its key).
    void Save(CSettings& settings) const;

    // How a menu shows entry index: "&1 name", shortened in the middle when
    // longer than maxChars characters.
    std::string MenuText(int index, int maxChars = 64) const;

private:
    std::vector<std::string> m_entries;
};
