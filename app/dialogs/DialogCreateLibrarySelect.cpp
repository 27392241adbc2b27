#include "DialogCreateLibrarySelect.h"

#include "DialogButtons.h"
#include "DialogSelectLibrary.h"

#include "ui_DialogCreateLibrarySelect.h"

#include <QRadioButton>

struct CDialogCreateLibrarySelect::SImpl
{
    Ui::DialogCreateLibrarySelect ui;
    QRadioButton* radios[CDialogSelectLibrary::kOptionCount] = {};
};

CDialogCreateLibrarySelect::CDialogCreateLibrarySelect(QWidget* parent)
    : QDialog(parent), m_impl(std::make_unique<SImpl>())
{
    Ui::DialogCreateLibrarySelect& ui = m_impl->ui;
    ui.setupUi(this);
    CDialogButtons::Localize(ui.buttonBox);
    m_impl->radios[0] = ui.radioGengou;
    m_impl->radios[1] = ui.radioEra;
    m_impl->radios[2] = ui.radioBaseYear;
    m_impl->radios[3] = ui.radioEvent;
    SetOption(CDialogSelectLibrary::kDefaultOption);
    connect(ui.buttonBox, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(ui.buttonBox, &QDialogButtonBox::rejected, this, &QDialog::reject);
}

CDialogCreateLibrarySelect::~CDialogCreateLibrarySelect() = default;

void CDialogCreateLibrarySelect::SetOption(int option)
{
    if (option < 0 || option >= CDialogSelectLibrary::kOptionCount)
        option = CDialogSelectLibrary::kDefaultOption;
    m_impl->radios[option]->setChecked(true);
    m_impl->radios[option]->setFocus();
}

int CDialogCreateLibrarySelect::GetOption() const
{
    for (int option = 0; option < CDialogSelectLibrary::kOptionCount; ++option)
        if (m_impl->radios[option]->isChecked())
            return option;
    return CDialogSelectLibrary::kDefaultOption;
}

int CDialogCreateLibrarySelect::GetKind() const
{
    return CDialogSelectLibrary::KindFromOption(GetOption());
}
