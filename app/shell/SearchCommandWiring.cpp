#include "SearchCommandWiring.h"

#include "AnnaluxApp.h"
#include "AnnaluxDoc.h"
#include "AnnaluxView.h"
#include "CommandIds.h"
#include "DialogGotoEra.h"
#include "DialogGotoYear.h"
#include "DialogSearch.h"
#include "DisplaySupplement.h"
#include "MainFrame.h"

namespace {

// The supplement window still open (one that is closing waits for deletion
// and does not count).
CDisplaySupplement* OpenSupplement(QWidget* owner)
{
    for (CDisplaySupplement* window : owner->findChildren<CDisplaySupplement*>()) {
        if (window->isVisible())
            return window;
    }
    return nullptr;
}

} // namespace

void CSearchCommandWiring::ShowSupplement(QWidget* owner, CAnnaluxView* view,
                                          const std::string& sjis, bool openIfClosed)
{
    if (!owner)
        return;
    CDisplaySupplement* window = OpenSupplement(owner);
    if (window) {
        window->SetText(sjis);
    } else {
        if (sjis.empty() || !openIfClosed)
            return;
        window = new CDisplaySupplement(sjis, owner);
    }
    // Whoever opened the window, closing it drops the hit it shows; once.
    if (view)
        QObject::connect(window, &CDisplaySupplement::closed, view, &CAnnaluxView::ClearSearchHit,
                         Qt::UniqueConnection);
}

void CSearchCommandWiring::Install(CMainFrame& frame)
{
    CAnnaluxView* view = frame.GetView();
    const auto hasEvents = [view] {
        return view && view->GetDocument() && view->GetDocument()->GetEventTableCount() > 0;
    };
    CMainFrame* owner = &frame;

    frame.SetCommandHandler(ID_SEARCH_EVENT,
                            {[view, owner] { new CDialogSearch(view, owner); }, hasEvents, {}});
    frame.SetCommandHandler(ID_JUMP_YEAR, {[view, owner] {
                                               CDialogGotoYear dialog(view, owner);
                                               CAnnaluxApp::RunModal(dialog);
                                           },
                                           hasEvents,
                                           {}});
    frame.SetCommandHandler(ID_JUMP_ERA, {[view, owner] {
                                              CDialogGotoEra dialog(view, owner);
                                              CAnnaluxApp::RunModal(dialog);
                                          },
                                          hasEvents,
                                          {}});

    if (view) {
        QObject::connect(
            view, &CAnnaluxView::searchSupplementChanged, owner,
            [owner, view](const std::string& sjis) { ShowSupplement(owner, view, sjis); });
    }
}
