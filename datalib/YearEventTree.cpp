#include "YearEventTree.h"

#include <algorithm>
#include <climits>
#include <utility>

struct CYearEventTree::SNode
{
    explicit SNode(SEventData&& rec, uint32_t heapKey) : data(std::move(rec)), heap(heapKey) {}

    SEventData data;
    SNode* left = nullptr;
    SNode* right = nullptr;
    uint32_t heap;
    // Per filter: visible records, their least and greatest year (INT32_MAX
    // and INT32_MIN when there are none; test the count, not the sentinel).
    int32_t count[kFilters];
    int32_t minYear[kFilters];
    int32_t maxYear[kFilters];
    // Greatest (year, date key) of the subtree, all records.
    int64_t maxKey;
    // Years of the subtree's first and last record in list order, and its
    // adjacent pairs whose years decrease.
    int32_t firstYear;
    int32_t lastYear;
    int32_t descents;
};

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

void Pull(SNode* t)
{
    const SNode* l = t->left;
    const SNode* r = t->right;
    const int cls = CYearEventTree::PriorityClass(t->data.priority);
    const int32_t y = t->data.year;
    for (int f = 0; f < CYearEventTree::kFilters; ++f) {
        int32_t c = 0;
        int32_t lo = INT32_MAX;
        int32_t hi = INT32_MIN;
        if (l) {
            c += l->count[f];
            lo = l->minYear[f];
            hi = l->maxYear[f];
        }
        if (cls <= f) {
            ++c;
            lo = std::min(lo, y);
            hi = std::max(hi, y);
        }
        if (r) {
            c += r->count[f];
            lo = std::min(lo, r->minYear[f]);
            hi = std::max(hi, r->maxYear[f]);
        }
        t->count[f] = c;
        t->minYear[f] = lo;
        t->maxYear[f] = hi;
    }
    int64_t key = CYearEventTree::SortKey(t->data);
    if (l)
        key = std::max(key, l->maxKey);
    if (r)
        key = std::max(key, r->maxKey);
    t->maxKey = key;

    int32_t d = 0;
    if (l) {
        d += l->descents + (l->lastYear > y ? 1 : 0);
        t->firstYear = l->firstYear;
    } else {
        t->firstYear = y;
    }
    if (r) {
        d += r->descents + (y > r->firstYear ? 1 : 0);
        t->lastYear = r->lastYear;
    } else {
        t->lastYear = y;
    }
    t->descents = d;
}

// l := the first k records of t, r := the rest.
void Split(SNode* t, int k, SNode*& l, SNode*& r)
{
    if (!t) {
        l = r = nullptr;
        return;
    }
    const int ls = SizeOf(t->left);
    if (k <= ls) {
        Split(t->left, k, l, t->left);
        r = t;
    } else {
        Split(t->right, k - ls - 1, t->right, r);
        l = t;
    }
    Pull(t);
}

SNode* Merge(SNode* a, SNode* b)
{
    if (!a)
        return b;
    if (!b)
        return a;
    if (a->heap > b->heap) {
        a->right = Merge(a->right, b);
        Pull(a);
        return a;
    }
    b->left = Merge(a, b->left);
    Pull(b);
    return b;
}

SNode* InsertAt(SNode* t, int pos, SNode* node)
{
    if (!t) {
        Pull(node);
        return node;
    }
    if (node->heap > t->heap) {
        Split(t, pos, node->left, node->right);
        Pull(node);
        return node;
    }
    const int ls = SizeOf(t->left);
    if (pos <= ls)
        t->left = InsertAt(t->left, pos, node);
    else
        t->right = InsertAt(t->right, pos - ls - 1, node);
    Pull(t);
    return t;
}

