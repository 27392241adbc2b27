#include "DialogSetColors.h"

#include "DialogButtons.h"
#include "FontManager.h"
#include "LogFontQt.h"
#include "Settings.h"

#include "ui_DialogSetColors.h"

#include <QColorDialog>
#include <algorithm>

namespace {

// Tool tips of the colour buttons, in the order of CAnnaluxDoc::EColor.
const char* const kTips[CAnnaluxDoc::ColorCount] = {
    "年表全体の背景色を設定します。",
    "偶数年の行の背景色を設定します。",
    "奇数年の行の背景色を設定します。",
    "リンクが設定された文字列の色を設定します。",
    "補足説明があることを示すマーカーの色を設定します。",
    "「頃」が指定された出来事の文字列の色を設定します。",
    "「から」「まで」「頃」を示すマーカーの色を設定します。",
};

void StoreDefault(CSettings& settings, CAnnaluxDoc::EColor which, COLORREF c)
{
    switch (which) {
    case CAnnaluxDoc::BackColor:
        return settings.SetBackColor(c);
    case CAnnaluxDoc::BackColorEven:
        return settings.SetBackColorEven(c);
    case CAnnaluxDoc::BackColorOdd:
        return settings.SetBackColorOdd(c);
    case CAnnaluxDoc::LinkColor:
        return settings.SetLinkColor(c);
    case CAnnaluxDoc::SupplementColor:
        return settings.SetSupplementColor(c);
    case CAnnaluxDoc::AboutColor:
        return settings.SetAboutColor(c);
    case CAnnaluxDoc::EventMarkColor:
        return settings.SetEventMarkColor(c);
    case CAnnaluxDoc::ColorCount:
        break;
    }
}

} // namespace

struct CDialogSetColors::SImpl
{
    Ui::DialogSetColors ui;
    CAnnaluxDoc* doc = nullptr;
    COLORREF custom[CAnnaluxDoc::kCustomColorCount] = {};
    // The document as it was when the dialog opened, for Cancel.
    COLORREF saved[CAnnaluxDoc::ColorCount] = {};
    COLORREF savedEventText = 0;
    bool savedModified = false;
    QLabel* swatches[CAnnaluxDoc::ColorCount] = {};
};

CDialogSetColors::CDialogSetColors(CAnnaluxDoc* doc, QWidget* parent)
    : QDialog(parent), m_impl(std::make_unique<SImpl>())
{
    SImpl& d = *m_impl;
    d.doc = doc;
    for (int i = 0; i < CAnnaluxDoc::ColorCount; ++i)
        d.saved[i] = doc->GetColor(static_cast<CAnnaluxDoc::EColor>(i));
    d.savedEventText = doc->GetFonts().GetColor(CFontManager::FS_EVENT);
    d.savedModified = doc->IsModified();
    CSettings& settings = CSettings::Get();
    for (int i = 0; i < CAnnaluxDoc::kCustomColorCount; ++i) {
        d.custom[i] = doc->GetCustomColor(i);
        settings.SetCustColor(i, d.custom[i]);
    }

    d.ui.setupUi(this);
    CDialogButtons::Localize(d.ui.buttonBox);
    QPushButton* buttons[] = {d.ui.buttonColor0, d.ui.buttonColor1, d.ui.buttonColor2,
                              d.ui.buttonColor3, d.ui.buttonColor4, d.ui.buttonColor5,
                              d.ui.buttonColor6};
    QLabel* swatches[] = {d.ui.swatch0, d.ui.swatch1, d.ui.swatch2, d.ui.swatch3,
                          d.ui.swatch4, d.ui.swatch5, d.ui.swatch6};
    for (int i = 0; i < CAnnaluxDoc::ColorCount; ++i) {
        d.swatches[i] = swatches[i];
        buttons[i]->setToolTip(QString::fromUtf8(kTips[i]));
        swatches[i]->setToolTip(QString::fromUtf8(kTips[i]));
        const auto which = static_cast<CAnnaluxDoc::EColor>(i);
        connect(buttons[i], &QPushButton::clicked, this,
                [this, which] { ChooseDocumentColor(which); });
    }
    connect(d.ui.buttonBox, &QDialogButtonBox::accepted, this, &CDialogSetColors::accept);
    connect(d.ui.buttonBox, &QDialogButtonBox::rejected, this, &CDialogSetColors::reject);
    RefreshSwatches();
}

