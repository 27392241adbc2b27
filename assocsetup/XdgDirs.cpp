#include "XdgDirs.h"

#include <boost/algorithm/string/classification.hpp>
#include <boost/algorithm/string/split.hpp>
#include <boost/algorithm/string/trim.hpp>
#include <cerrno>
#include <cstdlib>
#include <fstream>
#include <sys/stat.h>

namespace {

std::string Env(const char* name)
{
    const char* value = std::getenv(name);
    return value ? std::string(value) : std::string();
}

// A base folder from the environment; relative values are invalid and
// ignored, as the base-directory rules ask.
std::string AbsoluteEnv(const char* name)
{
    std::string value = Env(name);
    return !value.empty() && value[0] == '/' ? value : std::string();
}

bool IsFile(const std::string& path)
{
    struct stat st;
    return ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

std::string StripSlashes(std::string path)
{
    while (path.size() > 1 && path.back() == '/')
        path.pop_back();
    return path;
}

// Expands a leading $HOME or ${HOME} of a user-dirs.dirs value.
std::string ExpandHome(const std::string& value)
{
    for (const char* prefix : {"$HOME", "${HOME}"}) {
        const std::string p(prefix);
        if (value.compare(0, p.size(), p) == 0)
            return CXdgDirs::Home() + value.substr(p.size());
    }
    return value;
}

} // namespace

std::string CXdgDirs::Home()
{
    return Env("HOME");
}

std::string CXdgDirs::DataHome()
{
    const std::string value = AbsoluteEnv("XDG_DATA_HOME");
    return value.empty() ? Home() + "/.local/share" : StripSlashes(value);
}

std::string CXdgDirs::ConfigHome()
{
    const std::string value = AbsoluteEnv("XDG_CONFIG_HOME");
    return value.empty() ? Home() + "/.config" : StripSlashes(value);
}

std::vector<std::string> CXdgDirs::DataDirs()
{
    std::vector<std::string> parts;
    const std::string value = Env("XDG_DATA_DIRS");
    if (!value.empty())
        boost::algorithm::split(parts, value, boost::algorithm::is_any_of(":"));
    std::vector<std::string> dirs;
    for (const std::string& part : parts) {
        if (!part.empty() && part[0] == '/')
            dirs.push_back(StripSlashes(part));
    }
    if (dirs.empty())
        dirs = {"/usr/local/share", "/usr/share"};
    return dirs;
}

std::string CXdgDirs::TemplatesDir()
{
    std::string dir;
    std::ifstream in(ConfigHome() + "/user-dirs.dirs");
    std::string line;
    const std::string key = "XDG_TEMPLATES_DIR=";
    while (std::getline(in, line)) {
        boost::algorithm::trim(line);
        if (line.compare(0, key.size(), key) != 0)
            continue;
        std::string value = line.substr(key.size());
        if (value.size() >= 2 && value.front() == '"' && value.back() == '"')
            value = value.substr(1, value.size() - 2);
        dir = ExpandHome(value);
    }
    if (dir.empty())
        dir = Env("XDG_TEMPLATES_DIR");
    if (dir.empty())
        return Home() + "/Templates";
    dir = StripSlashes(dir);
    // user-dirs.dirs points a folder at the home folder to switch it off.
    if (dir == StripSlashes(Home()))
        return std::string();
    return dir;
}

std::string CXdgDirs::FindDesktopEntry(const std::string& id, std::string* dataDir)
{
    std::vector<std::string> dirs{DataHome()};
    for (const std::string& dir : DataDirs())
        dirs.push_back(dir);
    for (const std::string& dir : dirs) {
        const std::string path = dir + "/applications/" + id + ".desktop";
        if (IsFile(path)) {
            if (dataDir)
                *dataDir = dir;
            return path;
        }
    }
    return std::string();
}

bool ReadDesktopEntryKey(const std::string& file, const std::string& key, std::string& value)
{
    std::ifstream in(file);
    if (!in) {
        if (errno == 0)
            errno = ENOENT;
        return false;
    }
    bool inMainGroup = false;
    std::string line;
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        if (!line.empty() && line[0] == '[') {
            inMainGroup = line == "[Desktop Entry]";
            continue;
        }
        if (!inMainGroup || line.empty() || line[0] == '#')
            continue;
        const size_t eq = line.find('=');
        if (eq == std::string::npos)
            continue;
        std::string name = line.substr(0, eq);
        boost::algorithm::trim(name);
        if (name != key)
            continue;
        std::string raw = line.substr(eq + 1);
        boost::algorithm::trim_left(raw);
        value.clear();
        for (size_t i = 0; i < raw.size(); ++i) {
            if (raw[i] != '\\' || i + 1 == raw.size()) {
                value += raw[i];
                continue;
            }
            const char c = raw[++i];
            value += c == 's' ? ' ' : c == 'n' ? '\n' : c == 't' ? '\t' : c == 'r' ? '\r' : c;
        }
        return true;
    }
    errno = ENOENT;
    return false;
}
