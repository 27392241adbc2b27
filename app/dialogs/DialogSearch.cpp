#include "DialogSearch.h"

#include "AnnaluxView.h"
#include "HostServices.h"
#include "Settings.h"
#include "SjisInput.h"

#include "ui_DialogSearch.h"

#include <QCloseEvent>
#include <QPointer>

const char* const CDialogSearch::kNotFoundMessage = "検索文字列が見つかりませんでした";

struct CDialogSearch::SImpl
{
    Ui::DialogSearch ui;
    // The view may go before a modeless dialog does.
    QPointer<CAnnaluxView> view;
    bool closing = false;
};

CDialogSearch::CDialogSearch(CAnnaluxView* view, QWidget* owner)
    : QDialog(owner), m_impl(std::make_unique<SImpl>())
{
    SImpl& d = *m_impl;
    d.view = view;
    d.ui.setupUi(this);
    setAttribute(Qt::WA_DeleteOnClose);
    setModal(false);
    d.ui.checkCase->setChecked(CSettings::Get().GetCapital());
    connect(d.ui.buttonFind, &QPushButton::clicked, this, [this] { FindNext(); });
    connect(d.ui.buttonClose, &QPushButton::clicked, this, &QWidget::close);

    adjustSize();
    if (view) {
        const QRect area(view->mapToGlobal(QPoint(0, 0)), view->size());
        QRect frame = rect();
        frame.moveCenter(area.center());
        move(frame.topLeft());
    }
    show();
    d.ui.editText->setFocus();
}

CDialogSearch::~CDialogSearch() = default;

bool CDialogSearch::FindNext()
{
    SImpl& d = *m_impl;
    std::string text;
    if (!CSjisInput::ToSjis(d.ui.editText->text(), text, d.ui.editText))
        return false;
    const bool matchCase = d.ui.checkCase->isChecked();
    bool found = false;
    if (d.view && !text.empty())
        found = d.view->Search(text, d.ui.checkSupplement->isChecked(), matchCase,
                               d.ui.checkUp->isChecked());
    if (!found) {
        CHostServices::Get().MessageBox(kNotFoundMessage, CHostServices::IconInformation);
        if (d.view)
            d.view->ClearSearch();
        d.ui.editText->setFocus();
        d.ui.editText->selectAll();
    }
    StoreCaseFlag();
    return found;
}

void CDialogSearch::StoreCaseFlag()
{
    CSettings::Get().SetCapital(m_impl->ui.checkCase->isChecked());
}

void CDialogSearch::reject()
{
    close();
}

void CDialogSearch::closeEvent(QCloseEvent* event)
{
    SImpl& d = *m_impl;
    if (!d.closing) {
        d.closing = true;
        if (d.view)
            d.view->ClearSearch();
        StoreCaseFlag();
    }
    // Not QDialog's handling, which would reject and so close again.
    event->accept();
}
