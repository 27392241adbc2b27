#include "TableBase.h"

#include "DataMessages.h"
#include "Document.h"
#include "FilePathManager.h"
#include "HostServices.h"
#include "SaveFile.h"
#include "ShiftJis.h"
#include "TextFileReader.h"

#include <climits>
#include <cstdio>

namespace {

bool IsBlank(char c)
{
    return c == ' ' || c == '\t';
}

bool IsSpace(char c)
{
    return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\v' || c == '\f';
}

const CTableBase::SFileKind kEventKind = {
    "出来事ﾃﾞｰﾀの読込み",
    "出来事ﾃﾞｰﾀの書込み",
    "lev",
    "出来事ﾃﾞｰﾀ (*.lev)|*.lev|すべてのﾌｧｲﾙ (*.*)|*.*||",
    "出来事ﾃﾞｰﾀ (*.lev)|*.lev|すべてのﾌｧｲﾙ (*.*)|*.*||",
    "\x5B\x8F\x6F\x97\x88\x8E\x96\x5D", // [出来事]
};
const CTableBase::SFileKind kGengouKind = {
    "元号ﾃﾞｰﾀの読込み",
    "元号ﾃﾞｰﾀの書込み",
    "lgn",
    "元号ﾃﾞｰﾀ (*.lgn)|*.lgn|すべてのﾌｧｲﾙ (*.*)|*.*|",
    "元号ﾃﾞｰﾀ (*.lgn)|*.lgn|すべてのﾌｧｲﾙ (*.*)|*.*||",
    "\x5B\x8C\xB3\x8D\x86\x5D", // [元号]
};
const CTableBase::SFileKind kPeriodKind = {
    "時代ﾃﾞｰﾀの読込み",
    "時代ﾃﾞｰﾀの書込み",
    "ler",
    "時代ﾃﾞｰﾀ (*.ler)|*.ler|すべてのﾌｧｲﾙ (*.*)|*.*|",
    "時代ﾃﾞｰﾀ (*.ler)|*.ler|すべてのﾌｧｲﾙ (*.*)|*.*||",
    "\x5B\x8E\x9E\x91\xE3\x5D", // [時代]
};
const CTableBase::SFileKind kBaseYearKind = {
    "基点年ﾃﾞｰﾀの読込み",
    "基点年ﾃﾞｰﾀの書込み",
    "lby",
    "基点年ﾃﾞｰﾀ (*.lby)|*.lby|すべてのﾌｧｲﾙ (*.*)|*.*||",
    "基点年ﾃﾞｰﾀ (*.lby)|*.lby|すべてのﾌｧｲﾙ (*.*)|*.*||",
    "\x5B\x8A\xEE\x93\x5F\x94\x4E\x5D", // [基点年]
};
const CTableBase::SFileKind kNoKind = {"", "", "", "", "", ""};

// Library dialogs start in this folder (relative to the current directory).
const char* const kLibraryFolder = "ﾗｲﾌﾞﾗﾘ";

// A file name the save dialog can offer for a library that has none yet: the
// title (Shift-JIS) decoded for the host, with what a file name cannot hold
// or a shell would trip over replaced by '_'.
std::string ProposedFileName(const std::string& sjisTitle)
{
    std::string utf8 = CShiftJis::ToUtf8Lossy(sjisTitle);
    for (char& c : utf8) {
        const unsigned char u = static_cast<unsigned char>(c);
        if (u < 0x20 || c == '/' || c == '\\' || c == ':' || c == '*' || c == '?' || c == '"' ||
            c == '<' || c == '>' || c == '|')
            c = '_';
    }
    // A replaced invalid byte (U+FFFD) is no part of a name worth keeping.
    const std::string replacement = "\xEF\xBF\xBD";
    for (size_t at = utf8.find(replacement); at != std::string::npos;
         at = utf8.find(replacement, at))
        utf8.replace(at, replacement.size(), "_");
    const size_t first = utf8.find_first_not_of(" .");
    return first == std::string::npos ? std::string() : utf8.substr(first);
}

} // namespace

CTableBase::CTableBase()
{
    Initialize();
}

CTableBase::~CTableBase() = default;

void CTableBase::SetTableName(const std::string& name)
{
    if (name != m_tableName) {
        m_tableName = name;
        m_modified = true;
    }
}

void CTableBase::SetExplanation(const std::string& text)
{
    if (text != m_explanation) {
        m_explanation = text;
        m_modified = true;
    }
}

void CTableBase::SetTodayDate(bool today)
{
    if (today != m_todayDate) {
        m_todayDate = today;
        m_modified = true;
    }
}

