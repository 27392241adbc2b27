#include "AnnaluxDoc.h"

#include "BaseYear.h"
#include "DataMessages.h"
#include "FilePathManager.h"
#include "GengouEra.h"
#include "HostServices.h"
#include "ProjectFile.h"
#include "ReadProgress.h"
#include "SaveFile.h"
#include "Settings.h"
#include "ShiftJis.h"
#include "YearEvent.h"

#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <limits>
#include <stdexcept>
#include <sys/stat.h>
#include <unistd.h>

const char* const CAnnaluxDoc::kNewTitle = "Annalux";
const char* const CAnnaluxDoc::kExtension = "anx";
const char* const CAnnaluxDoc::kFileFilter = "Annaluxﾄﾞｷｭﾒﾝﾄ(*.anx)|*.anx||";
const int CAnnaluxDoc::kZoomSteps[10] = {10, 30, 50, 70, 90, 100, 150, 200, 250, 300};

namespace {

const char* const kDefaultDescription = "ここにこの年表の説明文を入れて下さい";

std::string ToSjis(const char* utf8)
{
    std::string sjis;
    CShiftJis::FromUtf8(utf8, sjis);
    return sjis;
}

// printf-style "%s" replacement for the message texts (UTF-8).
std::string Replace(std::string text, const std::string& what, const std::string& with)
{
    const size_t at = text.find(what);
    if (at != std::string::npos)
        text.replace(at, what.size(), with);
    return text;
}

std::string Absolute(const std::string& path)
{
    if (path.empty() || path[0] == '/')
        return path;
    std::string dir;
    if (!CFilePathManager::GetCurrentDir(dir))
        return path;
    return dir == "/" ? "/" + path : dir + "/" + path;
}

// "." and ".." segments resolved on the text alone, so that a library path
// made absolute against a folder is stored without detours.
std::string Normalize(const std::string& path)
{
    if (path.empty() || path[0] != '/')
        return path;
    std::vector<std::string> parts;
    size_t i = 1;
    while (i <= path.size()) {
        size_t next = path.find('/', i);
        if (next == std::string::npos)
            next = path.size();
        const std::string part = path.substr(i, next - i);
        i = next + 1;
        if (part.empty() || part == ".")
            continue;
        if (part == "..") {
            if (!parts.empty())
                parts.pop_back();
            continue;
        }
        parts.push_back(part);
    }
    std::string out;
    for (const std::string& part : parts)
        out += "/" + part;
    return out.empty() ? "/" : out;
}

// The whole of a regular file; false when it cannot be read.
bool ReadWholeFile(const std::string& path, std::string& bytes)
{
    bytes.clear();
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return false;
    struct stat st;
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(fd);
        return false;
    }
    char buffer[65536];
    for (;;) {
        const ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0) {
            ::close(fd);
            return false;
        }
        if (n == 0)
            break;
        bytes.append(buffer, static_cast<size_t>(n));
    }
    ::close(fd);
    return true;
}

int32_t ClampToInt32(int64_t value)
{
    return static_cast<int32_t>(std::clamp<int64_t>(value, std::numeric_limits<int32_t>::min(),
                                                    std::numeric_limits<int32_t>::max()));
}

template <typename T> T* At(const std::vector<std::unique_ptr<T>>& tables, int index)
{
    if (index < 0 || static_cast<size_t>(index) >= tables.size())
        throw std::out_of_range("library table index out of range");
    return tables[static_cast<size_t>(index)].get();
}

template <typename T> bool Erase(std::vector<std::unique_ptr<T>>& tables, const CTableBase* table)
{
    for (auto it = tables.begin(); it != tables.end(); ++it) {
        if (it->get() == table) {
            tables.erase(it);
            return true;
        }
    }
    return false;
}

template <typename T>
bool Owns(const std::vector<std::unique_ptr<T>>& tables, const CTableBase* table)
{
    for (const auto& owned : tables)
        if (owned.get() == table)
            return true;
    return false;
}

template <typename T>
void SaveModified(std::vector<std::unique_ptr<T>>& tables, bool ask, const char* question,
                  EHeaderType kind, CDocument* doc, std::vector<const CTableBase*>& declined,
                  bool remember)
{
    for (const auto& table : tables) {
        if (!table->GetModified())
            continue;
        if (std::find(declined.begin(), declined.end(), table.get()) != declined.end())
            continue;
        if (ask) {
            const std::string text =
                Replace(question, "%s", CShiftJis::ToUtf8Lossy(table->GetTableName()));
            if (CHostServices::Get().MessageBox(text, CHostServices::YesNo |
                                                          CHostServices::IconQuestion) !=
                CHostServices::AnswerYes) {
                if (remember)
                    declined.push_back(table.get());
                continue;
            }
        }
        // A library that fails to save has told the user itself; the others
        // and the project still get their chance.
        table->WriteFile(false, doc, kind);
    }
}

} // namespace

