#pragma once

#include "LogFont.h"

class CArchive;
class CSettings;

// The seven fonts of the chronology table with their text colours. Each slot
// has a base font (as chosen, zoom 100) and a shown font (the base font
// scaled by the current zoom, used for drawing). An invalid slot index is a
// programming error and throws std::out_of_range.
class CFontManager
{
public:
    enum ESlot : int
    {
        FS_EVENT = 0,       // event text; the view's font; the row height
        FS_GENGOU = 1,      // era-name column
        FS_ERA = 2,         // period column
        FS_WESTERN = 3,     // year column
        FS_BASEYEAR = 4,    // base-year column
        FS_SUPPORTYEAR = 5, // year labels in the right margin
        FS_HEADER = 6,      // column header
    };
    static constexpr int kSlotCount = 7;

    // The warning of a zoom that bitmap fonts cannot follow (UTF-8).
    static const char* const kBitmapZoomMessage;

    // Seven system fonts, black text, zoom 100.
    CFontManager();
    virtual ~CFontManager();
    CFontManager(const CFontManager&) = default;
    CFontManager& operator=(const CFontManager&) = default;
    void CopyFrom(const CFontManager& other) { *this = other; }

    // Setting keys: the section of slot i's font and its key in "Colors".
    static const char* FontKey(int slot);
    static const char* ColorKey(int slot);

    const SLogFont& GetFont(int slot) const;      // base font
    const SLogFont& GetShownFont(int slot) const; // zoomed font
    COLORREF GetColor(int slot) const;
    // Sets the base font; the shown font follows at the current zoom.
    void SetFont(int slot, const SLogFont& font);
    void SetAllFonts(const SLogFont& font);
    void SetColor(int slot, COLORREF color);
    void SetAllColors(COLORREF color);
    // Every font and colour becomes the event font's.
    void MakeAllLikeEvent();

    // Rebuilds the shown fonts: lfHeight := percent * base lfHeight / 100,
    // truncated. With a bitmap font among the bases and percent other than
    // 100 the user is told once that those fonts keep their size; returns
    // whether that was shown. Percentages not above 0 are ignored (false).
    bool ApplyZoom(int percent);
    int GetZoom() const { return m_zoom; }
    bool HasBitmapFont() const;

    // The largest |lfHeight| of shown fonts 0..4.
    int GetRowHeight() const;

    // Settings defaults: a slot whose font section has no lfHeight gets the
    // system font; a missing colour is black. The zoom is kept.
    void LoadDefaults(const CSettings& settings);
    void SaveDefaults(CSettings& settings) const;

    // Project-file form: seven times the base font record and its colour.
    void Write(CArchive& ar) const;
    // Reads that form. On failure the archive is failed and the manager is
    // unchanged; on success the shown fonts follow the current zoom.
    bool Read(CArchive& ar);
    // The early form: one font record and one colour for all seven slots.
    bool ReadSingle(CArchive& ar);

    bool operator==(const CFontManager& other) const;

private:
    static void CheckSlot(int slot);
    void RebuildShown();

    SLogFont m_base[kSlotCount];
    SLogFont m_shown[kSlotCount];
    COLORREF m_colors[kSlotCount] = {};
    int m_zoom = 100;
};
