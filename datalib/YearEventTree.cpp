#include "YearEventTree.h"

#include <algorithm>
#include <climits>
#include <new>
#include <utility>

// A descent reads the first 64 bytes of each node it passes and Pull the
// first 128; the node is aligned so that a descent touches one cache line,
// and the record, which neither needs, comes after them. Three lines in all:
// a million nodes take 192 MB, where a 128-byte alignment took 256.
struct alignas(64) CYearEventTree::SNode
{
    explicit SNode(SEventData&& rec) : data(std::move(rec)) { Refresh(); }
    // Takes in the record's sort key, year and visibility class.
    void Refresh()
    {
        key = SortKey(data);
        year = data.year;
        cls = static_cast<int8_t>(PriorityClass(data.priority));
    }

    SNode* left = nullptr;
    SNode* right = nullptr;
    // This record's and the subtree's greatest (year, date key).
    int64_t key;
    int64_t maxKey;
    // Per filter: visible records (count[3] is the subtree's size).
    int32_t count[kFilters];
    int32_t height = 1;
    // Years of the subtree's first and last record in list order, and its
    // adjacent pairs whose years decrease.
    int32_t firstYear;
    int32_t lastYear;
    int32_t descents;

    // Per filter: least and greatest visible year (INT32_MAX and INT32_MIN
    // when there are none; test the count, not the sentinel).
    int32_t minYear[kFilters];
    int32_t maxYear[kFilters];
    int32_t year;
    int8_t cls;

    SEventData data;
};

static_assert(sizeof(CYearEventTree::SNode) <= 192, "a node should fit three cache lines");

