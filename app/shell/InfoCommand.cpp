#include "InfoCommand.h"

#include "AnnaluxDoc.h"
#include "BaseYear.h"
#include "GengouEra.h"
#include "ScriptedHostServices.h"
#include "ShiftJis.h"
#include "YearEvent.h"

#include <QString>

#include <cstdio>
#include <iostream>

namespace {

// A JSON string of UTF-8 text; bytes that are not valid UTF-8 (a host file
// name can hold anything) become U+FFFD rather than breaking the output.
std::string Quote(const std::string& utf8)
{
    const QByteArray valid = QString::fromUtf8(utf8.data(), static_cast<int>(utf8.size())).toUtf8();
    std::string out = "\"";
    for (char ch : valid) {
        const unsigned char c = static_cast<unsigned char>(ch);
        switch (c) {
        case '"':
            out += "\\\"";
            break;
        case '\\':
            out += "\\\\";
            break;
        case '\n':
            out += "\\n";
            break;
        case '\r':
            out += "\\r";
            break;
        case '\t':
            out += "\\t";
            break;
        default:
            if (c < 0x20) {
                char escaped[8];
                std::snprintf(escaped, sizeof escaped, "\\u%04x", c);
                out += escaped;
            } else {
                out += ch;
            }
        }
    }
    return out + "\"";
}

std::string FromSjis(const std::string& sjis)
{
    return Quote(CShiftJis::ToUtf8Lossy(sjis));
}

std::string Bool(bool value)
{
    return value ? "true" : "false";
}

std::string Int(long long value)
{
    return std::to_string(value);
}

std::string Column(const CAnnaluxDoc& doc, int index)
{
    const CHeaderManager& columns = doc.GetColumns();
    const int kind = columns.GetKind(index);
    const CTableBase* table = columns.GetTable(index);
    std::string title = "\"西暦\"";
    std::string file = "\"\"";
    std::string records;
    if (table) {
        title = FromSjis(table->GetTableName());
        file = Quote(table->GetFileName());
        if (kind == HT_EVENT)
            records = Int(static_cast<const CYearEvent*>(table)->GetLen());
        else if (kind == HT_GENGOU || kind == HT_PERIOD)
            records = Int(static_cast<const CGengouEra*>(table)->GetSize());
    }
    std::string out = "{ \"kind\": " + Int(kind) + ", \"title\": " + title + ", \"file\": " + file +
                      ", \"left\": " + Int(columns.GetLeft(index)) +
                      ", \"width\": " + Int(columns.GetWidth(index));
    if (!records.empty())
        out += ", \"records\": " + records;
    return out + " }";
}

std::string Font(const CAnnaluxDoc& doc, int slot)
{
    const SLogFont& font = doc.GetFonts().GetFont(slot);
    return "{ \"face\": " + FromSjis(font.GetFaceName()) + ", \"height\": " + Int(font.lfHeight) +
           ", \"weight\": " + Int(font.lfWeight) + ", \"italic\": " + Bool(font.lfItalic != 0) +
           ", \"charSet\": " + Int(font.lfCharSet) +
           ", \"color\": " + Int(doc.GetFonts().GetColor(slot)) + " }";
}

} // namespace

std::string MakeProjectInfoJson(const CAnnaluxDoc& doc)
{
    std::string out = "{\n  \"version\": " + Int(doc.GetFileVersion()) + ",\n  \"columns\": [";
    for (int i = 0; i < doc.GetColumns().GetCount(); ++i)
        out += std::string(i ? ",\n" : "\n") + "    " + Column(doc, i);
    out += doc.GetColumns().GetCount() ? "\n  ],\n" : "],\n";
    out += "  \"scaleYear\": " + Int(doc.GetScaleYear()) + ",\n";
    out += "  \"scaleAccuracy\": " + Int(doc.GetScaleAccuracy()) + ",\n";
    out += "  \"rangeEnabled\": " + Bool(doc.GetRangeEnabled()) + ",\n";
    out += "  \"rangeFrom\": " + Int(doc.GetRangeFrom()) + ",\n";
    out += "  \"rangeTo\": " + Int(doc.GetRangeTo()) + ",\n";
    out += "  \"priorityFilter\": " + Int(doc.GetPriorityFilter()) + ",\n";
    out += "  \"description\": " + FromSjis(doc.GetDescription()) + ",\n";
    out += "  \"wrapLines\": " + Bool(doc.GetWrapLines()) + ",\n";
    out += "  \"fonts\": [";
    for (int slot = 0; slot < CFontManager::kSlotCount; ++slot)
        out += std::string(slot ? ",\n" : "\n") + "    " + Font(doc, slot);
    out += "\n  ],\n";
    out += "  \"colors\": { \"back\": " + Int(doc.GetColor(CAnnaluxDoc::BackColor)) +
           ", \"backEven\": " + Int(doc.GetColor(CAnnaluxDoc::BackColorEven)) +
           ", \"backOdd\": " + Int(doc.GetColor(CAnnaluxDoc::BackColorOdd)) +
           ", \"link\": " + Int(doc.GetColor(CAnnaluxDoc::LinkColor)) +
           ", \"supplement\": " + Int(doc.GetColor(CAnnaluxDoc::SupplementColor)) +
           ", \"about\": " + Int(doc.GetColor(CAnnaluxDoc::AboutColor)) +
           ", \"eventMark\": " + Int(doc.GetColor(CAnnaluxDoc::EventMarkColor)) + " },\n";
    out += "  \"siblingProject\": " + Quote(doc.GetSiblingProject()) + ",\n";
    out += "  \"textMargin\": " + Int(doc.GetTextMargin()) + "\n}\n";
    return out;
}

int RunInfoCommand(const std::vector<std::string>& arguments)
{
    if (arguments.size() != 1)
        return 2;
    // Nobody is there to answer: every message goes to stderr, every
    // question gets "No" and every file dialog is cancelled.
    CScriptedHostServices host;
    host.SetEcho(&std::cerr);
    host.SetDefaultAnswer(CHostServices::AnswerNo);
    CHostServicesScope scope(host);

    CAnnaluxDoc doc;
    if (!doc.OnOpenDocument(arguments[0]))
        return 1;
    std::cout << MakeProjectInfoJson(doc) << std::flush;
    return std::cout.good() ? 0 : 1;
}
