#include "HtmlManage.h"

#include "ShiftJis.h"

namespace {

bool IsWhite(char c)
{
    return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\v' || c == '\f';
}

// White space is ASCII below 0x40, so it is never the trail byte of a
// double-byte character; skipping it keeps pos on a character boundary.
size_t SkipWhite(const std::string& s, size_t pos)
{
    while (pos < s.size() && IsWhite(s[pos]))
        ++pos;
    return pos;
}

} // namespace

bool CHtmlManage::GetLinkFromString(const std::string& text, int pos, std::string& url,
                                    std::string& label, int& begin, int& end)
{
    // The lower-cased copy keeps every byte at its place (trail bytes are
    // left alone), so indices found in it are indices into text.
    const std::string lower = CShiftJis::ToLowerAscii(text);

    const size_t open = CShiftJis::Find(lower, "<a");
    if (open == CShiftJis::npos)
        return false;
    begin = static_cast<int>(open);
    if (pos < begin)
        return false;

    const size_t close = CShiftJis::Find(lower, "</a>");
    if (close == CShiftJis::npos)
        return false;
    end = static_cast<int>(close + 4);
    if (end < pos)
        return false;

    size_t p = SkipWhite(lower, open + 2);
    if (lower.compare(p, 4, "href") != 0)
        return false;
    p = SkipWhite(lower, p + 4);
    if (p >= lower.size() || lower[p] != '=')
        return false;
    p = SkipWhite(lower, p + 1);
    if (p >= lower.size() || lower[p] != '"')
        return false;

    const size_t urlBegin = p + 1;
    const size_t urlEnd = CShiftJis::FindChar(text, '"', urlBegin);
    if (urlEnd == CShiftJis::npos)
        return false;
    url = text.substr(urlBegin, urlEnd - urlBegin);

    const size_t tagEnd = CShiftJis::FindChar(text, '>', urlEnd + 1);
    if (tagEnd == CShiftJis::npos)
        return false;
    const size_t labelEnd = CShiftJis::Find(lower, "</a>", tagEnd + 1);
    if (labelEnd == CShiftJis::npos)
        return false;
    label = text.substr(tagEnd + 1, labelEnd - tagEnd - 1);
    return true;
}

void CHtmlManage::RemoveHtml(const std::string& in, std::string& out)
{
    size_t lt = CShiftJis::FindChar(in, '<');
    if (lt == CShiftJis::npos) {
        out = in;
        return;
    }
    std::string result;
    result.reserve(in.size());
    size_t from = 0;
    while (lt != CShiftJis::npos) {
        result.append(in, from, lt - from);
        const size_t gt = CShiftJis::FindChar(in, '>', lt + 1);
        if (gt == CShiftJis::npos) {
            // An unclosed tag swallows the rest of the text.
            from = in.size();
            break;
        }
        from = gt + 1;
        lt = CShiftJis::FindChar(in, '<', from);
    }
    if (from < in.size())
        result.append(in, from, std::string::npos);
    out.swap(result);
}

std::string CHtmlManage::RemoveHtml(const std::string& in)
{
    std::string out;
    RemoveHtml(in, out);
    return out;
}

std::string CHtmlManage::MakeLink(const std::string& url, const std::string& label)
{
    return "<A HREF=\"" + url + "\">" + label + "</A>";
}
