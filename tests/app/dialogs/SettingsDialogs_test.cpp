#include "DialogFontSet.h"
#include "DialogSetColors.h"
#include "DialogSetRow.h"

#include "DialogTestEnv.h"
#include "FontChooser.h"
#include "LogFontQt.h"
#include "Sjis.h"

#include <QCheckBox>
#include <QFontDialog>
#include <QFontInfo>
#include <QLabel>
#include <QLineEdit>
#include <QSpinBox>
#include <deque>
#include <vector>

namespace {

SLogFont MakeFont(const std::string& face, int height, int weight = 400)
{
    SLogFont f;
    f.lfHeight = height;
    f.lfWeight = weight;
    f.lfCharSet = SLogFont::kShiftJisCharset;
    f.SetFaceName(Sjis(face));
    return f;
}

// The font dialog with the chooser answered from a queue.
class ScriptedFontSet : public CDialogFontSet
{
public:
    using CDialogFontSet::CDialogFontSet;
    struct SAnswer
    {
        bool ok;
        SLogFont font;
        COLORREF color;
    };
    struct SCall
    {
        SLogFont font;
        COLORREF color;
        bool withEffects;
    };
    std::deque<SAnswer> answers;
    std::vector<SCall> calls;

protected:
    bool ChooseFont(SLogFont& font, COLORREF& color, bool withEffects) override
    {
        calls.push_back({font, color, withEffects});
        if (answers.empty())
            return false;
        const SAnswer a = answers.front();
        answers.pop_front();
        if (a.ok) {
            font = a.font;
            color = a.color;
        }
        return a.ok;
    }
};

// The colour dialog with the picker answered from a queue; an answer may
// also change custom colour 3, as a user can in the picker.
class ScriptedColors : public CDialogSetColors
{
public:
    using CDialogSetColors::CDialogSetColors;
    struct SAnswer
    {
        bool ok;
        COLORREF color;
        COLORREF custom3;
    };
    std::deque<SAnswer> answers;
    std::vector<COLORREF> startColors;

protected:
    bool ChooseColor(COLORREF& color, COLORREF (&custom)[CAnnaluxDoc::kCustomColorCount]) override
    {
        startColors.push_back(color);
        if (answers.empty())
            return false;
        const SAnswer a = answers.front();
        answers.pop_front();
        custom[3] = a.custom3;
        if (a.ok)
            color = a.color;
        return a.ok;
    }
};

class FontSetTest : public DialogTest
{
protected:
    FontSetTest()
    {
        m_doc->AddListener([this](CAnnaluxDoc::EViewNotice n) { m_notices.push_back(n); });
    }
    std::vector<CAnnaluxDoc::EViewNotice> m_notices;
};

} // namespace

TEST_F(FontSetTest, EachButtonOpensTheChooserOnItsOwnFontAndOnlyTheHeaderHasNoEffects)
{
    for (int slot = 0; slot < CFontManager::kSlotCount; ++slot)
        m_doc->GetFonts().SetFont(slot, MakeFont("ＭＳ 明朝", -10 - slot));
    ScriptedFontSet dialog(m_doc.get());
    for (int slot = 0; slot < CFontManager::kSlotCount; ++slot) {
        SCOPED_TRACE(slot);
        Child<QPushButton>(dialog, ("buttonFont" + std::to_string(slot)).c_str())->click();
        ASSERT_EQ(dialog.calls.size(), static_cast<size_t>(slot + 1));
        EXPECT_EQ(dialog.calls.back().font.lfHeight, -10 - slot);
        EXPECT_EQ(dialog.calls.back().withEffects, slot != CFontManager::FS_HEADER);
    }
}

TEST_F(FontSetTest, ChosenFontGoesIntoTheCopyAndTheSampleButNotYetTheDocument)
{
    const CFontManager before = m_doc->GetFonts();
    ScriptedFontSet dialog(m_doc.get());
    dialog.answers.push_back({true, MakeFont("ＭＳ ゴシック", -20, 700), 0x0000FF});
    dialog.ChooseSlotFont(CFontManager::FS_ERA);

    EXPECT_EQ(dialog.GetFonts().GetFont(CFontManager::FS_ERA).GetFaceName(), Sjis("ＭＳ ゴシック"));
    EXPECT_EQ(dialog.GetFonts().GetColor(CFontManager::FS_ERA), 0x0000FFu);
    auto* sample = Child<QLabel>(dialog, "sample2");
    EXPECT_EQ(sample->text(), QString::fromUtf8("ＭＳ ゴシック"));
    EXPECT_EQ(sample->palette().color(QPalette::WindowText), QColor(255, 0, 0));
    EXPECT_TRUE(sample->font().bold());
    EXPECT_TRUE(m_doc->GetFonts() == before);
    EXPECT_FALSE(m_doc->IsModified());
}

