#include "YearEventTree.h"

#include <algorithm>
#include <climits>
#include <cstring>
#include <mutex>
#include <new>
#include <sys/mman.h>
#include <type_traits>
#include <unordered_map>
#include <utility>

namespace {

constexpr int kLeafCap = 64;
constexpr int kFan = 32;
// A node with fewer entries than this is merged with a neighbour when the
// two fit in one.
constexpr int kLeafMin = kLeafCap / 4;
constexpr int kInnerMin = kFan / 4;

// What a subtree holds, in the terms the questions ask.
struct SAgg
{
    // Per filter: visible records (count[3] is the subtree's size).
    int32_t count[CYearEventTree::kFilters];
    // Per filter: least and greatest visible year (INT32_MAX and INT32_MIN
    // when there are none; test the count, not the sentinel).
    int32_t minYear[CYearEventTree::kFilters];
    int32_t maxYear[CYearEventTree::kFilters];
    // The greatest (year, date key).
    int64_t maxKey;
    // Years of the first and last record in list order, and the adjacent
    // pairs whose years decrease.
    int32_t firstYear;
    int32_t lastYear;
    int64_t descents;

    void Reset()
    {
        for (int f = 0; f < CYearEventTree::kFilters; ++f) {
            count[f] = 0;
            minYear[f] = INT32_MAX;
            maxYear[f] = INT32_MIN;
        }
        maxKey = INT64_MIN;
        firstYear = INT32_MAX;
        lastYear = INT32_MIN;
        descents = 0;
    }
};

} // namespace

struct CYearEventTree::SNode
{
    // Trees and parents that hold this node: copies of a table share their
    // nodes until one of them changes.
    uint32_t refs;
    uint16_t n;
    bool leaf;
    SAgg agg;
    union {
        SNode* child[kFan];
        uint32_t slot[kLeafCap];
    };
};

namespace {

// The memory of a large table comes in big regions mapped directly and
// marked for huge pages where the system offers them: a million records
// first touched one 4 KB page at a time cost a page fault every hundred
// records, which was a quarter of the time a large library took to load.
// Small tables never come here, so that they take no more than they use.
//
// The regions are carved by every large table of the process in turn, so
// that only the last region, not one per table, is partly used: a huge page
// is resident as a whole once touched. A region goes when the last storage
// that carved from it goes; the pieces of a storage that went before stay
// until then (the tables of a project come and go together).
class CRegionArena
{
public:
    struct SRegion
    {
        void* base;
        size_t length;
        int users;
    };

    static CRegionArena& Instance()
    {
        static CRegionArena* arena = new CRegionArena; // outlives every table
        return *arena;
    }

    // A piece of bytes (far below kRegion), 64-byte aligned. The regions
    // the pieces come from are added to held, each once; the caller lets go
    // of them through Release when it keeps none of its pieces any longer.
    void* Carve(size_t bytes, std::vector<SRegion*>& held)
    {
        bytes = (bytes + 63) & ~size_t(63);
        std::lock_guard<std::mutex> lock(m_mutex);
        if (!m_current || bytes > m_left)
            MapRegion();
        if (held.empty() || held.back() != m_current) {
            held.push_back(m_current);
            ++m_current->users;
        }
        void* piece = m_next;
        m_next += bytes;
        m_left -= bytes;
        return piece;
    }

    void Release(const std::vector<SRegion*>& held)
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        for (SRegion* region : held) {
            if (--region->users > 0)
                continue;
            if (region == m_current)
                m_current = nullptr;
            ::munmap(region->base, region->length);
            delete region;
        }
    }

private:
    static constexpr size_t kHuge = size_t(2) << 20;
    static constexpr size_t kRegion = 4 * kHuge;

    void MapRegion()
    {
        const size_t length = kRegion + kHuge;
        void* base = ::mmap(nullptr, length, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS,
                            -1, 0);
        if (base == MAP_FAILED)
            throw std::bad_alloc();
        // The region it replaces stays with the storages that carved from it.
        m_current = new SRegion{base, length, 0};
        const uintptr_t at = (reinterpret_cast<uintptr_t>(base) + kHuge - 1) & ~(kHuge - 1);
        m_next = reinterpret_cast<char*>(at);
        m_left = kRegion;
        ::madvise(m_next, kRegion, MADV_HUGEPAGE);
    }

