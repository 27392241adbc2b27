#pragma once

#include "LogFont.h"
#include "PageLayout.h"

#include <QDialog>
#include <memory>

class CAnnaluxDoc;
class QComboBox;

// "印刷設定": what the header and footer slots print, their fonts and
// colours, the scaling, the marks and the margins. Opens with the
// document's page settings; OK gives them back to the document, which
// stores them as the user's settings at once. Cancel changes nothing.
class CDialogPageLayout : public QDialog
{
    Q_OBJECT

public:
    explicit CDialogPageLayout(CAnnaluxDoc* doc, QWidget* parent = nullptr);
    ~CDialogPageLayout() override;

    // The list of a slot (0..5: header left, centre, right, footer left,
    // centre, right).
    QComboBox* SlotList(int slot) const;
    // The settings as the dialog holds them now (what OK would store).
    SPageLayout GetPageLayout() const;
    const SLogFont& GetHeaderFont() const;
    const SLogFont& GetFooterFont() const;
    COLORREF GetHeaderColor() const;
    COLORREF GetFooterColor() const;

    // What the two font buttons do: the font chooser on the font and its
    // colour; OK takes both.
    void ChooseHeaderFont();
    void ChooseFooterFont();

    void accept() override;

protected:
    // Opens the font chooser (with effects and a colour). False when the
    // user cancels. Tests override this to answer without a window.
    virtual bool ChooseFont(SLogFont& font, COLORREF& color);

private:
    struct SImpl;
    std::unique_ptr<SImpl> m_impl;
};
