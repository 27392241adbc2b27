#pragma once

#include <string>

// The text of a CSV file to import, in Shift-JIS. Spreadsheets here save CSV
// as UTF-8, so a file that starts with the UTF-8 byte-order mark, or that is
// valid UTF-8 holding non-ASCII text and is not valid Shift-JIS, is converted;
// any other file is taken byte for byte.
class CCsvInputText
{
public:
    enum EResult : int
    {
        Loaded = 0,
        CannotOpen = 1,
        Unrepresentable = 2, // UTF-8 holding a character Shift-JIS lacks
    };

    EResult Load(const std::string& path);
    // The same for bytes already read.
    EResult Decode(std::string bytes);

    // The Shift-JIS text after Loaded.
    const std::string& Text() const { return m_text; }
    std::string& Text() { return m_text; }
    // Whether the file was UTF-8.
    bool WasUtf8() const { return m_utf8; }
    // After Unrepresentable: the message naming the character and its line.
    const std::string& Message() const { return m_message; }

    static bool IsUtf8(const std::string& bytes);

private:
    std::string m_text;
    std::string m_message;
    bool m_utf8 = false;
};
