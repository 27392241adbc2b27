#include "DataMessages.h"

#include "HostServices.h"

std::string CDataMessages::Format(int id, const std::string& fileName)
{
    const char* text = nullptr;
    switch (id) {
    case InvalidFormat:
        text = "ファイル %1 のフォーマットが正しくありません";
        break;
    case WriteFailed:
        text = "ファイル %1 への書き込みに失敗しました";
        break;
    case ReadFailed:
        text = "ファイル %1 の読込みに失敗しました";
        break;
    default:
        return std::string();
    }
    std::string s = text;
    size_t p = s.find("%1");
    if (p != std::string::npos)
        s.replace(p, 2, fileName);
    return s;
}

void CDataMessages::Show(int id, const std::string& fileName)
{
    CHostServices::Get().MessageBox(Format(id, fileName),
                                    CHostServices::Ok | CHostServices::IconError);
}
