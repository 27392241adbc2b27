#include "FilePathManager.h"

#include "ShiftJis.h"

#include <algorithm>
#include <cerrno>
#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace {

constexpr size_t npos = std::string::npos;

// Index of the next backslash at or after from, character-aware (the 0x5C
// trail byte of 表 or ソ is not a separator); the length of s when none.
size_t NextBackslash(const std::string& s, size_t from)
{
    if (from >= s.size())
        return s.size();
    size_t i = CShiftJis::FindChar(s, '\\', from);
    return i == npos ? s.size() : i;
}

// Folder names of a Windows path after its root (the backslash at root).
// Empty names (a trailing or doubled backslash) are not folder levels.
int CountWindowsNames(const std::string& s, size_t root)
{
    int count = 0;
    size_t i = root;
    while (i < s.size()) {
        size_t next = NextBackslash(s, i + 1);
        if (next > i + 1)
            ++count;
        i = next;
    }
    return count;
}

bool StartsWithTwoBackslashes(const std::string& s)
{
    return s.size() >= 2 && s[0] == '\\' && s[1] == '\\';
}

bool WindowsAbsToRel(const std::string& absPath, const std::string& baseDir, std::string& relPath)
{
    const std::string p = CShiftJis::ToUpperAscii(absPath);
    const std::string d = CShiftJis::ToUpperAscii(baseDir);

    size_t i = NextBackslash(p, 0);
    size_t j = NextBackslash(d, 0);
    if (p.compare(0, i, d, 0, j) != 0) {
        // Another drive, or one of the two is relative.
        relPath = p;
        return true;
    }
    if (StartsWithTwoBackslashes(p) && StartsWithTwoBackslashes(d)) {
        i = NextBackslash(p, 2);
        j = NextBackslash(d, 2);
        if (p.compare(2, i - 2, d, 2, j - 2) != 0) {
            relPath = p;
            return true;
        }
    }

    // Counting names rather than backslashes keeps a root folder ("C:\") and
    // a folder given with a trailing backslash from gaining a level that is
    // not there.
    const int levels = CountWindowsNames(d, j);

    int taken = 0;
    size_t lastTaken = npos;
    while (i + 1 < p.size()) {
        const size_t pStart = i + 1;
        const size_t pEnd = NextBackslash(p, pStart);
        ++taken;
        lastTaken = pStart;
        if (j + 1 >= d.size())
            break;
        const size_t dStart = j + 1;
        const size_t dEnd = NextBackslash(d, dStart);
        if (p.compare(pStart, pEnd - pStart, d, dStart, dEnd - dStart) != 0)
            break;
        i = pEnd;
        j = dEnd;
    }

    relPath = p.substr(lastTaken != npos ? lastTaken : std::min(i, p.size()));
    if (levels >= taken) {
        std::string up;
        for (int n = 0; n < levels - taken + 1; ++n)
            up += "..\\";
        relPath = up + relPath;
    }
    return true;
}

// Names of a host path, without empty and "." names.
std::vector<std::string> SplitHostPath(const std::string& path)
{
    std::vector<std::string> names;
    size_t i = 0;
    while (i <= path.size()) {
        size_t next = path.find('/', i);
        if (next == npos)
            next = path.size();
        std::string name = path.substr(i, next - i);
        if (!name.empty() && name != ".")
            names.push_back(name);
        i = next + 1;
    }
    return names;
}

bool HostAbsToRel(const std::string& absPath, const std::string& baseDir, std::string& relPath)
{
    if (absPath.empty() || absPath[0] != '/' || baseDir.empty() || baseDir[0] != '/') {
        relPath = absPath;
        return true;
    }
    const std::vector<std::string> p = SplitHostPath(absPath);
    const std::vector<std::string> d = SplitHostPath(baseDir);
    size_t common = 0;
    while (common < p.size() && common < d.size() && p[common] == d[common])
        ++common;

    std::string result;
    for (size_t n = common; n < d.size(); ++n)
        result += "../";
    for (size_t n = common; n < p.size(); ++n) {
        if (n > common)
            result += '/';
        result += p[n];
    }
    if (result.empty())
        result = ".";
    else if (result.size() > 1 && result.back() == '/')
        result.pop_back();
    relPath = result;
    return true;
}

bool Exists(const std::string& path)
{
    struct stat st;
    return stat(path.c_str(), &st) == 0;
}

