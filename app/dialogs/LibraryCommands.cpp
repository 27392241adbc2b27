#include "LibraryCommands.h"

#include "AnnaluxDoc.h"
#include "BaseYear.h"
#include "DialogBaseYear.h"
#include "DialogCreateLibrarySelect.h"
#include "DialogGengou.h"
#include "DialogHeaderSelect.h"
#include "DialogInsertSelect.h"
#include "DialogMakeEvent.h"
#include "DialogProperty.h"
#include "DialogSelectLibrary.h"
#include "DlgInfo.h"
#include "EventData.h"
#include "FilePathManager.h"
#include "GengouEra.h"
#include "HostServices.h"
#include "HostText.h"
#include "LoadProgress.h"
#include "SelectData.h"
#include "ShiftJis.h"
#include "SjisInput.h"
#include "YearEvent.h"

#include <QDialog>
#include <QDir>
#include <QFileInfo>

#include <algorithm>
#include <memory>
#include <new>

const char* const CLibraryCommands::kNoEventsForEraNames =
    "出来事データを読み込むか、作成するまでは元号データは表示されません";
const char* const CLibraryCommands::kNoEventsForPeriods =
    "出来事データを読み込むか、作成するまでは時代データは表示されません";
const char* const CLibraryCommands::kNoEventsForBaseYears =
    "出来事データを読み込むか、作成するまでは基点年データは表示されません";
const char* const CLibraryCommands::kOutOfMemory = "メモリ不足のため動作が継続できません";
const char* const CLibraryCommands::kSaveQuestion = "「%s」を保存しますか？";
const char* const CLibraryCommands::kAddQuestion = "「%1」を画面に追加しますか？";
const char* const CLibraryCommands::kDiscardQuestion = "データは廃棄されますが、よろしいですか？";
const char* const CLibraryCommands::kBaseYearSaveQuestion = "基点年データを保存しますか？";
const char* const CLibraryCommands::kBaseYearAddQuestion = "基点年データを画面に追加しますか？";
const char* const CLibraryCommands::kSameFileMessage = "同一ファイルは指定できません。";
const char* const CLibraryCommands::kMoveToLibraryQuestion =
    "%d年,「%s」\r\nをライブラリ「%s」に%sしますか？";
const char* const CLibraryCommands::kMoveToFileQuestion =
    "%d年,「%s」\r\nをライブラリファイル「%s」に%sしますか？";
const char* const CLibraryCommands::kInsertFailedMessage = "データの挿入に失敗しました";
const char* const CLibraryCommands::kFileNotFoundMessage = "ファイルが見つかりません";
const char* const CLibraryCommands::kTargetReadFailedMessage =
    "%s先ファイルの読み込みに失敗しました";
const char* const CLibraryCommands::kMoveWord = "移動";
const char* const CLibraryCommands::kCopyWord = "複写";
const char* const CLibraryCommands::kMoveFileTitle =
    "コピーするライブラリファイルを指定してください";
const char* const CLibraryCommands::kCopyFileTitle = "複写するライブラリファイルを指定してください";
const char* const CLibraryCommands::kEventFileFilter = "出来事ﾃﾞｰﾀ (*.lev)|*.lev||";
const char* const CLibraryCommands::kContinueCreateQuestion =
    "続けて別のライブラリを作成しますか？";
const char* const CLibraryCommands::kNothingToModify = "修正対象のデータがありません。";
const char* const CLibraryCommands::kNothingToAdd = "追加対象のデータがありません。";
const char* const CLibraryCommands::kModifyConfirm = "を修正します";
const char* const CLibraryCommands::kAddConfirm = "に追加します";
const char* const CLibraryCommands::kDeleteColumnQuestion = "この列を消去します。よろしいですか？";
const char* const CLibraryCommands::kSaveBeforeDeleteQuestion =
    "削除する前に、ファイルを上書き保存しますか？";
const char* const CLibraryCommands::kClearAllQuestion = "すべて消去します。よろしいですか？";
const char* const CLibraryCommands::kModifySelectText =
    "修正したいライブラリ種類を選択してください";

