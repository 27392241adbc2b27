#include "FontManager.h"

#include "Archive.h"
#include "HostServices.h"
#include "Settings.h"

#include <climits>
#include <cstdlib>
#include <stdexcept>

const char* const CFontManager::kBitmapZoomMessage =
    "ビットマップフォントが指定されているため、ズーム指定しても文字の大きさは変わりません。\r\n"
    "ズーム時に文字の大きさを連動させるには、MS明朝などのスケーラブルフォントを選択してください"
    "。";

namespace {

const char* const kFontKeys[CFontManager::kSlotCount] = {
    "Font",         "FontGengou",          "FontEra",       "FontWestern",
    "FontBaseYear", "FontBaseSupportYear", "FontBaseHeader"};
const char* const kColorKeys[CFontManager::kSlotCount] = {
    "FontColor",         "FontGengouColor",      "FontEraColor",   "FontWesternColor",
    "FontBaseYearColor", "FontSupportYearColor", "FontHeaderColor"};

SLogFont Zoomed(const SLogFont& base, int percent)
{
    SLogFont f = base;
    const int64_t h = int64_t(percent) * base.lfHeight / 100;
    f.lfHeight = h > INT_MAX ? INT_MAX : h < INT_MIN ? INT_MIN : static_cast<int32_t>(h);
    return f;
}

} // namespace

CFontManager::CFontManager()
{
    for (int i = 0; i < kSlotCount; ++i) {
        m_base[i] = SLogFont::SystemFont();
        m_shown[i] = m_base[i];
    }
}

CFontManager::~CFontManager() = default;

void CFontManager::CheckSlot(int slot)
{
    if (slot < 0 || slot >= kSlotCount)
        throw std::out_of_range("font slot out of range");
}

const char* CFontManager::FontKey(int slot)
{
    CheckSlot(slot);
    return kFontKeys[slot];
}

const char* CFontManager::ColorKey(int slot)
{
    CheckSlot(slot);
    return kColorKeys[slot];
}

const SLogFont& CFontManager::GetFont(int slot) const
{
    CheckSlot(slot);
    return m_base[slot];
}

const SLogFont& CFontManager::GetShownFont(int slot) const
{
    CheckSlot(slot);
    return m_shown[slot];
}

COLORREF CFontManager::GetColor(int slot) const
{
    CheckSlot(slot);
    return m_colors[slot];
}

void CFontManager::SetFont(int slot, const SLogFont& font)
{
    CheckSlot(slot);
    m_base[slot] = font;
    m_shown[slot] = Zoomed(font, m_zoom);
}

void CFontManager::SetAllFonts(const SLogFont& font)
{
    for (int i = 0; i < kSlotCount; ++i)
        SetFont(i, font);
}

void CFontManager::SetColor(int slot, COLORREF color)
{
    CheckSlot(slot);
    m_colors[slot] = color;
}

void CFontManager::SetAllColors(COLORREF color)
{
    for (COLORREF& c : m_colors)
        c = color;
}

void CFontManager::MakeAllLikeEvent()
{
    const SLogFont font = m_base[FS_EVENT];
    const COLORREF color = m_colors[FS_EVENT];
    SetAllFonts(font);
    SetAllColors(color);
}

void CFontManager::RebuildShown()
{
    for (int i = 0; i < kSlotCount; ++i)
        m_shown[i] = Zoomed(m_base[i], m_zoom);
}

bool CFontManager::HasBitmapFont() const
{
    for (const SLogFont& f : m_base)
        if (f.IsBitmapFont())
            return true;
    return false;
}

bool CFontManager::ApplyZoom(int percent)
{
    if (percent <= 0)
        return false;
    m_zoom = percent;
    RebuildShown();
    if (percent == 100 || !HasBitmapFont())
        return false;
    CHostServices::Get().MessageBox(kBitmapZoomMessage, CHostServices::Ok);
    return true;
}

int CFontManager::GetRowHeight() const
{
    int64_t height = 0;
    for (int i = FS_EVENT; i <= FS_BASEYEAR; ++i) {
        const int64_t h = std::llabs(int64_t(m_shown[i].lfHeight));
        if (h > height)
            height = h;
    }
    return height > INT_MAX ? INT_MAX : static_cast<int>(height);
}

void CFontManager::LoadDefaults(const CSettings& settings)
{
    for (int i = 0; i < kSlotCount; ++i) {
        SLogFont font = SLogFont::SystemFont();
        settings.GetFont(kFontKeys[i], font);
        m_base[i] = font;
        m_colors[i] = settings.GetFontColor(i);
    }
    RebuildShown();
}

void CFontManager::SaveDefaults(CSettings& settings) const
{
    for (int i = 0; i < kSlotCount; ++i) {
        settings.SetFont(kFontKeys[i], m_base[i]);
        settings.SetFontColor(i, m_colors[i]);
    }
}

void CFontManager::Write(CArchive& ar) const
{
    for (int i = 0; i < kSlotCount; ++i) {
        m_base[i].Write(ar);
        ar.WriteUInt32(m_colors[i]);
    }
}

bool CFontManager::Read(CArchive& ar)
{
    SLogFont fonts[kSlotCount];
    COLORREF colors[kSlotCount] = {};
    for (int i = 0; i < kSlotCount; ++i) {
        if (!fonts[i].Read(ar) || !ar.ReadUInt32(colors[i]))
            return false;
    }
    for (int i = 0; i < kSlotCount; ++i) {
        m_base[i] = fonts[i];
        m_colors[i] = colors[i];
    }
    RebuildShown();
    return true;
}

bool CFontManager::ReadSingle(CArchive& ar)
{
    SLogFont font;
    COLORREF color = 0;
    if (!font.Read(ar) || !ar.ReadUInt32(color))
        return false;
    SetAllFonts(font);
    SetAllColors(color);
    return true;
}

bool CFontManager::operator==(const CFontManager& other) const
{
    for (int i = 0; i < kSlotCount; ++i)
        if (m_base[i] != other.m_base[i] || m_shown[i] != other.m_shown[i] ||
            m_colors[i] != other.m_colors[i])
            return false;
    return m_zoom == other.m_zoom;
}
