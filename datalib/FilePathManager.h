#pragma once

#include "AnnaluxDataExport.h"

#include <string>

// Absolute/relative path conversions for library file names.
//
// Two styles: Windows (backslashes, drive letters, comparisons and results in
// upper case), kept exactly as project files made on Windows expect; and the
// host style used on this system ('/' separator, absolute = leading '/',
// names keep their case, relative results climb with "../").
class ANNALUX_DATA_EXPORT CFilePathManager
{
public:
    enum EStyle
    {
        Host,
        Windows
    };

    explicit CFilePathManager(EStyle style = Host) : m_style(style) {}
    virtual ~CFilePathManager();
    CFilePathManager(const CFilePathManager&) = default;
    CFilePathManager& operator=(const CFilePathManager&) = default;

    EStyle Style() const { return m_style; }
    char Separator() const { return m_style == Windows ? '\\' : '/'; }

    bool CheckAbsPath(const std::string& path) const;
    // relPath := absPath relative to baseDir (null: the current directory).
    bool AbsToRelPath(const std::string& absPath, std::string& relPath, const char* baseDir) const;
    // absPath := current directory + separator + relPath; false for an
    // absolute relPath (absPath untouched).
    bool RelPathToCurAbsPath(const std::string& relPath, std::string& absPath) const;

    // Host helpers.
    // The current directory; false when it cannot be obtained.
    static bool GetCurrentDir(std::string& dir);
    // Changes the current directory; false (and nothing changed) on failure.
    static bool SetCurrentDir(const std::string& dir);
    // A stored path with '\' separators turned into '/' (host style).
    static std::string FromStoredPath(const std::string& stored);
    // When path does not exist as written, looks for each component
    // case-insensitively (projects made on Windows store upper-case names);
    // returns the path that exists, or path unchanged when none does.
    static std::string ResolveExisting(const std::string& path);
    // Everything before the last separator ('/' on this host); the whole
    // path when it has none; "/" for a file directly in the root folder.
    static std::string FolderOf(const std::string& path);

protected:
    // The folder that relative paths are taken from when no base folder is
    // given. Windows-style conversions are checked on this host by supplying
    // a Windows folder here.
    virtual bool QueryCurrentDir(std::string& dir) const;

private:
    EStyle m_style;
};
