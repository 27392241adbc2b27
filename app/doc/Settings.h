#pragma once

#include "LogFont.h"

#include <QByteArray>
#include <QString>
#include <memory>
#include <string>

class QSettings;

// A window rectangle in screen coordinates.
struct SWindowRect
{
    int left = -1;
    int top = -1;
    int right = -1;
    int bottom = -1;
    bool operator==(const SWindowRect& o) const
    {
        return left == o.left && top == o.top && right == o.right && bottom == o.bottom;
    }
};

// The program's persistent settings, one section per group, over QSettings
// with organisation "Veltrin Software" and application "annalux".
//
// Integer values: a value that is absent, not a number, or -1 counts as
// absent and yields the default. Strings are stored as Unicode text; the
// accessors that deal in library text take and give Shift-JIS.
//
// Most code uses CSettings::Get(), the settings in force; tests install
// settings over a temporary file with CSettingsScope.
class CSettings
{
public:
    // The user's own settings.
    CSettings();
    // Settings in an INI file of this path (UTF-8), created on first write.
    explicit CSettings(const std::string& iniPath);
    ~CSettings();
    CSettings(const CSettings&) = delete;
    CSettings& operator=(const CSettings&) = delete;

    // The settings in force: the installed ones, else the user's own.
    static CSettings& Get();
    // Installs settings (not owned); null restores the user's own.
    static void Set(CSettings* settings);

    // ---- generic access ------------------------------------------------
    int GetInt(const char* section, const char* key, int defaultValue) const;
    bool HasInt(const char* section, const char* key) const;
    void SetInt(const char* section, const char* key, int value);
    // UTF-8 text.
    std::string GetString(const char* section, const char* key,
                          const std::string& defaultValue = std::string()) const;
    void SetString(const char* section, const char* key, const std::string& value);
    // Raw bytes (stored exactly).
    QByteArray GetBinary(const char* section, const char* key) const;
    void SetBinary(const char* section, const char* key, const QByteArray& value);
    bool Contains(const char* section, const char* key) const;
    void Remove(const char* section, const char* key);
    // Writes pending changes to storage; false when storage reports an error.
    bool Sync();
    QString FileName() const;

    // ---- Assistant -----------------------------------------------------
    bool GetAssistantDisp() const; // default shown
    void SetAssistantDisp(bool show);

    // ---- LastPos, LastSupplePos ----------------------------------------
    // False (rect unchanged) unless all four values are present.
    bool GetLastPos(SWindowRect& rect) const;
    void SetLastPos(const SWindowRect& rect);
    // Whether the main window was maximised when it closed (LastPos rect is
    // then its normal place); false when absent.
    bool GetLastMaximized() const;
    void SetLastMaximized(bool maximized);
    bool GetLastSupplePos(SWindowRect& rect) const;
    void SetLastSupplePos(const SWindowRect& rect);

    // ---- Colors --------------------------------------------------------
    COLORREF GetBackColor() const; // 0xFFFFFF
    void SetBackColor(COLORREF c);
    COLORREF GetBackColorEven() const; // 0xFFFFFF
    void SetBackColorEven(COLORREF c);
    COLORREF GetBackColorOdd() const; // 0xE0E0E0
    void SetBackColorOdd(COLORREF c);
    COLORREF GetLinkColor() const; // 0xFF0000
    void SetLinkColor(COLORREF c);
    COLORREF GetSupplementColor() const; // 0x0000FF
    void SetSupplementColor(COLORREF c);
    COLORREF GetAboutColor() const; // 0x808080
    void SetAboutColor(COLORREF c);
    COLORREF GetEventMarkColor() const; // 0xFF0000
    void SetEventMarkColor(COLORREF c);
    static constexpr int kCustomColorCount = 16;
    COLORREF GetCustColor(int index) const; // "CustColor0".."CustColor15"; 0xFFFFFF
    void SetCustColor(int index, COLORREF c);
    COLORREF GetHeaderColor() const; // 0
    void SetHeaderColor(COLORREF c);
    COLORREF GetFooterColor() const; // 0
    void SetFooterColor(COLORREF c);
    // Colours of the seven display fonts (CFontManager::ColorKey); 0.
    COLORREF GetFontColor(int slot) const;
    void SetFontColor(int slot, COLORREF c);

    // ---- fonts ---------------------------------------------------------
    static constexpr const char* kPageFontHeader = "PageFontHeader";
    static constexpr const char* kPageFontFooter = "PageFontFooter";
    // The font in a font section ("Font", "FontGengou", ..., "PageFontHeader",
    // "PageFontFooter"); false (font unchanged) when lfHeight is absent.
    bool GetFont(const char* section, SLogFont& font) const;
    void SetFont(const char* section, const SLogFont& font);

    // ---- Width ---------------------------------------------------------
    // "InitWidth_<kind word>"; defaultValue when absent.
    int GetInitWidth(int kind, int defaultValue) const;
    void SetInitWidth(int kind, int width);
    bool GetSameWidth(int kind) const; // false
    void SetSameWidth(int kind, bool same);

    // ---- Supplement, Display, Search -----------------------------------
    bool GetDisplaySupplementMark() const; // shown unless stored as 0
    void SetDisplaySupplementMark(bool show);
    int GetTextMargin() const; // 0; never negative
    void SetTextMargin(int pixels);
    bool GetCapital() const; // false
    void SetCapital(bool caseSensitive);

    // ---- Save ------------------------------------------------------------
    // "バックアップを作成する": a save keeps the file it replaces as NAME~.
    bool GetBackup() const; // true
    void SetBackup(bool on);

    // ---- PageLayout ----------------------------------------------------
    // Booleans are true when absent or non-zero.
    bool GetFitToRight() const;
    void SetFitToRight(bool on);
    bool GetSupplMark() const;
    void SetSupplMark(bool on);
    bool GetLinkMark() const;
    void SetLinkMark(bool on);
    bool GetDisplayYear() const;
    void SetDisplayYear(bool on);
    int GetMarginTop() const; // 0
    void SetMarginTop(int mm);
    int GetMarginBottom() const;
    void SetMarginBottom(int mm);
    int GetMarginLeft() const;
    void SetMarginLeft(int mm);
    int GetMarginRight() const;
    void SetMarginRight(int mm);
    static constexpr int kPageLayoutSlots = 6;
    // "PageLayout0".."PageLayout5"; false (value unchanged) when absent.
    bool GetPageLayoutItem(int slot, int& code) const;
    void SetPageLayoutItem(int slot, int code);

private:
    bool GetRect(const char* section, SWindowRect& rect) const;
    void SetRect(const char* section, const SWindowRect& rect);
    COLORREF GetColor(const char* key, COLORREF defaultValue) const;
    void SetColor(const char* key, COLORREF c);
    bool GetFlag(const char* section, const char* key, bool defaultValue) const;
    void SetFlag(const char* section, const char* key, bool on);

    std::unique_ptr<QSettings> m_settings;
};

// Installs settings for the lifetime of a scope, restoring the previous ones.
class CSettingsScope
{
public:
    explicit CSettingsScope(CSettings& settings);
    ~CSettingsScope();
    CSettingsScope(const CSettingsScope&) = delete;
    CSettingsScope& operator=(const CSettingsScope&) = delete;

private:
    CSettings* m_previous;
};
