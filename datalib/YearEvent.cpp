#include "YearEvent.h"

#include "HostServices.h"
#include "HtmlManage.h"
#include "ShiftJis.h"
#include "YearEventTree.h"

#include <utility>

CYearEvent::CYearEvent() : m_tree(std::make_unique<CYearEventTree>()) {}

CYearEvent::~CYearEvent() = default;

CYearEvent::CYearEvent(const CYearEvent& other)
    : CTableBase(other), m_tree(std::make_unique<CYearEventTree>(*other.m_tree))
{}

CYearEvent& CYearEvent::operator=(const CYearEvent& other)
{
    if (this != &other) {
        CTableBase::operator=(other);
        *m_tree = *other.m_tree;
        m_cursor = 0;
    }
    return *this;
}

const char* CYearEvent::MoveRefusedMessage()
{
    return "表示優先度の設定によって、表示されていないデータがあるため、移動ができません。\r\n"
           "「表示」→「表示優先度」で「すべて表示する」を選択して操作をやり直してください。";
}

int CYearEvent::GetLen() const
{
    return m_tree->Size();
}

const SEventData& CYearEvent::GetRecord(int listIndex) const
{
    static const SEventData kEmpty;
    const SEventData* rec = m_tree->At(listIndex);
    return rec ? *rec : kEmpty;
}

bool CYearEvent::GetFirstData(SEventData* out)
{
    m_cursor = 0;
    return GetNextData(out);
}

bool CYearEvent::GetNextData(SEventData* out)
{
    const SEventData* rec = m_tree->At(m_cursor);
    if (!rec)
        return false;
    if (out)
        *out = *rec;
    ++m_cursor;
    return true;
}

bool CYearEvent::GetTailData(SEventData* out)
{
    const int len = GetLen();
    m_cursor = len;
    if (len == 0)
        return false;
    if (out)
        *out = *m_tree->At(len - 1);
    return true;
}

int CYearEvent::GetIndexFromYear(int32_t year, int filter) const
{
    int vis = -1;
    m_tree->FirstOfYear(year, filter, &vis);
    return vis;
}

int CYearEvent::GetNearestYear(int32_t year, int filter) const
{
    int vis = -1;
    m_tree->FirstYearFrom(year, false, filter, &vis);
    return vis;
}

int32_t CYearEvent::GetNextYear(int32_t year, int filter) const
{
    const int pos = m_tree->FirstYearFrom(year, true, filter, nullptr);
    return pos < 0 ? kNoYear : m_tree->At(pos)->year;
}

int CYearEvent::GetNumOfYear(int32_t year, int filter) const
{
    return m_tree->CountOfYear(year, filter);
}

bool CYearEvent::GetData(int32_t year, std::vector<SEventData*>& out, int filter) const
{
    out.clear();
    m_tree->CollectYear(year, filter, out);
    return !out.empty();
}

void CYearEvent::GetRecords(std::vector<const SEventData*>& out) const
{
    out.clear();
    out.reserve(static_cast<size_t>(GetLen()));
    m_tree->ForEach([&out](const SEventData& rec) { out.push_back(&rec); });
}

int CYearEvent::AppendRecords(int start, int count, std::vector<const SEventData*>& out) const
{
    if (start < 0 || start >= GetLen() || count <= 0)
        return 0;
    int appended = 0;
    m_tree->FindFrom(start, EP_EVERY, INT32_MIN, INT32_MAX, [&](const SEventData& rec) {
        out.push_back(&rec);
        return ++appended == count;
    });
    return appended;
}

bool CYearEvent::IsSortedByYear() const
{
    return m_tree->Descents() == 0;
}

bool CYearEvent::GetAt(int index, SEventData* out, int filter) const
{
    const int pos = m_tree->Select(index, filter);
    if (pos < 0)
        return false;
    if (out)
        *out = *m_tree->At(pos);
    return true;
}

bool CYearEvent::SetAt(int index, const SEventData* rec, int filter)
{
    if (!rec)
        return false;
    const int pos = m_tree->Select(index, filter);
    if (pos < 0)
        return false;
    m_tree->Replace(pos, SEventData(*rec));
    return true;
}

bool CYearEvent::RemoveAt(int index, int filter, SEventData* removed)
{
    const int pos = m_tree->Select(index, filter);
    if (pos < 0)
        return false;
    SEventData old = m_tree->Erase(pos);
    if (removed)
        *removed = std::move(old);
    SetModified(true);
    return true;
}