namespace {

const char* const kLibraryFolder = "ﾗｲﾌﾞﾗﾘ";

// Fills %s, %d and %1 of pattern with args in order.
std::string Fill(const char* pattern, std::initializer_list<std::string> args)
{
    std::string out;
    auto next = args.begin();
    for (const char* p = pattern; *p; ++p) {
        if (p[0] == '%' && (p[1] == 's' || p[1] == 'd' || p[1] == '1') && next != args.end()) {
            out += *next++;
            ++p;
        } else {
            out += *p;
        }
    }
    return out;
}

std::string Title(const CTableBase& table)
{
    return CShiftJis::ToUtf8Lossy(table.GetTableName());
}

} // namespace

// ---- construction and hooks -------------------------------------------------

CLibraryCommands::CLibraryCommands(CAnnaluxDoc* doc, QWidget* parent) : m_doc(doc), m_parent(parent)
{
    SetHooks(SHooks());
}

CLibraryCommands::~CLibraryCommands() = default;

void CLibraryCommands::SetHooks(const SHooks& hooks)
{
    if (hooks.runDialog)
        m_hooks.runDialog = hooks.runDialog;
    if (!m_hooks.runDialog)
        m_hooks.runDialog = [](QDialog& dialog) { return dialog.exec(); };
    // The editors work on a copy; it replaces the table only on OK.
    if (hooks.editEvents)
        m_hooks.editEvents = hooks.editEvents;
    if (!m_hooks.editEvents)
        m_hooks.editEvents = [this](CAnnaluxDoc& doc, CYearEvent& table, EEditMode mode) {
            CDialogMakeEvent dialog(&doc, table, kNoYear, -1, mode != EditModify, m_parent);
            if (!Run(dialog))
                return false;
            table = dialog.GetTable();
            m_editedYears = dialog.GetTouchedYears();
            return true;
        };
    if (hooks.editEras)
        m_hooks.editEras = hooks.editEras;
    if (!m_hooks.editEras)
        m_hooks.editEras = [this](CAnnaluxDoc&, CGengouEra& table, int kind, EEditMode mode) {
            CDialogGengou dialog(table, kind, kNoYear, mode != EditModify, m_parent);
            if (!Run(dialog))
                return false;
            table = dialog.GetTable();
            return true;
        };
    if (hooks.editBaseYear)
        m_hooks.editBaseYear = hooks.editBaseYear;
    if (!m_hooks.editBaseYear)
        m_hooks.editBaseYear = [this](CAnnaluxDoc& doc, CBaseYear& table, bool isNew) {
            CDialogBaseYear dialog(&doc, m_parent);
            SBaseYearValues values = SBaseYearValues::FromTable(table);
            if (isNew)
                values.startYear = kNoYear; // a blank form, not year 0
            dialog.SetValues(values);
            if (!Run(dialog))
                return false;
            dialog.GetValues().ToTable(table);
            return true;
        };
    if (hooks.isAssistantActive)
        m_hooks.isAssistantActive = hooks.isAssistantActive;
    if (hooks.setAssistantActive)
        m_hooks.setAssistantActive = hooks.setAssistantActive;
    if (hooks.postCommand)
        m_hooks.postCommand = hooks.postCommand;
    if (!m_hooks.postCommand)
        m_hooks.postCommand = [this](int command) { m_posted.push_back(command); };
}

std::vector<int> CLibraryCommands::TakePostedCommands()
{
    std::vector<int> posted;
    posted.swap(m_posted);
    return posted;
}

int CLibraryCommands::Ask(const std::string& text, unsigned buttons)
{
    return CHostServices::Get().MessageBox(text, buttons | CHostServices::IconQuestion);
}

void CLibraryCommands::Tell(const std::string& text, unsigned icon)
{
    CHostServices::Get().MessageBox(text, CHostServices::Ok | icon);
}

bool CLibraryCommands::Run(QDialog& dialog)
{
    return m_hooks.runDialog(dialog) == QDialog::Accepted;
}

bool CLibraryCommands::IsAssistantActive() const
{
    return m_hooks.isAssistantActive ? m_hooks.isAssistantActive() : m_assistant;
}

void CLibraryCommands::SetAssistantActive(bool active)
{
    if (m_hooks.setAssistantActive)
        m_hooks.setAssistantActive(active);
    else
        m_assistant = active;
}

