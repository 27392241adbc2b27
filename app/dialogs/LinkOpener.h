#pragma once

#include <QString>
#include <QUrl>
#include <functional>
#include <string>

// Opens a link the user activated in the table or in the supplement window:
// web addresses in the user's browser, files with the application the
// desktop associates with them. Relative file targets are taken from the
// current directory (the folder of the libraries).
class CLinkOpener
{
public:
    static const char* const kOpenFailedMessage; // followed by the target

    // target as stored in a library (Shift-JIS bytes).
    static bool OpenSjis(const std::string& target);
    // False (after telling the user) when nothing could open it.
    static bool Open(const QString& target);

    // True when target names a web or other non-file address, e.g.
    // "http://…", "mailto:…"; a drive letter ("C:\…") is not a scheme.
    static bool IsNonFileUrl(const QString& target);
    // The local file a target names: a file URL's path or the text itself,
    // with stored '\' separators turned into '/', made absolute against the
    // current directory when relative.
    static QString ResolveFile(const QString& target);

    // Opens url with the desktop's program for it, telling nobody when that
    // fails (the caller has a fallback).
    static bool OpenUrlQuietly(const QUrl& url);

    // Replaces QDesktopServices::openUrl (tests: nothing is launched); null
    // restores it.
    using OpenUrlFunction = std::function<bool(const QUrl&)>;
    static void SetOpenUrlFunctionForTesting(OpenUrlFunction function);
};
