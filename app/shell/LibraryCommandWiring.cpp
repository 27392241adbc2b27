#include "LibraryCommandWiring.h"

#include "AnnaluxApp.h"
#include "AnnaluxDoc.h"
#include "CommandIds.h"
#include "HeaderKind.h"
#include "LibraryCommands.h"
#include "MainFrame.h"

#include <QDialog>

namespace {

// Toolbar drop-down commands that name their kind, so no kind dialog opens.
struct SKindCommand
{
    int command;
    int kind;
};

const SKindCommand kCreateCommands[] = {
    {ID_NEW_EVENT_LIBRARY, CK_EVENT},
    {ID_NEW_GENGOU_LIBRARY, CK_GENGOU},
    {ID_NEW_ERA_LIBRARY, CK_ERA},
    {ID_NEW_BASEYEAR_LIBRARY, CK_BASEYEAR},
};

const SKindCommand kLoadCommands[] = {
    {ID_LOAD_EVENT_LIBRARY, CK_EVENT},
    {ID_LOAD_GENGOU_LIBRARY, CK_GENGOU},
    {ID_LOAD_ERA_LIBRARY, CK_ERA},
    {ID_LOAD_BASEYEAR_LIBRARY, CK_BASEYEAR},
};

const SKindCommand kModifyCommands[] = {
    {ID_MODIFY_EVENT, CK_EVENT},
    {ID_MODIFY_GENGOU, CK_GENGOU},
    {ID_MODIFY_ERA, CK_ERA},
    {ID_MODIFY_BASEYEAR, CK_BASEYEAR},
};

const SKindCommand kAddCommands[] = {
    {CLibraryCommandWiring::ID_ADD_EVENT, CK_EVENT},
    {CLibraryCommandWiring::ID_ADD_GENGOU, CK_GENGOU},
    {CLibraryCommandWiring::ID_ADD_ERA, CK_ERA},
};

// The column menu's data commands work on the column the menu belongs to.
const SKindCommand kColumnModifyCommands[] = {
    {ID_COLUMN_MODIFY_EVENT, CK_EVENT},
    {ID_COLUMN_MODIFY_GENGOU, CK_GENGOU},
    {ID_COLUMN_MODIFY_ERA, CK_ERA},
    {ID_COLUMN_MODIFY_BASEYEAR, CK_BASEYEAR},
};

const SKindCommand kColumnAddCommands[] = {
    {ID_COLUMN_ADD_EVENT, CK_EVENT},
    {ID_COLUMN_ADD_GENGOU, CK_GENGOU},
    {ID_COLUMN_ADD_ERA, CK_ERA},
};

const int kPlainCommands[] = {
    ID_LIBRARY_NEW,        ID_LIBRARY_LOAD, ID_LIBRARY_SAVE,    ID_LIBRARY_SAVE_AS,
    ID_LIBRARY_SAVE_ALL,   ID_LIBRARY_INFO, ID_CHRONOLOGY_INFO, ID_COLUMN_DELETE,
    ID_COLUMN_DELETE_THIS, ID_CLEAR_ALL,    ID_MODIFY_SELECT,
};

} // namespace

CLibraryCommandWiring* CLibraryCommandWiring::Install(CMainFrame& frame, CAnnaluxApp& app)
{
    auto* wiring = new CLibraryCommandWiring(frame, app);
    wiring->setObjectName(QStringLiteral("libraryCommandWiring"));
    wiring->Register();
    return wiring;
}

CLibraryCommandWiring* CLibraryCommandWiring::Of(CMainFrame& frame)
{
    return frame.findChild<CLibraryCommandWiring*>(QString(), Qt::FindDirectChildrenOnly);
}

std::vector<int> CLibraryCommandWiring::Commands()
{
    std::vector<int> commands(std::begin(kPlainCommands), std::end(kPlainCommands));
    for (const auto* list :
         {&kCreateCommands, &kLoadCommands, &kModifyCommands, &kColumnModifyCommands})
        for (const SKindCommand& c : *list)
            commands.push_back(c.command);
    for (const auto* list : {&kAddCommands, &kColumnAddCommands})
        for (const SKindCommand& c : *list)
            commands.push_back(c.command);
    return commands;
}