int CLibraryCommands::TakeColumn(int contextColumn)
{
    const int current = m_doc->GetCurrentColumn();
    if (current >= 0) {
        m_doc->SetCurrentColumn(-1);
        return current;
    }
    return contextColumn;
}

void CLibraryCommands::Relayout(bool repaint, bool update)
{
    m_doc->Notify(CAnnaluxDoc::VN_RELAYOUT);
    if (repaint)
        m_doc->Notify(CAnnaluxDoc::VN_REPAINT);
    if (update)
        m_doc->UpdateAllViews();
}

// ---- enabling -------------------------------------------------------------------

bool CLibraryCommands::HasColumns() const
{
    return !m_doc->GetColumns().IsEmpty();
}

bool CLibraryCommands::IsEventColumn(int column) const
{
    const CHeaderManager& columns = m_doc->GetColumns();
    return column >= 0 && column < columns.GetCount() && columns.GetKind(column) == CK_EVENT &&
           columns.GetTable(column);
}

bool CLibraryCommands::CanSaveLibrary(int contextColumn) const
{
    const int current = m_doc->GetCurrentColumn();
    const int column = current >= 0 ? current : contextColumn;
    const CHeaderManager& columns = m_doc->GetColumns();
    if (column < 0 || column >= columns.GetCount())
        return false;
    const CTableBase* table = columns.GetTable(column);
    return table && table->GetModified();
}

bool CLibraryCommands::CanModifySelect() const
{
    return m_doc->GetEventTableCount() > 0;
}

std::vector<int> CLibraryCommands::MoveTargets(int column) const
{
    std::vector<int> targets;
    if (!IsEventColumn(column))
        return targets;
    const CTableBase* source = m_doc->GetColumns().GetTable(column);
    for (int i = 0; i < m_doc->GetEventTableCount() && targets.size() < kMaxMoveTargets; ++i) {
        const CYearEvent* table = m_doc->GetEventTable(i);
        if (table == source)
            continue;
        if (!source->GetFileName().empty() &&
            SameFile(table->GetFileName(), source->GetFileName(), false))
            continue;
        targets.push_back(i);
    }
    return targets;
}

// ---- paths ------------------------------------------------------------------------

std::string CLibraryCommands::AbsolutePath(const std::string& name) const
{
    if (name.empty())
        return std::string();
    std::string path = CFilePathManager::FromStoredPath(name);
    QString q = CHostText::FromHostPath(path);
    if (QFileInfo(q).isRelative()) {
        // A library's name is kept relative to the chronology's folder.
        const std::string project = m_doc->GetPathName();
        const QString folder = project.empty()
                                   ? QDir::currentPath()
                                   : QFileInfo(CHostText::FromHostPath(project)).absolutePath();
        q = QDir(folder).absoluteFilePath(q);
    }
    path = CFilePathManager::ResolveExisting(CHostText::ToHostPath(QDir::cleanPath(q)));
    const QString canonical = QFileInfo(CHostText::FromHostPath(path)).canonicalFilePath();
    return canonical.isEmpty() ? path : CHostText::ToHostPath(canonical);
}

bool CLibraryCommands::SameFile(const std::string& a, const std::string& b, bool ignoreCase) const
{
    if (a.empty() || b.empty())
        return false;
    const QString pa = CHostText::FromHostPath(AbsolutePath(a));
    const QString pb = CHostText::FromHostPath(AbsolutePath(b));
    return pa.compare(pb, ignoreCase ? Qt::CaseInsensitive : Qt::CaseSensitive) == 0;
}

// ---- inserting a column ----------------------------------------------------------

bool CLibraryCommands::InsertLibraryColumn(int kind, CTableBase* table)
{
    CHeaderManager& columns = m_doc->GetColumns();
    const int width = m_doc->GetRowInfo().GetWidth(kind);
    int position = 1;
    if (!columns.EnsureYearColumn(m_doc->GetRowInfo().GetWidth(CK_YEAR))) {
        CDialogInsertSelect dialog(columns, m_parent);
        if (!Run(dialog))
            return false;
        position = dialog.GetInsertPosition();
    }
    position = std::clamp(position, 0, columns.GetCount());
    columns.Insert(kind, table, position, width);
    Relayout(true, true);
    return true;
}

