#include "DialogGotoEra.h"

#include "AnnaluxView.h"
#include "DialogButtons.h"
#include "GotoText.h"

#include "ui_DialogGotoEra.h"

#include <QPointer>

const char* const CDialogGotoEra::kNotFoundMessage = "指定した時代がありませんでした。";

struct CDialogGotoEra::SImpl
{
    Ui::DialogGotoEra ui;
    QPointer<CAnnaluxView> view;
};

CDialogGotoEra::CDialogGotoEra(CAnnaluxView* view, QWidget* parent)
    : QDialog(parent), m_impl(std::make_unique<SImpl>())
{
    m_impl->view = view;
    m_impl->ui.setupUi(this);
    CDialogButtons::Localize(m_impl->ui.buttonBox);
    connect(m_impl->ui.buttonBox, &QDialogButtonBox::accepted, this, &CDialogGotoEra::accept);
    connect(m_impl->ui.buttonBox, &QDialogButtonBox::rejected, this, &QDialog::reject);
}

CDialogGotoEra::~CDialogGotoEra() = default;

void CDialogGotoEra::accept()
{
    SImpl& d = *m_impl;
    if (CGotoText::Try(d.ui.editText, kNotFoundMessage, [&d](const std::string& text) {
            return d.view && d.view->GoToPeriod(text);
        }))
        QDialog::accept();
}
