#include "ExportCommands.h"

#include "AnnaluxDoc.h"
#include "BatchCommands.h"
#include "ExportCSV.h"
#include "ExportHTML.h"
#include "HeadlessSession.h"
#include "LayoutQueries.h"

#include <cstdlib>
#include <functional>
#include <iostream>

namespace {

const char* const kHtmlUsage = "usage: annalux --export-html OUTPUT [--from Y] [--to Y] PROJECT\n";
const char* const kCsvUsage = "usage: annalux --export-table-csv OUTPUT [--every-row] PROJECT\n";

bool ParseYear(const std::string& text, int32_t& year)
{
    if (text.empty())
        return false;
    char* end = nullptr;
    const long long value = std::strtoll(text.c_str(), &end, 10);
    if (!end || *end != '\0' || value < -2147483647LL || value > 2147483646LL || value == 0)
        return false;
    year = static_cast<int32_t>(value);
    return true;
}

} // namespace

int RunExportHtmlCommand(const std::vector<std::string>& arguments)
{
    std::string output, project;
    int32_t first = CExportHTML::kNoFirst, last = CExportHTML::kNoLast;
    const auto option = [&](size_t& i) {
        const std::string& word = arguments[i];
        if ((word != "--from" && word != "--to") || i + 1 >= arguments.size())
            return -1;
        if (!ParseYear(arguments[++i], word == "--from" ? first : last)) {
            std::cerr << "annalux: " << word << " wants a year (no year 0)\n";
            return 2;
        }
        return 0;
    };
    if (ParseOutputAndProject(arguments, kHtmlUsage, option, output, project) != 0)
        return 2;
    if (first != CExportHTML::kNoFirst && last != CExportHTML::kNoLast && first >= last) {
        std::cerr << "annalux: " << CExportHTML::RangeOrderMessage() << '\n';
        return 2;
    }
    output = CHeadlessSession::AbsolutePath(output);
    CHeadlessSession session;
    if (!session.Open(project))
        return 1;
    // Laid out as the project's window would show it.
    CLayoutQueries layout(session.GetDocument());
    CExportHTML exporter(session.GetDocument());
    exporter.SetOutputPath(output);
    exporter.SetRange(first, last);
    if (!exporter.Generate(layout)) {
        std::cerr << CExportHTML::GenerateFailedMessage() << ": " << output << '\n';
        return 1;
    }
    return 0;
}

int RunExportTableCsvCommand(const std::vector<std::string>& arguments)
{
    std::string output, project;
    bool everyRow = false;
    const auto option = [&](size_t& i) {
        if (arguments[i] != "--every-row")
            return -1;
        everyRow = true;
        return 0;
    };
    if (ParseOutputAndProject(arguments, kCsvUsage, option, output, project) != 0)
        return 2;
    output = CHeadlessSession::AbsolutePath(output);
    CHeadlessSession session;
    if (!session.Open(project))
        return 1;
    // Laid out as the project's window would show it.
    CLayoutQueries layout(session.GetDocument());
    CExportCSV exporter(&session.GetDocument());
    exporter.SetPerLibraryMode(false);
    exporter.SetYearOnFirstLineOnly(!everyRow);
    exporter.SetOutputPath(output);
    return exporter.ExportImage(layout) ? 0 : 1;
}
