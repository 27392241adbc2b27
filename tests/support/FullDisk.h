#pragma once

#include "SaveFile.h"

#include <cerrno>
#include <sys/types.h>

// A write that fails as on a full disk, for CSaveFile::SetWriteFunctionForTesting.
inline ssize_t FullDiskWrite(int, const void*, size_t)
{
    errno = ENOSPC;
    return -1;
}

// While one lives, every save fails as on a full disk.
class FullDiskScope
{
public:
    FullDiskScope() { CSaveFile::SetWriteFunctionForTesting(&FullDiskWrite); }
    ~FullDiskScope() { CSaveFile::SetWriteFunctionForTesting(nullptr); }
    FullDiskScope(const FullDiskScope&) = delete;
    FullDiskScope& operator=(const FullDiskScope&) = delete;
};
