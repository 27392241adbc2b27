#include "AboutDlg.h"
#include "DialogAssistant.h"
#include "DialogHeaderSelect.h"
#include "DialogYearRange.h"

#include "DialogTestEnv.h"
#include "YearInput.h"
#include "GengouEra.h"
#include "HeaderManager.h"
#include "Sjis.h"
#include "YearEvent.h"

#include <QAbstractButton>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QTreeWidget>

// ---- column removal ---------------------------------------------------------

TEST_F(DialogTest, HeaderSelectListsEveryColumnByNameAndKindAndReportsTheChecks)
{
    CYearEvent events;
    events.SetTableName(Sjis("日本史"));
    CGengouEra eras;
    eras.SetTableName(Sjis("元号一覧"));
    CYearEvent untitled;
    untitled.SetFileName("/tmp/lib/world.lev");
    CHeaderManager columns;
    columns.Append(CK_YEAR, nullptr, -1, 50);
    columns.Append(CK_EVENT, &events, -1, 500);
    columns.Append(CK_GENGOU, &eras, -1, 50);
    columns.Append(CK_EVENT, &untitled, -1, 500);

    CDialogHeaderSelect dialog(columns);
    EXPECT_EQ(dialog.windowTitle(), QString::fromUtf8("列消去"));
    auto* list = Child<QTreeWidget>(dialog, "listColumns");
    EXPECT_EQ(list->headerItem()->text(0), QString::fromUtf8("列名"));
    EXPECT_EQ(list->headerItem()->text(1), QString::fromUtf8("種類"));
    ASSERT_EQ(list->topLevelItemCount(), 4);
    const char* names[] = {"西暦", "日本史", "元号一覧", "world.lev"};
    const char* kinds[] = {"西暦", "出来事", "元号", "出来事"};
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(list->topLevelItem(i)->text(0), QString::fromUtf8(names[i])) << i;
        EXPECT_EQ(list->topLevelItem(i)->text(1), QString::fromUtf8(kinds[i])) << i;
        EXPECT_EQ(list->topLevelItem(i)->checkState(0), Qt::Unchecked);
    }

    list->topLevelItem(1)->setCheckState(0, Qt::Checked); // as a click on the box does
    dialog.SetChecked(3, true);
    dialog.SetChecked(3, false);
    dialog.SetChecked(2, true);
    dialog.SetChecked(9, true); // no such column: ignored
    PressOk(dialog);
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    EXPECT_EQ(dialog.GetChecked(), (std::vector<bool>{false, true, true, false}));
}

TEST_F(DialogTest, HeaderSelectWithoutColumnsReportsNone)
{
    CHeaderManager columns;
    CDialogHeaderSelect dialog(columns);
    EXPECT_TRUE(dialog.GetChecked().empty());
}

// ---- display range ------------------------------------------------------------

namespace {

class YearRangeTest : public DialogTest
{
protected:
    YearRangeTest()
    {
        m_doc->AddListener([this](CAnnaluxDoc::EViewNotice n) { m_notices.push_back(n); });
    }
    struct SFields
    {
        QRadioButton* off;
        QRadioButton* on;
        QLineEdit* from;
        QLineEdit* to;
    };
    SFields Fields(CDialogYearRange& d)
    {
        return {Child<QRadioButton>(d, "radioOff"), Child<QRadioButton>(d, "radioOn"),
                Child<QLineEdit>(d, "editFrom"), Child<QLineEdit>(d, "editTo")};
    }
    std::vector<CAnnaluxDoc::EViewNotice> m_notices;
};

} // namespace

TEST_F(YearRangeTest, OpensWithTheDocumentsRangeAndFieldsFollowTheRadio)
{
    m_doc->SetRange(false, -660, 1868);
    CDialogYearRange dialog(m_doc.get());
    SFields f = Fields(dialog);
    EXPECT_TRUE(f.off->isChecked());
    EXPECT_EQ(f.from->text(), "-660");
    EXPECT_EQ(f.to->text(), "1868");
    EXPECT_FALSE(f.from->isEnabled());
    EXPECT_FALSE(f.to->isEnabled());
    f.on->setChecked(true);
    EXPECT_TRUE(f.from->isEnabled());
    EXPECT_TRUE(f.to->isEnabled());
    // Years are typed as plain digits.
    EXPECT_FALSE(f.from->testAttribute(Qt::WA_InputMethodEnabled));
    EXPECT_FALSE(f.to->testAttribute(Qt::WA_InputMethodEnabled));
    EXPECT_TRUE(f.to->inputMethodHints() & Qt::ImhDigitsOnly);
}

