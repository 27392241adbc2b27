#include "LibraryFileReader.h"

#include "BaseYear.h"
#include "GengouEra.h"
#include "YearEvent.h"

EHeaderType CLibraryFileReader::KindOfExtension(const std::string& path)
{
    const size_t dot = path.find_last_of("./");
    if (dot == std::string::npos || path[dot] != '.')
        return HT_NONE;
    std::string extension = path.substr(dot + 1);
    for (char& c : extension) {
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    }
    for (EHeaderType kind : {HT_GENGOU, HT_BASEYEAR, HT_PERIOD, HT_EVENT}) {
        if (extension == CTableBase::FileKind(kind).extension)
            return kind;
    }
    return HT_NONE;
}

std::unique_ptr<CTableBase> CLibraryFileReader::Read(const std::string& path, EHeaderType kind)
{
    switch (kind) {
    case HT_GENGOU:
    case HT_PERIOD: {
        auto table = std::make_unique<CGengouEra>();
        if (!table->ReadFile(path.c_str(), kind, true))
            return nullptr;
        return table;
    }
    case HT_BASEYEAR: {
        auto table = std::make_unique<CBaseYear>();
        if (!table->ReadFile(path.c_str()))
            return nullptr;
        return table;
    }
    case HT_EVENT: {
        auto table = std::make_unique<CYearEvent>();
        if (!table->ReadFile(path.c_str(), true))
            return nullptr;
        return table;
    }
    default:
        return nullptr;
    }
}
