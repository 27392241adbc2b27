#include "DialogSetRow.h"

#include "AnnaluxDoc.h"
#include "DialogButtons.h"
#include "HostServices.h"
#include "InputMethod.h"
#include "RowInfoAll.h"
#include "Settings.h"

#include "ui_DialogSetRow.h"

#include <QCheckBox>
#include <QLineEdit>

const char* const CDialogSetRow::kWidthRangeMessage = "1 から 10000 までの整数を入力してください。";

namespace {

const char* const kWidthTip = "列を追加したときの幅を指定します。単位はピクセルです。";
const char* const kSameTip = "列の幅を変更するとき、同じ種類の列がすべて同じ幅になるようにします。";

// The order of the rows, which is also the order the widths are checked in.
const int kRowKinds[] = {CK_YEAR, CK_BASEYEAR, CK_GENGOU, CK_ERA, CK_EVENT};

} // namespace

struct CDialogSetRow::SImpl
{
    Ui::DialogSetRow ui;
    CAnnaluxDoc* doc = nullptr;
    QLineEdit* width[kColumnKindCount] = {};
    QCheckBox* same[kColumnKindCount] = {}; // none for the year column
};

CDialogSetRow::CDialogSetRow(CAnnaluxDoc* doc, QWidget* parent)
    : QDialog(parent), m_impl(std::make_unique<SImpl>())
{
    SImpl& d = *m_impl;
    d.doc = doc;
    d.ui.setupUi(this);
    CDialogButtons::Localize(d.ui.buttonBox);
    d.width[CK_YEAR] = d.ui.editWidth0;
    d.width[CK_GENGOU] = d.ui.editWidth1;
    d.width[CK_BASEYEAR] = d.ui.editWidth2;
    d.width[CK_ERA] = d.ui.editWidth3;
    d.width[CK_EVENT] = d.ui.editWidth4;
    d.same[CK_GENGOU] = d.ui.checkSame1;
    d.same[CK_BASEYEAR] = d.ui.checkSame2;
    d.same[CK_ERA] = d.ui.checkSame3;
    d.same[CK_EVENT] = d.ui.checkSame4;

    const CRowInfoAll& info = doc->GetRowInfo();
    for (int kind : kRowKinds) {
        QLineEdit* edit = d.width[kind];
        CInputMethod::MakeNumberField(edit, false, 5);
        edit->setText(QString::number(info.GetWidth(kind)));
        edit->setToolTip(QString::fromUtf8(kWidthTip));
        if (QCheckBox* box = d.same[kind]) {
            box->setChecked(info.GetSameWidth(kind));
            box->setToolTip(QString::fromUtf8(kSameTip));
        }
    }

    connect(d.ui.buttonBox, &QDialogButtonBox::accepted, this, &CDialogSetRow::accept);
    connect(d.ui.buttonBox, &QDialogButtonBox::rejected, this, &QDialog::reject);
}

CDialogSetRow::~CDialogSetRow() = default;

void CDialogSetRow::accept()
{
    SImpl& d = *m_impl;
    int widths[kColumnKindCount] = {};
    for (int kind : kRowKinds) {
        QLineEdit* edit = d.width[kind];
        bool ok = false;
        const int value = edit->text().trimmed().toInt(&ok);
        if (!ok || value < CRowInfoAll::kMinWidth || value > CRowInfoAll::kMaxWidth) {
            CHostServices::Get().MessageBox(kWidthRangeMessage, CHostServices::IconWarning);
            edit->setFocus();
            edit->selectAll();
            return;
        }
        widths[kind] = value;
    }
    CRowInfoAll& info = d.doc->GetRowInfo();
    for (int kind = 0; kind < kColumnKindCount; ++kind) {
        const bool same = d.same[kind] ? d.same[kind]->isChecked() : info.GetSameWidth(kind);
        info.Set(kind, widths[kind], same);
    }
    info.SaveToSettings(CSettings::Get());
    QDialog::accept();
}
