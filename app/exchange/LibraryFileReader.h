#pragma once

#include "TableBase.h"

#include <memory>
#include <string>

// Reads a library file with its own kind's reader, for the conversions that
// take a library as their input: what the program would refuse to open is
// refused here too, with the reader's own message.
class CLibraryFileReader
{
public:
    // The library kind that a file name's extension (.lev .lgn .ler .lby, in
    // any case) stands for; HT_NONE for any other name.
    static EHeaderType KindOfExtension(const std::string& path);

    // The table read from path by the reader of kind, or null after the
    // reader has shown why (through the host services).
    static std::unique_ptr<CTableBase> Read(const std::string& path, EHeaderType kind);
};