void CTableBase::Initialize()
{
    m_fileName.clear();
    m_tableName.clear();
    m_modified = false;
    m_explanation.clear();
    m_todayDate = false;
}

bool CTableBase::GetBasePath(std::string& out, const CDocument* doc)
{
    if (!doc)
        return false;
    out = CFilePathManager::FolderOf(doc->GetPathName());
    return true;
}

int CTableBase::GetElementFromCSV(const std::string& line, int start, std::string& out)
{
    if (start < 0)
        start = 0;
    const size_t begin = static_cast<size_t>(start);
    if (begin >= line.size())
        return -1;
    const size_t len = line.size() - begin;
    const char* r = line.data() + begin;
    if (len == 1 && r[0] == '\r')
        return -1;

    // '"' and ',' are never trail bytes of a double-byte character, so the
    // scan can go byte by byte.
    size_t j = 0;
    while (j < len && IsBlank(r[j]))
        ++j;
    std::string field;
    bool quoted = false;
    if (j < len && r[j] == '"') {
        quoted = true;
        ++j;
    }
    while (j < len) {
        char c = r[j];
        if (c == '"' && j + 1 < len && r[j + 1] == '"') {
            field += '"';
            j += 2;
            continue;
        }
        if (quoted && c == '"') {
            for (size_t k = j; k < len; ++k) {
                if (r[k] == ',') {
                    j = k;
                    break;
                }
            }
            break;
        }
        if (!quoted && c == ',')
            break;
        field += c;
        ++j;
    }

    size_t a = 0;
    size_t b = field.size();
    while (a < b && IsSpace(field[a]))
        ++a;
    while (b > a && IsSpace(field[b - 1]))
        --b;
    out = field.substr(a, b - a);
    return static_cast<int>(begin + j);
}

bool CTableBase::GetTableKindNameAndFileVer(const std::string& line, std::string& kind,
                                            int& version)
{
    kind.clear();
    int p = GetElementFromCSV(line, 0, kind);
    version = 0;
    if (p >= 0) {
        std::string field;
        if (GetElementFromCSV(line, p + 1, field) >= 0)
            version = ParseInt(field);
    }
    return true;
}

int32_t CTableBase::ParseInt(const std::string& text, size_t from)
{
    size_t i = from;
    while (i < text.size() && IsSpace(text[i]))
        ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
        negative = text[i] == '-';
        ++i;
    }
    long long value = 0;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
        value = value * 10 + (text[i] - '0');
        if (value > static_cast<long long>(INT32_MAX) + 1)
            value = static_cast<long long>(INT32_MAX) + 1;
    }
    if (negative)
        value = -value;
    if (value > INT32_MAX)
        return INT32_MAX;
    if (value < INT32_MIN)
        return INT32_MIN;
    return static_cast<int32_t>(value);
}

std::string CTableBase::QuoteHeaderField(const std::string& text)
{
    // The codec turns a pair of quotes into one even in an unquoted field, so
    // any quote needs the quoted form (which doubles it) to come back whole.
    bool needs = !text.empty() &&
                 (text.find(',') != std::string::npos || text.find('"') != std::string::npos ||
                  IsSpace(text[0]) || IsSpace(text[text.size() - 1]));
    if (!needs)
        return text;
    std::string out = "\"";
    for (char c : text) {
        if (c == '"')
            out += '"';
        out += c;
    }
    out += '"';
    return out;
}

const CTableBase::SFileKind& CTableBase::FileKind(EHeaderType kind)
{
    switch (kind) {
    case HT_EVENT:
        return kEventKind;
    case HT_GENGOU:
        return kGengouKind;
    case HT_PERIOD:
        return kPeriodKind;
    case HT_BASEYEAR:
        return kBaseYearKind;
    default:
        return kNoKind;
    }
}

bool CTableBase::WriteFile(bool, CDocument*, EHeaderType)
{
    return true;
}

CTableBase::EOpenResult CTableBase::OpenForRead(const char* path, EHeaderType kind,
                                                CTextFileReader& reader)
{
    if (path && *path)
        m_fileName = path;
    if (m_fileName.empty()) {
        const SFileKind& k = FileKind(kind);
        SFileDialogRequest request;
        request.title = k.openTitle;
        request.filter = k.openFilter;
        request.defaultExtension = k.extension;
        request.initialFolder = kLibraryFolder;
        request.flags = SFileDialogRequest::Explorer | SFileDialogRequest::FileMustExist |
                        SFileDialogRequest::NoChangeDir | SFileDialogRequest::HideReadOnly;
        std::string chosen;
        if (!CHostServices::Get().GetOpenFileName(request, chosen))
            return OpenCancelled;
        m_fileName = chosen;
    }

    CFilePathManager paths;
    if (!paths.CheckAbsPath(m_fileName)) {
        std::string absolute;
        if (paths.RelPathToCurAbsPath(m_fileName, absolute))
            m_fileName = absolute;
    }
    // A project made on Windows may name the file with other case or with
    // backslashes; open the file that is really there and remember its name.
    m_fileName = CFilePathManager::ResolveExisting(m_fileName);
    if (!reader.Open(m_fileName))
        return OpenFailed;
    return OpenOk;
}