CAnnaluxDoc::CAnnaluxDoc() : m_title(kNewTitle)
{
    ResetSettings();
}

CAnnaluxDoc::~CAnnaluxDoc()
{
    // The columns refer to the tables; let them go first.
    m_columns.Clear();
}

void CAnnaluxDoc::SetPathName(const std::string& path)
{
    m_pathName = path;
    if (path.empty()) {
        m_title = kNewTitle;
        return;
    }
    const size_t slash = path.find_last_of('/');
    m_title = slash == std::string::npos ? path : path.substr(slash + 1);
}

bool CAnnaluxDoc::HasModifiedLibraries() const
{
    for (int kind = 1; kind <= 4; ++kind)
        for (int i = 0; i < GetTableCount(kind); ++i)
            if (GetTable(kind, i)->GetModified())
                return true;
    return false;
}

// ---- views ------------------------------------------------------------------

int CAnnaluxDoc::AddListener(Listener listener)
{
    const int id = m_nextListenerId++;
    m_listeners.emplace_back(id, std::move(listener));
    return id;
}

void CAnnaluxDoc::RemoveListener(int id)
{
    m_listeners.erase(std::remove_if(m_listeners.begin(), m_listeners.end(),
                                     [id](const auto& entry) { return entry.first == id; }),
                      m_listeners.end());
}

void CAnnaluxDoc::Notify(EViewNotice notice)
{
    // A listener may unsubscribe while being told; work on a copy.
    const auto listeners = m_listeners;
    for (const auto& entry : listeners)
        entry.second(notice);
}

void CAnnaluxDoc::NotifyEventsEdited(std::vector<SEventEdit> edits)
{
    m_eventEdits = std::move(edits);
    Notify(VN_EVENTS_EDITED);
    m_eventEdits.clear();
}

// ---- life -------------------------------------------------------------------

bool CAnnaluxDoc::OnNewDocument()
{
    SaveModifiedLibraries(true);
    Clear();
    ResetSettings();
    SetPathName(std::string());
    m_projectStamp = CFileStamp();
    m_modified = false;
    Notify(VN_REPAINT);
    Notify(VN_OFFER_ASSISTANT);
    return true;
}

bool CAnnaluxDoc::CheckProjectFile(const std::string& path) const
{
    const std::string absolute = Normalize(Absolute(path));
    std::string bytes;
    if (!ReadWholeFile(absolute, bytes)) {
        CHostServices::Get().MessageBox(CDataMessages::Format(CDataMessages::ReadFailed, absolute),
                                        CHostServices::Ok | CHostServices::IconError);
        return false;
    }
    // An empty file is a new-file template: it opens as an empty chronology.
    if (bytes.empty())
        return true;
    SProjectData data;
    std::string error;
    if (!CProjectFile::Parse(bytes, data, error)) {
        CHostServices::Get().MessageBox(
            CDataMessages::Format(CDataMessages::InvalidFormat, absolute) + "\n" + error,
            CHostServices::Ok | CHostServices::IconError);
        return false;
    }
    return true;
}

bool CAnnaluxDoc::OnOpenDocument(const std::string& path)
{
    // The open chronology is let go only for a file that can take its place.
    if (!CheckProjectFile(path))
        return false;
    SaveModifiedLibraries(true);

    const std::string absolute = Normalize(Absolute(path));
    std::string bytes;
    if (!ReadWholeFile(absolute, bytes)) {
        ClearForOpen();
        CHostServices::Get().MessageBox(CDataMessages::Format(CDataMessages::ReadFailed, absolute),
                                        CHostServices::Ok | CHostServices::IconError);
        ForgetFailedOpen();
        return false;
    }
    if (bytes.empty()) {
        // A new-file template of the desktop is an empty file: it opens as
        // an empty chronology that saves under its name.
        ClearForOpen();
        SetPathName(absolute);
        m_modified = false;
        Notify(VN_RELAYOUT);
        UpdateAllViews();
        return true;
    }

    // The libraries are read before anything of the open chronology goes,
    // so that a read the user stops leaves it exactly as it was.
    SProjectData data;
    std::string error;
    std::vector<std::unique_ptr<CTableBase>> tables;
    if (CProjectFile::Parse(bytes, data, error)) {
        if (!ReadColumnTables(data, CFilePathManager::FolderOf(absolute), tables)) {
            EndLeaving();
            return false;
        }
    }

    ClearForOpen();
    const bool ok = ReadProject(absolute, bytes, tables);
    m_projectStamp = ok ? CFileStamp::Take(absolute) : CFileStamp();
    if (!ok) {
        // Changed on disk since it was checked: nothing of it stays.
        ForgetFailedOpen();
    }
    return ok;
}

