#pragma once

#include <functional>
#include <string>
#include <vector>

// Registers the document type of an installed application with the desktop:
// a shared-mime-info package for the type (name, icon, the extension's glob),
// a desktop entry that opens and prints files of the type, the type's
// default application and an empty new-file template. The application is
// found through its own desktop entry, whose Path key is its install folder.
//
// Arguments, exactly five: uninstall name (the application's desktop entry
// id), exe name (relative to the install folder), doctypeid, doctypename and
// extension (with its leading dot).
class CAssocSetup
{
public:
    static const char* const kUsage;
    static const char* const kNoInstallDirFormat; // %s: the exe name
    static const char* const kNoShortPathFormat;  // %s: the exe name
    static const char* const kBadArgumentFormat;  // %s: the argument, %s: what it is

    enum EExitCode
    {
        ExitSuccess = 0,
        ExitFailure = 1,
    };

    // Each message for the user, one at a time, in order.
    using MessageSink = std::function<void(const std::string&)>;

    explicit CAssocSetup(MessageSink sink);

    // The program's arguments as one string, each separated by one blank.
    static std::string JoinArguments(const std::vector<std::string>& arguments);
    // Splits at every blank: two blanks in a row give an empty argument, and
    // quotes mean nothing.
    static std::vector<std::string> SplitArguments(const std::string& line);

    // System-wide: the type is registered in the data folder that holds the
    // application's desktop entry, for every user, with no default set in
    // a user's configuration and no user template. Otherwise for the user
    // under $XDG_DATA_HOME and $XDG_CONFIG_HOME.
    void SetSystemWide(bool systemWide) { m_systemWide = systemWide; }

    // Registers; the exit code.
    int Run(const std::string& argumentLine);

private:
    struct SArguments
    {
        std::string uninstallName;
        std::string exeName;
        std::string docTypeId;
        std::string docTypeName;
        std::string extension;
    };

    bool CheckArguments(const SArguments& args);
    // The errno text after a failed system call on what.
    void SystemMessage(const std::string& what, int error);
    void Message(const std::string& text) { m_sink(text); }
    static std::string Format(const char* format, const std::string& a,
                              const std::string& b = std::string());

    bool WriteMimePackage(const std::string& dataDir, const std::string& mimeType,
                          const SArguments& args);
    bool WriteTypeEntry(const std::string& dataDir, const std::string& mimeType,
                        const std::string& exe, const std::string& appEntry,
                        const SArguments& args);
    bool WriteDefaultApplication(const std::string& mimeType, const std::string& entryId);
    bool WriteTemplate(const SArguments& args);
    bool RunUpdateTool(const char* tool, const std::string& folder);
    bool WriteFile(const std::string& path, const std::string& contents);

    MessageSink m_sink;
    bool m_systemWide = false;
};

// ---- text of the files written, exposed for the tests ------------------------

// A desktop entry string value: backslash, newline, tab and carriage return
// escaped.
std::string EscapeDesktopValue(const std::string& text);
// One argument of an Exec line, quoted when it holds a reserved character,
// with % doubled.
std::string QuoteExecArgument(const std::string& argument);
// Text for an XML element or attribute.
std::string EscapeXml(const std::string& text);
// Sets key=value in group of a key file's text (mimeapps.list), adding the
// group or key when missing and keeping every other line as it was.
std::string SetKeyFileValue(const std::string& text, const std::string& group,
                            const std::string& key, const std::string& value);
