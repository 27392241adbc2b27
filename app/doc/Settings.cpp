#include "Settings.h"

#include "FontManager.h"
#include "HostText.h"
#include "RowInfoAll.h"
#include "ShiftJis.h"

#include <QSettings>
#include <QVariant>
#include <algorithm>
#include <stdexcept>

namespace {

const char* const kOrganisation = "Veltrin Software";
const char* const kApplication = "annalux";

const char* const kColors = "Colors";
const char* const kPageLayout = "PageLayout";

QString KeyOf(const char* section, const char* key)
{
    return QString::fromUtf8(section) + QLatin1Char('/') + QString::fromUtf8(key);
}

CSettings* g_current = nullptr;

} // namespace

CSettings::CSettings() : m_settings(std::make_unique<QSettings>(kOrganisation, kApplication)) {}

CSettings::CSettings(const std::string& iniPath)
    : m_settings(std::make_unique<QSettings>(CHostText::FromHostPath(iniPath), QSettings::IniFormat))
{}

CSettings::~CSettings() = default;

CSettings& CSettings::Get()
{
    if (g_current)
        return *g_current;
    static CSettings user;
    return user;
}

void CSettings::Set(CSettings* settings)
{
    g_current = settings;
}

CSettingsScope::CSettingsScope(CSettings& settings) : m_previous(g_current)
{
    CSettings::Set(&settings);
}

CSettingsScope::~CSettingsScope()
{
    CSettings::Set(m_previous);
}

// ---- generic ---------------------------------------------------------------

bool CSettings::HasInt(const char* section, const char* key) const
{
    const QVariant v = m_settings->value(KeyOf(section, key));
    if (!v.isValid())
        return false;
    bool ok = false;
    const int value = v.toInt(&ok);
    return ok && value != -1;
}

int CSettings::GetInt(const char* section, const char* key, int defaultValue) const
{
    const QVariant v = m_settings->value(KeyOf(section, key));
    if (!v.isValid())
        return defaultValue;
    bool ok = false;
    const int value = v.toInt(&ok);
    return ok && value != -1 ? value : defaultValue;
}

void CSettings::SetInt(const char* section, const char* key, int value)
{
    m_settings->setValue(KeyOf(section, key), value);
}

std::string CSettings::GetString(const char* section, const char* key,
                                 const std::string& defaultValue) const
{
    const QVariant v = m_settings->value(KeyOf(section, key));
    if (!v.isValid())
        return defaultValue;
    return CHostText::ToUtf8(v.toString());
}

void CSettings::SetString(const char* section, const char* key, const std::string& value)
{
    m_settings->setValue(KeyOf(section, key), CHostText::FromUtf8(value));
}

QByteArray CSettings::GetBinary(const char* section, const char* key) const
{
    return m_settings->value(KeyOf(section, key)).toByteArray();
}

void CSettings::SetBinary(const char* section, const char* key, const QByteArray& value)
{
    m_settings->setValue(KeyOf(section, key), value);
}

bool CSettings::Contains(const char* section, const char* key) const
{
    return m_settings->contains(KeyOf(section, key));
}

void CSettings::Remove(const char* section, const char* key)
{
    m_settings->remove(KeyOf(section, key));
}

bool CSettings::Sync()
{
    m_settings->sync();
    return m_settings->status() == QSettings::NoError;
}

QString CSettings::FileName() const
{
    return m_settings->fileName();
}

bool CSettings::GetFlag(const char* section, const char* key, bool defaultValue) const
{
    return GetInt(section, key, defaultValue ? 1 : 0) != 0;
}

void CSettings::SetFlag(const char* section, const char* key, bool on)
{
    SetInt(section, key, on ? 1 : 0);
}

COLORREF CSettings::GetColor(const char* key, COLORREF defaultValue) const
{
    return static_cast<COLORREF>(GetInt(kColors, key, static_cast<int>(defaultValue)));
}

void CSettings::SetColor(const char* key, COLORREF c)
{
    SetInt(kColors, key, static_cast<int>(c));
}

bool CSettings::GetRect(const char* section, SWindowRect& rect) const
{
    const char* const keys[4] = {"left", "top", "right", "bottom"};
    int values[4];
    for (int i = 0; i < 4; ++i) {
        if (!HasInt(section, keys[i]))
            return false;
        values[i] = GetInt(section, keys[i], -1);
    }
    rect.left = values[0];
    rect.top = values[1];
    rect.right = values[2];
    rect.bottom = values[3];
    return true;
}

void CSettings::SetRect(const char* section, const SWindowRect& rect)
{
    SetInt(section, "left", rect.left);
    SetInt(section, "top", rect.top);
    SetInt(section, "right", rect.right);
    SetInt(section, "bottom", rect.bottom);
}

// ---- typed -----------------------------------------------------------------

bool CSettings::GetAssistantDisp() const
{
    return GetFlag("Assistant", "Disp", true);
}
void CSettings::SetAssistantDisp(bool show)
{
    SetFlag("Assistant", "Disp", show);
}

