#include "FontChooser.h"

#include <QCheckBox>
#include <QColorDialog>
#include <QDialogButtonBox>
#include <QFontDialog>
#include <QFontInfo>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include <cmath>

namespace {

// Stored sizes are pixels at 96 dots per inch; the font dialog speaks points.
constexpr double kPointsPerPixel = 72.0 / 96.0;

} // namespace

QFont CFontChooser::ForDialog(const QFont& font)
{
    // The dialog finds its entry by one family name as the font database
    // spells it (here possibly in Japanese) and by a point size: a list of
    // families and a pixel size would open it on its default font instead.
    QFont shown = font;
    shown.setFamilies({});
    shown.setFamily(QFontInfo(font).family());
    if (font.pixelSize() > 0)
        shown.setPointSizeF(font.pixelSize() * kPointsPerPixel);
    return shown;
}

CFontChooser::CFontChooser(const QFont& font, const QColor& color, bool withEffects,
                           QWidget* parent)
    : QDialog(parent), m_color(color), m_withEffects(withEffects), m_given(font),
      m_shown(ForDialog(font))
{
    setWindowTitle(QStringLiteral("フォント"));
    auto* layout = new QVBoxLayout(this);

    // The font dialog is used as a plain widget inside this one, so that the
    // colour row and the buttons sit below it.
    m_fontDialog = new QFontDialog(m_shown, this);
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
        QFont plain = m_shown;
        plain.setUnderline(false);
        plain.setStrikeOut(false);
        m_fontDialog->setCurrentFont(plain);
        for (QGroupBox* group : m_fontDialog->findChildren<QGroupBox*>()) {
            if (!group->findChildren<QCheckBox*>().isEmpty())
                group->setEnabled(false);
        }
    }

    // As the dialog shows it (it rounds the size to its own steps).
    m_initial = m_fontDialog->currentFont();

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    layout->addWidget(buttons);
}

QFont CFontChooser::GetFont() const
{
    QFont font = m_fontDialog->currentFont();
    // What was left as it was stays exactly as given: the family by the
    // names it was asked for (the stored face), the size in its pixels.
    if (font.family() == m_initial.family())
        font.setFamilies(m_given.families());
    if (m_given.pixelSize() > 0 && std::abs(font.pointSizeF() - m_initial.pointSizeF()) < 0.01)
        font.setPixelSize(m_given.pixelSize());
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
