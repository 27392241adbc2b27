#include "CommandLineInfo.h"

#include <cctype>

namespace {

std::string Lower(std::string s)
{
    for (char& c : s)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return s;
}

bool IsFlag(const std::string& word, const char* name)
{
    if (word.size() < 2 || (word[0] != '/' && word[0] != '-'))
        return false;
    return Lower(word.substr(1)) == name;
}

CCommandLineInfo Fail(const std::string& why)
{
    CCommandLineInfo info;
    info.m_shellCommand = CCommandLineInfo::Invalid;
    info.m_error = why;
    return info;
}

} // namespace

bool CCommandLineInfo::IsPrintFlag(const std::string& word)
{
    return IsFlag(word, "p") || IsFlag(word, "pt");
}

CCommandLineInfo CCommandLineInfo::Parse(const std::vector<std::string>& arguments)
{
    CCommandLineInfo info;
    if (arguments.empty())
        return info;

    size_t next = 0;
    if (IsFlag(arguments[0], "p")) {
        info.m_shellCommand = FilePrint;
        next = 1;
    } else if (IsFlag(arguments[0], "pt")) {
        info.m_shellCommand = FilePrintTo;
        next = 1;
    } else {
        info.m_shellCommand = FileOpen;
    }

    std::vector<std::string> rest(arguments.begin() + static_cast<long>(next), arguments.end());
    for (const std::string& word : rest) {
        // A dash word is an option we do not know; a project whose name
        // begins with '-' can still be given as ./-name.
        if (word.size() > 1 && word[0] == '-')
            return Fail("unknown option '" + word + "'");
        if (word.empty())
            return Fail("empty argument");
    }

    switch (info.m_shellCommand) {
    case FileOpen:
        if (rest.size() != 1)
            return Fail("expected one project file");
        break;
    case FilePrint:
        if (rest.size() != 1)
            return Fail("expected: /p PROJECT");
        break;
    case FilePrintTo:
        if (rest.size() < 2 || rest.size() > 4)
            return Fail("expected: /pt PROJECT PRINTER [DRIVER [PORT]]");
        info.m_printerName = rest[1];
        if (rest.size() > 2)
            info.m_driverName = rest[2];
        if (rest.size() > 3)
            info.m_portName = rest[3];
        break;
    default:
        break;
    }
    info.m_fileName = rest[0];
    return info;
}
