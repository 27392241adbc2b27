#pragma once

#include <QObject>

#include <memory>
#include <string>

class CAnnaluxDoc;
class CAnnaluxView;
class CLibraryCommands;
class CMainFrame;
class QWidget;

// Connects the view's datum commands and requests to the rest of the
// program: the editors a double click or "このデータを修正する..." opens, the
// library operations of the datum menu (move, copy, merge, save,
// information), the supplement window, links and the column menu. Lives as a
// child of the main window.
class CViewCommandWiring : public QObject
{
    Q_OBJECT

public:
    // Registers the commands with the frame and connects the view.
    static CViewCommandWiring* Install(CMainFrame& frame);

    CLibraryCommands& GetLibraryCommands() { return *m_library; }

    // The editors for the view's last hit; true when they ended with OK (the
    // library then holds the edited copy and the views are updated).
    bool EditHit();
    bool AddAtHit();
    // The one supplement window of the frame, opened or given the text.
    void ShowSupplement(const std::string& sjis);

    ~CViewCommandWiring() override;

private:
    explicit CViewCommandWiring(CMainFrame& frame);
    void Register();
    int ContextColumn() const;

    CMainFrame& m_frame;
    CAnnaluxView* m_view;
    CAnnaluxDoc* m_doc;
    std::unique_ptr<CLibraryCommands> m_library;
};
