#pragma once

#include "EditDialogData.h"

#include <QDialog>
#include <cstdint>
#include <memory>
#include <vector>

class CAnnaluxDoc;
class CYearEvent;
struct SEventData;

// "出来事データ": enters, corrects, deletes and browses the records of one
// event library. It works on a private copy of the table; the caller takes
// the copy (GetTable) and the first touched year only after OK, so Cancel
// discards everything, also what 前 and 次 already stored in the copy.
//
// Indexes count the records visible under the document's display priority,
// as the view shows them; the blank form for a new record sits one past the
// last visible record.
class CDialogMakeEvent : public QDialog, public CEditDialogData
{
    Q_OBJECT

public:
    // Opens on a year: on the first record of startYear plus offset (the
    // nearest later record when the year has none). With startYear kNoYear
    // and openAsNew, opens on a blank form for a new record with offset (when
    // not -1) as its year; with startYear kNoYear alone, on the first record.
    CDialogMakeEvent(CAnnaluxDoc* doc, const CYearEvent& table, int32_t startYear, int offset,
                     bool openAsNew, QWidget* parent = nullptr);
    // Opens on the first record equal to record (the first record when none
    // is). Links may be edited.
    CDialogMakeEvent(CAnnaluxDoc* doc, const SEventData& record, const CYearEvent& table,
                     QWidget* parent = nullptr);
    ~CDialogMakeEvent() override;

    // Messages (UTF-8).
    static const char* const kYearRangeMessage;
    static const char* const kEraRangeMessage;
    static const char* const kOtherYearAfterMessage;  // "から": other year before the year
    static const char* const kOtherYearBeforeMessage; // "まで": other year after the year
    static const char* const kNoYearMessage;
    static const char* const kNoEventMessage;
    static const char* const kNothingMessage;
    static const char* const kDeleteQuestion;
    static const char* const kCancelQuestion;
    static const char* const kDayRangeMessage;

    // The working copy.
    const CYearEvent& GetTable() const;
    // The year of every record stored, deleted or tried, and the year a
    // changed record left.
    const std::vector<int32_t>& GetTouchedYears() const;
    // The earliest touched year, from which the caller redraws; 0 when none.
    int32_t GetFirstTouchedYear() const;

    void accept() override;
    void reject() override;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    // Shows the library information of the working copy; true when it was
    // confirmed (it may then have changed the copy).
    virtual bool ShowLibraryInfo(CYearEvent& table);

private:
    void Init(CAnnaluxDoc* doc, const CYearEvent& table);
    void OnPrevious();
    void OnNext();
    void OnNew();
    void OnDelete();
    void OnLink();
    void OnLibraryInfo();

    struct SImpl;
    std::unique_ptr<SImpl> m_impl;
};
