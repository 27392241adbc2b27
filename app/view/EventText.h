#pragma once

#include <QString>

#include <string>
#include <unordered_map>
#include <utility>
#include <vector>

class ITextMeasurer;

// The visible text of an event or name and the links in it, as drawn.
struct SDisplayText
{
    struct SLink
    {
        int start = 0; // in UTF-16 units of visible
        int end = 0;
        std::string target; // Shift-JIS, as written in the markup
    };
    QString visible;
    std::vector<SLink> links;
};

// Splitting stored texts into what is drawn, and breaking drawn text into
// lines. Layout and painting break lines the same way, so the rows reserved
// for a wrapped event are exactly the rows it is drawn in.
class CEventText
{
public:
    struct SByteLink
    {
        size_t start = 0; // byte offsets into the visible text
        size_t end = 0;
        std::string target;
    };
    // Removes every tag; records A tags with an HREF target as links. A link
    // that is never closed runs to the end of the text; a closing tag
    // without an open link is dropped; a new link closes an open one.
    static void ScanLinks(const std::string& sjis, std::string& visible,
                          std::vector<SByteLink>& links);
    // ScanLinks, converted for drawing.
    static SDisplayText Make(const std::string& sjis);

    // How many UTF-16 units of text from from on fit into available pixels
    // (never splitting a surrogate pair; 0 when not even one character fits).
    static int FitLength(const ITextMeasurer& measurer, const QString& text, int from,
                         int available);
    // Lines (start, length) of text: the first fits firstAvailable, every
    // further one width and holds at least one character. A text whose
    // characters all have advances of their own (ITextMeasurer::Advance64) is
    // broken from their sums without shaping it; any other is measured.
    static std::vector<std::pair<int, int>>
    WrapLines(const ITextMeasurer& measurer, const QString& text, int firstAvailable, int width);
    // The same lines, always found by measuring the text with Width.
    static std::vector<std::pair<int, int>> MeasuredWrapLines(const ITextMeasurer& measurer,
                                                              const QString& text,
                                                              int firstAvailable, int width);
};

// Converted and scanned texts by their stored bytes, so that the paint path
// does not convert the same text every frame.
class CTextCache
{
public:
    const SDisplayText& Get(const std::string& sjis);
    void Clear() { m_map.clear(); }
    size_t Size() const { return m_map.size(); }

private:
    std::unordered_map<std::string, SDisplayText> m_map;
};
