#include "ExportCSV.h"

#include "AnnaluxDoc.h"
#include "DataMessages.h"
#include "ExportImageCSV.h"
#include "ExchangePath.h"
#include "HostServices.h"
#include "SaveFile.h"
#include "ShiftJis.h"
#include "TableBase.h"
#include "TextFileReader.h"
#include "WholeLineText.h"

namespace {

EHeaderType KindOfTag(const std::string& tag)
{
    for (EHeaderType kind : {HT_GENGOU, HT_BASEYEAR, HT_PERIOD, HT_EVENT}) {
        if (tag == CTableBase::FileKind(kind).tag)
            return kind;
    }
    return HT_NONE;
}

void ShowError(const std::string& text)
{
    CHostServices::Get().MessageBox(text, CHostServices::Ok | CHostServices::IconError);
}

} // namespace

CExportCSV::CExportCSV(CDocument* document) : m_document(document) {}

CExportCSV::~CExportCSV() = default;

std::string CExportCSV::MakeDefaultOutputPath() const
{
    return CExchangePath::WithExtension(m_inputPath, "csv");
}

std::string CExportCSV::ConvertLine(const std::string& line)
{
    std::string out;
    std::string field;
    int next = 0;
    bool first = true;
    for (;;) {
        int end = CTableBase::GetElementFromCSV(line, next, field);
        if (end < 0)
            break;
        std::string converted =
            CShiftJis::ReplaceAll(CShiftJis::ReplaceAll(field, "\"", "\"\""), "\\r\\n", "\n");
        bool quote = converted != field || field.find(',') != std::string::npos;
        if (!first)
            out += ',';
        first = false;
        if (quote)
            out += '"' + converted + '"';
        else
            out += converted;
        next = end + 1;
    }
    return out;
}

std::string CExportCSV::ConvertContent(const std::string& library)
{
    std::string csv;
    csv.reserve(library.size() + library.size() / 8);
    EHeaderType kind = HT_NONE;
    int version = 0;
    int lineNumber = 0;
    size_t pos = 0;
    while (pos < library.size()) {
        size_t lf = library.find('\n', pos); // LF is never a trail byte
        size_t end = lf == std::string::npos ? library.size() : lf;
        std::string line = library.substr(pos, end - pos);
        pos = lf == std::string::npos ? library.size() : lf + 1;
        ++lineNumber;
        if (lineNumber == 1) {
            std::string tag;
            CTableBase::GetTableKindNameAndFileVer(line, tag, version);
            kind = KindOfTag(tag);
        }
        int form = CWholeLineText::FormOf(kind, version, lineNumber);
        if (form != CWholeLineText::NotWhole)
            csv += CWholeLineText::ToCsvField(line, form);
        else
            csv += ConvertLine(line);
        csv += "\r\n";
    }
    return csv;
}

bool CExportCSV::ExportLibrary()
{
    CTextFileReader reader;
    if (!reader.Open(m_inputPath)) {
        ShowError(CannotOpenMessage(m_inputPath));
        return false;
    }
    std::string csv = ConvertContent(reader.Content());

    // Written beside the target and renamed over it, so that a failure
    // (a full disk) leaves an existing CSV file as it was.
    CSaveFile file(m_outputPath);
    if (!file.Open()) {
        ShowError(CannotOpenMessage(m_outputPath));
        return false;
    }
    if (!file.Write(csv) || !file.Commit()) {
        CDataMessages::Show(CDataMessages::WriteFailed, m_outputPath);
        return false;
    }
    return true;
}

bool CExportCSV::ExportImage(IDisplayedLayout& layout)
{
    const auto* doc = dynamic_cast<const CAnnaluxDoc*>(m_document);
    if (!doc)
        return false;
    CExportImageCSV writer(*doc, layout);
    writer.SetYearOnce(m_yearOnFirstLineOnly);
    return writer.Export(m_outputPath);
}

bool CExportCSV::Export(IDisplayedLayout* layout)
{
    if (m_perLibraryMode)
        return ExportLibrary();
    return layout && ExportImage(*layout);
}

std::string CExportCSV::CannotOpenMessage(const std::string& path)
{
    return path + " を開けませんでした";
}