bool CSettings::GetLastPos(SWindowRect& rect) const
{
    return GetRect("LastPos", rect);
}
void CSettings::SetLastPos(const SWindowRect& rect)
{
    SetRect("LastPos", rect);
}
bool CSettings::GetLastMaximized() const
{
    return GetInt("LastPos", "maximized", 0) != 0;
}
void CSettings::SetLastMaximized(bool maximized)
{
    SetInt("LastPos", "maximized", maximized ? 1 : 0);
}
bool CSettings::GetLastSupplePos(SWindowRect& rect) const
{
    return GetRect("LastSupplePos", rect);
}
void CSettings::SetLastSupplePos(const SWindowRect& rect)
{
    SetRect("LastSupplePos", rect);
}

COLORREF CSettings::GetBackColor() const
{
    return GetColor("BackColor", 0xFFFFFF);
}
void CSettings::SetBackColor(COLORREF c)
{
    SetColor("BackColor", c);
}
COLORREF CSettings::GetBackColorEven() const
{
    return GetColor("BackColorEven", 0xFFFFFF);
}
void CSettings::SetBackColorEven(COLORREF c)
{
    SetColor("BackColorEven", c);
}
COLORREF CSettings::GetBackColorOdd() const
{
    return GetColor("BackColorOdd", 0xE0E0E0);
}
void CSettings::SetBackColorOdd(COLORREF c)
{
    SetColor("BackColorOdd", c);
}
COLORREF CSettings::GetLinkColor() const
{
    return GetColor("LinkColor", 0xFF0000);
}
void CSettings::SetLinkColor(COLORREF c)
{
    SetColor("LinkColor", c);
}
COLORREF CSettings::GetSupplementColor() const
{
    return GetColor("SupplementColor", 0x0000FF);
}
void CSettings::SetSupplementColor(COLORREF c)
{
    SetColor("SupplementColor", c);
}
COLORREF CSettings::GetAboutColor() const
{
    return GetColor("AboutColor", 0x808080);
}
void CSettings::SetAboutColor(COLORREF c)
{
    SetColor("AboutColor", c);
}
COLORREF CSettings::GetEventMarkColor() const
{
    return GetColor("EventMarkColor", 0xFF0000);
}
void CSettings::SetEventMarkColor(COLORREF c)
{
    SetColor("EventMarkColor", c);
}

COLORREF CSettings::GetCustColor(int index) const
{
    if (index < 0 || index >= kCustomColorCount)
        throw std::out_of_range("custom colour index out of range");
    return GetColor(("CustColor" + std::to_string(index)).c_str(), 0xFFFFFF);
}
void CSettings::SetCustColor(int index, COLORREF c)
{
    if (index < 0 || index >= kCustomColorCount)
        throw std::out_of_range("custom colour index out of range");
    SetColor(("CustColor" + std::to_string(index)).c_str(), c);
}

COLORREF CSettings::GetHeaderColor() const
{
    return GetColor("HeaderColor", 0);
}
void CSettings::SetHeaderColor(COLORREF c)
{
    SetColor("HeaderColor", c);
}
COLORREF CSettings::GetFooterColor() const
{
    return GetColor("FooterColor", 0);
}
void CSettings::SetFooterColor(COLORREF c)
{
    SetColor("FooterColor", c);
}

COLORREF CSettings::GetFontColor(int slot) const
{
    return GetColor(CFontManager::ColorKey(slot), 0);
}
void CSettings::SetFontColor(int slot, COLORREF c)
{
    SetColor(CFontManager::ColorKey(slot), c);
}

bool CSettings::GetFont(const char* section, SLogFont& font) const
{
    if (!HasInt(section, "lfHeight"))
        return false;
    SLogFont f;
    f.lfHeight = GetInt(section, "lfHeight", 0);
    f.lfWidth = GetInt(section, "lfWidth", 0);
    f.lfEscapement = GetInt(section, "lfEscapement", 0);
    f.lfOrientation = GetInt(section, "lfOrientation", 0);
    f.lfWeight = GetInt(section, "lfWeight", 0);
    f.lfItalic = static_cast<uint8_t>(GetInt(section, "lfItalic", 0));
    f.lfUnderline = static_cast<uint8_t>(GetInt(section, "lfUnderline", 0));
    f.lfStrikeOut = static_cast<uint8_t>(GetInt(section, "lfStrikeOut", 0));
    f.lfCharSet = static_cast<uint8_t>(GetInt(section, "lfCharSet", 0));
    f.lfOutPrecision = static_cast<uint8_t>(GetInt(section, "lfOutPrecision", 0));
    f.lfClipPrecision = static_cast<uint8_t>(GetInt(section, "lfClipPrecision", 0));
    f.lfQuality = static_cast<uint8_t>(GetInt(section, "lfQuality", 0));
    f.lfPitchAndFamily = static_cast<uint8_t>(GetInt(section, "lfPitchAndFamily", 0));
    std::string face;
    if (CShiftJis::FromUtf8(GetString(section, "lfFaceName"), face))
        f.SetFaceName(face); // truncated to the record's 31 bytes
    font = f;
    return true;
}

