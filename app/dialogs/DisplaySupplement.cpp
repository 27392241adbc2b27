#include "DisplaySupplement.h"

#include "FilePathManager.h"
#include "HostServices.h"
#include "HostText.h"
#include "LinkOpener.h"
#include "Settings.h"
#include "ShiftJis.h"
#include "SjisInput.h"

#include "ui_DisplaySupplement.h"

#include <QApplication>
#include <QCloseEvent>
#include <QDir>
#include <QFile>
#include <QTemporaryFile>

const char* const CDisplaySupplement::kTempFileMessage = "一時ファイルの作成に失敗しました";

namespace {

const char kCharsetLine[] =
    "<META http-equiv=\"Content-Type\" content=\"text/html; charset=Shift_JIS\">\r\n";
const char kTargetAttribute[] = " TARGET=\"topWindow\"";

bool IsAsciiAlpha(char c)
{
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}

// Where a relative file target starts inside href (npos: leave it alone).
// Web and other addresses stay as written; a file URL's path and a bare
// path get the folder in front when they are not absolute.
size_t RelativePathStart(const std::string& href)
{
    size_t colon = CShiftJis::npos;
    if (!href.empty() && IsAsciiAlpha(href[0])) {
        size_t i = 1;
        while (i < href.size() && (IsAsciiAlpha(href[i]) || (href[i] >= '0' && href[i] <= '9') ||
                                   href[i] == '+' || href[i] == '-' || href[i] == '.'))
            ++i;
        if (i < href.size() && href[i] == ':' && i >= 2) // "C:" is a drive
            colon = i;
    }
    size_t path = 0;
    if (colon != CShiftJis::npos) {
        if (CShiftJis::ToLowerAscii(href.substr(0, colon)) != "file")
            return CShiftJis::npos;
        path = colon + 1;
        if (href.compare(path, 2, "//") == 0)
            path += 2;
    }
    const CFilePathManager host(CFilePathManager::Host);
    const CFilePathManager windows(CFilePathManager::Windows);
    const std::string rest = href.substr(path);
    if (host.CheckAbsPath(rest) || windows.CheckAbsPath(rest))
        return CShiftJis::npos;
    return path;
}

} // namespace

std::string CDisplaySupplement::MakePage(const std::string& text, const std::string& currentDir)
{
    std::string page = CShiftJis::ReplaceAll(text, "\r\n", "<BR>");
    page = CShiftJis::ReplaceAll(page, "\n", "<BR>");

    // The folder goes into Shift-JIS text; a folder it cannot hold leaves
    // relative targets as they are.
    std::string folder;
    if (!currentDir.empty() && CShiftJis::FromUtf8(currentDir, folder) && folder.back() != '/')
        folder += '/';

    const std::string targetAttr = kTargetAttribute;
    size_t from = 0;
    for (;;) {
        const std::string lower = CShiftJis::ToLowerAscii(page);
        const size_t open = CShiftJis::Find(lower, "<a", from);
        if (open == CShiftJis::npos)
            break;
        // Only an anchor tag: "<a" followed by white space.
        const char next = open + 2 < page.size() ? page[open + 2] : '\0';
        if (next != ' ' && next != '\t' && next != '\r' && next != '\n') {
            from = open + 2;
            continue;
        }
        const size_t quote = CShiftJis::FindChar(page, '"', open);
        if (quote == CShiftJis::npos)
            break;
        const size_t close = CShiftJis::FindChar(page, '>', quote + 1);
        if (close == CShiftJis::npos)
            break;
        page.insert(close, targetAttr);
        size_t resume = close + targetAttr.size() + 1;
        const size_t hrefEnd = CShiftJis::FindChar(page, '"', quote + 1);
        if (hrefEnd != CShiftJis::npos && hrefEnd < close && !folder.empty()) {
            const std::string href = page.substr(quote + 1, hrefEnd - quote - 1);
            const size_t at = RelativePathStart(href);
            if (at != CShiftJis::npos && at < href.size()) {
                page.insert(quote + 1 + at, folder);
                resume += folder.size();
            }
        }
        from = resume;
    }
    return kCharsetLine + page;
}

