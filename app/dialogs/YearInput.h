#pragma once

#include <QString>

#include <cstdint>

class QWidget;

// What every year field shares. Years count ..., -2, -1, 1, 2, ...: the year
// before 1 is -1, and a 0 typed into a year field is refused rather than
// stored as a year no table can place.
class CYearInput
{
public:
    static const char* const kYearZeroMessage;

    // True when text (blanks aside) is a zero in any spelling ("0", "-0",
    // "+00"), which the number parsers would otherwise take as year 0.
    static bool IsZero(const QString& text);
    // Shows kYearZeroMessage and puts the focus on field with its text
    // selected.
    static void RefuseZero(QWidget* field);
};