void CAnnaluxDoc::ClearForOpen()
{
    Clear();
    m_fonts.ApplyZoom(100);
    ResetSettings();
}

void CAnnaluxDoc::ForgetFailedOpen()
{
    Clear();
    ResetSettings();
    SetPathName(std::string());
    m_projectStamp = CFileStamp();
    m_modified = false;
    Notify(VN_RELAYOUT);
    UpdateAllViews();
}

void CAnnaluxDoc::FillProjectDefaults(SProjectData& data) const
{
    data.scaleYear = m_scaleYear;
    data.scaleAccuracy = m_scaleAccuracy;
    data.rangeEnabled = m_rangeEnabled;
    data.rangeFrom = m_rangeFrom;
    data.rangeTo = m_rangeTo;
    data.priorityFilter = m_priorityFilter;
    data.description = m_description;
    data.wrapLines = m_wrapLines;
    for (int slot = 0; slot < CFontManager::kSlotCount; ++slot) {
        data.fonts[slot] = m_fonts.GetFont(slot);
        data.fontColors[slot] = m_fonts.GetColor(slot);
    }
    data.colors[SProjectData::Back] = m_colors[BackColor];
    data.colors[SProjectData::BackEven] = m_colors[BackColorEven];
    data.colors[SProjectData::BackOdd] = m_colors[BackColorOdd];
    data.colors[SProjectData::Link] = m_colors[LinkColor];
    data.colors[SProjectData::Supplement] = m_colors[SupplementColor];
    data.colors[SProjectData::Text] = m_fonts.GetColor(0);
    data.colors[SProjectData::About] = m_colors[AboutColor];
    data.colors[SProjectData::EventMark] = m_colors[EventMarkColor];
    data.textMargin = m_textMargin;
}

bool CAnnaluxDoc::ReadColumnTables(const SProjectData& data, const std::string& folder,
                                   std::vector<std::unique_ptr<CTableBase>>& tables)
{
    std::vector<std::string> paths;
    uint64_t total = 0;
    for (const SProjectColumn& column : data.columns) {
        paths.push_back(column.kind != 0 ? ColumnLibraryPath(column.libraryPath, folder)
                                         : std::string());
        struct stat st;
        const std::string& name = paths.back();
        if (!name.empty() && ::stat(CFilePathManager::ResolveExisting(name).c_str(), &st) == 0 &&
            S_ISREG(st.st_mode))
            total += static_cast<uint64_t>(st.st_size);
    }
    CReadProgress* progress = CReadProgress::Current();
    if (progress)
        progress->Expect(total);

    tables.clear();
    for (size_t i = 0; i < data.columns.size(); ++i) {
        const int kind = data.columns[i].kind;
        tables.push_back(kind != 0 && !paths[i].empty() ? ReadColumnTable(kind, paths[i])
                                                        : nullptr);
        if (progress && progress->Cancelled()) {
            tables.clear();
            return false;
        }
    }
    return true;
}

bool CAnnaluxDoc::ReadProject(const std::string& path, const std::string& bytes,
                              std::vector<std::unique_ptr<CTableBase>>& tables)
{
    SProjectData data;
    FillProjectDefaults(data);
    std::string error;
    if (!CProjectFile::Parse(bytes, data, error) || tables.size() != data.columns.size()) {
        CHostServices::Get().MessageBox(CDataMessages::Format(CDataMessages::InvalidFormat, path) +
                                            "\n" + error,
                                        CHostServices::Ok | CHostServices::IconError);
        return false;
    }

    Notify(VN_RESET_SCROLL);
    // Relative library paths resolve against the project's folder.
    const std::string folder = CFilePathManager::FolderOf(path);
    if (!folder.empty())
        CFilePathManager::SetCurrentDir(folder);

    // A library that cannot be read loses its column; the columns after it
    // move left by its width so that no gap stays.
    int64_t dropped = 0;
    for (size_t i = 0; i < data.columns.size(); ++i) {
        const SProjectColumn& column = data.columns[i];
        CTableBase* table = nullptr;
        if (column.kind != 0 && !(table = AdoptTable(column.kind, std::move(tables[i])))) {
            dropped += column.width;
            continue;
        }
        m_columns.Append(column.kind, table, ClampToInt32(int64_t(column.left) - dropped),
                         column.width);
    }

    ApplyProjectSettings(data);
    SetPathName(path);
    m_modified = false;
    Notify(VN_RELAYOUT);
    UpdateAllViews();
    return true;
}

