#pragma once

#include <QString>
#include <memory>
#include <string>

class QSharedMemory;

// The shared block of the two programs: room for one zero-terminated
// Shift-JIS path. Opening creates it, or joins it when another program made
// it first; it goes away when the last program lets go. The block is not
// locked: each side writes it only just before asking the other.
class CSiblingSharedBlock
{
public:
    // The longest path it holds, in bytes (the terminator takes the last one).
    static constexpr int kMaxPathBytes = 999;

    CSiblingSharedBlock();
    ~CSiblingSharedBlock();
    CSiblingSharedBlock(const CSiblingSharedBlock&) = delete;
    CSiblingSharedBlock& operator=(const CSiblingSharedBlock&) = delete;

    // Creates or joins the block behind nativeKey (a file of the session).
    bool Open(const QString& nativeKey, int size);
    // Lets go of it.
    void Close();
    bool IsOpen() const;
    QString ErrorString() const { return m_error; }

    // Writes sjis with its terminator; false (the block unchanged) when it
    // does not fit or the block is not open.
    bool Write(const std::string& sjis);
    // The text up to its terminator; false when the block is not open or no
    // terminator lies within it (a text cut off, which matches nothing).
    bool Read(std::string& sjis) const;

private:
    std::unique_ptr<QSharedMemory> m_memory;
    QString m_error;
    int m_size = 0; // what the link uses, whatever size the creator gave it
};
