#include "SelectData.h"

#include "DialogButtons.h"
#include "HostServices.h"

#include "ui_SelectData.h"

const char* const CSelectData::kNothingChosenMessage = "どれか１つを選択して下さい";

struct CSelectData::SImpl
{
    Ui::SelectData ui;
};

CSelectData::CSelectData(const QStringList& titles, QWidget* parent)
    : QDialog(parent), m_impl(std::make_unique<SImpl>())
{
    Ui::SelectData& ui = m_impl->ui;
    ui.setupUi(this);
    CDialogButtons::Localize(ui.buttonBox);
    ui.listData->addItems(titles);
    ui.listData->setSelectionMode(QAbstractItemView::SingleSelection);
    connect(ui.buttonBox, &QDialogButtonBox::accepted, this, &CSelectData::accept);
    connect(ui.buttonBox, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(ui.listData, &QListWidget::itemDoubleClicked, this, &CSelectData::accept);
}

CSelectData::~CSelectData() = default;

int CSelectData::GetIndex() const
{
    const QListWidget* list = m_impl->ui.listData;
    const QList<QListWidgetItem*> selected = list->selectedItems();
    return selected.isEmpty() ? -1 : list->row(selected.front());
}

void CSelectData::SetIndex(int index)
{
    QListWidget* list = m_impl->ui.listData;
    list->clearSelection();
    if (QListWidgetItem* item = list->item(index)) {
        list->setCurrentItem(item);
        item->setSelected(true);
    }
}

void CSelectData::accept()
{
    if (GetIndex() < 0) {
        CHostServices::Get().MessageBox(kNothingChosenMessage, CHostServices::IconWarning);
        m_impl->ui.listData->setFocus();
        return;
    }
    QDialog::accept();
}
