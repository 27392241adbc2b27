#pragma once

#include <string>
#include <vector>

// The properties that the fuzz targets check on every input, shared with the
// replay test of the ordinary suite. Each check takes the input's bytes and
// returns an empty string when everything holds, else what went wrong. A
// crash, a hang or a sanitizer report is a finding too.
namespace FuzzChecks {

struct STarget
{
    const char* name; // the fuzz target's name, and its folder of kept inputs
    std::string (*check)(const std::string& bytes);
};

// Every target, in a fixed order.
const std::vector<STarget>& Targets();
// The target of that name, or null.
const STarget* FindTarget(const std::string& name);

// A library that reads without error is written the same twice.
std::string EventLibrary(const std::string& bytes);
std::string EraLibrary(const std::string& bytes);
std::string PeriodLibrary(const std::string& bytes);
std::string BaseYearLibrary(const std::string& bytes);
// Whatever the CSV import accepts, it writes as a library that opens.
std::string CsvImport(const std::string& bytes);
// A library that opens comes back the same from a CSV export and import.
std::string CsvRoundTrip(const std::string& bytes);
// A project archive that parses serialises the same twice.
std::string ProjectArchive(const std::string& bytes);
// The Shift-JIS and link-markup helpers keep their promises on any bytes.
std::string TextHelpers(const std::string& bytes);

} // namespace FuzzChecks