    std::mutex m_mutex;
    SRegion* m_current = nullptr;
    char* m_next = nullptr;
    size_t m_left = 0;
};

// How many leaves hold each record slot, in two bits a slot: 0 (free), 1, 2,
// or 3 for three or more, whose count is kept aside. Copies of a table are
// few and share most leaves, so a slot is nearly always held once, and a
// million slots take 256 KB instead of a word each.
class CSlotRefs
{
public:
    size_t size() const { return m_size; }
    void push_back()
    {
        if ((m_size & 3) == 0)
            m_bits.push_back(0);
        ++m_size;
    }
    uint32_t operator[](uint32_t s) const
    {
        const uint32_t code = Code(s);
        return code < 3 ? code : m_many.at(s);
    }
    void Set1(uint32_t s) { SetCode(s, 1); }
    void Hold(uint32_t s)
    {
        const uint32_t code = Code(s);
        if (code < 2) {
            SetCode(s, code + 1);
        } else if (code == 2) {
            SetCode(s, 3);
            m_many[s] = 3;
        } else {
            ++m_many[s];
        }
    }
    // Returns the count left.
    uint32_t Drop(uint32_t s)
    {
        const uint32_t code = Code(s);
        if (code < 3) {
            SetCode(s, code - 1);
            return code - 1;
        }
        const auto it = m_many.find(s);
        if (--it->second > 2)
            return it->second;
        m_many.erase(it);
        SetCode(s, 2);
        return 2;
    }

private:
    uint32_t Code(uint32_t s) const { return (m_bits[s >> 2] >> ((s & 3) * 2)) & 3u; }
    void SetCode(uint32_t s, uint32_t code)
    {
        uint8_t& byte = m_bits[s >> 2];
        const unsigned shift = (s & 3) * 2;
        byte = static_cast<uint8_t>((byte & ~(3u << shift)) | (code << shift));
    }

    std::vector<uint8_t> m_bits;
    size_t m_size = 0;
    std::unordered_map<uint32_t, uint32_t> m_many;
};

} // namespace

// The storage that copies of a table share: record slots in chunks that
// never move, the blocks of texts read from files, and the nodes.
struct CYearEventTree::SPool
{
    static constexpr uint32_t kChunkShift = 12;
    static constexpr uint32_t kChunkSlots = 1u << kChunkShift;
    // The size of a chunk of slots, so that the pieces of a large table fill
    // a region to the last byte.
    static constexpr size_t kTextChunk = kChunkSlots * sizeof(SEventData);
    static constexpr size_t kNodeChunk = 256;
    // From this many slot chunks on, memory comes from big regions.
    static constexpr size_t kLargeChunks = 16;

    // The regions this storage carved pieces from.
    std::vector<CRegionArena::SRegion*> regions;
    // Pieces from the heap, for a table still small.
    std::vector<void*> heapPieces;

    std::vector<SEventData*> chunks;
    // Per slot: the leaves that hold it; 0 when free.
    CSlotRefs refs;
    std::vector<uint32_t> freeSlots;
    char* textNext = nullptr;
    size_t textLeft = 0;
    std::vector<SNode*> nodeChunks;
    std::vector<SNode*> freeNodes;
    size_t nodeFill = kNodeChunk;

    SPool() = default;
    SPool(const SPool&) = delete;
    SPool& operator=(const SPool&) = delete;
    ~SPool()
    {
        // Whatever still lives here is let go in bulk: lent texts need no
        // freeing, so a table read from a file goes without a walk.
        for (size_t s = 0; s < refs.size(); ++s) {
            if (refs[s] != 0)
                Rec(static_cast<uint32_t>(s)).~SEventData();
        }
        for (void* piece : heapPieces)
            ::operator delete(piece);
        for (SNode* chunk : nodeChunks)
            ::operator delete(chunk);
        CRegionArena::Instance().Release(regions);
    }

    void* Piece(size_t bytes)
    {
        if (chunks.size() >= kLargeChunks)
            return CRegionArena::Instance().Carve(bytes, regions);
        heapPieces.push_back(::operator new(bytes));
        return heapPieces.back();
    }

    SEventData& Rec(uint32_t s) const { return chunks[s >> kChunkShift][s & (kChunkSlots - 1)]; }

