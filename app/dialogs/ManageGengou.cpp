#include "ManageGengou.h"

#include "AnnaluxDoc.h"
#include "GengouEra.h"
#include "HostText.h"
#include "HtmlManage.h"
#include "ShiftJis.h"
#include "TableBase.h"

#include <QComboBox>

QString CManageGengou::ItemText(const std::string& sjisName, int32_t startYear, int32_t endYear)
{
    const QString name = CHostText::FromSjis(CHtmlManage::RemoveHtml(sjisName));
    // 64 bits: an era spanning the whole year range must not wrap.
    const int64_t length = int64_t(endYear) - int64_t(startYear) + 1;
    return name + QStringLiteral("(～%1)").arg(length);
}

void CManageGengou::Fill(QComboBox* combo, QComboBox* second) const
{
    if (!m_doc)
        return;
    for (int t = 0; t < m_doc->GetEraNameTableCount(); ++t) {
        const CGengouEra* table = m_doc->GetEraNameTable(t);
        for (const SGengouEraTable& row : table->GetGengouEraTable()) {
            const QString item = ItemText(row.name, row.startYear, row.endYear);
            if (combo)
                combo->addItem(item);
            if (second)
                second->addItem(item);
        }
    }
}

int32_t CManageGengou::GetWesternYear(const std::string& sjisText, int32_t eraYear) const
{
    if (!m_doc)
        return kNoYear;
    std::string text = sjisText;
    for (;;) {
        for (int t = 0; t < m_doc->GetEraNameTableCount(); ++t) {
            const int32_t year = m_doc->GetEraNameTable(t)->GetWesternYear(text, eraYear);
            if (year != kNoYear)
                return year;
        }
        const size_t open = CShiftJis::FindLastChar(text, '(');
        if (open == CShiftJis::npos)
            return kNoYear;
        text.resize(open);
    }
}

int32_t CManageGengou::GetWesternYear(const QString& text, int32_t eraYear) const
{
    std::string sjis;
    if (!CShiftJis::FromUtf8(CHostText::ToUtf8(text), sjis))
        return kNoYear;
    return GetWesternYear(sjis, eraYear);
}
