#pragma once

#include "ShiftJis.h"

#include <stdexcept>
#include <string>

// Test sources are UTF-8; library contents are Shift-JIS.
inline std::string Sjis(const std::string& utf8)
{
    std::string out, error;
    if (!CShiftJis::FromUtf8(utf8, out, &error))
        throw std::runtime_error("not representable in Shift-JIS: " + error);
    return out;
}

inline std::string Utf8(const std::string& sjis)
{
    return CShiftJis::ToUtf8Lossy(sjis);
}
