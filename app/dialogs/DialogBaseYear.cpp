#include "DialogBaseYear.h"

#include "BaseYear.h"
#include "DialogButtons.h"
#include "HostServices.h"
#include "InputMethod.h"
#include "ManageGengou.h"
#include "SjisInput.h"

#include "ui_DialogBaseYear.h"
#include "YearInput.h"

#include <QPushButton>

const char* const CDialogBaseYear::kNoTitleMessage = "タイトル名を入力して下さい";
const char* const CDialogBaseYear::kNoStartMessage = "開始年を入力して下さい";
const char* const CDialogBaseYear::kEraRangeMessage = "その元号の終了年を超えています";
const char* const CDialogBaseYear::kStartNumberMessage = "開始年には整数を入力して下さい";
const char* const CDialogBaseYear::kEndNumberMessage = "終了年には整数を入力して下さい";

namespace {

const QString kWestern = QStringLiteral("西暦");
const QString kNotSet = QStringLiteral("設定しない");

bool ParseYear(const QString& text, int32_t& year)
{
    bool ok = false;
    const qlonglong value = text.trimmed().toLongLong(&ok);
    if (!ok || value < INT32_MIN || value >= kNoYear)
        return false;
    year = static_cast<int32_t>(value);
    return true;
}

} // namespace

SBaseYearValues SBaseYearValues::FromTable(const CBaseYear& table)
{
    SBaseYearValues v;
    v.title = table.GetTableName();
    v.startYear = table.GetBaseWesternYear();
    v.endYear = table.GetEndWesternYear();
    v.startKind = kWestern;
    v.endKind = v.endYear == kNoYear ? kNotSet : kWestern;
    v.supplement = table.GetSupplement();
    v.kazoe = table.GetKazoe();
    v.displayMinus = table.GetDisplayMinus();
    v.minus1 = table.GetMinus1();
    v.endYearPlus = table.GetEndYearPlus();
    v.endYearKaiki = table.GetEndYearKaiki();
    v.beginYearQuest = table.GetBeginYearQuest();
    v.endYearQuest = table.GetEndYearQuest();
    return v;
}

void SBaseYearValues::ToTable(CBaseYear& table) const
{
    if (table.GetTableName() != title) {
        table.SetTableName(title);
        table.SetModified(true);
    }
    table.SetBaseWesternYear(startYear);
    table.SetEndWesternYear(endYear);
    table.SetKazoe(kazoe);
    table.SetSupplement(supplement);
    table.SetDisplayMinus(displayMinus);
    table.SetMinus1(minus1);
    table.SetEndYearPlus(endYearPlus);
    table.SetEndYearKaiki(endYearKaiki);
    table.SetBeginYearQuest(beginYearQuest);
    table.SetEndYearQuest(endYearQuest);
}

struct CDialogBaseYear::SImpl
{
    Ui::DialogBaseYear ui;
    CManageGengou eras;
    SBaseYearValues values;
    bool filling = false;

    explicit SImpl(const CAnnaluxDoc* doc) : eras(doc) {}
};

CDialogBaseYear::CDialogBaseYear(const CAnnaluxDoc* doc, QWidget* parent)
    : QDialog(parent), m_impl(std::make_unique<SImpl>(doc))
{
    Ui::DialogBaseYear& ui = m_impl->ui;
    ui.setupUi(this);
    CDialogButtons::Localize(ui.buttonBox);
    ui.buttonBox->button(QDialogButtonBox::Cancel)->setText(QStringLiteral("ｷｬﾝｾﾙ"));
    CInputMethod::SwitchOn(ui.editTitle);
    CInputMethod::SwitchOn(ui.editSupplement);
    CInputMethod::MakeNumberField(ui.editStart, true, 10);
    CInputMethod::MakeNumberField(ui.editEnd, true, 10);
    for (QCheckBox* box : {ui.checkKazoe, ui.checkDisplayMinus, ui.checkEndYearPlus})
        connect(box, &QCheckBox::clicked, this, &CDialogBaseYear::UpdateDependentChecks);
    connect(ui.comboStart, &QComboBox::currentIndexChanged, this, &CDialogBaseYear::OnStartKind);
    connect(ui.comboEnd, &QComboBox::currentIndexChanged, this, &CDialogBaseYear::OnEndKind);
    connect(ui.buttonBox, &QDialogButtonBox::accepted, this, &CDialogBaseYear::accept);
    connect(ui.buttonBox, &QDialogButtonBox::rejected, this, &QDialog::reject);
    SetValues(SBaseYearValues());
}

CDialogBaseYear::~CDialogBaseYear() = default;