SNode* EraseAt(SNode* t, int pos, SNode*& erased)
{
    const int ls = SizeOf(t->left);
    if (pos == ls) {
        erased = t;
        return Merge(t->left, t->right);
    }
    if (pos < ls)
        t->left = EraseAt(t->left, pos, erased);
    else
        t->right = EraseAt(t->right, pos - ls - 1, erased);
    Pull(t);
    return t;
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

SNode* Clone(const SNode* t)
{
    if (!t)
        return nullptr;
    SNode* n = new SNode(SEventData(t->data), t->heap);
    n->left = Clone(t->left);
    n->right = Clone(t->right);
    Pull(n);
    return n;
}

void Destroy(SNode* t)
{
    while (t) {
        // Peel the left spine onto the right so that the recursion only
        // follows right children, which a treap keeps shallow anyway.
        if (t->left) {
            SNode* l = t->left;
            t->left = l->right;
            l->right = t;
            t = l;
            continue;
        }
        SNode* next = t->right;
        delete t;
        t = next;
    }
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
    const SEventData& d = t->data;
    if (pos >= start && CYearEventTree::PriorityClass(d.priority) <= f && d.year >= lo &&
        d.year <= hi && match(d))
        return pos;
    return FindIn(t->right, pos + 1, start, f, lo, hi, match);
}

int CountYearIn(const SNode* t, int f, int32_t year)
{
    if (!Overlaps(t, f, year, year))
        return 0;
    if (t->minYear[f] == year && t->maxYear[f] == year)
        return t->count[f];
    const bool own = CYearEventTree::PriorityClass(t->data.priority) <= f && t->data.year == year;
    return CountYearIn(t->left, f, year) + (own ? 1 : 0) + CountYearIn(t->right, f, year);
}

void CollectYearIn(SNode* t, int f, int32_t year, std::vector<SEventData*>& out)
{
    if (!Overlaps(t, f, year, year))
        return;
    CollectYearIn(t->left, f, year, out);
    if (CYearEventTree::PriorityClass(t->data.priority) <= f && t->data.year == year)
        out.push_back(&t->data);
    CollectYearIn(t->right, f, year, out);
}

// Recounts a subtree; false when any stored aggregate or the heap order is
// wrong. Fills a node with the true values.
bool CheckNode(const SNode* t, SNode& truth)
{
    SNode l(SEventData(), 0), r(SEventData(), 0);
    const bool hasL = t->left != nullptr, hasR = t->right != nullptr;
    if (hasL && (t->left->heap > t->heap || !CheckNode(t->left, l)))
        return false;
    if (hasR && (t->right->heap > t->heap || !CheckNode(t->right, r)))
        return false;
    SNode probe(SEventData(t->data), t->heap);
    probe.left = hasL ? &l : nullptr;
    probe.right = hasR ? &r : nullptr;
    Pull(&probe);
    probe.left = probe.right = nullptr;
    for (int f = 0; f < CYearEventTree::kFilters; ++f) {
        if (probe.count[f] != t->count[f] || probe.minYear[f] != t->minYear[f] ||
            probe.maxYear[f] != t->maxYear[f])
            return false;
    }
    if (probe.maxKey != t->maxKey || probe.firstYear != t->firstYear ||
        probe.lastYear != t->lastYear || probe.descents != t->descents)
        return false;
    std::copy(std::begin(t->count), std::end(t->count), std::begin(truth.count));
    std::copy(std::begin(t->minYear), std::end(t->minYear), std::begin(truth.minYear));
    std::copy(std::begin(t->maxYear), std::end(t->maxYear), std::begin(truth.maxYear));
    truth.maxKey = t->maxKey;
    truth.firstYear = t->firstYear;
    truth.lastYear = t->lastYear;
    truth.descents = t->descents;
    return true;
}

} // namespace

CYearEventTree::CYearEventTree() = default;

CYearEventTree::~CYearEventTree()
{
    Destroy(m_root);
}

CYearEventTree::CYearEventTree(const CYearEventTree& other)
    : m_root(Clone(other.m_root)), m_seed(other.m_seed)
{}

CYearEventTree& CYearEventTree::operator=(const CYearEventTree& other)
{
    if (this != &other) {
        SNode* copy = Clone(other.m_root);
        Destroy(m_root);
        m_root = copy;
        m_seed = other.m_seed;
    }
    return *this;
}

uint32_t CYearEventTree::NextHeapKey()
{
    // splitmix64: cheap, and good enough to keep the treap balanced.
    uint64_t z = (m_seed += 0x9E3779B97F4A7C15ULL);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ULL;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBULL;
    return static_cast<uint32_t>((z ^ (z >> 31)) >> 32);
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
    Destroy(m_root);
    m_root = nullptr;
}

SEventData* CYearEventTree::At(int pos) const
{
    if (pos < 0 || pos >= Size())
        return nullptr;
    SNode* t = m_root;
    while (t) {
        const int ls = SizeOf(t->left);
        if (pos < ls) {
            t = t->left;
        } else if (pos == ls) {
            return &t->data;
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
        if (PriorityClass(t->data.priority) <= f) {
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
        rank += CountOf(t->left, f) + (PriorityClass(t->data.priority) <= f ? 1 : 0);
        pos -= ls + 1;
        t = t->right;
    }
    return rank;
}

void CYearEventTree::Insert(int pos, SEventData&& rec)
{
    pos = std::max(0, std::min(pos, Size()));
    SNode* node = new SNode(std::move(rec), NextHeapKey());
    m_root = InsertAt(m_root, pos, node);
}

SEventData CYearEventTree::Erase(int pos)
{
    SNode* erased = nullptr;
    m_root = EraseAt(m_root, pos, erased);
    SEventData out(std::move(erased->data));
    delete erased;
    return out;
}

void CYearEventTree::Replace(int pos, SEventData&& rec)
{
    *At(pos) = std::move(rec);
    RefreshPath(m_root, pos);
}

void CYearEventTree::SwapWithNext(int pos)
{
    std::swap(*At(pos), *At(pos + 1));
    RefreshPath(m_root, pos);
    RefreshPath(m_root, pos + 1);
}

int CYearEventTree::FirstAfterKey(int64_t key) const
{
    if (!m_root || m_root->maxKey <= key)
        return -1;
    int pos = 0;
    const SNode* t = m_root;
    while (t) {
        if (t->left && t->left->maxKey > key) {
            t = t->left;
            continue;
        }
        pos += SizeOf(t->left);
        if (SortKey(t->data) > key)
            return pos;
        ++pos;
        t = t->right;
    }
    return -1;
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
        if (PriorityClass(t->data.priority) <= f) {
            if (strict ? t->data.year > year : t->data.year >= year) {
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
    const int pos = FindIn(m_root, 0, 0, f, year, year, [](const SEventData&) { return true; });
    if (pos >= 0 && visibleIndex)
        *visibleIndex = Rank(pos, f);
    return pos;
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
    return CountYearIn(m_root, f, year);
}

void CYearEventTree::CollectYear(int32_t year, int filter, std::vector<SEventData*>& out) const
{
    const int f = NormalizeFilter(filter);
    if (f >= 0)
        CollectYearIn(m_root, f, year, out);
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

bool CYearEventTree::CheckInvariants() const
{
    if (!m_root)
        return true;
    SNode truth(SEventData(), 0);
    return CheckNode(m_root, truth);
}
