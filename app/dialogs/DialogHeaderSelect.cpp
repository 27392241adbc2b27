#include "DialogHeaderSelect.h"

#include "HeaderManager.h"

struct CDialogHeaderSelect::SImpl
{
    std::vector<bool> checked;
};

CDialogHeaderSelect::CDialogHeaderSelect(const CHeaderManager& columns, QWidget* parent)
    : QDialog(parent), m_impl(std::make_unique<SImpl>())
{
    m_impl->checked.assign(static_cast<size_t>(columns.GetCount()), false);
}

CDialogHeaderSelect::~CDialogHeaderSelect() = default;

std::vector<bool> CDialogHeaderSelect::GetChecked() const
{
    return m_impl->checked;
}

void CDialogHeaderSelect::SetChecked(int column, bool checked)
{
    if (column >= 0 && column < static_cast<int>(m_impl->checked.size()))
        m_impl->checked[static_cast<size_t>(column)] = checked;
}
