#pragma once

#include "CommandLineInfo.h"
#include "RecentFileList.h"

#include <QObject>
#include <QString>
#include <memory>
#include <string>
#include <vector>

class CAnnaluxDoc;
class CDialogAssistant;
class CMainFrame;
class QCoreApplication;
class QDialog;

// The application object: start-up, the one document and its main window,
// the recent-file list, the start-up assistant, About and help, and the
// file commands the framework would otherwise carry out (New, Open, Save,
// Save As, the recent files) including the question about an unsaved
// project.
class CAnnaluxApp : public QObject
{
    Q_OBJECT

public:
    static const char* const kCompany;     // "Veltrin Software"
    static const char* const kAppName;     // "annalux": the settings' program key
    static const char* const kWindowTitle; // "Annalux"
    static const char* const kUntitled;    // the title of a chronology never saved
    static const char* const kHelpFailedMessage;
    static const char* const kPrintUnavailableMessage;
    static const char* const kAskSaveProjectFormat; // %1: the project's title
    // Settings switch: 0 keeps start-up from registering the project file
    // type with the desktop.
    static const char* const kShellSection;    // "Shell"
    static const char* const kRegisterTypeKey; // "RegisterFileType"

    // ---- the HTML viewer the supplements are shown in --------------------
    struct SViewerVersion
    {
        bool found = false; // false: no viewer, or its version could not be read
        int major = 0;
        int minor = 0;
    };
    // The viewer passes from version 4.71 on.
    static bool IsViewerSufficient(const SViewerVersion& version);
    // The viewer this program is built with.
    static SViewerVersion ProbeViewer();

    CAnnaluxApp();
    ~CAnnaluxApp() override;
    CAnnaluxApp(const CAnnaluxApp&) = delete;
    CAnnaluxApp& operator=(const CAnnaluxApp&) = delete;

    // The running application object, or null.
    static CAnnaluxApp* Instance();
    // Qt's own texts (standard buttons, file, font and colour dialogs) in
    // Japanese like the rest of the program. False when the translation is
    // not installed; Qt then speaks English.
    static bool InstallQtTranslations(QCoreApplication& application);

    // Start-up with the command line (Qt's own options taken out). False:
    // the program ends with ExitCode() (a file that cannot be opened, a
    // command line not understood, or the print forms, which print without
    // a window and end).
    bool InitInstance(const std::vector<std::string>& arguments);
    int ExitCode() const { return m_exitCode; }
    // Creates the main window (hidden) once; InitInstance does it as well.
    CMainFrame* CreateMainFrame();

    CAnnaluxDoc& GetDocument() { return *m_doc; }
    CMainFrame* GetMainFrame() const { return m_frame.get(); }
    CRecentFileList& GetRecentFiles() { return m_recentFiles; }

    // ---- the start-up assistant ------------------------------------------
    bool IsAssistantActive() const { return m_assistantActive; }
    void SetAssistantActive(bool active) { m_assistantActive = active; }
    bool GetShowAssistantAtStart() const { return m_showAssistantAtStart; }
    // Command 32882: flips the option and stores it at once.
    void ToggleShowAssistantAtStart();
    // Shows the assistant when the option is on and carries out the choice.
    void ShowAssistant();

    // ---- file commands ---------------------------------------------------
    // With an unsaved project: ask whether to save it (Yes/No/Cancel). False
    // when the user cancels or the save fails.
    bool SaveModified();
    // Before New, Open or closing: asks about every modified library and then
    // about the chronology. False when the user cancelled.
    bool LeaveDocument();
    void OnFileNew();
    void OnFileOpen();
    // Opens a project (after the unsaved-project question); the file then
    // heads the recent files. The project already open is left as it is.
    bool OpenDocumentFile(const std::string& path);
    bool OnFileSave();
    bool OnFileSaveAs();
    // Opens recent file index; one that cannot be opened leaves the list.
    bool OnOpenRecentFile(int index);

    // ---- About and help ----------------------------------------------------
    void OnAppAbout();
    // Opens a page of the manual, HTMLHelp/index.html unless another is
    // named, from the program's folder (or, installed, its data folder);
    // false (after the message) when that fails.
    bool OnHelp(const QString& page = QStringLiteral("index.html"));
    QString HelpFilePath(const QString& page = QStringLiteral("index.html")) const;
    // The folder help is looked up in (default: the program's folder).
    void SetProgramFolder(const QString& folder) { m_programFolder = folder; }

    // Runs a modal dialog; every dialog of the menus goes through here, so
    // tests can answer it.
    virtual int RunDialog(QDialog& dialog);
    // RunDialog of the running application; without one, the dialog's own
    // event loop.
    static int RunModal(QDialog& dialog);

protected:
    // Shows a file with the desktop's program for it; false when that fails.
    virtual bool OpenWithDesktop(const QString& path);

private:
    enum class OpenResult
    {
        Opened,
        Declined, // the user kept the chronology that was open
        Failed,
    };
    OpenResult OpenDocument(const std::string& path);
    // Carries out the assistant's answer.
    void RunAssistantChoice(const CDialogAssistant& dialog);
    // The "create a library" choice: asks the kind and starts creating one.
    void RunAssistantCreate();
    void AddToRecentFiles(const std::string& path);
    // Save (replace: under the current name when there is one) or save as;
    // a saved chronology joins the recent files.
    bool SaveDocument(bool replace);

    std::unique_ptr<CAnnaluxDoc> m_doc;
    std::unique_ptr<CMainFrame> m_frame;
    CRecentFileList m_recentFiles;
    CCommandLineInfo m_commandLine;
    bool m_assistantActive = false;
    bool m_showAssistantAtStart = true;
    int m_exitCode = 0;
    QString m_programFolder;
    int m_docListener = 0;
};
