#include "AssocSetup.h"

#include "XdgDirs.h"

#include <boost/algorithm/string/case_conv.hpp>
#include <boost/algorithm/string/classification.hpp>
#include <boost/algorithm/string/join.hpp>
#include <boost/algorithm/string/split.hpp>
#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <fstream>
#include <sstream>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

const char* const CAssocSetup::kUsage =
    "AssocSetup <uninstall name> <exe name> <doctypeid> <doctypename> <extension>";
const char* const CAssocSetup::kNoInstallDirFormat = "%sのインストールされたディレクトリが見つかりません";
const char* const CAssocSetup::kNoShortPathFormat = "%sのショートパスが得られませんでした";
const char* const CAssocSetup::kBadArgumentFormat = "「%s」は%sとして使えません";

namespace {

// Creates folder and its missing parents.
bool MakeFolders(const std::string& folder)
{
    if (folder.empty())
        return true;
    struct stat st;
    if (::stat(folder.c_str(), &st) == 0) {
        if (S_ISDIR(st.st_mode))
            return true;
        errno = ENOTDIR;
        return false;
    }
    const size_t slash = folder.find_last_of('/');
    if (slash != std::string::npos && slash > 0 && !MakeFolders(folder.substr(0, slash)))
        return false;
    return ::mkdir(folder.c_str(), 0755) == 0 || errno == EEXIST;
}

std::string FolderOf(const std::string& path)
{
    const size_t slash = path.find_last_of('/');
    return slash == std::string::npos ? std::string(".") : path.substr(0, slash);
}

bool ReadWhole(const std::string& path, std::string& text)
{
    std::ifstream in(path, std::ios::binary);
    if (!in)
        return false;
    std::ostringstream out;
    out << in.rdbuf();
    text = out.str();
    return true;
}

bool IsIdCharacter(char c)
{
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
           c == '.' || c == '-' || c == '_' || c == '+';
}

} // namespace

// ---- text of the files ------------------------------------------------------------

std::string EscapeDesktopValue(const std::string& text)
{
    std::string out;
    for (char c : text) {
        switch (c) {
        case '\\':
            out += "\\\\";
            break;
        case '\n':
            out += "\\n";
            break;
        case '\t':
            out += "\\t";
            break;
        case '\r':
            out += "\\r";
            break;
        default:
            out += c;
        }
    }
    return out;
}

std::string QuoteExecArgument(const std::string& argument)
{
    static const char kReserved[] = " \t\n\"'\\><~|&;$*?#()`";
    std::string doubled;
    for (char c : argument) {
        doubled += c;
        if (c == '%')
            doubled += '%';
    }
    if (!doubled.empty() && doubled.find_first_of(kReserved) == std::string::npos)
        return doubled;
    std::string quoted = "\"";
    for (char c : doubled) {
        if (c == '"' || c == '`' || c == '$' || c == '\\')
            quoted += '\\';
        quoted += c;
    }
    return quoted + "\"";
}

std::string EscapeXml(const std::string& text)
{
    std::string out;
    for (char c : text) {
        switch (c) {
        case '&':
            out += "&amp;";
            break;
        case '<':
            out += "&lt;";
            break;
        case '>':
            out += "&gt;";
            break;
        case '"':
            out += "&quot;";
            break;
        default:
            out += c;
        }
    }
    return out;
}

std::string SetKeyFileValue(const std::string& text, const std::string& group,
                            const std::string& key, const std::string& value)
{
    std::vector<std::string> lines;
    if (!text.empty())
        boost::algorithm::split(lines, text, boost::algorithm::is_any_of("\n"));
    if (!lines.empty() && lines.back().empty())
        lines.pop_back();

    const std::string header = "[" + group + "]";
    const std::string entry = key + "=" + value;
    bool inGroup = false;
    bool groupSeen = false;
    size_t insertAt = lines.size();
    for (size_t i = 0; i < lines.size(); ++i) {
        const std::string& line = lines[i];
        if (!line.empty() && line[0] == '[') {
            if (inGroup)
                break;
            inGroup = line == header;
            if (inGroup) {
                groupSeen = true;
                insertAt = i + 1;
            }
            continue;
        }
        if (!inGroup)
            continue;
        const size_t eq = line.find('=');
        if (eq != std::string::npos && line.compare(0, eq, key) == 0 && eq == key.size()) {
            lines[i] = entry;
            return boost::algorithm::join(lines, "\n") + "\n";
        }
        if (!line.empty())
            insertAt = i + 1;
    }
    if (groupSeen) {
        lines.insert(lines.begin() + static_cast<long>(insertAt), entry);
    } else {
        if (!lines.empty() && !lines.back().empty())
            lines.push_back(std::string());
        lines.push_back(header);
        lines.push_back(entry);
    }
    return boost::algorithm::join(lines, "\n") + "\n";
}

// ---- the tool -----------------------------------------------------------------------

CAssocSetup::CAssocSetup(MessageSink sink) : m_sink(std::move(sink)) {}

std::string CAssocSetup::JoinArguments(const std::vector<std::string>& arguments)
{
    return boost::algorithm::join(arguments, " ");
}

