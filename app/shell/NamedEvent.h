#pragma once

#include <string>

// A manual-reset event that several processes of one user open by name: once
// set it stays set, waking every waiter, until someone resets it.
//
// The event lives in a small file (a process-shared mutex, a condition
// variable and the flag) mapped by everyone who opens it; a holder that dies
// while holding the mutex does not block the others.
class CNamedEvent
{
public:
    enum EWaitResult
    {
        Signalled,
        TimedOut,
        Failed,
    };

    CNamedEvent() = default;
    ~CNamedEvent();
    CNamedEvent(const CNamedEvent&) = delete;
    CNamedEvent& operator=(const CNamedEvent&) = delete;

    // Opens the event of that file, creating it (not signalled) when there is
    // none. False with errno-style Error() when that fails.
    bool Open(const std::string& path);
    void Close();
    bool IsOpen() const { return m_block != nullptr; }
    int Error() const { return m_error; }

    bool Set();
    bool Reset();
    bool IsSet();
    // Waits at most timeoutMs (0: only looks).
    EWaitResult Wait(int timeoutMs);

private:
    struct SBlock;
    bool Lock();
    void Unlock();

    SBlock* m_block = nullptr;
    int m_error = 0;
};
