#include "ColumnList.h"

#include "HeaderManager.h"
#include "HostText.h"
#include "SjisInput.h"
#include "TableBase.h"

#include <QFileInfo>
#include <QHeaderView>
#include <QTreeWidget>

namespace {

QString ColumnName(const SHeaderKind& column)
{
    if (column.kind == CK_YEAR || !column.table)
        return QString::fromUtf8(ColumnKindLabel(CK_YEAR));
    const std::string& title = column.table->GetTableName();
    if (!title.empty())
        return CSjisInput::FromSjis(title);
    // An untitled library is told apart by its file.
    return QFileInfo(CHostText::FromHostPath(column.table->GetFileName())).fileName();
}

} // namespace

void CColumnList::Fill(QTreeWidget* list, const CHeaderManager& columns)
{
    for (int i = 0; i < columns.GetCount(); ++i) {
        const SHeaderKind& column = columns.GetAt(i);
        const char* kind = ColumnKindLabel(column.kind);
        auto* item = new QTreeWidgetItem(list);
        item->setText(0, ColumnName(column));
        item->setText(1, QString::fromUtf8(kind ? kind : ""));
    }
    list->header()->setSectionResizeMode(0, QHeaderView::Stretch);
    list->header()->setSectionResizeMode(1, QHeaderView::ResizeToContents);
    list->header()->setStretchLastSection(false);
}
