#include "DialogGotoYear.h"

#include "AnnaluxView.h"
#include "DialogButtons.h"
#include "HostServices.h"
#include "SjisInput.h"

#include "ui_DialogGotoYear.h"

#include <QPointer>

const char* const CDialogGotoYear::kNotFoundMessage = "指定年がありませんでした。";

struct CDialogGotoYear::SImpl
{
    Ui::DialogGotoYear ui;
    QPointer<CAnnaluxView> view;
};

CDialogGotoYear::CDialogGotoYear(CAnnaluxView* view, QWidget* parent)
    : QDialog(parent), m_impl(std::make_unique<SImpl>())
{
    m_impl->view = view;
    m_impl->ui.setupUi(this);
    CDialogButtons::Localize(m_impl->ui.buttonBox);
    connect(m_impl->ui.buttonBox, &QDialogButtonBox::accepted, this, &CDialogGotoYear::accept);
    connect(m_impl->ui.buttonBox, &QDialogButtonBox::rejected, this, &QDialog::reject);
}

CDialogGotoYear::~CDialogGotoYear() = default;

void CDialogGotoYear::accept()
{
    SImpl& d = *m_impl;
    std::string text;
    if (!CSjisInput::ToSjis(d.ui.editText->text().trimmed(), text, d.ui.editText))
        return;
    if (!d.view || text.empty() || !d.view->GoToYear(text)) {
        CHostServices::Get().MessageBox(kNotFoundMessage, CHostServices::IconInformation);
        d.ui.editText->setFocus();
        d.ui.editText->selectAll();
        return;
    }
    QDialog::accept();
}