TEST_F(YearRangeTest, OkStoresTheRangeAndHasTheViewsRelaidOut)
{
    CDialogYearRange dialog(m_doc.get());
    SFields f = Fields(dialog);
    f.on->setChecked(true);
    f.from->setText("-100");
    f.to->setText(" 1600 ");
    PressOk(dialog);
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    EXPECT_TRUE(m_doc->GetRangeEnabled());
    EXPECT_EQ(m_doc->GetRangeFrom(), -100);
    EXPECT_EQ(m_doc->GetRangeTo(), 1600);
    EXPECT_TRUE(m_doc->IsModified());
    EXPECT_NE(std::find(m_notices.begin(), m_notices.end(), CAnnaluxDoc::VN_RELAYOUT),
              m_notices.end());
    EXPECT_TRUE(dialog.GetRangeEnabled());
    EXPECT_EQ(dialog.GetRangeFrom(), -100);
    EXPECT_EQ(dialog.GetRangeTo(), 1600);
    EXPECT_TRUE(m_host.Messages().empty());
}

TEST_F(YearRangeTest, BadRangesAreRefusedWithTheirMessageAndFocus)
{
    struct SCase
    {
        const char* from;
        const char* to;
        const char* message;
        const char* focus;
    };
    const SCase cases[] = {
        {"1600", "1500", CDialogYearRange::kOrderMessage, "editTo"},
        {"1600", "1600", CDialogYearRange::kOrderMessage, "editTo"},
        {"", "1600", CDialogYearRange::kStartNumberMessage, "editFrom"},
        {"-", "1600", CDialogYearRange::kStartNumberMessage, "editFrom"},
        {"1", "", CDialogYearRange::kEndNumberMessage, "editTo"},
        // Beyond the year type, and its two sentinels.
        {"1", "99999999999", CDialogYearRange::kEndNumberMessage, "editTo"},
        {"1", "2147483647", CDialogYearRange::kEndNumberMessage, "editTo"},
        {"-2147483648", "1", CDialogYearRange::kStartNumberMessage, "editFrom"},
        // There is no year 0 for a range to begin or end at.
        {"0", "10", CYearInput::kYearZeroMessage, "editFrom"},
        {"-10", "-0", CYearInput::kYearZeroMessage, "editTo"},
    };
    for (const SCase& c : cases) {
        SCOPED_TRACE(std::string(c.from) + " .. " + c.to);
        m_host.Clear();
        CDialogYearRange dialog(m_doc.get());
        dialog.show();
        QApplication::setActiveWindow(&dialog);
        SFields f = Fields(dialog);
        f.on->setChecked(true);
        f.from->setText(QString::fromUtf8(c.from));
        f.to->setText(QString::fromUtf8(c.to));
        PressOk(dialog);
        EXPECT_NE(dialog.result(), QDialog::Accepted);
        EXPECT_TRUE(dialog.isVisible());
        ASSERT_EQ(m_host.Messages().size(), 1u);
        EXPECT_EQ(m_host.Messages()[0], c.message);
        ASSERT_NE(QApplication::focusWidget(), nullptr);
        EXPECT_EQ(QApplication::focusWidget()->objectName(), c.focus);
        EXPECT_FALSE(m_doc->GetRangeEnabled());
        EXPECT_FALSE(m_doc->IsModified());
    }
}

TEST_F(YearRangeTest, ExtremeYearsJustInsideTheTypeAreAccepted)
{
    CDialogYearRange dialog(m_doc.get());
    SFields f = Fields(dialog);
    f.on->setChecked(true);
    f.from->setText("-2147483647");
    f.to->setText("2147483646");
    PressOk(dialog);
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    EXPECT_EQ(m_doc->GetRangeFrom(), -2147483647);
    EXPECT_EQ(m_doc->GetRangeTo(), 2147483646);
}

