#include "BatchCommands.h"

#include <iostream>

int RunImportCsvCommand(const std::vector<std::string>&)
{
    std::cerr << "--import-csv is not available yet" << std::endl;
    return 1;
}

int RunExportCsvCommand(const std::vector<std::string>&)
{
    std::cerr << "--export-csv is not available yet" << std::endl;
    return 1;
}
