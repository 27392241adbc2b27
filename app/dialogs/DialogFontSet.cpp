#include "DialogFontSet.h"

#include "AnnaluxDoc.h"

struct CDialogFontSet::SImpl
{
    CAnnaluxDoc* doc = nullptr;
    CFontManager fonts;
    int textMargin = 0;
    bool setAsDefault = false;
};

CDialogFontSet::CDialogFontSet(CAnnaluxDoc* doc, QWidget* parent)
    : QDialog(parent), m_impl(std::make_unique<SImpl>())
{
    m_impl->doc = doc;
    m_impl->fonts = doc->GetFonts();
    m_impl->textMargin = doc->GetTextMargin();
}

CDialogFontSet::~CDialogFontSet() = default;

const CFontManager& CDialogFontSet::GetFonts() const
{
    return m_impl->fonts;
}
int CDialogFontSet::GetTextMargin() const
{
    return m_impl->textMargin;
}
bool CDialogFontSet::GetSetAsDefault() const
{
    return m_impl->setAsDefault;
}
void CDialogFontSet::ChooseSlotFont(int) {}
void CDialogFontSet::MakeAllLikeEvent()
{
    m_impl->fonts.MakeAllLikeEvent();
}
void CDialogFontSet::accept()
{
    QDialog::accept();
}
bool CDialogFontSet::ChooseFont(SLogFont&, COLORREF&, bool)
{
    return false;
}
void CDialogFontSet::RefreshSamples() {}
