#pragma once

#include <QObject>

#include <memory>
#include <vector>

class CAnnaluxApp;
class CLibraryCommands;
class CMainFrame;

// Connects the library commands (create, load, save, information, modify and
// add data, delete columns, clear) to the main window's menus, its toolbar
// drop-downs and the column menus. Dialogs run through the application (so
// tests can answer them), the start-up assistant's state is the
// application's, and commands the library commands queue are posted to the
// window. Lives as a child of the main window.
//
// The datum menu's own library commands (merge into the column, move and
// copy the datum) need the view's hit and are connected with the view;
// handlers registered there for the commands both know replace these.
class CLibraryCommandWiring : public QObject
{
    Q_OBJECT

public:
    // Add data to a library of a kind, chosen from the libraries loaded.
    enum ECommand : int
    {
        ID_ADD_GENGOU = 32853,
        ID_ADD_ERA = 32854,
        ID_ADD_EVENT = 32855,
    };

    // Registers every command with the frame.
    static CLibraryCommandWiring* Install(CMainFrame& frame, CAnnaluxApp& app);
    // The wiring installed in frame, or null.
    static CLibraryCommandWiring* Of(CMainFrame& frame);
    // The commands Install registers, in no particular order.
    static std::vector<int> Commands();

    ~CLibraryCommandWiring() override;

    CLibraryCommands& GetLibraryCommands() { return *m_commands; }

private:
    CLibraryCommandWiring(CMainFrame& frame, CAnnaluxApp& app);
    void Register();
    // The column a column menu was opened on, when it shows a library of
    // kind (0: any kind); -1 otherwise.
    int CurrentLibraryColumn(int kind = 0) const;

    CMainFrame& m_frame;
    CAnnaluxApp& m_app;
    std::unique_ptr<CLibraryCommands> m_commands;
};