TEST_F(FontSetTest, HeaderFontKeepsItsColourAndLosesEffects)
{
    m_doc->GetFonts().SetColor(CFontManager::FS_HEADER, 0x123456);
    ScriptedFontSet dialog(m_doc.get());
    SLogFont underlined = MakeFont("ＭＳ Ｐゴシック", -14);
    underlined.lfUnderline = 1;
    dialog.answers.push_back({true, underlined, 0x00FF00});
    dialog.ChooseSlotFont(CFontManager::FS_HEADER);
    EXPECT_EQ(dialog.GetFonts().GetFont(CFontManager::FS_HEADER).lfHeight, -14);
    EXPECT_EQ(dialog.GetFonts().GetColor(CFontManager::FS_HEADER), 0x123456u);
}

TEST_F(FontSetTest, CancelledChooserAndCancelledDialogChangeNothing)
{
    const CFontManager before = m_doc->GetFonts();
    ScriptedFontSet dialog(m_doc.get());
    dialog.answers.push_back({false, MakeFont("X", -30), 0xFF});
    dialog.ChooseSlotFont(CFontManager::FS_EVENT);
    EXPECT_TRUE(dialog.GetFonts() == before);

    dialog.answers.push_back({true, MakeFont("X", -30), 0xFF});
    dialog.ChooseSlotFont(CFontManager::FS_EVENT);
    Child<QSpinBox>(dialog, "editTextMargin")->setValue(7);
    PressCancel(dialog);
    EXPECT_EQ(dialog.result(), QDialog::Rejected);
    EXPECT_TRUE(m_doc->GetFonts() == before);
    EXPECT_EQ(m_doc->GetTextMargin(), 0);
    EXPECT_FALSE(m_doc->IsModified());
    EXPECT_TRUE(m_notices.empty());
}

TEST_F(FontSetTest, AllLikeEventCopiesFontAndColourToEverySlot)
{
    ScriptedFontSet dialog(m_doc.get());
    dialog.answers.push_back({true, MakeFont("ＭＳ 明朝", -16), 0x00AA00});
    dialog.ChooseSlotFont(CFontManager::FS_EVENT);
    Child<QPushButton>(dialog, "buttonAllLikeEvent")->click();
    for (int slot = 0; slot < CFontManager::kSlotCount; ++slot) {
        SCOPED_TRACE(slot);
        EXPECT_EQ(dialog.GetFonts().GetFont(slot), MakeFont("ＭＳ 明朝", -16));
        EXPECT_EQ(dialog.GetFonts().GetColor(slot), 0x00AA00u);
        EXPECT_EQ(Child<QLabel>(dialog, ("sample" + std::to_string(slot)).c_str())->text(),
                  QString::fromUtf8("ＭＳ 明朝"));
    }
}

TEST_F(FontSetTest, OkHandsFontsAndSpacingToTheDocumentAtItsZoom)
{
    ASSERT_TRUE(m_doc->SetZoom(150));
    m_notices.clear();
    ScriptedFontSet dialog(m_doc.get());
    dialog.answers.push_back({true, MakeFont("ＭＳ 明朝", -20), 0x0000FF});
    dialog.ChooseSlotFont(CFontManager::FS_EVENT);
    Child<QSpinBox>(dialog, "editTextMargin")->setValue(4);
    PressOk(dialog);

    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    const CFontManager& fonts = m_doc->GetFonts();
    EXPECT_EQ(fonts.GetFont(CFontManager::FS_EVENT).lfHeight, -20);
    EXPECT_EQ(fonts.GetShownFont(CFontManager::FS_EVENT).lfHeight, -30);
    EXPECT_EQ(fonts.GetColor(CFontManager::FS_EVENT), 0x0000FFu);
    EXPECT_EQ(m_doc->GetTextMargin(), 4);
    EXPECT_EQ(m_doc->GetRowHeight(), fonts.GetRowHeight() + 4);
    EXPECT_TRUE(m_doc->IsModified());
    for (auto expected :
         {CAnnaluxDoc::VN_HEADER_FONT, CAnnaluxDoc::VN_RELAYOUT, CAnnaluxDoc::VN_REPAINT})
        EXPECT_NE(std::find(m_notices.begin(), m_notices.end(), expected), m_notices.end());
    // Without the box nothing becomes a default.
    SLogFont stored;
    EXPECT_FALSE(m_settings.GetFont("Font", stored));
    EXPECT_FALSE(m_settings.Contains("Display", "TextMargin"));
    EXPECT_TRUE(m_host.Messages().empty());
}

