#pragma once

#include "AnnaluxDataExport.h"
#include "FileStamp.h"

#include <cstdint>
#include <functional>
#include <string>

class CDocument;
class CTextFileReader;

// Library kind; also the column kind of the project file.
enum EHeaderType : int {
    HT_NONE = 0,     // the Western-year column, no library
    HT_GENGOU = 1,   // era names, "[元号]", .lgn
    HT_BASEYEAR = 2, // base years, "[基点年]", .lby
    HT_PERIOD = 3,   // periods, "[時代]", .ler
    HT_EVENT = 4,    // events, "[出来事]", .lev
};

// The year that stands for "no year" (none found, an open end).
constexpr int32_t kNoYear = 2147483647;
// The year that stands for "none" in minima, maxima and caches.
constexpr int32_t kNoneYear = -2147483647 - 1;

// Common base of the library tables: the header fields every library file
// carries, the file the table came from, the modified flag, the CSV field
// codec and the read and write flows that the four readers and writers share.
//
// Text fields are Shift-JIS bytes. The file name is a host path (UTF-8).
class ANNALUX_DATA_EXPORT CTableBase
{
public:
    // Dialog texts and file extension of one library kind (UTF-8).
    struct SFileKind
    {
        const char* openTitle;
        const char* saveTitle;
        const char* extension; // without the dot
        const char* openFilter;
        const char* saveFilter;
        const char* tag;       // header tag, Shift-JIS
    };

    CTableBase();
    virtual ~CTableBase();
    CTableBase(const CTableBase&) = default;
    CTableBase& operator=(const CTableBase&) = default;

    void SetFileName(const std::string& name) { m_fileName = name; }
    const std::string& GetFileName() const { return m_fileName; }
    void SetTableName(const std::string& name);
    const std::string& GetTableName() const { return m_tableName; }
    void SetExplanation(const std::string& text);
    const std::string& GetExplanation() const { return m_explanation; }
    void SetTodayDate(bool today);
    bool GetTodayDate() const { return m_todayDate; }
    void SetModified(bool modified) { m_modified = modified; }
    bool GetModified() const { return m_modified; }
    // The library's file as this table last read or wrote it; empty for a
    // table that never touched a file.
    const CFileStamp& GetDiskStamp() const { return m_diskStamp; }
    // True when the file this table last read or wrote has been changed by
    // someone else since.
    bool ChangedOnDisk() const { return m_diskStamp.ChangedOnDisk(); }

    void Initialize();

    // out := the folder of the document's project file (empty while unsaved).
    static bool GetBasePath(std::string& out, const CDocument* doc);
    // The CSV field codec: reads the field beginning at start into out and
    // returns where the next field's search continues (-1: no field; out is
    // then unchanged).
    static int GetElementFromCSV(const std::string& line, int start, std::string& out);
    // "[出来事], 7" -> kind "[出来事]", version 7. Always true.
    static bool GetTableKindNameAndFileVer(const std::string& line, std::string& kind,
                                           int& version);
    // Integer value of a text: its leading decimal digits after optional
    // blanks and an optional sign; 0 when there are none. Saturates at the
    // 32-bit limits.
    static int32_t ParseInt(const std::string& text, size_t from = 0);
    // A field for a header line: quoted (quotes doubled) when the codec would
    // otherwise not read it back whole (a comma, a quote, leading or trailing
    // blanks).
    static std::string QuoteHeaderField(const std::string& text);

    static const SFileKind& FileKind(EHeaderType kind);

    // The base version writes nothing and succeeds; each kind overrides it.
    virtual bool WriteFile(bool askName, CDocument* doc, EHeaderType kind);

protected:
    enum EOpenResult { OpenOk, OpenCancelled, OpenFailed };
    // Read flow steps 1-4: path (if given) becomes the file name, an empty
    // name is asked for, a relative name is made absolute against the current
    // directory, and the file is loaded into reader. Shows nothing.
    EOpenResult OpenForRead(const char* path, EHeaderType kind, CTextFileReader& reader);
    // The whole read flow: OpenForRead, then content reads the lines and
    // returns 0 or the CDataMessages number of what went wrong. With
    // showErrors a failure is shown against the file name. Leaves the
    // modified flag to the caller. A read stopped through the thread's
    // CReadProgress fails without a message.
    bool ReadWithFlow(const char* path, EHeaderType kind, bool showErrors,
                      const std::function<int(CTextFileReader&)>& content);
    // Write flow: settles the file name (asking when needed), lets produce
    // append the file's bytes and writes them atomically. On a file error
    // shows 61448 and, with showCause, a second box with the cause number;
    // the modified flag is then left as it was. Success clears it.
    bool WriteWithFlow(bool askName, CDocument* doc, EHeaderType kind, bool showCause,
                       const std::function<void(std::string&)>& produce);

    // The file name as an absolute path: a relative one is taken against base
    // (the chronology's folder) or, without one, the current directory.
    std::string ResolvedFileName(const std::string& base) const;

    std::string m_fileName;
    std::string m_tableName;
    bool m_modified = false;
    std::string m_explanation;
    bool m_todayDate = false;
    CFileStamp m_diskStamp;
};