CDialogSetColors::~CDialogSetColors() = default;

bool CDialogSetColors::GetSetAsDefault() const
{
    return m_impl->ui.checkSetAsDefault->isChecked();
}

COLORREF CDialogSetColors::GetCustomColor(int index) const
{
    if (index < 0 || index >= CAnnaluxDoc::kCustomColorCount)
        return 0;
    return m_impl->custom[index];
}

void CDialogSetColors::ChooseDocumentColor(CAnnaluxDoc::EColor which)
{
    if (which < 0 || which >= CAnnaluxDoc::ColorCount)
        return;
    COLORREF color = m_impl->doc->GetColor(which);
    if (!ChooseColor(color, m_impl->custom))
        return;
    m_impl->doc->SetColor(which, color);
    RefreshSwatches();
}

bool CDialogSetColors::ChooseColor(COLORREF& color,
                                   COLORREF (&custom)[CAnnaluxDoc::kCustomColorCount])
{
    const int count = std::min(QColorDialog::customCount(), CAnnaluxDoc::kCustomColorCount);
    for (int i = 0; i < count; ++i)
        QColorDialog::setCustomColor(i, CLogFontQt::ToQColor(custom[i]));
    QColorDialog picker(CLogFontQt::ToQColor(color), this);
    const bool ok = picker.exec() == QDialog::Accepted && picker.selectedColor().isValid();
    // Custom colours edited in the picker are kept even when it is cancelled,
    // as the picker itself keeps them.
    for (int i = 0; i < count; ++i)
        custom[i] = CLogFontQt::FromQColor(QColorDialog::customColor(i));
    if (ok)
        color = CLogFontQt::FromQColor(picker.selectedColor());
    return ok;
}

void CDialogSetColors::RefreshSwatches()
{
    for (int i = 0; i < CAnnaluxDoc::ColorCount; ++i) {
        QLabel* swatch = m_impl->swatches[i];
        QPalette palette = swatch->palette();
        palette.setColor(QPalette::Window, CLogFontQt::ToQColor(m_impl->doc->GetColor(
                                               static_cast<CAnnaluxDoc::EColor>(i))));
        swatch->setPalette(palette);
    }
}

void CDialogSetColors::accept()
{
    SImpl& d = *m_impl;
    CSettings& settings = CSettings::Get();
    for (int i = 0; i < CAnnaluxDoc::kCustomColorCount; ++i) {
        d.doc->SetCustomColor(i, d.custom[i]);
        settings.SetCustColor(i, d.custom[i]);
    }
    d.doc->SetModifiedFlag(true);
    if (GetSetAsDefault()) {
        for (int i = 0; i < CAnnaluxDoc::ColorCount; ++i) {
            const auto which = static_cast<CAnnaluxDoc::EColor>(i);
            StoreDefault(settings, which, d.doc->GetColor(which));
        }
    }
    QDialog::accept();
}

void CDialogSetColors::reject()
{
    SImpl& d = *m_impl;
    for (int i = 0; i < CAnnaluxDoc::ColorCount; ++i)
        d.doc->SetColor(static_cast<CAnnaluxDoc::EColor>(i), d.saved[i]);
    d.doc->GetFonts().SetColor(CFontManager::FS_EVENT, d.savedEventText);
    // Trying colours out is no change of the chronology.
    d.doc->SetModifiedFlag(d.savedModified);
    d.doc->UpdateAllViews();
    RefreshSwatches();
    QDialog::reject();
}
