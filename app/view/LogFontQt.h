#pragma once

#include "LogFont.h"

#include <QColor>
#include <QFont>
#include <QString>
#include <QStringList>

// Turns the stored font records (Windows LOGFONT form, Shift-JIS face names)
// into Qt fonts and back, and COLORREF values into QColor and back.
//
// Stored projects name Windows Japanese faces; those are drawn with the IPA
// faces, and every font falls back to a list of Japanese-capable families so
// that text never turns into empty boxes.
class CLogFontQt
{
public:
    // The Qt font of a record: lfHeight < 0 is the character height in
    // pixels, > 0 the cell height (ascent + descent), 0 a default size;
    // weight, italic, underline, strike-out and the mapped face.
    static QFont ToQFont(const SLogFont& logFont);
    // The record the font dialog stores for a font. Faces of installed
    // stand-ins are stored as the Windows faces they stand in for; any other
    // face is stored as it is (Shift-JIS). Fields a QFont does not know are
    // taken from base.
    static SLogFont FromQFont(const QFont& font, const SLogFont& base = SLogFont());

    // The installed family that draws a stored face (UTF-8 name in, Qt
    // family out); the face itself when it is not a known Windows face.
    static QString MapFaceName(const QString& face);
    // The installed face a stand-in was chosen for: "IPAPGothic" ->
    // "ＭＳ Ｐゴシック"; empty for any other family.
    static QString WindowsFaceFor(const QString& family);
    // Families tried after the mapped face.
    static QStringList FallbackFamilies();

    // 0x00BBGGRR <-> QColor (alpha ignored).
    static QColor ToQColor(COLORREF color)
    {
        return QColor(static_cast<int>(color & 0xFF), static_cast<int>((color >> 8) & 0xFF),
                      static_cast<int>((color >> 16) & 0xFF));
    }
    static COLORREF FromQColor(const QColor& color)
    {
        return static_cast<COLORREF>(color.red() & 0xFF) |
               (static_cast<COLORREF>(color.green() & 0xFF) << 8) |
               (static_cast<COLORREF>(color.blue() & 0xFF) << 16);
    }
};
