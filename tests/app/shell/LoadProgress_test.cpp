#include "AnnaluxApp.h"
#include "AnnaluxDoc.h"
#include "AppTest.h"
#include "CommandIds.h"
#include "LoadFixture.h"
#include "LoadProgress.h"
#include "MainFrame.h"
#include "RecentFileList.h"
#include "ScriptedHostServices.h"

#include "TestApplication.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QLabel>
#include <QProgressDialog>
#include <QPushButton>

#include <memory>
#include <string>
#include <vector>

namespace {

// What the user saw of the progress dialog in one load.
struct SSeen
{
    int steps = 0;
    int stepsWithDialog = 0;
    bool visible = false;
    bool modal = false;
    QString cancelText;
    QString label;
    int lastValue = -1;
};

class LoadProgressTest : public AppTest
{
protected:
    static void SetUpTestSuite() { TestApp(); }

    LoadProgressTest() : m_files(m_dir)
    {
        m_host.SetDefaultAnswer(CHostServices::AnswerNo);
        m_small = m_files.WriteSmallProject();
        m_large = m_files.WriteLargeProject();
        m_host.Clear();
        m_app = std::make_unique<CAnnaluxApp>();
        m_frame = m_app->CreateMainFrame();
        m_frame->show();
        // Shown at once from a megabyte on and brought up to date at every
        // report, so that the test needs no clock.
        CLoadProgress::SetShowRule(1u << 20, 0, 0);
    }
    ~LoadProgressTest() override
    {
        CLoadProgress::SetStepHook(nullptr);
        CLoadProgress::SetShowRule(CLoadProgress::kDefaultMinimumBytes,
                                   CLoadProgress::kDefaultDelayMs);
        m_app.reset();
    }

    CAnnaluxDoc& Doc() { return m_app->GetDocument(); }

    // Watches every report; with cancelAt, presses キャンセル once that share
    // of the bytes is read, as the user would.
    void Watch(double cancelAt = 2.0)
    {
        m_seen = SSeen();
        CLoadProgress::SetStepHook([this, cancelAt](CLoadProgress& progress) {
            ++m_seen.steps;
            QProgressDialog* dialog = progress.Dialog();
            if (!dialog)
                return;
            ++m_seen.stepsWithDialog;
            m_seen.visible = dialog->isVisible();
            m_seen.modal =
                dialog->windowModality() == Qt::WindowModal && dialog->parentWidget() == m_frame;
            m_seen.label = dialog->labelText();
            m_seen.lastValue = dialog->value();
            // A command that arrives while the dialog is up waits.
            if (m_tryCommand) {
                m_tryCommand = false;
                m_commandRan = m_frame->RunCommand(CAnnaluxDoc::ID_SCALE_100);
            }
            QPushButton* cancel = dialog->findChild<QPushButton*>();
            m_seen.cancelText = cancel ? cancel->text() : QString();
            if (cancel && progress.Done() >= progress.Total() * cancelAt)
                cancel->click();
        });
    }

    static bool AnyProgressDialogShown()
    {
        for (QWidget* w : QApplication::topLevelWidgets())
            if (qobject_cast<QProgressDialog*>(w) && w->isVisible())
                return true;
        return false;
    }

