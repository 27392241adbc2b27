#include "DialogHeaderSelect.h"

#include "ColumnList.h"
#include "DialogButtons.h"
#include "HeaderManager.h"

#include "ui_DialogHeaderSelect.h"

#include <QTreeWidget>

struct CDialogHeaderSelect::SImpl
{
    Ui::DialogHeaderSelect ui;
};

CDialogHeaderSelect::CDialogHeaderSelect(const CHeaderManager& columns, QWidget* parent)
    : QDialog(parent), m_impl(std::make_unique<SImpl>())
{
    Ui::DialogHeaderSelect& ui = m_impl->ui;
    ui.setupUi(this);
    CDialogButtons::Localize(ui.buttonBox);
    CColumnList::Fill(ui.listColumns, columns);
    // Columns are picked by their check boxes.
    for (int i = 0; i < ui.listColumns->topLevelItemCount(); ++i) {
        QTreeWidgetItem* item = ui.listColumns->topLevelItem(i);
        item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsUserCheckable);
        item->setCheckState(0, Qt::Unchecked);
    }
    if (ui.listColumns->topLevelItemCount() > 0)
        ui.listColumns->setCurrentItem(ui.listColumns->topLevelItem(0));

    connect(ui.buttonBox, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(ui.buttonBox, &QDialogButtonBox::rejected, this, &QDialog::reject);
}

CDialogHeaderSelect::~CDialogHeaderSelect() = default;

std::vector<bool> CDialogHeaderSelect::GetChecked() const
{
    const QTreeWidget* list = m_impl->ui.listColumns;
    std::vector<bool> checked;
    checked.reserve(static_cast<size_t>(list->topLevelItemCount()));
    for (int i = 0; i < list->topLevelItemCount(); ++i)
        checked.push_back(list->topLevelItem(i)->checkState(0) == Qt::Checked);
    return checked;
}

void CDialogHeaderSelect::SetChecked(int column, bool checked)
{
    if (QTreeWidgetItem* item = m_impl->ui.listColumns->topLevelItem(column))
        item->setCheckState(0, checked ? Qt::Checked : Qt::Unchecked);
}