TEST_F(YearRangeTest, SwitchingTheRangeOffIsNotCheckedAndKeepsUsableYears)
{
    m_doc->SetRange(true, 10, 20);
    m_doc->SetModifiedFlag(false);
    {
        CDialogYearRange dialog(m_doc.get());
        SFields f = Fields(dialog);
        f.off->setChecked(true);
        f.from->setText("500");
        f.to->setText("100");
        PressOk(dialog);
        EXPECT_EQ(dialog.result(), QDialog::Accepted);
    }
    EXPECT_TRUE(m_host.Messages().empty());
    EXPECT_FALSE(m_doc->GetRangeEnabled());
    EXPECT_EQ(m_doc->GetRangeFrom(), 10);
    EXPECT_EQ(m_doc->GetRangeTo(), 20);
    EXPECT_TRUE(m_doc->IsModified());

    CDialogYearRange dialog(m_doc.get());
    SFields f = Fields(dialog);
    f.from->setText("30");
    f.to->setText("40");
    PressOk(dialog);
    EXPECT_EQ(m_doc->GetRangeFrom(), 30);
    EXPECT_EQ(m_doc->GetRangeTo(), 40);
}

TEST_F(YearRangeTest, OkWithTheYearsUnchangedStillMarksTheDocumentModified)
{
    m_doc->SetRange(true, 1600, 1868);
    m_doc->SetModifiedFlag(false);
    CDialogYearRange dialog(m_doc.get());
    PressOk(dialog);
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    EXPECT_TRUE(m_doc->GetRangeEnabled());
    EXPECT_EQ(m_doc->GetRangeFrom(), 1600);
    EXPECT_EQ(m_doc->GetRangeTo(), 1868);
    EXPECT_TRUE(m_doc->IsModified());
}

TEST_F(YearRangeTest, CancelLeavesTheDocumentAlone)
{
    CDialogYearRange dialog(m_doc.get());
    SFields f = Fields(dialog);
    f.on->setChecked(true);
    f.from->setText("1");
    f.to->setText("2");
    PressCancel(dialog);
    EXPECT_FALSE(m_doc->GetRangeEnabled());
    EXPECT_FALSE(m_doc->IsModified());
    EXPECT_TRUE(m_notices.empty());
}

// ---- assistant ------------------------------------------------------------------

TEST_F(DialogTest, AssistantOffersTheRecentFilesAndStartsOnTheFirstChoice)
{
    CDialogAssistant dialog({"/p/a.anx", "", "  ", "/p/b.anx"}, true);
    auto* combo = Child<QComboBox>(dialog, "comboFile");
    ASSERT_EQ(combo->count(), 2);
    EXPECT_EQ(combo->itemText(0), "/p/a.anx");
    EXPECT_EQ(combo->itemText(1), "/p/b.anx");
    EXPECT_EQ(dialog.GetChoice(), CDialogAssistant::ChoiceOpenFile);
    EXPECT_EQ(dialog.GetFileName(), "/p/a.anx");
    EXPECT_FALSE(Child<QCheckBox>(dialog, "checkDontShow")->isChecked());
    PressOk(dialog);
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    EXPECT_EQ(dialog.GetChoice(), CDialogAssistant::ChoiceOpenFile);
    // The box agreed with the setting: nothing written.
    EXPECT_FALSE(m_settings.Contains("Assistant", "Disp"));
}

TEST_F(DialogTest, AssistantRefusesTheFirstChoiceWithoutAFile)
{
    for (const char* text : {"", "   "}) {
        m_host.Clear();
        CDialogAssistant dialog({}, true);
        dialog.SetFileName(text);
        PressOk(dialog);
        EXPECT_NE(dialog.result(), QDialog::Accepted);
        EXPECT_EQ(m_host.Messages(), std::vector<std::string>{CDialogAssistant::kNoFileMessage});
    }
    // Another choice needs no file.
    CDialogAssistant dialog({}, true);
    Child<QRadioButton>(dialog, "radioCreate")->setChecked(true);
    PressOk(dialog);
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    EXPECT_EQ(dialog.GetChoice(), CDialogAssistant::ChoiceCreateLibrary);
}

TEST_F(DialogTest, AssistantBrowseAsksForAProjectAndSelectsTheFirstChoice)
{
    CDialogAssistant dialog({"/p/old.anx"}, true);
    Child<QRadioButton>(dialog, "radioCombine")->setChecked(true);
    m_host.QueueFileName("/home/u/年表.anx");
    Child<QPushButton>(dialog, "buttonBrowse")->click();
    ASSERT_EQ(m_host.Records().size(), 1u);
    const SFileDialogRequest& request = m_host.Records()[0].request;
    EXPECT_EQ(m_host.Records()[0].kind, CScriptedHostServices::SRecord::OpenDialog);
    EXPECT_EQ(request.defaultExtension, "anx");
    EXPECT_EQ(request.filter, "Annalux(*.anx)|*.anx|すべて(*.*)|*.*||");
    EXPECT_EQ(request.proposedName, "/p/old.anx");
    EXPECT_EQ(dialog.GetFileName(), "/home/u/年表.anx");
    EXPECT_EQ(dialog.GetChoice(), CDialogAssistant::ChoiceOpenFile);

    // A cancelled file dialog changes nothing.
    Child<QRadioButton>(dialog, "radioCombine")->setChecked(true);
    Child<QPushButton>(dialog, "buttonBrowse")->click();
    EXPECT_EQ(dialog.GetFileName(), "/home/u/年表.anx");
    EXPECT_EQ(dialog.GetChoice(), CDialogAssistant::ChoiceCombineLibraries);
}

