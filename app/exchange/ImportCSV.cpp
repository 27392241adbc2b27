#include "ImportCSV.h"

#include "BaseYear.h"
#include "CsvInputText.h"
#include "CsvLineBreakPass.h"
#include "ExchangePath.h"
#include "FilePathManager.h"
#include "GengouEra.h"
#include "HostServices.h"
#include "LibraryFileReader.h"
#include "SaveFile.h"
#include "ShiftJis.h"
#include "TextFileReader.h"
#include "WholeLineText.h"
#include "YearEvent.h"

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <fcntl.h>
#include <memory>
#include <unistd.h>
#include <utility>

namespace {

struct SKindInfo
{
    const char* name;
    const char* extension;
    EHeaderType headerType;
};

// Indexed by EImportKind.
const SKindInfo kKinds[] = {
    {"", "", HT_NONE},           {"元号", "lgn", HT_GENGOU},
    {"時代", "ler", HT_PERIOD},  {"基点年", "lby", HT_BASEYEAR},
    {"出来事", "lev", HT_EVENT},
};

bool ValidKind(int kind)
{
    return kind > CImportCSV::IK_NONE && kind <= CImportCSV::IK_EVENT;
}

std::string TempFolder()
{
    const char* dir = std::getenv("TMPDIR");
    std::string folder = dir && *dir ? dir : "/tmp";
    while (folder.size() > 1 && folder.back() == '/')
        folder.pop_back();
    return folder;
}

// Creates a unique empty file "csv..." in the temporary folder.
bool MakeTempFile(std::string& path)
{
    std::string pattern = TempFolder() + "/csvXXXXXX";
    int fd = ::mkstemp(&pattern[0]);
    if (fd < 0)
        return false;
    ::close(fd);
    path = pattern;
    return true;
}

// Lines that the library reader takes whole come back from their CSV field.
void RestoreWholeLines(std::string& content, EHeaderType kind)
{
    std::string out;
    out.reserve(content.size());
    int version = 0;
    int lineNumber = 0;
    size_t pos = 0;
    while (pos < content.size()) {
        size_t lf = content.find('\n', pos);
        size_t end = lf == std::string::npos ? content.size() : lf;
        std::string line = content.substr(pos, end - pos);
        pos = lf == std::string::npos ? content.size() : lf + 1;
        if (++lineNumber == 1) {
            std::string tag;
            CTableBase::GetTableKindNameAndFileVer(line, tag, version);
        }
        int form = CWholeLineText::FormOf(kind, version, lineNumber);
        if (form != CWholeLineText::NotWhole) {
            bool cr = !line.empty() && line.back() == '\r';
            line = CWholeLineText::FromCsvLine(line, form);
            if (cr)
                line += '\r';
        }
        out += line;
        if (lf != std::string::npos)
            out += '\n';
    }
    content.swap(out);
}

// The line-break pass from input into temp (which exists). The temporary
// file is checked like any save, so a full disk fails the pass instead of
// feeding the reader a truncated file.
bool RunLineBreakPass(const std::string& csv, const std::string& temp, EHeaderType kind)
{
    CCsvLineBreakPass pass;
    std::string out;
    const size_t kBlock = 1024;
    for (size_t pos = 0; pos < csv.size(); pos += kBlock)
        pass.Feed(csv.data() + pos, std::min(kBlock, csv.size() - pos), out);
    pass.Finish(out);
    RestoreWholeLines(out, kind);
    return CSaveFile::WriteWholeFile(temp, out);
}

// The temp file is removed however the conversion ends.
class CTempFileGuard
{
public:
    explicit CTempFileGuard(std::string path) : m_path(std::move(path)) {}
    ~CTempFileGuard() { ::unlink(m_path.c_str()); }
    CTempFileGuard(const CTempFileGuard&) = delete;
    CTempFileGuard& operator=(const CTempFileGuard&) = delete;

private:
    std::string m_path;
};

// The reader names the file it reads in its messages; while it reads the
// temporary copy, the user is told about the file they chose instead.
class CInputNameHost : public CHostServices
{
public:
    CInputNameHost(std::string tempPath, std::string inputPath)
        : m_outer(CHostServices::Get()), m_temp(std::move(tempPath)),
          m_input(std::move(inputPath)), m_scope(*this)
    {
    }
    int MessageBox(const std::string& text, unsigned style) override
    {
        return m_outer.MessageBox(Shown(text), style);
    }
    int CaptionedMessageBox(const std::string& caption, const std::string& text,
                            unsigned style) override
    {
        return m_outer.CaptionedMessageBox(caption, Shown(text), style);
    }
    bool GetOpenFileName(const SFileDialogRequest& request, std::string& path) override
    {
        return m_outer.GetOpenFileName(request, path);
    }
    bool GetSaveFileName(const SFileDialogRequest& request, std::string& path) override
    {
        return m_outer.GetSaveFileName(request, path);
    }

private:
    std::string Shown(const std::string& text) const
    {
        std::string shown = text;
        for (size_t at = shown.find(m_temp); at != std::string::npos;
             at = shown.find(m_temp, at + m_input.size()))
            shown.replace(at, m_temp.size(), m_input);
        return shown;
    }