std::string CAnnaluxDoc::ColumnLibraryPath(const std::string& storedPath, const std::string& folder)
{
    // Projects made on Windows separate folders with backslashes and may
    // spell names in another case; the reader finds the file that is there.
    const std::string sjis = CFilePathManager::FromStoredPath(storedPath);
    std::string name;
    if (!CShiftJis::ToUtf8(sjis, name))
        name = CShiftJis::ToUtf8Lossy(sjis);
    if (name.empty())
        return name; // never ask the user for a file the project does not name
    std::string path = name;
    if (path[0] != '/') {
        std::string absolute;
        if (!folder.empty())
            path = Normalize(folder + "/" + path);
        else if (CFilePathManager().RelPathToCurAbsPath(path, absolute))
            path = absolute;
    }
    return path;
}

std::unique_ptr<CTableBase> CAnnaluxDoc::ReadColumnTable(int kind, const std::string& path)
{
    switch (kind) {
    case HT_GENGOU:
    case HT_PERIOD: {
        auto era = std::make_unique<CGengouEra>();
        era->SetFileName(path);
        if (!era->ReadFile(path.c_str(), static_cast<EHeaderType>(kind), true))
            return nullptr;
        return era;
    }
    case HT_BASEYEAR: {
        auto base = std::make_unique<CBaseYear>();
        base->SetFileName(path);
        if (!base->ReadFile(path.c_str()))
            return nullptr;
        return base;
    }
    case HT_EVENT: {
        auto events = std::make_unique<CYearEvent>();
        events->SetFileName(path);
        if (!events->ReadFile(path.c_str(), false))
            return nullptr;
        return events;
    }
    default:
        return nullptr;
    }
}

CTableBase* CAnnaluxDoc::AdoptTable(int kind, std::unique_ptr<CTableBase> table)
{
    if (!table)
        return nullptr;
    CTableBase* raw = table.release();
    switch (kind) {
    case HT_GENGOU:
        return AddEraNameTable(std::unique_ptr<CGengouEra>(static_cast<CGengouEra*>(raw)));
    case HT_PERIOD:
        return AddPeriodTable(std::unique_ptr<CGengouEra>(static_cast<CGengouEra*>(raw)));
    case HT_BASEYEAR:
        return AddBaseYearTable(std::unique_ptr<CBaseYear>(static_cast<CBaseYear*>(raw)));
    case HT_EVENT:
        return AddEventTable(std::unique_ptr<CYearEvent>(static_cast<CYearEvent*>(raw)));
    default:
        delete raw;
        return nullptr;
    }
}

void CAnnaluxDoc::ApplyProjectSettings(const SProjectData& data)
{
    // Values the menus never offer would divide by zero or hide everything
    // in the view; such a file gets the defaults for them instead.
    m_scaleYear =
        (data.scaleYear == 1 || data.scaleYear == 10 || data.scaleYear == 100) ? data.scaleYear : 1;
    m_scaleAccuracy = (data.scaleAccuracy >= 0 && data.scaleAccuracy <= 2) ? data.scaleAccuracy : 0;
    m_rangeEnabled = data.rangeEnabled;
    m_rangeFrom = data.rangeFrom;
    m_rangeTo = data.rangeTo;
    m_priorityFilter =
        (data.priorityFilter >= 0 && data.priorityFilter <= 2) ? data.priorityFilter : 2;
    m_description = data.description;
    m_wrapLines = data.wrapLines;

    if (data.fontBlock == SProjectData::FontsOne) {
        m_fonts.SetAllFonts(data.fonts[0]);
        m_fonts.SetAllColors(data.fontColors[0]);
    } else if (data.fontBlock == SProjectData::FontsSeven) {
        for (int slot = 0; slot < CFontManager::kSlotCount; ++slot) {
            m_fonts.SetFont(slot, data.fonts[slot]);
            m_fonts.SetColor(slot, data.fontColors[slot]);
        }
    }

    // The sixth value (text colour) is never taken: the event font's colour
    // is the text colour.
    static const struct
    {
        int file;
        EColor doc;
    } kColors[] = {{SProjectData::Back, BackColor},
                   {SProjectData::BackEven, BackColorEven},
                   {SProjectData::BackOdd, BackColorOdd},
                   {SProjectData::Link, LinkColor},
                   {SProjectData::Supplement, SupplementColor},
                   {SProjectData::About, AboutColor},
                   {SProjectData::EventMark, EventMarkColor}};
    for (const auto& c : kColors)
        if (c.file < data.colorCount)
            m_colors[c.doc] = data.colors[c.file];

    if (data.hasSiblingProject) {
        std::string sibling;
        if (!CShiftJis::ToUtf8(data.siblingProject, sibling))
            sibling = CShiftJis::ToUtf8Lossy(data.siblingProject);
        m_siblingProject = sibling;
    }
    if (data.hasTextMargin)
        m_textMargin = std::max(0, data.textMargin);
    m_fileVersion = data.version;
}

