#pragma once

#include <QString>

// The project file type on the desktop: the MIME type of *.anx files, a
// desktop entry that opens and prints them with this program, and the type's
// default application. At start-up the program registers the type for the
// user when the desktop does not know it yet, the way an installer's
// registration would have done; a type already registered (by the package,
// or with another default program the user chose) is left alone.
class CShellRegistration
{
public:
    static const char* const kMimeType;  // "application/x-annalux.document"
    static const char* const kTypeName;  // "Annaluxﾄﾞｷｭﾒﾝﾄ"
    static const char* const kEntryName; // "annalux.document.desktop"

    // True when *.anx files have the type and some desktop entry opens it.
    static bool IsRegistered();
    // Writes the registration for the user under $XDG_DATA_HOME and
    // $XDG_CONFIG_HOME with program as the command, and refreshes the
    // desktop's caches. False when a file could not be written.
    static bool Register(const QString& program);
    // Registers when needed, quietly; the result is not shown to anyone.
    static void EnsureRegistered(const QString& program);
};
