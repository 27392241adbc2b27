#pragma once

#include <QString>
#include <string>
#include <sys/types.h>

// Finds the program the desktop opens a file with and starts it the way the
// sibling link needs: as `figurant "PATH"`, detached from this program.
class CSiblingLauncher
{
public:
    // The program that opens path: the default application of the file's
    // type (by its name) as the desktop's MIME settings say, taken from the
    // Exec line of its desktop entry. False with an errno-style code when
    // the file, its type, the application or the program is missing.
    static bool FindProgram(const QString& path, QString& program, int& error);

    // Starts program with the argument vector {"figurant", path}. The new
    // process is not this program's child, so nothing has to wait for it.
    // False with errno when it could not be started (exec failing included).
    static bool Start(const QString& program, const QString& path, pid_t& pid, int& error);

    // Whether the process still runs (a process that ended but was not yet
    // collected does not).
    static bool IsRunning(pid_t pid);

    // ---- pieces, open for tests --------------------------------------------
    // The command of a desktop entry's Exec value: its first word with the
    // entry format's quoting and escapes undone (empty when malformed).
    static QString ExecProgram(const QString& exec);
    // The Exec value of the [Desktop Entry] group of an entry's text.
    static QString DesktopEntryExec(const QByteArray& text);
    // The file of desktop id (as mimeapps.list names it) in the XDG
    // application folders, or empty.
    static QString FindDesktopEntry(const QString& desktopId);
};
