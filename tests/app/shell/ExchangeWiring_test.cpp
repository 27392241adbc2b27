// The file menu's import and export items open their wizards; an import
// finished with "このライブラリを画面に追加する" adds the library as a column.

#include "AnnaluxApp.h"
#include "AnnaluxDoc.h"
#include "AppTest.h"
#include "CommandIds.h"
#include "DialogInsertSelect.h"
#include "ExportCsvWizard.h"
#include "HtmlWizard.h"
#include "ImportCsvWizard.h"
#include "MainFrame.h"
#include "Sjis.h"
#include "TestApplication.h"
#include "YearEvent.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QCheckBox>
#include <QLineEdit>
#include <deque>
#include <functional>

namespace {

class CScriptedApp : public CAnnaluxApp
{
public:
    using Script = std::function<void(QDialog&)>;
    int RunDialog(QDialog& dialog) override
    {
        shown.push_back(dialog.metaObject()->className());
        if (scripts.empty())
            return QDialog::Rejected;
        const Script script = scripts.front();
        scripts.pop_front();
        script(dialog);
        return dialog.result();
    }
    std::deque<Script> scripts;
    std::vector<std::string> shown;
};

class ExchangeWiring : public AppTest
{
protected:
    static void SetUpTestSuite() { TestApp(); }
    ExchangeWiring()
    {
        m_app = std::make_unique<CScriptedApp>();
        m_frame = m_app->CreateMainFrame();
    }
    ~ExchangeWiring() override { m_app.reset(); }

    std::unique_ptr<CScriptedApp> m_app;
    CMainFrame* m_frame = nullptr;
};

TEST_F(ExchangeWiring, ImportAddsTheNewLibraryAsAColumn)
{
    const std::string csv = m_dir.File("data.csv");
    TempDir::Write(csv, Sjis("[出来事],7\r\n日本史\r\n\r\n1600,9,15,関ヶ原の戦い,,0,0,,0\r\n"));
    m_app->scripts.push_back([&](QDialog& dialog) {
        auto* wizard = qobject_cast<CImportCsvWizard*>(&dialog);
        ASSERT_NE(nullptr, wizard);
        wizard->restart();
        wizard->currentPage()
            ->findChild<QLineEdit*>("editPath")
            ->setText(QString::fromStdString(csv));
        wizard->next();
        wizard->next();
        ASSERT_EQ(CImportCsvWizard::PAGE_END, wizard->currentId());
        wizard->currentPage()->findChild<QCheckBox*>("checkAdd")->setChecked(true);
        wizard->button(QWizard::FinishButton)->click();
    });
    m_app->scripts.push_back([](QDialog& dialog) { dialog.accept(); }); // where to insert
    ASSERT_TRUE(m_frame->FindAction(ID_IMPORT_CSV)->isEnabled());
    m_frame->FindAction(ID_IMPORT_CSV)->trigger();
    CAnnaluxDoc& doc = m_app->GetDocument();
    ASSERT_EQ(1, doc.GetEventTableCount());
    EXPECT_EQ(Sjis("日本史"), doc.GetEventTable(0)->GetTableName());
    EXPECT_EQ(doc.GetColumns().IndexOfTable(doc.GetEventTable(0)) >= 0, true);
}

TEST_F(ExchangeWiring, ExportItemsOpenTheirWizards)
{
    EXPECT_TRUE(m_frame->FindAction(ID_EXPORT_CSV)->isEnabled());
    // An empty chronology has no table to publish.
    EXPECT_FALSE(m_frame->FindAction(ID_EXPORT_HTML)->isEnabled());
    m_frame->FindAction(ID_EXPORT_CSV)->trigger();
    m_app->GetDocument().GetColumns().EnsureYearColumn(60);
    m_frame->UpdateCommandUI();
    ASSERT_TRUE(m_frame->FindAction(ID_EXPORT_HTML)->isEnabled());
    m_frame->FindAction(ID_EXPORT_HTML)->trigger();
    EXPECT_EQ((std::vector<std::string>{"CExportCsvWizard", "CHtmlWizard"}), m_app->shown);
}

} // namespace
