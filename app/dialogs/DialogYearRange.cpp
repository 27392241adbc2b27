#include "DialogYearRange.h"

#include "AnnaluxDoc.h"
#include "DialogButtons.h"
#include "HostServices.h"
#include "InputMethod.h"
#include "TableBase.h"

#include "ui_DialogYearRange.h"
#include "YearInput.h"

const char* const CDialogYearRange::kOrderMessage =
    "終了年は開始年よりも後になるようにしてください。";
const char* const CDialogYearRange::kStartNumberMessage =
    "表示開始西暦年には整数を入力してください。";
const char* const CDialogYearRange::kEndNumberMessage =
    "表示終了西暦年には整数を入力してください。";

namespace {

// A year as typed. The two sentinels of the year type (no year, none) are
// not years a range may end at: the layout would read them as open ends.
bool ParseYear(const QString& text, int32_t& year)
{
    bool ok = false;
    const qlonglong value = text.trimmed().toLongLong(&ok);
    if (!ok || value <= kNoneYear || value >= kNoYear)
        return false;
    year = static_cast<int32_t>(value);
    return true;
}

} // namespace

struct CDialogYearRange::SImpl
{
    Ui::DialogYearRange ui;
    CAnnaluxDoc* doc = nullptr;
    bool enabled = false;
    int32_t from = 0;
    int32_t to = 0;
};

CDialogYearRange::CDialogYearRange(CAnnaluxDoc* doc, QWidget* parent)
    : QDialog(parent), m_impl(std::make_unique<SImpl>())
{
    SImpl& d = *m_impl;
    d.doc = doc;
    d.enabled = doc->GetRangeEnabled();
    d.from = doc->GetRangeFrom();
    d.to = doc->GetRangeTo();

    d.ui.setupUi(this);
    CDialogButtons::Localize(d.ui.buttonBox);
    CInputMethod::MakeNumberField(d.ui.editFrom, true, 10);
    CInputMethod::MakeNumberField(d.ui.editTo, true, 10);
    d.ui.editFrom->setText(QString::number(d.from));
    d.ui.editTo->setText(QString::number(d.to));
    (d.enabled ? d.ui.radioOn : d.ui.radioOff)->setChecked(true);

    auto follow = [this] {
        const bool on = m_impl->ui.radioOn->isChecked();
        const Ui::DialogYearRange& ui = m_impl->ui;
        for (QWidget* w :
             std::initializer_list<QWidget*>{ui.labelFrom, ui.editFrom, ui.labelTo, ui.editTo})
            w->setEnabled(on);
    };
    connect(d.ui.radioOn, &QRadioButton::toggled, this, follow);
    follow();

    connect(d.ui.buttonBox, &QDialogButtonBox::accepted, this, &CDialogYearRange::accept);
    connect(d.ui.buttonBox, &QDialogButtonBox::rejected, this, &QDialog::reject);
}

CDialogYearRange::~CDialogYearRange() = default;

bool CDialogYearRange::GetRangeEnabled() const
{
    return m_impl->enabled;
}

int32_t CDialogYearRange::GetRangeFrom() const
{
    return m_impl->from;
}

int32_t CDialogYearRange::GetRangeTo() const
{
    return m_impl->to;
}

void CDialogYearRange::accept()
{
    SImpl& d = *m_impl;
    const bool enabled = d.ui.radioOn->isChecked();
    int32_t from = d.from;
    int32_t to = d.to;
    const bool fromOk = ParseYear(d.ui.editFrom->text(), from);
    const bool toOk = ParseYear(d.ui.editTo->text(), to);
    if (enabled) {
        auto refuse = [](QLineEdit* edit, const char* message) {
            CHostServices::Get().MessageBox(message, CHostServices::IconWarning);
            edit->setFocus();
            edit->selectAll();
        };
        if (!fromOk)
            return refuse(d.ui.editFrom, kStartNumberMessage);
        if (!toOk)
            return refuse(d.ui.editTo, kEndNumberMessage);
        if (from == 0 || to == 0)
            return CYearInput::RefuseZero(from == 0 ? d.ui.editFrom : d.ui.editTo);
        if (!(from < to))
            return refuse(d.ui.editTo, kOrderMessage);
    } else {
        // The fields are disabled and not checked; a pair the range could
        // not use later keeps the document's years.
        if (!fromOk || !toOk || !(from < to) || from == 0 || to == 0) {
            from = d.from;
            to = d.to;
        }
    }
    d.enabled = enabled;
    d.from = from;
    d.to = to;
    d.doc->SetRange(enabled, from, to);
    // OK counts as a change of the chronology even when the years stayed.
    d.doc->SetModifiedFlag(true);
    QDialog::accept();
}
