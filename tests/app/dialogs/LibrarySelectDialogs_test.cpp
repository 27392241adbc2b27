#include "DialogCreateLibrarySelect.h"
#include "DialogInsertSelect.h"
#include "DialogProperty.h"
#include "DialogSelectLibrary.h"
#include "DlgInfo.h"
#include "SelectData.h"

#include "DialogTestEnv.h"
#include "GengouEra.h"
#include "HeaderManager.h"
#include "Sjis.h"
#include "YearEvent.h"

#include <QAbstractButton>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QRadioButton>
#include <QTreeWidget>

namespace {

const char* const kRadios[] = {"radioGengou", "radioEra", "radioBaseYear", "radioEvent"};
const char* const kRadioTexts[] = {"元号(&G)", "時代(&J)", "基点年(&K)", "出来事(&D)"};

// ---- kind choice --------------------------------------------------------------

TEST_F(DialogTest, KindDialogsOfferTheFourKindsInTheirOwnOrder)
{
    EXPECT_EQ(CDialogSelectLibrary::KindFromOption(0), HT_GENGOU);
    EXPECT_EQ(CDialogSelectLibrary::KindFromOption(1), HT_PERIOD);
    EXPECT_EQ(CDialogSelectLibrary::KindFromOption(2), HT_BASEYEAR);
    EXPECT_EQ(CDialogSelectLibrary::KindFromOption(3), HT_EVENT);
    EXPECT_EQ(CDialogSelectLibrary::KindFromOption(4), 0);
    EXPECT_EQ(CDialogSelectLibrary::KindFromOption(-1), 0);
    for (int option = 0; option < 4; ++option)
        EXPECT_EQ(
            CDialogSelectLibrary::OptionFromKind(CDialogSelectLibrary::KindFromOption(option)),
            option);
    EXPECT_EQ(CDialogSelectLibrary::OptionFromKind(0), -1);

    CDialogSelectLibrary load;
    EXPECT_EQ(load.windowTitle(), QString::fromUtf8("ﾗｲﾌﾞﾗﾘ選択"));
    EXPECT_EQ(load.GetText(), QString::fromUtf8("読み込むライブラリ種類を選択して下さい"));
    EXPECT_EQ(load.GetOption(), 3);
    const char* tips[] = {"元号データを読み込みます", "時代データを読み込みます",
                          "基点年データを読み込みます", "出来事データを読み込みます"};
    for (int option = 0; option < 4; ++option) {
        auto* radio = Child<QRadioButton>(load, kRadios[option]);
        EXPECT_EQ(radio->text(), QString::fromUtf8(kRadioTexts[option]));
        EXPECT_EQ(radio->toolTip(), QString::fromUtf8(tips[option]));
    }
    Child<QRadioButton>(load, "radioBaseYear")->click();
    EXPECT_EQ(load.GetOption(), 2);
    EXPECT_EQ(load.GetKind(), HT_BASEYEAR);
    load.SetOption(9);
    EXPECT_EQ(load.GetOption(), 3) << "an unknown option falls back to events";
    load.SetText(QString::fromUtf8("修正したいライブラリ種類を選択してください"));
    EXPECT_TRUE(Child<QLineEdit>(load, "editText")->isReadOnly());

    CDialogCreateLibrarySelect create;
    EXPECT_EQ(create.windowTitle(), QString::fromUtf8("ライブラリ選択"));
    EXPECT_EQ(Child<QLabel>(create, "labelPrompt")->text(),
              QString::fromUtf8("作成したいライブラリを選んで下さい"));
    EXPECT_EQ(create.GetOption(), 3);
    for (int option = 0; option < 4; ++option)
        EXPECT_TRUE(Child<QRadioButton>(create, kRadios[option])->toolTip().isEmpty());
    Child<QRadioButton>(create, "radioEra")->click();
    EXPECT_EQ(create.GetKind(), HT_PERIOD);
}

// ---- insert position ------------------------------------------------------------

TEST_F(DialogTest, InsertPositionListsTheColumnsAndDefaultsToAfterTheLast)
{
    CYearEvent events;
    events.SetTableName(Sjis("日本史"));
    CGengouEra eras;
    eras.SetTableName(Sjis("元号"));
    CHeaderManager columns;
    columns.Append(CK_YEAR, nullptr, -1, 50);
    columns.Append(CK_EVENT, &events, -1, 500);
    columns.Append(CK_GENGOU, &eras, -1, 50);

    CDialogInsertSelect dialog(columns);
    EXPECT_EQ(dialog.windowTitle(), QString::fromUtf8("挿入位置の指定"));
    auto* list = Child<QTreeWidget>(dialog, "listColumns");
    ASSERT_EQ(list->topLevelItemCount(), 3);
    EXPECT_EQ(list->topLevelItem(0)->text(0), QString::fromUtf8("西暦"));
    EXPECT_EQ(list->topLevelItem(1)->text(0), QString::fromUtf8("日本史"));
    EXPECT_EQ(list->topLevelItem(2)->text(1), QString::fromUtf8("元号"));
    EXPECT_EQ(dialog.GetSelectedRow(), 2);
    EXPECT_TRUE(dialog.GetAfter());
    EXPECT_EQ(dialog.GetInsertPosition(), 3);
    EXPECT_EQ(Child<QRadioButton>(dialog, "radioAfter")->text(),
              QString::fromUtf8("選択位置の後ろに挿入(&A)"));
    EXPECT_EQ(Child<QRadioButton>(dialog, "radioBefore")->text(),
              QString::fromUtf8("選択位置の前に挿入(&B)"));

    dialog.SetSelectedRow(1);
    Child<QRadioButton>(dialog, "radioBefore")->click();
    EXPECT_EQ(dialog.GetInsertPosition(), 1);
    list->clearSelection();
    EXPECT_EQ(dialog.GetSelectedRow(), -1);
    EXPECT_EQ(dialog.GetInsertPosition(), 0) << "no row, before: the very left";
    dialog.SetAfter(true);
    EXPECT_EQ(dialog.GetInsertPosition(), 0) << "no row, after: the very left as well";
}

// ---- library information ---------------------------------------------------------

TEST_F(DialogTest, PropertyRefusesAnEmptyTitleAndStoresTheThreeValues)
{
    CYearEvent events;
    events.SetTableName(Sjis("日本史"));
    events.SetExplanation(Sjis("一行目\r\n二行目"));
    events.SetModified(false);

    CDialogProperty dialog(&events, HT_EVENT);
    EXPECT_EQ(dialog.windowTitle(), QString::fromUtf8("ライブラリ情報"));
    auto* title = Child<QLineEdit>(dialog, "editTitle");
    auto* text = Child<QPlainTextEdit>(dialog, "editExplanation");
    auto* today = Child<QCheckBox>(dialog, "checkToday");
    EXPECT_EQ(title->text(), QString::fromUtf8("日本史"));
    EXPECT_EQ(text->toPlainText(), QString::fromUtf8("一行目\n二行目"));
    EXPECT_TRUE(today->isEnabled());
    EXPECT_FALSE(today->isHidden());
    EXPECT_EQ(title->toolTip(), QString::fromUtf8("このライブラリの名前を記入します"));
    EXPECT_EQ(text->toolTip(), QString::fromUtf8("このライブラリについての説明文を記入します"));
    EXPECT_EQ(today->toolTip(), QString::fromUtf8("新規入力時に、常に今日の日付を年が設定され"
                                                  "ます。日記として使う場合に便利です"));

    title->setText(QStringLiteral("  "));
    text->setFocus();
    PressOk(dialog);
    EXPECT_NE(dialog.result(), QDialog::Accepted);
    EXPECT_EQ(m_host.Messages(), std::vector<std::string>{CDialogProperty::kNoTitleMessage});
    EXPECT_EQ(dialog.focusWidget(), title);
    EXPECT_FALSE(events.GetModified());

    // Text Shift-JIS cannot hold is refused, nothing stored.
    m_host.Clear();
    title->setText(QString::fromUtf8("𠮷野家"));
    PressOk(dialog);
    EXPECT_NE(dialog.result(), QDialog::Accepted);
    EXPECT_EQ(m_host.Messages().size(), 1u);
    EXPECT_EQ(Utf8(events.GetTableName()), "日本史");

    title->setText(QString::fromUtf8("世界史"));
    text->setPlainText(QString::fromUtf8("甲\n乙"));
    today->setChecked(true);
    PressOk(dialog);
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    EXPECT_EQ(Utf8(events.GetTableName()), "世界史");
    EXPECT_EQ(events.GetExplanation(), Sjis("甲\r\n乙"));
    EXPECT_TRUE(events.GetTodayDate());
    EXPECT_TRUE(events.GetModified());
}

TEST_F(DialogTest, PropertyOfAnEraLibraryHasNoDateBoxAndChangesNothingUnchanged)
{
    CGengouEra eras;
    eras.SetTableName(Sjis("元号"));
    eras.SetModified(false);
    CDialogProperty dialog(&eras, HT_GENGOU);
    auto* today = Child<QCheckBox>(dialog, "checkToday");
    EXPECT_FALSE(today->isEnabled());
    EXPECT_TRUE(today->isHidden());
    today->setChecked(true); // not offered: must not reach the table
    PressOk(dialog);
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    EXPECT_FALSE(eras.GetTodayDate());
    EXPECT_FALSE(eras.GetModified());
}

// ---- data choice -------------------------------------------------------------------

TEST_F(DialogTest, SelectDataNeedsAChoice)
{
    CSelectData dialog(QStringList{QString::fromUtf8("日本史"), QString::fromUtf8("世界史")});
    EXPECT_EQ(dialog.windowTitle(), QString::fromUtf8("ﾃﾞｰﾀ選択"));
    EXPECT_EQ(Child<QLabel>(dialog, "labelPrompt")->text(),
              QString::fromUtf8("どのﾃﾞｰﾀを変更/追加しますか？"));
    EXPECT_EQ(Child<QListWidget>(dialog, "listData")->count(), 2);
    EXPECT_EQ(dialog.GetIndex(), -1);
    PressOk(dialog);
    EXPECT_NE(dialog.result(), QDialog::Accepted);
    EXPECT_EQ(m_host.Messages(), std::vector<std::string>{CSelectData::kNothingChosenMessage});
    dialog.SetIndex(1);
    PressOk(dialog);
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    EXPECT_EQ(dialog.GetIndex(), 1);
}

// ---- chronology information ------------------------------------------------------------

TEST_F(DialogTest, ChronologyInfoListsTheLibrariesAndStoresAChangedDescription)
{
    auto events = std::make_unique<CYearEvent>();
    events->SetTableName(Sjis("日本史"));
    events->SetFileName("lib/japan.lev");
    CYearEvent* e = m_doc->AddEventTable(std::move(events));
    auto eras = std::make_unique<CGengouEra>();
    eras->SetTableName(Sjis("元号"));
    eras->SetFileName("lib/gengou.lgn");
    CGengouEra* g = m_doc->AddEraNameTable(std::move(eras));
    m_doc->GetColumns().Append(CK_YEAR, nullptr, -1, 50);
    m_doc->GetColumns().Append(CK_GENGOU, g, -1, 50);
    m_doc->GetColumns().Append(CK_EVENT, e, -1, 500);
    EXPECT_EQ(CDlgInfo::LibraryList(*m_doc),
              QString::fromUtf8("元号\nlib/gengou.lgn\n\n日本史\nlib/japan.lev\n\n"));

    {
        CDlgInfo dialog(m_doc.get());
        EXPECT_EQ(dialog.windowTitle(), QString::fromUtf8("この年表について"));
        EXPECT_TRUE(Child<QPlainTextEdit>(dialog, "editLibraries")->isReadOnly());
        EXPECT_EQ(Child<QLabel>(dialog, "labelLibraries")->text(),
                  QString::fromUtf8("この年表は以下のﾗｲﾌﾞﾗﾘﾌｧｲﾙから構成されています"));
        EXPECT_EQ(Child<QPlainTextEdit>(dialog, "editDescription")->toPlainText(),
                  QString::fromUtf8("ここにこの年表の説明文を入れて下さい"));
        PressOk(dialog);
        EXPECT_FALSE(m_doc->IsModified()) << "an unchanged description is no change";
    }
    CDlgInfo dialog(m_doc.get());
    Child<QPlainTextEdit>(dialog, "editDescription")->setPlainText(QString::fromUtf8("江戸\n明治"));
    PressOk(dialog);
    EXPECT_EQ(m_doc->GetDescription(), Sjis("江戸\r\n明治"));
    EXPECT_TRUE(m_doc->IsModified());
}

// Every dialog at its natural size shows its texts whole. Setting
// ANNALUX_SCREENSHOT_DIR also saves a picture of each dialog there.
TEST_F(DialogTest, LibraryDialogsShowTheirTextsWhole)
{
    CYearEvent events;
    events.SetTableName(Sjis("日本史年表"));
    CHeaderManager columns;
    columns.Append(CK_YEAR, nullptr, -1, 50);
    columns.Append(CK_EVENT, &events, -1, 500);
    m_doc->SetDescription(Sjis("江戸時代の年表"));

    std::vector<std::pair<const char*, std::unique_ptr<QDialog>>> dialogs;
    auto modify = std::make_unique<CDialogSelectLibrary>();
    modify->SetText(QString::fromUtf8("修正したいライブラリ種類を選択してください"));
    dialogs.emplace_back("select-library", std::make_unique<CDialogSelectLibrary>());
    dialogs.emplace_back("select-library-modify", std::move(modify));
    dialogs.emplace_back("create-library-select", std::make_unique<CDialogCreateLibrarySelect>());
    dialogs.emplace_back("insert-select", std::make_unique<CDialogInsertSelect>(columns));
    dialogs.emplace_back("property", std::make_unique<CDialogProperty>(&events, HT_EVENT));
    dialogs.emplace_back("select-data",
                         std::make_unique<CSelectData>(QStringList{QString::fromUtf8("日本史年表"),
                                                                   QString::fromUtf8("世界史")}));
    dialogs.emplace_back("chronology-info", std::make_unique<CDlgInfo>(m_doc.get()));

    for (auto& [name, dialog] : dialogs) {
        SCOPED_TRACE(name);
        dialog->show();
        QApplication::processEvents();
        EXPECT_GE(dialog->width(), dialog->minimumSizeHint().width());
        EXPECT_GE(dialog->height(), dialog->minimumSizeHint().height());
        for (QLabel* label : dialog->findChildren<QLabel*>()) {
            if (!label->isVisibleTo(dialog.get()) || label->wordWrap())
                continue;
            for (const QString& line : label->text().split(QLatin1Char('\n')))
                EXPECT_GE(label->contentsRect().width(),
                          label->fontMetrics().horizontalAdvance(line))
                    << label->objectName().toStdString();
        }
        for (QAbstractButton* button : dialog->findChildren<QAbstractButton*>()) {
            if (!button->isVisibleTo(dialog.get()) || button->text().isEmpty())
                continue;
            EXPECT_GE(button->width(), button->sizeHint().width())
                << button->objectName().toStdString();
        }
        for (QLineEdit* edit : dialog->findChildren<QLineEdit*>("editText"))
            EXPECT_GT(edit->width(), edit->fontMetrics().horizontalAdvance(edit->text()));
        if (const char* dir = std::getenv("ANNALUX_SCREENSHOT_DIR")) {
            EXPECT_TRUE(dialog->grab().save(QString::fromUtf8(dir) + "/" + name + ".png"));
        }
    }
}

} // namespace
