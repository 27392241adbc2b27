#pragma once

#include <functional>
#include <string>

class QLineEdit;

// The OK of the jump dialogs: the typed text, trimmed and in Shift-JIS, is
// handed to go. Text Shift-JIS cannot hold is refused by name; empty text or
// text go does not find is told with notFound and left selected for another
// try. True when go moved the view.
class CGotoText
{
public:
    static bool Try(QLineEdit* edit, const char* notFound,
                    const std::function<bool(const std::string&)>& go);
};
