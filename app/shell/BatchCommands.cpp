#include "BatchCommands.h"

#include "ExportCSV.h"
#include "HostServices.h"
#include "ImportCSV.h"
#include "LibraryFileReader.h"
#include "ScriptedHostServices.h"

#include <iostream>

namespace {

// Headless: every message goes to stderr, every dialog is cancelled, every
// question gets its first answer.
class CBatchHost
{
public:
    CBatchHost() : m_scope(m_services) { m_services.SetEcho(&std::cerr); }

private:
    CScriptedHostServices m_services;
    CHostServicesScope m_scope;
};

} // namespace

int RunImportCsvCommand(const std::vector<std::string>& arguments)
{
    CBatchHost host;
    CImportCSV import(nullptr);
    import.SetInputPath(arguments.at(0));
    import.SetOutputPath(arguments.at(1));
    if (!import.ClassifyInputFile() || !import.Convert())
        return 1;
    return 0;
}

int RunExportCsvCommand(const std::vector<std::string>& arguments)
{
    CBatchHost host;
    // Only a library file is exported: its first line names its kind.
    CImportCSV probe(nullptr);
    probe.SetInputPath(arguments.at(0));
    int check = probe.CheckInputFile();
    if (check == CImportCSV::CR_CANNOT_OPEN) {
        CHostServices::Get().MessageBox(CExportCSV::CannotOpenMessage(arguments.at(0)),
                                        CHostServices::Ok | CHostServices::IconError);
        return 1;
    }
    if (check != CImportCSV::CR_OK) {
        CHostServices::Get().MessageBox(CImportCSV::InvalidContentMessage(),
                                        CHostServices::Ok | CHostServices::IconError);
        return 1;
    }
    // What the program would refuse to open is not exported either.
    if (!CLibraryFileReader::Read(arguments.at(0), CImportCSV::HeaderType(probe.GetImportKind())))
        return 1;
    CExportCSV exporter(nullptr);
    exporter.SetInputPath(arguments.at(0));
    exporter.SetOutputPath(arguments.at(1));
    return exporter.ExportLibrary() ? 0 : 1;
}

int ParseOutputAndProject(const std::vector<std::string>& arguments, const char* usage,
                          const std::function<int(size_t& i)>& option, std::string& output,
                          std::string& project)
{
    for (size_t i = 0; i < arguments.size(); ++i) {
        const std::string& word = arguments[i];
        if (word.size() > 2 && word.compare(0, 2, "--") == 0) {
            const int known = option(i);
            if (known == 0)
                continue;
            if (known < 0)
                std::cerr << usage;
            return 2;
        }
        std::string& slot = output.empty() ? output : project;
        if (!slot.empty()) {
            std::cerr << usage;
            return 2;
        }
        slot = word;
    }
    if (output.empty() || project.empty()) {
        std::cerr << usage;
        return 2;
    }
    return 0;
}
