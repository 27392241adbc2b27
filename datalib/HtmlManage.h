#pragma once

#include "AnnaluxDataExport.h"

#include <string>

// Link markup in event texts, supplements and era names: one HTML anchor of
// the form <A HREF="url">label</A>. Strings are Shift-JIS bytes; indices are
// byte indices.
class ANNALUX_DATA_EXPORT CHtmlManage
{
public:
    // Finds the first anchor of text when pos lies within it.
    static bool GetLinkFromString(const std::string& text, int pos, std::string& url,
                                  std::string& label, int& begin, int& end);
    // out := in without any tags.
    static void RemoveHtml(const std::string& in, std::string& out);
    static std::string RemoveHtml(const std::string& in);
    // The markup the link editor writes.
    static std::string MakeLink(const std::string& url, const std::string& label);
};