std::string CAnnaluxDoc::LibraryAbsolutePath(const CTableBase& table) const
{
    const std::string& name = table.GetFileName();
    if (name.empty() || name[0] == '/')
        return Normalize(name);
    // A library written since the last open is named relative to the folder
    // of the project it was written for (or the working folder before the
    // project had a name), as its writer left it.
    std::string base = m_pathName.empty() ? std::string() : CFilePathManager::FolderOf(m_pathName);
    if (base.empty() && !CFilePathManager::GetCurrentDir(base))
        return name;
    return Normalize(base + "/" + name);
}

void CAnnaluxDoc::AnchorLibraryNames()
{
    for (int kind = 1; kind <= 4; ++kind) {
        for (int i = 0; i < GetTableCount(kind); ++i) {
            CTableBase* table = GetTable(kind, i);
            if (!table->GetFileName().empty() && table->GetFileName()[0] != '/')
                table->SetFileName(LibraryAbsolutePath(*table));
        }
    }
}

bool CAnnaluxDoc::MakeProjectData(const std::string& projectPath, SProjectData& data)
{
    FillProjectDefaults(data);
    data.version = CProjectFile::kCurrentVersion;
    const std::string folder = CFilePathManager::FolderOf(projectPath);
    const CFilePathManager paths;

    data.columns.clear();
    for (int i = 0; i < m_columns.GetCount(); ++i) {
        SProjectColumn column;
        column.kind = m_columns.GetKind(i);
        column.left = m_columns.GetLeft(i);
        column.width = m_columns.GetWidth(i);
        const CTableBase* table = m_columns.GetTable(i);
        if (column.kind != 0 && table) {
            const std::string title = CShiftJis::ToUtf8Lossy(table->GetTableName());
            if (table->GetFileName().empty()) {
                // Without a file the library would be lost on the next open.
                CHostServices::Get().MessageBox(
                    Replace("ライブラリ「%"
                            "s」がファイルに保存されていないため、年表を保存できませんでした",
                            "%s", title),
                    CHostServices::Ok | CHostServices::IconError);
                return false;
            }
            const std::string absolute = LibraryAbsolutePath(*table);
            std::string relative;
            if (!paths.AbsToRelPath(absolute, relative, folder.c_str()))
                relative = absolute;
            if (!CShiftJis::FromUtf8(relative, column.libraryPath)) {
                CHostServices::Get().MessageBox(Replace("ライブラリファイル %s "
                                                        "の名前には年表ファイルに保存できない文字が"
                                                        "含まれているため、保存できませんでした",
                                                        "%s", absolute),
                                                CHostServices::Ok | CHostServices::IconError);
                return false;
            }
        }
        data.columns.push_back(column);
    }

    if (!CShiftJis::FromUtf8(m_siblingProject, data.siblingProject)) {
        CHostServices::Get().MessageBox(
            Replace(
                "連携する年表 %s "
                "の名前には年表ファイルに保存できない文字が含まれているため、保存できませんでした",
                "%s", m_siblingProject),
            CHostServices::Ok | CHostServices::IconError);
        return false;
    }
    return true;
}

bool CAnnaluxDoc::OnSaveDocument(const std::string& path)
{
    const std::string absolute = Normalize(Absolute(path));
    // Another window or program may have saved this chronology meanwhile.
    if (m_projectStamp.IsOf(absolute) && m_projectStamp.ChangedOnDisk()) {
        switch (CDataMessages::AskAboutChangedFile(absolute)) {
        case CDataMessages::Overwrite:
            break;
        case CDataMessages::SaveAsOther:
            return DoSave(absolute, false);
        case CDataMessages::DoNotSave:
            return false;
        }
    }
    SaveModifiedLibraries(false);
    // The column edges must be current before they are written.
    Notify(VN_RELAYOUT);

    SProjectData data;
    if (!MakeProjectData(absolute, data))
        return false;
    const std::string bytes = CProjectFile::Serialize(data);

    CSaveFile file(absolute);
    file.SetMakeBackup(CSaveFile::GetKeepBackups());
    if (!(file.Open() && file.Write(bytes) && file.Commit())) {
        std::string text = CDataMessages::Format(CDataMessages::WriteFailed, absolute);
        const std::string cause = file.ErrorString();
        if (!cause.empty())
            text += "\n" + cause;
        CHostServices::Get().MessageBox(text, CHostServices::Ok | CHostServices::IconError);
        return false;
    }
    // A library name relative to the old folder would be taken against the
    // new one from now on: the next save would point the project at a file
    // that is not there and write the library's changes into a new copy.
    AnchorLibraryNames();
    SetPathName(absolute);
    m_projectStamp = CFileStamp::Take(absolute);
    m_fileVersion = CProjectFile::kCurrentVersion;
    m_modified = false;
    return true;
}

