#pragma once

#include <QString>
#include <string>

class QWidget;

// Library text is stored as Shift-JIS; what a user types is Unicode. Every
// editor field passes through here before it is stored, so that a character
// Shift-JIS cannot hold is refused by name instead of being saved as '?'.
class CSjisInput
{
public:
    // Converts text to Shift-JIS. When a character cannot be converted, shows
    // UnencodableMessage for it through the host services, puts the focus on
    // field (when given) with that character selected, leaves sjis untouched
    // and returns false.
    static bool ToSjis(const QString& text, std::string& sjis, QWidget* field);

    // Converts without asking anybody. On failure returns false and, when
    // given, the UTF-16 position and length of the first character that
    // cannot be converted.
    static bool TryToSjis(const QString& text, std::string& sjis, int* badPos = nullptr,
                          int* badLength = nullptr);

    // Shift-JIS library text for showing in a widget (invalid bytes become
    // U+FFFD; nothing is refused on the way in).
    static QString FromSjis(const std::string& sjis);

    // Multi-line library text for a plain-text edit: the CR LF breaks that
    // libraries and projects keep are shown as LF.
    static QString FromSjisLines(const std::string& sjis);

    // Multi-line Shift-JIS text from an edit (LF or CR breaks) with the CR LF
    // breaks library and project text keeps; FromSjisLines undoes it.
    static std::string WithCrLf(const std::string& sjis);

    // "「𠮷」(U+20BB7) はShift-JISで保存できない文字です。…" for the character
    // that starts at pos of text (UTF-8).
    static std::string UnencodableMessage(const QString& text, int pos, int length);
};