TEST_F(FontSetTest, SetAsDefaultStoresFontsColoursAndSpacingForNewChronologies)
{
    ScriptedFontSet dialog(m_doc.get());
    dialog.answers.push_back({true, MakeFont("ＭＳ ゴシック", -13), 0x112233});
    dialog.ChooseSlotFont(CFontManager::FS_BASEYEAR);
    Child<QSpinBox>(dialog, "editTextMargin")->setValue(3);
    Child<QCheckBox>(dialog, "checkSetAsDefault")->setChecked(true);
    PressOk(dialog);

    CAnnaluxDoc fresh;
    EXPECT_TRUE(fresh.GetFonts() == m_doc->GetFonts());
    EXPECT_EQ(fresh.GetFonts().GetColor(CFontManager::FS_BASEYEAR), 0x112233u);
    EXPECT_EQ(m_settings.GetTextMargin(), 3);
}

TEST_F(FontSetTest, SpacingFieldRefusesNegativeValuesAndTakesDigitsOnly)
{
    CDialogFontSet dialog(m_doc.get());
    auto* spin = Child<QSpinBox>(dialog, "editTextMargin");
    spin->setValue(-5);
    EXPECT_EQ(spin->value(), 0);
    EXPECT_FALSE(spin->testAttribute(Qt::WA_InputMethodEnabled));
}

// ---- colours ----------------------------------------------------------------

namespace {

class ColorsTest : public DialogTest
{
protected:
    ColorsTest()
    {
        m_doc->AddListener([this](CAnnaluxDoc::EViewNotice n) { m_notices.push_back(n); });
    }
    static const char* ButtonName(int i)
    {
        static const std::string names[] = {"buttonColor0", "buttonColor1", "buttonColor2",
                                            "buttonColor3", "buttonColor4", "buttonColor5",
                                            "buttonColor6"};
        return names[i].c_str();
    }
    std::vector<CAnnaluxDoc::EViewNotice> m_notices;
};

} // namespace

TEST_F(ColorsTest, OpeningCopiesTheCustomColoursAndStoresThem)
{
    for (int i = 0; i < CAnnaluxDoc::kCustomColorCount; ++i)
        m_doc->SetCustomColor(i, 0x010101u * static_cast<COLORREF>(i));
    ScriptedColors dialog(m_doc.get());
    for (int i = 0; i < CAnnaluxDoc::kCustomColorCount; ++i) {
        EXPECT_EQ(dialog.GetCustomColor(i), 0x010101u * static_cast<COLORREF>(i));
        EXPECT_EQ(m_settings.GetCustColor(i), 0x010101u * static_cast<COLORREF>(i));
    }
}

TEST_F(ColorsTest, EachButtonPicksItsOwnColourAndShowsItAtOnce)
{
    ScriptedColors dialog(m_doc.get());
    for (int i = 0; i < CAnnaluxDoc::ColorCount; ++i) {
        SCOPED_TRACE(i);
        const auto which = static_cast<CAnnaluxDoc::EColor>(i);
        const COLORREF before = m_doc->GetColor(which);
        const COLORREF chosen = 0x000010u + static_cast<COLORREF>(i);
        auto* button = Child<QPushButton>(dialog, ButtonName(i));
        EXPECT_FALSE(button->toolTip().isEmpty());
        dialog.answers.push_back({true, chosen, 0});
        m_notices.clear();
        button->click();
        EXPECT_EQ(dialog.startColors.back(), before);
        EXPECT_EQ(m_doc->GetColor(which), chosen);
        EXPECT_FALSE(m_notices.empty());
        auto* swatch = Child<QLabel>(dialog, ("swatch" + std::to_string(i)).c_str());
        EXPECT_EQ(swatch->palette().color(QPalette::Window), QColor(0x10 + i, 0, 0));
    }
}

TEST_F(ColorsTest, OkKeepsColoursReturnsCustomColoursAndMarksModified)
{
    ScriptedColors dialog(m_doc.get());
    dialog.answers.push_back({true, 0x00FF00, 0xABCDEF});
    dialog.ChooseDocumentColor(CAnnaluxDoc::LinkColor);
    PressOk(dialog);

    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    EXPECT_EQ(m_doc->GetColor(CAnnaluxDoc::LinkColor), 0x00FF00u);
    EXPECT_EQ(m_doc->GetCustomColor(3), 0xABCDEFu);
    EXPECT_EQ(m_settings.GetCustColor(3), 0xABCDEFu);
    EXPECT_TRUE(m_doc->IsModified());
    // Without the box the colours are not defaults.
    EXPECT_FALSE(m_settings.Contains("Colors", "LinkColor"));
}

