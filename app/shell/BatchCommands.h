#pragma once

#include <cstddef>
#include <functional>
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

// The words of "OUTPUT [options] PROJECT": option takes an option word at
// arguments[i] (it may consume the next one by advancing i) and returns 0
// when it knew it, 2 after telling what was wrong, -1 when it did not know
// it. 0 when output and project were both given, 2 after the usage.
int ParseOutputAndProject(const std::vector<std::string>& arguments, const char* usage,
                          const std::function<int(size_t& i)>& option, std::string& output,
                          std::string& project);
