#include "DialogFontSet.h"

#include "AnnaluxDoc.h"
#include "DialogButtons.h"
#include "FontChooser.h"
#include "HostText.h"
#include "LogFontQt.h"
#include "Settings.h"
#include "ShiftJis.h"

#include "ui_DialogFontSet.h"

#include <QFontInfo>

namespace {

// A sample taller than its field would show only a sliver of the name, so
// larger fonts are drawn at the height the field can hold.
constexpr int kLargestSamplePixels = 24;

} // namespace

struct CDialogFontSet::SImpl
{
    Ui::DialogFontSet ui;
    CAnnaluxDoc* doc = nullptr;
    CFontManager fonts;
    QPushButton* buttons[CFontManager::kSlotCount] = {};
    QLabel* samples[CFontManager::kSlotCount] = {};
};

CDialogFontSet::CDialogFontSet(CAnnaluxDoc* doc, QWidget* parent)
    : QDialog(parent), m_impl(std::make_unique<SImpl>())
{
    SImpl& d = *m_impl;
    d.doc = doc;
    d.fonts = doc->GetFonts();
    d.ui.setupUi(this);
    CDialogButtons::Localize(d.ui.buttonBox);
    QPushButton* buttons[] = {d.ui.buttonFont0, d.ui.buttonFont1, d.ui.buttonFont2,
                              d.ui.buttonFont3, d.ui.buttonFont4, d.ui.buttonFont5,
                              d.ui.buttonFont6};
    QLabel* samples[] = {d.ui.sample0, d.ui.sample1, d.ui.sample2, d.ui.sample3,
                         d.ui.sample4, d.ui.sample5, d.ui.sample6};
    for (int i = 0; i < CFontManager::kSlotCount; ++i) {
        d.buttons[i] = buttons[i];
        d.samples[i] = samples[i];
        connect(buttons[i], &QPushButton::clicked, this, [this, i] { ChooseSlotFont(i); });
    }
    connect(d.ui.buttonAllLikeEvent, &QPushButton::clicked, this,
            &CDialogFontSet::MakeAllLikeEvent);
    d.ui.editTextMargin->setValue(doc->GetTextMargin());
    d.ui.editTextMargin->setAttribute(Qt::WA_InputMethodEnabled, false);
    d.ui.editTextMargin->setInputMethodHints(Qt::ImhDigitsOnly | Qt::ImhLatinOnly);

    connect(d.ui.buttonBox, &QDialogButtonBox::accepted, this, &CDialogFontSet::accept);
    connect(d.ui.buttonBox, &QDialogButtonBox::rejected, this, &QDialog::reject);
    RefreshSamples();
}

CDialogFontSet::~CDialogFontSet() = default;

const CFontManager& CDialogFontSet::GetFonts() const
{
    return m_impl->fonts;
}

int CDialogFontSet::GetTextMargin() const
{
    return m_impl->ui.editTextMargin->value();
}

bool CDialogFontSet::GetSetAsDefault() const
{
    return m_impl->ui.checkSetAsDefault->isChecked();
}

void CDialogFontSet::ChooseSlotFont(int slot)
{
    if (slot < 0 || slot >= CFontManager::kSlotCount)
        return;
    SImpl& d = *m_impl;
    const bool withEffects = slot != CFontManager::FS_HEADER;
    SLogFont font = d.fonts.GetFont(slot);
    COLORREF color = d.fonts.GetColor(slot);
    if (!ChooseFont(font, color, withEffects))
        return;
    d.fonts.SetFont(slot, font);
    if (withEffects)
        d.fonts.SetColor(slot, color);
    RefreshSamples();
}

void CDialogFontSet::MakeAllLikeEvent()
{
    m_impl->fonts.MakeAllLikeEvent();
    RefreshSamples();
}

bool CDialogFontSet::ChooseFont(SLogFont& font, COLORREF& color, bool withEffects)
{
    CFontChooser chooser(CLogFontQt::ToQFont(font), CLogFontQt::ToQColor(color), withEffects, this);
    if (chooser.exec() != QDialog::Accepted)
        return false;
    font = CLogFontQt::FromQFont(chooser.GetFont(), font);
    if (!withEffects) {
        font.lfUnderline = 0;
        font.lfStrikeOut = 0;
    }
    color = CLogFontQt::FromQColor(chooser.GetColor());
    return true;
}

void CDialogFontSet::RefreshSamples()
{
    SImpl& d = *m_impl;
    const QColor background = CLogFontQt::ToQColor(d.doc->GetColor(CAnnaluxDoc::BackColor));
    for (int i = 0; i < CFontManager::kSlotCount; ++i) {
        const SLogFont& logFont = d.fonts.GetFont(i);
        QFont font = CLogFontQt::ToQFont(logFont);
        const int pixels = font.pixelSize() > 0 ? font.pixelSize() : QFontInfo(font).pixelSize();
        if (pixels > kLargestSamplePixels)
            font.setPixelSize(kLargestSamplePixels);
        QLabel* sample = d.samples[i];
        sample->setFont(font);
        sample->setText(CHostText::FromSjis(logFont.GetFaceName()));
        // The header is drawn by the header control in its own colours.
        QPalette palette = this->palette();
        if (i != CFontManager::FS_HEADER) {
            palette.setColor(QPalette::Window, background);
            palette.setColor(QPalette::WindowText, CLogFontQt::ToQColor(d.fonts.GetColor(i)));
        }
        sample->setPalette(palette);
    }
}

void CDialogFontSet::accept()
{
    SImpl& d = *m_impl;
    const int margin = GetTextMargin();
    CFontManager& fonts = d.doc->GetFonts();
    fonts.CopyFrom(d.fonts);
    fonts.ApplyZoom(d.doc->GetZoomPercent());
    d.doc->SetTextMargin(margin);
    d.doc->SetModifiedFlag(true);
    if (GetSetAsDefault()) {
        CSettings& settings = CSettings::Get();
        d.fonts.SaveDefaults(settings);
        settings.SetTextMargin(margin);
    }
    d.doc->Notify(CAnnaluxDoc::VN_HEADER_FONT);
    d.doc->Notify(CAnnaluxDoc::VN_RELAYOUT);
    d.doc->Notify(CAnnaluxDoc::VN_REPAINT);
    QDialog::accept();
}
