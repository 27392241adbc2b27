#include "ManageMenu.h"

#include "AnnaluxDoc.h"
#include "CommandIds.h"
#include "HeaderKind.h"

#include <QAction>
#include <QMenu>
#include <QPoint>
#include <stdexcept>

namespace {

const char* const kDeleteColumn = "この列を消去する";

void AppendLibraryItems(std::vector<CManageMenu::SItem>& items)
{
    items.push_back({0, nullptr});
    items.push_back({ID_LIBRARY_INFO, "ライブラリ情報"});
    items.push_back({0, nullptr});
    items.push_back({ID_LIBRARY_SAVE, "ライブラリを上書き保存(&S)"});
    items.push_back({ID_LIBRARY_SAVE_AS, "ライブラリを名前を付けて保存(&A)"});
    items.push_back({ID_LIBRARY_SAVE_ALL, "すべてのライブラリを上書き保存(&V)"});
}

} // namespace

CManageMenu::CManageMenu(CAnnaluxDoc* doc, QWidget* owner, EnabledQuery enabled, Runner run)
    : m_doc(doc), m_owner(owner), m_enabled(std::move(enabled)), m_run(std::move(run))
{}

std::vector<CManageMenu::SItem> CManageMenu::ItemsForKind(int kind)
{
    std::vector<SItem> items;
    switch (kind) {
    case CK_GENGOU:
        items = {{ID_COLUMN_MODIFY_GENGOU, "元号データ修正"},
                 {ID_COLUMN_ADD_GENGOU, "元号データ追加"},
                 {ID_COLUMN_DELETE_THIS, kDeleteColumn}};
        break;
    case CK_BASEYEAR:
        items = {{ID_COLUMN_MODIFY_BASEYEAR, "基点年データ修正"},
                 {ID_COLUMN_DELETE_THIS, kDeleteColumn}};
        break;
    case CK_ERA:
        items = {{ID_COLUMN_MODIFY_ERA, "時代データ修正"},
                 {ID_COLUMN_ADD_ERA, "時代データ追加"},
                 {ID_COLUMN_DELETE_THIS, kDeleteColumn}};
        break;
    case CK_EVENT:
        items = {{ID_COLUMN_MODIFY_EVENT, "出来事データ修正"},
                 {ID_COLUMN_ADD_EVENT, "出来事データ追加"},
                 {ID_COLUMN_DELETE_THIS, kDeleteColumn}};
        break;
    default:
        return {{ID_COLUMN_DELETE_THIS, kDeleteColumn}};
    }
    AppendLibraryItems(items);
    return items;
}

void CManageMenu::BuildMenu(int kind, QMenu& menu) const
{
    for (const SItem& item : ItemsForKind(kind)) {
        if (item.command == 0) {
            menu.addSeparator();
            continue;
        }
        QAction* action = menu.addAction(QString::fromUtf8(item.text));
        action->setData(item.command);
        action->setEnabled(!m_enabled || m_enabled(item.command));
        const int command = item.command;
        const Runner run = m_run;
        QObject::connect(action, &QAction::triggered, &menu, [run, command] {
            if (run)
                run(command);
        });
    }
}

bool CManageMenu::ShowColumnMenu(int column, int screenX, int screenY)
{
    if (!m_doc || column < 0 || column >= m_doc->GetColumns().GetCount())
        throw std::out_of_range("column index out of range");
    m_doc->SetCurrentColumn(column);
    QMenu menu(m_owner);
    BuildMenu(m_doc->GetColumns().GetKind(column), menu);
    if (menu.exec(QPoint(screenX, screenY)))
        return true;
    // Dismissed: no later command may take this column for its own.
    m_doc->SetCurrentColumn(-1);
    return false;
}
