#include "DialogInsertSelect.h"

#include "DialogButtons.h"
#include "HeaderManager.h"
#include "SjisInput.h"
#include "TableBase.h"

#include "ui_DialogInsertSelect.h"

#include <QFileInfo>
#include <QHeaderView>
#include <QTreeWidget>

struct CDialogInsertSelect::SImpl
{
    Ui::DialogInsertSelect ui;
};

namespace {

QString ColumnName(const SHeaderKind& column)
{
    if (column.kind == CK_YEAR || !column.table)
        return QString::fromUtf8(ColumnKindLabel(CK_YEAR));
    const std::string& title = column.table->GetTableName();
    if (!title.empty())
        return CSjisInput::FromSjis(title);
    // An untitled library is told apart by its file.
    return QFileInfo(QString::fromStdString(column.table->GetFileName())).fileName();
}

} // namespace

CDialogInsertSelect::CDialogInsertSelect(const CHeaderManager& columns, QWidget* parent)
    : QDialog(parent), m_impl(std::make_unique<SImpl>())
{
    Ui::DialogInsertSelect& ui = m_impl->ui;
    ui.setupUi(this);
    CDialogButtons::Localize(ui.buttonBox);
    for (int i = 0; i < columns.GetCount(); ++i) {
        const SHeaderKind& column = columns.GetAt(i);
        const char* kind = ColumnKindLabel(column.kind);
        auto* item = new QTreeWidgetItem(ui.listColumns);
        item->setText(0, ColumnName(column));
        item->setText(1, QString::fromUtf8(kind ? kind : ""));
    }
    ui.listColumns->header()->setSectionResizeMode(0, QHeaderView::Stretch);
    ui.listColumns->header()->setSectionResizeMode(1, QHeaderView::ResizeToContents);
    ui.listColumns->header()->setStretchLastSection(false);
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
