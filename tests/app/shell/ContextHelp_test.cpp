#include "AnnaluxApp.h"
#include "AppTest.h"
#include "ContextHelp.h"
#include "DialogGotoYear.h"
#include "DialogSelectLibrary.h"
#include "MainFrame.h"
#include "TestApplication.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QKeyEvent>
#include <QLineEdit>
#include <QRegularExpression>
#include <memory>

namespace {

class CHelpApp : public CAnnaluxApp
{
public:
    std::vector<QString> opened;

protected:
    bool OpenWithDesktop(const QString& path) override
    {
        opened.push_back(path);
        return true;
    }
};

void PressF1(QWidget* widget)
{
    QKeyEvent press(QEvent::KeyPress, Qt::Key_F1, Qt::NoModifier);
    QCoreApplication::sendEvent(widget, &press);
}

const QString kManual = QStringLiteral(ANNALUX_SAMPLES_DIR "/../app/res/HTMLHelp");

} // namespace

class ContextHelpTest : public AppTest
{
protected:
    static void SetUpTestSuite() { TestApp(); }

    ContextHelpTest()
    {
        // Installed: the program in bin/, its manual in share/annalux/.
        QDir(QString::fromStdString(m_dir.Path())).mkpath("bin");
        QDir(QString::fromStdString(m_dir.Path())).mkpath("share/annalux/HTMLHelp");
        for (const QString& page : CContextHelp::Pages())
            TempDir::Write(m_dir.File("share/annalux/HTMLHelp/" + page.toStdString()), "<p>");
        m_app = std::make_unique<CHelpApp>();
        m_app->SetProgramFolder(QString::fromStdString(m_dir.File("bin")));
    }

    std::string Opened() const
    {
        return m_app->opened.empty() ? std::string() : m_app->opened.back().toStdString();
    }

    std::unique_ptr<CHelpApp> m_app;
};

TEST_F(ContextHelpTest, F1InADialogOpensItsPageOfTheInstalledManual)
{
    CMainFrame& frame = *m_app->CreateMainFrame();
    const std::string manual = m_dir.File("share/annalux/HTMLHelp/");

    CDialogGotoYear gotoYear(frame.GetView(), &frame);
    QLineEdit* edit = gotoYear.findChild<QLineEdit*>();
    ASSERT_NE(edit, nullptr);
    PressF1(edit);
    EXPECT_EQ(manual + "search.html", Opened());

    CDialogSelectLibrary select(&frame);
    PressF1(&select);
    EXPECT_EQ(manual + "library.html", Opened());

    // A dialog without a page of its own leads to the contents.
    QDialog other(&frame);
    PressF1(&other);
    EXPECT_EQ(manual + "index.html", Opened());

    // Outside dialogs F1 is the window's help command, not this filter's.
    const size_t count = m_app->opened.size();
    PressF1(&frame);
    EXPECT_EQ(count, m_app->opened.size());
    EXPECT_TRUE(m_host.Messages().empty());
}

// Every page a dialog leads to exists, and no page links to a file or
// picture that is not there.
TEST(HelpManual, PagesAndTheirLinksExist)
{
    const QDir dir(kManual);
    QStringList pages = CContextHelp::Pages();
    pages << "index.html";
    for (const QString& page : pages)
        EXPECT_TRUE(dir.exists(page)) << page.toStdString();

    const QRegularExpression ref(QStringLiteral("(?:href|src)=\"([^\"#:]+)[\"#]"));
    const QStringList files = dir.entryList({"*.html"});
    EXPECT_GE(files.size(), pages.size());
    for (const QString& file : files) {
        QFile f(dir.filePath(file));
        ASSERT_TRUE(f.open(QIODevice::ReadOnly));
        const QString html = QString::fromUtf8(f.readAll());
        EXPECT_TRUE(html.contains("<meta charset=\"UTF-8\">")) << file.toStdString();
        for (auto it = ref.globalMatch(html); it.hasNext();) {
            const QString target = it.next().captured(1);
            EXPECT_TRUE(dir.exists(target)) << file.toStdString() << " -> " << target.toStdString();
        }
    }
}
