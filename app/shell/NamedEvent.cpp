#include "NamedEvent.h"

#include <cerrno>
#include <cstdint>
#include <ctime>
#include <fcntl.h>
#include <pthread.h>
#include <sys/file.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {
constexpr uint32_t kMagic = 0x45764e41; // "ANvE"
constexpr uint32_t kLayout = 1;
} // namespace

struct CNamedEvent::SBlock
{
    uint32_t magic;
    uint32_t layout;
    pthread_mutex_t mutex;
    pthread_cond_t cond;
    uint32_t signalled;
};

CNamedEvent::~CNamedEvent()
{
    Close();
}

bool CNamedEvent::Open(const std::string& path)
{
    Close();
    const int fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
    if (fd < 0) {
        m_error = errno;
        return false;
    }
    // Whoever finds the file empty builds the event in it; the file lock keeps
    // a second opener from seeing it half built.
    const auto fail = [&](int error) {
        m_error = error;
        ::close(fd);
        return false;
    };
    if (::flock(fd, LOCK_EX) != 0)
        return fail(errno);
    struct stat st = {};
    if (::fstat(fd, &st) != 0)
        return fail(errno);
    // Another user's object under our name is not ours to wait on.
    if (st.st_uid != ::geteuid() || !S_ISREG(st.st_mode))
        return fail(EACCES);
    if (st.st_size == 0 && ::ftruncate(fd, sizeof(SBlock)) != 0)
        return fail(errno);
    if (st.st_size != 0 && st.st_size < static_cast<off_t>(sizeof(SBlock)))
        return fail(EINVAL);
    void* mapped = ::mmap(nullptr, sizeof(SBlock), PROT_READ | PROT_WRITE, MAP_SHARED, fd, 0);
    if (mapped == MAP_FAILED)
        return fail(errno);
    auto* block = static_cast<SBlock*>(mapped);
    // A file without the mark was never finished (its builder died), so no one
    // can be using it: build it now.
    if (block->magic == 0) {
        pthread_mutexattr_t ma;
        pthread_mutexattr_init(&ma);
        pthread_mutexattr_setpshared(&ma, PTHREAD_PROCESS_SHARED);
        pthread_mutexattr_setrobust(&ma, PTHREAD_MUTEX_ROBUST);
        pthread_mutex_init(&block->mutex, &ma);
        pthread_mutexattr_destroy(&ma);
        pthread_condattr_t ca;
        pthread_condattr_init(&ca);
        pthread_condattr_setpshared(&ca, PTHREAD_PROCESS_SHARED);
        pthread_condattr_setclock(&ca, CLOCK_MONOTONIC);
        pthread_cond_init(&block->cond, &ca);
        pthread_condattr_destroy(&ca);
        block->signalled = 0;
        block->layout = kLayout;
        block->magic = kMagic;
    } else if (block->magic != kMagic || block->layout != kLayout) {
        ::munmap(mapped, sizeof(SBlock));
        return fail(EINVAL);
    }
    ::flock(fd, LOCK_UN);
    // The mapping keeps the object; the descriptor is no longer needed.
    ::close(fd);
    m_block = block;
    m_error = 0;
    return true;
}

void CNamedEvent::Close()
{
    if (m_block) {
        ::munmap(m_block, sizeof(SBlock));
        m_block = nullptr;
    }
}

bool CNamedEvent::Lock()
{
    if (!m_block) {
        m_error = EBADF;
        return false;
    }
    const int rc = pthread_mutex_lock(&m_block->mutex);
    if (rc == EOWNERDEAD) {
        // The holder died; the flag is a single word and always consistent.
        pthread_mutex_consistent(&m_block->mutex);
        return true;
    }
    if (rc != 0) {
        m_error = rc;
        return false;
    }
    return true;
}

void CNamedEvent::Unlock()
{
    pthread_mutex_unlock(&m_block->mutex);
}

bool CNamedEvent::Set()
{
    if (!Lock())
        return false;
    m_block->signalled = 1;
    pthread_cond_broadcast(&m_block->cond);
    Unlock();
    return true;
}

bool CNamedEvent::Reset()
{
    if (!Lock())
        return false;
    m_block->signalled = 0;
    Unlock();
    return true;
}

bool CNamedEvent::IsSet()
{
    return Wait(0) == Signalled;
}

CNamedEvent::EWaitResult CNamedEvent::Wait(int timeoutMs)
{
    if (!Lock())
        return Failed;
    timespec deadline = {};
    clock_gettime(CLOCK_MONOTONIC, &deadline);
    const int ms = timeoutMs < 0 ? 0 : timeoutMs;
    deadline.tv_sec += ms / 1000;
    deadline.tv_nsec += static_cast<long>(ms % 1000) * 1000000L;
    if (deadline.tv_nsec >= 1000000000L) {
        deadline.tv_sec += 1;
        deadline.tv_nsec -= 1000000000L;
    }
    EWaitResult result = TimedOut;
    while (!m_block->signalled && ms > 0) {
        const int rc = pthread_cond_timedwait(&m_block->cond, &m_block->mutex, &deadline);
        if (rc == EOWNERDEAD) {
            pthread_mutex_consistent(&m_block->mutex);
        } else if (rc == ETIMEDOUT) {
            break;
        } else if (rc != 0) {
            m_error = rc;
            result = Failed;
            break;
        }
    }
    if (m_block->signalled)
        result = Signalled;
    Unlock();
    return result;
}