bool EqualsIgnoringAsciiCase(const std::string& a, const std::string& b)
{
    // Host names are UTF-8, whose multi-byte sequences hold no ASCII bytes,
    // so a byte-wise comparison is safe here.
    if (a.size() != b.size())
        return false;
    for (size_t i = 0; i < a.size(); ++i) {
        char x = a[i];
        char y = b[i];
        if (x >= 'A' && x <= 'Z')
            x = static_cast<char>(x - 'A' + 'a');
        if (y >= 'A' && y <= 'Z')
            y = static_cast<char>(y - 'A' + 'a');
        if (x != y)
            return false;
    }
    return true;
}

std::string JoinHost(const std::string& folder, const std::string& name)
{
    if (folder.empty())
        return name;
    if (folder.back() == '/')
        return folder + name;
    return folder + "/" + name;
}

// The entry of folder whose name matches name case-insensitively; the
// byte-wise smallest one when several do, so that the choice is stable.
bool FindEntryIgnoringCase(const std::string& folder, const std::string& name, std::string& found)
{
    DIR* dir = opendir(folder.empty() ? "." : folder.c_str());
    if (!dir)
        return false;
    bool any = false;
    while (dirent* entry = readdir(dir)) {
        std::string candidate = entry->d_name;
        if (EqualsIgnoringAsciiCase(candidate, name) && (!any || candidate < found)) {
            found = candidate;
            any = true;
        }
    }
    closedir(dir);
    return any;
}

} // namespace

CFilePathManager::~CFilePathManager() = default;

bool CFilePathManager::CheckAbsPath(const std::string& path) const
{
    if (m_style == Host)
        return !path.empty() && path[0] == '/';

    // ':' is below 0x40 and never a trail byte.
    if (path.find(':') != npos)
        return true;
    if (path.empty())
        return false;
    if (path[0] == '\\')
        return true;
    const size_t second = CShiftJis::CharLength(path, 0);
    return second < path.size() && path[second] == '\\';
}

bool CFilePathManager::AbsToRelPath(const std::string& absPath, std::string& relPath,
                                    const char* baseDir) const
{
    std::string base;
    if (baseDir)
        base = baseDir;
    else if (!QueryCurrentDir(base))
        return false;
    if (m_style == Windows)
        return WindowsAbsToRel(absPath, base, relPath);
    return HostAbsToRel(absPath, base, relPath);
}

bool CFilePathManager::RelPathToCurAbsPath(const std::string& relPath, std::string& absPath) const
{
    if (CheckAbsPath(relPath))
        return false;
    std::string dir;
    if (!QueryCurrentDir(dir))
        return false;
    const char sep = Separator();
    // A trailing backslash must be a whole character, not the trail of 表.
    const bool endsWithSep = !dir.empty() && dir.back() == sep &&
                             (m_style == Host || CShiftJis::IsCharBoundary(dir, dir.size() - 1));
    absPath = dir;
    if (!endsWithSep)
        absPath += sep;
    absPath += relPath;
    return true;
}

bool CFilePathManager::QueryCurrentDir(std::string& dir) const
{
    return GetCurrentDir(dir);
}

bool CFilePathManager::GetCurrentDir(std::string& dir)
{
    std::vector<char> buffer(4096);
    for (;;) {
        if (getcwd(buffer.data(), buffer.size())) {
            dir = buffer.data();
            return true;
        }
        if (errno != ERANGE || buffer.size() > (1u << 20))
            return false;
        buffer.resize(buffer.size() * 2);
    }
}

bool CFilePathManager::SetCurrentDir(const std::string& dir)
{
    if (dir.empty())
        return false;
    return chdir(dir.c_str()) == 0;
}

std::string CFilePathManager::FromStoredPath(const std::string& stored)
{
    return CShiftJis::ReplaceAll(stored, "\\", "/");
}

std::string CFilePathManager::ResolveExisting(const std::string& path)
{
    if (path.empty() || Exists(path))
        return path;

    std::string current = path[0] == '/' ? "/" : "";
    size_t i = 0;
    while (i <= path.size()) {
        size_t next = path.find('/', i);
        if (next == npos)
            next = path.size();
        const std::string name = path.substr(i, next - i);
        i = next + 1;
        if (name.empty())
            continue;
        const std::string exact = JoinHost(current, name);
        if (name == "." || name == ".." || Exists(exact)) {
            current = exact;
            continue;
        }
        std::string found;
        if (!FindEntryIgnoringCase(current, name, found))
            return path;
        current = JoinHost(current, found);
    }
    return Exists(current) ? current : path;
}

std::string CFilePathManager::FolderOf(const std::string& path)
{
    const size_t slash = path.rfind('/');
    if (slash == npos)
        return path;
    // A file in the root folder lives in "/", not in the empty folder (which
    // no one can change to).
    if (slash == 0)
        return "/";
    return path.substr(0, slash);
}