bool CAnnaluxDoc::DoSave(const std::string& path, bool replace)
{
    std::string target = path;
    if (target.empty() || !replace) {
        SFileDialogRequest request;
        request.filter = kFileFilter;
        request.defaultExtension = kExtension;
        request.flags = SFileDialogRequest::Explorer | SFileDialogRequest::OverwritePrompt |
                        SFileDialogRequest::HideReadOnly;
        if (!m_pathName.empty()) {
            request.proposedName = m_pathName;
        } else {
            std::string name = m_title;
            const size_t cut = name.find_first_of(" #%;/\\");
            if (cut != std::string::npos)
                name.resize(cut);
            if (!name.empty())
                request.proposedName = name + "." + kExtension;
        }
        if (!CHostServices::Get().GetSaveFileName(request, target) || target.empty())
            return false;
    }
    return OnSaveDocument(target);
}

void CAnnaluxDoc::Clear()
{
    m_declined.clear();
    m_columns.Clear();
    m_eraNameTables.clear();
    m_periodTables.clear();
    m_eventTables.clear();
    m_baseYearTables.clear();
    // The views lay out borrowed pointers into the tables just deleted: they
    // must let go of them before anything asks them for a year again (an open
    // resets the scroll position, which reads the top year).
    Notify(VN_RELAYOUT);
}

void CAnnaluxDoc::ResetColorsFromSettings()
{
    const CSettings& s = CSettings::Get();
    m_colors[BackColor] = s.GetBackColor();
    m_colors[BackColorEven] = s.GetBackColorEven();
    m_colors[BackColorOdd] = s.GetBackColorOdd();
    m_colors[LinkColor] = s.GetLinkColor();
    m_colors[SupplementColor] = s.GetSupplementColor();
    m_colors[AboutColor] = s.GetAboutColor();
    m_colors[EventMarkColor] = s.GetEventMarkColor();
    for (int i = 0; i < kCustomColorCount; ++i)
        m_customColors[i] = s.GetCustColor(i);
    m_headerColor = s.GetHeaderColor();
    m_footerColor = s.GetFooterColor();
}

void CAnnaluxDoc::ResetSettings()
{
    const CSettings& s = CSettings::Get();
    m_scaleYear = 1;
    m_scaleAccuracy = 0;
    m_currentColumn = -1;
    ResetColorsFromSettings();
    m_headerFont = SLogFont::PageDefaultFont();
    s.GetFont(CSettings::kPageFontHeader, m_headerFont);
    m_footerFont = SLogFont::PageDefaultFont();
    s.GetFont(CSettings::kPageFontFooter, m_footerFont);
    m_pageLayout = SPageLayout::Load(s);
    m_showSupplementMark = s.GetDisplaySupplementMark();
    m_rangeEnabled = false;
    m_rangeFrom = -9999;
    m_rangeTo = 9999;
    m_fileVersion = CProjectFile::kCurrentVersion;
    m_priorityFilter = 2;
    m_description = ToSjis(kDefaultDescription);
    m_wrapLines = false;
    m_rowInfo.LoadFromSettings(s);
    m_zoomPercent = 100;
    m_siblingProject.clear();
    m_fonts.LoadDefaults(s);
    m_fonts.ApplyZoom(100);
    m_textMargin = s.GetTextMargin();
}

void CAnnaluxDoc::SetPageSettings(const SPageLayout& layout, const SLogFont& headerFont,
                                  COLORREF headerColor, const SLogFont& footerFont,
                                  COLORREF footerColor)
{
    m_pageLayout = layout;
    m_headerFont = headerFont;
    m_headerColor = headerColor;
    m_footerFont = footerFont;
    m_footerColor = footerColor;
    CSettings& s = CSettings::Get();
    layout.Save(s);
    s.SetFont(CSettings::kPageFontHeader, headerFont);
    s.SetFont(CSettings::kPageFontFooter, footerFont);
    s.SetHeaderColor(headerColor);
    s.SetFooterColor(footerColor);
    s.Sync();
}

void CAnnaluxDoc::SaveModifiedLibraries(bool ask)
{
    SaveLibraries(ask, false);
}

void CAnnaluxDoc::AskToSaveLibrariesBeforeLeaving()
{
    SaveLibraries(true, true);
}

void CAnnaluxDoc::SaveLibraries(bool ask, bool remember)
{
    std::vector<const CTableBase*>& d = m_declined;
    SaveModified(m_eraNameTables, ask, "元号：%sを保存しますか？", HT_GENGOU, this, d, remember);
    SaveModified(m_periodTables, ask, "時代：%sを保存しますか？", HT_PERIOD, this, d, remember);
    SaveModified(m_eventTables, ask, "出来事：%sを保存しますか？", HT_EVENT, this, d, remember);
    SaveModified(m_baseYearTables, ask, "基点年：%sを保存しますか？", HT_BASEYEAR, this, d,
                 remember);
}

// ---- tables -------------------------------------------------------------------