namespace {

using SNode = CYearEventTree::SNode;

inline int SizeOf(const SNode* t)
{
    return t ? t->count[CYearEventTree::kFilters - 1] : 0;
}

inline int CountOf(const SNode* t, int f)
{
    return t ? t->count[f] : 0;
}

// Stands in for a missing child so that Pull runs without branches: no
// records, and first and last years that never make a descending pair.
const SNode& NoChild()
{
    static const SNode empty = [] {
        SNode n{SEventData()};
        std::fill(std::begin(n.count), std::end(n.count), 0);
        std::fill(std::begin(n.minYear), std::end(n.minYear), INT32_MAX);
        std::fill(std::begin(n.maxYear), std::end(n.maxYear), INT32_MIN);
        n.maxKey = INT64_MIN;
        n.firstYear = INT32_MAX;
        n.lastYear = INT32_MIN;
        n.descents = 0;
        n.height = 0;
        return n;
    }();
    return empty;
}

void Pull(SNode* t)
{
    const SNode& l = t->left ? *t->left : NoChild();
    const SNode& r = t->right ? *t->right : NoChild();
    const int cls = t->cls;
    const int32_t y = t->year;
    for (int f = 0; f < CYearEventTree::kFilters; ++f) {
        const bool own = cls <= f;
        t->count[f] = l.count[f] + r.count[f] + (own ? 1 : 0);
        t->minYear[f] = std::min(std::min(l.minYear[f], r.minYear[f]), own ? y : INT32_MAX);
        t->maxYear[f] = std::max(std::max(l.maxYear[f], r.maxYear[f]), own ? y : INT32_MIN);
    }
    t->maxKey = std::max(std::max(l.maxKey, r.maxKey), t->key);
    t->descents = l.descents + r.descents + (l.lastYear > y ? 1 : 0) + (y > r.firstYear ? 1 : 0);
    t->firstYear = t->left ? l.firstYear : y;
    t->lastYear = t->right ? r.lastYear : y;
    t->height = 1 + std::max(l.height, r.height);
}

inline int HeightOf(const SNode* t)
{
    return t ? t->height : 0;
}

SNode* RotateRight(SNode* t)
{
    SNode* l = t->left;
    t->left = l->right;
    l->right = t;
    Pull(t);
    Pull(l);
    return l;
}

SNode* RotateLeft(SNode* t)
{
    SNode* r = t->right;
    t->right = r->left;
    r->left = t;
    Pull(t);
    Pull(r);
    return r;
}

// Restores the AVL balance at t after one of its subtrees changed height by
// at most one, and its aggregates.
SNode* Balance(SNode* t)
{
    const int diff = HeightOf(t->left) - HeightOf(t->right);
    if (diff > 1) {
        if (HeightOf(t->left->left) < HeightOf(t->left->right))
            t->left = RotateLeft(t->left);
        return RotateRight(t);
    }
    if (diff < -1) {
        if (HeightOf(t->right->right) < HeightOf(t->right->left))
            t->right = RotateRight(t->right);
        return RotateLeft(t);
    }
    Pull(t);
    return t;
}

SNode* InsertAt(SNode* t, int pos, SNode* node)
{
    if (!t) {
        Pull(node);
        return node;
    }
    const int ls = SizeOf(t->left);
    if (pos <= ls)
        t->left = InsertAt(t->left, pos, node);
    else
        t->right = InsertAt(t->right, pos - ls - 1, node);
    return Balance(t);
}

SNode* RemoveFirst(SNode* t, SNode*& first)
{
    if (!t->left) {
        first = t;
        return t->right;
    }
    t->left = RemoveFirst(t->left, first);
    return Balance(t);
}

// Unlinks the node at pos; the other nodes stay where they are in memory, so
// pointers to their records remain valid.
SNode* EraseAt(SNode* t, int pos, SNode*& erased)
{
    const int ls = SizeOf(t->left);
    if (pos < ls) {
        t->left = EraseAt(t->left, pos, erased);
        return Balance(t);
    }
    if (pos > ls) {
        t->right = EraseAt(t->right, pos - ls - 1, erased);
        return Balance(t);
    }
    erased = t;
    if (!t->left)
        return t->right;
    if (!t->right)
        return t->left;
    SNode* successor = nullptr;
    SNode* rest = RemoveFirst(t->right, successor);
    successor->left = t->left;
    successor->right = rest;
    return Balance(successor);
}

// Recomputes the aggregates on the path to pos after its record changed.
void RefreshPath(SNode* t, int pos)
{
    const int ls = SizeOf(t->left);
    if (pos < ls)
        RefreshPath(t->left, pos);
    else if (pos > ls)
        RefreshPath(t->right, pos - ls - 1);
    Pull(t);
}

// Inserts node before the first record of t whose key is greater than key,
// in one pass down. t must hold such a record.
SNode* InsertByKey(SNode* t, SNode* node, int64_t key)
{
    __builtin_prefetch(t->right);
    if (t->left && t->left->maxKey > key)
        t->left = InsertByKey(t->left, node, key);
    else if (t->key > key)
        t->left = InsertAt(t->left, SizeOf(t->left), node);
    else
        t->right = InsertByKey(t->right, node, key);
    return Balance(t);
}

bool Overlaps(const SNode* t, int f, int32_t lo, int32_t hi)
{
    return t && t->count[f] > 0 && t->maxYear[f] >= lo && t->minYear[f] <= hi;
}

int FindIn(const SNode* t, int offset, int start, int f, int32_t lo, int32_t hi,
           const std::function<bool(const SEventData&)>& match)
{
    if (!t || offset + SizeOf(t) <= start || !Overlaps(t, f, lo, hi))
        return -1;
    const int ls = SizeOf(t->left);
    const int found = FindIn(t->left, offset, start, f, lo, hi, match);
    if (found >= 0)
        return found;
    const int pos = offset + ls;
    if (pos >= start && t->cls <= f && t->year >= lo && t->year <= hi && match(t->data))
        return pos;
    return FindIn(t->right, pos + 1, start, f, lo, hi, match);
}

int CountYearIn(const SNode* t, int f, int32_t year)
{
    if (!Overlaps(t, f, year, year))
        return 0;
    if (t->minYear[f] == year && t->maxYear[f] == year)
        return t->count[f];
    const bool own = t->cls <= f && t->year == year;
    return CountYearIn(t->left, f, year) + (own ? 1 : 0) + CountYearIn(t->right, f, year);
}

void CollectYearIn(SNode* t, int f, int32_t year, std::vector<SEventData*>& out)
{
    if (!Overlaps(t, f, year, year))
        return;
    CollectYearIn(t->left, f, year, out);
    if (t->cls <= f && t->year == year)
        out.push_back(&t->data);
    CollectYearIn(t->right, f, year, out);
}

} // namespace

const CYearEventTree::SNode* CYearEventTree::Left(const SNode* t)
{
    return t->left;
}

const CYearEventTree::SNode* CYearEventTree::Right(const SNode* t)
{
    return t->right;
}

const SEventData& CYearEventTree::Data(const SNode* t)
{
    return t->data;
}

CYearEventTree::CYearEventTree() = default;

CYearEventTree::~CYearEventTree()
{
    Clear();
}

