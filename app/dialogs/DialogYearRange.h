#pragma once

#include <QDialog>
#include <cstdint>
#include <memory>

class CAnnaluxDoc;

// "表示範囲年の設定": whether the table shows only a range of years, and
// which. OK checks the years (with the range on, the start must lie before
// the end) and stores the three values in the document, which relays out
// and repaints when they changed; OK always marks the document modified.
class CDialogYearRange : public QDialog
{
    Q_OBJECT

public:
    explicit CDialogYearRange(CAnnaluxDoc* doc, QWidget* parent = nullptr);
    ~CDialogYearRange() override;

    // Messages (UTF-8).
    static const char* const kOrderMessage;       // end not after start
    static const char* const kStartNumberMessage; // start is not a year
    static const char* const kEndNumberMessage;   // end is not a year

    // The values accepted by the last OK (the document's on opening).
    bool GetRangeEnabled() const;
    int32_t GetRangeFrom() const;
    int32_t GetRangeTo() const;

    void accept() override;

private:
    struct SImpl;
    std::unique_ptr<SImpl> m_impl;
};
