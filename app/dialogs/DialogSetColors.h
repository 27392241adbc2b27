#pragma once

#include "AnnaluxDoc.h"
#include "LogFont.h"

#include <QDialog>
#include <memory>

// "色設定": the seven colours of the table. Unlike the font dialog this one
// works on the document directly, so every colour chosen shows at once; the
// colours as they were when the dialog opened (and the document's modified
// flag) come back on Cancel. OK copies the picker's custom colours back to
// the document and the settings, marks the document modified and, with
// "初期値として設定する", stores the seven colours as defaults.
class CDialogSetColors : public QDialog
{
    Q_OBJECT

public:
    explicit CDialogSetColors(CAnnaluxDoc* doc, QWidget* parent = nullptr);
    ~CDialogSetColors() override;

    bool GetSetAsDefault() const;
    // The custom colours as the picker left them.
    COLORREF GetCustomColor(int index) const;

    // What a colour button does: opens the picker on the colour and stores
    // the choice in the document.
    void ChooseDocumentColor(CAnnaluxDoc::EColor which);

    void accept() override;
    void reject() override;

protected:
    // Opens the colour picker (solid colours only) on color with the 16
    // custom colours, which the user may change there. False when cancelled.
    // Tests override this to answer without a modal window.
    virtual bool ChooseColor(COLORREF& color, COLORREF (&custom)[CAnnaluxDoc::kCustomColorCount]);

private:
    void RefreshSwatches();

    struct SImpl;
    std::unique_ptr<SImpl> m_impl;
};
