#include "DialogGotoYear.h"

#include "AnnaluxView.h"
#include "DialogButtons.h"
#include "GotoText.h"

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
    if (CGotoText::Try(d.ui.editText, kNotFoundMessage,
                       [&d](const std::string& text) { return d.view && d.view->GoToYear(text); }))
        QDialog::accept();
}
