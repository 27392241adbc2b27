#include "AnnaluxApp.h"

#include "AboutDlg.h"
#include "AnnaluxDoc.h"
#include "CommandIds.h"
#include "ContextHelp.h"
#include "DialogAssistant.h"
#include "DialogCreateLibrarySelect.h"
#include "HostServices.h"
#include "HostText.h"
#include "LibraryCommands.h"
#include "LoadProgress.h"
#include "MainFrame.h"
#include "SaveFile.h"
#include "PrintCommand.h"
#include "Settings.h"
#include "ShellRegistration.h"

#include <QApplication>
#include <QDesktopServices>
#include <QDialog>
#include <QDialogButtonBox>
#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTimer>
#include <QUrl>
#include <QVBoxLayout>
#include <iostream>

const char* const CAnnaluxApp::kCompany = "Veltrin Software";
const char* const CAnnaluxApp::kAppName = "annalux";
const char* const CAnnaluxApp::kWindowTitle = "Annalux";
const char* const CAnnaluxApp::kUntitled = "無題";
const char* const CAnnaluxApp::kHelpFailedMessage = "ヘルプの起動ができませんでした";
const char* const CAnnaluxApp::kPrintUnavailableMessage =
    "このバージョンでは印刷はまだ使用できません。";
const char* const CAnnaluxApp::kAskSaveProjectFormat = "%1 への変更を保存しますか?";
const char* const CAnnaluxApp::kShellSection = "Shell";
const char* const CAnnaluxApp::kRegisterTypeKey = "RegisterFileType";

namespace {

CAnnaluxApp* g_instance = nullptr;

// The viewer of the supplements is the toolkit's own rich-text browser,
// which shows what the program's pages need; it counts as a version that
// needs nothing installed.
constexpr int kBuiltInViewerMajor = 5;
constexpr int kBuiltInViewerMinor = 0;

// The warning of a missing or old viewer: quit or go on. True: go on.
bool AskContinueWithoutViewer()
{
    QDialog dialog;
    dialog.setWindowTitle(QStringLiteral("IEをインストールして下さい"));
    auto* layout = new QVBoxLayout(&dialog);
    auto* text = new QPlainTextEdit(&dialog);
    text->setReadOnly(true);
    text->setPlainText(
        QStringLiteral("Annaluxの利用にはInternet Explore４(IE4)あるいは５(IE5)以降のバージョンが"
                       "インストールされている必要があります。\n"
                       "IE4, IE5はマイクロソフト社が提供する無料のWebブラウザです。\n"
                       "パソコン雑誌の付録CD-ROMやブラウザの提供元のWebサイトから"
                       "入手できます。\n"
                       "入手してインストールして下さい。"));
    layout->addWidget(text);
    auto* buttons = new QDialogButtonBox(&dialog);
    QPushButton* quit =
        buttons->addButton(QStringLiteral("終了する"), QDialogButtonBox::RejectRole);
    buttons->addButton(QStringLiteral("継続する"), QDialogButtonBox::AcceptRole);
    quit->setDefault(true);
    QObject::connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
    QObject::connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
    layout->addWidget(buttons);
    return dialog.exec() == QDialog::Accepted;
}

} // namespace

// ---- viewer -------------------------------------------------------------------

bool CAnnaluxApp::IsViewerSufficient(const SViewerVersion& version)
{
    if (!version.found)
        return false;
    return version.major > 4 || (version.major == 4 && version.minor >= 71);
}

CAnnaluxApp::SViewerVersion CAnnaluxApp::ProbeViewer()
{
    SViewerVersion v;
    v.found = true;
    v.major = kBuiltInViewerMajor;
    v.minor = kBuiltInViewerMinor;
    return v;
}

// ---- life -----------------------------------------------------------------------

CAnnaluxApp::CAnnaluxApp() : m_doc(std::make_unique<CAnnaluxDoc>())
{
    g_instance = this;
    QCoreApplication::setOrganizationName(QString::fromUtf8(kCompany));
    QCoreApplication::setApplicationName(QString::fromUtf8(kAppName));
    // The desktop entry (annalux.desktop) gives the window its name and icon
    // in docks and task switchers.
    QGuiApplication::setDesktopFileName(QString::fromUtf8(kAppName));
    m_programFolder = QCoreApplication::applicationDirPath();
    m_recentFiles.Load(CSettings::Get());
    m_showAssistantAtStart = CSettings::Get().GetAssistantDisp();
    // F1 in any dialog opens its page of the manual.
    if (QCoreApplication* qt = QCoreApplication::instance())
        qt->installEventFilter(new CContextHelp([this](const QString& page) { OnHelp(page); }, this));
    CSaveFile::SetKeepBackups(CSettings::Get().GetBackup());
}