    uint32_t NewSlot(SEventData&& rec)
    {
        uint32_t s;
        if (!freeSlots.empty()) {
            s = freeSlots.back();
            freeSlots.pop_back();
        } else {
            s = static_cast<uint32_t>(refs.size());
            if ((s & (kChunkSlots - 1)) == 0)
                chunks.push_back(static_cast<SEventData*>(Piece(kChunkSlots * sizeof(SEventData))));
            refs.push_back();
        }
        new (&Rec(s)) SEventData(std::move(rec));
        refs.Set1(s);
        return s;
    }
    void Hold(uint32_t s) { refs.Hold(s); }
    void Drop(uint32_t s)
    {
        if (refs.Drop(s) == 0) {
            Rec(s).~SEventData();
            freeSlots.push_back(s);
        }
    }

    // A text in a block of this storage (which lives as long as any record).
    void Lend(CRecordText& text, std::string_view s)
    {
        text.~CRecordText();
        if (s.empty()) {
            new (&text) CRecordText();
            return;
        }
        const size_t need = CRecordText::BlockSize(s.size());
        char* place;
        if (need > kTextChunk / 4) {
            place = static_cast<char*>(::operator new(need));
            heapPieces.push_back(place);
        } else {
            if (need > textLeft) {
                textNext = static_cast<char*>(Piece(kTextChunk));
                textLeft = kTextChunk;
            }
            place = textNext;
            textNext += need;
            textLeft -= need;
        }
        new (&text) CRecordText(CRecordText::Lend(place, s));
    }

    SNode* NewNode(bool leaf)
    {
        SNode* t;
        if (!freeNodes.empty()) {
            t = freeNodes.back();
            freeNodes.pop_back();
        } else {
            if (nodeFill == kNodeChunk) {
                nodeChunks.push_back(static_cast<SNode*>(::operator new(kNodeChunk * sizeof(SNode))));
                nodeFill = 0;
            }
            t = nodeChunks.back() + nodeFill++;
        }
        t->refs = 1;
        t->n = 0;
        t->leaf = leaf;
        t->agg.Reset();
        return t;
    }
    void FreeNode(SNode* t) { freeNodes.push_back(t); }
};

namespace {

using SNode = CYearEventTree::SNode;
using SPool = CYearEventTree::SPool;

inline int SizeOf(const SNode* t)
{
    return t ? t->agg.count[CYearEventTree::kFilters - 1] : 0;
}

inline int ClassOf(const SEventData& rec)
{
    return CYearEventTree::PriorityClass(rec.priority);
}

// Recomputes t's aggregates from its entries.
void Pull(const SPool& pool, SNode* t)
{
    SAgg& a = t->agg;
    a.Reset();
    if (t->leaf) {
        int32_t prev = INT32_MIN;
        for (int i = 0; i < t->n; ++i) {
            const SEventData& rec = pool.Rec(t->slot[i]);
            const int32_t y = rec.year;
            for (int f = ClassOf(rec); f < CYearEventTree::kFilters; ++f) {
                ++a.count[f];
                a.minYear[f] = std::min(a.minYear[f], y);
                a.maxYear[f] = std::max(a.maxYear[f], y);
            }
            a.maxKey = std::max(a.maxKey, CYearEventTree::SortKey(rec));
            if (i == 0)
                a.firstYear = y;
            else if (prev > y)
                ++a.descents;
            prev = y;
        }
        a.lastYear = prev;
        return;
    }
    for (int i = 0; i < t->n; ++i) {
        const SAgg& c = t->child[i]->agg;
        for (int f = 0; f < CYearEventTree::kFilters; ++f) {
            a.count[f] += c.count[f];
            a.minYear[f] = std::min(a.minYear[f], c.minYear[f]);
            a.maxYear[f] = std::max(a.maxYear[f], c.maxYear[f]);
        }
        a.maxKey = std::max(a.maxKey, c.maxKey);
        a.descents += c.descents;
        if (i == 0)
            a.firstYear = c.firstYear;
        else if (a.lastYear > c.firstYear)
            ++a.descents;
        a.lastYear = c.lastYear;
    }
}

// t itself when no other tree holds it, else a copy of it for this tree
// (which then holds t's entries too): every node a change writes to goes
// through here first, so that copies never see each other's changes.
SNode* Own(SPool& pool, SNode* t)
{
    if (t->refs == 1)
        return t;
    SNode* copy = pool.NewNode(t->leaf);
    copy->n = t->n;
    copy->agg = t->agg;
    if (t->leaf) {
        std::copy(t->slot, t->slot + t->n, copy->slot);
        for (int i = 0; i < t->n; ++i)
            pool.Hold(t->slot[i]);
    } else {
        std::copy(t->child, t->child + t->n, copy->child);
        for (int i = 0; i < t->n; ++i)
            ++t->child[i]->refs;
    }
    --t->refs;
    return copy;
}

// Lets go of a subtree: nodes and slots no other tree holds are freed.
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
        if (n->leaf) {
            for (int i = 0; i < n->n; ++i)
                pool.Drop(n->slot[i]);
        } else {
            for (int i = 0; i < n->n; ++i)
                stack.push_back(n->child[i]);
        }
        pool.FreeNode(n);
    }
}