TEST_F(ColorsTest, SetAsDefaultWritesAllSevenColours)
{
    ScriptedColors dialog(m_doc.get());
    dialog.answers.push_back({true, 0x0A0B0C, 0});
    dialog.ChooseDocumentColor(CAnnaluxDoc::BackColorOdd);
    Child<QCheckBox>(dialog, "checkSetAsDefault")->setChecked(true);
    PressOk(dialog);

    EXPECT_EQ(m_settings.GetBackColorOdd(), 0x0A0B0Cu);
    for (const char* key : {"BackColor", "BackColorEven", "BackColorOdd", "LinkColor",
                            "SupplementColor", "AboutColor", "EventMarkColor"})
        EXPECT_TRUE(m_settings.Contains("Colors", key)) << key;
    CAnnaluxDoc fresh;
    for (int i = 0; i < CAnnaluxDoc::ColorCount; ++i) {
        const auto which = static_cast<CAnnaluxDoc::EColor>(i);
        EXPECT_EQ(fresh.GetColor(which), m_doc->GetColor(which)) << i;
    }
}

TEST_F(ColorsTest, CancelRestoresEveryColourAndTheModifiedFlag)
{
    m_doc->GetFonts().SetColor(CFontManager::FS_EVENT, 0x445566);
    COLORREF before[CAnnaluxDoc::ColorCount];
    for (int i = 0; i < CAnnaluxDoc::ColorCount; ++i)
        before[i] = m_doc->GetColor(static_cast<CAnnaluxDoc::EColor>(i));
    {
        ScriptedColors dialog(m_doc.get());
        for (int i = 0; i < CAnnaluxDoc::ColorCount; ++i) {
            dialog.answers.push_back({true, 0x000100u * static_cast<COLORREF>(i + 1), 0x777777});
            dialog.ChooseDocumentColor(static_cast<CAnnaluxDoc::EColor>(i));
        }
        EXPECT_TRUE(m_doc->IsModified());
        m_notices.clear();
        PressCancel(dialog);
        EXPECT_EQ(dialog.result(), QDialog::Rejected);
    }
    for (int i = 0; i < CAnnaluxDoc::ColorCount; ++i)
        EXPECT_EQ(m_doc->GetColor(static_cast<CAnnaluxDoc::EColor>(i)), before[i]) << i;
    EXPECT_EQ(m_doc->GetFonts().GetColor(CFontManager::FS_EVENT), 0x445566u);
    EXPECT_EQ(m_doc->GetCustomColor(3), 0xFFFFFFu);
    EXPECT_FALSE(m_doc->IsModified());
    EXPECT_FALSE(m_notices.empty()); // repainted with the old colours
}

TEST_F(ColorsTest, CancelledPickerKeepsTheColour)
{
    ScriptedColors dialog(m_doc.get());
    dialog.answers.push_back({false, 0x123456, 0});
    dialog.ChooseDocumentColor(CAnnaluxDoc::AboutColor);
    EXPECT_EQ(m_doc->GetColor(CAnnaluxDoc::AboutColor), 0x808080u);
    EXPECT_FALSE(m_doc->IsModified());
}

// ---- column widths --------------------------------------------------------------

namespace {

class SetRowTest : public DialogTest
{
protected:
    static std::string WidthName(int kind) { return "editWidth" + std::to_string(kind); }
    static std::string SameName(int kind) { return "checkSame" + std::to_string(kind); }
};

} // namespace

TEST_F(SetRowTest, OpensWithTheColumnDefaultsAndHasNoSameWidthBoxForYears)
{
    m_doc->GetRowInfo().Set(CK_ERA, 77, true);
    CDialogSetRow dialog(m_doc.get());
    EXPECT_EQ(Child<QLineEdit>(dialog, "editWidth3")->text(), "77");
    EXPECT_EQ(Child<QLineEdit>(dialog, "editWidth4")->text(), "500");
    EXPECT_TRUE(Child<QCheckBox>(dialog, "checkSame3")->isChecked());
    EXPECT_FALSE(Child<QCheckBox>(dialog, "checkSame4")->isChecked());
    EXPECT_EQ(dialog.findChild<QCheckBox*>("checkSame0"), nullptr);
    for (int kind = 0; kind < kColumnKindCount; ++kind) {
        auto* edit = Child<QLineEdit>(dialog, WidthName(kind).c_str());
        EXPECT_EQ(edit->toolTip(),
                  QString::fromUtf8("列を追加したときの幅を指定します。単位はピクセルです。"));
        EXPECT_FALSE(edit->testAttribute(Qt::WA_InputMethodEnabled));
        if (kind != CK_YEAR) {
            EXPECT_EQ(Child<QCheckBox>(dialog, SameName(kind).c_str())->toolTip(),
                      QString::fromUtf8("列の幅を変更するとき、同じ種類の列がすべて同じ幅になる"
                                        "ようにします。"));
        }
    }
}