    CHostServices& m_outer;
    std::string m_temp;
    std::string m_input;
    CHostServicesScope m_scope;
};

} // namespace

CImportCSV::CImportCSV(CDocument* document) : m_document(document) {}

CImportCSV::~CImportCSV() = default;

int CImportCSV::CheckInputFile()
{
    m_importKind = IK_NONE;
    m_title.clear();
    m_decodeMessage.clear();
    CCsvInputText input;
    switch (input.Load(m_inputPath)) {
    case CCsvInputText::CannotOpen:
        return CR_CANNOT_OPEN;
    case CCsvInputText::Unrepresentable:
        m_decodeMessage = input.Message();
        return CR_UNREPRESENTABLE;
    default:
        break;
    }
    CTextFileReader reader;
    reader.SetContent(std::move(input.Text()));
    std::string line;
    if (!reader.ReadLine(line))
        return CR_INVALID;
    // ']' can be the trail byte of a double-byte character.
    size_t close = CShiftJis::FindChar(line, ']');
    if (close == CShiftJis::npos)
        return CR_INVALID;
    int kind = KindFromTag(line.substr(0, close + 1));
    if (kind == IK_NONE)
        return CR_INVALID;
    std::string title;
    if (!reader.ReadLine(title))
        return CR_INVALID;
    m_importKind = kind;
    m_title = title;
    return CR_OK;
}

bool CImportCSV::ClassifyInputFile()
{
    switch (CheckInputFile()) {
    case CR_OK:
        return true;
    case CR_CANNOT_OPEN:
        CHostServices::Get().MessageBox(CannotOpenMessage(),
                                        CHostServices::Ok | CHostServices::IconError);
        return false;
    case CR_UNREPRESENTABLE:
        CHostServices::Get().MessageBox(m_decodeMessage,
                                        CHostServices::Ok | CHostServices::IconError);
        return false;
    default:
        CHostServices::Get().MessageBox(InvalidContentMessage(),
                                        CHostServices::Ok | CHostServices::IconError);
        return false;
    }
}

std::string CImportCSV::MakeDefaultOutputPath() const
{
    return CExchangePath::WithExtension(m_inputPath, KindExtension(m_importKind));
}

