#pragma once

#include <QColor>
#include <QDialog>
#include <QFont>

class QFontDialog;
class QLabel;

// The font chooser of the settings dialogs: the widget font dialog and, for
// the display fonts, a text colour. The header font takes no colour and no
// effects (underline, strike-out).
class CFontChooser : public QDialog
{
    Q_OBJECT

public:
    CFontChooser(const QFont& font, const QColor& color, bool withEffects,
                 QWidget* parent = nullptr);

    QFont GetFont() const;
    // The font as the dialog opens on it: the family the font resolves to
    // and its size in points.
    static QFont ForDialog(const QFont& font);
    QColor GetColor() const { return m_color; }

private:
    void ChooseColor();
    void ShowColor();

    QFontDialog* m_fontDialog = nullptr;
    QLabel* m_swatch = nullptr;
    QColor m_color;
    bool m_withEffects = true;
    QFont m_given;
    QFont m_shown;
    QFont m_initial;
};
