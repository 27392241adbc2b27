#pragma once

#include <string>

// Field helpers the library writers share; internal to the data library.
class CFieldText
{
public:
    // A field that is read back whole as one line: a line break would split
    // it and shift every following line, so each CR and LF becomes a blank.
    // CR and LF are never trail bytes.
    static std::string OneLine(const std::string& s)
    {
        std::string out = s;
        for (char& c : out) {
            if (c == '\r' || c == '\n')
                c = ' ';
        }
        return out;
    }
};
