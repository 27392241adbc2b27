#pragma once

#include <QDialog>
#include <memory>

class CAnnaluxDoc;

// "列設定": the width of a new column and the same-width rule, per column
// kind. OK (after every width passed the 1..10000 check) stores the five
// pairs in the document's column defaults and writes all ten settings;
// existing columns keep their widths.
class CDialogSetRow : public QDialog
{
    Q_OBJECT

public:
    explicit CDialogSetRow(CAnnaluxDoc* doc, QWidget* parent = nullptr);
    ~CDialogSetRow() override;

    // The message of a width outside 1..10000 (UTF-8).
    static const char* const kWidthRangeMessage;

    void accept() override;

private:
    struct SImpl;
    std::unique_ptr<SImpl> m_impl;
};
