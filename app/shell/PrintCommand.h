#pragma once

#include <string>
#include <vector>

class CAnnaluxDoc;

// Printing without a window.
//
// "annalux --print-pdf OUTPUT.pdf [--fit | --fixed] PROJECT": the print of
// the chronology, with the stored page settings (the option chooses the
// scaling instead of them), into a PDF file. Exit code 0; 1 with the reason
// on stderr when the project cannot be opened, has nothing to print or the
// file cannot be written (an existing OUTPUT then stays as it was); 2 for
// wrong usage.
int RunPrintPdfCommand(const std::vector<std::string>& arguments);

// The print forms of the command line: the open chronology printed on the
// named queue (empty: the default printer), handed to the print system as
// one job. Returns the exit code: 0 when the print system took the job.
// Failures are told through the host services.
int PrintDocumentToPrinter(CAnnaluxDoc& doc, const std::string& printer);

// The message when no printer can be had, and its caption.
extern const char* const kNoPrinterMessage;
extern const char* const kNoPrinterCaption;
// Tells the user through the host services that no printer can be had.
void ShowNoPrinterMessage();
