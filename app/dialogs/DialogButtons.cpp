#include "DialogButtons.h"

#include <QDialogButtonBox>
#include <QPushButton>

void CDialogButtons::Localize(QDialogButtonBox* box)
{
    if (QPushButton* ok = box->button(QDialogButtonBox::Ok))
        ok->setText(QStringLiteral("OK"));
    if (QPushButton* cancel = box->button(QDialogButtonBox::Cancel))
        cancel->setText(QStringLiteral("キャンセル"));
}
