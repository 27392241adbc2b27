#pragma once

#include <QCursor>

// The view's own pointer shapes: one over links, one over supplement marks.
// Drawn once from small pixmaps so that they look alike on every platform.
class CViewCursors
{
public:
    // A pointing hand with an underlined stroke: "this opens a link".
    static const QCursor& Link();
    // An arrow with a small note page: "this shows the explanation".
    static const QCursor& Supplement();
};