bool CImportCSV::Convert()
{
    if (!ValidKind(m_importKind)) {
        CHostServices::Get().MessageBox(InvalidContentMessage(),
                                        CHostServices::Ok | CHostServices::IconError);
        return false;
    }
    // The writer resolves the name against the chronology's folder; a name
    // the user gave relative to the working directory must keep meaning that.
    std::string output = m_outputPath;
    CFilePathManager paths;
    if (!paths.CheckAbsPath(output)) {
        std::string absolute;
        if (paths.RelPathToCurAbsPath(output, absolute))
            output = absolute;
    }

    // A library file is read as the program reads it: its whole-line texts
    // (names, explanations) may hold quotes that are no CSV quoting.
    if (CLibraryFileReader::KindOfExtension(m_inputPath) != HT_NONE) {
        const EHeaderType kind = HeaderType(m_importKind);
        std::unique_ptr<CTableBase> table = CLibraryFileReader::Read(m_inputPath, kind);
        if (!table)
            return false;
        table->SetFileName(output);
        return table->WriteFile(false, m_document, kind);
    }

    std::string temp;
    if (!MakeTempFile(temp)) {
        CHostServices::Get().MessageBox(ImportFailedMessage(),
                                        CHostServices::Ok | CHostServices::IconError);
        return false;
    }
    CTempFileGuard guard(temp);
    // A UTF-8 file is Shift-JIS from here on; one holding a character that
    // Shift-JIS lacks is refused before anything is written.
    CCsvInputText input;
    const CCsvInputText::EResult loaded = input.Load(m_inputPath);
    if (loaded == CCsvInputText::Unrepresentable) {
        CHostServices::Get().MessageBox(input.Message(),
                                        CHostServices::Ok | CHostServices::IconError);
        return false;
    }
    if (loaded != CCsvInputText::Loaded ||
        !RunLineBreakPass(input.Text(), temp, HeaderType(m_importKind))) {
        CHostServices::Get().MessageBox(ImportFailedMessage(),
                                        CHostServices::Ok | CHostServices::IconError);
        return false;
    }

    CInputNameHost names(temp, m_inputPath);
    return ReadAndWrite(temp, output);
}

bool CImportCSV::ReadAndWrite(const std::string& tempPath, const std::string& outputPath)
{
    switch (m_importKind) {
    case IK_GENGOU:
    case IK_PERIOD: {
        CGengouEra table;
        EHeaderType type = HeaderType(m_importKind);
        if (!table.ReadFile(tempPath.c_str(), type, true))
            return false;
        table.SetFileName(outputPath);
        return table.WriteFile(false, m_document, type);
    }
    case IK_BASEYEAR: {
        CBaseYear table;
        if (!table.ReadFile(tempPath.c_str()))
            return false;
        table.SetFileName(outputPath);
        return table.WriteFile(false, m_document, HT_BASEYEAR);
    }
    case IK_EVENT: {
        CYearEvent table;
        if (!table.ReadFile(tempPath.c_str(), true))
            return false;
        table.SetFileName(outputPath);
        return table.WriteFile(false, m_document, HT_EVENT);
    }
    default:
        return false;
    }
}

const char* CImportCSV::KindName(int importKind)
{
    return ValidKind(importKind) ? kKinds[importKind].name : "";
}

const char* CImportCSV::KindExtension(int importKind)
{
    return ValidKind(importKind) ? kKinds[importKind].extension : "";
}

EHeaderType CImportCSV::HeaderType(int importKind)
{
    return ValidKind(importKind) ? kKinds[importKind].headerType : HT_NONE;
}

int CImportCSV::KindFromTag(const std::string& tag)
{
    for (int kind = IK_GENGOU; kind <= IK_EVENT; ++kind) {
        if (tag == CTableBase::FileKind(kKinds[kind].headerType).tag)
            return kind;
    }
    return IK_NONE;
}

const char* CImportCSV::CannotOpenMessage()
{
    return "ファイルが開けません。\r\nファイルが存在しないか、他のアプリケーションが使用中です";
}

const char* CImportCSV::InvalidContentMessage()
{
    return "指定したファイル内容が不正です";
}

const char* CImportCSV::ImportFailedMessage()
{
    return "インポートに失敗しました";
}