void CSettings::SetFont(const char* section, const SLogFont& font)
{
    SetInt(section, "lfHeight", font.lfHeight);
    SetInt(section, "lfWidth", font.lfWidth);
    SetInt(section, "lfEscapement", font.lfEscapement);
    SetInt(section, "lfOrientation", font.lfOrientation);
    SetInt(section, "lfWeight", font.lfWeight);
    SetInt(section, "lfItalic", font.lfItalic);
    SetInt(section, "lfUnderline", font.lfUnderline);
    SetInt(section, "lfStrikeOut", font.lfStrikeOut);
    SetInt(section, "lfCharSet", font.lfCharSet);
    SetInt(section, "lfOutPrecision", font.lfOutPrecision);
    SetInt(section, "lfClipPrecision", font.lfClipPrecision);
    SetInt(section, "lfQuality", font.lfQuality);
    SetInt(section, "lfPitchAndFamily", font.lfPitchAndFamily);
    SetString(section, "lfFaceName", CShiftJis::ToUtf8Lossy(font.GetFaceName()));
}

int CSettings::GetInitWidth(int kind, int defaultValue) const
{
    return GetInt("Width", CRowInfoAll::InitWidthKey(kind).c_str(), defaultValue);
}
void CSettings::SetInitWidth(int kind, int width)
{
    SetInt("Width", CRowInfoAll::InitWidthKey(kind).c_str(), width);
}
bool CSettings::GetSameWidth(int kind) const
{
    return GetFlag("Width", CRowInfoAll::SameWidthKey(kind).c_str(), false);
}
void CSettings::SetSameWidth(int kind, bool same)
{
    SetFlag("Width", CRowInfoAll::SameWidthKey(kind).c_str(), same);
}

bool CSettings::GetDisplaySupplementMark() const
{
    return GetFlag("Supplement", "DisplaySupplementMark", true);
}
void CSettings::SetDisplaySupplementMark(bool show)
{
    SetFlag("Supplement", "DisplaySupplementMark", show);
}

int CSettings::GetTextMargin() const
{
    // A negative spacing would shrink rows below their text, down to nothing.
    return std::max(0, GetInt("Display", "TextMargin", 0));
}
void CSettings::SetTextMargin(int pixels)
{
    SetInt("Display", "TextMargin", pixels);
}

bool CSettings::GetCapital() const
{
    return GetFlag("Search", "Capital", false);
}
void CSettings::SetCapital(bool caseSensitive)
{
    SetFlag("Search", "Capital", caseSensitive);
}

bool CSettings::GetBackup() const
{
    return GetFlag("Save", "Backup", true);
}
void CSettings::SetBackup(bool on)
{
    SetFlag("Save", "Backup", on);
}

bool CSettings::GetFitToRight() const
{
    return GetFlag(kPageLayout, "FitToRight", true);
}
void CSettings::SetFitToRight(bool on)
{
    SetFlag(kPageLayout, "FitToRight", on);
}
bool CSettings::GetSupplMark() const
{
    return GetFlag(kPageLayout, "SupplMark", true);
}
void CSettings::SetSupplMark(bool on)
{
    SetFlag(kPageLayout, "SupplMark", on);
}
bool CSettings::GetLinkMark() const
{
    return GetFlag(kPageLayout, "LinkMark", true);
}
void CSettings::SetLinkMark(bool on)
{
    SetFlag(kPageLayout, "LinkMark", on);
}
bool CSettings::GetDisplayYear() const
{
    return GetFlag(kPageLayout, "DisplayYear", true);
}
void CSettings::SetDisplayYear(bool on)
{
    SetFlag(kPageLayout, "DisplayYear", on);
}
int CSettings::GetMarginTop() const
{
    return GetInt(kPageLayout, "MarginTop", 0);
}
void CSettings::SetMarginTop(int mm)
{
    SetInt(kPageLayout, "MarginTop", mm);
}
int CSettings::GetMarginBottom() const
{
    return GetInt(kPageLayout, "MarginBottom", 0);
}
void CSettings::SetMarginBottom(int mm)
{
    SetInt(kPageLayout, "MarginBottom", mm);
}
int CSettings::GetMarginLeft() const
{
    return GetInt(kPageLayout, "MarginLeft", 0);
}
void CSettings::SetMarginLeft(int mm)
{
    SetInt(kPageLayout, "MarginLeft", mm);
}
int CSettings::GetMarginRight() const
{
    return GetInt(kPageLayout, "MarginRight", 0);
}
void CSettings::SetMarginRight(int mm)
{
    SetInt(kPageLayout, "MarginRight", mm);
}

bool CSettings::GetPageLayoutItem(int slot, int& code) const
{
    if (slot < 0 || slot >= kPageLayoutSlots)
        throw std::out_of_range("page layout slot out of range");
    const std::string key = "PageLayout" + std::to_string(slot);
    if (!HasInt(kPageLayout, key.c_str()))
        return false;
    code = GetInt(kPageLayout, key.c_str(), code);
    return true;
}
void CSettings::SetPageLayoutItem(int slot, int code)
{
    if (slot < 0 || slot >= kPageLayoutSlots)
        throw std::out_of_range("page layout slot out of range");
    SetInt(kPageLayout, ("PageLayout" + std::to_string(slot)).c_str(), code);
}
