#pragma once

#include <QDialog>
#include <memory>

// "ライブラリ選択": which kind of library to create. The options are those of
// CDialogSelectLibrary (0 元号, 1 時代, 2 基点年, 3 出来事), events chosen
// at first.
class CDialogCreateLibrarySelect : public QDialog
{
    Q_OBJECT

public:
    explicit CDialogCreateLibrarySelect(QWidget* parent = nullptr);
    ~CDialogCreateLibrarySelect() override;

    // An option outside 0..3 selects events.
    void SetOption(int option);
    int GetOption() const;
    // The library kind of the chosen option.
    int GetKind() const;

private:
    struct SImpl;
    std::unique_ptr<SImpl> m_impl;
};
