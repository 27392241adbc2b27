#include "RecentFileList.h"

#include "HostText.h"
#include "Settings.h"

#include <QDir>
#include <QFileInfo>
#include <QString>
#include <algorithm>

namespace {

std::string KeyOf(int index)
{
    return "File" + std::to_string(index + 1);
}

// Two names of one file: the same absolute, cleaned path.
std::string Canonical(const std::string& path)
{
    const QString p = CHostText::FromHostPath(path);
    return CHostText::ToHostPath(QDir::cleanPath(QFileInfo(p).absoluteFilePath()));
}

} // namespace

CRecentFileList::CRecentFileList(int size) : m_entries(static_cast<size_t>(std::max(size, 1))) {}

std::string CRecentFileList::GetAt(int index) const
{
    if (index < 0 || index >= GetSize())
        return std::string();
    return m_entries[static_cast<size_t>(index)];
}

std::vector<std::string> CRecentFileList::GetNonEmpty() const
{
    std::vector<std::string> out;
    for (const std::string& e : m_entries)
        if (!e.empty())
            out.push_back(e);
    return out;
}

void CRecentFileList::Add(const std::string& path)
{
    if (path.empty())
        return;
    const std::string entry = Canonical(path);
    auto found = std::find(m_entries.begin(), m_entries.end(), entry);
    if (found == m_entries.end())
        found = m_entries.end() - 1; // the oldest falls off
    m_entries.erase(found);
    m_entries.insert(m_entries.begin(), entry);
}

void CRecentFileList::Remove(int index)
{
    if (index < 0 || index >= GetSize())
        return;
    m_entries.erase(m_entries.begin() + index);
    m_entries.push_back(std::string());
}

void CRecentFileList::Load(const CSettings& settings)
{
    std::fill(m_entries.begin(), m_entries.end(), std::string());
    // Gaps left by hand in the stored list close up.
    size_t next = 0;
    for (int i = 0; i < GetSize(); ++i) {
        const std::string path = settings.GetString(kSection, KeyOf(i).c_str());
        if (!path.empty() && std::find(m_entries.begin(), m_entries.end(), path) == m_entries.end())
            m_entries[next++] = path;
    }
}

void CRecentFileList::Save(CSettings& settings) const
{
    for (int i = 0; i < GetSize(); ++i) {
        const std::string key = KeyOf(i);
        if (m_entries[static_cast<size_t>(i)].empty())
            settings.Remove(kSection, key.c_str());
        else
            settings.SetString(kSection, key.c_str(), m_entries[static_cast<size_t>(i)]);
    }
}

std::string CRecentFileList::MenuText(int index, int maxChars) const
{
    QString name = CHostText::FromHostPath(GetAt(index));
    if (maxChars > 8 && name.size() > maxChars) {
        const int keep = maxChars - 3;
        const int tail = keep * 2 / 3;
        name = name.left(keep - tail) + QStringLiteral("...") + name.right(tail);
    }
    // A literal '&' in a path must not become a mnemonic.
    name.replace(QLatin1Char('&'), QStringLiteral("&&"));
    return "&" + std::to_string(index + 1) + " " + CHostText::ToHostPath(name);
}