void CDialogBaseYear::SetValues(const SBaseYearValues& values)
{
    SImpl& d = *m_impl;
    Ui::DialogBaseYear& ui = d.ui;
    d.values = values;
    d.filling = true;
    ui.comboStart->clear();
    ui.comboStart->addItem(kWestern);
    ui.comboEnd->clear();
    ui.comboEnd->addItem(kNotSet);
    ui.comboEnd->addItem(kWestern);
    d.eras.Fill(ui.comboStart, ui.comboEnd);
    ui.comboStart->setCurrentIndex(std::max(0, ui.comboStart->findText(values.startKind)));
    const bool noEnd = values.endKind == kNotSet;
    ui.comboEnd->setCurrentIndex(noEnd ? 0 : std::max(1, ui.comboEnd->findText(values.endKind)));
    ui.editEnd->setEnabled(!noEnd);
    ui.editTitle->setText(CSjisInput::FromSjis(values.title));
    ui.editStart->setText(values.startYear == kNoYear ? QString()
                                                      : QString::number(values.startYear));
    ui.editEnd->setText(values.endYear == kNoYear ? QString() : QString::number(values.endYear));
    ui.editSupplement->setPlainText(CSjisInput::FromSjisLines(values.supplement));
    ui.checkKazoe->setChecked(values.kazoe);
    ui.checkDisplayMinus->setChecked(values.displayMinus);
    ui.checkMinus1->setChecked(values.minus1);
    ui.checkEndYearPlus->setChecked(values.endYearPlus);
    ui.checkKaiki->setChecked(values.endYearKaiki);
    ui.checkBeginQuest->setChecked(values.beginYearQuest);
    ui.checkEndQuest->setChecked(values.endYearQuest);
    d.filling = false;
    UpdateDependentChecks();
}

const SBaseYearValues& CDialogBaseYear::GetValues() const
{
    return m_impl->values;
}

void CDialogBaseYear::UpdateDependentChecks()
{
    Ui::DialogBaseYear& ui = m_impl->ui;
    // A disabled box keeps its mark; the value still goes back.
    ui.checkMinus1->setEnabled(ui.checkKazoe->isChecked() && ui.checkDisplayMinus->isChecked());
    ui.checkKaiki->setEnabled(ui.checkEndYearPlus->isChecked());
}

void CDialogBaseYear::OnStartKind(int index)
{
    if (m_impl->filling)
        return;
    if (index > 0)
        m_impl->ui.editStart->setText(QStringLiteral("1"));
}

void CDialogBaseYear::OnEndKind(int index)
{
    if (m_impl->filling)
        return;
    QLineEdit* edit = m_impl->ui.editEnd;
    if (index == 0) {
        edit->setEnabled(false);
        edit->clear();
        return;
    }
    edit->setEnabled(true);
    if (index > 1)
        edit->setText(QStringLiteral("1"));
}

void CDialogBaseYear::accept()
{
    SImpl& d = *m_impl;
    Ui::DialogBaseYear& ui = d.ui;
    auto refuse = [](QWidget* field, const char* message) {
        CHostServices::Get().MessageBox(message, CHostServices::IconWarning);
        field->setFocus();
    };
    SBaseYearValues v = d.values;
    if (ui.editTitle->text().isEmpty())
        return refuse(ui.editTitle, kNoTitleMessage);
    if (!CSjisInput::ToSjis(ui.editTitle->text(), v.title, ui.editTitle))
        return;
    if (ui.editStart->text().trimmed().isEmpty())
        return refuse(ui.editStart, kNoStartMessage);
    if (!ParseYear(ui.editStart->text(), v.startYear))
        return refuse(ui.editStart, kStartNumberMessage);
    v.startKind = ui.comboStart->currentIndex() < 0 ? ui.comboStart->itemText(0)
                                                    : ui.comboStart->currentText();
    if (v.startKind == kWestern && v.startYear == 0) {
        CYearInput::RefuseZero(ui.editStart);
        return;
    }
    if (v.startKind != kWestern) {
        // An era has no year 0 or before; such a year is outside it, not a
        // year before the era began.
        v.startYear = v.startYear >= 1 ? d.eras.GetWesternYear(v.startKind, v.startYear) : kNoYear;
        if (v.startYear == kNoYear)
            return refuse(ui.editStart, kEraRangeMessage);
    }
    v.endKind =
        ui.comboEnd->currentIndex() < 0 ? ui.comboEnd->itemText(0) : ui.comboEnd->currentText();
    const QString endText = ui.editEnd->text().trimmed();
    if (v.endKind == kNotSet || endText.isEmpty()) {
        // No end year typed is no end year, not the year 0 that does not
        // exist.
        v.endYear = kNoYear;
    } else {
        if (!ParseYear(endText, v.endYear))
            return refuse(ui.editEnd, kEndNumberMessage);
        if (v.endKind == kWestern && v.endYear == 0) {
            CYearInput::RefuseZero(ui.editEnd);
            return;
        }
        if (v.endKind != kWestern) {
            v.endYear = v.endYear >= 1 ? d.eras.GetWesternYear(v.endKind, v.endYear) : kNoYear;
            if (v.endYear == kNoYear)
                return refuse(ui.editEnd, kEraRangeMessage);
        }
    }
    std::string supplement;
    if (!CSjisInput::ToSjis(ui.editSupplement->toPlainText(), supplement, ui.editSupplement))
        return;
    v.supplement = CSjisInput::WithCrLf(supplement);
    v.kazoe = ui.checkKazoe->isChecked();
    v.displayMinus = ui.checkDisplayMinus->isChecked();
    v.minus1 = ui.checkMinus1->isChecked();
    v.endYearPlus = ui.checkEndYearPlus->isChecked();
    v.endYearKaiki = ui.checkKaiki->isChecked();
    v.beginYearQuest = ui.checkBeginQuest->isChecked();
    v.endYearQuest = ui.checkEndQuest->isChecked();
    d.values = v;
    QDialog::accept();
}
