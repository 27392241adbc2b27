#include "ExportImageCSV.h"

#include "AnnaluxDoc.h"
#include "BaseYear.h"
#include "DataMessages.h"
#include "DisplayedLayout.h"
#include "ExchangeText.h"
#include "ExportCSV.h"
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
    // Most cells hold none of the characters that need work.
    if (cell.find_first_of("\",\\") == std::string::npos)
        return cell;
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
    const int count = columns.GetCount();
    int scale = m_doc.GetScaleYear();
    if (scale != 10 && scale != 100)
        scale = 1;
    const std::string decade = CExchangeText::Sjis("代");

    // Per column of the current bucket: the cell of its first row (year, era
    // and base-year columns, quoted) and the events (event columns).
    std::vector<std::string> firstCells(static_cast<size_t>(count));
    std::vector<std::vector<const SEventData*>> events(static_cast<size_t>(count));
    std::string block;
    block.reserve(kBlockSize + 4096);

    int32_t firstEntry = m_layout.TopYear();
    int32_t year = firstEntry; // the top year, then each bucket's start
    while (firstEntry != kNoYear) {
        const int32_t bucket = m_layout.BucketOf(year, scale);
        for (int c = 0; c < count; ++c) {
            std::string& cell = firstCells[static_cast<size_t>(c)];
            cell.clear();
            switch (columns.GetKind(c)) {
            case CK_YEAR:
                cell = std::to_string(bucket);
                if (scale >= 2)
                    cell += decade;
                break;
            case CK_GENGOU: {
                const auto* table = static_cast<const CGengouEra*>(columns.GetTable(c));
                SGengouEraTable era;
                if (table && CExchangeText::FirstRowContaining(*table, year, era)) {
                    cell = QuoteCell(era.name +
                                     std::to_string(CExchangeText::EraYear(era.startYear, year)));
                    if (scale > 1)
                        cell += '-';
                }
                break;
            }
            case CK_BASEYEAR: {
                const auto* table = static_cast<const CBaseYear*>(columns.GetTable(c));
                std::string text;
                if (table && table->MakeBaseYearStr(year, text))
                    cell = QuoteCell(text);
                break;
            }
            case CK_EVENT:
                m_layout.CollectBucket(year, scale,
                                       static_cast<const CYearEvent*>(columns.GetTable(c)),
                                       events[static_cast<size_t>(c)]);
                break;
            default:
                break;
            }
        }
        const int rows = m_layout.BucketRows(firstEntry, scale);
        for (int r = 0; r < rows; ++r) {
            bool firstCell = true;
            for (int c = 0; c < count; ++c) {
                const int kind = columns.GetKind(c);
                if (kind == CK_ERA)
                    continue;
                if (!firstCell)
                    block += ',';
                firstCell = false;
                if (kind == CK_EVENT) {
                    const auto& list = events[static_cast<size_t>(c)];
                    if (static_cast<size_t>(r) < list.size()) {
                        const SEventData& event = *list[static_cast<size_t>(r)];
                        block += QuoteCell(event.MakeDate() + StripMarkup(event.text));
                    }
                } else if (r == 0 || (kind != CK_BASEYEAR && !m_yearOnce)) {
                    // The year and the era repeat on every row unless only
                    // the first carries them; the base year never repeats.
                    block += firstCells[static_cast<size_t>(c)];
                }
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
    if (!Write([&file](const std::string& block) { return file.Write(block); }) || !file.Commit()) {
        file.Discard();
        CDataMessages::Show(CDataMessages::WriteFailed, path);
        return false;
    }
    return true;
}