struct CDisplaySupplement::SImpl
{
    Ui::DisplaySupplement ui;
    std::string text;
    QString pageFile;
};

CDisplaySupplement::CDisplaySupplement(const std::string& text, QWidget* owner)
    : QDialog(owner), m_impl(std::make_unique<SImpl>())
{
    SImpl& d = *m_impl;
    d.text = text;
    d.ui.setupUi(this);
    setAttribute(Qt::WA_DeleteOnClose);
    setModal(false);
    setSizeGripEnabled(true);
    connect(d.ui.buttonClose, &QPushButton::clicked, this, &QWidget::close);
    connect(d.ui.browser, &QTextBrowser::anchorClicked, this, [](const QUrl& url) {
        if (url.scheme().isEmpty() || url.isLocalFile())
            CLinkOpener::Open(url.isLocalFile() ? url.toLocalFile() : url.path(QUrl::FullyDecoded));
        else
            CLinkOpener::Open(url.toString());
    });

    Render();
    SWindowRect rect;
    if (CSettings::Get().GetLastSupplePos(rect) && rect.right > rect.left && rect.bottom > rect.top)
        setGeometry(rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top);
    show();
}

CDisplaySupplement::~CDisplaySupplement()
{
    // Closing removes the page; a window destroyed with its owner removes it
    // here.
    if (!m_impl->pageFile.isEmpty())
        QFile::remove(m_impl->pageFile);
}

void CDisplaySupplement::SetText(const std::string& text)
{
    m_impl->text = text;
    Render();
}

const std::string& CDisplaySupplement::GetText() const
{
    return m_impl->text;
}

std::string CDisplaySupplement::GetPageFileName() const
{
    return CHostText::ToHostPath(m_impl->pageFile);
}

bool CDisplaySupplement::Render()
{
    SImpl& d = *m_impl;
    QApplication::setOverrideCursor(Qt::WaitCursor);
    struct SRestore
    {
        ~SRestore() { QApplication::restoreOverrideCursor(); }
    } restore;

    std::string dir;
    CFilePathManager::GetCurrentDir(dir);
    const std::string page = MakePage(d.text, dir);

    // A name made and created in one step, so no other program can slip a
    // file of the same name in between.
    // An unusable temporary folder reads as empty; the page must not land
    // in the root folder instead.
    const QString folder = QDir::tempPath();
    QTemporaryFile file(folder + QStringLiteral("/anlXXXXXX.htm"));
    file.setAutoRemove(true);
    if (folder.isEmpty() || !file.open() ||
        file.write(page.data(), static_cast<qint64>(page.size())) !=
            static_cast<qint64>(page.size()) ||
        !file.flush()) {
        // The previous page stays on show, and its file stays until close.
        CHostServices::Get().MessageBox(kTempFileMessage, CHostServices::IconWarning);
        return false;
    }
    file.setAutoRemove(false);
    const QString name = file.fileName();
    file.close();

    if (!d.pageFile.isEmpty())
        QFile::remove(d.pageFile);
    d.pageFile = name;

    // The page declares its charset; it is decoded here rather than left to
    // the viewer's guess.
    d.ui.browser->document()->setBaseUrl(QUrl::fromLocalFile(name));
    d.ui.browser->setHtml(CHostText::FromSjis(page));
    return true;
}

void CDisplaySupplement::reject()
{
    close();
}

void CDisplaySupplement::closeEvent(QCloseEvent* event)
{
    const QRect frame = geometry();
    SWindowRect rect;
    rect.left = frame.left();
    rect.top = frame.top();
    rect.right = frame.left() + frame.width();
    rect.bottom = frame.top() + frame.height();
    CSettings::Get().SetLastSupplePos(rect);
    emit closed();
    if (!m_impl->pageFile.isEmpty()) {
        QFile::remove(m_impl->pageFile);
        m_impl->pageFile.clear();
    }
    // Not QDialog's handling, which would reject and so close again.
    event->accept();
}
