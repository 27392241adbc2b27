#pragma once

#include <string>

// File names the conversions propose.
class CExchangePath
{
public:
    // path with its last three characters (the extension of a library or a
    // CSV file) replaced by extension. Host paths are UTF-8, so characters,
    // not bytes, are dropped.
    static std::string WithExtension(const std::string& path, const std::string& extension);
};
