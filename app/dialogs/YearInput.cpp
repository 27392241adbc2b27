#include "YearInput.h"

#include "HostServices.h"

#include <QLineEdit>

const char* const CYearInput::kYearZeroMessage =
    "0年という年はありません。紀元前1年は-1、紀元1年は1と入力してください";

bool CYearInput::IsZero(const QString& text)
{
    bool ok = false;
    const qlonglong value = text.trimmed().toLongLong(&ok);
    return ok && value == 0;
}

void CYearInput::RefuseZero(QWidget* field)
{
    CHostServices::Get().MessageBox(kYearZeroMessage, CHostServices::IconWarning);
    if (!field)
        return;
    field->setFocus();
    if (auto* edit = qobject_cast<QLineEdit*>(field))
        edit->selectAll();
}
