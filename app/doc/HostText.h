#pragma once

#include <QString>

#include <string>

// Where a std::string meets a QString. A std::string in this program holds
// one of two encodings: library text (titles, names, events, descriptions)
// is Shift-JIS, everything else (messages, host paths, settings) is UTF-8.
// Handing one to Qt as if it were the other garbles it silently, so every
// crossing names the encoding it expects. QString::fromStdString and
// QString::toStdString are not used anywhere else in the program (a test
// checks the sources).
class CHostText
{
public:
    // UTF-8 text: messages, settings values, command-line words.
    static QString FromUtf8(const std::string& utf8);
    static std::string ToUtf8(const QString& text);

    // A host path (UTF-8 on this system).
    static QString FromHostPath(const std::string& hostPath);
    static std::string ToHostPath(const QString& path);

    // Library text (Shift-JIS) for showing: bytes that are not valid CP932
    // become U+FFFD. The way back, which must refuse what Shift-JIS cannot
    // hold, is CSjisInput's.
    static QString FromSjis(const std::string& sjis);

    // Text the C library writes in the user's locale encoding (strftime).
    static QString FromLocale(const std::string& localeText);
};
