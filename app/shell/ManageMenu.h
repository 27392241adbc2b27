#pragma once

#include <functional>
#include <string>
#include <vector>

class CAnnaluxDoc;
class QMenu;
class QWidget;

// The pop-up menu of a column header: what can be done with the column and
// its library, by the column's kind. The commands themselves belong to the
// main window, which says which of them are enabled and carries them out.
class CManageMenu
{
public:
    struct SItem
    {
        int command = 0; // 0: a separator
        const char* text = nullptr;
    };
    using EnabledQuery = std::function<bool(int command)>;
    using Runner = std::function<void(int command)>;

    CManageMenu(CAnnaluxDoc* doc, QWidget* owner, EnabledQuery enabled, Runner run);

    // The items of a column of this kind (0..4; an unknown kind gets the
    // year column's single item).
    static std::vector<SItem> ItemsForKind(int kind);
    // Fills menu with the items of the kind, each enabled as the main window
    // says; choosing one runs its command.
    void BuildMenu(int kind, QMenu& menu) const;

    // Makes column the document's current column and shows its menu at the
    // screen point; false when nothing was chosen. A column index outside
    // the columns is a programming error: std::out_of_range.
    bool ShowColumnMenu(int column, int screenX, int screenY);

private:
    CAnnaluxDoc* m_doc;
    QWidget* m_owner;
    EnabledQuery m_enabled;
    Runner m_run;
};
