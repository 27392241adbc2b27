#pragma once

#include <string>

class CViewPrinter;
class QPageSize;

// The print of a chronology as a PDF file: A4 portrait with the printable
// area a printer would leave, text kept as text with the fonts embedded.
// Like every save it never harms an existing file: the PDF is written to a
// temporary file beside the target, every write checked, and renamed over
// the target only when it is complete.
class CPdfOutput
{
public:
    // False with the reason (UTF-8, for the user) when the file could not
    // be written; the target is then as it was. pageSize: another paper
    // than A4 (a printer's own).
    static bool Write(CViewPrinter& printer, const std::string& path, const std::string& title,
                      std::string& error, const QPageSize* pageSize = nullptr);
};
