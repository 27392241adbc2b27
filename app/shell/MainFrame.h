#pragma once

#include "ManageMenu.h"

#include <QKeySequence>
#include <QMainWindow>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

class CAnnaluxApp;
class CAnnaluxDoc;
class CAnnaluxView;
class QAction;
class QDialog;
class QLabel;
class QMenu;
class QToolBar;
class QToolButton;

// The main window: the view, the menu bar, the toolbar with its drop-down
// menus and the status bar. Every menu item, toolbar button and drop-down
// item carries a command number; a command is enabled when a handler is
// registered for it and the handler (and the window's own rule for that
// command) allow it. Commands that nothing handles yet stay visible and
// disabled.
class CMainFrame : public QMainWindow
{
    Q_OBJECT

public:
    struct SHandler
    {
        std::function<void()> run;
        std::function<bool()> enabled; // empty: always
        std::function<bool()> checked; // empty: no check mark
    };

    // The idle text of the message pane.
    static const char* const kIdleMessage;
    // The lock-key indicators of the status bar, in order.
    static const char* const kIndicators[4];

    explicit CMainFrame(CAnnaluxApp& app);
    ~CMainFrame() override;

    // ---- commands ------------------------------------------------------
    void SetCommandHandler(int command, SHandler handler);
    bool HasCommandHandler(int command) const;
    // The items of command show what text says (refreshed with the enabling).
    void SetCommandText(int command, std::function<QString()> text);
    bool IsCommandEnabled(int command) const;
    bool IsCommandChecked(int command) const;
    // Carries out an enabled command now; false when it is disabled.
    bool RunCommand(int command);
    // Carries it out once the current event is done.
    void PostCommand(int command);
    // Enables and checks every item and button as the state says.
    void UpdateCommandUI();
    // After New, Open or Save: title, recent files, items.
    void DocumentChanged();

    // ---- what tests and later parts look at -----------------------------
    // The first menu item (or button, or drop-down item) of the command.
    QAction* FindAction(int command) const;
    std::vector<QAction*> FindActions(int command) const;
    // The menu bar's top-level menus, in order.
    std::vector<QMenu*> TopMenus() const;
    QToolBar* GetToolBar() const { return m_toolBar; }
    QToolButton* GetToolButton(int index) const;
    // The drop-down of toolbar button index (null for none), refreshed.
    QMenu* GetToolDropDown(int index);
    QLabel* GetMessagePane() const { return m_messagePane; }
    QLabel* GetIndicator(int index) const;
    CAnnaluxView* GetView() const { return m_view; }
    CManageMenu& GetManageMenu() { return *m_manageMenu; }

    // ---- placement -----------------------------------------------------
    // Shows the window at the place stored on the last close, else at the
    // system's choice.
    void ShowAtSavedPlace();
    // Stores the window's rectangle in LastPos.
    void SavePlace();

    // The lock-key indicators from X11 modifier state bits.
    void SetLockIndicators(bool caps, bool num, bool scroll, bool kana);

protected:
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void CreateMenus();
    void CreateToolBar();
    void CreateStatusBar();
    void InstallHandlers();
    QAction* AddItem(QMenu* menu, int command, const char* text,
                     const std::vector<QKeySequence>& shortcuts = {}, bool checkable = false);
    QAction* MakeAction(int command, const QString& text);
    void RebuildRecentFileItems();
    void FillRecentDropDown(QMenu* menu);
    void UpdateTitle();
    // A settings dialog of the document: run modally, then views refresh.
    void RunDocumentDialog(QDialog& dialog, bool fontsChanged);
    bool HasEventLibrary() const;
    bool HasColumns() const;

    CAnnaluxApp& m_app;
    CAnnaluxDoc& m_doc;
    CAnnaluxView* m_view = nullptr;
    QToolBar* m_toolBar = nullptr;
    QLabel* m_messagePane = nullptr;
    QLabel* m_indicators[4] = {};
    QMenu* m_fileMenu = nullptr;
    QAction* m_recentAnchor = nullptr; // the separator after the recent files
    std::vector<QAction*> m_recentItems;
    std::vector<QToolButton*> m_toolButtons;
    std::vector<QMenu*> m_toolDropDowns;
    std::multimap<int, QAction*> m_actions;
    std::map<int, SHandler> m_handlers;
    std::map<int, std::function<QString()>> m_texts;
    std::unique_ptr<CManageMenu> m_manageMenu;
    int m_docListener = 0;
};
