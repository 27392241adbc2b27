#include "ScriptedHostServices.h"

int CScriptedHostServices::MessageBox(const std::string& text, unsigned style)
{
    return CaptionedMessageBox(std::string(), text, style);
}

int CScriptedHostServices::CaptionedMessageBox(const std::string& caption, const std::string& text,
                                               unsigned style)
{
    SRecord r;
    r.kind = SRecord::Message;
    r.text = text;
    r.caption = caption;
    r.style = style;
    m_records.push_back(r);
    if (m_echo)
        *m_echo << text << std::endl;

    int answer = m_defaultAnswer;
    if (!m_answers.empty()) {
        answer = m_answers.front();
        m_answers.pop_front();
    }
    if (answer == 0) {
        unsigned buttons = style & 0xF;
        answer = (buttons == YesNo || buttons == YesNoCancel) ? AnswerYes : AnswerOk;
    }
    return answer;
}

bool CScriptedHostServices::NextFileName(std::string& path)
{
    if (m_fileNames.empty())
        return false;
    std::string next = m_fileNames.front();
    m_fileNames.pop_front();
    if (next.empty())
        return false;
    path = next;
    return true;
}

bool CScriptedHostServices::GetOpenFileName(const SFileDialogRequest& request, std::string& path)
{
    SRecord r;
    r.kind = SRecord::OpenDialog;
    r.text = request.title;
    r.request = request;
    m_records.push_back(r);
    return NextFileName(path);
}

bool CScriptedHostServices::GetSaveFileName(const SFileDialogRequest& request, std::string& path)
{
    SRecord r;
    r.kind = SRecord::SaveDialog;
    r.text = request.title;
    r.request = request;
    m_records.push_back(r);
    return NextFileName(path);
}

void CScriptedHostServices::QueueAnswer(int answer)
{
    m_answers.push_back(answer);
}

void CScriptedHostServices::QueueFileName(const std::string& path)
{
    m_fileNames.push_back(path);
}

std::vector<std::string> CScriptedHostServices::Messages() const
{
    std::vector<std::string> texts;
    for (const SRecord& r : m_records) {
        if (r.kind == SRecord::Message)
            texts.push_back(r.text);
    }
    return texts;
}

void CScriptedHostServices::Clear()
{
    m_records.clear();
    m_answers.clear();
    m_fileNames.clear();
}