CYearEventTree::CYearEventTree(const CYearEventTree& other)
{
    m_root = CloneFrom(other.m_root);
}

CYearEventTree& CYearEventTree::operator=(const CYearEventTree& other)
{
    if (this != &other) {
        CYearEventTree copy(other);
        Swap(copy);
    }
    return *this;
}

void CYearEventTree::Swap(CYearEventTree& other) noexcept
{
    std::swap(m_root, other.m_root);
    m_chunks.swap(other.m_chunks);
    m_free.swap(other.m_free);
    std::swap(m_chunkFill, other.m_chunkFill);
    m_yearIndex.swap(other.m_yearIndex);
    std::swap(m_yearIndexValid, other.m_yearIndexValid);
}

// Nodes come from chunks of the tree's own: a million single allocations of
// an over-aligned type are slow and scatter the tree over the heap.
CYearEventTree::SNode* CYearEventTree::NewNode(SEventData&& rec)
{
    void* place;
    if (!m_free.empty()) {
        place = m_free.back();
        m_free.pop_back();
    } else {
        if (m_chunks.empty() || m_chunkFill == kChunkNodes) {
            m_chunks.push_back(
                ::operator new(kChunkNodes * sizeof(SNode), std::align_val_t(alignof(SNode))));
            m_chunkFill = 0;
        }
        place = static_cast<SNode*>(m_chunks.back()) + m_chunkFill++;
    }
    return new (place) SNode(std::move(rec));
}

void CYearEventTree::FreeNode(SNode* node)
{
    node->~SNode();
    m_free.push_back(node);
}

CYearEventTree::SNode* CYearEventTree::CloneFrom(const SNode* t)
{
    if (!t)
        return nullptr;
    SNode* n = NewNode(SEventData(t->data));
    n->left = CloneFrom(t->left);
    n->right = CloneFrom(t->right);
    Pull(n);
    return n;
}

int CYearEventTree::Size() const
{
    return SizeOf(m_root);
}

int CYearEventTree::CountVisible(int filter) const
{
    const int f = NormalizeFilter(filter);
    return f < 0 ? 0 : CountOf(m_root, f);
}

int64_t CYearEventTree::Descents() const
{
    return m_root ? m_root->descents : 0;
}

void CYearEventTree::Clear()
{
    // Every live node is in the tree; free ones are already destroyed.
    SNode* t = m_root;
    while (t) {
        // Rotate the left spine away so that no stack is needed.
        if (t->left) {
            SNode* l = t->left;
            t->left = l->right;
            l->right = t;
            t = l;
            continue;
        }
        SNode* next = t->right;
        t->~SNode();
        t = next;
    }
    m_root = nullptr;
    Changed();
    m_yearIndex.shrink_to_fit();
    for (void* chunk : m_chunks)
        ::operator delete(chunk, std::align_val_t(alignof(SNode)));
    m_chunks.clear();
    m_free.clear();
    m_free.shrink_to_fit();
    m_chunkFill = 0;
}

SEventData* CYearEventTree::At(int pos) const
{
    SNode* n = NodeAt(pos);
    return n ? &n->data : nullptr;
}

CYearEventTree::SNode* CYearEventTree::NodeAt(int pos) const
{
    if (pos < 0 || pos >= Size())
        return nullptr;
    SNode* t = m_root;
    while (t) {
        const int ls = SizeOf(t->left);
        if (pos < ls) {
            t = t->left;
        } else if (pos == ls) {
            return t;
        } else {
            pos -= ls + 1;
            t = t->right;
        }
    }
    return nullptr;
}

int CYearEventTree::Select(int visibleIndex, int filter) const
{
    const int f = NormalizeFilter(filter);
    if (f < 0 || visibleIndex < 0 || visibleIndex >= CountOf(m_root, f))
        return -1;
    int pos = 0;
    const SNode* t = m_root;
    while (t) {
        const int lc = CountOf(t->left, f);
        if (visibleIndex < lc) {
            t = t->left;
            continue;
        }
        visibleIndex -= lc;
        pos += SizeOf(t->left);
        if (t->cls <= f) {
            if (visibleIndex == 0)
                return pos;
            --visibleIndex;
        }
        ++pos;
        t = t->right;
    }
    return -1;
}