// Moves the entries [from, n) of t into the empty node right.
void MoveTail(SNode* t, int from, SNode* right)
{
    const int k = t->n - from;
    if (t->leaf)
        std::copy(t->slot + from, t->slot + t->n, right->slot);
    else
        std::copy(t->child + from, t->child + t->n, right->child);
    right->n = static_cast<uint16_t>(k);
    t->n = static_cast<uint16_t>(from);
}

void InsertChild(SNode* t, int i, SNode* c)
{
    std::copy_backward(t->child + i, t->child + t->n, t->child + t->n + 1);
    t->child[i] = c;
    ++t->n;
}

void RemoveChild(SNode* t, int i)
{
    std::copy(t->child + i + 1, t->child + t->n, t->child + i);
    --t->n;
}

// Inserts slot at pos of t (owned by the caller's tree on return). Returns
// the new right sibling when t had to split, else null.
SNode* InsertIn(SPool& pool, SNode*& t, int pos, uint32_t slot)
{
    t = Own(pool, t);
    if (t->leaf) {
        SNode* right = nullptr;
        SNode* target = t;
        if (t->n == kLeafCap) {
            right = pool.NewNode(true);
            MoveTail(t, kLeafCap / 2, right);
            if (pos > t->n) {
                pos -= t->n;
                target = right;
            }
        }
        std::copy_backward(target->slot + pos, target->slot + target->n,
                           target->slot + target->n + 1);
        target->slot[pos] = slot;
        ++target->n;
        Pull(pool, t);
        if (right)
            Pull(pool, right);
        return right;
    }
    // The child that takes pos: at a boundary, the end of the earlier one.
    int i = 0;
    int before = 0;
    while (i < t->n - 1 && pos > before + SizeOf(t->child[i])) {
        before += SizeOf(t->child[i]);
        ++i;
    }
    SNode* split = InsertIn(pool, t->child[i], pos - before, slot);
    SNode* right = nullptr;
    if (split) {
        if (t->n == kFan) {
            right = pool.NewNode(false);
            MoveTail(t, kFan / 2, right);
            if (i + 1 > t->n)
                InsertChild(right, i + 1 - t->n, split);
            else
                InsertChild(t, i + 1, split);
            Pull(pool, right);
        } else {
            InsertChild(t, i + 1, split);
        }
    }
    Pull(pool, t);
    return right;
}

// Merges child i of t with a neighbour when it has grown small and the two
// fit in one node.
void MendChild(SPool& pool, SNode* t, int i)
{
    SNode* c = t->child[i];
    const int least = c->leaf ? kLeafMin : kInnerMin;
    const int cap = c->leaf ? kLeafCap : kFan;
    if (c->n == 0) {
        RemoveChild(t, i);
        pool.FreeNode(c);
        return;
    }
    if (c->n >= least || t->n < 2)
        return;
    const int l = i + 1 < t->n ? i : i - 1;
    if (t->child[l]->n + t->child[l + 1]->n > cap)
        return;
    SNode* left = t->child[l] = Own(pool, t->child[l]);
    SNode* right = t->child[l + 1] = Own(pool, t->child[l + 1]);
    // The entries change hands: whatever right held, left holds now.
    if (left->leaf)
        std::copy(right->slot, right->slot + right->n, left->slot + left->n);
    else
        std::copy(right->child, right->child + right->n, left->child + left->n);
    left->n = static_cast<uint16_t>(left->n + right->n);
    RemoveChild(t, l + 1);
    pool.FreeNode(right);
    Pull(pool, left);
}

