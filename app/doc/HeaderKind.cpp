#include "HeaderKind.h"

const char* ColumnKindWord(int kind)
{
    static const char* const words[kColumnKindCount] = {"year", "gengou", "baseyear", "era",
                                                        "event"};
    return IsValidColumnKind(kind) ? words[kind] : nullptr;
}

const char* ColumnKindLabel(int kind)
{
    static const char* const labels[kColumnKindCount] = {"西暦", "元号", "基点年", "時代",
                                                         "出来事"};
    return IsValidColumnKind(kind) ? labels[kind] : nullptr;
}
