#pragma once

#include <QDialog>
#include <QString>
#include <cstdint>
#include <memory>
#include <string>

class CAnnaluxDoc;
class CBaseYear;

// The values "基点年入力" edits. Texts are Shift-JIS; years kNoYear for none.
struct SBaseYearValues
{
    std::string title;
    int32_t startYear = 0;
    int32_t endYear = 2147483647;
    QString startKind = QStringLiteral("西暦"); // "西暦" or an era item
    QString endKind = QStringLiteral("西暦");   // "西暦", "設定しない" or an era item
    std::string supplement;
    bool kazoe = false;
    bool displayMinus = false;
    bool minus1 = false;
    bool endYearPlus = false;
    bool endYearKaiki = false;
    bool beginYearQuest = false;
    bool endYearQuest = false;

    // What the editor is opened with for a table, and how OK writes back
    // (each setter marks the table modified only when a value differs).
    static SBaseYearValues FromTable(const CBaseYear& table);
    void ToTable(CBaseYear& table) const;
};

// "基点年入力": the single definition of a base-year library. Years may be
// given as a year of an era of the chronology; OK converts them to Western
// years.
class CDialogBaseYear : public QDialog
{
    Q_OBJECT

public:
    explicit CDialogBaseYear(const CAnnaluxDoc* doc, QWidget* parent = nullptr);
    ~CDialogBaseYear() override;

    static const char* const kNoTitleMessage;
    static const char* const kNoStartMessage;
    static const char* const kEraRangeMessage;
    static const char* const kStartNumberMessage;
    static const char* const kEndNumberMessage;

    // Fills the form; the values accepted by OK come back from GetValues.
    void SetValues(const SBaseYearValues& values);
    const SBaseYearValues& GetValues() const;

    void accept() override;

private:
    void UpdateDependentChecks();
    void OnStartKind(int index);
    void OnEndKind(int index);

    struct SImpl;
    std::unique_ptr<SImpl> m_impl;
};