TEST_F(SetRowTest, OkStoresAllFivePairsAndWritesTheTenSettings)
{
    m_doc->GetRowInfo().SetSameWidth(CK_YEAR, true); // not editable here: kept
    CDialogSetRow dialog(m_doc.get());
    const int widths[] = {40, 1, 60, 10000, 321};
    for (int kind = 0; kind < kColumnKindCount; ++kind) {
        Child<QLineEdit>(dialog, WidthName(kind).c_str())->setText(QString::number(widths[kind]));
        if (kind != CK_YEAR)
            Child<QCheckBox>(dialog, SameName(kind).c_str())->setChecked(kind % 2 == 0);
    }
    PressOk(dialog);

    ASSERT_EQ(dialog.result(), QDialog::Accepted);
    const CRowInfoAll& info = m_doc->GetRowInfo();
    for (int kind = 0; kind < kColumnKindCount; ++kind) {
        SCOPED_TRACE(kind);
        EXPECT_EQ(info.GetWidth(kind), widths[kind]);
        EXPECT_EQ(m_settings.GetInitWidth(kind, -5), widths[kind]);
        const bool same = kind == CK_YEAR ? true : kind % 2 == 0;
        EXPECT_EQ(info.GetSameWidth(kind), same);
        EXPECT_EQ(m_settings.GetSameWidth(kind), same);
        EXPECT_TRUE(m_settings.Contains("Width", CRowInfoAll::SameWidthKey(kind).c_str()));
    }
    EXPECT_TRUE(m_host.Messages().empty());
}

TEST_F(SetRowTest, WidthOutsideTheRangeIsRefusedAndTheDialogStaysOpen)
{
    const CRowInfoAll before = m_doc->GetRowInfo();
    for (const char* bad : {"0", "10001", "", "-5", "99999999999"}) {
        SCOPED_TRACE(bad);
        m_host.Clear();
        CDialogSetRow dialog(m_doc.get());
        dialog.show();
        QApplication::setActiveWindow(&dialog);
        auto* edit = Child<QLineEdit>(dialog, "editWidth1");
        edit->setText(QString::fromUtf8(bad));
        PressOk(dialog);
        EXPECT_NE(dialog.result(), QDialog::Accepted);
        EXPECT_TRUE(dialog.isVisible());
        ASSERT_EQ(m_host.Messages().size(), 1u);
        EXPECT_EQ(m_host.Messages()[0], CDialogSetRow::kWidthRangeMessage);
        EXPECT_EQ(QApplication::focusWidget(), edit);
        EXPECT_TRUE(m_doc->GetRowInfo() == before);
        EXPECT_FALSE(m_settings.Contains("Width", "InitWidth_year"));
    }
}

TEST_F(SetRowTest, CancelKeepsDefaultsAndSettings)
{
    CDialogSetRow dialog(m_doc.get());
    Child<QLineEdit>(dialog, "editWidth4")->setText("42");
    PressCancel(dialog);
    EXPECT_EQ(m_doc->GetRowInfo().GetWidth(CK_EVENT), 500);
    EXPECT_FALSE(m_settings.Contains("Width", "InitWidth_event"));
}

TEST_F(DialogTest, FontChooserOpensOnTheFontInUseAndOkKeepsItExactly)
{
    for (const char* face : {"ＭＳ Ｐゴシック", "ＭＳ 明朝"}) {
        SCOPED_TRACE(face);
        SLogFont font;
        font.lfHeight = -14;
        font.lfWeight = 400;
        font.lfCharSet = SLogFont::kShiftJisCharset;
        font.SetFaceName(Sjis(face));
        const QFont given = CLogFontQt::ToQFont(font);
        CFontChooser chooser(given, Qt::black, true);
        const QFont shown = chooser.findChild<QFontDialog*>()->currentFont();
        // Not the dialog's default entry: the family the view draws with.
        EXPECT_EQ(shown.family(), QFontInfo(given).family());
        EXPECT_NEAR(shown.pointSizeF(), 10.5, 0.5); // 14 pixels at 96 dpi
        EXPECT_EQ(CLogFontQt::FromQFont(chooser.GetFont(), font), font);
    }
}
