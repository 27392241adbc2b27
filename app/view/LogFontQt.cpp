#include "LogFontQt.h"

#include "HostText.h"
#include "ShiftJis.h"

#include <QFontMetrics>

#include <algorithm>
#include <cstdlib>

namespace {

struct SFaceMap
{
    const char* windowsFace; // UTF-8
    const char* family;      // installed stand-in
};

// The first entry naming a family is the face stored back for it.
const SFaceMap kFaceMap[] = {
    {"ＭＳ Ｐゴシック", "IPAPGothic"}, {"ＭＳ ゴシック", "IPAGothic"},
    {"ＭＳ 明朝", "IPAMincho"},        {"ＭＳ Ｐ明朝", "IPAPMincho"},
    {"MS PGothic", "IPAPGothic"},      {"MS Gothic", "IPAGothic"},
    {"MS Mincho", "IPAMincho"},        {"MS PMincho", "IPAPMincho"},
    {"MS UI Gothic", "IPAPGothic"},    {"ＭＳ ＵＩ ゴシック", "IPAPGothic"},
    {"System", "IPAPGothic"},          {"メイリオ", "IPAPGothic"},
    {"Meiryo", "IPAPGothic"},          {"Meiryo UI", "IPAPGothic"},
    {"MS Shell Dlg", "IPAPGothic"},    {"MS Shell Dlg 2", "IPAPGothic"},
    {"MS Sans Serif", "IPAPGothic"},   {"Terminal", "IPAGothic"},
    {"FixedSys", "IPAGothic"},
};

// Pixel size a font needs for its ascent + descent to be cellHeight.
int PixelSizeForCell(QFont font, int cellHeight)
{
    const int probe = 100;
    font.setPixelSize(probe);
    const int cell = QFontMetrics(font).height();
    if (cell <= 0)
        return cellHeight;
    const long long size = (static_cast<long long>(cellHeight) * probe + cell / 2) / cell;
    return static_cast<int>(std::max(1LL, std::min<long long>(size, 0xFFFF)));
}

} // namespace

QString CLogFontQt::MapFaceName(const QString& face)
{
    QString name = face.trimmed();
    // Vertical-writing variants draw the same glyphs here.
    if (name.startsWith(QLatin1Char('@')))
        name.remove(0, 1);
    for (const SFaceMap& entry : kFaceMap) {
        if (name.compare(QString::fromUtf8(entry.windowsFace), Qt::CaseInsensitive) == 0)
            return QString::fromLatin1(entry.family);
    }
    return name;
}

QString CLogFontQt::WindowsFaceFor(const QString& family)
{
    for (const SFaceMap& entry : kFaceMap) {
        if (family.compare(QLatin1String(entry.family), Qt::CaseInsensitive) == 0)
            return QString::fromUtf8(entry.windowsFace);
    }
    return QString();
}

QStringList CLogFontQt::FallbackFamilies()
{
    return {QStringLiteral("IPAPGothic"),       QStringLiteral("IPAGothic"),
            QStringLiteral("Noto Sans CJK JP"), QStringLiteral("VL PGothic"),
            QStringLiteral("TakaoPGothic"),     QStringLiteral("sans-serif")};
}

QFont CLogFontQt::ToQFont(const SLogFont& logFont)
{
    const QString face =
        MapFaceName(CHostText::FromSjis(logFont.GetFaceName()));
    QStringList families;
    if (!face.isEmpty())
        families << face;
    for (const QString& fallback : FallbackFamilies()) {
        if (!families.contains(fallback, Qt::CaseInsensitive))
            families << fallback;
    }
    QFont font;
    font.setFamilies(families);
    font.setStyleHint(QFont::SansSerif);

    if (logFont.lfWeight > 0)
        font.setWeight(static_cast<QFont::Weight>(std::clamp<int32_t>(logFont.lfWeight, 1, 1000)));
    else
        font.setWeight(QFont::Normal);
    font.setItalic(logFont.lfItalic != 0);
    font.setUnderline(logFont.lfUnderline != 0);
    font.setStrikeOut(logFont.lfStrikeOut != 0);

    // |INT32_MIN| does not fit an int: treat the extremes as the largest size.
    const int32_t height = logFont.lfHeight;
    if (height < 0) {
        const long long size = -static_cast<long long>(height);
        font.setPixelSize(static_cast<int>(std::min<long long>(size, 0xFFFF)));
    } else if (height > 0) {
        font.setPixelSize(PixelSizeForCell(font, std::min<int32_t>(height, 0xFFFF)));
    } else {
        font.setPixelSize(16);
    }
    return font;
}

SLogFont CLogFontQt::FromQFont(const QFont& font, const SLogFont& base)
{
    SLogFont result = base;
    int pixels = font.pixelSize();
    if (pixels <= 0) {
        // Points at the 96 dots per inch the stored sizes assume.
        const double points = font.pointSizeF();
        pixels = points > 0 ? static_cast<int>(points * 96.0 / 72.0 + 0.5) : 16;
    }
    result.lfHeight = -pixels;
    result.lfWidth = 0;
    result.lfWeight = font.weight();
    result.lfItalic = font.italic() ? 1 : 0;
    result.lfUnderline = font.underline() ? 1 : 0;
    result.lfStrikeOut = font.strikeOut() ? 1 : 0;
    // Everything chosen here is scalable.
    if (result.lfOutPrecision == SLogFont::kOutStringPrecis)
        result.lfOutPrecision = 0;
    if (result.lfCharSet == 0)
        result.lfCharSet = SLogFont::kShiftJisCharset;

    const QString family = font.families().isEmpty() ? font.family() : font.families().front();
    QString stored = WindowsFaceFor(family);
    if (stored.isEmpty())
        stored = family;
    std::string sjis;
    if (!CShiftJis::FromUtf8(CHostText::ToUtf8(stored), sjis))
        sjis.clear(); // a face Shift-JIS cannot hold: the default face
    result.SetFaceName(sjis);
    return result;
}