CGengouEra* CAnnaluxDoc::GetEraNameTable(int index) const
{
    return At(m_eraNameTables, index);
}

CGengouEra* CAnnaluxDoc::GetPeriodTable(int index) const
{
    return At(m_periodTables, index);
}

CYearEvent* CAnnaluxDoc::GetEventTable(int index) const
{
    return At(m_eventTables, index);
}

CBaseYear* CAnnaluxDoc::GetBaseYearTable(int index) const
{
    return At(m_baseYearTables, index);
}

int CAnnaluxDoc::GetTableCount(int kind) const
{
    switch (kind) {
    case HT_GENGOU:
        return GetEraNameTableCount();
    case HT_PERIOD:
        return GetPeriodTableCount();
    case HT_EVENT:
        return GetEventTableCount();
    case HT_BASEYEAR:
        return GetBaseYearTableCount();
    default:
        return 0;
    }
}

CTableBase* CAnnaluxDoc::GetTable(int kind, int index) const
{
    switch (kind) {
    case HT_GENGOU:
        return GetEraNameTable(index);
    case HT_PERIOD:
        return GetPeriodTable(index);
    case HT_EVENT:
        return GetEventTable(index);
    case HT_BASEYEAR:
        return GetBaseYearTable(index);
    default:
        throw std::out_of_range("not a library kind");
    }
}

CGengouEra* CAnnaluxDoc::AddEraNameTable(std::unique_ptr<CGengouEra> table)
{
    m_eraNameTables.push_back(std::move(table));
    return m_eraNameTables.back().get();
}

CGengouEra* CAnnaluxDoc::AddPeriodTable(std::unique_ptr<CGengouEra> table)
{
    m_periodTables.push_back(std::move(table));
    return m_periodTables.back().get();
}

CYearEvent* CAnnaluxDoc::AddEventTable(std::unique_ptr<CYearEvent> table)
{
    m_eventTables.push_back(std::move(table));
    return m_eventTables.back().get();
}

CBaseYear* CAnnaluxDoc::AddBaseYearTable(std::unique_ptr<CBaseYear> table)
{
    m_baseYearTables.push_back(std::move(table));
    return m_baseYearTables.back().get();
}

int CAnnaluxDoc::KindOfTable(const CTableBase* table) const
{
    if (!table)
        return 0;
    if (Owns(m_eraNameTables, table))
        return HT_GENGOU;
    if (Owns(m_periodTables, table))
        return HT_PERIOD;
    if (Owns(m_eventTables, table))
        return HT_EVENT;
    if (Owns(m_baseYearTables, table))
        return HT_BASEYEAR;
    return 0;
}

bool CAnnaluxDoc::DeleteTable(CTableBase* table)
{
    if (KindOfTable(table) == 0)
        return false;
    // No column may keep pointing at a deleted table.
    bool removed = false;
    for (int i = m_columns.IndexOfTable(table); i >= 0; i = m_columns.IndexOfTable(table)) {
        m_columns.Remove(i);
        removed = true;
    }
    if (removed)
        m_columns.RecomputeLefts();
    return Erase(m_eraNameTables, table) || Erase(m_periodTables, table) ||
           Erase(m_eventTables, table) || Erase(m_baseYearTables, table);
}

// ---- years ---------------------------------------------------------------------

int32_t CAnnaluxDoc::GetEarliestYear() const
{
    int32_t earliest = kNoYear;
    for (const auto& table : m_eventTables)
        if (table->GetLen() > 0)
            earliest = std::min(earliest, table->GetRecord(0).year);
    if (m_rangeEnabled && m_rangeFrom >= earliest)
        earliest = m_rangeFrom;
    return earliest;
}

int32_t CAnnaluxDoc::GetLatestYear() const
{
    int32_t latest = -32768;
    for (const auto& table : m_eventTables)
        if (table->GetLen() > 0)
            latest = std::max(latest, table->GetRecord(table->GetLen() - 1).year);
    return latest;
}

int CAnnaluxDoc::GetRowHeight() const
{
    return m_fonts.GetRowHeight() + m_textMargin;
}

// ---- settings --------------------------------------------------------------------

COLORREF CAnnaluxDoc::GetColor(EColor which) const
{
    if (which < 0 || which >= ColorCount)
        throw std::out_of_range("colour index out of range");
    return m_colors[which];
}

COLORREF CAnnaluxDoc::GetCustomColor(int index) const
{
    if (index < 0 || index >= kCustomColorCount)
        throw std::out_of_range("custom colour index out of range");
    return m_customColors[index];
}

void CAnnaluxDoc::SettingChanged()
{
    Notify(VN_RELAYOUT);
    Notify(VN_REPAINT);
    m_modified = true;
}

bool CAnnaluxDoc::SetScaleYear(int years)
{
    if (years != 1 && years != 10 && years != 100)
        return false;
    m_scaleYear = years;
    SettingChanged();
    return true;
}

