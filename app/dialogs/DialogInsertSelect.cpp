#include "DialogInsertSelect.h"

#include "ColumnList.h"
#include "DialogButtons.h"
#include "HeaderManager.h"

#include "ui_DialogInsertSelect.h"

#include <QTreeWidget>

struct CDialogInsertSelect::SImpl
{
    Ui::DialogInsertSelect ui;
};

CDialogInsertSelect::CDialogInsertSelect(const CHeaderManager& columns, QWidget* parent)
    : QDialog(parent), m_impl(std::make_unique<SImpl>())
{
    Ui::DialogInsertSelect& ui = m_impl->ui;
    ui.setupUi(this);
    CDialogButtons::Localize(ui.buttonBox);
    CColumnList::Fill(ui.listColumns, columns);
    ui.listColumns->setSelectionMode(QAbstractItemView::SingleSelection);
    SetSelectedRow(columns.GetCount() - 1);
    ui.radioAfter->setChecked(true);

    connect(ui.buttonBox, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(ui.buttonBox, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(ui.listColumns, &QTreeWidget::itemDoubleClicked, this, &QDialog::accept);
}

CDialogInsertSelect::~CDialogInsertSelect() = default;

int CDialogInsertSelect::GetSelectedRow() const
{
    const QTreeWidget* list = m_impl->ui.listColumns;
    const QList<QTreeWidgetItem*> selected = list->selectedItems();
    if (selected.isEmpty())
        return -1;
    return list->indexOfTopLevelItem(selected.front());
}

void CDialogInsertSelect::SetSelectedRow(int row)
{
    QTreeWidget* list = m_impl->ui.listColumns;
    list->clearSelection();
    if (QTreeWidgetItem* item = list->topLevelItem(row)) {
        list->setCurrentItem(item);
        item->setSelected(true);
    }
}

bool CDialogInsertSelect::GetAfter() const
{
    return !m_impl->ui.radioBefore->isChecked();
}

void CDialogInsertSelect::SetAfter(bool after)
{
    (after ? m_impl->ui.radioAfter : m_impl->ui.radioBefore)->setChecked(true);
}

int CDialogInsertSelect::InsertPosition(int row, bool after)
{
    if (row < 0)
        return 0;
    return after ? row + 1 : row;
}