void CLibraryCommands::NoEventsNotice(int kind)
{
    if (m_doc->GetEventTableCount() > 0)
        return;
    const char* text = kind == HT_GENGOU   ? kNoEventsForEraNames
                       : kind == HT_PERIOD ? kNoEventsForPeriods
                                           : kNoEventsForBaseYears;
    Tell(text, CHostServices::IconInformation);
}

// ---- loading ------------------------------------------------------------------------

bool CLibraryCommands::LoadLibrary(int option)
{
    CDialogSelectLibrary dialog(m_parent);
    dialog.SetOption(option);
    if (!Run(dialog)) {
        SetAssistantActive(false);
        return false;
    }
    return LoadLibraryOfKind(dialog.GetKind());
}

bool CLibraryCommands::LoadLibraryOfKind(int kind)
{
    return LoadLibraryFile(kind, nullptr);
}

bool CLibraryCommands::LoadLibraryFile(int kind, const char* path)
{
    CTableBase* table = nullptr;
    bool read = false;
    // A large library shows how far it has come and can be stopped; a
    // stopped read is a cancelled one (nothing is added).
    auto progress = std::make_unique<CLoadProgress>(m_parent, CLoadProgress::kLibraryHeading);
    switch (kind) {
    case HT_GENGOU:
    case HT_PERIOD: {
        auto eras = std::make_unique<CGengouEra>();
        if ((read = eras->ReadFile(path, static_cast<EHeaderType>(kind), true)))
            table = kind == HT_GENGOU ? m_doc->AddEraNameTable(std::move(eras))
                                      : m_doc->AddPeriodTable(std::move(eras));
        break;
    }
    case HT_BASEYEAR: {
        auto base = std::make_unique<CBaseYear>();
        if ((read = base->ReadFile(path)))
            table = m_doc->AddBaseYearTable(std::move(base));
        break;
    }
    case HT_EVENT: {
        auto events = std::make_unique<CYearEvent>();
        if ((read = events->ReadFile(path, false)))
            table = m_doc->AddEventTable(std::move(events));
        break;
    }
    default:
        return false;
    }
    progress.reset();
    if (!read) {
        // A cancelled or failed read ends the assistant's round of loading:
        // left on, it would turn later modify commands into creations.
        SetAssistantActive(false);
        return false;
    }
    InsertLibraryColumn(kind, table);
    m_doc->SetModifiedFlag();
    if (kind != HT_EVENT)
        NoEventsNotice(kind);
    if (IsAssistantActive())
        m_hooks.postCommand(32805);
    return true;
}

// ---- creating ---------------------------------------------------------------------------

bool CLibraryCommands::CreateLibrary()
{
    CDialogCreateLibrarySelect dialog(m_parent);
    if (!Run(dialog))
        return false;
    return CreateLibraryOfKind(dialog.GetKind());
}

int CLibraryCommands::AskCreateOption()
{
    CDialogCreateLibrarySelect dialog(m_parent);
    if (!Run(dialog))
        return -1;
    return dialog.GetOption();
}

int CLibraryCommands::ModifyCommandOfOption(int option)
{
    static const int kCommands[CDialogSelectLibrary::kOptionCount] = {32781, 32782, 32784, 32803};
    return option >= 0 && option < CDialogSelectLibrary::kOptionCount ? kCommands[option] : 0;
}

bool CLibraryCommands::CreateLibraryOfKind(int kind)
{
    try {
        switch (kind) {
        case HT_GENGOU:
        case HT_PERIOD:
        case HT_EVENT:
            return CreateTableLibrary(kind);
        case HT_BASEYEAR:
            return CreateBaseYearLibrary();
        default:
            return false;
        }
    } catch (const std::bad_alloc&) {
        Tell(kOutOfMemory, CHostServices::IconError);
        return false;
    }
}

