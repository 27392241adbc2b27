#include "ViewCommandWiring.h"

#include "AnnaluxApp.h"
#include "AnnaluxDoc.h"
#include "AnnaluxView.h"
#include "BaseYear.h"
#include "CommandIds.h"
#include "DialogBaseYear.h"
#include "DialogGengou.h"
#include "DialogMakeEvent.h"
#include "DisplaySupplement.h"
#include "GengouEra.h"
#include "HeaderKind.h"
#include "LibraryCommands.h"
#include "LinkOpener.h"
#include "MainFrame.h"
#include "ManageMenu.h"
#include "TableBase.h"
#include "YearEvent.h"

CViewCommandWiring* CViewCommandWiring::Install(CMainFrame& frame)
{
    auto* wiring = new CViewCommandWiring(frame);
    wiring->Register();
    return wiring;
}

CViewCommandWiring::CViewCommandWiring(CMainFrame& frame)
    : QObject(&frame), m_frame(frame), m_view(frame.GetView()),
      m_doc(frame.GetView() ? frame.GetView()->GetDocument() : nullptr)
{
    m_library = std::make_unique<CLibraryCommands>(m_doc, &frame);
    CLibraryCommands::SHooks hooks;
    hooks.runDialog = [](QDialog& dialog) { return CAnnaluxApp::RunModal(dialog); };
    hooks.postCommand = [this](int command) { m_frame.PostCommand(command); };
    m_library->SetHooks(hooks);
}

CViewCommandWiring::~CViewCommandWiring() = default;

int CViewCommandWiring::ContextColumn() const
{
    return m_view ? m_view->LastHit().column : -1;
}

void CViewCommandWiring::Register()
{
    if (!m_view || !m_doc)
        return;
    CAnnaluxView* view = m_view;
    const auto viewRule = [view](int command) {
        return [view, command] { return view->IsViewCommandEnabled(command); };
    };
    const auto viewCommand = [&](int command) {
        m_frame.SetCommandHandler(
            command, {[view, command] { view->RunViewCommand(command); }, viewRule(command), {}});
    };
    for (int command :
         {CAnnaluxView::ID_EDIT_DATUM, CAnnaluxView::ID_ADD_DATUM, CAnnaluxView::ID_DELETE_DATUM,
          CAnnaluxView::ID_MOVE_UP, CAnnaluxView::ID_MOVE_DOWN, CAnnaluxView::ID_SHOW_SUPPLEMENT})
        viewCommand(command);

    // Moves and copies of the datum under the menu.
    for (int n = 0; n < CAnnaluxView::kMaxMenuLibraries; ++n) {
        for (bool move : {true, false}) {
            const int command =
                (move ? CAnnaluxView::ID_MOVE_TO_LIBRARY : CAnnaluxView::ID_COPY_TO_LIBRARY) + n;
            m_frame.SetCommandHandler(command,
                                      {[this, view, n, move] {
                                           const SDatumHit hit = view->LastHit();
                                           m_library->MoveOrCopyToLibrary(hit.column, hit.year,
                                                                          hit.position, n, move);
                                       },
                                       viewRule(command),
                                       {}});
        }
    }
    for (bool move : {true, false}) {
        const int command = move ? CAnnaluxView::ID_MOVE_TO_FILE : CAnnaluxView::ID_COPY_TO_FILE;
        m_frame.SetCommandHandler(command, {[this, view, move] {
                                                const SDatumHit hit = view->LastHit();
                                                m_library->MoveOrCopyToFile(hit.column, hit.year,
                                                                            hit.position, move);
                                            },
                                            viewRule(command),
                                            {}});
    }

    // Library operations of the column under the menu (a column menu's
    // current column comes first; the library commands see to that).
    CAnnaluxDoc* doc = m_doc;
    const auto currentColumnHasTable = [doc] {
        const int current = doc->GetCurrentColumn();
        return current >= 0 && current < doc->GetColumns().GetCount() &&
               doc->GetColumns().GetTable(current) != nullptr;
    };
    m_frame.SetCommandHandler(ID_LIBRARY_INFO,
                              {[this] { m_library->ShowLibraryInfo(ContextColumn()); },
                               [view, currentColumnHasTable] {
                                   return currentColumnHasTable() ||
                                          view->IsViewCommandEnabled(CAnnaluxView::ID_LIBRARY_INFO);
                               },
                               {}});
    m_frame.SetCommandHandler(CAnnaluxView::ID_MERGE_INTO_COLUMN,
                              {[this] { m_library->MergeIntoColumn(ContextColumn()); },
                               viewRule(CAnnaluxView::ID_MERGE_INTO_COLUMN),
                               {}});
    m_frame.SetCommandHandler(ID_LIBRARY_SAVE,
                              {[this] { m_library->SaveLibrary(ContextColumn(), false); },
                               viewRule(CAnnaluxView::ID_SAVE_LIBRARY),
                               {}});
    m_frame.SetCommandHandler(
        ID_LIBRARY_SAVE_AS,
        {[this] { m_library->SaveLibrary(ContextColumn(), true); },
         [this, currentColumnHasTable] { return currentColumnHasTable() || ContextColumn() >= 0; },
         {}});
    m_frame.SetCommandHandler(ID_LIBRARY_SAVE_ALL, {[this] { m_library->SaveAllLibraries(); },
                                                    viewRule(CAnnaluxView::ID_SAVE_ALL_LIBRARIES),
                                                    {}});
    view->SetCommandBridge([this](int command) { return m_frame.IsCommandEnabled(command); },
                           [this](int command) { m_frame.RunCommand(command); });
    connect(view, &CAnnaluxView::editDatumRequested, this, [this] { EditHit(); });
    connect(view, &CAnnaluxView::addDatumRequested, this, [this] { AddAtHit(); });
    connect(view, &CAnnaluxView::supplementRequested, this,
            [this](const std::string& sjis) { ShowSupplement(sjis); });
    connect(view, &CAnnaluxView::linkActivated, this,
            [](const std::string& sjis) { CLinkOpener::OpenSjis(sjis); });
    connect(view, &CAnnaluxView::columnMenuRequested, this,
            [this](int column, const QPoint& global) {
                if (column >= 0 && column < m_doc->GetColumns().GetCount())
                    m_frame.GetManageMenu().ShowColumnMenu(column, global.x(), global.y());
            });
}