bool CAnnaluxDoc::SetScaleAccuracy(int mode)
{
    if (mode < 0 || mode > 2)
        return false;
    m_scaleAccuracy = mode;
    SettingChanged();
    return true;
}

bool CAnnaluxDoc::SetPriorityFilter(int filter)
{
    if (filter < 0 || filter > 2)
        return false;
    m_priorityFilter = filter;
    SettingChanged();
    return true;
}

void CAnnaluxDoc::ToggleWrapLines()
{
    m_wrapLines = !m_wrapLines;
    SettingChanged();
}

bool CAnnaluxDoc::SetZoom(int percent)
{
    if (std::find(std::begin(kZoomSteps), std::end(kZoomSteps), percent) == std::end(kZoomSteps))
        return false;
    m_fonts.ApplyZoom(percent);
    m_columns.RescaleWidths(m_zoomPercent, percent);
    m_zoomPercent = percent;
    Notify(VN_HEADER_FONT);
    Notify(VN_RELAYOUT);
    UpdateAllViews();
    return true;
}

void CAnnaluxDoc::ToggleSupplementMark()
{
    m_showSupplementMark = !m_showSupplementMark;
    UpdateAllViews();
    CSettings::Get().SetDisplaySupplementMark(m_showSupplementMark);
}

void CAnnaluxDoc::SetRange(bool enabled, int32_t from, int32_t to)
{
    if (enabled == m_rangeEnabled && from == m_rangeFrom && to == m_rangeTo)
        return;
    m_rangeEnabled = enabled;
    m_rangeFrom = from;
    m_rangeTo = to;
    SettingChanged();
}

void CAnnaluxDoc::SetDescription(const std::string& sjis)
{
    if (sjis == m_description)
        return;
    m_description = sjis;
    m_modified = true;
}

void CAnnaluxDoc::SetColor(EColor which, COLORREF color)
{
    if (which < 0 || which >= ColorCount)
        throw std::out_of_range("colour index out of range");
    if (m_colors[which] == color)
        return;
    m_colors[which] = color;
    m_modified = true;
    UpdateAllViews();
}

void CAnnaluxDoc::SetCustomColor(int index, COLORREF color)
{
    if (index < 0 || index >= kCustomColorCount)
        throw std::out_of_range("custom colour index out of range");
    m_customColors[index] = color;
}

void CAnnaluxDoc::SetTextMargin(int pixels)
{
    pixels = std::max(0, pixels);
    if (pixels == m_textMargin)
        return;
    m_textMargin = pixels;
    SettingChanged();
}

void CAnnaluxDoc::SetSiblingProject(const std::string& utf8Path)
{
    if (utf8Path == m_siblingProject)
        return;
    m_siblingProject = utf8Path;
    m_modified = true;
}

bool CAnnaluxDoc::OnCommand(int id)
{
    switch (id) {
    case ID_SCALE_1:
        return SetScaleYear(1);
    case ID_SCALE_10:
        return SetScaleYear(10);
    case ID_SCALE_100:
        return SetScaleYear(100);
    case ID_ACCURACY_EXACT:
        return SetScaleAccuracy(0);
    case ID_ACCURACY_NEARLY:
        return SetScaleAccuracy(1);
    case ID_ACCURACY_PACKED:
        return SetScaleAccuracy(2);
    case ID_PRIORITY_ALL:
        return SetPriorityFilter(2);
    case ID_PRIORITY_MIDDLE:
        return SetPriorityFilter(1);
    case ID_PRIORITY_HIGH:
        return SetPriorityFilter(0);
    case ID_WRAP_LINES:
        ToggleWrapLines();
        return true;
    case ID_SUPPLEMENT_MARK:
        ToggleSupplementMark();
        return true;
    default:
        return false;
    }
}

bool CAnnaluxDoc::IsCommandChecked(int id) const
{
    switch (id) {
    case ID_SCALE_1:
        return m_scaleYear == 1;
    case ID_SCALE_10:
        return m_scaleYear == 10;
    case ID_SCALE_100:
        return m_scaleYear == 100;
    case ID_ACCURACY_EXACT:
        return m_scaleAccuracy == 0;
    case ID_ACCURACY_NEARLY:
        return m_scaleAccuracy == 1;
    case ID_ACCURACY_PACKED:
        return m_scaleAccuracy == 2;
    case ID_PRIORITY_ALL:
        return m_priorityFilter == 2;
    case ID_PRIORITY_MIDDLE:
        return m_priorityFilter == 1;
    case ID_PRIORITY_HIGH:
        return m_priorityFilter == 0;
    case ID_WRAP_LINES:
        return m_wrapLines;
    case ID_SUPPLEMENT_MARK:
        return m_showSupplementMark;
    default:
        return false;
    }
}
