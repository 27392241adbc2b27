#pragma once

#include <string>
#include <vector>

// What the program was asked to do at start, from its command line (the
// arguments after the program name, with Qt's own options already taken
// out). The forms are those a file manager uses:
//   (nothing)                          a new, empty chronology
//   PROJECT                            open the project
//   /p PROJECT   or -p PROJECT         print the project
//   /pt PROJECT PRINTER [DRIVER [PORT]]  print the project on that printer
// The flags are matched without regard to case. A lone '/' word that is not
// one of the flags is a path, as absolute paths begin with '/'.
class CCommandLineInfo
{
public:
    enum EShellCommand
    {
        FileNew,
        FileOpen,
        FilePrint,
        FilePrintTo,
        Invalid,
    };

    EShellCommand m_shellCommand = FileNew;
    std::string m_fileName;
    std::string m_printerName;
    std::string m_driverName;
    std::string m_portName;
    // Why the line is Invalid (English, for the terminal).
    std::string m_error;

    static CCommandLineInfo Parse(const std::vector<std::string>& arguments);
    bool IsPrint() const { return m_shellCommand == FilePrint || m_shellCommand == FilePrintTo; }
    // Whether a first word asks for one of the print forms.
    static bool IsPrintFlag(const std::string& word);
};
