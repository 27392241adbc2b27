#include "DialogAssistant.h"

const char* const CDialogAssistant::kNoFileMessage = "ファイルを指定してください";
const char* const CDialogAssistant::kFileFilter = "Annalux(*.anx)|*.anx|すべて(*.*)|*.*||";

struct CDialogAssistant::SImpl
{
    EChoice choice = ChoiceOpenFile;
    bool enabled[kChoiceCount] = {true, true, true};
    std::string fileName;
    bool showAtStart = true;
};

CDialogAssistant::CDialogAssistant(const QStringList&, bool showAtStart, QWidget* parent)
    : QDialog(parent), m_impl(std::make_unique<SImpl>())
{
    m_impl->showAtStart = showAtStart;
}

CDialogAssistant::~CDialogAssistant() = default;

CDialogAssistant::EChoice CDialogAssistant::GetChoice() const
{
    return m_impl->choice;
}
void CDialogAssistant::SetChoice(EChoice choice)
{
    m_impl->choice = choice;
}
void CDialogAssistant::SetChoiceEnabled(EChoice choice, bool enabled)
{
    m_impl->enabled[choice] = enabled;
}
bool CDialogAssistant::IsChoiceEnabled(EChoice choice) const
{
    return m_impl->enabled[choice];
}
std::string CDialogAssistant::GetFileName() const
{
    return m_impl->fileName;
}
void CDialogAssistant::SetFileName(const std::string& utf8Path)
{
    m_impl->fileName = utf8Path;
}
bool CDialogAssistant::GetShowAtStart() const
{
    return m_impl->showAtStart;
}
void CDialogAssistant::BrowseFile() {}
void CDialogAssistant::accept()
{
    QDialog::accept();
}