std::vector<std::string> CAssocSetup::SplitArguments(const std::string& line)
{
    std::vector<std::string> parts;
    boost::algorithm::split(parts, line, boost::algorithm::is_any_of(" "));
    return parts;
}

std::string CAssocSetup::Format(const char* format, const std::string& a, const std::string& b)
{
    std::string out(format);
    const size_t first = out.find("%s");
    if (first != std::string::npos)
        out.replace(first, 2, a);
    const size_t second = out.find("%s", first == std::string::npos ? 0 : first + a.size());
    if (second != std::string::npos)
        out.replace(second, 2, b);
    return out;
}

void CAssocSetup::SystemMessage(const std::string& what, int error)
{
    Message(what + ": " + std::strerror(error));
}

bool CAssocSetup::CheckArguments(const SArguments& args)
{
    // The names become file names and a glob: refuse what would climb out
    // of the registration folders or match every file.
    const auto refuse = [this](const std::string& value, const char* what) {
        Message(Format(kBadArgumentFormat, value, what));
        return false;
    };
    const std::string& u = args.uninstallName;
    if (u.empty() || u.find('/') != std::string::npos || u == "." || u == "..")
        return refuse(u, "アンインストール名");
    const std::string& id = args.docTypeId;
    bool idOk = !id.empty() && id[0] != '.' && id[0] != '-';
    for (char c : id)
        idOk = idOk && IsIdCharacter(c);
    if (!idOk)
        return refuse(id, "ドキュメントタイプID");
    const std::string& ext = args.extension;
    if (ext.size() < 2 || ext[0] != '.' || ext.find_first_of("/*?[]\\") != std::string::npos)
        return refuse(ext, "拡張子");
    return true;
}

int CAssocSetup::Run(const std::string& argumentLine)
{
    const std::vector<std::string> parts = SplitArguments(argumentLine);
    if (parts.size() != 5) {
        Message(kUsage);
        return ExitFailure;
    }
    const SArguments args{parts[0], parts[1], parts[2], parts[3], parts[4]};
    if (!CheckArguments(args))
        return ExitFailure;

    // The install folder: the Path key of the application's desktop entry.
    std::string entryDataDir;
    const std::string entry = CXdgDirs::FindDesktopEntry(args.uninstallName, &entryDataDir);
    std::string location;
    if (entry.empty()) {
        SystemMessage(args.uninstallName + ".desktop", ENOENT);
        Message(Format(kNoInstallDirFormat, args.exeName));
        return ExitFailure;
    }
    if (!ReadDesktopEntryKey(entry, "Path", location)) {
        SystemMessage(entry + " (Path)", errno);
        Message(Format(kNoInstallDirFormat, args.exeName));
        return ExitFailure;
    }

    // The executable: the install folder immediately followed by the exe
    // name, as installers write the folder with its closing separator.
    const std::string longPath = location + args.exeName;
    char resolved[PATH_MAX];
    struct stat st;
    if (!::realpath(longPath.c_str(), resolved) || ::stat(resolved, &st) != 0 ||
        !S_ISREG(st.st_mode) || ::access(resolved, X_OK) != 0) {
        Message(Format(kNoShortPathFormat, args.exeName));
        return ExitFailure;
    }
    const std::string exe(resolved);

    const std::string dataDir = m_systemWide ? entryDataDir : CXdgDirs::DataHome();
    const std::string mimeType = "application/x-" + boost::algorithm::to_lower_copy(args.docTypeId);
    const std::string entryId = boost::algorithm::to_lower_copy(args.docTypeId) + ".desktop";

    if (!WriteMimePackage(dataDir, mimeType, args) ||
        !WriteTypeEntry(dataDir, mimeType, exe, entry, args))
        return ExitFailure;
    if (!m_systemWide && (!WriteDefaultApplication(mimeType, entryId) || !WriteTemplate(args)))
        return ExitFailure;
    if (!RunUpdateTool("update-mime-database", dataDir + "/mime") ||
        !RunUpdateTool("update-desktop-database", dataDir + "/applications"))
        return ExitFailure;
    return ExitSuccess;
}

bool CAssocSetup::WriteMimePackage(const std::string& dataDir, const std::string& mimeType,
                                   const SArguments& args)
{
    // The icon is the document icon the program installs under the name the
    // desktop derives from the type. The glob weighs more than the default:
    // the desktop's own database may give the extension to an old format
    // (*.anx is also Annodex media), and a tie would let it win.
    std::string icon = mimeType;
    icon[icon.find('/')] = '-';
    std::ostringstream xml;
    xml << "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
        << "<mime-info xmlns=\"http://www.freedesktop.org/standards/shared-mime-info\">\n"
        << "  <mime-type type=\"" << EscapeXml(mimeType) << "\">\n"
        << "    <comment>" << EscapeXml(args.docTypeName) << "</comment>\n"
        << "    <icon name=\"" << EscapeXml(icon) << "\"/>\n"
        << "    <glob pattern=\"*" << EscapeXml(args.extension) << "\" weight=\"60\"/>\n"
        << "  </mime-type>\n"
        << "</mime-info>\n";
    const std::string name = boost::algorithm::to_lower_copy(args.docTypeId) + ".xml";
    return WriteFile(dataDir + "/mime/packages/" + name, xml.str());
}

