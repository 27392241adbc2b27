#include "ReadProgress.h"

#include <algorithm>

namespace {

thread_local CReadProgress* t_current = nullptr;

} // namespace

CReadProgress::~CReadProgress() = default;

CReadProgress* CReadProgress::Current()
{
    return t_current;
}

void CReadProgress::Expect(uint64_t totalBytes)
{
    m_total = totalBytes;
    m_done = 0;
    m_fileStart = 0;
    m_fileSize = 0;
    m_announced = true;
}

void CReadProgress::BeginFile(const std::string& path, uint64_t size)
{
    m_fileStart += m_fileSize;
    m_fileSize = size;
    m_done = m_fileStart;
    m_file = path;
    // A file the announcement did not count (or that grew since) widens
    // the total rather than running the count past it.
    if (!m_announced || m_fileStart + size > m_total)
        m_total = std::max(m_total, m_fileStart + size);
}

bool CReadProgress::Advance(uint64_t position)
{
    m_done = m_fileStart + std::min(position, m_fileSize);
    if (!m_cancelled && !Step())
        m_cancelled = true;
    return !m_cancelled;
}

CReadProgressScope::CReadProgressScope(CReadProgress& progress) : m_previous(t_current)
{
    t_current = &progress;
}

CReadProgressScope::~CReadProgressScope()
{
    t_current = m_previous;
}
