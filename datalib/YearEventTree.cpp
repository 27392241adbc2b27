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
    // Trees (and parents) that hold this node: copies of a table share
    // their nodes until one of them changes.
    uint16_t refs = 1;

    SEventData data;
};

static_assert(sizeof(CYearEventTree::SNode) <= 192, "a node should fit three cache lines");

// Nodes come from chunks: a million single allocations are slow and scatter
// the tree over the heap. Copies of a tree share the pool with their nodes.
struct CYearEventTree::SPool
{
    static constexpr size_t kChunkNodes = 4096;
    std::vector<void*> chunks;
    std::vector<SNode*> free;
    size_t fill = 0;

    SPool() = default;
    SPool(const SPool&) = delete;
    SPool& operator=(const SPool&) = delete;
    ~SPool()
    {
        for (void* chunk : chunks)
            ::operator delete(chunk, std::align_val_t(alignof(SNode)));
    }
    void* Place()
    {
        if (!free.empty()) {
            void* place = free.back();
            free.pop_back();
            return place;
        }
        if (chunks.empty() || fill == kChunkNodes) {
            chunks.push_back(
                ::operator new(kChunkNodes * sizeof(SNode), std::align_val_t(alignof(SNode))));
            fill = 0;
        }
        return static_cast<SNode*>(chunks.back()) + fill++;
    }
    SNode* New(SEventData&& rec) { return new (Place()) SNode(std::move(rec)); }
    void Free(SNode* node)
    {
        node->~SNode();
        free.push_back(node);
    }
};