// Takes the slot at pos out of t (owned on return).
void EraseIn(SPool& pool, SNode*& t, int pos, uint32_t& slot)
{
    t = Own(pool, t);
    if (t->leaf) {
        slot = t->slot[pos];
        std::copy(t->slot + pos + 1, t->slot + t->n, t->slot + pos);
        --t->n;
        Pull(pool, t);
        return;
    }
    int i = 0;
    while (pos >= SizeOf(t->child[i])) {
        pos -= SizeOf(t->child[i]);
        ++i;
    }
    EraseIn(pool, t->child[i], pos, slot);
    MendChild(pool, t, i);
    Pull(pool, t);
}

// Makes the path to pos this tree's own, lets change write the leaf's entry,
// and recomputes the aggregates on the way back.
template <typename Change> void ChangeAt(SPool& pool, SNode*& t, int pos, Change change)
{
    t = Own(pool, t);
    if (t->leaf) {
        change(t->slot[pos]);
    } else {
        int i = 0;
        while (pos >= SizeOf(t->child[i])) {
            pos -= SizeOf(t->child[i]);
            ++i;
        }
        ChangeAt(pool, t->child[i], pos, change);
    }
    Pull(pool, t);
}

bool Overlaps(const SNode* t, int f, int32_t lo, int32_t hi)
{
    return t && t->agg.count[f] > 0 && t->agg.maxYear[f] >= lo && t->agg.minYear[f] <= hi;
}

int FindIn(const SPool& pool, const SNode* t, int offset, int start, int f, int32_t lo,
           int32_t hi, const std::function<bool(const SEventData&)>& match)
{
    if (offset + SizeOf(t) <= start || !Overlaps(t, f, lo, hi))
        return -1;
    if (t->leaf) {
        for (int i = std::max(0, start - offset); i < t->n; ++i) {
            const SEventData& rec = pool.Rec(t->slot[i]);
            if (ClassOf(rec) <= f && rec.year >= lo && rec.year <= hi && match(rec))
                return offset + i;
        }
        return -1;
    }
    for (int i = 0; i < t->n; ++i) {
        const int found = FindIn(pool, t->child[i], offset, start, f, lo, hi, match);
        if (found >= 0)
            return found;
        offset += SizeOf(t->child[i]);
    }
    return -1;
}

int CountYearIn(const SPool& pool, const SNode* t, int f, int32_t year)
{
    if (!Overlaps(t, f, year, year))
        return 0;
    if (t->agg.minYear[f] == year && t->agg.maxYear[f] == year)
        return t->agg.count[f];
    int n = 0;
    if (t->leaf) {
        for (int i = 0; i < t->n; ++i) {
            const SEventData& rec = pool.Rec(t->slot[i]);
            n += ClassOf(rec) <= f && rec.year == year ? 1 : 0;
        }
        return n;
    }
    for (int i = 0; i < t->n; ++i)
        n += CountYearIn(pool, t->child[i], f, year);
    return n;
}

void CollectYearIn(const SPool& pool, const SNode* t, int f, int32_t year,
                   std::vector<SEventData*>& out)
{
    if (!Overlaps(t, f, year, year))
        return;
    if (t->leaf) {
        for (int i = 0; i < t->n; ++i) {
            SEventData& rec = pool.Rec(t->slot[i]);
            if (ClassOf(rec) <= f && rec.year == year)
                out.push_back(&rec);
        }
        return;
    }
    for (int i = 0; i < t->n; ++i)
        CollectYearIn(pool, t->child[i], f, year, out);
}

