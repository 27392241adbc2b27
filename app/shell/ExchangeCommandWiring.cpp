#include "ExchangeCommandWiring.h"

#include "AnnaluxApp.h"
#include "AnnaluxDoc.h"
#include "AnnaluxView.h"
#include "CommandIds.h"
#include "ExportCSV.h"
#include "ExportCsvWizard.h"
#include "ExportHTML.h"
#include "HtmlWizard.h"
#include "ImportCSV.h"
#include "ImportCsvWizard.h"
#include "LayoutQueries.h"
#include "LibraryCommandWiring.h"
#include "LibraryCommands.h"
#include "MainFrame.h"

#include <memory>

CExchangeCommandWiring* CExchangeCommandWiring::Install(CMainFrame& frame, CAnnaluxApp& app)
{
    auto* wiring = new CExchangeCommandWiring(frame, app);
    frame.SetCommandHandler(ID_IMPORT_CSV, {[wiring] { wiring->ImportCsv(); }, {}, {}});
    frame.SetCommandHandler(ID_EXPORT_CSV, {[wiring] { wiring->ExportCsv(); }, {}, {}});
    // A chronology without columns has no table to publish.
    frame.SetCommandHandler(ID_EXPORT_HTML,
                            {[wiring] { wiring->ExportHtml(); },
                             [&app] { return !app.GetDocument().GetColumns().IsEmpty(); },
                             {}});
    return wiring;
}

CExchangeCommandWiring::CExchangeCommandWiring(CMainFrame& frame, CAnnaluxApp& app)
    : QObject(&frame), m_frame(frame), m_app(app)
{
    setObjectName(QStringLiteral("exchangeCommandWiring"));
}

void CExchangeCommandWiring::ImportCsv()
{
    CAnnaluxDoc& doc = m_app.GetDocument();
    CImportCSV import(&doc);
    CImportCsvWizard wizard(
        import,
        [this](int kind, const std::string& path) {
            CLibraryCommandWiring* libraries = CLibraryCommandWiring::Of(m_frame);
            return libraries && libraries->GetLibraryCommands().LoadLibraryFile(kind, path.c_str());
        },
        &m_frame);
    m_app.RunDialog(wizard);
}

void CExchangeCommandWiring::ExportCsv()
{
    CAnnaluxDoc& doc = m_app.GetDocument();
    CExportCSV exporter(&doc);
    std::unique_ptr<CLayoutQueries> layout;
    if (CAnnaluxView* view = m_frame.GetView())
        layout = std::make_unique<CLayoutQueries>(view->GetDataCoord());
    CExportCsvWizard wizard(doc, exporter, layout.get(), &m_frame);
    m_app.RunDialog(wizard);
}

void CExchangeCommandWiring::ExportHtml()
{
    CAnnaluxDoc& doc = m_app.GetDocument();
    CAnnaluxView* view = m_frame.GetView();
    if (!view)
        return;
    CExportHTML exporter(doc);
    CLayoutQueries layout(view->GetDataCoord());
    CHtmlWizard wizard(exporter, layout, &m_frame);
    m_app.RunDialog(wizard);
}
