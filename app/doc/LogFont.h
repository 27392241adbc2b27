#pragma once

#include <cstdint>
#include <string>

class CArchive;

// A colour as 0x00BBGGRR (0xFF0000 is blue, 0x0000FF is red).
using COLORREF = uint32_t;

// A logical-font record with the fields and sizes of the Windows LOGFONT, so
// that project files and stored settings keep their exact form. The face
// name is Shift-JIS, at most 31 bytes, always zero-terminated. Turning a
// record into a real font is the view's business.
struct SLogFont
{
    static constexpr size_t kFaceSize = 32;
    // Character sets and the other byte values the program uses itself.
    static constexpr uint8_t kShiftJisCharset = 128;
    static constexpr uint8_t kOutStringPrecis = 1; // what raster fonts report
    static constexpr uint8_t kVariablePitch = 2;

    int32_t lfHeight = 0;
    int32_t lfWidth = 0;
    int32_t lfEscapement = 0;
    int32_t lfOrientation = 0;
    int32_t lfWeight = 0;
    uint8_t lfItalic = 0;
    uint8_t lfUnderline = 0;
    uint8_t lfStrikeOut = 0;
    uint8_t lfCharSet = 0;
    uint8_t lfOutPrecision = 0;
    uint8_t lfClipPrecision = 0;
    uint8_t lfQuality = 0;
    uint8_t lfPitchAndFamily = 0;
    char lfFaceName[kFaceSize] = {};

    std::string GetFaceName() const;
    // Copies at most 31 bytes, never splitting a double-byte character.
    void SetFaceName(const std::string& sjis);

    // A font created from this record draws only in its own pixel sizes.
    bool IsBitmapFont() const { return lfOutPrecision == kOutStringPrecis; }

    // The fallback of a display font slot with no stored settings.
    static SLogFont SystemFont();
    // The built-in print header and footer font: height -15, weight 400,
    // Shift-JIS, variable pitch, face "ＭＳ Ｐゴシック".
    static SLogFont PageDefaultFont();

    // Project-file form: five int32, eight bytes, int32 n = face length + 1,
    // then n bytes (the face name and its zero).
    void Write(CArchive& ar) const;
    // Reads that form; on failure the archive is failed and *this unchanged.
    // A face field longer than 32 bytes (never written by the program) is
    // consumed whole but only its first 31 bytes are kept.
    bool Read(CArchive& ar);

    bool operator==(const SLogFont& other) const;
    bool operator!=(const SLogFont& other) const { return !(*this == other); }
};