CAnnaluxApp::~CAnnaluxApp()
{
    if (m_docListener)
        m_doc->RemoveListener(m_docListener);
    // The window refers to the document; it goes first.
    m_frame.reset();
    if (g_instance == this)
        g_instance = nullptr;
}

bool CAnnaluxApp::InstallQtTranslations(QCoreApplication& application)
{
    // The program speaks Japanese whatever the desktop's language, so Qt's
    // dialogs do too (and dates and numbers in them follow).
    QLocale::setDefault(QLocale(QLocale::Japanese, QLocale::Japan));
    auto* translator = new QTranslator(&application);
    if (!translator->load(QStringLiteral("qtbase_ja"),
                          QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
        delete translator;
        return false;
    }
    QCoreApplication::installTranslator(translator);
    return true;
}

CAnnaluxApp* CAnnaluxApp::Instance()
{
    return g_instance;
}

CMainFrame* CAnnaluxApp::CreateMainFrame()
{
    if (!m_frame) {
        m_frame = std::make_unique<CMainFrame>(*this);
        m_docListener = m_doc->AddListener([this](CAnnaluxDoc::EViewNotice notice) {
            // A new chronology begun from the menu offers the assistant; the
            // one made at start-up waits until the window shows.
            if (notice == CAnnaluxDoc::VN_OFFER_ASSISTANT && m_frame && m_frame->isVisible())
                ShowAssistant();
        });
    }
    return m_frame.get();
}

bool CAnnaluxApp::InitInstance(const std::vector<std::string>& arguments)
{
    m_exitCode = 0;
    if (!IsViewerSufficient(ProbeViewer()) && !AskContinueWithoutViewer()) {
        m_exitCode = 1;
        return false;
    }

    m_commandLine = CCommandLineInfo::Parse(arguments);
    if (m_commandLine.m_shellCommand == CCommandLineInfo::Invalid) {
        std::cerr << "annalux: " << m_commandLine.m_error
                  << "\nUsage: annalux [PROJECT.anx]   (annalux --help lists the batch commands)\n";
        m_exitCode = 2;
        return false;
    }
    if (m_commandLine.IsPrint()) {
        // /p and /pt print without a window and end the program; the exit
        // code tells whether the print system took the job.
        if (!m_doc->OnOpenDocument(m_commandLine.m_fileName)) {
            m_exitCode = 1;
            return false;
        }
        m_exitCode = PrintDocumentToPrinter(*m_doc, m_commandLine.m_printerName);
        return false;
    }

    CreateMainFrame();
    if (m_commandLine.m_shellCommand == CCommandLineInfo::FileOpen) {
        if (!OpenDocumentFile(m_commandLine.m_fileName)) {
            m_exitCode = 1;
            return false;
        }
    } else {
        m_doc->OnNewDocument();
    }

    // The project file type on the desktop, for the user, when no one has
    // registered it yet (the tests' settings switch this off).
    if (CSettings::Get().GetInt(kShellSection, kRegisterTypeKey, 1) != 0)
        CShellRegistration::EnsureRegistered(QCoreApplication::applicationFilePath());

    m_frame->ShowAtSavedPlace();
    m_showAssistantAtStart = CSettings::Get().GetAssistantDisp();
    m_frame->UpdateCommandUI();
    if (m_commandLine.m_shellCommand == CCommandLineInfo::FileNew) {
        // After the window has painted once, so the assistant sits above it.
        QTimer::singleShot(0, this, [this] { ShowAssistant(); });
    }
    return true;
}

// ---- assistant ---------------------------------------------------------------------

void CAnnaluxApp::ToggleShowAssistantAtStart()
{
    m_showAssistantAtStart = !m_showAssistantAtStart;
    CSettings::Get().SetAssistantDisp(m_showAssistantAtStart);
    CSettings::Get().Sync();
}

void CAnnaluxApp::ShowAssistant()
{
    if (!m_showAssistantAtStart)
        return;
    QStringList recent;
    for (const std::string& path : m_recentFiles.GetNonEmpty())
        recent << CHostText::FromHostPath(path);
    CDialogAssistant dialog(recent, m_showAssistantAtStart, m_frame.get());
    // The library choices lead to the window's library commands.
    dialog.SetChoiceEnabled(CDialogAssistant::ChoiceCombineLibraries,
                            m_frame && m_frame->HasCommandHandler(ID_LIBRARY_LOAD));
    dialog.SetChoiceEnabled(CDialogAssistant::ChoiceCreateLibrary,
                            m_frame && m_frame->HasCommandHandler(ID_MODIFY_EVENT));
    // At start-up the window manager may still be placing the main window
    // when the assistant opens, and Qt then centres it on the screen instead:
    // centre it over the window's own geometry.
    if (m_frame && m_frame->isVisible()) {
        dialog.adjustSize();
        QRect place = dialog.frameGeometry();
        place.moveCenter(m_frame->frameGeometry().center());
        dialog.move(place.topLeft());
    }
    if (RunDialog(dialog) != QDialog::Accepted)
        return;
    // The dialog has stored its check box; the menu's mark follows it.
    m_showAssistantAtStart = dialog.GetShowAtStart();
    RunAssistantChoice(dialog);
    if (m_frame)
        m_frame->UpdateCommandUI();
}

void CAnnaluxApp::RunAssistantChoice(const CDialogAssistant& dialog)
{
    m_assistantActive = true;
    switch (dialog.GetChoice()) {
    case CDialogAssistant::ChoiceOpenFile:
        OpenDocumentFile(dialog.GetFileName());
        m_assistantActive = false;
        break;
    case CDialogAssistant::ChoiceCombineLibraries:
        if (m_frame)
            m_frame->PostCommand(ID_LIBRARY_LOAD);
        break;
    case CDialogAssistant::ChoiceCreateLibrary:
        RunAssistantCreate();
        break;
    }
}

void CAnnaluxApp::RunAssistantCreate()
{
    // The kind is asked here; the modify command of that kind, run while
    // the assistant is on and no column is chosen, creates the library and
    // then offers to create another.
    CDialogCreateLibrarySelect select(m_frame.get());
    const int command = RunDialog(select) == QDialog::Accepted
                            ? CLibraryCommands::ModifyCommandOfOption(select.GetOption())
                            : 0;
    if (command == 0 || !m_frame) {
        m_assistantActive = false;
        return;
    }
    m_frame->PostCommand(command);
}

// ---- file commands -------------------------------------------------------------------

bool CAnnaluxApp::SaveModified()
{
    if (!m_doc->IsModified())
        return true;
    const std::string title =
        m_doc->GetPathName().empty() ? std::string(kUntitled) : m_doc->GetTitle();
    const QString text =
        QString::fromUtf8(kAskSaveProjectFormat).arg(CHostText::FromUtf8(title));
    switch (CHostServices::Get().MessageBox(CHostText::ToUtf8(text), CHostServices::YesNoCancel |
                                                                    CHostServices::IconWarning)) {
    case CHostServices::AnswerYes:
        return OnFileSave();
    case CHostServices::AnswerNo:
        return true;
    default:
        return false;
    }
}

bool CAnnaluxApp::LeaveDocument()
{
    // Libraries first, then the chronology: a library answered No is not
    // written by the chronology's save that may follow.
    m_doc->AskToSaveLibrariesBeforeLeaving();
    const bool leave = SaveModified();
    if (!leave)
        m_doc->EndLeaving();
    return leave;
}

void CAnnaluxApp::OnFileNew()
{
    if (!LeaveDocument())
        return;
    m_doc->OnNewDocument();
    if (m_frame)
        m_frame->DocumentChanged();
}

void CAnnaluxApp::OnFileOpen()
{
    SFileDialogRequest request;
    request.filter = "Annaluxﾄﾞｷｭﾒﾝﾄ(*.anx)|*.anx|すべてのﾌｧｲﾙ(*.*)|*.*||";
    request.defaultExtension = CAnnaluxDoc::kExtension;
    request.flags = SFileDialogRequest::Explorer | SFileDialogRequest::FileMustExist |
                    SFileDialogRequest::HideReadOnly;
    std::string path;
    if (!CHostServices::Get().GetOpenFileName(request, path) || path.empty())
        return;
    OpenDocumentFile(path);
}

bool CAnnaluxApp::OpenDocumentFile(const std::string& path)
{
    return OpenDocument(path) == OpenResult::Opened;
}

CAnnaluxApp::OpenResult CAnnaluxApp::OpenDocument(const std::string& path)
{
    if (path.empty())
        return OpenResult::Failed;
    const QString absolute =
        QDir::cleanPath(QFileInfo(CHostText::FromHostPath(path)).absoluteFilePath());
    if (!m_doc->GetPathName().empty() &&
        QDir::cleanPath(CHostText::FromHostPath(m_doc->GetPathName())) == absolute)
        return OpenResult::Opened;
    // A file that cannot take the open chronology's place leaves it alone.
    if (!m_doc->CheckProjectFile(CHostText::ToHostPath(absolute)))
        return OpenResult::Failed;
    if (!LeaveDocument())
        return OpenResult::Declined;
    // In the window, a long load shows its progress and can be stopped; the
    // start-up open (the window not yet up) shows nothing.
    std::unique_ptr<CLoadProgress> progress;
    if (m_frame && m_frame->isVisible())
        progress = std::make_unique<CLoadProgress>(m_frame.get(), CLoadProgress::kProjectHeading);
    const bool ok = m_doc->OnOpenDocument(CHostText::ToHostPath(absolute));
    if (!ok && progress && progress->Cancelled()) {
        // Stopped by the user: the chronology that was open stays as it was.
        progress.reset();
        if (m_frame)
            m_frame->DocumentChanged();
        return OpenResult::Declined;
    }
    progress.reset();
    if (ok)
        AddToRecentFiles(CHostText::ToHostPath(absolute));
    if (m_frame)
        m_frame->DocumentChanged();
    return ok ? OpenResult::Opened : OpenResult::Failed;
}

bool CAnnaluxApp::OnFileSave()
{
    return SaveDocument(true);
}

bool CAnnaluxApp::OnFileSaveAs()
{
    return SaveDocument(false);
}

bool CAnnaluxApp::SaveDocument(bool replace)
{
    const bool ok = m_doc->DoSave(m_doc->GetPathName(), replace);
    if (ok)
        AddToRecentFiles(m_doc->GetPathName());
    if (m_frame)
        m_frame->DocumentChanged();
    return ok;
}

bool CAnnaluxApp::OnOpenRecentFile(int index)
{
    const std::string path = m_recentFiles.GetAt(index);
    if (path.empty())
        return false;
    switch (OpenDocument(path)) {
    case OpenResult::Opened:
        return true;
    case OpenResult::Failed:
        // A file that cannot be opened leaves the list; one the user only
        // declined to switch to stays.
        m_recentFiles.Remove(index);
        m_recentFiles.Save(CSettings::Get());
        if (m_frame)
            m_frame->UpdateCommandUI();
        return false;
    default:
        return false;
    }
}

void CAnnaluxApp::AddToRecentFiles(const std::string& path)
{
    m_recentFiles.Add(path);
    m_recentFiles.Save(CSettings::Get());
    CSettings::Get().Sync();
}

// ---- About and help ---------------------------------------------------------------------

void CAnnaluxApp::OnAppAbout()
{
    CAboutDlg dialog(m_frame.get());
    RunDialog(dialog);
}

QString CAnnaluxApp::HelpFilePath(const QString& page) const
{
    // Beside the program in the build tree; an installed program keeps its
    // manual with its other data, <prefix>/share/annalux.
    const QString beside = QDir(m_programFolder).filePath(QStringLiteral("HTMLHelp/") + page);
    const QString installed = QDir::cleanPath(
        QDir(m_programFolder).filePath(QStringLiteral("../share/annalux/HTMLHelp/") + page));
    if (!QFileInfo(beside).isFile() && QFileInfo(installed).isFile())
        return installed;
    return beside;
}

bool CAnnaluxApp::OnHelp(const QString& page)
{
    const QString path = HelpFilePath(page);
    if (QFileInfo(path).isFile() && OpenWithDesktop(path))
        return true;
    CHostServices::Get().MessageBox(kHelpFailedMessage,
                                    CHostServices::Ok | CHostServices::IconError);
    return false;
}

int CAnnaluxApp::RunDialog(QDialog& dialog)
{
    return dialog.exec();
}

int CAnnaluxApp::RunModal(QDialog& dialog)
{
    if (CAnnaluxApp* app = Instance())
        return app->RunDialog(dialog);
    return dialog.exec();
}

bool CAnnaluxApp::OpenWithDesktop(const QString& path)
{
    return QDesktopServices::openUrl(QUrl::fromLocalFile(path));
}
