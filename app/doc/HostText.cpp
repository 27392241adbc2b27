#include "HostText.h"

#include "ShiftJis.h"

QString CHostText::FromUtf8(const std::string& utf8)
{
    return QString::fromStdString(utf8);
}

std::string CHostText::ToUtf8(const QString& text)
{
    return text.toStdString();
}

QString CHostText::FromHostPath(const std::string& hostPath)
{
    return QString::fromStdString(hostPath);
}

std::string CHostText::ToHostPath(const QString& path)
{
    return path.toStdString();
}

QString CHostText::FromLocale(const std::string& localeText)
{
    return QString::fromLocal8Bit(localeText.data(), static_cast<qsizetype>(localeText.size()));
}

QString CHostText::FromSjis(const std::string& sjis)
{
    return QString::fromStdString(CShiftJis::ToUtf8Lossy(sjis));
}
