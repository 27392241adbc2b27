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

std::string CDataMessages::ChangedOnDiskText(const std::string& fileName)
{
    return "ファイル " + fileName +
           " は、読み込んだ後（または前回の保存の後）に他のウィンドウかプログラムで"
           "変更されています。\n\n"
           "上書きしますか？\n\n"
           "［はい］上書きします。他での変更は失われます。\n"
           "［いいえ］別の名前で保存します。\n"
           "［キャンセル］保存しません。";
}

CDataMessages::EChangedAnswer CDataMessages::AskAboutChangedFile(const std::string& fileName)
{
    switch (CHostServices::Get().MessageBox(ChangedOnDiskText(fileName),
                                            CHostServices::YesNoCancel |
                                                CHostServices::IconWarning)) {
    case CHostServices::AnswerYes:
        return Overwrite;
    case CHostServices::AnswerNo:
        return SaveAsOther;
    default:
        return DoNotSave;
    }
}