// Nodes over entries[0..n) (slots when leaves, else nodes), of nearly equal
// fill; returns the nodes of the level made.
template <typename Entry>
std::vector<SNode*> BuildLevel(SPool& pool, const Entry* entries, size_t n, int cap)
{
    const size_t nodes = (n + static_cast<size_t>(cap) - 1) / static_cast<size_t>(cap);
    std::vector<SNode*> level;
    level.reserve(nodes);
    size_t at = 0;
    for (size_t k = 0; k < nodes; ++k) {
        const size_t take = (n - at) / (nodes - k);
        const size_t end = at + std::max<size_t>(take, 1);
        SNode* t = pool.NewNode(std::is_same<Entry, uint32_t>::value);
        for (size_t j = at; j < end; ++j) {
            if constexpr (std::is_same<Entry, uint32_t>::value)
                t->slot[t->n++] = entries[j];
            else
                t->child[t->n++] = entries[j];
        }
        at = end;
        Pull(pool, t);
        level.push_back(t);
    }
    return level;
}

} // namespace

CYearEventTree::CYearEventTree() : m_pool(std::make_shared<SPool>()) {}

CYearEventTree::~CYearEventTree()
{
    // The last tree of a storage lets it go whole.
    if (m_pool.use_count() > 1) {
        for (uint32_t s : m_run)
            m_pool->Drop(s);
        Release(*m_pool, m_root);
    }
}

// A copy shares every node and slot with the original; whichever changes
// first copies the nodes on the path it changes, so that a copy costs
// nothing until then.
CYearEventTree::CYearEventTree(const CYearEventTree& other) : m_pool(other.m_pool)
{
    m_root = other.m_root;
    if (m_root)
        ++m_root->refs;
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
    m_run.swap(other.m_run);
    std::swap(m_runMaxKey, other.m_runMaxKey);
    m_yearIndex.swap(other.m_yearIndex);
    std::swap(m_yearIndexValid, other.m_yearIndexValid);
}

int CYearEventTree::Size() const
{
    return SizeOf(m_root);
}

int CYearEventTree::CountVisible(int filter) const
{
    const int f = NormalizeFilter(filter);
    return f < 0 || !m_root ? 0 : m_root->agg.count[f];
}

int64_t CYearEventTree::Descents() const
{
    return m_root ? m_root->agg.descents : 0;
}

void CYearEventTree::Clear()
{
    EndAppendRun();
    Changed();
    m_yearIndex.shrink_to_fit();
    // Memory goes back at once; a copy that shares the storage keeps it.
    if (m_pool.use_count() > 1)
        Release(*m_pool, m_root);
    m_root = nullptr;
    m_pool = std::make_shared<SPool>();
}

uint32_t CYearEventTree::SlotAt(int pos) const
{
    const SNode* t = m_root;
    while (!t->leaf) {
        int i = 0;
        while (pos >= SizeOf(t->child[i])) {
            pos -= SizeOf(t->child[i]);
            ++i;
        }
        t = t->child[i];
    }
    return t->slot[pos];
}

SEventData* CYearEventTree::At(int pos) const
{
    if (pos < 0 || pos >= Size())
        return nullptr;
    return &m_pool->Rec(SlotAt(pos));
}

int CYearEventTree::Select(int visibleIndex, int filter) const
{
    const int f = NormalizeFilter(filter);
    if (f < 0 || visibleIndex < 0 || visibleIndex >= CountVisible(f))
        return -1;
    int pos = 0;
    const SNode* t = m_root;
    while (!t->leaf) {
        int i = 0;
        while (visibleIndex >= t->child[i]->agg.count[f]) {
            visibleIndex -= t->child[i]->agg.count[f];
            pos += SizeOf(t->child[i]);
            ++i;
        }
        t = t->child[i];
    }
    for (int i = 0; i < t->n; ++i) {
        if (ClassOf(m_pool->Rec(t->slot[i])) <= f && visibleIndex-- == 0)
            return pos + i;
    }
    return -1;
}

int CYearEventTree::Rank(int pos, int filter) const
{
    const int f = NormalizeFilter(filter);
    if (f < 0 || pos <= 0 || !m_root)
        return 0;
    if (pos >= Size())
        return m_root->agg.count[f];
    int rank = 0;
    const SNode* t = m_root;
    while (!t->leaf) {
        int i = 0;
        while (pos >= SizeOf(t->child[i])) {
            pos -= SizeOf(t->child[i]);
            rank += t->child[i]->agg.count[f];
            ++i;
        }
        t = t->child[i];
    }
    for (int i = 0; i < pos; ++i)
        rank += ClassOf(m_pool->Rec(t->slot[i])) <= f ? 1 : 0;
    return rank;
}

