#include "FuzzChecks.h"

#include "BaseYear.h"
#include "ExportCSV.h"
#include "GengouEra.h"
#include "HtmlManage.h"
#include "ImportCSV.h"
#include "ProjectFile.h"
#include "SaveFile.h"
#include "ShiftJis.h"
#include "TextFileReader.h"
#include "YearEvent.h"

#include <cstdlib>
#include <fstream>
#include <iterator>
#include <memory>
#include <stdexcept>
#include <unistd.h>

namespace FuzzChecks {

namespace {

// One folder per process for the conversions that work on files.
const std::string& WorkFolder()
{
    static const std::string folder = [] {
        const char* tmp = std::getenv("TMPDIR");
        std::string pattern = std::string(tmp && *tmp ? tmp : "/tmp") + "/annalux-fuzz-XXXXXX";
        if (!::mkdtemp(&pattern[0]))
            throw std::runtime_error("cannot make a work folder");
        return pattern;
    }();
    return folder;
}

std::string ReadBytes(const std::string& path)
{
    std::ifstream f(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(f), std::istreambuf_iterator<char>());
}

// A library table that reads its bytes from memory and writes them back.
struct SLibrary
{
    EHeaderType kind = HT_NONE;
    std::unique_ptr<CTableBase> table;

    // 0 when the bytes were read, else the reader's message id.
    int Read(const std::string& bytes)
    {
        CTextFileReader reader;
        reader.SetContent(bytes);
        switch (kind) {
        case HT_GENGOU:
        case HT_PERIOD: {
            auto t = std::make_unique<CGengouEra>();
            const int result = t->ReadContent(reader, kind);
            table = std::move(t);
            return result;
        }
        case HT_BASEYEAR: {
            auto t = std::make_unique<CBaseYear>();
            const int result = t->ReadContent(reader);
            table = std::move(t);
            return result;
        }
        case HT_EVENT: {
            auto t = std::make_unique<CYearEvent>();
            const int result = t->ReadContent(reader, true);
            table = std::move(t);
            return result;
        }
        default:
            return -1;
        }
    }

