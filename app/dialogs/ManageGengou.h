#pragma once

#include <QString>
#include <cstdint>
#include <string>

class CAnnaluxDoc;
class QComboBox;

// The era names of a chronology as the editors offer them: one item per era
// of every era-name library, "name(～length)", and the way back from such
// an item and a year of the era to a Western year.
class CManageGengou
{
public:
    explicit CManageGengou(const CAnnaluxDoc* doc) : m_doc(doc) {}

    // The item of one era (name without link markup, length in years).
    static QString ItemText(const std::string& sjisName, int32_t startYear, int32_t endYear);

    // Appends an item per era (libraries in document order, eras in table
    // order) to combo and, when given, to second.
    void Fill(QComboBox* combo, QComboBox* second = nullptr) const;

    // The Western year of year eraYear of the era named by text: every
    // era-name library is asked in turn and the first answer wins. When none
    // knows the text and it holds a '(', it is cut before its last '(' and
    // asked again, so an item of Fill converts as well as a bare name.
    // kNoYear when nothing matches.
    int32_t GetWesternYear(const std::string& sjisText, int32_t eraYear) const;
    int32_t GetWesternYear(const QString& text, int32_t eraYear) const;

private:
    const CAnnaluxDoc* m_doc;
};
