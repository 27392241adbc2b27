#include "DialogSetRow.h"

#include "AnnaluxDoc.h"

const char* const CDialogSetRow::kWidthRangeMessage = "1 から 10000 までの整数を入力してください。";

struct CDialogSetRow::SImpl
{
    CAnnaluxDoc* doc = nullptr;
};

CDialogSetRow::CDialogSetRow(CAnnaluxDoc* doc, QWidget* parent)
    : QDialog(parent), m_impl(std::make_unique<SImpl>())
{
    m_impl->doc = doc;
}

CDialogSetRow::~CDialogSetRow() = default;

void CDialogSetRow::accept()
{
    QDialog::accept();
}
