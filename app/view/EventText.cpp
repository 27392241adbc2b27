#include "EventText.h"

#include "HostText.h"
#include "ShiftJis.h"
#include "TextMeasurer.h"

#include <QVarLengthArray>

#include <algorithm>

namespace {

bool IsA(char c)
{
    return c == 'A' || c == 'a';
}

QString ToQString(const std::string& sjis)
{
    return CHostText::FromSjis(sjis);
}

} // namespace

void CEventText::ScanLinks(const std::string& sjis, std::string& visible,
                           std::vector<SByteLink>& links)
{
    // A byte-wise scanner is safe here: Shift-JIS trail bytes are never '<',
    // '>', '"' or '='. Letters can be trail bytes, but they only matter
    // inside a tag, and no double-byte character starts inside one.
    enum EState
    {
        Text,
        AfterLt,
        InA,
        AfterHref,
        AfterEq,
        InTarget,
        AfterLtSlash
    };
    visible.clear();
    links.clear();
    EState state = Text;
    std::string target;
    bool open = false;
    const size_t n = sjis.size();
    for (size_t i = 0; i < n; ++i) {
        const char c = sjis[i];
        switch (state) {
        case Text:
            if (c == '<') {
                state = AfterLt;
            } else if (CShiftJis::IsLeadByte(static_cast<unsigned char>(c)) && i + 1 < n) {
                visible += c;
                visible += sjis[++i];
            } else {
                visible += c;
            }
            break;
        case AfterLt:
            if (c == '/')
                state = AfterLtSlash;
            else if (c == '>')
                state = Text;
            else if (IsA(c))
                state = InA;
            break;
        case InA:
            if (c == '>') {
                state = Text;
            } else if (i + 4 <= n &&
                       (sjis.compare(i, 4, "HREF") == 0 || sjis.compare(i, 4, "href") == 0)) {
                state = AfterHref;
                i += 3;
            }
            break;
        case AfterHref:
            if (c == '>')
                state = Text;
            else if (c == '=')
                state = AfterEq;
            break;
        case AfterEq:
            if (c == '"') {
                state = InTarget;
                target.clear();
            } else if (c == '>') {
                state = Text;
            }
            break;
        case InTarget:
            if (c == '>') {
                state = Text;
            } else if (c == '"') {
                if (open && !links.empty())
                    links.back().end = visible.size();
                SByteLink link;
                link.start = visible.size();
                link.end = visible.size();
                link.target = target;
                links.push_back(link);
                open = true;
                state = InA;
            } else {
                target += c;
            }
            break;
        case AfterLtSlash:
            if (IsA(c)) {
                if (open) {
                    links.back().end = visible.size();
                    open = false;
                }
                state = AfterLt;
            } else if (c == '>') {
                state = Text;
            }
            break;
        }
    }
    if (open)
        links.back().end = visible.size();
    // A link around no text cannot be drawn or clicked.
    std::vector<SByteLink> kept;
    for (SByteLink& link : links) {
        if (link.end > link.start)
            kept.push_back(std::move(link));
    }
    links.swap(kept);
}

SDisplayText CEventText::Make(const std::string& sjis)
{
    std::string visible;
    std::vector<SByteLink> byteLinks;
    ScanLinks(sjis, visible, byteLinks);
    SDisplayText result;
    size_t done = 0;
    for (const SByteLink& link : byteLinks) {
        result.visible += ToQString(visible.substr(done, link.start - done));
        SDisplayText::SLink out;
        out.start = static_cast<int>(result.visible.size());
        result.visible += ToQString(visible.substr(link.start, link.end - link.start));
        out.end = static_cast<int>(result.visible.size());
        out.target = link.target;
        result.links.push_back(std::move(out));
        done = link.end;
    }
    result.visible += ToQString(visible.substr(done));
    return result;
}

int CEventText::FitLength(const ITextMeasurer& measurer, const QString& text, int from,
                          int available)
{
    const int rest = static_cast<int>(text.size()) - from;
    if (rest <= 0 || available <= 0)
        return 0;
    if (measurer.Width(text.mid(from)) <= available)
        return rest;
    // Widths grow with the length: find the longest prefix that fits.
    int lo = 0, hi = rest; // lo fits, hi does not
    while (hi - lo > 1) {
        const int mid = lo + (hi - lo) / 2;
        if (measurer.Width(text.mid(from, mid)) <= available)
            lo = mid;
        else
            hi = mid;
    }
    if (lo > 0 && text.at(from + lo - 1).isHighSurrogate())
        --lo;
    return lo;
}

namespace {

// The lines MeasuredWrapLines finds, from the characters' advances: a
// prefix measures (sum + 32) >> 6 pixels, so it fits available pixels while
// its sum stays at most available * 64 + 31. False when a character has no
// advance of its own.
bool WrapByAdvances(const ITextMeasurer& measurer, const QString& text, int firstAvailable,
                    int width, std::vector<std::pair<int, int>>& lines)
{
    const int n = static_cast<int>(text.size());
    QVarLengthArray<int32_t, 128> advances(n);
    for (int i = 0; i < n; ++i) {
        advances[i] = measurer.Advance64(text.at(i).unicode());
        if (advances[i] < 0)
            return false;
    }
    auto fit = [&](int from, int available) {
        if (available <= 0)
            return 0;
        const int64_t limit = static_cast<int64_t>(available) * 64 + 31;
        int64_t sum = 0;
        int end = from;
        while (end < n && sum + advances[end] <= limit)
            sum += advances[end++];
        return end - from;
    };
    int pos = fit(0, firstAvailable);
    lines.emplace_back(0, pos);
    while (pos < n) {
        // Every further line holds at least one character.
        const int len = std::max(1, fit(pos, width));
        lines.emplace_back(pos, len);
        pos += len;
    }
    return true;
}

} // namespace

std::vector<std::pair<int, int>> CEventText::WrapLines(const ITextMeasurer& measurer,
                                                       const QString& text, int firstAvailable,
                                                       int width)
{
    // Shaping a text costs microseconds; a wrapped screen breaks hundreds of
    // texts every paint.
    std::vector<std::pair<int, int>> lines;
    if (WrapByAdvances(measurer, text, firstAvailable, width, lines))
        return lines;
    lines.clear();
    return MeasuredWrapLines(measurer, text, firstAvailable, width);
}

std::vector<std::pair<int, int>> CEventText::MeasuredWrapLines(const ITextMeasurer& measurer,
                                                               const QString& text,
                                                               int firstAvailable, int width)
{
    std::vector<std::pair<int, int>> lines;
    const int n = static_cast<int>(text.size());
    int pos = FitLength(measurer, text, 0, firstAvailable);
    lines.emplace_back(0, pos);
    while (pos < n) {
        int len = FitLength(measurer, text, pos, width);
        if (len == 0)
            len = (text.at(pos).isHighSurrogate() && pos + 1 < n) ? 2 : 1;
        lines.emplace_back(pos, len);
        pos += len;
    }
    return lines;
}

const SDisplayText& CTextCache::Get(const std::string& sjis)
{
    auto found = m_map.find(sjis);
    if (found != m_map.end())
        return found->second;
    // Texts of libraries that were closed would otherwise pile up.
    if (m_map.size() > 500000)
        m_map.clear();
    return m_map.emplace(sjis, CEventText::Make(sjis)).first->second;
}