    LoadFixture m_files;
    std::string m_small;
    std::string m_large;
    std::unique_ptr<CAnnaluxApp> m_app;
    CMainFrame* m_frame = nullptr;
    SSeen m_seen;
    bool m_tryCommand = false;
    bool m_commandRan = false;
};

TEST_F(LoadProgressTest, CancelPartWayLeavesTheWindowAsItWasAndNothingWritten)
{
    Watch();
    ASSERT_TRUE(m_app->OpenDocumentFile(m_small));
    EXPECT_EQ(m_seen.stepsWithDialog, 0) << "a small chronology opens without a dialog";
    ASSERT_TRUE(Doc().SetScaleYear(10)); // unsaved
    m_frame->DocumentChanged();
    const std::string before = LoadFixture::Describe(Doc());
    const QString title = m_frame->windowTitle();
    const auto recent = m_app->GetRecentFiles().GetNonEmpty();
    const auto files = m_files.Files();
    m_host.Clear();

    Watch(0.5);
    m_tryCommand = true;
    EXPECT_FALSE(m_app->OpenDocumentFile(m_large));

    EXPECT_TRUE(m_seen.visible);
    EXPECT_TRUE(m_seen.modal);
    EXPECT_EQ(m_seen.cancelText, QStringLiteral("キャンセル"));
    EXPECT_TRUE(m_seen.label.startsWith(QStringLiteral("年表を読み込んでいます\n")))
        << m_seen.label.toStdString();
    EXPECT_GT(m_seen.lastValue, 0);
    EXPECT_LT(m_seen.lastValue, 1000) << "cancelled part-way";
    EXPECT_FALSE(m_tryCommand);
    EXPECT_FALSE(m_commandRan);

    EXPECT_EQ(LoadFixture::Describe(Doc()), before);
    EXPECT_TRUE(Doc().IsModified());
    EXPECT_EQ(m_frame->windowTitle(), title);
    EXPECT_EQ(m_app->GetRecentFiles().GetNonEmpty(), recent);
    EXPECT_EQ(m_files.Files(), files);
    EXPECT_FALSE(CLoadProgress::IsUnderWay());
    EXPECT_FALSE(AnyProgressDialogShown());
    // The project's question (answered No); the cancel itself says nothing.
    ASSERT_EQ(m_host.Messages().size(), 1u);
    EXPECT_NE(m_host.Messages()[0].find("small.anx"), std::string::npos);

    // The command that came during the load runs once it is over.
    QElapsedTimer clock;
    clock.start();
    while (Doc().GetScaleYear() != 100 && clock.elapsed() < 5000)
        QApplication::processEvents(QEventLoop::AllEvents, 20);
    EXPECT_EQ(Doc().GetScaleYear(), 100);
}

TEST_F(LoadProgressTest, ACompletedLoadWithTheDialogGivesTodaysChronology)
{
    CAnnaluxDoc plain;
    ASSERT_TRUE(plain.OnOpenDocument(m_large));
    const auto plainMessages = m_host.Messages();
    m_host.Clear();

    Watch();
    ASSERT_TRUE(m_app->OpenDocumentFile(m_large));
    EXPECT_TRUE(m_seen.visible);
    EXPECT_GT(m_seen.stepsWithDialog, 5);
    EXPECT_EQ(m_seen.lastValue, 1000);
    EXPECT_FALSE(AnyProgressDialogShown());
    EXPECT_EQ(LoadFixture::Describe(Doc()), LoadFixture::Describe(plain));
    EXPECT_EQ(m_host.Messages(), plainMessages); // the missing library's, as before
    EXPECT_EQ(m_app->GetRecentFiles().GetAt(0), m_large);

    // Cancelling the recent file's reopening keeps it in the list, and the
    // chronology that was open stays.
    ASSERT_TRUE(m_app->OpenDocumentFile(m_small));
    const std::string small = LoadFixture::Describe(Doc());
    Watch(0.3);
    EXPECT_FALSE(m_app->OnOpenRecentFile(1));
    EXPECT_GT(m_seen.stepsWithDialog, 0);
    EXPECT_EQ(m_app->GetRecentFiles().GetAt(1), m_large);
    EXPECT_EQ(LoadFixture::Describe(Doc()), small);
}

TEST_F(LoadProgressTest, SmallLoadsAndTheStartUpOpenShowNothing)
{
    // The default rule: a few megabytes in all before anything shows.
    CLoadProgress::SetShowRule(CLoadProgress::kDefaultMinimumBytes, 0);
    Watch();
    ASSERT_TRUE(m_app->OpenDocumentFile(m_small));
    EXPECT_GT(m_seen.steps, 0);
    EXPECT_EQ(m_seen.stepsWithDialog, 0);

    // The window not up yet (the open from the command line): no progress.
    CLoadProgress::SetShowRule(1u << 20, 0, 0);
    m_frame->hide();
    Watch();
    ASSERT_TRUE(m_app->OpenDocumentFile(m_large));
    EXPECT_EQ(m_seen.steps, 0);
}

TEST_F(LoadProgressTest, CancellingALibraryLoadAddsNothing)
{
    ASSERT_TRUE(m_app->OpenDocumentFile(m_small));
    const std::string before = LoadFixture::Describe(Doc());
    m_host.Clear();

    Watch(0.5);
    m_host.QueueFileName(m_dir.File("large/a.lev"));
    ASSERT_TRUE(m_frame->RunCommand(ID_LOAD_EVENT_LIBRARY));
    EXPECT_TRUE(m_seen.visible);
    EXPECT_TRUE(m_seen.label.startsWith(QStringLiteral("ライブラリを読み込んでいます\na.lev\n")))
        << m_seen.label.toStdString();
    EXPECT_EQ(LoadFixture::Describe(Doc()), before);
    EXPECT_EQ(Doc().GetEventTableCount(), 1);
    EXPECT_FALSE(m_app->IsAssistantActive());
    // Only the file dialog; no message.
    EXPECT_TRUE(m_host.Messages().empty());
}

} // namespace