bool CLibraryCommands::CreateTableLibrary(int kind)
{
    std::unique_ptr<CGengouEra> eras;
    std::unique_ptr<CYearEvent> events;
    CTableBase* table = nullptr;
    if (kind == HT_EVENT) {
        events = std::make_unique<CYearEvent>();
        table = events.get();
    } else {
        eras = std::make_unique<CGengouEra>();
        table = eras.get();
    }

    CDialogProperty property(table, kind, m_parent);
    if (!Run(property))
        return false;
    const bool edited =
        events ? m_hooks.editEvents && m_hooks.editEvents(*m_doc, *events, EditNewLibrary)
               : m_hooks.editEras && m_hooks.editEras(*m_doc, *eras, kind, EditNewLibrary);
    if (!edited)
        return false;
    const bool empty = events ? events->GetLen() == 0 : eras->GetSize() == 0;
    if (empty || !SaveAndAddPrompt(*table, kind))
        return false;

    if (events)
        m_doc->AddEventTable(std::move(events));
    else if (kind == HT_GENGOU)
        m_doc->AddEraNameTable(std::move(eras));
    else
        m_doc->AddPeriodTable(std::move(eras));
    InsertLibraryColumn(kind, table);
    m_doc->SetModifiedFlag();
    return true;
}

bool CLibraryCommands::SaveAndAddPrompt(CTableBase& table, int kind)
{
    const bool hadChanges = table.GetModified();
    for (;;) {
        if (Ask(Fill(kSaveQuestion, {Title(table)}), CHostServices::YesNo) ==
            CHostServices::AnswerYes)
            table.WriteFile(true, m_doc, static_cast<EHeaderType>(kind));
        if (Ask(Fill(kAddQuestion, {Title(table)}), CHostServices::YesNo) ==
            CHostServices::AnswerYes)
            return true;
        if (!hadChanges)
            return false;
        if (Ask(kDiscardQuestion, CHostServices::YesNo) == CHostServices::AnswerYes)
            return false;
    }
}

bool CLibraryCommands::CreateBaseYearLibrary()
{
    auto table = std::make_unique<CBaseYear>();
    if (!m_hooks.editBaseYear || !m_hooks.editBaseYear(*m_doc, *table, true))
        return false;
    bool saved = false;
    for (;;) {
        // Only a write that really happened makes the in-memory copy
        // expendable.
        if (Ask(kBaseYearSaveQuestion, CHostServices::YesNo) == CHostServices::AnswerYes &&
            table->WriteFile(true, m_doc, HT_BASEYEAR))
            saved = true;
        if (Ask(kBaseYearAddQuestion, CHostServices::YesNo) == CHostServices::AnswerYes) {
            CBaseYear* added = m_doc->AddBaseYearTable(std::move(table));
            InsertLibraryColumn(HT_BASEYEAR, added);
            m_doc->SetModifiedFlag();
            NoEventsNotice(HT_BASEYEAR);
            return true;
        }
        if (saved)
            return false;
        if (Ask(kDiscardQuestion, CHostServices::YesNo) == CHostServices::AnswerYes)
            return false;
    }
}

// ---- saving and information ---------------------------------------------------------------

bool CLibraryCommands::SaveLibrary(int contextColumn, bool askName)
{
    const int column = TakeColumn(contextColumn);
    const CHeaderManager& columns = m_doc->GetColumns();
    if (column < 0 || column >= columns.GetCount() || !columns.GetTable(column))
        return false;
    const bool saved = columns.GetTable(column)->WriteFile(
        askName, m_doc, static_cast<EHeaderType>(columns.GetKind(column)));
    Relayout(false, false);
    // The chronology now names another file.
    if (saved && askName)
        m_doc->SetModifiedFlag();
    return saved;
}

void CLibraryCommands::SaveAllLibraries()
{
    m_doc->SaveModifiedLibraries(false);
    Relayout(false, false);
}

bool CLibraryCommands::ShowLibraryInfo(int contextColumn)
{
    const int column = TakeColumn(contextColumn);
    const CHeaderManager& columns = m_doc->GetColumns();
    if (column < 0 || column >= columns.GetCount() || !columns.GetTable(column))
        return false;
    const int kind = columns.GetKind(column);
    CTableBase* table = columns.GetTable(column);
    bool ok = false;
    if (kind == CK_BASEYEAR) {
        ok = m_hooks.editBaseYear &&
             m_hooks.editBaseYear(*m_doc, *static_cast<CBaseYear*>(table), false);
    } else {
        CDialogProperty dialog(table, kind, m_parent);
        ok = Run(dialog);
    }
    Relayout(false, false);
    return ok;
}

bool CLibraryCommands::ShowChronologyInfo()
{
    CDlgInfo dialog(m_doc, m_parent);
    return Run(dialog);
}

