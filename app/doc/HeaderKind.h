#pragma once

class CTableBase;

// Column kinds; the same numbers as EHeaderType and the project file.
enum EColumnKind : int
{
    CK_YEAR = 0,
    CK_GENGOU = 1,
    CK_BASEYEAR = 2,
    CK_ERA = 3,
    CK_EVENT = 4,
};
constexpr int kColumnKindCount = 5;

inline bool IsValidColumnKind(int kind)
{
    return kind >= 0 && kind < kColumnKindCount;
}

// The word of a kind used in setting keys: "year", "gengou", "baseyear",
// "era", "event"; null for an invalid kind.
const char* ColumnKindWord(int kind);
// The kind's name shown to the user (UTF-8): "西暦", "元号", "基点年",
// "時代", "出来事"; null for an invalid kind.
const char* ColumnKindLabel(int kind);

// One column. The table is borrowed (the document owns it; null for the year
// column). left and width point at cells owned by CHeaderManager, which stay
// in place while the column array moves its elements.
struct SHeaderKind
{
    int kind = CK_YEAR;
    CTableBase* table = nullptr;
    int* left = nullptr;
    int* width = nullptr;
};
