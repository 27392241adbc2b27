#include "TextFileReader.h"

#include "ReadProgress.h"

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstring>
#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// A large file is read into memory first touched a page at a time; huge
// pages, where the system offers them, spare most of those page faults.
void AdviseHugePages(char* data, size_t bytes)
{
    constexpr size_t kHuge = size_t(2) << 20;
    if (bytes < 4 * kHuge)
        return;
    const uintptr_t begin = (reinterpret_cast<uintptr_t>(data) + kHuge - 1) & ~(kHuge - 1);
    const uintptr_t end = (reinterpret_cast<uintptr_t>(data) + bytes) & ~(kHuge - 1);
    if (end > begin)
        ::madvise(reinterpret_cast<void*>(begin), end - begin, MADV_HUGEPAGE);
}

// Bytes read between two progress reports: a few hundred reports a second.
constexpr size_t kReportStep = 256 * 1024;

} // namespace

bool CTextFileReader::Open(const std::string& path)
{
    m_content.clear();
    m_pos = 0;
    m_errno = 0;
    m_progress = nullptr;
    m_nextReport = static_cast<size_t>(-1);
    m_stopped = false;
    int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        m_errno = errno;
        return false;
    }
    struct stat st;
    if (::fstat(fd, &st) != 0) {
        m_errno = errno;
        ::close(fd);
        return false;
    }
    if (S_ISDIR(st.st_mode)) {
        m_errno = EISDIR;
        ::close(fd);
        return false;
    }
    if (st.st_size > 0) {
        m_content.reserve(static_cast<size_t>(st.st_size));
        AdviseHugePages(m_content.data(), m_content.capacity());
    }
    char buf[1 << 16];
    for (;;) {
        ssize_t n = ::read(fd, buf, sizeof buf);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            m_errno = errno;
            ::close(fd);
            m_content.clear();
            return false;
        }
        if (n == 0)
            break;
        m_content.append(buf, static_cast<size_t>(n));
    }
    ::close(fd);
    if ((m_progress = CReadProgress::Current()) != nullptr) {
        m_progress->BeginFile(path, m_content.size());
        m_nextReport = 0;
    }
    return true;
}

void CTextFileReader::SetContent(std::string content)
{
    m_content = std::move(content);
    m_pos = 0;
    m_errno = 0;
    m_progress = nullptr;
    m_nextReport = static_cast<size_t>(-1);
    m_stopped = false;
}

bool CTextFileReader::Report()
{
    // The last report comes as the end is reached, so a file read whole is
    // shown whole.
    const size_t size = m_content.size();
    m_nextReport =
        m_pos >= size ? static_cast<size_t>(-1) : m_pos + std::min(kReportStep, size - m_pos);
    if (m_progress->Advance(m_pos))
        return true;
    m_stopped = true;
    std::string().swap(m_content);
    m_pos = 0;
    m_nextReport = static_cast<size_t>(-1);
    return false;
}

bool CTextFileReader::ReadLine(std::string& line)
{
    if (m_pos >= m_nextReport && !Report())
        return false;
    if (m_pos >= m_content.size())
        return false;
    const char* begin = m_content.data() + m_pos;
    const char* nl = static_cast<const char*>(std::memchr(begin, '\n', m_content.size() - m_pos));
    size_t len = nl ? static_cast<size_t>(nl - begin) : m_content.size() - m_pos;
    size_t next = m_pos + len + (nl ? 1 : 0);
    if (nl && len > 0 && begin[len - 1] == '\r')
        --len;
    line.assign(begin, len);
    m_pos = next;
    return true;
}
