// The import and export wizards driven through their real pages.

#include "DialogTestEnv.h"
#include "ExportCSV.h"
#include "ExportCsvWizard.h"
#include "ExportHTML.h"
#include "HtmlWizard.h"
#include "ImportCSV.h"
#include "ImportCsvWizard.h"
#include "LayoutQueries.h"
#include "LinkOpener.h"
#include "Sjis.h"
#include "YearEvent.h"

#include "../exchange/ExchangeTestSupport.h"

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QRadioButton>
#include <QTreeWidget>
#include <QUrl>

#include <sys/stat.h>

namespace {

using exchangetest::AddEvents;

const std::string kEventCsv = "[出来事],7\r\n日本史\r\n説明\r\n1600,9,15,関ヶ原の戦い,,0,0,,0\r\n";

class ExchangeWizards : public DialogTest
{
protected:
    // Back, Next (or its commit form) and Finish as the user sees them.
    static std::string Buttons(QWizard& wizard)
    {
        std::string state;
        const auto add = [&](QWizard::WizardButton which, const char* name) {
            QAbstractButton* b = wizard.button(which);
            if (b->isVisible() && b->isEnabled())
                state += std::string(state.empty() ? "" : " ") + name;
        };
        add(QWizard::BackButton, "back");
        add(QWizard::NextButton, "next");
        add(QWizard::CommitButton, "next");
        add(QWizard::FinishButton, "finish");
        return state;
    }
    template <typename T> static T* Find(QWizard& wizard, const char* name)
    {
        T* child = wizard.currentPage()->findChild<T*>(QString::fromLatin1(name));
        if (!child)
            ADD_FAILURE() << "no child " << name << " on page " << wizard.currentId();
        return child;
    }
    static void SetText(QWizard& wizard, const char* name, const std::string& text)
    {
        Find<QLineEdit>(wizard, name)->setText(QString::fromStdString(text));
    }
    static std::string GetText(QWizard& wizard, const char* name)
    {
        return Find<QLineEdit>(wizard, name)->text().toStdString();
    }
    static bool Exists(const std::string& path)
    {
        struct stat st;
        return ::stat(path.c_str(), &st) == 0;
    }
};

TEST_F(ExchangeWizards, ImportClassifiesConvertsAndAddsTheLibraryOnFinish)
{
    const std::string csv = m_dir.File("data.csv");
    const std::string lev = m_dir.File("data.lev");
    TempDir::Write(csv, Sjis(kEventCsv));
    TempDir::Write(m_dir.File("bad.csv"), Sjis("出来事,7\r\nx\r\n"));
    CImportCSV import(m_doc.get());
    std::vector<std::pair<int, std::string>> added;
    CImportCsvWizard wizard(import, [&](int kind, const std::string& path) {
        added.emplace_back(kind, path);
        return true;
    });
    wizard.show();
    EXPECT_EQ(CImportCsvWizard::PAGE_INPUT, wizard.currentId());
    EXPECT_EQ("next", Buttons(wizard));
    EXPECT_FALSE(Find<QPushButton>(wizard, "buttonView")->isEnabled());

    SetText(wizard, "editPath", m_dir.File("missing.csv"));
    EXPECT_TRUE(Find<QPushButton>(wizard, "buttonView")->isEnabled());
    wizard.next();
    SetText(wizard, "editPath", m_dir.File("bad.csv"));
    wizard.next();
    EXPECT_EQ(CImportCsvWizard::PAGE_INPUT, wizard.currentId());
    EXPECT_EQ((std::vector<std::string>{CImportCSV::CannotOpenMessage(),
                                        CImportCSV::InvalidContentMessage()}),
              m_host.Messages());

    SetText(wizard, "editPath", csv);
    wizard.next();
    ASSERT_EQ(CImportCsvWizard::PAGE_OUTPUT, wizard.currentId());
    EXPECT_EQ("back next", Buttons(wizard));
    EXPECT_EQ(lev, GetText(wizard, "editPath"));
    EXPECT_EQ("日本史", GetText(wizard, "editTitle"));
    EXPECT_EQ("出来事", GetText(wizard, "editKind"));

    // An existing library is replaced only when the user says so.
    TempDir::Write(lev, "old");
    m_host.QueueAnswer(CHostServices::AnswerNo);
    wizard.next();
    EXPECT_EQ(CImportCsvWizard::PAGE_OUTPUT, wizard.currentId());
    EXPECT_EQ("old", TempDir::Read(lev));
    m_host.QueueAnswer(CHostServices::AnswerYes);
    wizard.next();
    ASSERT_EQ(CImportCsvWizard::PAGE_END, wizard.currentId());
    EXPECT_EQ("finish", Buttons(wizard));
    EXPECT_EQ(0u, TempDir::Read(lev).find(Sjis("[出来事]")));
    EXPECT_EQ(lev, GetText(wizard, "editPath"));

    Find<QCheckBox>(wizard, "checkAdd")->setChecked(true);
    wizard.button(QWizard::FinishButton)->click();
    EXPECT_EQ((std::vector<std::pair<int, std::string>>{{HT_EVENT, lev}}), added);
}

TEST_F(ExchangeWizards, BrowsingAndShowingTheInputFile)
{
    const std::string csv = m_dir.File("data.csv");
    TempDir::Write(csv, Sjis(kEventCsv));
    CImportCSV import(m_doc.get());
    CImportCsvWizard wizard(import, nullptr);
    wizard.show();
    m_host.QueueFileName(csv);
    Find<QPushButton>(wizard, "buttonBrowse")->click();
    ASSERT_EQ(1u, m_host.Records().size());
    EXPECT_EQ("変換対象のCSVファイルの選択", m_host.Records()[0].request.title);
    EXPECT_EQ("CSV (*.csv)|*.csv|すべてのファイル(*.*)|*.*||", m_host.Records()[0].request.filter);
    EXPECT_EQ(csv, GetText(wizard, "editPath"));

    // The desktop has no program for it: our own window shows the text.
    std::vector<QUrl> asked;
    CLinkOpener::SetOpenUrlFunctionForTesting([&](const QUrl& url) {
        asked.push_back(url);
        return false;
    });
    Find<QPushButton>(wizard, "buttonView")->click();
    CLinkOpener::SetOpenUrlFunctionForTesting(nullptr);
    ASSERT_EQ(1u, asked.size());
    EXPECT_EQ(QString::fromStdString(csv), asked[0].toLocalFile());
    auto* window = wizard.findChild<QDialog*>("fileTextWindow");
    ASSERT_NE(nullptr, window);
    EXPECT_TRUE(window->findChild<QPlainTextEdit*>()->toPlainText().startsWith(
        QStringLiteral("[出来事],7\n日本史")));

    wizard.next();
    m_host.QueueFileName(m_dir.File("other.lev"));
    Find<QPushButton>(wizard, "buttonBrowse")->click();
    const SFileDialogRequest& save = m_host.Records().back().request;
    EXPECT_EQ("出力するライブラリファイル名の設定", save.title);
    EXPECT_EQ("出来事ﾃﾞｰﾀ(*.lev)|*.lev|すべてのﾌｧｲﾙ (*.*)|*.*||", save.filter);
    EXPECT_EQ("lev", save.defaultExtension);
    EXPECT_EQ(m_dir.File("other.lev"), GetText(wizard, "editPath"));
}

TEST_F(ExchangeWizards, CancellingTheImportWritesNothing)
{
    const std::string csv = m_dir.File("data.csv");
    TempDir::Write(csv, Sjis(kEventCsv));
    CImportCSV import(m_doc.get());
    bool added = false;
    CImportCsvWizard wizard(import, [&](int, const std::string&) { return added = true; });
    wizard.show();
    SetText(wizard, "editPath", csv);
    wizard.next();
    ASSERT_EQ(CImportCsvWizard::PAGE_OUTPUT, wizard.currentId());
    wizard.reject();
    EXPECT_FALSE(Exists(m_dir.File("data.lev")));
    EXPECT_FALSE(added);
}

TEST_F(ExchangeWizards, ExportOfALibraryFileWhenTheChronologyHasNoColumns)
{
    CExportCSV exporter(m_doc.get());
    CExportCsvWizard wizard(*m_doc, exporter, nullptr);
    wizard.show();
    EXPECT_EQ("next", Buttons(wizard));
    // No event library: no screen image.
    EXPECT_FALSE(Find<QRadioButton>(wizard, "radioImage")->isEnabled());
    wizard.next();
    ASSERT_EQ(CExportCsvWizard::PAGE_LIBRARY, wizard.currentId());
    EXPECT_TRUE(Find<QCheckBox>(wizard, "checkInputFile")->isChecked());
    wizard.next();
    ASSERT_EQ(CExportCsvWizard::PAGE_INPUT_FILE, wizard.currentId());
    SetText(wizard, "editPath", m_dir.File("none.lgn"));
    wizard.next();
    EXPECT_EQ(CExportCsvWizard::PAGE_INPUT_FILE, wizard.currentId());
    EXPECT_EQ((std::vector<std::string>{"指定したファイルがありません"}), m_host.Messages());

    const std::string library = m_dir.File("ERA.LGN");
    TempDir::Write(library, Sjis("[元号], 1\r\n元号\r\n\r\n明治, 1868, 1912, \r\n"));
    SetText(wizard, "editPath", library);
    wizard.next();
    ASSERT_EQ(CExportCsvWizard::PAGE_OUTPUT, wizard.currentId());
    EXPECT_EQ(m_dir.File("ERA.csv"), GetText(wizard, "editPath"));
    wizard.next();
    ASSERT_EQ(CExportCsvWizard::PAGE_END, wizard.currentId());
    EXPECT_EQ("finish", Buttons(wizard));
    EXPECT_EQ(Sjis("[元号],1\r\n"), TempDir::Read(m_dir.File("ERA.csv")).substr(0, 10));
}

TEST_F(ExchangeWizards, ChoosingAnotherLibraryProposesItsOwnName)
{
    AddEvents(*m_doc, "日本史", {{1600, "a"}});
    AddEvents(*m_doc, "世界史", {{1600, "b"}});
    m_doc->GetEventTable(0)->SetFileName(m_dir.File("japan.lev"));
    m_doc->GetEventTable(1)->SetFileName(m_dir.File("world.lev"));
    CExportCSV exporter(m_doc.get());
    CExportCsvWizard wizard(*m_doc, exporter, nullptr);
    wizard.show();
    wizard.next();
    auto* list = Find<QTreeWidget>(wizard, "listLibraries");
    ASSERT_EQ(2, list->topLevelItemCount());
    EXPECT_EQ("出来事", list->topLevelItem(1)->text(1).toStdString());
    wizard.next();
    EXPECT_EQ(m_dir.File("japan.csv"), GetText(wizard, "editPath"));
    wizard.back();
    emit list->itemClicked(list->topLevelItem(1), 0);
    wizard.next();
    EXPECT_EQ(m_dir.File("world.csv"), GetText(wizard, "editPath"));
    EXPECT_EQ("世界史", Find<QLabel>(wizard, "labelTitle")->text().toStdString());
}

TEST_F(ExchangeWizards, ScreenImageBranchWritesTheDisplayedTable)
{
    AddEvents(*m_doc, "出来事", {{1991, "a"}, {1995, "b"}});
    m_doc->SetScaleYear(10);
    m_doc->SetPathName(m_dir.File("chrono.anx"));
    CLayoutQueries layout(*m_doc);
    CExportCSV exporter(m_doc.get());
    CExportCsvWizard wizard(*m_doc, exporter, &layout);
    wizard.show();
    Find<QRadioButton>(wizard, "radioImage")->setChecked(true);
    wizard.next();
    ASSERT_EQ(CExportCsvWizard::PAGE_IMAGE_TYPE, wizard.currentId());
    EXPECT_EQ("back next", Buttons(wizard));
    EXPECT_TRUE(Find<QRadioButton>(wizard, "radioFirstRow")->isChecked());
    Find<QRadioButton>(wizard, "radioEveryRow")->click();
    EXPECT_FALSE(exporter.GetYearOnFirstLineOnly());
    wizard.next();
    ASSERT_EQ(CExportCsvWizard::PAGE_IMAGE_OUTPUT, wizard.currentId());
    const std::string csv = m_dir.File("chrono.csv");
    EXPECT_EQ(csv, GetText(wizard, "editPath"));
    EXPECT_EQ("chrono.anx", Find<QLabel>(wizard, "labelTitle")->text().toStdString());
    TempDir::Write(csv, "old");
    m_host.QueueAnswer(CHostServices::AnswerNo);
    wizard.next();
    EXPECT_EQ(CExportCsvWizard::PAGE_IMAGE_OUTPUT, wizard.currentId());
    m_host.QueueAnswer(CHostServices::AnswerYes);
    wizard.next();
    ASSERT_EQ(CExportCsvWizard::PAGE_END, wizard.currentId());
    EXPECT_EQ(Sjis("1990代,a\r\n1990代,b\r\n"), TempDir::Read(csv));
    EXPECT_EQ("CSVファイルを出力しました", Find<QLabel>(wizard, "labelDone")->text().toStdString());
}

TEST_F(ExchangeWizards, AFailedExportSaysSoOnTheEndPage)
{
    AddEvents(*m_doc, "出来事", {{1991, "a"}});
    CLayoutQueries layout(*m_doc);
    CExportCSV exporter(m_doc.get());
    CExportCsvWizard wizard(*m_doc, exporter, &layout);
    wizard.show();
    Find<QRadioButton>(wizard, "radioImage")->setChecked(true);
    wizard.next();
    wizard.next();
    const std::string path = m_dir.File("missing/x.csv");
    SetText(wizard, "editPath", path);
    wizard.next();
    ASSERT_EQ(CExportCsvWizard::PAGE_END, wizard.currentId());
    EXPECT_EQ((std::vector<std::string>{path + " を開けませんでした"}), m_host.Messages());
    EXPECT_EQ("CSVファイルを出力できませんでした",
              Find<QLabel>(wizard, "labelDone")->text().toStdString());
    EXPECT_FALSE(Find<QPushButton>(wizard, "buttonView")->isEnabled());
}

TEST_F(ExchangeWizards, HtmlFileRangeConfirmationAndFinish)
{
    AddEvents(*m_doc, "出来事", {{1890, "a"}, {1920, "b"}, {1960, "c"}});
    m_doc->SetPathName(m_dir.File("x.anx"));
    CLayoutQueries layout(*m_doc);
    CExportHTML exporter(*m_doc);
    CHtmlWizard wizard(exporter, layout);
    wizard.show();
    EXPECT_EQ(CExportHTML::PAGE_FILE, wizard.currentId());
    EXPECT_EQ("next", Buttons(wizard));
    const std::string html = m_dir.File("x.html");
    EXPECT_EQ(html, GetText(wizard, "editPath"));
    TempDir::Write(html, "old");
    m_host.QueueAnswer(CHostServices::AnswerNo);
    wizard.next();
    EXPECT_EQ(CExportHTML::PAGE_FILE, wizard.currentId());
    EXPECT_EQ(CExportHTML::ExistsQuestion(), m_host.Messages().back());

    Find<QCheckBox>(wizard, "checkRange")->setChecked(true);
    m_host.QueueAnswer(CHostServices::AnswerYes);
    wizard.next();
    ASSERT_EQ(CExportHTML::PAGE_YEAR, wizard.currentId());
    EXPECT_EQ("back next", Buttons(wizard));
    EXPECT_EQ("1890", GetText(wizard, "editFirst"));
    EXPECT_EQ("1960", GetText(wizard, "editLast"));
    SetText(wizard, "editFirst", "1950");
    SetText(wizard, "editLast", "1950");
    wizard.next();
    EXPECT_EQ(CExportHTML::PAGE_YEAR, wizard.currentId());
    EXPECT_EQ(CExportHTML::RangeOrderMessage(), m_host.Messages().back());
    SetText(wizard, "editFirst", "1900");
    wizard.next();
    ASSERT_EQ(CExportHTML::PAGE_CONFIRM, wizard.currentId());
    EXPECT_EQ("1900年～1950年", GetText(wizard, "editRange"));
    EXPECT_EQ("old", TempDir::Read(html)); // nothing written before Next

    wizard.next();
    ASSERT_EQ(CExportHTML::PAGE_FINISH, wizard.currentId());
    EXPECT_EQ("finish", Buttons(wizard));
    EXPECT_EQ(html, GetText(wizard, "editPath"));
    const std::string page = Utf8(TempDir::Read(html));
    EXPECT_EQ(std::string::npos, page.find("<TD>1890</TD>"));
    EXPECT_NE(std::string::npos, page.find("<TD>1920</TD>"));
}

TEST_F(ExchangeWizards, ClearingTheRangeBoxAfterChoosingARangeExportsEveryYear)
{
    AddEvents(*m_doc, "出来事", {{1890, "a"}, {1960, "c"}});
    CLayoutQueries layout(*m_doc);
    CExportHTML exporter(*m_doc);
    CHtmlWizard wizard(exporter, layout);
    wizard.show();
    SetText(wizard, "editPath", m_dir.File("y.html"));
    Find<QCheckBox>(wizard, "checkRange")->setChecked(true);
    wizard.next();
    SetText(wizard, "editFirst", "1900");
    wizard.next();
    ASSERT_EQ(CExportHTML::PAGE_CONFIRM, wizard.currentId());
    EXPECT_EQ("1900年～1960年", GetText(wizard, "editRange"));
    wizard.back();
    wizard.back();
    ASSERT_EQ(CExportHTML::PAGE_FILE, wizard.currentId());
    Find<QCheckBox>(wizard, "checkRange")->setChecked(false);
    SetText(wizard, "editPath", m_dir.File("y.html"));
    wizard.next();
    ASSERT_EQ(CExportHTML::PAGE_CONFIRM, wizard.currentId());
    EXPECT_EQ("開始・終了年は設定されていません", GetText(wizard, "editRange"));
}

TEST_F(ExchangeWizards, HtmlWithoutRangeAndAFailedWriteStaysOnTheConfirmation)
{
    AddEvents(*m_doc, "出来事", {{1890, "a"}});
    CLayoutQueries layout(*m_doc);
    CExportHTML exporter(*m_doc);
    CHtmlWizard wizard(exporter, layout);
    wizard.show();
    SetText(wizard, "editPath", m_dir.File("no-such-folder/x.html"));
    wizard.next();
    ASSERT_EQ(CExportHTML::PAGE_CONFIRM, wizard.currentId());
    EXPECT_EQ("開始・終了年は設定されていません", GetText(wizard, "editRange"));
    wizard.next();
    EXPECT_EQ(CExportHTML::PAGE_CONFIRM, wizard.currentId());
    EXPECT_EQ(CExportHTML::GenerateFailedMessage(), m_host.Messages().back());
    wizard.back();
    EXPECT_EQ(CExportHTML::PAGE_FILE, wizard.currentId());
}

} // namespace