TEST_F(DialogTest, AssistantStoresTheStartUpBoxOnlyOnOkAndOnlyWhenItChanged)
{
    {
        CDialogAssistant dialog({"/p/a.anx"}, true);
        Child<QCheckBox>(dialog, "checkDontShow")->setChecked(true);
        PressCancel(dialog);
        EXPECT_TRUE(dialog.GetShowAtStart());
        EXPECT_FALSE(m_settings.Contains("Assistant", "Disp"));
    }
    {
        CDialogAssistant dialog({"/p/a.anx"}, true);
        Child<QCheckBox>(dialog, "checkDontShow")->setChecked(true);
        PressOk(dialog);
        EXPECT_FALSE(dialog.GetShowAtStart());
        EXPECT_TRUE(m_settings.Contains("Assistant", "Disp"));
        EXPECT_FALSE(m_settings.GetAssistantDisp());
    }
    {
        // Shown from the menu while the start-up display is off.
        CDialogAssistant dialog({"/p/a.anx"}, false);
        EXPECT_TRUE(Child<QCheckBox>(dialog, "checkDontShow")->isChecked());
        Child<QCheckBox>(dialog, "checkDontShow")->setChecked(false);
        PressOk(dialog);
        EXPECT_TRUE(dialog.GetShowAtStart());
        EXPECT_TRUE(m_settings.GetAssistantDisp());
    }
}

TEST_F(DialogTest, AssistantChoicesCanBeSwitchedOffAndAreThenNeverTaken)
{
    CDialogAssistant dialog({}, true);
    Child<QRadioButton>(dialog, "radioCombine")->setChecked(true);
    dialog.SetChoiceEnabled(CDialogAssistant::ChoiceCombineLibraries, false);
    dialog.SetChoiceEnabled(CDialogAssistant::ChoiceCreateLibrary, false);
    EXPECT_FALSE(dialog.IsChoiceEnabled(CDialogAssistant::ChoiceCombineLibraries));
    EXPECT_FALSE(Child<QRadioButton>(dialog, "radioCreate")->isEnabled());
    EXPECT_FALSE(Child<QLabel>(dialog, "labelCreateNote")->isEnabled());
    EXPECT_EQ(dialog.GetChoice(), CDialogAssistant::ChoiceOpenFile);
    dialog.SetChoice(CDialogAssistant::ChoiceCreateLibrary);
    EXPECT_EQ(dialog.GetChoice(), CDialogAssistant::ChoiceOpenFile);

    dialog.SetChoiceEnabled(CDialogAssistant::ChoiceCreateLibrary, true);
    dialog.SetChoice(CDialogAssistant::ChoiceCreateLibrary);
    EXPECT_EQ(dialog.GetChoice(), CDialogAssistant::ChoiceCreateLibrary);
}

TEST_F(DialogTest, AboutShowsTheVersion)
{
    CAboutDlg dialog;
    EXPECT_EQ(dialog.windowTitle(), QString::fromUtf8("ﾊﾞｰｼﾞｮﾝ情報"));
    EXPECT_EQ(Child<QLabel>(dialog, "labelVersion")->text(), "Annalux Version 3.17");
    EXPECT_FALSE(Child<QLabel>(dialog, "labelIcon")->pixmap().isNull());
    // The version is the only text besides the OK button.
    QStringList texts;
    for (const QLabel* label : dialog.findChildren<QLabel*>())
        if (!label->text().isEmpty())
            texts << label->text();
    EXPECT_EQ(texts, QStringList{"Annalux Version 3.17"});
    const QList<QAbstractButton*> buttons = dialog.findChildren<QAbstractButton*>();
    ASSERT_EQ(buttons.size(), 1);
    EXPECT_EQ(buttons[0]->text(), QString::fromUtf8("OK"));
}