void CYearEventTree::InsertSlot(int pos, uint32_t slot)
{
    if (!m_root) {
        m_root = m_pool->NewNode(true);
        m_root->slot[m_root->n++] = slot;
        Pull(*m_pool, m_root);
        return;
    }
    SNode* split = InsertIn(*m_pool, m_root, pos, slot);
    if (split) {
        SNode* root = m_pool->NewNode(false);
        root->child[0] = m_root;
        root->child[1] = split;
        root->n = 2;
        Pull(*m_pool, root);
        m_root = root;
    }
}

void CYearEventTree::Insert(int pos, SEventData&& rec)
{
    EndAppendRun();
    Changed();
    pos = std::max(0, std::min(pos, Size()));
    InsertSlot(pos, m_pool->NewSlot(std::move(rec)));
}

void CYearEventTree::AppendToRun(SEventData&& rec)
{
    const uint32_t s = m_pool->NewSlot(std::move(rec));
    m_runMaxKey = std::max(m_runMaxKey, SortKey(m_pool->Rec(s)));
    m_run.push_back(s);
}

void CYearEventTree::AppendToRun(SEventData&& rec, std::string_view text,
                                 std::string_view supplement)
{
    const uint32_t s = m_pool->NewSlot(std::move(rec));
    SEventData& stored = m_pool->Rec(s);
    m_pool->Lend(stored.text, text);
    m_pool->Lend(stored.supplement, supplement);
    m_runMaxKey = std::max(m_runMaxKey, SortKey(stored));
    m_run.push_back(s);
}

void CYearEventTree::EndAppendRun()
{
    if (m_run.empty())
        return;
    Changed();
    if (!m_root) {
        // Built bottom up, one level at a time.
        std::vector<SNode*> level = BuildLevel(*m_pool, m_run.data(), m_run.size(), kLeafCap);
        while (level.size() > 1)
            level = BuildLevel(*m_pool, level.data(), level.size(), kFan);
        m_root = level.front();
    } else {
        for (uint32_t s : m_run)
            InsertSlot(Size(), s);
    }
    m_run.clear();
    m_run.shrink_to_fit();
    m_runMaxKey = INT64_MIN;
}

bool CYearEventTree::BelongsAtEnd(const SEventData& rec) const
{
    const int64_t key = SortKey(rec);
    return (!m_root || m_root->agg.maxKey <= key) && m_runMaxKey <= key;
}

bool CYearEventTree::InsertSorted(SEventData& rec)
{
    EndAppendRun();
    const int64_t key = SortKey(rec);
    if (!m_root || m_root->agg.maxKey <= key)
        return false;
    // The first record in list order whose key is greater.
    int pos = 0;
    const SNode* t = m_root;
    while (!t->leaf) {
        int i = 0;
        while (t->child[i]->agg.maxKey <= key) {
            pos += SizeOf(t->child[i]);
            ++i;
        }
        t = t->child[i];
    }
    int i = 0;
    while (SortKey(m_pool->Rec(t->slot[i])) <= key)
        ++i;
    Insert(pos + i, std::move(rec));
    return true;
}

SEventData CYearEventTree::Erase(int pos)
{
    EndAppendRun();
    Changed();
    uint32_t s = 0;
    EraseIn(*m_pool, m_root, pos, s);
    while (!m_root->leaf && m_root->n == 1) {
        SNode* only = m_root->child[0];
        m_pool->FreeNode(m_root);
        m_root = only;
    }
    if (m_root->n == 0) {
        m_pool->FreeNode(m_root);
        m_root = nullptr;
    }
    // The record leaves its slot unless a copy still holds it there.
    SEventData out;
    if (m_pool->refs[s] == 1)
        out = std::move(m_pool->Rec(s));
    else
        out = m_pool->Rec(s);
    m_pool->Drop(s);
    return out;
}

void CYearEventTree::Replace(int pos, SEventData&& rec)
{
    EndAppendRun();
    Changed();
    SPool& pool = *m_pool;
    ChangeAt(pool, m_root, pos, [&](uint32_t& s) {
        if (pool.refs[s] == 1) {
            pool.Rec(s) = std::move(rec);
        } else {
            // A copy still holds the old record where it is.
            pool.Drop(s);
            s = pool.NewSlot(std::move(rec));
        }
    });
}

