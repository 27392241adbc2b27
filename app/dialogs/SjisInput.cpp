#include "SjisInput.h"

#include "HostServices.h"
#include "HostText.h"
#include "ShiftJis.h"

#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTextCursor>
#include <QTextEdit>
#include <QWidget>

#include <algorithm>

namespace {

// Length in UTF-16 units of the character at pos (a lone surrogate counts
// as one unit of its own).
int CharUnits(const QString& text, int pos)
{
    if (pos + 1 < text.size() && text.at(pos).isHighSurrogate() &&
        text.at(pos + 1).isLowSurrogate())
        return 2;
    return 1;
}

char32_t CodePoint(const QString& text, int pos, int length)
{
    if (length == 2)
        return QChar::surrogateToUcs4(text.at(pos), text.at(pos + 1));
    return text.at(pos).unicode();
}

void SelectInField(QWidget* field, int pos, int length)
{
    field->setFocus();
    if (auto* line = qobject_cast<QLineEdit*>(field)) {
        line->setSelection(pos, length);
        return;
    }
    QTextCursor cursor;
    if (auto* plain = qobject_cast<QPlainTextEdit*>(field))
        cursor = plain->textCursor();
    else if (auto* rich = qobject_cast<QTextEdit*>(field))
        cursor = rich->textCursor();
    else
        return;
    // The document counts a line break as one position, as the string does.
    cursor.setPosition(pos);
    cursor.setPosition(pos + length, QTextCursor::KeepAnchor);
    if (auto* plain = qobject_cast<QPlainTextEdit*>(field))
        plain->setTextCursor(cursor);
    else if (auto* rich = qobject_cast<QTextEdit*>(field))
        rich->setTextCursor(cursor);
}

} // namespace

bool CSjisInput::TryToSjis(const QString& text, std::string& sjis, int* badPos, int* badLength)
{
    // Lone surrogates would silently become replacement characters in UTF-8,
    // so they are looked for first.
    bool surrogatesOk = true;
    for (int i = 0; i < text.size(); i += CharUnits(text, i)) {
        if (text.at(i).isSurrogate() && CharUnits(text, i) == 1) {
            surrogatesOk = false;
            break;
        }
    }
    std::string out;
    if (surrogatesOk && CShiftJis::FromUtf8(CHostText::ToUtf8(text), out)) {
        sjis = std::move(out);
        return true;
    }
    // Find the first character that does not convert on its own.
    std::string piece;
    for (int i = 0; i < text.size();) {
        const int units = CharUnits(text, i);
        const QString one = text.mid(i, units);
        const bool lone = units == 1 && one.at(0).isSurrogate();
        if (lone || !CShiftJis::FromUtf8(CHostText::ToUtf8(one), piece)) {
            if (badPos)
                *badPos = i;
            if (badLength)
                *badLength = units;
            return false;
        }
        i += units;
    }
    // Every character converts alone but not the whole (not expected with
    // CP932, which has no shift states); report the start.
    if (badPos)
        *badPos = 0;
    if (badLength)
        *badLength = text.isEmpty() ? 0 : CharUnits(text, 0);
    return false;
}

bool CSjisInput::ToSjis(const QString& text, std::string& sjis, QWidget* field)
{
    int pos = 0;
    int length = 0;
    if (TryToSjis(text, sjis, &pos, &length))
        return true;
    CHostServices::Get().MessageBox(UnencodableMessage(text, pos, length),
                                    CHostServices::IconWarning);
    if (field)
        SelectInField(field, pos, length);
    return false;
}

QString CSjisInput::FromSjis(const std::string& sjis)
{
    return CHostText::FromSjis(sjis);
}

QString CSjisInput::FromSjisLines(const std::string& sjis)
{
    QString text = FromSjis(sjis);
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    return text;
}

// CR and LF are never trail bytes, so the bytes can be rewritten directly.
std::string CSjisInput::WithCrLf(const std::string& sjis)
{
    std::string out;
    out.reserve(sjis.size() + sjis.size() / 16);
    for (size_t i = 0; i < sjis.size(); ++i) {
        const char c = sjis[i];
        if (c == '\r') {
            if (i + 1 < sjis.size() && sjis[i + 1] == '\n')
                ++i;
            out += "\r\n";
        } else if (c == '\n') {
            out += "\r\n";
        } else {
            out += c;
        }
    }
    return out;
}

std::string CSjisInput::UnencodableMessage(const QString& text, int pos, int length)
{
    if (pos < 0 || pos >= text.size())
        return "Shift-JISで保存できない文字があります。別の文字に置き換えてください。";
    length = std::max(1, std::min(length, static_cast<int>(text.size()) - pos));
    const char32_t code = CodePoint(text, pos, length);
    // A lone surrogate has no glyph to quote; the code alone names it.
    const QString shown =
        (length == 1 && text.at(pos).isSurrogate()) ? QString() : text.mid(pos, length);
    const QString hex = QString::number(static_cast<uint>(code), 16).toUpper();
    const QString codeText = QStringLiteral("U+") + hex.rightJustified(4, QLatin1Char('0'));
    const QString message = QStringLiteral("「%1」(%2) はShift-JISで保存できない文字です。"
                                           "別の文字に置き換えてください。")
                                .arg(shown, codeText);
    return CHostText::ToUtf8(message);
}
