#pragma once

#include "FileStamp.h"

#include <functional>
#include <map>
#include <memory>
#include <string>

class CAnnaluxDoc;
class CReadProgress;
class CTableBase;

// Looks, when the window comes back to the user, for libraries whose files
// someone else has changed (another window, another chronology sharing the
// library, an editor) and offers to read the unmodified ones again. A
// modified library is left to the question its next save asks.
class CLibraryReloadCheck
{
public:
    // Asks about each such library in column order and reads again the ones
    // the user wants. A change the user declined is not asked about again
    // until the file changes once more. True when anything was read again.
    bool Run(CAnnaluxDoc& doc);

    // "ライブラリ「%s」のファイル %s は他で変更されました。..." (UTF-8).
    static std::string QuestionText(const CTableBase& table);

    // Reads the table's file again into the table, keeping the name under
    // which the chronology knows it. False (after the reader's message) when
    // the file no longer reads; the table is then as it was.
    static bool Reload(CTableBase& table, int kind);

    // Makes the progress each reading again reports to (installed on the
    // thread while it lives); a reading the user stops counts as declined.
    void SetProgressMaker(std::function<std::unique_ptr<CReadProgress>()> maker)
    {
        m_makeProgress = std::move(maker);
    }

private:
    std::function<std::unique_ptr<CReadProgress>()> m_makeProgress;
    std::map<std::string, CFileStamp> m_declined; // by canonical path
    bool m_running = false;
};
