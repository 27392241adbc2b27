#pragma once

// The defaults of one column kind: the width of a new column and whether
// resizing one column of the kind resizes all of them.
class CRowInfo
{
public:
    CRowInfo() = default;
    CRowInfo(int width, bool sameWidth) : m_width(width), m_sameWidth(sameWidth) {}

    int GetWidth() const { return m_width; }
    bool GetSameWidth() const { return m_sameWidth; }
    void SetWidth(int width) { m_width = width; }
    void SetSameWidth(bool sameWidth) { m_sameWidth = sameWidth; }
    void Set(int width, bool sameWidth);

    bool operator==(const CRowInfo& other) const
    {
        return m_width == other.m_width && m_sameWidth == other.m_sameWidth;
    }

private:
    int m_width = 50;
    bool m_sameWidth = false;
};
