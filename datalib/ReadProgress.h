#pragma once

#include "AnnaluxDataExport.h"

#include <cstdint>
#include <string>

// How far the reading of library files has come, for a window that shows it
// and lets the user stop. While one is installed on a thread (see
// CReadProgressScope), every file the text reader opens there reports to it:
// the file as it opens, then the bytes read through it now and then. A
// report answered false stops the reader as if its file ended there; the
// reader then says Stopped() and the read flow gives up without a message.
//
// The bytes count against an announced total (Expect) when the caller knows
// which files come; without one, each file adds its own size as it opens.
class ANNALUX_DATA_EXPORT CReadProgress
{
public:
    CReadProgress() = default;
    virtual ~CReadProgress();
    CReadProgress(const CReadProgress&) = delete;
    CReadProgress& operator=(const CReadProgress&) = delete;

    // The progress installed on this thread, or null.
    static CReadProgress* Current();

    // The bytes of every file the reading to come takes.
    void Expect(uint64_t totalBytes);
    // A reader opened path, size bytes long.
    void BeginFile(const std::string& path, uint64_t size);
    // The reader of the current file has read up to position. False: stop.
    bool Advance(uint64_t position);
    // Stops the reading at the next report (the user's cancel).
    void Cancel() { m_cancelled = true; }

    bool Cancelled() const { return m_cancelled; }
    uint64_t Done() const { return m_done; }
    uint64_t Total() const { return m_total; }
    // The file being read (UTF-8 host path), empty before the first.
    const std::string& CurrentFile() const { return m_file; }

protected:
    // Called on every report with Done() and Total() current; false asks the
    // reading to stop (Cancelled() is then true).
    virtual bool Step() = 0;

private:
    uint64_t m_total = 0;
    uint64_t m_done = 0;
    uint64_t m_fileStart = 0; // Done() where the current file began
    uint64_t m_fileSize = 0;
    bool m_announced = false;
    bool m_cancelled = false;
    std::string m_file;
};

// Installs a progress on this thread for the lifetime of a scope, restoring
// the one before.
class ANNALUX_DATA_EXPORT CReadProgressScope
{
public:
    explicit CReadProgressScope(CReadProgress& progress);
    ~CReadProgressScope();
    CReadProgressScope(const CReadProgressScope&) = delete;
    CReadProgressScope& operator=(const CReadProgressScope&) = delete;

private:
    CReadProgress* m_previous;
};
