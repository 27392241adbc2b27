#pragma once

#include "TableBase.h"

#include <string>

class CDocument;

// Turns a CSV file (a library in its file layout, as the CSV export writes it
// or a spreadsheet saves it, quoted fields possibly spanning lines) into a
// library file of its kind. The steps are separate operations so that the
// import wizard and the batch command can drive them alike; every message
// goes through the host services.
class CImportCSV
{
public:
    // The import's own numbering of the library kinds (not EHeaderType).
    enum EImportKind : int
    {
        IK_NONE = 0,
        IK_GENGOU = 1,
        IK_PERIOD = 2,
        IK_BASEYEAR = 3,
        IK_EVENT = 4,
    };
    // Results of CheckInputFile.
    enum ECheckResult : int
    {
        CR_OK = 0,
        CR_CANNOT_OPEN = 1,
        CR_INVALID = 2,
        CR_UNREPRESENTABLE = 3, // UTF-8 holding a character Shift-JIS lacks
    };

    // document may be null (batch mode): the library's stored name is then
    // relative to the current directory.
    explicit CImportCSV(CDocument* document = nullptr);
    virtual ~CImportCSV();

    void SetInputPath(const std::string& path) { m_inputPath = path; }
    const std::string& GetInputPath() const { return m_inputPath; }
    void SetOutputPath(const std::string& path) { m_outputPath = path; }
    const std::string& GetOutputPath() const { return m_outputPath; }
    int GetImportKind() const { return m_importKind; }
    // The second line of the input, unchanged (Shift-JIS).
    const std::string& GetTitle() const { return m_title; }

    // Classifies the input file by its first two lines, setting the import
    // kind and the title. Shows nothing.
    int CheckInputFile();
    // The message of CR_UNREPRESENTABLE (the character and its line).
    const std::string& GetDecodeMessage() const { return m_decodeMessage; }
    // CheckInputFile, then the message of a failure. True when recognised.
    bool ClassifyInputFile();

    // The input path without its last three characters, followed by the
    // kind's extension ("data.csv" -> "data.lev").
    std::string MakeDefaultOutputPath() const;

    // Converts the classified input into the library file at the output path
    // (which is replaced atomically). False after the failure was shown.
    bool Convert();

    // Name (UTF-8, e.g. "出来事") and extension ("lev") of an import kind;
    // empty for IK_NONE.
    static const char* KindName(int importKind);
    static const char* KindExtension(int importKind);
    static EHeaderType HeaderType(int importKind);
    // The import kind of a header tag (Shift-JIS); IK_NONE when none.
    static int KindFromTag(const std::string& tag);

    static const char* CannotOpenMessage();
    static const char* InvalidContentMessage();
    static const char* ImportFailedMessage();

private:
    bool ReadAndWrite(const std::string& tempPath, const std::string& outputPath);

    CDocument* m_document;
    std::string m_inputPath;
    std::string m_outputPath;
    int m_importKind = IK_NONE;
    std::string m_title;
    std::string m_decodeMessage;
};
