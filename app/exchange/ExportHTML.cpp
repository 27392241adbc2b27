#include "ExportHTML.h"

#include "AnnaluxDoc.h"
#include "GenerateHtml.h"
#include "YearEvent.h"

#include <algorithm>
#include <sys/stat.h>

namespace {

// path without the extension of its file name (a dot in a folder name is
// not an extension).
std::string WithoutExtension(const std::string& path)
{
    const size_t slash = path.find_last_of('/');
    const size_t dot = path.find_last_of('.');
    if (dot == std::string::npos || (slash != std::string::npos && dot < slash))
        return path;
    return path.substr(0, dot);
}

} // namespace

CExportHTML::CExportHTML(CAnnaluxDoc& doc) : m_doc(doc) {}

CExportHTML::~CExportHTML() = default;

std::string CExportHTML::DefaultOutputPath() const
{
    const std::string path = m_doc.GetPathName();
    if (path.empty())
        return Title() + ".html";
    return WithoutExtension(path) + ".html";
}

std::string CExportHTML::Title() const
{
    const std::string& title = m_doc.GetTitle();
    const size_t dot = title.find_last_of('.');
    return dot == std::string::npos ? title : title.substr(0, dot);
}

bool CExportHTML::OutputFileExists() const
{
    struct stat st;
    return !m_outputPath.empty() && ::stat(m_outputPath.c_str(), &st) == 0;
}

void CExportHTML::DefaultRange(int32_t& first, int32_t& last) const
{
    first = 2147483647;
    last = -32768;
    for (int i = 0; i < m_doc.GetEventTableCount(); ++i) {
        const CYearEvent* table = m_doc.GetEventTable(i);
        if (!table || table->GetLen() == 0)
            continue;
        first = std::min(first, table->GetRecord(0).year);
        last = std::max(last, table->GetRecord(table->GetLen() - 1).year);
    }
}

std::string CExportHTML::RangeText() const
{
    if (m_first == kNoFirst && m_last == kNoLast)
        return "開始・終了年は設定されていません";
    std::string text;
    if (m_first != kNoFirst)
        text += std::to_string(m_first) + "年";
    text += "～";
    if (m_last != kNoLast)
        text += std::to_string(m_last) + "年";
    return text;
}

bool CExportHTML::Generate(IDisplayedLayout& layout)
{
    CGenerateHtml generator(m_doc, layout, m_first, m_last);
    return generator.Generate(m_outputPath, Title());
}

const char* CExportHTML::ExistsQuestion()
{
    return "指定したファイルはすでに存在します。上書きしますか？";
}

const char* CExportHTML::RangeOrderMessage()
{
    return "開始年より終了年が大きいため設定できません";
}

const char* CExportHTML::GenerateFailedMessage()
{
    return "HTMLファイルの生成に失敗しました";
}