bool CTableBase::ReadWithFlow(const char* path, EHeaderType kind, bool showErrors,
                              const std::function<int(CTextFileReader&)>& content)
{
    CTextFileReader reader;
    int failure = 0;
    switch (OpenForRead(path, kind, reader)) {
    case OpenCancelled:
        return false;
    case OpenFailed:
        failure = CDataMessages::ReadFailed;
        break;
    case OpenOk:
        failure = content(reader);
        break;
    }
    // Stopped by the user part-way: what was read is not the library, and
    // the user knows why nothing came.
    if (reader.Stopped())
        return false;
    if (failure == 0) {
        m_diskStamp = CFileStamp::Take(m_fileName, reader.Content());
        return true;
    }
    if (showErrors)
        CDataMessages::Show(failure, m_fileName);
    return false;
}

bool CTableBase::WriteWithFlow(bool askName, CDocument* doc, EHeaderType kind, bool showCause,
                               const std::function<void(std::string&)>& produce)
{
    if (!askName && m_fileName.empty())
        askName = true;

    std::string base;
    GetBasePath(base, doc);
    CFilePathManager paths;

    // Several chronologies and windows may share a library: a file that
    // changed since this table read or wrote it is not overwritten unasked.
    if (!askName && m_diskStamp.IsOf(ResolvedFileName(base)) && m_diskStamp.ChangedOnDisk()) {
        switch (CDataMessages::AskAboutChangedFile(m_fileName)) {
        case CDataMessages::Overwrite:
            break;
        case CDataMessages::SaveAsOther:
            askName = true;
            break;
        case CDataMessages::DoNotSave:
            return false;
        }
    }

    std::string chosen = m_fileName;

    if (askName) {
        const SFileKind& k = FileKind(kind);
        SFileDialogRequest request;
        request.title = k.saveTitle;
        request.filter = k.saveFilter;
        request.defaultExtension = k.extension;
        request.initialFolder = kLibraryFolder;
        request.proposedName = !m_fileName.empty() ? m_fileName : ProposedFileName(m_tableName);
        request.flags = SFileDialogRequest::Explorer | SFileDialogRequest::OverwritePrompt |
                        SFileDialogRequest::NoChangeDir | SFileDialogRequest::HideReadOnly;
        // The chronology keeps the name in Shift-JIS: a name it could not
        // store would leave a project that can no longer be saved.
        for (;;) {
            if (!CHostServices::Get().GetSaveFileName(request, chosen))
                return false;
            std::string stored, bad;
            if (CShiftJis::FromUtf8(chosen, stored, &bad))
                break;
            CHostServices::Get().MessageBox(
                "ファイル名の" + bad +
                    " は年表ファイルに保存できない文字です。別の名前を付けてください。",
                CHostServices::Ok | CHostServices::IconWarning);
            request.proposedName = chosen;
        }
    }

    // The library's name is kept relative to the chronology's folder, which
    // becomes the current directory (silently kept when it cannot).
    if (!base.empty())
        CFilePathManager::SetCurrentDir(base);
    std::string relative;
    if (paths.AbsToRelPath(chosen, relative, nullptr))
        m_fileName = relative;
    else
        m_fileName = chosen;

    std::string content;
    produce(content);

    CSaveFile file(m_fileName);
    file.SetMakeBackup(CSaveFile::GetKeepBackups());
    if (!(file.Open() && file.Write(content) && file.Commit())) {
        CDataMessages::Show(CDataMessages::WriteFailed, m_fileName);
        if (showCause) {
            char number[16];
            std::snprintf(number, sizeof number, "%d", file.ErrorCause());
            CHostServices::Get().MessageBox(number, CHostServices::Ok | CHostServices::IconError);
        }
        return false;
    }
    m_diskStamp = CFileStamp::Take(ResolvedFileName(base), content);
    m_modified = false;
    return true;
}

std::string CTableBase::ResolvedFileName(const std::string& base) const
{
    if (m_fileName.empty() || m_fileName[0] == '/')
        return m_fileName;
    if (!base.empty())
        return base + "/" + m_fileName;
    std::string absolute;
    if (CFilePathManager().RelPathToCurAbsPath(m_fileName, absolute))
        return absolute;
    return m_fileName;
}
