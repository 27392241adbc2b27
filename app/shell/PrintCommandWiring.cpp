#include "PrintCommandWiring.h"

#include "AnnaluxApp.h"
#include "AnnaluxDoc.h"
#include "AnnaluxView.h"
#include "CommandIds.h"
#include "DialogPageLayout.h"
#include "HostServices.h"
#include "MainFrame.h"
#include "PrintCommand.h"
#include "ViewPrinter.h"

#include <QApplication>
#include <QPageSetupDialog>
#include <QPrintDialog>
#include <QPrintPreviewDialog>
#include <QPrinter>

CPrintCommandWiring::CPrintCommandWiring(CMainFrame& frame)
    : QObject(&frame), m_frame(frame), m_doc(*frame.GetView()->GetDocument())
{}

QPrinter& CPrintCommandWiring::Printer()
{
    // Made when first needed: asking the print system for its printers can
    // take a moment, which opening the window should not wait for.
    if (!m_printer) {
        m_printer = std::make_unique<QPrinter>(QPrinter::HighResolution);
        m_printer->setPageSize(QPageSize(QPageSize::A4));
    }
    return *m_printer;
}

CPrintCommandWiring::~CPrintCommandWiring() = default;

CPrintCommandWiring* CPrintCommandWiring::Install(CMainFrame& frame)
{
    auto* wiring = new CPrintCommandWiring(frame);
    wiring->setObjectName(QStringLiteral("printCommandWiring"));
    frame.SetCommandHandler(ID_PAGE_LAYOUT, {[wiring] { wiring->OnPageLayout(); }, {}, {}});
    // Without an event library there is nothing to print: the two commands
    // are offered only with one (and decline silently should they run).
    const auto canPrint = [wiring] { return wiring->CanPrint(); };
    frame.SetCommandHandler(ID_FILE_PRINT, {[wiring] { wiring->OnPrint(); }, canPrint, {}});
    frame.SetCommandHandler(ID_FILE_PRINT_PREVIEW,
                            {[wiring] { wiring->OnPrintPreview(); }, canPrint, {}});
    frame.SetCommandHandler(ID_FILE_PRINT_SETUP, {[wiring] { wiring->OnPrintSetup(); }, {}, {}});
    return wiring;
}

CPrintCommandWiring* CPrintCommandWiring::Of(CMainFrame& frame)
{
    return frame.findChild<CPrintCommandWiring*>(QString(), Qt::FindDirectChildrenOnly);
}

void CPrintCommandWiring::OnPageLayout()
{
    CDialogPageLayout dialog(&m_doc, &m_frame);
    CAnnaluxApp::RunModal(dialog);
}

bool CPrintCommandWiring::CanPrint() const
{
    return m_doc.GetEventTableCount() > 0 && m_frame.GetView();
}

bool CPrintCommandWiring::PrintOn(QPrinter& printer)
{
    QApplication::setOverrideCursor(Qt::WaitCursor);
    CViewPrinter print(*m_frame.GetView());
    const bool range = printer.printRange() == QPrinter::PageRange;
    const bool ok = print.PrintAll(printer, range ? printer.fromPage() : 1,
                                   range ? printer.toPage() : 0);
    QApplication::restoreOverrideCursor();
    return ok;
}

bool CPrintCommandWiring::OnPrint()
{
    if (!CanPrint())
        return false;
    QPrintDialog dialog(&Printer(), &m_frame);
    dialog.setOption(QAbstractPrintDialog::PrintPageRange, true);
    dialog.setOption(QAbstractPrintDialog::PrintToFile, true);
    if (CAnnaluxApp::RunModal(dialog) != QDialog::Accepted)
        return false;
    if (!m_printer->isValid() || !PrintOn(*m_printer)) {
        ShowNoPrinterMessage();
        return false;
    }
    return true;
}

void CPrintCommandWiring::OnPrintPreview()
{
    if (!CanPrint())
        return;
    QPrintPreviewDialog dialog(&Printer(), &m_frame);
    dialog.setWindowTitle(QStringLiteral("印刷プレビュー"));
    // The pages are read on screen: as large as the window they belong to.
    dialog.resize(m_frame.size().expandedTo(QSize(800, 600)));
    connect(&dialog, &QPrintPreviewDialog::paintRequested, this,
            [this](QPrinter* printer) { PrintOn(*printer); });
    CAnnaluxApp::RunModal(dialog);
}

void CPrintCommandWiring::OnPrintSetup()
{
    QPageSetupDialog dialog(&Printer(), &m_frame);
    CAnnaluxApp::RunModal(dialog);
}
