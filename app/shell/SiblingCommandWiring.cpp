#include "SiblingCommandWiring.h"

#include "AnnaluxDoc.h"
#include "AnnaluxView.h"
#include "CommandIds.h"
#include "HostServices.h"
#include "HostText.h"
#include "MainFrame.h"
#include "SiblingLink.h"
#include "SiblingProtocol.h"

#include <QAction>
#include <QFileInfo>
#include <QMenu>

#include <cstdlib>

const char* const CSiblingCommandWiring::kProjectFilter =
    "Figurant (*.fgp)|*.fgp|すべてのファイル (*.*)|*.*||";

namespace {

// The year to send: the first one the view shows, or the one under the point
// where the datum menu was opened.
int32_t YearToSend(CAnnaluxView* view, bool atPoint)
{
    if (!view)
        return SiblingProtocol::kNoYear;
    return atPoint ? view->LastHit().year : view->TopYear();
}

void SelectAndShow(CMainFrame& frame, CSiblingLink& link, bool atPoint)
{
    CAnnaluxView* view = frame.GetView();
    const int32_t year = YearToSend(view, atPoint);
    SFileDialogRequest request;
    request.filter = CSiblingCommandWiring::kProjectFilter;
    request.defaultExtension = "fgp";
    request.flags = SFileDialogRequest::Explorer | SFileDialogRequest::HideReadOnly;
    std::string path;
    if (!CHostServices::Get().GetOpenFileName(request, path) || path.empty())
        return;
    link.Synchronise(path, year);
    // The link is kept even when Figurant could not be reached this time.
    if (view) {
        CAnnaluxDoc* doc = view->GetDocument();
        doc->SetSiblingProject(path);
        doc->SetModifiedFlag();
    }
}

void ShowLinked(CMainFrame& frame, CSiblingLink& link, bool atPoint)
{
    CAnnaluxView* view = frame.GetView();
    if (!view)
        return;
    const int32_t year = YearToSend(view, atPoint);
    link.Synchronise(view->GetDocument()->GetSiblingProject(), year);
}

} // namespace

CSiblingLink* CSiblingCommandWiring::Install(CMainFrame& frame)
{
    // Without a session to join, asking for the session bus would make the
    // bus library launch one of its own; the link then stays off instead.
    const char* runtimeDir = std::getenv("XDG_RUNTIME_DIR");
    const QString runtime = CHostText::FromHostPath(runtimeDir ? runtimeDir : "");
    if (qEnvironmentVariableIsEmpty("DBUS_SESSION_BUS_ADDRESS") &&
        (runtime.isEmpty() || !QFileInfo::exists(runtime + QStringLiteral("/bus"))))
        return Install(frame, QDBusConnection(QStringLiteral("annalux-no-session-bus")));
    return Install(frame, QDBusConnection::sessionBus());
}

CSiblingLink* CSiblingCommandWiring::Install(CMainFrame& frame, const QDBusConnection& bus)
{
    CAnnaluxView* view = frame.GetView();
    if (!view)
        return nullptr;
    CAnnaluxDoc* doc = view->GetDocument();
    // One link per window; a second install replaces the first.
    delete frame.findChild<CSiblingLink*>(QString(), Qt::FindDirectChildrenOnly);
    auto* link = new CSiblingLink(*doc, bus, &frame);
    link->Create();
    link->SetGoToYear([view](int32_t year) { return view->GoToTableYear(year); });

    const auto linked = [doc] { return !doc->GetSiblingProject().empty(); };
    const auto showText = [doc] { return CSiblingLink::ShowItemText(doc->GetSiblingProject()); };
    const auto installed = [] { return CSiblingLink::IsFigurantInstalled(); };
    CMainFrame* f = &frame;
    frame.SetCommandHandler(ID_SIBLING_SHOW,
                            {[f, link] { ShowLinked(*f, *link, false); }, linked, {}});
    frame.SetCommandHandler(ID_SIBLING_SHOW_AT_POINT,
                            {[f, link] { ShowLinked(*f, *link, true); }, linked, {}});
    frame.SetCommandHandler(ID_SIBLING_SELECT,
                            {[f, link] { SelectAndShow(*f, *link, false); }, installed, {}});
    frame.SetCommandHandler(ID_SIBLING_SELECT_AT_POINT,
                            {[f, link] { SelectAndShow(*f, *link, true); }, installed, {}});
    frame.SetCommandText(ID_SIBLING_SHOW, showText);

    view->SetContextMenuExtender([f, showText](QMenu* menu) {
        menu->addSeparator();
        const auto add = [f, menu](int command, const QString& text) {
            QAction* action = menu->addAction(text);
            action->setData(command);
            action->setEnabled(f->IsCommandEnabled(command));
            QObject::connect(action, &QAction::triggered, f,
                             [f, command] { f->RunCommand(command); });
        };
        add(ID_SIBLING_SHOW_AT_POINT, showText());
        add(ID_SIBLING_SELECT_AT_POINT, QStringLiteral("Figurantを選択して表示"));
    });
    return link;
}
