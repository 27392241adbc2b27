#include "DlgInfo.h"

#include "AnnaluxDoc.h"
#include "DialogButtons.h"
#include "HostText.h"
#include "InputMethod.h"
#include "SjisInput.h"
#include "TableBase.h"

#include "ui_DlgInfo.h"

struct CDlgInfo::SImpl
{
    Ui::DlgInfo ui;
    CAnnaluxDoc* doc = nullptr;
};

CDlgInfo::CDlgInfo(CAnnaluxDoc* doc, QWidget* parent)
    : QDialog(parent), m_impl(std::make_unique<SImpl>())
{
    SImpl& d = *m_impl;
    d.doc = doc;
    d.ui.setupUi(this);
    CDialogButtons::Localize(d.ui.buttonBox);
    CInputMethod::SwitchOn(d.ui.editDescription);
    d.ui.editDescription->setPlainText(CSjisInput::FromSjisLines(doc->GetDescription()));
    d.ui.editLibraries->setPlainText(LibraryList(*doc));
    d.ui.editDescription->setFocus();
    connect(d.ui.buttonBox, &QDialogButtonBox::accepted, this, &CDlgInfo::accept);
    connect(d.ui.buttonBox, &QDialogButtonBox::rejected, this, &QDialog::reject);
}

CDlgInfo::~CDlgInfo() = default;

QString CDlgInfo::LibraryList(const CAnnaluxDoc& doc)
{
    QString text;
    const CHeaderManager& columns = doc.GetColumns();
    for (int i = 0; i < columns.GetCount(); ++i) {
        const CTableBase* table = columns.GetTable(i);
        if (!table)
            continue;
        text += CSjisInput::FromSjis(table->GetTableName());
        text += QLatin1Char('\n');
        text += CHostText::FromHostPath(table->GetFileName());
        text += QStringLiteral("\n\n");
    }
    return text;
}

void CDlgInfo::accept()
{
    SImpl& d = *m_impl;
    std::string sjis;
    if (!CSjisInput::ToSjis(d.ui.editDescription->toPlainText(), sjis, d.ui.editDescription))
        return;
    // The document marks itself modified only when the text really changed.
    d.doc->SetDescription(CSjisInput::WithCrLf(sjis));
    QDialog::accept();
}
