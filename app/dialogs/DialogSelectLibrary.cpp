#include "DialogSelectLibrary.h"

#include "DialogButtons.h"
#include "TableBase.h"

#include "ui_DialogSelectLibrary.h"

#include <QRadioButton>

const char* const CDialogSelectLibrary::kLoadText = "読み込むライブラリ種類を選択して下さい";

namespace {

const int kKinds[CDialogSelectLibrary::kOptionCount] = {HT_GENGOU, HT_PERIOD, HT_BASEYEAR,
                                                        HT_EVENT};
const char* const kToolTips[CDialogSelectLibrary::kOptionCount] = {
    "元号データを読み込みます", "時代データを読み込みます", "基点年データを読み込みます",
    "出来事データを読み込みます"};

} // namespace

struct CDialogSelectLibrary::SImpl
{
    Ui::DialogSelectLibrary ui;
    QRadioButton* radios[kOptionCount] = {};
};

int CDialogSelectLibrary::KindFromOption(int option)
{
    return option >= 0 && option < kOptionCount ? kKinds[option] : 0;
}

int CDialogSelectLibrary::OptionFromKind(int kind)
{
    for (int option = 0; option < kOptionCount; ++option)
        if (kKinds[option] == kind)
            return option;
    return -1;
}

const char* CDialogSelectLibrary::LoadToolTip(int option)
{
    return option >= 0 && option < kOptionCount ? kToolTips[option] : "";
}

CDialogSelectLibrary::CDialogSelectLibrary(QWidget* parent)
    : QDialog(parent), m_impl(std::make_unique<SImpl>())
{
    Ui::DialogSelectLibrary& ui = m_impl->ui;
    ui.setupUi(this);
    CDialogButtons::Localize(ui.buttonBox);
    QRadioButton* radios[kOptionCount] = {ui.radioGengou, ui.radioEra, ui.radioBaseYear,
                                          ui.radioEvent};
    for (int option = 0; option < kOptionCount; ++option) {
        m_impl->radios[option] = radios[option];
        radios[option]->setToolTip(QString::fromUtf8(kToolTips[option]));
    }
    SetText(QString::fromUtf8(kLoadText));
    SetOption(kDefaultOption);
    connect(ui.buttonBox, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(ui.buttonBox, &QDialogButtonBox::rejected, this, &QDialog::reject);
}

CDialogSelectLibrary::~CDialogSelectLibrary() = default;

void CDialogSelectLibrary::SetText(const QString& text)
{
    m_impl->ui.editText->setText(text);
    m_impl->ui.editText->setCursorPosition(0);
}

QString CDialogSelectLibrary::GetText() const
{
    return m_impl->ui.editText->text();
}

void CDialogSelectLibrary::SetOption(int option)
{
    if (option < 0 || option >= kOptionCount)
        option = kDefaultOption;
    m_impl->radios[option]->setChecked(true);
    m_impl->radios[option]->setFocus();
}

int CDialogSelectLibrary::GetOption() const
{
    for (int option = 0; option < kOptionCount; ++option)
        if (m_impl->radios[option]->isChecked())
            return option;
    return kDefaultOption;
}
