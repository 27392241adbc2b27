#include "GotoText.h"

#include "HostServices.h"
#include "SjisInput.h"

#include <QLineEdit>

bool CGotoText::Try(QLineEdit* edit, const char* notFound,
                    const std::function<bool(const std::string&)>& go)
{
    std::string text;
    if (!CSjisInput::ToSjis(edit->text().trimmed(), text, edit))
        return false;
    if (text.empty() || !go(text)) {
        CHostServices::Get().MessageBox(notFound, CHostServices::IconInformation);
        edit->setFocus();
        edit->selectAll();
        return false;
    }
    return true;
}
