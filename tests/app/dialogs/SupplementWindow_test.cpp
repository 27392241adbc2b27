#include "DisplaySupplement.h"
#include "LinkOpener.h"

#include "DialogTestEnv.h"
#include "FilePathManager.h"
#include "Sjis.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QPointer>
#include <QTextBrowser>
#include <QTextDocument>

namespace {

const std::string kCharset =
    "<META http-equiv=\"Content-Type\" content=\"text/html; charset=Shift_JIS\">\r\n";

std::string ReadAll(const std::string& path)
{
    QFile file(QString::fromStdString(path));
    if (!file.open(QIODevice::ReadOnly))
        return "<missing>";
    return file.readAll().toStdString();
}

class SupplementWindowTest : public DialogTest
{
protected:
    SupplementWindowTest()
    {
        CLinkOpener::SetOpenUrlFunctionForTesting([this](const QUrl& url) {
            m_opened.push_back(url);
            return m_openSucceeds;
        });
    }
    ~SupplementWindowTest() override { CLinkOpener::SetOpenUrlFunctionForTesting(nullptr); }

    std::vector<QUrl> m_opened;
    bool m_openSucceeds = true;
};

TEST_F(SupplementWindowTest, PageHasCharsetLineBreaksTargetsAndAbsoluteFiles)
{
    struct SCase
    {
        const char* text;
        const char* page;
    } cases[] = {
        {"一行目\r\n<A HREF=\"docs/a.html\">資料</A>",
         "一行目<BR><A HREF=\"/cur/docs/a.html\" TARGET=\"topWindow\">資料</A>"},
        {"<a href=\"http://example.jp/\">web</a> と <A HREF=\"/abs/b.png\">絵</A>",
         "<a href=\"http://example.jp/\" TARGET=\"topWindow\">web</a> と "
         "<A HREF=\"/abs/b.png\" TARGET=\"topWindow\">絵</A>"},
        {"<A HREF=\"file://rel.txt\">f</A><A HREF=\"file:///abs.txt\">g</A>",
         "<A HREF=\"file:///cur/rel.txt\" TARGET=\"topWindow\">f</A>"
         "<A HREF=\"file:///abs.txt\" TARGET=\"topWindow\">g</A>"},
        {"<ABBR> and <A HREF=\"C:\\x.html\">win</A>",
         "<ABBR> and <A HREF=\"C:\\x.html\" TARGET=\"topWindow\">win</A>"},
        {// a tag without its closing '>' ends the rewriting, keeping the text
         "表<A HREF=\"x", "表<A HREF=\"x"},
    };
    for (const SCase& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(Utf8(CDisplaySupplement::MakePage(Sjis(c.text), "/cur")), kCharset + c.page);
        EXPECT_EQ(Utf8(CDisplaySupplement::MakePage(Sjis(c.text), "/cur/")), kCharset + c.page);
    }
}

TEST_F(SupplementWindowTest, TrailBytesDoNotLookLikeTags)
{
    // 表 is 0x95 0x5C and ソ 0x83 0x5C; ー 0x81 0x5B; none may start "<a".
    const std::string text = Sjis("表ソー<A HREF=\"a\">x</A>");
    const std::string page = CDisplaySupplement::MakePage(text, "/d");
    EXPECT_EQ(page, kCharset + Sjis("表ソー<A HREF=\"/d/a\" TARGET=\"topWindow\">x</A>"));
}

TEST_F(SupplementWindowTest, WindowWritesReplacesAndRemovesItsPage)
{
    TempDir cwd;
    ASSERT_TRUE(CFilePathManager::SetCurrentDir(cwd.Path()));
    QPointer<CDisplaySupplement> window =
        new CDisplaySupplement(Sjis("最初\r\n<A HREF=\"p.html\">頁</A>"));
    EXPECT_TRUE(window->isVisible());
    EXPECT_EQ(window->windowTitle(), QStringLiteral("補足説明の表示"));
    const std::string first = window->GetPageFileName();
    const QFileInfo info(QString::fromStdString(first));
    EXPECT_TRUE(info.fileName().startsWith(QStringLiteral("anl")));
    EXPECT_EQ(info.suffix(), QStringLiteral("htm"));
    EXPECT_EQ(info.absolutePath(), QFileInfo(QDir::tempPath()).absoluteFilePath());
    EXPECT_EQ(ReadAll(first),
              CDisplaySupplement::MakePage(Sjis("最初\r\n<A HREF=\"p.html\">頁</A>"), cwd.Path()));
    auto* browser = Child<QTextBrowser>(*window, "browser");
    EXPECT_TRUE(browser->toPlainText().startsWith(QStringLiteral("最初\n頁")))
        << browser->toPlainText().toStdString();

    window->SetText(Sjis("次"));
    const std::string second = window->GetPageFileName();
    EXPECT_NE(second, first);
    EXPECT_FALSE(QFile::exists(QString::fromStdString(first)));
    EXPECT_EQ(ReadAll(second), kCharset + Sjis("次"));

    Child<QPushButton>(*window, "buttonClose")->click();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(window.isNull());
    EXPECT_FALSE(QFile::exists(QString::fromStdString(second)));
    EXPECT_TRUE(m_host.Messages().empty());
}

TEST_F(SupplementWindowTest, ReopensWhereItWasClosed)
{
    SWindowRect none;
    EXPECT_FALSE(m_settings.GetLastSupplePos(none));
    QPointer<CDisplaySupplement> window = new CDisplaySupplement(Sjis("a"));
    bool closedSignal = false;
    QObject::connect(window, &CDisplaySupplement::closed, [&] { closedSignal = true; });
    window->setGeometry(120, 90, 300, 250);
    window->reject(); // Escape
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(window.isNull());
    EXPECT_TRUE(closedSignal);
    SWindowRect stored;
    ASSERT_TRUE(m_settings.GetLastSupplePos(stored));
    EXPECT_EQ(stored.left, 120);
    EXPECT_EQ(stored.top, 90);
    EXPECT_EQ(stored.right, 420);
    EXPECT_EQ(stored.bottom, 340);

    window = new CDisplaySupplement(Sjis("b"));
    EXPECT_EQ(window->geometry(), QRect(120, 90, 300, 250));
    window->close();
}

TEST_F(SupplementWindowTest, UnwritableTempFolderKeepsThePreviousPage)
{
    QPointer<CDisplaySupplement> window = new CDisplaySupplement(Sjis("前"));
    const std::string first = window->GetPageFileName();
    const QByteArray oldTmp = qgetenv("TMPDIR");
    // A missing folder, then a file where the folder should be.
    qputenv("TMPDIR", QByteArray::fromStdString(m_dir.File("no/such/folder")));
    window->SetText(Sjis("後"));
    QFile plain(QString::fromStdString(m_dir.File("plain")));
    ASSERT_TRUE(plain.open(QIODevice::WriteOnly));
    plain.close();
    qputenv("TMPDIR", QByteArray::fromStdString(m_dir.File("plain")));
    window->SetText(Sjis("後"));
    qputenv("TMPDIR", oldTmp);
    EXPECT_EQ(m_host.Messages(), std::vector<std::string>(2, CDisplaySupplement::kTempFileMessage));
    EXPECT_EQ(window->GetPageFileName(), first);
    EXPECT_TRUE(QFile::exists(QString::fromStdString(first)));
    window->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_FALSE(QFile::exists(QString::fromStdString(first)));
}

TEST_F(SupplementWindowTest, LinksOpenWebAddressesAndResolvedFiles)
{
    TempDir cwd;
    ASSERT_TRUE(CFilePathManager::SetCurrentDir(cwd.Path()));
    const QString dir = QString::fromStdString(cwd.Path());
    struct SCase
    {
        QString target;
        QUrl expected;
    } cases[] = {
        {QStringLiteral("http://example.jp/a?b=1"),
         QUrl(QStringLiteral("http://example.jp/a?b=1"))},
        {QStringLiteral("mailto:a@example.jp"), QUrl(QStringLiteral("mailto:a@example.jp"))},
        {QStringLiteral("docs\\年表.html"),
         QUrl::fromLocalFile(dir + QStringLiteral("/docs/年表.html"))},
        {QStringLiteral("file:///abs/x.png"), QUrl::fromLocalFile(QStringLiteral("/abs/x.png"))},
        {QStringLiteral("/abs/y.txt"), QUrl::fromLocalFile(QStringLiteral("/abs/y.txt"))},
    };
    for (const SCase& c : cases) {
        SCOPED_TRACE(c.target.toStdString());
        m_opened.clear();
        EXPECT_TRUE(CLinkOpener::Open(c.target));
        ASSERT_EQ(m_opened.size(), 1u);
        EXPECT_EQ(m_opened[0], c.expected);
    }
    EXPECT_TRUE(m_host.Messages().empty());
}

TEST_F(SupplementWindowTest, LinkThatNothingOpensIsReported)
{
    m_openSucceeds = false;
    EXPECT_FALSE(CLinkOpener::Open(QStringLiteral("file:///gone.html")));
    // the file path, then the text as written
    EXPECT_EQ(m_opened.size(), 2u);
    EXPECT_EQ(m_host.Messages(),
              std::vector<std::string>{std::string(CLinkOpener::kOpenFailedMessage) +
                                       "file:///gone.html"});
    m_host.Clear();
    EXPECT_FALSE(CLinkOpener::OpenSjis(""));
    EXPECT_TRUE(m_host.Messages().empty());
}

TEST_F(SupplementWindowTest, ClickedLinkInTheWindowOpens)
{
    QPointer<CDisplaySupplement> window =
        new CDisplaySupplement(Sjis("<A HREF=\"http://example.jp/\">web</A>"));
    auto* browser = Child<QTextBrowser>(*window, "browser");
    emit browser->anchorClicked(QUrl(QStringLiteral("http://example.jp/")));
    ASSERT_EQ(m_opened.size(), 1u);
    EXPECT_EQ(m_opened[0], QUrl(QStringLiteral("http://example.jp/")));
    window->close();
}

} // namespace