CLibraryCommandWiring::CLibraryCommandWiring(CMainFrame& frame, CAnnaluxApp& app)
    : QObject(&frame), m_frame(frame), m_app(app),
      m_commands(std::make_unique<CLibraryCommands>(&app.GetDocument(), &frame))
{
    CLibraryCommands::SHooks hooks;
    // Through the application, so that tests can answer every dialog,
    // the editors' included (their default hooks run through this one).
    hooks.runDialog = [this](QDialog& dialog) { return m_app.RunDialog(dialog); };
    hooks.isAssistantActive = [this] { return m_app.IsAssistantActive(); };
    hooks.setAssistantActive = [this](bool active) { m_app.SetAssistantActive(active); };
    // The next command of an assistant round starts once this one has
    // returned and its dialogs are gone.
    hooks.postCommand = [this](int command) { m_frame.PostCommand(command); };
    m_commands->SetHooks(hooks);
}

CLibraryCommandWiring::~CLibraryCommandWiring() = default;

int CLibraryCommandWiring::CurrentLibraryColumn(int kind) const
{
    const CAnnaluxDoc& doc = m_app.GetDocument();
    const CHeaderManager& columns = doc.GetColumns();
    const int column = doc.GetCurrentColumn();
    if (column < 0 || column >= columns.GetCount() || !columns.GetTable(column))
        return -1;
    if (kind != 0 && columns.GetKind(column) != kind)
        return -1;
    return column;
}

void CLibraryCommandWiring::Register()
{
    CLibraryCommands* commands = m_commands.get();
    CAnnaluxDoc* doc = &m_app.GetDocument();
    const auto set = [this](int command, std::function<void()> run,
                            std::function<bool()> enabled = {}) {
        m_frame.SetCommandHandler(command, {std::move(run), std::move(enabled), {}});
    };
    const auto hasColumns = [commands] { return commands->HasColumns(); };
    const auto onLibraryColumn = [this] { return CurrentLibraryColumn() >= 0; };

    // ---- creating and loading ----------------------------------------------
    set(ID_LIBRARY_NEW, [commands] { commands->CreateLibrary(); });
    set(ID_LIBRARY_LOAD, [commands] { commands->LoadLibrary(); });
    for (const SKindCommand& c : kCreateCommands) {
        const int kind = c.kind;
        set(c.command, [commands, kind] { commands->CreateLibraryOfKind(kind); });
    }
    for (const SKindCommand& c : kLoadCommands) {
        const int kind = c.kind;
        set(c.command, [commands, kind] { commands->LoadLibraryOfKind(kind); });
    }

    // ---- saving and information ----------------------------------------------
    // These come from a column menu, whose column is the document's current
    // one; the view's datum menu registers its own, which also know the datum.
    set(
        ID_LIBRARY_SAVE, [commands] { commands->SaveLibrary(-1, false); },
        [commands] { return commands->CanSaveLibrary(-1); });
    set(
        ID_LIBRARY_SAVE_AS, [commands] { commands->SaveLibrary(-1, true); }, onLibraryColumn);
    set(
        ID_LIBRARY_SAVE_ALL, [commands] { commands->SaveAllLibraries(); },
        [doc] { return doc->HasModifiedLibraries(); });
    set(
        ID_LIBRARY_INFO, [commands] { commands->ShowLibraryInfo(-1); }, onLibraryColumn);
    set(
        ID_CHRONOLOGY_INFO, [commands] { commands->ShowChronologyInfo(); }, hasColumns);

    // ---- choosing a library to edit --------------------------------------------
    // Always enabled: with no library of the kind the user is told so, and
    // in the assistant's round the command creates the first one.
    for (const SKindCommand& c : kModifyCommands) {
        const int kind = c.kind;
        set(c.command, [commands, kind] { commands->ModifyLibrary(kind); });
    }
    for (const SKindCommand& c : kAddCommands) {
        const int kind = c.kind;
        set(c.command, [commands, kind] { commands->AddToLibrary(kind); });
    }
    for (const SKindCommand& c : kColumnModifyCommands) {
        const int kind = c.kind;
        set(
            c.command, [commands] { commands->ModifyColumnLibrary(); },
            [this, kind] { return CurrentLibraryColumn(kind) >= 0; });
    }
    for (const SKindCommand& c : kColumnAddCommands) {
        const int kind = c.kind;
        set(
            c.command, [commands] { commands->AddToColumnLibrary(); },
            [this, kind] { return CurrentLibraryColumn(kind) >= 0; });
    }
    set(
        ID_MODIFY_SELECT, [commands] { commands->ModifySelect(); },
        [commands] { return commands->CanModifySelect(); });

    // ---- deleting ----------------------------------------------------------------
    set(
        ID_COLUMN_DELETE, [commands] { commands->DeleteColumns(); }, hasColumns);
    set(
        ID_COLUMN_DELETE_THIS, [commands] { commands->DeleteCurrentColumn(); }, hasColumns);
    set(
        ID_CLEAR_ALL, [commands] { commands->ClearAll(); }, hasColumns);
}