void CYearEventTree::SwapWithNext(int pos)
{
    EndAppendRun();
    Changed();
    // The records stay where they are; their slots trade places.
    const uint32_t a = SlotAt(pos);
    const uint32_t b = SlotAt(pos + 1);
    ChangeAt(*m_pool, m_root, pos, [b](uint32_t& s) { s = b; });
    ChangeAt(*m_pool, m_root, pos + 1, [a](uint32_t& s) { s = a; });
}

int CYearEventTree::FirstYearFrom(int32_t year, bool strict, int filter, int* visibleIndex) const
{
    if (visibleIndex)
        *visibleIndex = -1;
    const int f = NormalizeFilter(filter);
    if (f < 0)
        return -1;
    auto reaches = [&](const SNode* s) {
        return s && s->agg.count[f] > 0 &&
               (strict ? s->agg.maxYear[f] > year : s->agg.maxYear[f] >= year);
    };
    if (!reaches(m_root))
        return -1;
    int pos = 0;
    int vis = 0;
    const SNode* t = m_root;
    while (!t->leaf) {
        int i = 0;
        while (!reaches(t->child[i])) {
            pos += SizeOf(t->child[i]);
            vis += t->child[i]->agg.count[f];
            ++i;
        }
        t = t->child[i];
    }
    for (int i = 0; i < t->n; ++i) {
        const SEventData& rec = m_pool->Rec(t->slot[i]);
        if (ClassOf(rec) > f)
            continue;
        if (strict ? rec.year > year : rec.year >= year) {
            if (visibleIndex)
                *visibleIndex = vis;
            return pos + i;
        }
        ++vis;
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
    if (f < 0 || !m_root)
        return -1;
    if (UseYearIndex()) {
        for (const SYearEntry& e : YearSpan(year)) {
            if (ClassOf(*e.rec) <= f && match(*e.rec))
                return e.pos;
        }
        return -1;
    }
    return FindIn(*m_pool, m_root, 0, 0, f, year, year, match);
}

int CYearEventTree::CountOfYear(int32_t year, int filter) const
{
    const int f = NormalizeFilter(filter);
    if (f < 0 || !m_root)
        return 0;
    if (Descents() == 0) {
        const int total = CountVisible(f);
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
            n += ClassOf(*e.rec) <= f ? 1 : 0;
        return n;
    }
    return CountYearIn(*m_pool, m_root, f, year);
}

void CYearEventTree::CollectYear(int32_t year, int filter, std::vector<SEventData*>& out) const
{
    const int f = NormalizeFilter(filter);
    if (f < 0 || !m_root)
        return;
    if (UseYearIndex()) {
        for (const SYearEntry& e : YearSpan(year)) {
            if (ClassOf(*e.rec) <= f)
                out.push_back(e.rec);
        }
        return;
    }
    CollectYearIn(*m_pool, m_root, f, year, out);
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
        int pos = 0;
        ForEach([&](const SEventData& rec) {
            m_yearIndex.push_back(SYearEntry{rec.year, pos++, const_cast<SEventData*>(&rec)});
        });
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
    if (f < 0 || lo > hi || !m_root)
        return -1;
    return FindIn(*m_pool, m_root, 0, std::max(start, 0), f, lo, hi, match);
}

bool CYearEventTree::YearRange(int32_t& minYear, int32_t& maxYear) const
{
    if (!m_root)
        return false;
    minYear = m_root->agg.minYear[kFilters - 1];
    maxYear = m_root->agg.maxYear[kFilters - 1];
    return true;
}

void CYearEventTree::VisitRecords(void (*visit)(void*, const SEventData&), void* context) const
{
    if (!m_root)
        return;
    // Depth first with an explicit stack of (node, next entry).
    std::vector<std::pair<const SNode*, int>> stack;
    stack.emplace_back(m_root, 0);
    while (!stack.empty()) {
        auto& [t, i] = stack.back();
        if (t->leaf) {
            for (int k = 0; k < t->n; ++k)
                visit(context, m_pool->Rec(t->slot[k]));
            stack.pop_back();
        } else if (i < t->n) {
            const SNode* c = t->child[i++];
            stack.emplace_back(c, 0);
        } else {
            stack.pop_back();
        }
    }
}
