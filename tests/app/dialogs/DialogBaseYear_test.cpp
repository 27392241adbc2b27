#include "DialogBaseYear.h"

#include "BaseYear.h"
#include "DialogTestEnv.h"
#include "GengouEra.h"
#include "Sjis.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QLineEdit>
#include <QPlainTextEdit>

namespace {

class DialogBaseYearTest : public DialogTest
{
protected:
    DialogBaseYearTest()
    {
        auto eras = std::make_unique<CGengouEra>();
        eras->SetData(Sjis("明治"), 1868, 1912, "");
        eras->SetData(Sjis("大正"), 1912, 1926, "");
        m_doc->AddEraNameTable(std::move(eras));
        m_values.title = Sjis("徳川家康");
        m_values.startYear = 1543;
        m_values.endYear = 1616;
    }
    template <typename T> T* W(CDialogBaseYear& d, const char* name) { return Child<T>(d, name); }
    SBaseYearValues m_values;
};

TEST_F(DialogBaseYearTest, OpensWithValuesAndEraItems)
{
    CDialogBaseYear d(m_doc.get());
    m_values.endKind = QStringLiteral("設定しない");
    m_values.endYear = kNoYear;
    d.SetValues(m_values);
    auto* start = W<QComboBox>(d, "comboStart");
    auto* end = W<QComboBox>(d, "comboEnd");
    ASSERT_EQ(start->count(), 3);
    EXPECT_EQ(start->currentText(), QStringLiteral("西暦"));
    EXPECT_EQ(start->itemText(1), QStringLiteral("明治(～45)"));
    EXPECT_EQ(end->itemText(0), QStringLiteral("設定しない"));
    EXPECT_EQ(end->currentIndex(), 0);
    EXPECT_FALSE(W<QLineEdit>(d, "editEnd")->isEnabled());
    EXPECT_EQ(W<QLineEdit>(d, "editTitle")->text(), QStringLiteral("徳川家康"));
    EXPECT_EQ(W<QLineEdit>(d, "editStart")->text(), QStringLiteral("1543"));
    auto* box = W<QDialogButtonBox>(d, "buttonBox");
    EXPECT_EQ(box->button(QDialogButtonBox::Ok)->text(), QStringLiteral("OK"));
    EXPECT_EQ(box->button(QDialogButtonBox::Cancel)->text(), QStringLiteral("ｷｬﾝｾﾙ"));
}

TEST_F(DialogBaseYearTest, YearsOfErasAndEndKindsConvert)
{
    struct SCase
    {
        int startKind; // combo index
        const char* startText;
        int endKind;
        const char* endText;
        int32_t start, end;
    } cases[] = {
        {0, "1543", 1, "1616", 1543, 1616},    {1, "1", 1, "1616", 1868, 1616}, // 明治1年
        {0, "1900", 3, "15", 1900, 1926},                                       // 大正15年
        {0, "1900", 0, "1950", 1900, kNoYear}, // 設定しない, whatever the edit held
        {0, "-660", 1, "", -660, kNoYear},     // 西暦 with nothing typed
    };
    for (const SCase& c : cases) {
        SCOPED_TRACE(c.startText);
        CDialogBaseYear d(m_doc.get());
        d.SetValues(m_values);
        W<QComboBox>(d, "comboStart")->setCurrentIndex(c.startKind);
        W<QLineEdit>(d, "editStart")->setText(QString::fromUtf8(c.startText));
        W<QComboBox>(d, "comboEnd")->setCurrentIndex(c.endKind);
        W<QLineEdit>(d, "editEnd")->setText(QString::fromUtf8(c.endText));
        PressOk(d);
        ASSERT_EQ(d.result(), QDialog::Accepted);
        EXPECT_EQ(d.GetValues().startYear, c.start);
        EXPECT_EQ(d.GetValues().endYear, c.end);
    }
    EXPECT_TRUE(m_host.Messages().empty());
}

TEST_F(DialogBaseYearTest, KindChangesFillAndClearTheYearFields)
{
    CDialogBaseYear d(m_doc.get());
    d.SetValues(m_values);
    auto* endEdit = W<QLineEdit>(d, "editEnd");
    W<QComboBox>(d, "comboStart")->setCurrentIndex(2);
    EXPECT_EQ(W<QLineEdit>(d, "editStart")->text(), QStringLiteral("1"));
    W<QComboBox>(d, "comboEnd")->setCurrentIndex(0);
    EXPECT_FALSE(endEdit->isEnabled());
    EXPECT_EQ(endEdit->text(), QString());
    W<QComboBox>(d, "comboEnd")->setCurrentIndex(2);
    EXPECT_TRUE(endEdit->isEnabled());
    EXPECT_EQ(endEdit->text(), QStringLiteral("1"));
}

TEST_F(DialogBaseYearTest, RefusalsKeepTheDialogOpen)
{
    struct SCase
    {
        const char* title;
        int startKind;
        const char* start;
        int endKind;
        const char* end;
        const char* message;
    } cases[] = {
        {"", 0, "1543", 1, "", CDialogBaseYear::kNoTitleMessage},
        {"家康", 0, "", 1, "", CDialogBaseYear::kNoStartMessage},
        {"家康", 1, "46", 1, "", CDialogBaseYear::kEraRangeMessage}, // 明治46年
        {"家康", 0, "1543", 3, "16", CDialogBaseYear::kEraRangeMessage},
        {"家康", 1, "0", 1, "", CDialogBaseYear::kEraRangeMessage}, // before 明治1年
        {"家康", 0, "1543", 3, "-1", CDialogBaseYear::kEraRangeMessage},
        {"家康", 0, "-", 1, "", CDialogBaseYear::kStartNumberMessage},
        {"家康", 0, "1543", 1, "9999999999", CDialogBaseYear::kEndNumberMessage},
        {"😀", 0, "1543", 1, "", "「😀」(U+1F600) はShift-JISで保存できない文字です。"},
    };
    for (const SCase& c : cases) {
        SCOPED_TRACE(c.message);
        m_host.Clear();
        CDialogBaseYear d(m_doc.get());
        d.SetValues(m_values);
        W<QLineEdit>(d, "editTitle")->setText(QString::fromUtf8(c.title));
        W<QComboBox>(d, "comboStart")->setCurrentIndex(c.startKind);
        W<QLineEdit>(d, "editStart")->setText(QString::fromUtf8(c.start));
        W<QComboBox>(d, "comboEnd")->setCurrentIndex(c.endKind);
        W<QLineEdit>(d, "editEnd")->setText(QString::fromUtf8(c.end));
        PressOk(d);
        EXPECT_NE(d.result(), QDialog::Accepted);
        ASSERT_EQ(m_host.Messages().size(), 1u);
        EXPECT_EQ(m_host.Messages()[0].rfind(c.message, 0), 0u) << m_host.Messages()[0];
        EXPECT_EQ(d.GetValues().title, m_values.title);
    }
}

TEST_F(DialogBaseYearTest, DependentChecksFollowButKeepTheirMarks)
{
    CDialogBaseYear d(m_doc.get());
    d.SetValues(m_values);
    auto* kazoe = W<QCheckBox>(d, "checkKazoe");
    auto* minus = W<QCheckBox>(d, "checkDisplayMinus");
    auto* minus1 = W<QCheckBox>(d, "checkMinus1");
    auto* plus = W<QCheckBox>(d, "checkEndYearPlus");
    auto* kaiki = W<QCheckBox>(d, "checkKaiki");
    EXPECT_FALSE(minus1->isEnabled());
    EXPECT_FALSE(kaiki->isEnabled());
    kazoe->click();
    EXPECT_FALSE(minus1->isEnabled());
    minus->click();
    EXPECT_TRUE(minus1->isEnabled());
    minus1->click();
    plus->click();
    kaiki->click();
    minus->click(); // off again: 1148 disabled, still checked
    plus->click();
    EXPECT_FALSE(minus1->isEnabled());
    EXPECT_FALSE(kaiki->isEnabled());
    PressOk(d);
    ASSERT_EQ(d.result(), QDialog::Accepted);
    const SBaseYearValues& v = d.GetValues();
    EXPECT_TRUE(v.kazoe);
    EXPECT_FALSE(v.displayMinus);
    EXPECT_TRUE(v.minus1);
    EXPECT_FALSE(v.endYearPlus);
    EXPECT_TRUE(v.endYearKaiki);
}

TEST_F(DialogBaseYearTest, ValuesRoundTripThroughTheTable)
{
    CBaseYear table;
    table.SetTableName(Sjis("年齢"));
    table.SetBaseWesternYear(1900);
    table.SetSupplement(Sjis("一\r\n二"));
    table.SetDisplayMinus(true);
    table.SetModified(false);
    SBaseYearValues v = SBaseYearValues::FromTable(table);
    EXPECT_EQ(v.endKind, QStringLiteral("設定しない"));
    CDialogBaseYear d(m_doc.get());
    d.SetValues(v);
    EXPECT_EQ(W<QPlainTextEdit>(d, "editSupplement")->toPlainText(), QStringLiteral("一\n二"));
    PressOk(d);
    ASSERT_EQ(d.result(), QDialog::Accepted);
    d.GetValues().ToTable(table);
    EXPECT_FALSE(table.GetModified()); // nothing differs
    EXPECT_EQ(table.GetSupplement(), Sjis("一\r\n二"));
    v.kazoe = true;
    v.ToTable(table);
    EXPECT_TRUE(table.GetModified());
}

} // namespace
