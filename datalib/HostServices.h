#pragma once

#include "AnnaluxDataExport.h"

#include <string>

// A request for a file dialog. Texts are UTF-8; the filter uses the
// bar-separated "description|pattern|...|" form of the library dialogs.
struct ANNALUX_DATA_EXPORT SFileDialogRequest
{
    enum EFlags : unsigned {
        Explorer = 0x1,
        FileMustExist = 0x2,
        OverwritePrompt = 0x4,
        NoChangeDir = 0x8,
        HideReadOnly = 0x10,
        AllowMultiSelect = 0x20,
    };
    std::string title;
    std::string filter;
    std::string defaultExtension; // without the dot, e.g. "lev"
    std::string initialFolder;    // may be relative to the current directory
    std::string proposedName;
    unsigned flags = 0;
};

// Everything the program shows or asks goes through one object of this kind,
// so that tests and the headless batch mode can answer and record it.
class ANNALUX_DATA_EXPORT CHostServices
{
public:
    // Buttons and icons, combined by bitwise or (the values of the Windows
    // message box, which callers and recorded expectations already know).
    enum EButtons : unsigned {
        Ok = 0x0,
        OkCancel = 0x1,
        YesNoCancel = 0x3,
        YesNo = 0x4,
        IconError = 0x10,
        IconQuestion = 0x20,
        IconWarning = 0x30,
        IconInformation = 0x40,
    };
    enum EAnswer : int {
        AnswerOk = 1,
        AnswerCancel = 2,
        AnswerYes = 6,
        AnswerNo = 7,
    };

    virtual ~CHostServices();

    // A modal message box; text is UTF-8. Returns one of EAnswer.
    virtual int MessageBox(const std::string& text, unsigned style = Ok) = 0;
    // The same under a caption of its own (UTF-8) instead of the program's
    // title. Services that show no caption answer it as MessageBox.
    virtual int CaptionedMessageBox(const std::string& caption, const std::string& text,
                                    unsigned style = Ok);
    // File dialogs; path is a UTF-8 host path. False when cancelled.
    virtual bool GetOpenFileName(const SFileDialogRequest& request, std::string& path) = 0;
    virtual bool GetSaveFileName(const SFileDialogRequest& request, std::string& path) = 0;

    // The services in force. Never null: until one is installed, a silent
    // scripted instance answers (OK / cancel).
    static CHostServices& Get();
    // Installs services (not owned); null restores the silent default.
    static void Set(CHostServices* services);
};

// Installs services for the lifetime of a scope, restoring the previous ones.
class ANNALUX_DATA_EXPORT CHostServicesScope
{
public:
    explicit CHostServicesScope(CHostServices& services);
    ~CHostServicesScope();
    CHostServicesScope(const CHostServicesScope&) = delete;
    CHostServicesScope& operator=(const CHostServicesScope&) = delete;

private:
    CHostServices* m_previous;
};
