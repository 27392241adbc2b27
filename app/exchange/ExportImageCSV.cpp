#include "ExportImageCSV.h"

#include "AnnaluxDoc.h"
#include "BaseYear.h"
#include "DataMessages.h"
#include "DisplayedLayout.h"
#include "ExportCSV.h"
#include "ExchangeText.h"
#include "GengouEra.h"
#include "HeaderKind.h"
#include "HostServices.h"
#include "SaveFile.h"
#include "ShiftJis.h"
#include "YearEvent.h"

#include <vector>

namespace {

constexpr size_t kBlockSize = 1 << 20;

} // namespace

CExportImageCSV::CExportImageCSV(const CAnnaluxDoc& doc, IDisplayedLayout& layout)
    : m_doc(doc), m_layout(layout)
{}

std::string CExportImageCSV::QuoteCell(const std::string& cell)
{
    std::string converted =
        CShiftJis::ReplaceAll(CShiftJis::ReplaceAll(cell, "\"", "\"\""), "\\r\\n", "\n");
    if (converted != cell || cell.find(',') != std::string::npos)
        return '"' + converted + '"';
    return converted;
}

std::string CExportImageCSV::StripMarkup(const std::string& text)
{
    std::string out;
    out.reserve(text.size());
    size_t from = 0;
    for (;;) {
        const size_t lt = CShiftJis::FindChar(text, '<', from);
        const size_t gt = lt == CShiftJis::npos ? lt : CShiftJis::FindChar(text, '>', lt + 1);
        // A "<" that no ">" closes is text, not markup.
        if (gt == CShiftJis::npos) {
            out.append(text, from, std::string::npos);
            return out;
        }
        out.append(text, from, lt - from);
        from = gt + 1;
    }
}

bool CExportImageCSV::Write(const Sink& sink)
{
    const CHeaderManager& columns = m_doc.GetColumns();
    int scale = m_doc.GetScaleYear();
    if (scale != 10 && scale != 100)
        scale = 1;
    const std::string decade = CExchangeText::Sjis("代");

    // The events of each event column in the current bucket, by column.
    std::vector<std::vector<const SEventData*>> events(static_cast<size_t>(columns.GetCount()));
    std::string block;
    block.reserve(kBlockSize + 4096);

    int32_t firstEntry = m_layout.TopYear();
    int32_t year = firstEntry; // the top year, then each bucket's start
    while (firstEntry != kNoYear) {
        const int32_t bucket = m_layout.BucketOf(year, scale);
        for (int c = 0; c < columns.GetCount(); ++c) {
            if (columns.GetKind(c) == CK_EVENT)
                m_layout.CollectBucket(year, scale,
                                       static_cast<const CYearEvent*>(columns.GetTable(c)),
                                       events[static_cast<size_t>(c)]);
        }
        const int rows = m_layout.BucketRows(firstEntry, scale);
        for (int r = 0; r < rows; ++r) {
            bool firstCell = true;
            for (int c = 0; c < columns.GetCount(); ++c) {
                const int kind = columns.GetKind(c);
                if (kind == CK_ERA)
                    continue;
                std::string cell;
                const bool yearCell = !(m_yearOnce && r > 0);
                if (kind == CK_YEAR) {
                    if (yearCell) {
                        cell = std::to_string(bucket);
                        if (scale >= 2)
                            cell += decade;
                    }
                } else if (kind == CK_GENGOU) {
                    const auto* table = static_cast<const CGengouEra*>(columns.GetTable(c));
                    SGengouEraTable era;
                    if (yearCell && table && CExchangeText::FirstRowContaining(*table, year, era)) {
                        cell = era.name + std::to_string(CExchangeText::EraYear(era.startYear, year));
                        if (scale > 1)
                            cell += '-';
                    }
                } else if (kind == CK_BASEYEAR) {
                    const auto* table = static_cast<const CBaseYear*>(columns.GetTable(c));
                    if (r == 0 && table && !table->MakeBaseYearStr(year, cell))
                        cell.clear();
                } else if (kind == CK_EVENT) {
                    const auto& list = events[static_cast<size_t>(c)];
                    if (static_cast<size_t>(r) < list.size()) {
                        const SEventData& event = *list[static_cast<size_t>(r)];
                        cell = event.MakeDate() + StripMarkup(event.text);
                    }
                }
                if (!firstCell)
                    block += ',';
                firstCell = false;
                block += QuoteCell(cell);
            }
            block += "\r\n";
            if (block.size() >= kBlockSize) {
                if (!sink(block))
                    return false;
                block.clear();
            }
        }
        firstEntry = m_layout.NextBucketEntryYear(firstEntry, scale);
        year = firstEntry == kNoYear ? kNoYear : m_layout.BucketOf(firstEntry, scale);
    }
    return block.empty() || sink(block);
}

std::string CExportImageCSV::Text()
{
    std::string text;
    Write([&text](const std::string& block) {
        text += block;
        return true;
    });
    return text;
}

bool CExportImageCSV::Export(const std::string& path)
{
    CSaveFile file(path);
    if (!file.Open()) {
        CHostServices::Get().MessageBox(CExportCSV::CannotOpenMessage(path),
                                        CHostServices::Ok | CHostServices::IconError);
        return false;
    }
    if (!Write([&file](const std::string& block) { return file.Write(block); }) ||
        !file.Commit()) {
        file.Discard();
        CDataMessages::Show(CDataMessages::WriteFailed, path);
        return false;
    }
    return true;
}
