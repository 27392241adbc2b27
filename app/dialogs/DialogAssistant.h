#pragma once

#include <QDialog>
#include <QStringList>
#include <memory>
#include <string>

// "Annaluxアシスタント": offered at start-up, it asks what the user wants to
// do. The dialog only gathers the answer; the caller carries it out (opens
// the file, starts loading or creating libraries). OK also stores the
// "次回起動時にこの画面を表示しない" box in the settings when it changed.
class CDialogAssistant : public QDialog
{
    Q_OBJECT

public:
    enum EChoice
    {
        ChoiceOpenFile = 0,         // open a project file
        ChoiceCombineLibraries = 1, // load libraries into a new chronology
        ChoiceCreateLibrary = 2,    // create a library
    };
    static constexpr int kChoiceCount = 3;

    // Messages and file dialog texts (UTF-8).
    static const char* const kNoFileMessage;
    static const char* const kFileFilter;

    // recentFiles: the recent-file list (empty entries are skipped).
    // showAtStart: whether the assistant is shown at start-up now.
    CDialogAssistant(const QStringList& recentFiles, bool showAtStart, QWidget* parent = nullptr);
    ~CDialogAssistant() override;

    EChoice GetChoice() const;
    void SetChoice(EChoice choice);
    // A choice whose command is not available can be switched off; a
    // disabled choice is never the one taken.
    void SetChoiceEnabled(EChoice choice, bool enabled);
    bool IsChoiceEnabled(EChoice choice) const;
    // The project file named (UTF-8 host path, trimmed).
    std::string GetFileName() const;
    void SetFileName(const std::string& utf8Path);
    // What the start-up setting is after the dialog: unchanged by Cancel.
    bool GetShowAtStart() const;

    // The "ファイル選択..." button: asks for a project file; the choice goes
    // into the file field and selects the first option.
    void BrowseFile();

    void accept() override;

private:
    struct SImpl;
    std::unique_ptr<SImpl> m_impl;
};
