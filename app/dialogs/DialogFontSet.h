#pragma once

#include "FontManager.h"
#include "LogFont.h"

#include <QDialog>
#include <memory>

class CAnnaluxDoc;

// "フォント設定": the seven display fonts with their text colours and the
// event spacing. The dialog works on a copy of the document's fonts; OK
// hands the copy to the document (at the document's zoom), takes the
// spacing, marks the document modified and, with "初期値として設定する",
// stores fonts, colours and spacing as the defaults of new chronologies.
// Cancel leaves the document untouched.
class CDialogFontSet : public QDialog
{
    Q_OBJECT

public:
    explicit CDialogFontSet(CAnnaluxDoc* doc, QWidget* parent = nullptr);
    ~CDialogFontSet() override;

    // The working copy as it stands.
    const CFontManager& GetFonts() const;
    int GetTextMargin() const;
    bool GetSetAsDefault() const;

    // What the slot's button does: asks for the font (and, except for the
    // header font, its colour) and on OK puts it into the copy.
    void ChooseSlotFont(int slot);
    // Every font and colour becomes the event font's.
    void MakeAllLikeEvent();

    void accept() override;

protected:
    // Opens the font chooser on font and color. withEffects: effects and a
    // text colour are offered (display fonts); otherwise only the font (the
    // column header). False when the user cancels. Tests override this to
    // answer without a modal window.
    virtual bool ChooseFont(SLogFont& font, COLORREF& color, bool withEffects);

private:
    void RefreshSamples();

    struct SImpl;
    std::unique_ptr<SImpl> m_impl;
};
