#include "DialogSetColors.h"

struct CDialogSetColors::SImpl
{
    CAnnaluxDoc* doc = nullptr;
    COLORREF custom[CAnnaluxDoc::kCustomColorCount] = {};
};

CDialogSetColors::CDialogSetColors(CAnnaluxDoc* doc, QWidget* parent)
    : QDialog(parent), m_impl(std::make_unique<SImpl>())
{
    m_impl->doc = doc;
}

CDialogSetColors::~CDialogSetColors() = default;

bool CDialogSetColors::GetSetAsDefault() const
{
    return false;
}
COLORREF CDialogSetColors::GetCustomColor(int index) const
{
    return m_impl->custom[index];
}
void CDialogSetColors::ChooseDocumentColor(CAnnaluxDoc::EColor) {}
void CDialogSetColors::accept()
{
    QDialog::accept();
}
void CDialogSetColors::reject()
{
    QDialog::reject();
}
bool CDialogSetColors::ChooseColor(COLORREF&, COLORREF (&)[CAnnaluxDoc::kCustomColorCount])
{
    return false;
}
void CDialogSetColors::RefreshSwatches() {}
