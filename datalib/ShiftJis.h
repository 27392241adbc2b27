#pragma once

#include "AnnaluxDataExport.h"

#include <cstddef>
#include <string>

// Byte-string helpers for Shift-JIS (code page 932) text. Library contents are
// kept as Shift-JIS bytes; every scan for an ASCII byte that can also be the
// trail byte of a double-byte character (0x40-0x7E, e.g. '\\', letters, '|')
// must go through these so that it steps over double-byte characters.
class ANNALUX_DATA_EXPORT CShiftJis
{
public:
    static constexpr size_t npos = std::string::npos;

    // 0x81-0x9F and 0xE0-0xFC start a double-byte character.
    static bool IsLeadByte(unsigned char c)
    {
        return (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC);
    }
    // Bytes of the character that begins at pos: 2 for a lead byte followed by
    // a possible trail byte (0x40-0x7E, 0x80-0xFC), else 1 (a lead byte at the
    // very end or before an ASCII control or punctuation byte counts alone).
    static size_t CharLength(const std::string& s, size_t pos);
    // True when pos is the first byte of a character (not a trail byte).
    static bool IsCharBoundary(const std::string& s, size_t pos);

    // Conversions through iconv (CP932). On failure the output is left empty
    // and error (when given) names the offending character or bytes.
    static bool ToUtf8(const std::string& sjis, std::string& utf8, std::string* error = nullptr);
    static bool FromUtf8(const std::string& utf8, std::string& sjis, std::string* error = nullptr);
    // For showing text only: bytes that are not valid CP932 become U+FFFD.
    static std::string ToUtf8Lossy(const std::string& sjis);

    // Substring and byte search whose matches never begin on a trail byte.
    static size_t Find(const std::string& hay, const std::string& needle, size_t from = 0);
    static size_t FindChar(const std::string& s, char c, size_t from = 0);
    static size_t FindLastChar(const std::string& s, char c);
    // Replaces every occurrence (character-aware, left to right, no overlap).
    static std::string ReplaceAll(const std::string& s, const std::string& from,
                                  const std::string& to);

    // ASCII case mapping that leaves double-byte characters untouched.
    static std::string ToLowerAscii(const std::string& s);
    static std::string ToUpperAscii(const std::string& s);

    // At most maxBytes bytes, never ending in the middle of a character.
    static std::string Truncate(const std::string& s, size_t maxBytes);

    // CR LF <-> the four characters \r\n used inside library fields.
    static std::string EscapeLineBreaks(const std::string& s);
    static std::string UnescapeLineBreaks(const std::string& s);
};
