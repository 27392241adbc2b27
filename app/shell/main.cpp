#include "AnnaluxApp.h"
#include "BatchCommands.h"
#include "CommandLineInfo.h"
#include "ExportCommands.h"
#include "HostServices.h"
#include "HostText.h"
#include "InfoCommand.h"
#include "PrintCommand.h"
#include "QtHostServices.h"
#include "RenderCommand.h"
#include "ScriptedHostServices.h"

#include <QApplication>
#include <QStringList>
#include <cstdlib>
#include <cstring>
#include <iostream>
#include <string>
#include <vector>

namespace {

// Every headless command. A new command is one line here (its function is
// declared in its own header, included above).
const SBatchCommand kCommands[] = {
    {"--import-csv", 2, "INPUT OUTPUT",
     "convert a CSV file or a library file of any version into the library file OUTPUT",
     &RunImportCsvCommand},
    {"--export-csv", 2, "INPUT OUTPUT", "export the library file INPUT into the CSV file OUTPUT",
     &RunExportCsvCommand},
    {"--info", 1, "PROJECT", "print the columns and settings of the project file PROJECT as JSON",
     &RunInfoCommand},
    {"--render-png", -1, "OUTPUT.png [--size WxH] [--year Y] PROJECT",
     "paint the chronology table of PROJECT (header included) into the PNG file OUTPUT",
     &RunRenderPngCommand},
    {"--print-pdf", -1, "OUTPUT.pdf [--fit | --fixed] PROJECT",
     "print the chronology of PROJECT with the stored page settings into the PDF file OUTPUT",
     &RunPrintPdfCommand},
    {"--export-html", -1, "OUTPUT [--from Y] [--to Y] PROJECT",
     "write the chronology of PROJECT as an HTML page (every displayed year, or from Y to Y)",
     &RunExportHtmlCommand},
    {"--export-table-csv", -1, "OUTPUT [--every-row] PROJECT",
     "write the table of PROJECT as it is displayed into the CSV file OUTPUT",
     &RunExportTableCsvCommand},
};

void PrintUsage(std::ostream& out)
{
    out << "Usage: annalux [PROJECT.anx]\n"
           "       annalux OPTION ARGUMENTS...\n\n"
           "Without an option the chronology window opens, with the project if one is given.\n\n"
           "Batch commands:\n";
    for (const SBatchCommand& command : kCommands) {
        out << "  " << command.option << ' ' << command.arguments << "\n      " << command.summary
            << '\n';
    }
    out << "  --help\n      show this help\n\n"
           "Paths are UTF-8; relative paths are relative to the working directory.\n"
           "Exit status: 0 success, 1 failure (messages on stderr), 2 wrong usage.\n";
}

// The chronology window. Qt takes its own options (-platform, -style, ...)
// out of the command line before the program reads what is left.
int RunWindow(int argc, char** argv)
{
    // The print forms (/p, /pt) show no window: they work without a display,
    // and what they have to say goes to stderr.
    const bool printForm = argc > 1 && CCommandLineInfo::IsPrintFlag(argv[1]);
    if (printForm && !std::getenv("DISPLAY") && !std::getenv("WAYLAND_DISPLAY") &&
        !std::getenv("QT_QPA_PLATFORM"))
        setenv("QT_QPA_PLATFORM", "offscreen", 1);
    QApplication qt(argc, argv);
    CAnnaluxApp::InstallQtTranslations(qt);
    CQtHostServices host;
    CScriptedHostServices quiet;
    quiet.SetEcho(&std::cerr);
    quiet.SetDefaultAnswer(CHostServices::AnswerNo);
    CHostServicesScope hostScope(printForm ? static_cast<CHostServices&>(quiet) : host);
    CAnnaluxApp app;
    QStringList words = QCoreApplication::arguments();
    if (!words.isEmpty())
        words.removeFirst();
    std::vector<std::string> arguments;
    for (const QString& word : words)
        arguments.push_back(CHostText::ToUtf8(word));
    if (!app.InitInstance(arguments))
        return app.ExitCode();
    return qt.exec();
}

bool IsBatchOption(const std::string& word)
{
    return word.size() > 2 && word.compare(0, 2, "--") == 0;
}

} // namespace

int main(int argc, char** argv)
{
    std::vector<std::string> arguments(argv + 1, argv + argc);
    if (arguments.size() == 1 && (arguments[0] == "--help" || arguments[0] == "-h")) {
        PrintUsage(std::cout);
        return 0;
    }
    if (arguments.empty() || !IsBatchOption(arguments[0]))
        return RunWindow(argc, argv);
    {
        for (const SBatchCommand& command : kCommands) {
            if (arguments[0] != command.option)
                continue;
            // A negative count: the command checks its own arguments.
            if (command.argumentCount >= 0 &&
                static_cast<int>(arguments.size()) - 1 != command.argumentCount)
                break;
            return command.run(std::vector<std::string>(arguments.begin() + 1, arguments.end()));
        }
    }
    PrintUsage(std::cerr);
    return 2;
}
