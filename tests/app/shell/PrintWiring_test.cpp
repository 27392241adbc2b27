// The printing commands of the main window, driven as a user would: page
// setup, print (into a PDF file chosen as the printer) and preview.

#include "AnnaluxApp.h"
#include "AnnaluxDoc.h"
#include "AppTest.h"
#include "CommandIds.h"
#include "DialogPageLayout.h"
#include "MainFrame.h"
#include "Program.h"
#include "PrintCommand.h"
#include "PrintCommandWiring.h"
#include "PrintSpooler.h"
#include "TestApplication.h"

#include "../view/ViewTestSupport.h"

#include <gtest/gtest.h>

#include <QCheckBox>
#include <QComboBox>
#include <QPrintPreviewDialog>
#include <QPrintPreviewWidget>
#include <QPrinter>

#include <filesystem>
#include <functional>

namespace {

class CPrintTestApp : public CAnnaluxApp
{
public:
    int RunDialog(QDialog& dialog) override
    {
        dialogs.push_back(dialog.metaObject()->className());
        return answer ? answer(dialog) : int(QDialog::Rejected);
    }
    std::vector<std::string> dialogs;
    std::function<int(QDialog&)> answer;
};

class PrintWiringTest : public AppTest
{
protected:
    static void SetUpTestSuite() { TestApp(); }
    PrintWiringTest() : m_app(std::make_unique<CPrintTestApp>()) {}

    CMainFrame& Frame() { return *m_app->CreateMainFrame(); }
    CAnnaluxDoc& Doc() { return m_app->GetDocument(); }
    CPrintCommandWiring& Wiring() { return *CPrintCommandWiring::Of(Frame()); }

