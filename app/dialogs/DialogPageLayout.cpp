#include "DialogPageLayout.h"

#include "AnnaluxDoc.h"
#include "DialogButtons.h"
#include "FontChooser.h"
#include "LogFontQt.h"

#include "ui_DialogPageLayout.h"

#include <QComboBox>

struct CDialogPageLayout::SImpl
{
    Ui::DialogPageLayout ui;
    CAnnaluxDoc* doc = nullptr;
    SPageLayout layout;
    SLogFont headerFont;
    SLogFont footerFont;
    COLORREF headerColor = 0;
    COLORREF footerColor = 0;
    QComboBox* lists[SPageLayout::kSlotCount] = {};
};

CDialogPageLayout::CDialogPageLayout(CAnnaluxDoc* doc, QWidget* parent)
    : QDialog(parent), m_impl(std::make_unique<SImpl>())
{
    SImpl& d = *m_impl;
    d.doc = doc;
    d.layout = doc->GetPageLayout();
    d.headerFont = doc->GetHeaderFont();
    d.footerFont = doc->GetFooterFont();
    d.headerColor = doc->GetHeaderColor();
    d.footerColor = doc->GetFooterColor();
    d.ui.setupUi(this);
    CDialogButtons::Localize(d.ui.buttonBox);

    QComboBox* lists[] = {d.ui.comboHeaderLeft, d.ui.comboHeaderCenter, d.ui.comboHeaderRight,
                          d.ui.comboFooterLeft, d.ui.comboFooterCenter, d.ui.comboFooterRight};
    for (int slot = 0; slot < SPageLayout::kSlotCount; ++slot) {
        QComboBox* list = lists[slot];
        d.lists[slot] = list;
        for (const char* text : SPageLayout::kItemTexts)
            list->addItem(QString::fromUtf8(text));
        // The header's left list has always had an empty item last; choosing
        // it keeps what the slot shows.
        if (slot == 0)
            list->addItem(QString());
        const int code = d.layout.items[slot];
        list->setCurrentIndex(code >= 0 && code < SPageLayout::ItemCount ? code : -1);
    }
    d.ui.checkFitToRight->setChecked(d.layout.fitToRight);
    d.ui.checkSupplementMarks->setChecked(d.layout.supplementMarks);
    d.ui.checkLinkMarks->setChecked(d.layout.linkMarks);
    d.ui.checkRightEdgeYears->setChecked(d.layout.rightEdgeYears);
    d.ui.spinTop->setValue(d.layout.marginTop);
    d.ui.spinBottom->setValue(d.layout.marginBottom);
    d.ui.spinLeft->setValue(d.layout.marginLeft);
    d.ui.spinRight->setValue(d.layout.marginRight);
    for (QSpinBox* spin : {d.ui.spinTop, d.ui.spinBottom, d.ui.spinLeft, d.ui.spinRight})
        spin->setAttribute(Qt::WA_InputMethodEnabled, false);

    connect(d.ui.buttonHeaderFont, &QPushButton::clicked, this,
            &CDialogPageLayout::ChooseHeaderFont);
    connect(d.ui.buttonFooterFont, &QPushButton::clicked, this,
            &CDialogPageLayout::ChooseFooterFont);
    connect(d.ui.buttonBox, &QDialogButtonBox::accepted, this, &CDialogPageLayout::accept);
    connect(d.ui.buttonBox, &QDialogButtonBox::rejected, this, &QDialog::reject);
}

CDialogPageLayout::~CDialogPageLayout() = default;

QComboBox* CDialogPageLayout::SlotList(int slot) const
{
    return slot >= 0 && slot < SPageLayout::kSlotCount ? m_impl->lists[slot] : nullptr;
}

SPageLayout CDialogPageLayout::GetPageLayout() const
{
    const SImpl& d = *m_impl;
    SPageLayout layout = d.layout;
    for (int slot = 0; slot < SPageLayout::kSlotCount; ++slot) {
        const QString text = d.lists[slot]->currentText();
        for (int code = 0; code < SPageLayout::ItemCount; ++code) {
            if (text == QString::fromUtf8(SPageLayout::kItemTexts[code])) {
                layout.items[slot] = code;
                break;
            }
        }
    }
    layout.fitToRight = d.ui.checkFitToRight->isChecked();
    layout.supplementMarks = d.ui.checkSupplementMarks->isChecked();
    layout.linkMarks = d.ui.checkLinkMarks->isChecked();
    layout.rightEdgeYears = d.ui.checkRightEdgeYears->isChecked();
    layout.marginTop = d.ui.spinTop->value();
    layout.marginBottom = d.ui.spinBottom->value();
    layout.marginLeft = d.ui.spinLeft->value();
    layout.marginRight = d.ui.spinRight->value();
    return layout;
}

const SLogFont& CDialogPageLayout::GetHeaderFont() const
{
    return m_impl->headerFont;
}

const SLogFont& CDialogPageLayout::GetFooterFont() const
{
    return m_impl->footerFont;
}

COLORREF CDialogPageLayout::GetHeaderColor() const
{
    return m_impl->headerColor;
}

COLORREF CDialogPageLayout::GetFooterColor() const
{
    return m_impl->footerColor;
}

void CDialogPageLayout::ChooseHeaderFont()
{
    SImpl& d = *m_impl;
    SLogFont font = d.headerFont;
    COLORREF color = d.headerColor;
    if (!ChooseFont(font, color))
        return;
    d.headerFont = font;
    d.headerColor = color;
}

void CDialogPageLayout::ChooseFooterFont()
{
    SImpl& d = *m_impl;
    SLogFont font = d.footerFont;
    COLORREF color = d.footerColor;
    if (!ChooseFont(font, color))
        return;
    d.footerFont = font;
    d.footerColor = color;
}

bool CDialogPageLayout::ChooseFont(SLogFont& font, COLORREF& color)
{
    CFontChooser chooser(CLogFontQt::ToQFont(font), CLogFontQt::ToQColor(color), true, this);
    if (chooser.exec() != QDialog::Accepted)
        return false;
    font = CLogFontQt::FromQFont(chooser.GetFont(), font);
    color = CLogFontQt::FromQColor(chooser.GetColor());
    return true;
}

void CDialogPageLayout::accept()
{
    SImpl& d = *m_impl;
    d.doc->SetPageSettings(GetPageLayout(), d.headerFont, d.headerColor, d.footerFont,
                           d.footerColor);
    QDialog::accept();
}
