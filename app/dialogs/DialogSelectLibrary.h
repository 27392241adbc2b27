#pragma once

#include <QDialog>
#include <QString>
#include <memory>

// "ﾗｲﾌﾞﾗﾘ選択": which kind of library a command is to load or change. The
// four kinds are offered as options 0..3 (元号, 時代, 基点年, 出来事), an
// order that differs from the kind numbers; KindFromOption and
// OptionFromKind translate. The text above the options is the caller's.
class CDialogSelectLibrary : public QDialog
{
    Q_OBJECT

public:
    static constexpr int kOptionCount = 4;
    static constexpr int kDefaultOption = 3; // events

    // The default text (UTF-8).
    static const char* const kLoadText;

    // Option 0..3 -> library kind 1, 3, 2, 4; 0 for anything else.
    static int KindFromOption(int option);
    // Library kind -> option; -1 for a kind that is not a library.
    static int OptionFromKind(int kind);
    // Tool tip of an option in this dialog ("...データを読み込みます").
    static const char* LoadToolTip(int option);

    explicit CDialogSelectLibrary(QWidget* parent = nullptr);
    ~CDialogSelectLibrary() override;

    void SetText(const QString& text);
    QString GetText() const;
    // An option outside 0..3 selects the default.
    void SetOption(int option);
    int GetOption() const;
    int GetKind() const { return KindFromOption(GetOption()); }

private:
    struct SImpl;
    std::unique_ptr<SImpl> m_impl;
};