int CYearEventTree::Rank(int pos, int filter) const
{
    const int f = NormalizeFilter(filter);
    if (f < 0 || pos <= 0)
        return 0;
    int rank = 0;
    const SNode* t = m_root;
    while (t && pos > 0) {
        const int ls = SizeOf(t->left);
        if (pos <= ls) {
            t = t->left;
            continue;
        }
        rank += CountOf(t->left, f) + (t->cls <= f ? 1 : 0);
        pos -= ls + 1;
        t = t->right;
    }
    return rank;
}

void CYearEventTree::Insert(int pos, SEventData&& rec)
{
    Changed();
    pos = std::max(0, std::min(pos, Size()));
    SNode* node = NewNode(std::move(rec));
    m_root = InsertAt(m_root, pos, node);
}

namespace {

// A tree of nodes[0..n) in that order, every subtree's halves of equal size
// or one apart, so heights differ by one at most.
SNode* LinkBalanced(SNode* const* nodes, size_t n)
{
    if (n == 0)
        return nullptr;
    const size_t mid = n / 2;
    SNode* t = nodes[mid];
    t->left = LinkBalanced(nodes, mid);
    t->right = LinkBalanced(nodes + mid + 1, n - mid - 1);
    Pull(t);
    return t;
}

} // namespace

void CYearEventTree::AppendToRun(SEventData&& rec)
{
    SNode* node = NewNode(std::move(rec));
    m_runMaxKey = std::max(m_runMaxKey, node->key);
    m_run.push_back(node);
}

void CYearEventTree::EndAppendRun()
{
    if (m_run.empty())
        return;
    Changed();
    if (!m_root) {
        m_root = LinkBalanced(m_run.data(), m_run.size());
    } else {
        for (SNode* node : m_run)
            m_root = InsertAt(m_root, SizeOf(m_root), node);
    }
    m_run.clear();
    m_run.shrink_to_fit();
    m_runMaxKey = INT64_MIN;
}

bool CYearEventTree::BelongsAtEnd(const SEventData& rec) const
{
    const int64_t key = SortKey(rec);
    return (!m_root || m_root->maxKey <= key) && m_runMaxKey <= key;
}

bool CYearEventTree::InsertSorted(SEventData& rec)
{
    const int64_t key = SortKey(rec);
    if (!m_root || m_root->maxKey <= key)
        return false;
    Changed();
    SNode* node = NewNode(std::move(rec));
    m_root = InsertByKey(m_root, node, key);
    return true;
}

SEventData CYearEventTree::Erase(int pos)
{
    Changed();
    SNode* erased = nullptr;
    m_root = EraseAt(m_root, pos, erased);
    SEventData out(std::move(erased->data));
    FreeNode(erased);
    return out;
}

void CYearEventTree::Replace(int pos, SEventData&& rec)
{
    Changed();
    SNode* n = NodeAt(pos);
    n->data = std::move(rec);
    n->Refresh();
    RefreshPath(m_root, pos);
}

void CYearEventTree::SwapWithNext(int pos)
{
    Changed();
    SNode* a = NodeAt(pos);
    SNode* b = NodeAt(pos + 1);
    std::swap(a->data, b->data);
    a->Refresh();
    b->Refresh();
    RefreshPath(m_root, pos);
    RefreshPath(m_root, pos + 1);
}

int CYearEventTree::FirstYearFrom(int32_t year, bool strict, int filter, int* visibleIndex) const
{
    if (visibleIndex)
        *visibleIndex = -1;
    const int f = NormalizeFilter(filter);
    if (f < 0)
        return -1;
    auto reaches = [&](const SNode* s) {
        return s && s->count[f] > 0 && (strict ? s->maxYear[f] > year : s->maxYear[f] >= year);
    };
    if (!reaches(m_root))
        return -1;
    int pos = 0;
    int vis = 0;
    const SNode* t = m_root;
    while (t) {
        if (reaches(t->left)) {
            t = t->left;
            continue;
        }
        pos += SizeOf(t->left);
        vis += CountOf(t->left, f);
        if (t->cls <= f) {
            if (strict ? t->year > year : t->year >= year) {
                if (visibleIndex)
                    *visibleIndex = vis;
                return pos;
            }
            ++vis;
        }
        ++pos;
        t = t->right;
    }
    return -1;
}

int CYearEventTree::FirstOfYear(int32_t year, int filter, int* visibleIndex) const
{
    if (visibleIndex)
        *visibleIndex = -1;
    const int f = NormalizeFilter(filter);
    if (f < 0)
        return -1;
    if (Descents() == 0) {
        // Sorted by year: the first record at or after the year is the one.
        int vis = -1;
        const int pos = FirstYearFrom(year, false, f, &vis);
        if (pos < 0 || At(pos)->year != year)
            return -1;
        if (visibleIndex)
            *visibleIndex = vis;
        return pos;
    }
    const int pos = FirstMatchOfYear(year, f, [](const SEventData&) { return true; });
    if (pos >= 0 && visibleIndex)
        *visibleIndex = Rank(pos, f);
    return pos;
}

