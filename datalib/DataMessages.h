#pragma once

#include "AnnaluxDataExport.h"

#include <string>

// The data library's own string table: the file-error messages that its
// readers and writers show themselves. Texts are UTF-8.
class ANNALUX_DATA_EXPORT CDataMessages
{
public:
    enum EId {
        InvalidFormat = 61447, // "ファイル %1 のフォーマットが正しくありません"
        WriteFailed = 61448,   // "ファイル %1 への書き込みに失敗しました"
        ReadFailed = 61451,    // "ファイル %1 の読込みに失敗しました"
    };

    // The text of the string id with %1 replaced by fileName; empty for an
    // unknown id.
    static std::string Format(int id, const std::string& fileName);
    // Shows the message through the host services (OK button, error icon).
    static void Show(int id, const std::string& fileName);

    // What to do with a file that changed on disk since it was read or last
    // saved, asked before a save would overwrite it.
    enum EChangedAnswer {
        Overwrite,  // save over the other change
        SaveAsOther, // save under another name
        DoNotSave,
    };
    static std::string ChangedOnDiskText(const std::string& fileName);
    static EChangedAnswer AskAboutChangedFile(const std::string& fileName);
};
