#pragma once

#include <string>

class CAnnaluxView;
class CMainFrame;
class QWidget;

// The search and jump commands of the main window (event search, go to a
// year, go to a period) and the supplement window a search hit opens.
class CSearchCommandWiring
{
public:
    // Registers the three commands with the frame (enabled while the
    // chronology holds an event library) and shows supplements for the
    // view's search hits.
    static void Install(CMainFrame& frame);

    // The one supplement window of owner: a non-empty text is shown in it,
    // opening it when none is open (and then only when openIfClosed); an empty
    // text empties an open window. Closing the window clears the view's search
    // hit.
    static void ShowSupplement(QWidget* owner, CAnnaluxView* view, const std::string& sjis,
                               bool openIfClosed = true);
};
