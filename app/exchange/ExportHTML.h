#pragma once

#include <cstdint>
#include <string>

class CAnnaluxDoc;
class IDisplayedLayout;

// One run of the HTML export: the output file, the optional year range and
// the page to go back to from the confirmation. The wizard pages and the
// batch command fill it and call Generate.
class CExportHTML
{
public:
    static constexpr int32_t kNoFirst = -2147483647 - 1;
    static constexpr int32_t kNoLast = 2147483647;
    // Pages of the wizard, by the numbers the back target names.
    enum EPage : int
    {
        PAGE_FILE = 197,
        PAGE_YEAR = 196,
        PAGE_CONFIRM = 199,
        PAGE_FINISH = 198,
    };

    explicit CExportHTML(CAnnaluxDoc& doc);
    virtual ~CExportHTML();

    CAnnaluxDoc& GetDocument() const { return m_doc; }
    void SetOutputPath(const std::string& path) { m_outputPath = path; }
    const std::string& GetOutputPath() const { return m_outputPath; }
    void SetRange(int32_t first, int32_t last)
    {
        m_first = first;
        m_last = last;
    }
    int32_t GetFirst() const { return m_first; }
    int32_t GetLast() const { return m_last; }
    void SetBackTarget(int page) { m_backTarget = page; }
    int GetBackTarget() const { return m_backTarget; }

    // The project's path with ".html" for its extension; for a project never
    // saved, its title with ".html".
    std::string DefaultOutputPath() const;
    // The project's title without its extension (UTF-8).
    std::string Title() const;
    bool OutputFileExists() const;
    // The smallest first and largest last event year over the event
    // libraries; 2147483647 and -32768 when there is none.
    void DefaultRange(int32_t& first, int32_t& last) const;
    // The range as the confirmation shows it.
    std::string RangeText() const;

    // Writes the page of the displayed table; false when it could not be
    // written (nothing shown; the caller tells the user).
    bool Generate(IDisplayedLayout& layout);

    static const char* ExistsQuestion();
    static const char* RangeOrderMessage();
    static const char* GenerateFailedMessage();

private:
    CAnnaluxDoc& m_doc;
    std::string m_outputPath;
    int32_t m_first = kNoFirst;
    int32_t m_last = kNoLast;
    int m_backTarget = PAGE_FILE;
};
