#pragma once

#include "AnnaluxDataExport.h"

#include <string>
#include <sys/types.h>

// Writes a file so that the old one is never harmed: everything goes to a
// temporary file in the same folder, every write, the flush and the sync are
// checked, and only then is the temporary file renamed over the target. A
// failed or abandoned save removes the temporary file.
class ANNALUX_DATA_EXPORT CSaveFile
{
public:
    // Causes of a file error, numbered as the file exceptions that the
    // program's older versions reported (and that users quote).
    enum ECause
    {
        None = 0,
        Generic = 1,
        FileNotFound = 2,
        BadPath = 3,
        TooManyOpenFiles = 4,
        AccessDenied = 5,
        InvalidFile = 6,
        DirectoryFull = 8,
        HardIO = 10,
        DiskFull = 13,
    };

    explicit CSaveFile(const std::string& targetPath);
    ~CSaveFile();
    CSaveFile(const CSaveFile&) = delete;
    CSaveFile& operator=(const CSaveFile&) = delete;

    bool Open();
    bool Write(const char* data, size_t size);
    bool Write(const std::string& data) { return Write(data.data(), data.size()); }
    // Flushes, syncs, closes and renames over the target.
    bool Commit();
    // Drops the temporary file; the target stays as it was.
    void Discard();

    const std::string& TargetPath() const { return m_target; }
    int ErrorCause() const { return m_cause; }
    int ErrorNumber() const { return m_errno; }
    std::string ErrorString() const;

    // Writes the whole of data to path in one go.
    static bool WriteWholeFile(const std::string& path, const std::string& data,
                               int* cause = nullptr);
    static int CauseFromErrno(int err);

    // Whether the saves of libraries and chronologies keep the file they
    // replace as NAME~ (one generation). The program sets it from its
    // settings; off until then.
    static void SetKeepBackups(bool keep);
    static bool GetKeepBackups();
    // This save keeps the file it replaces as NAME~. A backup that cannot be
    // made does not stop the save.
    void SetMakeBackup(bool on) { m_makeBackup = on; }
    // The backup name of a file.
    static std::string BackupPath(const std::string& path) { return path + "~"; }

    // Tests replace the system write to simulate a full or failing disk.
    using WriteFunction = ssize_t (*)(int fd, const void* buf, size_t count);
    static void SetWriteFunctionForTesting(WriteFunction fn);

private:
    bool Fail(int err);
    bool FlushBuffer();
    void MakeBackup() const;

    std::string m_target;
    std::string m_writePath; // the target, or the file a link target points to
    std::string m_temp;
    std::string m_buffer;
    int m_fd = -1;
    int m_cause = None;
    int m_errno = 0;
    bool m_makeBackup = false;
};
