#pragma once

#include <QDialog>
#include <QStringList>
#include <memory>

// "ﾃﾞｰﾀ選択": which of several loaded libraries of one kind a command is to
// change or add to. OK without a choice asks for one and keeps the dialog
// open.
class CSelectData : public QDialog
{
    Q_OBJECT

public:
    // Message (UTF-8).
    static const char* const kNothingChosenMessage;

    // titles: the libraries in document order.
    explicit CSelectData(const QStringList& titles, QWidget* parent = nullptr);
    ~CSelectData() override;

    // The chosen library's index, -1 when none.
    int GetIndex() const;
    void SetIndex(int index);

    void accept() override;

private:
    struct SImpl;
    std::unique_ptr<SImpl> m_impl;
};
