#pragma once

#include "HostServices.h"

#include <QString>
#include <QStringList>
#include <string>

class QWidget;

// The host services of the running program: message boxes and file dialogs
// of Qt. Installed once the application object exists; tests and the batch
// commands keep the scripted services instead.
class CQtHostServices : public CHostServices
{
public:
    int MessageBox(const std::string& text, unsigned style = Ok) override;
    int CaptionedMessageBox(const std::string& caption, const std::string& text,
                            unsigned style = Ok) override;
    bool GetOpenFileName(const SFileDialogRequest& request, std::string& path) override;
    bool GetSaveFileName(const SFileDialogRequest& request, std::string& path) override;

    // ---- the conversions, open for tests --------------------------------
    // The name filters of a bar-separated "description|pattern|...||" filter,
    // in Qt's "description (pattern pattern)" form: Windows pattern lists
    // ("*.lev;*.txt") become space-separated and "*.*" matches every file.
    static QStringList ToQtFilters(const std::string& barFilter);
    // The answer a message box of this style gives for the button pressed
    // (a QMessageBox::StandardButton); a box closed without a button gives
    // the answer of its cancelling button.
    static int AnswerFor(unsigned style, int standardButton);
    // The folder a file dialog opens in: the request's folder (relative to
    // the current directory) when it exists, else the current directory.
    static QString InitialFolder(const SFileDialogRequest& request);
    // The file the dialog proposes: the proposed name inside the initial
    // folder unless it carries a folder of its own.
    static QString InitialSelection(const SFileDialogRequest& request);
    // "\r\n" line breaks of the program's texts become plain line feeds.
    static QString DisplayText(const std::string& text);

private:
    int ShowMessage(const QString& caption, const std::string& text, unsigned style);
    bool RunFileDialog(const SFileDialogRequest& request, bool save, std::string& path);
    static QWidget* DialogParent();
};
