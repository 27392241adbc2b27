#pragma once

#include <string>

class CDocument;
class IDisplayedLayout;

// Exports a library as a CSV file that spreadsheets can edit and that the CSV
// import turns back into the library: the same lines as the library file,
// each field in standard CSV quoting, escaped line breaks made real inside
// quoted fields. Messages go through the host services.
class CExportCSV
{
public:
    explicit CExportCSV(CDocument* document = nullptr);
    virtual ~CExportCSV();

    void SetTitle(const std::string& title) { m_title = title; }
    const std::string& GetTitle() const { return m_title; }
    void SetInputPath(const std::string& path) { m_inputPath = path; }
    const std::string& GetInputPath() const { return m_inputPath; }
    void SetOutputPath(const std::string& path) { m_outputPath = path; }
    const std::string& GetOutputPath() const { return m_outputPath; }
    void SetInputFileMode(bool on) { m_inputFileMode = on; }
    bool GetInputFileMode() const { return m_inputFileMode; }
    void SetPerLibraryMode(bool on) { m_perLibraryMode = on; }
    bool GetPerLibraryMode() const { return m_perLibraryMode; }
    void SetYearOnFirstLineOnly(bool on) { m_yearOnFirstLineOnly = on; }
    bool GetYearOnFirstLineOnly() const { return m_yearOnFirstLineOnly; }

    // The input path without its last three characters, followed by "csv".
    std::string MakeDefaultOutputPath() const;

    // The per-library conversion of the input library file into the output
    // CSV file. The output is replaced only when it was written whole. False
    // after the failure was shown.
    bool ExportLibrary();

    // The displayed table, as the layout shows it, into the output CSV file
    // (the year on a bucket's first row only, or on every row). False after
    // the failure was shown.
    bool ExportImage(IDisplayedLayout& layout);
    // The export of the current mode.
    bool Export(IDisplayedLayout* layout);

    // The CSV text of a whole library file's bytes.
    static std::string ConvertContent(const std::string& library);
    // One library line (without its LF) as a CSV line (without its CR LF).
    static std::string ConvertLine(const std::string& line);

    // "%s を開けませんでした" with the path.
    static std::string CannotOpenMessage(const std::string& path);

private:
    CDocument* m_document;
    std::string m_title;
    std::string m_inputPath;
    std::string m_outputPath;
    bool m_inputFileMode = false;
    bool m_perLibraryMode = true;
    bool m_yearOnFirstLineOnly = true;
};