    std::string Content() const
    {
        switch (kind) {
        case HT_GENGOU:
        case HT_PERIOD:
            return static_cast<const CGengouEra&>(*table).MakeFileContent(kind);
        case HT_BASEYEAR:
            return static_cast<const CBaseYear&>(*table).MakeFileContent();
        case HT_EVENT:
            return static_cast<const CYearEvent&>(*table).MakeFileContent();
        default:
            return std::string();
        }
    }
};

std::string WrittenTwiceTheSame(const std::string& bytes, EHeaderType kind)
{
    SLibrary first{kind, nullptr};
    if (first.Read(bytes) != 0)
        return std::string();
    const std::string once = first.Content();
    SLibrary second{kind, nullptr};
    if (second.Read(once) != 0)
        return "the written library does not read back";
    if (second.Content() != once)
        return "a library read back from its own bytes is written differently";
    return std::string();
}

EHeaderType KindOfFirstLine(const std::string& bytes)
{
    CTextFileReader reader;
    reader.SetContent(bytes);
    std::string line;
    if (!reader.ReadLine(line))
        return HT_NONE;
    std::string tag;
    int version = 0;
    CTableBase::GetTableKindNameAndFileVer(line, tag, version);
    return CImportCSV::HeaderType(CImportCSV::KindFromTag(tag));
}

} // namespace

const std::vector<STarget>& Targets()
{
    static const std::vector<STarget> targets = {
        {"event_library", &EventLibrary},     {"era_library", &EraLibrary},
        {"period_library", &PeriodLibrary},   {"base_year_library", &BaseYearLibrary},
        {"csv_import", &CsvImport},           {"csv_round_trip", &CsvRoundTrip},
        {"project_archive", &ProjectArchive}, {"text_helpers", &TextHelpers},
    };
    return targets;
}

const STarget* FindTarget(const std::string& name)
{
    for (const STarget& target : Targets()) {
        if (name == target.name)
            return &target;
    }
    return nullptr;
}

std::string EventLibrary(const std::string& bytes)
{
    return WrittenTwiceTheSame(bytes, HT_EVENT);
}

std::string EraLibrary(const std::string& bytes)
{
    return WrittenTwiceTheSame(bytes, HT_GENGOU);
}

std::string PeriodLibrary(const std::string& bytes)
{
    return WrittenTwiceTheSame(bytes, HT_PERIOD);
}

std::string BaseYearLibrary(const std::string& bytes)
{
    return WrittenTwiceTheSame(bytes, HT_BASEYEAR);
}

std::string CsvImport(const std::string& bytes)
{
    const std::string input = WorkFolder() + "/in.csv";
    if (!CSaveFile::WriteWholeFile(input, bytes))
        return "cannot write the input";
    CImportCSV import;
    import.SetInputPath(input);
    if (import.CheckInputFile() != CImportCSV::CR_OK)
        return std::string();
    const std::string output =
        WorkFolder() + "/out." + CImportCSV::KindExtension(import.GetImportKind());
    ::unlink(output.c_str());
    import.SetOutputPath(output);
    if (!import.Convert())
        return std::string();
    SLibrary written{CImportCSV::HeaderType(import.GetImportKind()), nullptr};
    if (written.Read(ReadBytes(output)) != 0)
        return "the import wrote a library that does not open";
    return std::string();
}

std::string CsvRoundTrip(const std::string& bytes)
{
    SLibrary library{KindOfFirstLine(bytes), nullptr};
    if (library.Read(bytes) != 0)
        return std::string();
    const std::string before = library.Content();

    const std::string csv = WorkFolder() + "/round.csv";
    if (!CSaveFile::WriteWholeFile(csv, CExportCSV::ConvertContent(before)))
        return "cannot write the CSV";
    const std::string output =
        WorkFolder() + "/round." + CTableBase::FileKind(library.kind).extension;
    ::unlink(output.c_str());
    CImportCSV import;
    import.SetInputPath(csv);
    import.SetOutputPath(output);
    if (!import.ClassifyInputFile() || !import.Convert())
        return "the exported CSV is refused by the import";
    SLibrary back{library.kind, nullptr};
    if (back.Read(ReadBytes(output)) != 0)
        return "the imported library does not open";
    if (back.Content() != before)
        return "export and import changed the library";
    return std::string();
}

std::string ProjectArchive(const std::string& bytes)
{
    SProjectData data;
    std::string error;
    if (!CProjectFile::Parse(bytes, data, error))
        return std::string();
    const std::string once = CProjectFile::Serialize(data);
    SProjectData again;
    if (!CProjectFile::Parse(once, again, error))
        return "a written project does not parse: " + error;
    if (CProjectFile::Serialize(again) != once)
        return "a project read back from its own bytes is written differently";
    return std::string();
}

std::string TextHelpers(const std::string& bytes)
{
    // Characters are whole: stepping from the start lands on every boundary.
    // (Each boundary test scans from the start; long texts are left to the
    // other checks.)
    for (size_t i = 0; i < bytes.size() && bytes.size() <= 1024;) {
        if (!CShiftJis::IsCharBoundary(bytes, i))
            return "a character start is not a boundary";
        const size_t n = CShiftJis::CharLength(bytes, i);
        if (n < 1 || n > 2 || i + n > bytes.size())
            return "a character runs past the text";
        i += n;
    }
    for (size_t limit : {size_t(0), size_t(1), bytes.size() / 2, bytes.size()}) {
        const std::string cut = CShiftJis::Truncate(bytes, limit);
        if (cut.size() > limit || bytes.compare(0, cut.size(), cut) != 0)
            return "truncation is not a prefix within the limit";
        if (cut.size() < bytes.size() && !CShiftJis::IsCharBoundary(bytes, cut.size()))
            return "truncation splits a character";
    }

    // Line breaks: escaping leaves no CR LF behind, and undoes cleanly when
    // the text held no escape of its own and is whole Shift-JIS (a lead byte
    // left alone before a break would pair with the escape's backslash).
    const std::string escaped = CShiftJis::EscapeLineBreaks(bytes);
    if (escaped.find("\r\n") != std::string::npos)
        return "an escaped text still holds a line break";
    std::string utf8;
    const bool valid = CShiftJis::ToUtf8(bytes, utf8);
    if (valid && CShiftJis::Find(bytes, "\\r\\n") == CShiftJis::npos &&
        CShiftJis::UnescapeLineBreaks(escaped) != bytes)
        return "unescaping does not give back the text";

    // Conversions: what decodes encodes again to text that decodes the same.
    if (valid) {
        std::string sjis;
        if (!CShiftJis::FromUtf8(utf8, sjis))
            return "decoded text does not encode";
        std::string again;
        if (!CShiftJis::ToUtf8(sjis, again) || again != utf8)
            return "encoded text decodes differently";
    }
    CShiftJis::ToUtf8Lossy(bytes);

    // Searches find only whole characters.
    if (bytes.size() >= 2) {
        const std::string needle = bytes.substr(bytes.size() / 2, 2);
        for (size_t at = CShiftJis::Find(bytes, needle); at != CShiftJis::npos;
             at = CShiftJis::Find(bytes, needle, at + 1)) {
            if (!CShiftJis::IsCharBoundary(bytes, at) || bytes.compare(at, 2, needle) != 0)
                return "a match begins inside a character";
        }
    }

    // Link markup: a link found around a position lies within the text and
    // contains it; removing the markup never grows the text.
    for (int pos : {0, static_cast<int>(bytes.size() / 2), static_cast<int>(bytes.size())}) {
        std::string url;
        std::string label;
        int begin = -1;
        int end = -1;
        if (CHtmlManage::GetLinkFromString(bytes, pos, url, label, begin, end)) {
            if (begin < 0 || end > static_cast<int>(bytes.size()) || begin > end)
                return "a link lies outside the text";
        }
    }
    if (CHtmlManage::RemoveHtml(bytes).size() > bytes.size())
        return "removing markup made the text longer";
    return std::string();
}

} // namespace FuzzChecks