int CYearEventTree::FirstMatchOfYear(int32_t year, int filter,
                                     const std::function<bool(const SEventData&)>& match) const
{
    const int f = NormalizeFilter(filter);
    if (f < 0)
        return -1;
    if (UseYearIndex()) {
        for (const SYearEntry& e : YearSpan(year)) {
            if (e.node->cls <= f && match(e.node->data))
                return e.pos;
        }
        return -1;
    }
    return FindIn(m_root, 0, 0, f, year, year, match);
}

int CYearEventTree::CountOfYear(int32_t year, int filter) const
{
    const int f = NormalizeFilter(filter);
    if (f < 0)
        return 0;
    if (Descents() == 0) {
        const int total = CountOf(m_root, f);
        int from = -1, past = -1;
        if (FirstYearFrom(year, false, f, &from) < 0)
            return 0;
        if (FirstYearFrom(year, true, f, &past) < 0)
            past = total;
        return past - from;
    }
    if (UseYearIndex()) {
        int n = 0;
        for (const SYearEntry& e : YearSpan(year))
            n += e.node->cls <= f ? 1 : 0;
        return n;
    }
    return CountYearIn(m_root, f, year);
}

void CYearEventTree::CollectYear(int32_t year, int filter, std::vector<SEventData*>& out) const
{
    const int f = NormalizeFilter(filter);
    if (f < 0)
        return;
    if (UseYearIndex()) {
        for (const SYearEntry& e : YearSpan(year)) {
            if (e.node->cls <= f)
                out.push_back(&e.node->data);
        }
        return;
    }
    CollectYearIn(m_root, f, year, out);
}

bool CYearEventTree::UseYearIndex() const
{
    // The pruned descents visit about every subtree that holds a record out
    // of year order and spans the year asked for; with many of those a
    // sorted index, rebuilt once after a change, is far cheaper.
    const int64_t descents = Descents();
    return descents > std::max<int64_t>(16, Size() / 1024);
}

CYearEventTree::SYearSpan CYearEventTree::YearSpan(int32_t year) const
{
    if (!m_yearIndexValid) {
        m_yearIndex.clear();
        m_yearIndex.reserve(static_cast<size_t>(Size()));
        // In-order walk with an explicit stack: positions come out ascending.
        std::vector<SNode*> stack;
        SNode* t = m_root;
        int pos = 0;
        while (t || !stack.empty()) {
            while (t) {
                stack.push_back(t);
                t = t->left;
            }
            t = stack.back();
            stack.pop_back();
            m_yearIndex.push_back(SYearEntry{t->year, pos++, t});
            t = t->right;
        }
        std::stable_sort(m_yearIndex.begin(), m_yearIndex.end(),
                         [](const SYearEntry& a, const SYearEntry& b) { return a.year < b.year; });
        m_yearIndexValid = true;
    }
    auto lower = std::lower_bound(m_yearIndex.begin(), m_yearIndex.end(), year,
                                  [](const SYearEntry& e, int32_t y) { return e.year < y; });
    auto upper = std::upper_bound(lower, m_yearIndex.end(), year,
                                  [](int32_t y, const SYearEntry& e) { return y < e.year; });
    return SYearSpan{m_yearIndex.data() + (lower - m_yearIndex.begin()),
                     m_yearIndex.data() + (upper - m_yearIndex.begin())};
}

void CYearEventTree::Changed()
{
    if (m_yearIndexValid) {
        m_yearIndexValid = false;
        m_yearIndex.clear();
    }
}

int CYearEventTree::FindFrom(int start, int filter, int32_t lo, int32_t hi,
                             const std::function<bool(const SEventData&)>& match) const
{
    const int f = NormalizeFilter(filter);
    if (f < 0 || lo > hi)
        return -1;
    return FindIn(m_root, 0, std::max(start, 0), f, lo, hi, match);
}

bool CYearEventTree::YearRange(int32_t& minYear, int32_t& maxYear) const
{
    if (!m_root)
        return false;
    minYear = m_root->minYear[kFilters - 1];
    maxYear = m_root->maxYear[kFilters - 1];
    return true;
}