// ---- events between libraries -----------------------------------------------------------

bool CLibraryCommands::MergeIntoColumn(int column)
{
    if (!IsEventColumn(column))
        return false;
    auto* target = static_cast<CYearEvent*>(m_doc->GetColumns().GetTable(column));
    CYearEvent other;
    {
        CLoadProgress progress(m_parent, CLoadProgress::kLibraryHeading);
        if (!other.ReadFile(nullptr, false))
            return false;
    }
    if (SameFile(other.GetFileName(), target->GetFileName(), true)) {
        Tell(kSameFileMessage, CHostServices::IconWarning);
        return false;
    }
    if (!target->Merge(other))
        return false;
    Relayout(true, false);
    return true;
}

bool CLibraryCommands::LocateEvent(CYearEvent& table, int32_t year, int offset, int& index,
                                   SEventData& out)
{
    const int filter = m_doc->GetPriorityFilter();
    index = table.GetIndexFromYear(year, filter);
    if (index == -1)
        index = std::max(table.GetNearestYear(year, filter) + offset, 0);
    else
        index += offset;
    return table.GetAt(index, &out, filter);
}

bool CLibraryCommands::TransferToLibrary(CYearEvent& source, int index, const SEventData& event,
                                         CYearEvent& target, bool move)
{
    // An event moved onto its own library would be inserted and then the
    // wrong record removed; there is nothing to move.
    if (move && &target == &source)
        return false;
    const std::string question = Fill(
        kMoveToLibraryQuestion, {std::to_string(event.year), CShiftJis::ToUtf8Lossy(event.text),
                                 Title(target), move ? kMoveWord : kCopyWord});
    if (Ask(question, CHostServices::YesNo) != CHostServices::AnswerYes)
        return false;
    const int filter = m_doc->GetPriorityFilter();
    if (!target.SetData(event, true, -1, filter)) {
        Tell(kInsertFailedMessage, CHostServices::IconError);
        return false;
    }
    if (move)
        source.RemoveAt(index, filter, nullptr);
    Relayout(false, true);
    m_doc->SetModifiedFlag();
    return true;
}

bool CLibraryCommands::MoveOrCopyToLibrary(int column, int32_t year, int offset, int targetIndex,
                                           bool move)
{
    if (!IsEventColumn(column) || targetIndex < 0 || targetIndex >= m_doc->GetEventTableCount())
        return false;
    auto* source = static_cast<CYearEvent*>(m_doc->GetColumns().GetTable(column));
    int index = -1;
    SEventData event;
    if (!LocateEvent(*source, year, offset, index, event))
        return false;
    return TransferToLibrary(*source, index, event, *m_doc->GetEventTable(targetIndex), move);
}

bool CLibraryCommands::MoveOrCopyToFile(int column, int32_t year, int offset, bool move)
{
    if (!IsEventColumn(column))
        return false;
    auto* source = static_cast<CYearEvent*>(m_doc->GetColumns().GetTable(column));
    int index = -1;
    SEventData event;
    if (!LocateEvent(*source, year, offset, index, event))
        return false;

    SFileDialogRequest request;
    request.title = move ? kMoveFileTitle : kCopyFileTitle;
    request.filter = kEventFileFilter;
    request.defaultExtension = "lev";
    request.initialFolder = kLibraryFolder;
    request.flags = SFileDialogRequest::Explorer | SFileDialogRequest::FileMustExist |
                    SFileDialogRequest::NoChangeDir | SFileDialogRequest::HideReadOnly;
    std::string path;
    if (!CHostServices::Get().GetOpenFileName(request, path))
        return false;
    if (!QFileInfo(CHostText::FromHostPath(path)).isFile()) {
        Tell(kFileNotFoundMessage, CHostServices::IconWarning);
        return false;
    }

    // A file that is loaded is changed in memory only: writing it behind
    // its library's back would be undone when that library is saved.
    for (int i = 0; i < m_doc->GetEventTableCount(); ++i) {
        CYearEvent* loaded = m_doc->GetEventTable(i);
        if (SameFile(loaded->GetFileName(), path, false))
            return TransferToLibrary(*source, index, event, *loaded, move);
    }

    const char* word = move ? kMoveWord : kCopyWord;
    const std::string question =
        Fill(kMoveToFileQuestion,
             {std::to_string(event.year), CShiftJis::ToUtf8Lossy(event.text), path, word});
    if (Ask(question, CHostServices::YesNo) != CHostServices::AnswerYes)
        return false;
    CYearEvent target;
    {
        CLoadProgress progress(m_parent, CLoadProgress::kLibraryHeading);
        if (!target.ReadFile(path.c_str(), false)) {
            // Stopped by the user: nothing moves and nothing is written.
            if (!progress.Cancelled())
                Tell(Fill(kTargetReadFailedMessage, {word}), CHostServices::IconError);
            return false;
        }
    }
    const int filter = m_doc->GetPriorityFilter();
    if (!target.SetData(event, true, -1, filter)) {
        Tell(kInsertFailedMessage, CHostServices::IconError);
        return false;
    }
    // The source gives the event up only once the file holds it.
    if (!target.WriteFile(false, m_doc, HT_EVENT))
        return false;
    if (move) {
        source->RemoveAt(index, filter, nullptr);
        m_doc->SetModifiedFlag();
    }
    Relayout(false, true);
    return true;
}

