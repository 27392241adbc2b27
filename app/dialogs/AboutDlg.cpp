#include "AboutDlg.h"

#include "DialogButtons.h"
#include "ui_AboutDlg.h"

#include <QApplication>
#include <QIcon>
#include <QStyle>

const char* const CAboutDlg::kVersionText = "Annalux Version 3.17";

struct CAboutDlg::SImpl
{
    Ui::AboutDlg ui;
};

CAboutDlg::CAboutDlg(QWidget* parent) : QDialog(parent), m_impl(std::make_unique<SImpl>())
{
    m_impl->ui.setupUi(this);
    CDialogButtons::Localize(m_impl->ui.buttonBox);
    m_impl->ui.labelVersion->setText(QString::fromUtf8(kVersionText));
    QFont bold = m_impl->ui.labelVersion->font();
    bold.setBold(true);
    m_impl->ui.labelVersion->setFont(bold);

    QIcon icon = QApplication::windowIcon();
    if (icon.isNull())
        icon = style()->standardIcon(QStyle::SP_MessageBoxInformation);
    m_impl->ui.labelIcon->setPixmap(icon.pixmap(48, 48));

    connect(m_impl->ui.buttonBox, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(m_impl->ui.buttonBox, &QDialogButtonBox::rejected, this, &QDialog::reject);
}

CAboutDlg::~CAboutDlg() = default;
