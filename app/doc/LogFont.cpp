#include "LogFont.h"

#include "Archive.h"
#include "ShiftJis.h"

#include <cstring>

std::string SLogFont::GetFaceName() const
{
    return std::string(lfFaceName, strnlen(lfFaceName, kFaceSize));
}

void SLogFont::SetFaceName(const std::string& sjis)
{
    // A zero byte ends the name as it would in the record itself.
    const std::string upToZero = sjis.substr(0, sjis.find('\0'));
    const std::string name = CShiftJis::Truncate(upToZero, kFaceSize - 1);
    std::memset(lfFaceName, 0, kFaceSize);
    std::memcpy(lfFaceName, name.data(), name.size());
}

SLogFont SLogFont::SystemFont()
{
    // The cell height of the stock system font of a Japanese desktop (18
    // pixels, so rows keep their height), in the regular proportional Gothic
    // face that Japanese desktops show text in; the bold raster face itself
    // looks out of place here and is wider than the columns are made for.
    // The face is stored by its Windows name, which the view maps to the
    // installed IPA or Noto face, so a project made here reads the same
    // everywhere.
    SLogFont f;
    f.lfHeight = 18;
    f.lfWeight = 400;
    f.lfCharSet = kShiftJisCharset;
    f.lfClipPrecision = 2;
    f.lfPitchAndFamily = kVariablePitch | 0x20; // FF_SWISS
    f.SetFaceName(
        "\x82\x6C\x82\x72\x20\x82\x6F\x83\x53\x83\x56\x83\x62\x83\x4E"); // ＭＳ Ｐゴシック
    return f;
}

SLogFont SLogFont::PageDefaultFont()
{
    SLogFont f;
    f.lfHeight = -15;
    f.lfWeight = 400;
    f.lfCharSet = kShiftJisCharset;
    f.lfPitchAndFamily = kVariablePitch;
    f.SetFaceName(
        "\x82\x6C\x82\x72\x20\x82\x6F\x83\x53\x83\x56\x83\x62\x83\x4E"); // ＭＳ Ｐゴシック
    return f;
}

void SLogFont::Write(CArchive& ar) const
{
    ar.WriteInt32(lfHeight);
    ar.WriteInt32(lfWidth);
    ar.WriteInt32(lfEscapement);
    ar.WriteInt32(lfOrientation);
    ar.WriteInt32(lfWeight);
    ar.WriteByte(lfItalic);
    ar.WriteByte(lfUnderline);
    ar.WriteByte(lfStrikeOut);
    ar.WriteByte(lfCharSet);
    ar.WriteByte(lfOutPrecision);
    ar.WriteByte(lfClipPrecision);
    ar.WriteByte(lfQuality);
    ar.WriteByte(lfPitchAndFamily);
    const std::string face = GetFaceName();
    ar.WriteInt32(static_cast<int32_t>(face.size() + 1));
    ar.WriteBytes(face.data(), face.size());
    ar.WriteByte(0);
}

bool SLogFont::Read(CArchive& ar)
{
    SLogFont f;
    ar.ReadInt32(f.lfHeight);
    ar.ReadInt32(f.lfWidth);
    ar.ReadInt32(f.lfEscapement);
    ar.ReadInt32(f.lfOrientation);
    ar.ReadInt32(f.lfWeight);
    ar.ReadByte(f.lfItalic);
    ar.ReadByte(f.lfUnderline);
    ar.ReadByte(f.lfStrikeOut);
    ar.ReadByte(f.lfCharSet);
    ar.ReadByte(f.lfOutPrecision);
    ar.ReadByte(f.lfClipPrecision);
    ar.ReadByte(f.lfQuality);
    ar.ReadByte(f.lfPitchAndFamily);
    int32_t n = 0;
    if (!ar.ReadInt32(n))
        return false;
    if (n < 0) {
        ar.SetError(CArchive::AE_INVALID_DATA);
        return false;
    }
    // The count is checked against the bytes left before anything is read,
    // and only the face-name field's worth of it is kept.
    std::string face;
    if (!ar.ReadBytes(face, static_cast<size_t>(n)))
        return false;
    f.SetFaceName(face);
    *this = f;
    return true;
}

bool SLogFont::operator==(const SLogFont& o) const
{
    return lfHeight == o.lfHeight && lfWidth == o.lfWidth && lfEscapement == o.lfEscapement &&
           lfOrientation == o.lfOrientation && lfWeight == o.lfWeight && lfItalic == o.lfItalic &&
           lfUnderline == o.lfUnderline && lfStrikeOut == o.lfStrikeOut &&
           lfCharSet == o.lfCharSet && lfOutPrecision == o.lfOutPrecision &&
           lfClipPrecision == o.lfClipPrecision && lfQuality == o.lfQuality &&
           lfPitchAndFamily == o.lfPitchAndFamily && GetFaceName() == o.GetFaceName();
}
