#pragma once

#include <string>
#include <vector>

// "annalux --export-html OUTPUT [--from Y] [--to Y] PROJECT": the HTML page
// of the chronology (every displayed year, or those from Y to Y).
int RunExportHtmlCommand(const std::vector<std::string>& arguments);
// "annalux --export-table-csv OUTPUT [--every-row] PROJECT": the displayed
// table as CSV, the year on a bucket's first row only (or on every row).
// Both lay the project out as its window would, write OUTPUT only when
// complete, and exit 0, 1 (message on stderr) or 2 (wrong usage).
int RunExportTableCsvCommand(const std::vector<std::string>& arguments);
