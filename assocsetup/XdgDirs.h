#pragma once

#include <string>
#include <vector>

// The freedesktop base and user folders the registration reads and writes,
// taken from the environment the way the desktop's own tools take them.
class CXdgDirs
{
public:
    // $HOME (empty when unset).
    static std::string Home();
    // $XDG_DATA_HOME, else ~/.local/share.
    static std::string DataHome();
    // $XDG_CONFIG_HOME, else ~/.config.
    static std::string ConfigHome();
    // $XDG_DATA_DIRS, else /usr/local/share and /usr/share.
    static std::vector<std::string> DataDirs();
    // The user's templates folder as xdg-user-dir names it: XDG_TEMPLATES_DIR
    // of user-dirs.dirs, else of the environment, else ~/Templates. Empty
    // when the user has switched it off (the folder is the home folder).
    static std::string TemplatesDir();

    // Finds applications/<id>.desktop in the data home and then in each data
    // folder; the data folder it lies in goes to dataDir. Empty: not found.
    static std::string FindDesktopEntry(const std::string& id, std::string* dataDir = nullptr);
};

// One key of the [Desktop Entry] group of a desktop entry file, with the
// entry's escapes (\s \n \t \r \\) undone. False when the file cannot be read
// (errno tells why) or has no such key (errno is ENOENT).
bool ReadDesktopEntryKey(const std::string& file, const std::string& key, std::string& value);
