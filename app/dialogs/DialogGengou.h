#pragma once

#include "EditDialogData.h"
#include "GengouEra.h"

#include <QDialog>
#include <cstdint>
#include <memory>

// "元号/時代データ": browses and edits the rows of one era-name library
// (kind 1) or period library (kind 3) on a private copy; the caller takes
// GetTable() back only after OK. 前/次 store the row on show before moving;
// a row that cannot be stored (incomplete, years reversed, a name the
// library already has) keeps the form and says why.
class CDialogGengou : public QDialog, public CEditDialogData
{
    Q_OBJECT

public:
    // startYear: the row to show first (kNoYear: the first row); openAsNew:
    // start on a blank new row.
    CDialogGengou(const CGengouEra& table, int kind, int32_t startYear, bool openAsNew,
                  QWidget* parent = nullptr);
    ~CDialogGengou() override;

    // Messages (UTF-8).
    static const char* const kOrderMessage;
    static const char* const kNoNameMessage;
    static const char* const kNoStartMessage;
    static const char* const kNothingMessage;
    static const char* const kDeleteQuestion;
    static const char* const kCancelQuestion;
    static const char* const kStartNumberMessage;
    static const char* const kEndNumberMessage;
    static const char* const kDuplicateMessage; // "%1": the name

    const CGengouEra& GetTable() const;
    int GetCurrentIndex() const;
    bool IsNewEntryMode() const;

    void accept() override;
    void reject() override;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void OnNew();
    void OnNext();
    void OnPrev();
    void OnDelete();
    void OnLink();
    void OnInfo();

    struct SImpl;
    std::unique_ptr<SImpl> m_impl;
};
