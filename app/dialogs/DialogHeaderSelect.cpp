#include "DialogHeaderSelect.h"

#include "DialogButtons.h"
#include "HeaderManager.h"
#include "ShiftJis.h"
#include "TableBase.h"

#include "ui_DialogHeaderSelect.h"

#include <QFileInfo>
#include <QHeaderView>
#include <QTreeWidget>

struct CDialogHeaderSelect::SImpl
{
    Ui::DialogHeaderSelect ui;
};

namespace {

QString ColumnName(const SHeaderKind& column)
{
    if (column.kind == CK_YEAR || !column.table)
        return QString::fromUtf8(ColumnKindLabel(CK_YEAR));
    const std::string& title = column.table->GetTableName();
    if (!title.empty())
        return QString::fromStdString(CShiftJis::ToUtf8Lossy(title));
    // An untitled library is told apart by its file.
    return QFileInfo(QString::fromStdString(column.table->GetFileName())).fileName();
}

} // namespace

CDialogHeaderSelect::CDialogHeaderSelect(const CHeaderManager& columns, QWidget* parent)
    : QDialog(parent), m_impl(std::make_unique<SImpl>())
{
    Ui::DialogHeaderSelect& ui = m_impl->ui;
    ui.setupUi(this);
    CDialogButtons::Localize(ui.buttonBox);
    for (int i = 0; i < columns.GetCount(); ++i) {
        const SHeaderKind& column = columns.GetAt(i);
        const char* kind = ColumnKindLabel(column.kind);
        auto* item = new QTreeWidgetItem(ui.listColumns);
        item->setText(0, ColumnName(column));
        item->setText(1, QString::fromUtf8(kind ? kind : ""));
        item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsUserCheckable);
        item->setCheckState(0, Qt::Unchecked);
    }
    ui.listColumns->header()->setSectionResizeMode(0, QHeaderView::Stretch);
    ui.listColumns->header()->setSectionResizeMode(1, QHeaderView::ResizeToContents);
    ui.listColumns->header()->setStretchLastSection(false);
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
