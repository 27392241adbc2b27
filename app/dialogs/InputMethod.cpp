#include "InputMethod.h"

#include <QLineEdit>
#include <QRegularExpression>
#include <QRegularExpressionValidator>

void CInputMethod::SwitchOff(QWidget* widget)
{
    widget->setAttribute(Qt::WA_InputMethodEnabled, false);
    widget->setInputMethodHints(Qt::ImhDigitsOnly | Qt::ImhLatinOnly | Qt::ImhNoPredictiveText);
}

void CInputMethod::SwitchOn(QWidget* widget)
{
    widget->setAttribute(Qt::WA_InputMethodEnabled, true);
    widget->setInputMethodHints(Qt::ImhNone);
}

void CInputMethod::MakeNumberField(QLineEdit* edit, bool allowSign, int maxDigits)
{
    SwitchOff(edit);
    const QString pattern = QStringLiteral("%1[0-9]{0,%2}")
                                .arg(allowSign ? QStringLiteral("[-+]?") : QString())
                                .arg(maxDigits);
    edit->setValidator(new QRegularExpressionValidator(QRegularExpression(pattern), edit));
}