    std::unique_ptr<CPrintTestApp> m_app;
};

TEST_F(PrintWiringTest, PrintsThePagesAskedForIntoTheChosenPrinter)
{
    Frame();
    // Nothing to print yet: not offered, and declined when asked directly.
    EXPECT_FALSE(Frame().RunCommand(ID_FILE_PRINT));
    EXPECT_FALSE(Wiring().OnPrint());
    Wiring().OnPrintPreview();
    EXPECT_TRUE(m_app->dialogs.empty());

    ASSERT_TRUE(viewtest::MakeSampleDoc(Doc(), ANNALUX_SAMPLES_DIR));
    QPrinter& printer = Wiring().Printer();
    const std::string pdf = m_dir.File("printed.pdf");
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(QString::fromStdString(pdf));
    printer.setPrintRange(QPrinter::PageRange);
    printer.setFromTo(2, 3);

    // Cancelled: nothing.
    EXPECT_TRUE(Frame().RunCommand(ID_FILE_PRINT));
    EXPECT_EQ(m_app->dialogs, (std::vector<std::string>{"QPrintDialog"}));
    EXPECT_FALSE(std::filesystem::exists(pdf));

    m_app->answer = [](QDialog&) { return int(QDialog::Accepted); };
    // A printer that cannot take the job is told as such, under the
    // program's name, and reported as a failure.
    printer.setOutputFileName(QString::fromStdString(m_dir.File("missing/printed.pdf")));
    EXPECT_FALSE(Wiring().OnPrint());
    ASSERT_EQ(m_host.Records().size(), 1u);
    EXPECT_EQ(m_host.Records()[0].text, kNoPrinterMessage);
    EXPECT_EQ(m_host.Records()[0].caption, "Annalux");
    m_host.Clear();

    printer.setOutputFileName(QString::fromStdString(pdf));
    EXPECT_TRUE(Wiring().OnPrint());
    ASSERT_TRUE(std::filesystem::exists(pdf));
    EXPECT_TRUE(m_host.Messages().empty());
    if (RunShell("command -v pdfinfo >/dev/null") == 0) {
        EXPECT_EQ(RunShell("pdfinfo '" + pdf + "' | grep -q '^Pages: *2$'"), 0);
        EXPECT_EQ(RunShell("pdftotext -f 1 -l 1 '" + pdf + "' - | tr -d ' ' | grep -q -- '-2-'"), 0);
    }
}

TEST_F(PrintWiringTest, PreviewShowsEveryPage)
{
    ASSERT_TRUE(viewtest::MakeSampleDoc(Doc(), ANNALUX_SAMPLES_DIR));
    int shown = -1;
    m_app->answer = [&shown](QDialog& dialog) {
        auto* preview = dialog.findChild<QPrintPreviewWidget*>();
        if (preview) {
            preview->updatePreview();
            shown = preview->pageCount();
        }
        return int(QDialog::Accepted);
    };
    Frame().RunCommand(ID_FILE_PRINT_PREVIEW);
    EXPECT_EQ(m_app->dialogs, (std::vector<std::string>{"QPrintPreviewDialog"}));
    // The sample fills several A4 pages at the default fit to the width.
    EXPECT_GT(shown, 2);
}

TEST_F(PrintWiringTest, PageSetupDialogStoresWhatItShows)
{
    m_app->answer = [](QDialog& dialog) {
        auto& page = dynamic_cast<CDialogPageLayout&>(dialog);
        // Opens with the stored settings: the defaults.
        EXPECT_EQ(page.SlotList(0)->currentText(), QStringLiteral("ﾌｧｲﾙ名"));
        EXPECT_EQ(page.SlotList(4)->currentText(), QStringLiteral("- ﾍﾟｰｼﾞ -"));
        EXPECT_EQ(page.SlotList(0)->count(), 7);
        EXPECT_EQ(page.SlotList(1)->count(), 6);
        EXPECT_EQ(page.SlotList(2)->toolTip(), QStringLiteral("ヘッダ右端の表示内容を設定します"));
        // Each setting carries its control id (its help topic is 0x80830000 plus it).
        EXPECT_EQ(page.SlotList(0)->property("controlId").toInt(), 1002);
        EXPECT_EQ(page.findChild<QCheckBox*>(QStringLiteral("checkRightEdgeYears"))
                      ->property("controlId")
                      .toInt(),
                  1203);
        // The empty item leaves the slot as it was.
        page.SlotList(0)->setCurrentIndex(6);
        page.SlotList(2)->setCurrentIndex(SPageLayout::ItemDate);
        page.SlotList(5)->setCurrentIndex(SPageLayout::ItemTime);
        page.findChild<QCheckBox*>(QStringLiteral("checkFitToRight"))->setChecked(false);
        page.accept();
        return int(QDialog::Accepted);
    };
    Frame().RunCommand(ID_PAGE_LAYOUT);
    EXPECT_EQ(m_app->dialogs, (std::vector<std::string>{"CDialogPageLayout"}));
    const SPageLayout& layout = Doc().GetPageLayout();
    EXPECT_EQ(std::vector<int>(layout.items, layout.items + 6),
              (std::vector<int>{0, 5, 2, 5, 4, 3}));
    EXPECT_FALSE(layout.fitToRight);
    EXPECT_FALSE(Doc().IsModified());
    // Stored at once: the next chronology starts with it.
    CAnnaluxDoc next;
    EXPECT_EQ(next.GetPageLayout(), layout);

    // Cancel changes nothing.
    m_app->answer = [](QDialog& dialog) {
        dynamic_cast<CDialogPageLayout&>(dialog).SlotList(0)->setCurrentIndex(5);
        return int(QDialog::Rejected);
    };
    Frame().RunCommand(ID_PAGE_LAYOUT);
    EXPECT_EQ(Doc().GetPageLayout(), layout);
}

} // namespace

namespace {

TEST(PrintSpoolerTest, OpensThePrintSystemOnlyWhenAQueueIsAskedFor)
{
    // The program does not carry the print system's library from the start
    // (batch commands never print); the first question about queues opens
    // it, with every function the spooler calls.
    EXPECT_EQ(RunShell("readelf -d '" + AnnaluxExe() + "' | grep -q 'libcups'"), 1);
    EXPECT_TRUE(CPrintSpooler::IsAvailable());
    EXPECT_FALSE(CPrintSpooler::HasPrinter("no-such-queue-anywhere"));
    EXPECT_FALSE(CPrintSpooler::HasPrinter(""));
}

} // namespace