// ---- choosing a library to edit -----------------------------------------------------------

bool CLibraryCommands::ModifyLibrary(int kind)
{
    m_doc->SetCurrentColumn(-1);
    return ChooseAndEdit(kind, false);
}

bool CLibraryCommands::ModifyColumnLibrary()
{
    return EditColumnLibrary(false);
}

bool CLibraryCommands::EditColumnLibrary(bool add)
{
    const int column = m_doc->GetCurrentColumn();
    if (column < 0 || column >= m_doc->GetColumns().GetCount())
        return false;
    return ChooseAndEdit(m_doc->GetColumns().GetKind(column), add);
}

bool CLibraryCommands::AddToLibrary(int kind)
{
    m_doc->SetCurrentColumn(-1);
    return ChooseAndEdit(kind, true);
}

bool CLibraryCommands::AddToColumnLibrary()
{
    return EditColumnLibrary(true);
}

bool CLibraryCommands::ModifySelect()
{
    CDialogSelectLibrary dialog(m_parent);
    dialog.SetText(QString::fromUtf8(kModifySelectText));
    if (!Run(dialog))
        return false;
    return ModifyLibrary(dialog.GetKind());
}

bool CLibraryCommands::AssistantCreate(int kind)
{
    const bool created = CreateLibraryOfKind(kind);
    if (Ask(kContinueCreateQuestion, CHostServices::YesNo) != CHostServices::AnswerYes) {
        SetAssistantActive(false);
        return created;
    }
    const int option = AskCreateOption();
    if (option < 0)
        SetAssistantActive(false);
    else
        m_hooks.postCommand(ModifyCommandOfOption(option));
    return created;
}

bool CLibraryCommands::ChooseAndEdit(int kind, bool add)
{
    if (kind < HT_GENGOU || kind > HT_EVENT) {
        m_doc->SetCurrentColumn(-1);
        return false;
    }
    if (!add && IsAssistantActive() && m_doc->GetCurrentColumn() < 0)
        return AssistantCreate(kind);

    const int count = m_doc->GetTableCount(kind);
    if (count == 0) {
        m_doc->SetCurrentColumn(-1);
        Tell(add ? kNothingToAdd : kNothingToModify, CHostServices::IconInformation);
        return false;
    }
    CTableBase* table = nullptr;
    const int current = m_doc->GetCurrentColumn();
    const CHeaderManager& columns = m_doc->GetColumns();
    if (current >= 0) {
        m_doc->SetCurrentColumn(-1);
        if (current < columns.GetCount() && columns.GetKind(current) == kind)
            table = columns.GetTable(current);
    }
    if (!table && count == 1) {
        table = m_doc->GetTable(kind, 0);
        const std::string text = Title(*table) + (add ? kAddConfirm : kModifyConfirm);
        if (Ask(text, CHostServices::OkCancel) != CHostServices::AnswerOk)
            return false;
    } else if (!table) {
        QStringList titles;
        for (int i = 0; i < count; ++i)
            titles << CSjisInput::FromSjis(m_doc->GetTable(kind, i)->GetTableName());
        CSelectData dialog(titles, m_parent);
        if (!Run(dialog) || dialog.GetIndex() < 0)
            return false;
        table = m_doc->GetTable(kind, dialog.GetIndex());
    }
    return EditLibrary(kind, table, add ? EditAdd : EditModify);
}

