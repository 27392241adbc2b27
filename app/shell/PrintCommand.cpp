#include "PrintCommand.h"
#include "HostText.h"

#include "AnnaluxDoc.h"
#include "AnnaluxView.h"
#include "BatchCommands.h"
#include "HeadlessSession.h"
#include "HostServices.h"
#include "PdfOutput.h"
#include "PrintSpooler.h"
#include "ViewPrinter.h"

#include <QDir>
#include <QPageSize>
#include <QPrinterInfo>
#include <QTemporaryDir>

#include <iostream>

const char* const kNoPrinterMessage = "プリンタが選択されていないか、プリンタが使用不可能です。";
// Unlike the program's other messages this one names the program in
// capitals.
const char* const kNoPrinterCaption = "Annalux";

void ShowNoPrinterMessage()
{
    CHostServices::Get().CaptionedMessageBox(kNoPrinterCaption, kNoPrinterMessage,
                                             CHostServices::Ok | CHostServices::IconError);
}

namespace {

const char* const kUsage = "usage: annalux --print-pdf OUTPUT.pdf [--fit | --fixed] PROJECT\n";

// The title a job or PDF carries: the project's file name.
std::string JobTitle(const CAnnaluxDoc& doc)
{
    return doc.GetTitle();
}

} // namespace

int PrintDocumentToPrinter(CAnnaluxDoc& doc, const std::string& printer)
{
    if (doc.GetEventTableCount() == 0) {
        std::cerr << "annalux: the chronology has no event library: nothing to print\n";
        return 1;
    }
    const std::string queue = printer.empty() ? CPrintSpooler::DefaultPrinter() : printer;
    if (queue.empty() || !CPrintSpooler::HasPrinter(queue)) {
        ShowNoPrinterMessage();
        return 1;
    }
    // The job is the same PDF the print command writes, on the queue's paper.
    QTemporaryDir folder;
    if (!folder.isValid()) {
        std::cerr << "annalux: cannot make a temporary folder for the print job\n";
        return 1;
    }
    const std::string pdf =
        CHostText::ToHostPath(QDir(folder.path()).filePath(QStringLiteral("job.pdf")));
    const QPageSize paper = QPrinterInfo::printerInfo(CHostText::FromUtf8(queue.substr(
                                                          0, queue.find('/'))))
                                .defaultPageSize();
    CAnnaluxView view(&doc);
    CViewPrinter print(view);
    std::string error;
    if (!CPdfOutput::Write(print, pdf, JobTitle(doc), error, &paper)) {
        std::cerr << "annalux: " << error << '\n';
        return 1;
    }
    int job = 0;
    if (!CPrintSpooler::Submit(queue, pdf, JobTitle(doc), job, error)) {
        std::cerr << "annalux: " << queue << ": " << error << '\n';
        ShowNoPrinterMessage();
        return 1;
    }
    std::cerr << "annalux: " << queue << ": job " << job << '\n';
    return 0;
}

int RunPrintPdfCommand(const std::vector<std::string>& arguments)
{
    std::string output, project;
    int fit = -1; // -1: as the page settings say
    const auto option = [&](size_t& i) {
        const std::string& word = arguments[i];
        if ((word != "--fit" && word != "--fixed") || fit != -1)
            return -1;
        fit = word == "--fit" ? 1 : 0;
        return 0;
    };
    if (ParseOutputAndProject(arguments, kUsage, option, output, project) != 0)
        return 2;
    // Opening a project makes its folder the current directory.
    output = CHeadlessSession::AbsolutePath(output);

    CHeadlessSession session;
    if (!session.Open(project))
        return 1;
    CAnnaluxDoc& doc = session.GetDocument();
    if (doc.GetEventTableCount() == 0) {
        std::cerr << "annalux: " << project << " has no event library: nothing to print\n";
        return 1;
    }
    CAnnaluxView view(&doc);
    CViewPrinter print(view);
    SPageLayout layout = doc.GetPageLayout();
    if (fit != -1)
        layout.fitToRight = fit == 1;
    print.SetPageLayout(layout);
    std::string error;
    if (!CPdfOutput::Write(print, output, JobTitle(doc), error)) {
        std::cerr << "annalux: " << error << '\n';
        return 1;
    }
    return 0;
}