bool CViewCommandWiring::EditHit()
{
    const SDatumHit hit = m_view->LastHit();
    if (!hit.found || !hit.table)
        return false;
    switch (hit.kind) {
    case CK_EVENT: {
        auto* table = static_cast<CYearEvent*>(hit.table);
        CDialogMakeEvent dialog(m_doc, hit.event, *table, &m_frame);
        if (CAnnaluxApp::RunModal(dialog) != QDialog::Accepted)
            return false;
        *table = dialog.GetTable();
        m_doc->NotifyEventsEdited({{table, dialog.GetTouchedYears()}});
        return true;
    }
    case CK_GENGOU:
    case CK_ERA: {
        auto* table = static_cast<CGengouEra*>(hit.table);
        // A period opens on its own row, an era name on the year pointed at.
        const int32_t year = hit.kind == CK_ERA ? hit.eraData.startYear : hit.year;
        CDialogGengou dialog(*table, hit.kind, year, false, &m_frame);
        if (CAnnaluxApp::RunModal(dialog) != QDialog::Accepted)
            return false;
        *table = dialog.GetTable();
        break;
    }
    case CK_BASEYEAR: {
        auto* table = static_cast<CBaseYear*>(hit.table);
        CDialogBaseYear dialog(m_doc, &m_frame);
        dialog.SetValues(SBaseYearValues::FromTable(*table));
        if (CAnnaluxApp::RunModal(dialog) != QDialog::Accepted)
            return false;
        dialog.GetValues().ToTable(*table);
        break;
    }
    default:
        return false;
    }
    m_doc->UpdateAllViews();
    return true;
}

bool CViewCommandWiring::AddAtHit()
{
    const SDatumHit hit = m_view->LastHit();
    if (!hit.table)
        return false;
    switch (hit.kind) {
    case CK_EVENT: {
        auto* table = static_cast<CYearEvent*>(hit.table);
        CDialogMakeEvent dialog(m_doc, *table, kNoYear, hit.year == kNoYear ? -1 : hit.year, true,
                                &m_frame);
        if (CAnnaluxApp::RunModal(dialog) != QDialog::Accepted)
            return false;
        *table = dialog.GetTable();
        m_doc->NotifyEventsEdited({{table, dialog.GetTouchedYears()}});
        return true;
    }
    case CK_GENGOU:
    case CK_ERA: {
        auto* table = static_cast<CGengouEra*>(hit.table);
        CDialogGengou dialog(*table, hit.kind, kNoYear, true, &m_frame);
        if (CAnnaluxApp::RunModal(dialog) != QDialog::Accepted)
            return false;
        *table = dialog.GetTable();
        break;
    }
    default:
        return false;
    }
    m_doc->UpdateAllViews();
    return true;
}

void CViewCommandWiring::ShowSupplement(const std::string& sjis)
{
    for (CDisplaySupplement* window : m_frame.findChildren<CDisplaySupplement*>()) {
        if (window->isVisible()) {
            window->SetText(sjis);
            return;
        }
    }
    if (!sjis.empty())
        new CDisplaySupplement(sjis, &m_frame);
}
