#pragma once

#include "HeaderKind.h"
#include "RowInfo.h"

#include <string>

class CSettings;

// The per-kind column defaults, indexed by column kind 0..4. An invalid kind
// is a programming error and throws std::out_of_range.
class CRowInfoAll
{
public:
    static constexpr int kMinWidth = 1;
    static constexpr int kMaxWidth = 10000;

    // Built-in defaults: width 50 (500 for events), same width off.
    CRowInfoAll();

    static int BuiltInWidth(int kind);
    void ResetToBuiltIn();

    const CRowInfo& Get(int kind) const;
    void Get(int kind, int& width, bool& sameWidth) const;
    int GetWidth(int kind) const { return Get(kind).GetWidth(); }
    bool GetSameWidth(int kind) const { return Get(kind).GetSameWidth(); }
    void SetWidth(int kind, int width);
    void SetSameWidth(int kind, bool sameWidth);
    void Set(int kind, int width, bool sameWidth);

    // Setting keys in section "Width": "InitWidth_event", "SameWidth_era", ...
    static std::string InitWidthKey(int kind);
    static std::string SameWidthKey(int kind);

    // Reads all five pairs; an absent value keeps the built-in default.
    void LoadFromSettings(const CSettings& settings);
    // Writes all ten values.
    void SaveToSettings(CSettings& settings) const;

    bool operator==(const CRowInfoAll& other) const;

private:
    CRowInfo& At(int kind);

    CRowInfo m_info[kColumnKindCount];
};