bool CAssocSetup::WriteTypeEntry(const std::string& dataDir, const std::string& mimeType,
                                 const std::string& exe, const std::string& appEntry,
                                 const SArguments& args)
{
    // Named and drawn like the application that opens the type.
    std::string appName;
    std::string appIcon;
    if (!ReadDesktopEntryKey(appEntry, "Name", appName))
        appName = args.exeName;
    ReadDesktopEntryKey(appEntry, "Icon", appIcon);
    const std::string command = QuoteExecArgument(exe);

    std::ostringstream text;
    text << "[Desktop Entry]\n"
         << "Type=Application\n"
         << "Name=" << EscapeDesktopValue(appName) << "\n"
         << "Comment=" << EscapeDesktopValue(args.docTypeName) << "\n"
         << "Exec=" << EscapeDesktopValue(command + " %f") << "\n";
    if (!appIcon.empty())
        text << "Icon=" << EscapeDesktopValue(appIcon) << "\n";
    text << "MimeType=" << mimeType << ";\n"
         << "NoDisplay=true\n"
         << "Actions=Print;\n"
         << "\n[Desktop Action Print]\n"
         << "Name=印刷\n"
         << "Exec=" << EscapeDesktopValue(command + " /p %f") << "\n";
    const std::string name = boost::algorithm::to_lower_copy(args.docTypeId) + ".desktop";
    return WriteFile(dataDir + "/applications/" + name, text.str());
}

bool CAssocSetup::WriteDefaultApplication(const std::string& mimeType, const std::string& entryId)
{
    const std::string path = CXdgDirs::ConfigHome() + "/mimeapps.list";
    std::string text;
    errno = 0;
    if (!ReadWhole(path, text) && errno != ENOENT) {
        SystemMessage(path, errno);
        return false;
    }
    text = SetKeyFileValue(text, "Default Applications", mimeType, entryId);
    text = SetKeyFileValue(text, "Added Associations", mimeType, entryId + ";");
    return WriteFile(path, text);
}

bool CAssocSetup::WriteTemplate(const SArguments& args)
{
    const std::string folder = CXdgDirs::TemplatesDir();
    if (folder.empty())
        return true;
    // The display name may hold a slash; a file name cannot.
    std::string name = args.docTypeName + args.extension;
    for (char& c : name) {
        if (c == '/')
            c = '_';
    }
    return WriteFile(folder + "/" + name, std::string());
}

bool CAssocSetup::RunUpdateTool(const char* tool, const std::string& folder)
{
    char* const argv[] = {const_cast<char*>(tool), const_cast<char*>(folder.c_str()), nullptr};
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
    pid_t pid = 0;
    const int error = posix_spawnp(&pid, tool, &actions, nullptr, argv, environ);
    posix_spawn_file_actions_destroy(&actions);
    if (error == ENOENT)
        return true; // not installed: the desktop reads the files as they are
    if (error != 0) {
        SystemMessage(tool, error);
        return false;
    }
    int status = 0;
    while (::waitpid(pid, &status, 0) < 0) {
        if (errno != EINTR) {
            SystemMessage(tool, errno);
            return false;
        }
    }
    if (WIFEXITED(status) && WEXITSTATUS(status) == 0)
        return true;
    Message(std::string(tool) + " " + folder + ": 終了コード " +
            std::to_string(WIFEXITED(status) ? WEXITSTATUS(status) : -1));
    return false;
}

bool CAssocSetup::WriteFile(const std::string& path, const std::string& contents)
{
    // Written beside the old file and renamed over it, so a failure never
    // leaves a half-written registration.
    const std::string folder = FolderOf(path);
    if (!MakeFolders(folder)) {
        SystemMessage(folder, errno);
        return false;
    }
    std::string temp = path + ".XXXXXX";
    const int fd = ::mkstemp(&temp[0]);
    if (fd < 0) {
        SystemMessage(path, errno);
        return false;
    }
    size_t done = 0;
    while (done < contents.size()) {
        const ssize_t n = ::write(fd, contents.data() + done, contents.size() - done);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            const int error = n < 0 ? errno : EIO;
            ::close(fd);
            ::unlink(temp.c_str());
            SystemMessage(path, error);
            return false;
        }
        done += static_cast<size_t>(n);
    }
    bool ok = ::fchmod(fd, 0644) == 0 && ::fsync(fd) == 0;
    int error = ok ? 0 : errno;
    if (::close(fd) != 0 && ok) {
        ok = false;
        error = errno;
    }
    if (!ok) {
        ::unlink(temp.c_str());
        SystemMessage(path, error);
        return false;
    }
    if (::rename(temp.c_str(), path.c_str()) != 0) {
        const int error = errno;
        ::unlink(temp.c_str());
        SystemMessage(path, error);
        return false;
    }
    return true;
}
