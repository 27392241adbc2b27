#pragma once

#include "AnnaluxDataExport.h"

#include <string>

// What the library tables need to know of the document that owns them: the
// path of its project file (UTF-8 host path, empty while unsaved). Library
// file names are stored relative to that file's folder.
class ANNALUX_DATA_EXPORT CDocument
{
public:
    virtual ~CDocument();
    virtual std::string GetPathName() const = 0;
};
