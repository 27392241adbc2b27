#pragma once

#include <ctime>
#include <string>

class CSettings;

// The page settings of printing: what the six header and footer slots show,
// the scaling, the marks and the margins. They belong to the user, not to a
// chronology: read from the settings when a chronology begins and written
// back at once when the page setup dialog ends with OK.
struct SPageLayout
{
    // Slots: 0..2 header left, centre, right; 3..5 footer left, centre, right.
    static constexpr int kSlotCount = 6;
    // What a slot shows; the values are stored, so they never change.
    enum EItem
    {
        ItemFileName = 0,
        ItemDateTime = 1,
        ItemDate = 2,
        ItemTime = 3,
        ItemPage = 4,
        ItemNone = 5,
        ItemCount = 6
    };
    // The slot lists' texts in code order (UTF-8).
    static const char* const kItemTexts[ItemCount];

    int items[kSlotCount] = {ItemFileName, ItemNone, ItemDateTime, ItemNone, ItemPage, ItemNone};
    bool fitToRight = true;
    bool supplementMarks = true;
    bool linkMarks = true;
    int marginTop = 0; // millimetres
    int marginBottom = 0;
    int marginLeft = 0;
    int marginRight = 0;
    bool rightEdgeYears = true;

    // Each flag is on unless stored as 0. The slots are read in order; at
    // the first one missing the reading stops and the default codes stay
    // for it and the rest (a half-written set is not mixed with defaults).
    static SPageLayout Load(const CSettings& settings);
    // Writes all fourteen values, in the order earlier versions wrote them.
    void Save(CSettings& settings) const;

    bool HeaderUsed() const { return SlotsUsed(0); }
    bool FooterUsed() const { return SlotsUsed(3); }

    // The text a slot prints (UTF-8): the project's file name up to its last
    // '.' (empty without one), the date and time in the user's own form, or
    // "- page -".
    static std::string ItemText(int code, const std::string& title, int page, std::time_t now);

    bool operator==(const SPageLayout& other) const;
    bool operator!=(const SPageLayout& other) const { return !(*this == other); }

private:
    bool SlotsUsed(int first) const;
};
