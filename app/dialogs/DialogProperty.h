#pragma once

#include <QDialog>
#include <memory>
#include <string>

class CTableBase;

// "ライブラリ情報": a library's title and description, and for an event
// library whether new records start at today's date. OK refuses an empty
// title and text Shift-JIS cannot hold, then writes the three values into
// the table (which marks itself modified when one changed).
class CDialogProperty : public QDialog
{
    Q_OBJECT

public:
    // Message (UTF-8).
    static const char* const kNoTitleMessage;

    // kind: the table's library kind; only events (4) offer the date box.
    CDialogProperty(CTableBase* table, int kind, QWidget* parent = nullptr);
    ~CDialogProperty() override;

    void accept() override;

private:
    struct SImpl;
    std::unique_ptr<SImpl> m_impl;
};
