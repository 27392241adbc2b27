#include "SaveFile.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

CSaveFile::WriteFunction g_write = &::write;
bool g_keepBackups = false;

constexpr size_t kBufferSize = 1 << 16;

} // namespace

CSaveFile::CSaveFile(const std::string& targetPath) : m_target(targetPath) {}

CSaveFile::~CSaveFile()
{
    Discard();
}

void CSaveFile::SetKeepBackups(bool keep)
{
    g_keepBackups = keep;
}

bool CSaveFile::GetKeepBackups()
{
    return g_keepBackups;
}

void CSaveFile::MakeBackup() const
{
    struct stat st;
    if (::stat(m_writePath.c_str(), &st) != 0 || !S_ISREG(st.st_mode))
        return;
    const std::string backup = BackupPath(m_writePath);
    ::unlink(backup.c_str());
    // A second name for the old file costs nothing and keeps it byte for
    // byte with its permissions; where links are not to be had, a copy.
    if (::link(m_writePath.c_str(), backup.c_str()) == 0)
        return;
    const int in = ::open(m_writePath.c_str(), O_RDONLY);
    if (in < 0)
        return;
    std::string bytes;
    char block[1 << 16];
    ssize_t n;
    while ((n = ::read(in, block, sizeof block)) > 0)
        bytes.append(block, static_cast<size_t>(n));
    ::close(in);
    if (n == 0)
        WriteWholeFile(backup, bytes);
}

void CSaveFile::SetWriteFunctionForTesting(WriteFunction fn)
{
    g_write = fn ? fn : &::write;
}

int CSaveFile::CauseFromErrno(int err)
{
    switch (err) {
    case 0:
        return None;
    case ENOENT:
        return FileNotFound;
    case ENOTDIR:
    case ENAMETOOLONG:
    case ELOOP:
        return BadPath;
    case EMFILE:
    case ENFILE:
        return TooManyOpenFiles;
    case EACCES:
    case EPERM:
    case EROFS:
    case EISDIR:
    case ETXTBSY:
        return AccessDenied;
    case EBADF:
        return InvalidFile;
    case ENOSPC:
    case EDQUOT:
    case EFBIG:
        return DiskFull;
    case EIO:
        return HardIO;
    default:
        return Generic;
    }
}

bool CSaveFile::Fail(int err)
{
    m_errno = err;
    m_cause = CauseFromErrno(err);
    if (m_cause == None)
        m_cause = Generic;
    Discard();
    return false;
}

std::string CSaveFile::ErrorString() const
{
    return m_errno ? std::string(std::strerror(m_errno)) : std::string();
}

bool CSaveFile::Open()
{
    Discard();
    m_cause = None;
    m_errno = 0;
    if (m_target.empty())
        return Fail(ENOENT);

    struct stat st;
    bool exists = ::stat(m_target.c_str(), &st) == 0;
    if (exists && S_ISDIR(st.st_mode))
        return Fail(EISDIR);

    // Saving through a symbolic link (a library shared between projects)
    // must update the file it points to; renaming over the link itself would
    // silently turn it into a private copy.
    m_writePath = m_target;
    struct stat lst;
    if (exists && ::lstat(m_target.c_str(), &lst) == 0 && S_ISLNK(lst.st_mode)) {
        if (char* real = ::realpath(m_target.c_str(), nullptr)) {
            m_writePath = real;
            std::free(real);
        }
    }

    std::string tmpl = m_writePath + ".XXXXXX";
    std::string buf = tmpl;
    int fd = ::mkstemp(&buf[0]);
    if (fd < 0)
        return Fail(errno);
    m_fd = fd;
    m_temp = buf;

    // Keep the permissions of the file being replaced; a new file gets the
    // usual ones under the user's umask.
    mode_t mode;
    if (exists) {
        mode = st.st_mode & 07777;
    } else {
        mode_t mask = ::umask(0);
        ::umask(mask);
        mode = 0666 & ~mask;
    }
    ::fchmod(m_fd, mode);
    m_buffer.reserve(kBufferSize);
    return true;
}

bool CSaveFile::FlushBuffer()
{
    size_t done = 0;
    while (done < m_buffer.size()) {
        ssize_t n = g_write(m_fd, m_buffer.data() + done, m_buffer.size() - done);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return Fail(errno);
        }
        if (n == 0)
            return Fail(ENOSPC); // a short write that makes no progress: the disk is full
        done += static_cast<size_t>(n);
    }
    m_buffer.clear();
    return true;
}

bool CSaveFile::Write(const char* data, size_t size)
{
    if (m_fd < 0)
        return false;
    if (m_buffer.size() + size > kBufferSize) {
        if (!FlushBuffer())
            return false;
        if (size >= kBufferSize) {
            m_buffer.assign(data, size);
            return FlushBuffer();
        }
    }
    m_buffer.append(data, size);
    return true;
}

bool CSaveFile::Commit()
{
    if (m_fd < 0)
        return false;
    if (!FlushBuffer())
        return false;
    if (::fsync(m_fd) != 0 && errno != EINVAL)
        return Fail(errno);
    int fd = m_fd;
    m_fd = -1;
    if (::close(fd) != 0) {
        int err = errno;
        ::unlink(m_temp.c_str());
        m_temp.clear();
        return Fail(err);
    }
    if (m_makeBackup)
        MakeBackup();
    if (::rename(m_temp.c_str(), m_writePath.c_str()) != 0) {
        int err = errno;
        ::unlink(m_temp.c_str());
        m_temp.clear();
        return Fail(err);
    }
    m_temp.clear();
    return true;
}

void CSaveFile::Discard()
{
    if (m_fd >= 0) {
        ::close(m_fd);
        m_fd = -1;
    }
    if (!m_temp.empty()) {
        ::unlink(m_temp.c_str());
        m_temp.clear();
    }
    m_buffer.clear();
}

bool CSaveFile::WriteWholeFile(const std::string& path, const std::string& data, int* cause)
{
    CSaveFile file(path);
    bool ok = file.Open() && file.Write(data) && file.Commit();
    if (cause)
        *cause = file.ErrorCause();
    return ok;
}
