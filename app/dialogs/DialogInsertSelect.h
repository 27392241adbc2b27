#pragma once

#include <QDialog>
#include <memory>

class CHeaderManager;

// "挿入位置の指定": where a new library column goes. Lists the columns by
// name and kind; the user picks one and whether the new column goes after
// it (the default) or before it. The last column is picked at first, so
// that OK alone appends.
class CDialogInsertSelect : public QDialog
{
    Q_OBJECT

public:
    explicit CDialogInsertSelect(const CHeaderManager& columns, QWidget* parent = nullptr);
    ~CDialogInsertSelect() override;

    // The picked row, -1 when none.
    int GetSelectedRow() const;
    void SetSelectedRow(int row);
    bool GetAfter() const;
    void SetAfter(bool after);

    // The column position a choice stands for: row + 1 after it, row before
    // it. Without a row both mean the very left (position 0).
    static int InsertPosition(int row, bool after);
    int GetInsertPosition() const { return InsertPosition(GetSelectedRow(), GetAfter()); }

private:
    struct SImpl;
    std::unique_ptr<SImpl> m_impl;
};
