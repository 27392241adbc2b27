#pragma once

#include <string>
#include <vector>

// One headless command of the executable: "annalux OPTION ARG...".
struct SBatchCommand
{
    const char* option;    // e.g. "--import-csv"
    int argumentCount;     // exact number of arguments after the option
    const char* arguments; // for the usage, e.g. "INPUT OUTPUT"
    const char* summary;   // one line for the usage (UTF-8)
    // Runs the command; returns the process exit code (0 success, 1 failure).
    int (*run)(const std::vector<std::string>& arguments);
};

// Converts the CSV file (or library file of any version) INPUT into the
// library file OUTPUT; the kind comes from INPUT's header tag.
int RunImportCsvCommand(const std::vector<std::string>& arguments);
// Exports the library file INPUT into the CSV file OUTPUT.
int RunExportCsvCommand(const std::vector<std::string>& arguments);