namespace {

using SNode = CYearEventTree::SNode;
using SPool = CYearEventTree::SPool;

// t itself when no other tree holds it, else a copy of it for this tree
// (which then holds t's children too): every node a change writes to goes
// through here first, so that copies never see each other's changes.
SNode* Own(SPool& pool, SNode* t)
{
    if (!t || t->refs == 1)
        return t;
    SNode* copy = new (pool.Place()) SNode(*t);
    copy->refs = 1;
    if (copy->left)
        ++copy->left->refs;
    if (copy->right)
        ++copy->right->refs;
    --t->refs;
    return copy;
}

// Lets go of a subtree: nodes no other tree holds are freed.
void Release(SPool& pool, SNode* t)
{
    std::vector<SNode*> stack;
    if (t)
        stack.push_back(t);
    while (!stack.empty()) {
        SNode* n = stack.back();
        stack.pop_back();
        if (--n->refs > 0)
            continue;
        if (n->left)
            stack.push_back(n->left);
        if (n->right)
            stack.push_back(n->right);
        pool.Free(n);
    }
}

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

SNode* RotateRight(SPool& pool, SNode* t)
{
    t = Own(pool, t);
    SNode* l = Own(pool, t->left);
    t->left = l->right;
    l->right = t;
    Pull(t);
    Pull(l);
    return l;
}

SNode* RotateLeft(SPool& pool, SNode* t)
{
    t = Own(pool, t);
    SNode* r = Own(pool, t->right);
    t->right = r->left;
    r->left = t;
    Pull(t);
    Pull(r);
    return r;
}

// Restores the AVL balance at t (which this tree holds alone) after one of
// its subtrees changed height by at most one, and its aggregates.
SNode* Balance(SPool& pool, SNode* t)
{
    const int diff = HeightOf(t->left) - HeightOf(t->right);
    if (diff > 1) {
        if (HeightOf(t->left->left) < HeightOf(t->left->right))
            t->left = RotateLeft(pool, t->left);
        return RotateRight(pool, t);
    }
    if (diff < -1) {
        if (HeightOf(t->right->right) < HeightOf(t->right->left))
            t->right = RotateRight(pool, t->right);
        return RotateLeft(pool, t);
    }
    Pull(t);
    return t;
}

SNode* InsertAt(SPool& pool, SNode* t, int pos, SNode* node)
{
    if (!t) {
        Pull(node);
        return node;
    }
    t = Own(pool, t);
    const int ls = SizeOf(t->left);
    if (pos <= ls)
        t->left = InsertAt(pool, t->left, pos, node);
    else
        t->right = InsertAt(pool, t->right, pos - ls - 1, node);
    return Balance(pool, t);
}

SNode* RemoveFirst(SPool& pool, SNode* t, SNode*& first)
{
    t = Own(pool, t);
    if (!t->left) {
        first = t;
        return t->right;
    }
    t->left = RemoveFirst(pool, t->left, first);
    return Balance(pool, t);
}

// Unlinks the node at pos (this tree's own by then). Nodes off the path stay
// where they are in memory, so pointers to their records remain valid.
SNode* EraseAt(SPool& pool, SNode* t, int pos, SNode*& erased)
{
    t = Own(pool, t);
    const int ls = SizeOf(t->left);
    if (pos < ls) {
        t->left = EraseAt(pool, t->left, pos, erased);
        return Balance(pool, t);
    }
    if (pos > ls) {
        t->right = EraseAt(pool, t->right, pos - ls - 1, erased);
        return Balance(pool, t);
    }
    erased = t;
    if (!t->left)
        return t->right;
    if (!t->right)
        return t->left;
    SNode* successor = nullptr;
    SNode* rest = RemoveFirst(pool, t->right, successor);
    successor->left = t->left;
    successor->right = rest;
    return Balance(pool, successor);
}

// Makes every node on the path to pos this tree's own.
SNode* OwnPath(SPool& pool, SNode* t, int pos)
{
    t = Own(pool, t);
    const int ls = SizeOf(t->left);
    if (pos < ls)
        t->left = OwnPath(pool, t->left, pos);
    else if (pos > ls)
        t->right = OwnPath(pool, t->right, pos - ls - 1);
    return t;
}

// Recomputes the aggregates on the path to pos (owned: see OwnPath) after
// its record changed.
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
SNode* InsertByKey(SPool& pool, SNode* t, SNode* node, int64_t key)
{
    __builtin_prefetch(t->right);
    t = Own(pool, t);
    if (t->left && t->left->maxKey > key)
        t->left = InsertByKey(pool, t->left, node, key);
    else if (t->key > key)
        t->left = InsertAt(pool, t->left, SizeOf(t->left), node);
    else
        t->right = InsertByKey(pool, t->right, node, key);
    return Balance(pool, t);
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

CYearEventTree::CYearEventTree() : m_pool(std::make_shared<SPool>()) {}

CYearEventTree::~CYearEventTree()
{
    Clear();
}

// A copy shares every node with the original; whichever changes first copies
// the nodes on the path it changes, so that a copy costs nothing until then.
CYearEventTree::CYearEventTree(const CYearEventTree& other) : m_pool(other.m_pool)
{
    m_root = other.m_root;
    if (m_root) {
        if (m_root->refs == UINT16_MAX) {
            // Too many copies of one tree share its root: this one copies
            // every node instead.
            m_root = CloneFrom(other.m_root);
        } else {
            ++m_root->refs;
        }
    }
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
    m_pool.swap(other.m_pool);
    m_yearIndex.swap(other.m_yearIndex);
    std::swap(m_yearIndexValid, other.m_yearIndexValid);
}

CYearEventTree::SNode* CYearEventTree::NewNode(SEventData&& rec)
{
    return m_pool->New(std::move(rec));
}

void CYearEventTree::FreeNode(SNode* node)
{
    m_pool->Free(node);
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
    EndAppendRun();
    Release(*m_pool, m_root);
    m_root = nullptr;
    Changed();
    m_yearIndex.shrink_to_fit();
    // Memory goes back at once unless a copy still uses the pool.
    if (m_pool.use_count() > 1)
        m_pool = std::make_shared<SPool>();
    else if (!m_pool->chunks.empty())
        m_pool = std::make_shared<SPool>();
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
    m_root = InsertAt(*m_pool, m_root, pos, node);
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
            m_root = InsertAt(*m_pool, m_root, SizeOf(m_root), node);
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
    m_root = InsertByKey(*m_pool, m_root, node, key);
    return true;
}

SEventData CYearEventTree::Erase(int pos)
{
    Changed();
    SNode* erased = nullptr;
    m_root = EraseAt(*m_pool, m_root, pos, erased);
    SEventData out(std::move(erased->data));
    FreeNode(erased);
    return out;
}

void CYearEventTree::Replace(int pos, SEventData&& rec)
{
    Changed();
    m_root = OwnPath(*m_pool, m_root, pos);
    SNode* n = NodeAt(pos);
    n->data = std::move(rec);
    n->Refresh();
    RefreshPath(m_root, pos);
}

void CYearEventTree::SwapWithNext(int pos)
{
    Changed();
    m_root = OwnPath(*m_pool, m_root, pos);
    m_root = OwnPath(*m_pool, m_root, pos + 1);
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