bool CLibraryCommands::EditLibrary(int kind, CTableBase* table, EEditMode mode)
{
    bool ok = false;
    switch (kind) {
    case HT_EVENT:
        m_editedYears.reset();
        ok = m_hooks.editEvents &&
             m_hooks.editEvents(*m_doc, *static_cast<CYearEvent*>(table), mode);
        // Only the changed years are laid out again when they are known.
        if (ok && m_editedYears) {
            m_doc->NotifyEventsEdited(
                {{static_cast<const CYearEvent*>(table), std::move(*m_editedYears)}});
            m_editedYears.reset();
            return true;
        }
        break;
    case HT_GENGOU:
    case HT_PERIOD:
        ok = m_hooks.editEras &&
             m_hooks.editEras(*m_doc, *static_cast<CGengouEra*>(table), kind, mode);
        break;
    case HT_BASEYEAR:
        ok = m_hooks.editBaseYear &&
             m_hooks.editBaseYear(*m_doc, *static_cast<CBaseYear*>(table), false);
        break;
    default:
        break;
    }
    if (ok)
        Relayout(true, true);
    return ok;
}

// ---- deleting -------------------------------------------------------------------------------

bool CLibraryCommands::RemoveColumn(int index)
{
    CHeaderManager& columns = m_doc->GetColumns();
    if (index < 0 || index >= columns.GetCount())
        return false;
    CTableBase* table = columns.GetTable(index);
    if (!table)
        return columns.Remove(index);
    if (table->GetModified() &&
        Ask(kSaveBeforeDeleteQuestion, CHostServices::YesNo) == CHostServices::AnswerYes &&
        !table->WriteFile(false, m_doc, static_cast<EHeaderType>(columns.GetKind(index))))
        return false; // the changes are not safe anywhere: the column stays
    if (m_doc->DeleteTable(table))
        return true;
    // A table the document does not own: only the column goes.
    return columns.Remove(index);
}

bool CLibraryCommands::DeleteCurrentColumn()
{
    const int current = m_doc->GetCurrentColumn();
    if (current < 0)
        return DeleteColumns();
    m_doc->SetCurrentColumn(-1);
    if (current >= m_doc->GetColumns().GetCount())
        return false;
    if (Ask(kDeleteColumnQuestion, CHostServices::YesNo) != CHostServices::AnswerYes)
        return false;
    const bool removed = RemoveColumn(current);
    m_doc->GetColumns().RecomputeLefts();
    Relayout(true, false);
    if (removed)
        m_doc->SetModifiedFlag();
    return removed;
}

bool CLibraryCommands::DeleteColumns()
{
    CDialogHeaderSelect dialog(m_doc->GetColumns(), m_parent);
    if (!Run(dialog))
        return false;
    // Columns are told apart by their cells, which stay put while other
    // columns go (a library shown twice loses both columns at once).
    CHeaderManager& columns = m_doc->GetColumns();
    const std::vector<bool> checked = dialog.GetChecked();
    std::vector<const int*> chosen;
    for (int i = 0; i < static_cast<int>(checked.size()) && i < columns.GetCount(); ++i)
        if (checked[static_cast<size_t>(i)])
            chosen.push_back(columns.GetAt(i).left);
    bool removed = false;
    for (auto it = chosen.rbegin(); it != chosen.rend(); ++it) {
        for (int i = 0; i < columns.GetCount(); ++i) {
            if (columns.GetAt(i).left == *it) {
                removed = RemoveColumn(i) || removed;
                break;
            }
        }
    }
    columns.RecomputeLefts();
    Relayout(true, false);
    if (removed)
        m_doc->SetModifiedFlag();
    return removed;
}

bool CLibraryCommands::ClearAll()
{
    if (Ask(kClearAllQuestion, CHostServices::YesNo) != CHostServices::AnswerYes)
        return false;
    // Unsaved library changes are offered for saving first, as when a
    // single column is deleted; the chronology's own flag stays as it was.
    m_doc->SaveModifiedLibraries(true);
    m_doc->Clear();
    Relayout(true, false);
    return true;
}
