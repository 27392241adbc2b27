#pragma once

class QLineEdit;
class QWidget;

// Year and number fields take plain digits: the input method is switched off
// there, so that a Japanese keyboard does not produce full-width digits the
// program would not read. Name fields keep it on.
class CInputMethod
{
public:
    // Input method off, digits-only hints; a line edit also accepts only an
    // optional sign and up to maxDigits digits.
    static void MakeNumberField(QLineEdit* edit, bool allowSign, int maxDigits);
    static void SwitchOff(QWidget* widget);
    static void SwitchOn(QWidget* widget);
};
