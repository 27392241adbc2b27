#include "EditDialogData.h"

#include "DialogSetLink.h"
#include "HostText.h"
#include "HtmlManage.h"
#include "ShiftJis.h"

#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTextCursor>
#include <QTextEdit>

#include <string>
#include <vector>

namespace {

CEditDialogData::LinkDialogRunner& Runner()
{
    static CEditDialogData::LinkDialogRunner runner;
    return runner;
}

// The field's text as Shift-JIS bytes, with the UTF-16 position of every
// byte, so that the link parser's byte indices map back into the field.
// Characters Shift-JIS cannot hold stand as '?' here; they are refused when
// the editor stores the field, not while a link is edited.
struct SMappedText
{
    std::string bytes;
    std::vector<int> unitOf; // bytes.size() + 1 entries

    explicit SMappedText(const QString& text)
    {
        std::string piece;
        for (int i = 0; i < text.size();) {
            int units = 1;
            if (i + 1 < text.size() && text.at(i).isHighSurrogate() &&
                text.at(i + 1).isLowSurrogate())
                units = 2;
            if (!CShiftJis::FromUtf8(CHostText::ToUtf8(text.mid(i, units)), piece) || piece.empty())
                piece = "?";
            for (size_t k = 0; k < piece.size(); ++k)
                unitOf.push_back(i);
            bytes += piece;
            i += units;
        }
        unitOf.push_back(static_cast<int>(text.size()));
    }
    int UnitAt(size_t byte) const { return unitOf[std::min(byte, unitOf.size() - 1)]; }
    size_t ByteOfUnit(int unit) const
    {
        for (size_t b = 0; b < unitOf.size(); ++b)
            if (unitOf[b] >= unit)
                return b;
        return bytes.size();
    }
};

struct SLinkAround
{
    int begin = 0; // UTF-16 positions of the whole markup, end exclusive
    int end = 0;
    QString name;
    QString target;
};

// The link whose markup holds the cursor, whichever link of the text it is.
bool FindLinkAround(const QString& text, int cursor, SLinkAround& found)
{
    const SMappedText mapped(text);
    const std::string lower = CShiftJis::ToLowerAscii(mapped.bytes);
    const int pos = static_cast<int>(mapped.ByteOfUnit(cursor));
    for (size_t open = CShiftJis::Find(lower, "<a"); open != CShiftJis::npos;
         open = CShiftJis::Find(lower, "<a", open + 2)) {
        if (static_cast<int>(open) > pos)
            break;
        // The parser looks at the first link of what it is given, so each
        // link in turn is handed over as the start of the text.
        const std::string tail = mapped.bytes.substr(open);
        std::string url, label;
        int begin = 0, end = 0;
        if (!CHtmlManage::GetLinkFromString(tail, pos - static_cast<int>(open), url, label, begin,
                                            end))
            continue;
        const size_t markupBegin = open + static_cast<size_t>(begin);
        const size_t markupEnd = open + static_cast<size_t>(end);
        const size_t urlBegin = CShiftJis::FindChar(mapped.bytes, '"', markupBegin) + 1;
        const size_t labelEnd = markupEnd - 4; // before "</A>"
        const size_t labelBegin = labelEnd - label.size();
        found.begin = mapped.UnitAt(markupBegin);
        found.end = mapped.UnitAt(markupEnd);
        found.target = text.mid(mapped.UnitAt(urlBegin),
                                mapped.UnitAt(urlBegin + url.size()) - mapped.UnitAt(urlBegin));
        found.name = text.mid(mapped.UnitAt(labelBegin),
                              mapped.UnitAt(labelEnd) - mapped.UnitAt(labelBegin));
        return true;
    }
    return false;
}

int RunDialog(CDialogSetLink& dialog)
{
    if (Runner())
        return Runner()(dialog);
    return dialog.exec();
}

} // namespace

CEditDialogData::~CEditDialogData() = default;

void CEditDialogData::SetLinkDialogRunnerForTesting(LinkDialogRunner runner)
{
    Runner() = std::move(runner);
}

bool CEditDialogData::RunLinkStep(QWidget* edit)
{
    if (!edit)
        return false;
    auto* line = qobject_cast<QLineEdit*>(edit);
    auto* plain = qobject_cast<QPlainTextEdit*>(edit);
    auto* rich = qobject_cast<QTextEdit*>(edit);
    if (!line && !plain && !rich)
        return false;

    QString text;
    int selStart = 0, selEnd = 0;
    QTextCursor cursor;
    if (line) {
        text = line->text();
        selStart = line->hasSelectedText() ? line->selectionStart() : line->cursorPosition();
        selEnd = line->hasSelectedText() ? line->selectionEnd() : selStart;
    } else {
        cursor = plain ? plain->textCursor() : rich->textCursor();
        text = plain ? plain->toPlainText() : rich->toPlainText();
        selStart = cursor.selectionStart();
        selEnd = cursor.selectionEnd();
    }

    QString name, target;
    SLinkAround link;
    if (FindLinkAround(text, selStart, link)) {
        name = link.name;
        target = link.target;
        selStart = link.begin;
        selEnd = std::max(link.end, selEnd);
    } else if (selEnd > selStart) {
        // A line break in a selection cannot be part of a link name.
        name = text.mid(selStart, selEnd - selStart);
        name.replace(QChar(0x2029), QLatin1Char(' '));
        name.replace(QLatin1Char('\n'), QLatin1Char(' '));
        name.replace(QLatin1Char('\r'), QString());
    }

    // Show what is going to be replaced while the dialog is open.
    if (line) {
        line->setSelection(selStart, selEnd - selStart);
    } else {
        cursor.setPosition(selStart);
        cursor.setPosition(selEnd, QTextCursor::KeepAnchor);
        if (plain) {
            plain->setTextCursor(cursor);
            plain->ensureCursorVisible();
        } else {
            rich->setTextCursor(cursor);
            rich->ensureCursorVisible();
        }
    }

    CDialogSetLink dialog(name, target, edit->window());
    if (RunDialog(dialog) != QDialog::Accepted)
        return false;
    const QString markup = dialog.GetResult();
    if (line) {
        line->setSelection(selStart, selEnd - selStart);
        line->insert(markup); // one step of the field's undo
    } else {
        cursor.setPosition(selStart);
        cursor.setPosition(selEnd, QTextCursor::KeepAnchor);
        cursor.insertText(markup);
        if (plain)
            plain->setTextCursor(cursor);
        else
            rich->setTextCursor(cursor);
    }
    edit->setFocus();
    return true;
}