void CYearEvent::RemoveAll()
{
    m_tree->Clear();
    m_cursor = 0;
}

int CYearEvent::GetIndexFromEventData(const SEventData& rec, int filter) const
{
    // Only records of the same year can be equal.
    const int pos = m_tree->FirstMatchOfYear(rec.year, filter,
                                             [&rec](const SEventData& d) { return d == rec; });
    return pos < 0 ? -1 : m_tree->Rank(pos, filter);
}

bool CYearEvent::InsertAtDate(SEventData* rec)
{
    if (!rec)
        return false;
    if (!m_tree->InsertSorted(*rec))
        return false;
    SetModified(true);
    return true;
}

bool CYearEvent::SetData(SEventData rec, bool sorted, int index, int filter)
{
    if (index == -1) {
        if (!sorted || !InsertAtDate(&rec))
            m_tree->Append(std::move(rec));
        SetModified(true);
        return true;
    }

    const int pos = m_tree->Select(index, filter);
    if (pos < 0)
        return false;
    const SEventData& old = *m_tree->At(pos);
    if (old == rec)
        return true;

    const bool sameDate =
        old.day == rec.day && old.month == rec.month && old.leapMonth == rec.leapMonth;
    const bool undated = rec.day == -1 && rec.month == -1;
    if (old.year == rec.year && (sameDate || undated)) {
        m_tree->Replace(pos, std::move(rec));
    } else {
        m_tree->Erase(pos);
        if (!InsertAtDate(&rec))
            m_tree->Append(std::move(rec));
    }
    SetModified(true);
    return true;
}

namespace {

// List position of the record n visible steps after position pos (hidden
// records are passed over); -1 when the list ends first.
int StepVisible(const CYearEventTree& tree, int pos, int steps, int filter)
{
    if (steps <= 0)
        return pos;
    return tree.Select(tree.Rank(pos + 1, filter) + steps - 1, filter);
}

} // namespace

bool CYearEvent::MoveToAfter(int32_t year, int n, int filter)
{
    return SwapInYear(year, n, filter);
}

bool CYearEvent::MoveToBefore(int32_t year, int n, int filter)
{
    return SwapInYear(year, (n < 1 ? 1 : n) - 1, filter);
}

bool CYearEvent::SwapInYear(int32_t year, int steps, int filter)
{
    const int first = m_tree->FirstOfYear(year, EP_EVERY, nullptr);
    if (first < 0)
        return true;
    const int pos = StepVisible(*m_tree, first, steps, filter);
    if (pos < 0 || m_tree->At(pos)->year != year)
        return false;
    // A neighbour that is missing or of another year is not passed: the
    // move would take the record out of its year.
    const SEventData* next = m_tree->At(pos + 1);
    if (!next || next->year != year)
        return false;
    if (!CYearEventTree::Visible(*next, filter)) {
        CHostServices::Get().MessageBox(MoveRefusedMessage());
        return false;
    }
    m_tree->SwapWithNext(pos);
    SetModified(true);
    return true;
}

bool CYearEvent::Merge(CYearEvent& other)
{
    if (&other == this) {
        // Iterating a table while inserting into it would meet its own
        // copies again and never end; merge a snapshot instead.
        CYearEvent snapshot(other);
        return Merge(snapshot);
    }
    SEventData rec;
    for (bool more = other.GetFirstData(&rec); more; more = other.GetNextData(&rec))
        SetData(rec, true, -1, EP_EVERY);
    return true;
}

int CYearEvent::SearchStr(const std::string& what, int32_t& year, int32_t from, int32_t to,
                          int filter, int start) const
{
    if (start < -1 || start >= GetLen())
        return -1;
    const int pos =
        m_tree->FindFrom(start < 0 ? 0 : start, filter, from, to, [&what](const SEventData& d) {
            const std::string plain = CHtmlManage::RemoveHtml(d.text);
            return CShiftJis::Find(plain, what) != CShiftJis::npos;
        });
    if (pos >= 0)
        year = kNoYear;
    return pos;
}

int32_t CYearEvent::GetMinYear() const
{
    int32_t lo = kNoneYear, hi = kNoneYear;
    m_tree->YearRange(lo, hi);
    return lo;
}

int32_t CYearEvent::GetMaxYear() const
{
    int32_t lo = kNoneYear, hi = kNoneYear;
    m_tree->YearRange(lo, hi);
    return hi;
}
