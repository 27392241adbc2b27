#include "FontChooser.h"

#include <QCheckBox>
#include <QColorDialog>
#include <QDialogButtonBox>
#include <QFontDialog>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

CFontChooser::CFontChooser(const QFont& font, const QColor& color, bool withEffects,
                           QWidget* parent)
    : QDialog(parent), m_color(color), m_withEffects(withEffects)
{
    setWindowTitle(QStringLiteral("フォント"));
    auto* layout = new QVBoxLayout(this);

    // The font dialog is used as a plain widget inside this one, so that the
    // colour row and the buttons sit below it.
    m_fontDialog = new QFontDialog(font, this);
    m_fontDialog->setOptions(QFontDialog::NoButtons | QFontDialog::DontUseNativeDialog);
    m_fontDialog->setWindowFlags(Qt::Widget);
    m_fontDialog->setSizeGripEnabled(false);
    layout->addWidget(m_fontDialog);

    if (withEffects) {
        auto* row = new QHBoxLayout;
        auto* label = new QLabel(QStringLiteral("色:"), this);
        m_swatch = new QLabel(this);
        m_swatch->setFixedSize(48, 22);
        m_swatch->setFrameShape(QFrame::Box);
        m_swatch->setAutoFillBackground(true);
        auto* button = new QPushButton(QStringLiteral("色の選択..."), this);
        connect(button, &QPushButton::clicked, this, &CFontChooser::ChooseColor);
        row->addWidget(label);
        row->addWidget(m_swatch);
        row->addWidget(button);
        row->addStretch();
        layout->addLayout(row);
        ShowColor();
    } else {
        // The effect boxes of the font dialog have no meaning for this font.
        // They stay in place (hiding them squeezes the sample to nothing).
        QFont plain = font;
        plain.setUnderline(false);
        plain.setStrikeOut(false);
        m_fontDialog->setCurrentFont(plain);
        for (QGroupBox* group : m_fontDialog->findChildren<QGroupBox*>()) {
            if (!group->findChildren<QCheckBox*>().isEmpty())
                group->setEnabled(false);
        }
    }

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    layout->addWidget(buttons);
}

QFont CFontChooser::GetFont() const
{
    QFont font = m_fontDialog->currentFont();
    if (!m_withEffects) {
        font.setUnderline(false);
        font.setStrikeOut(false);
    }
    return font;
}

void CFontChooser::ChooseColor()
{
    const QColor chosen = QColorDialog::getColor(m_color, this);
    if (!chosen.isValid())
        return;
    m_color = chosen;
    ShowColor();
}

void CFontChooser::ShowColor()
{
    QPalette palette = m_swatch->palette();
    palette.setColor(QPalette::Window, m_color);
    m_swatch->setPalette(palette);
}
