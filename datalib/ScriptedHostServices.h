#pragma once

#include "HostServices.h"

#include <deque>
#include <ostream>
#include <string>
#include <vector>

// Host services that answer from queues and record everything asked, for
// tests and for the headless batch mode.
class ANNALUX_DATA_EXPORT CScriptedHostServices : public CHostServices
{
public:
    struct SRecord
    {
        enum EKind { Message, OpenDialog, SaveDialog };
        EKind kind = Message;
        std::string text;             // message text, or the dialog title
        std::string caption;          // a message's own caption; empty: the program's title
        unsigned style = 0;           // message style
        SFileDialogRequest request;   // for dialogs
    };

    int MessageBox(const std::string& text, unsigned style = Ok) override;
    int CaptionedMessageBox(const std::string& caption, const std::string& text,
                            unsigned style = Ok) override;
    bool GetOpenFileName(const SFileDialogRequest& request, std::string& path) override;
    bool GetSaveFileName(const SFileDialogRequest& request, std::string& path) override;

    // The next message box answers this (else the default answer).
    void QueueAnswer(int answer);
    // The next file dialog returns this path; an empty path cancels it. With
    // the queue empty a dialog is cancelled.
    void QueueFileName(const std::string& path);
    // Answer of a message box with nothing queued; 0 means "the first button"
    // (OK or Yes).
    void SetDefaultAnswer(int answer) { m_defaultAnswer = answer; }
    // Also writes every message, one per line, to this stream (batch mode).
    void SetEcho(std::ostream* stream) { m_echo = stream; }

    const std::vector<SRecord>& Records() const { return m_records; }
    // Texts of the message boxes shown so far, in order.
    std::vector<std::string> Messages() const;
    size_t PendingAnswers() const { return m_answers.size(); }
    size_t PendingFileNames() const { return m_fileNames.size(); }
    void Clear();

private:
    bool NextFileName(std::string& path);

    std::vector<SRecord> m_records;
    std::deque<int> m_answers;
    std::deque<std::string> m_fileNames;
    int m_defaultAnswer = 0;
    std::ostream* m_echo = nullptr;
};
