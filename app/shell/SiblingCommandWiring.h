#pragma once

#include <QDBusConnection>
#include <string>

class CMainFrame;
class CSiblingLink;

// The Figurant commands of the main menu and of the datum menu: choose a
// Figurant project and show it, or show the linked one, at the year the view
// shows. Also makes the frame's link and lets a year Figurant sends scroll
// the view.
class CSiblingCommandWiring
{
public:
    // The filter of the project dialog.
    static const char* const kProjectFilter;

    // With the session bus, or the bus given (tests).
    static CSiblingLink* Install(CMainFrame& frame);
    static CSiblingLink* Install(CMainFrame& frame, const QDBusConnection& bus);
};
