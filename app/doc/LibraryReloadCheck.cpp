#include "LibraryReloadCheck.h"

#include "AnnaluxDoc.h"
#include "BaseYear.h"
#include "GengouEra.h"
#include "HostServices.h"
#include "ReadProgress.h"
#include "ShiftJis.h"
#include "YearEvent.h"

namespace {

template <typename T>
bool ReadInto(T& table, T& fresh, bool ok)
{
    if (!ok)
        return false;
    const std::string name = table.GetFileName();
    table = fresh;
    table.SetFileName(name);
    table.SetModified(false);
    return true;
}

} // namespace

std::string CLibraryReloadCheck::QuestionText(const CTableBase& table)
{
    return "ライブラリ「" + CShiftJis::ToUtf8Lossy(table.GetTableName()) + "」のファイル " +
           table.GetDiskStamp().GetPath() +
           " は、他のウィンドウかプログラムで変更されました。\n\n読み込み直しますか？";
}

bool CLibraryReloadCheck::Reload(CTableBase& table, int kind)
{
    const std::string path = table.GetDiskStamp().GetPath();
    if (path.empty())
        return false;
    switch (kind) {
    case HT_GENGOU:
    case HT_PERIOD: {
        auto& era = static_cast<CGengouEra&>(table);
        CGengouEra fresh;
        return ReadInto(era, fresh, fresh.ReadFile(path.c_str(), static_cast<EHeaderType>(kind), true));
    }
    case HT_BASEYEAR: {
        auto& base = static_cast<CBaseYear&>(table);
        CBaseYear fresh;
        return ReadInto(base, fresh, fresh.ReadFile(path.c_str()));
    }
    case HT_EVENT: {
        auto& events = static_cast<CYearEvent&>(table);
        CYearEvent fresh;
        return ReadInto(events, fresh, fresh.ReadFile(path.c_str(), false));
    }
    default:
        return false;
    }
}

bool CLibraryReloadCheck::Run(CAnnaluxDoc& doc)
{
    // The question takes the focus away and gives it back: no second round
    // while the first is asking.
    if (m_running)
        return false;
    m_running = true;
    bool reloaded = false;
    for (int kind = HT_GENGOU; kind <= HT_EVENT; ++kind) {
        for (int i = 0; i < doc.GetTableCount(kind); ++i) {
            CTableBase* table = doc.GetTable(kind, i);
            if (!table || table->GetModified() || !table->ChangedOnDisk())
                continue;
            const std::string& path = table->GetDiskStamp().GetPath();
            const auto declined = m_declined.find(path);
            if (declined != m_declined.end() && !declined->second.ChangedOnDisk())
                continue;
            const int answer = CHostServices::Get().MessageBox(
                QuestionText(*table), CHostServices::YesNo | CHostServices::IconQuestion);
            bool read = false;
            if (answer == CHostServices::AnswerYes) {
                const auto progress = m_makeProgress ? m_makeProgress() : nullptr;
                std::unique_ptr<CReadProgressScope> scope;
                if (progress)
                    scope = std::make_unique<CReadProgressScope>(*progress);
                read = Reload(*table, kind);
            }
            if (read) {
                m_declined.erase(path);
                reloaded = true;
            } else {
                m_declined[path] = CFileStamp::Take(path);
            }
        }
    }
    m_running = false;
    if (reloaded) {
        doc.Notify(CAnnaluxDoc::VN_RELAYOUT);
        doc.UpdateAllViews();
    }
    return reloaded;
}
