#include "DialogProperty.h"

#include "DialogButtons.h"
#include "HostServices.h"
#include "InputMethod.h"
#include "SjisInput.h"
#include "TableBase.h"

#include "ui_DialogProperty.h"

const char* const CDialogProperty::kNoTitleMessage = "タイトル名が入力されていません";

struct CDialogProperty::SImpl
{
    Ui::DialogProperty ui;
    CTableBase* table = nullptr;
    bool events = false;
};

CDialogProperty::CDialogProperty(CTableBase* table, int kind, QWidget* parent)
    : QDialog(parent), m_impl(std::make_unique<SImpl>())
{
    SImpl& d = *m_impl;
    d.table = table;
    d.events = kind == HT_EVENT;
    d.ui.setupUi(this);
    CDialogButtons::Localize(d.ui.buttonBox);
    CInputMethod::SwitchOn(d.ui.editTitle);
    CInputMethod::SwitchOn(d.ui.editExplanation);

    d.ui.editTitle->setText(CSjisInput::FromSjis(table->GetTableName()));
    d.ui.editExplanation->setPlainText(CSjisInput::FromSjisLines(table->GetExplanation()));
    d.ui.checkToday->setChecked(d.events && table->GetTodayDate());
    d.ui.checkToday->setEnabled(d.events);
    d.ui.checkToday->setVisible(d.events);
    d.ui.editTitle->setFocus();

    connect(d.ui.buttonBox, &QDialogButtonBox::accepted, this, &CDialogProperty::accept);
    connect(d.ui.buttonBox, &QDialogButtonBox::rejected, this, &QDialog::reject);
}

CDialogProperty::~CDialogProperty() = default;

void CDialogProperty::accept()
{
    SImpl& d = *m_impl;
    const QString title = d.ui.editTitle->text();
    if (title.trimmed().isEmpty()) {
        CHostServices::Get().MessageBox(kNoTitleMessage, CHostServices::IconWarning);
        d.ui.editTitle->setFocus();
        return;
    }
    std::string sjisTitle;
    std::string sjisExplanation;
    if (!CSjisInput::ToSjis(title, sjisTitle, d.ui.editTitle))
        return;
    if (!CSjisInput::ToSjis(d.ui.editExplanation->toPlainText(), sjisExplanation,
                            d.ui.editExplanation))
        return;
    sjisExplanation = CSjisInput::WithCrLf(sjisExplanation);
    d.table->SetTableName(sjisTitle);
    d.table->SetExplanation(sjisExplanation);
    if (d.events)
        d.table->SetTodayDate(d.ui.checkToday->isChecked());
    QDialog::accept();
}
