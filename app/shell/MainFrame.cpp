#include "MainFrame.h"

#include "AnnaluxApp.h"
#include "AnnaluxDoc.h"
#include "AnnaluxView.h"
#include "CommandIds.h"
#include "DialogFontSet.h"
#include "DialogSetColors.h"
#include "DialogSetRow.h"
#include "DialogYearRange.h"
#include "ExchangeCommandWiring.h"
#include "HostText.h"
#include "LibraryCommandWiring.h"
#include "LoadProgress.h"
#include "PrintCommandWiring.h"
#include "SearchCommandWiring.h"
#include "SiblingCommandWiring.h"
#include "SaveFile.h"
#include "Settings.h"
#include "ViewCommandWiring.h"

#include <QAction>
#include <QActionGroup>
#include <QApplication>
#include <QCloseEvent>
#include <QGuiApplication>
#include <QIcon>
#include <QKeyEvent>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QScreen>
#include <QStatusBar>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>
#include <algorithm>

// The icons are compiled into a static library; make sure its resources are
// registered whoever links it.
static void InitShellResources()
{
    Q_INIT_RESOURCE(annalux);
}

const char* const CMainFrame::kIdleMessage = "レディ";
const char* const CMainFrame::kIndicators[4] = {"ｶﾅ", "CAP", "NUM", "SCRL"};

namespace {

// How long a command posted during a load waits before it looks again.
constexpr int kLoadWaitMs = 50;

struct SZoomItem
{
    int command;
    int percent;
};
const SZoomItem kZoomItems[] = {
    {ID_ZOOM_10, 10},   {ID_ZOOM_30, 30},   {ID_ZOOM_50, 50},   {ID_ZOOM_70, 70},
    {ID_ZOOM_90, 90},   {ID_ZOOM_100, 100}, {ID_ZOOM_150, 150}, {ID_ZOOM_200, 200},
    {ID_ZOOM_250, 250}, {ID_ZOOM_300, 300},
};

const int kDocumentSettingCommands[] = {
    CAnnaluxDoc::ID_ACCURACY_EXACT,  CAnnaluxDoc::ID_ACCURACY_NEARLY,
    CAnnaluxDoc::ID_ACCURACY_PACKED, CAnnaluxDoc::ID_SCALE_1,
    CAnnaluxDoc::ID_SCALE_10,        CAnnaluxDoc::ID_SCALE_100,
    CAnnaluxDoc::ID_PRIORITY_ALL,    CAnnaluxDoc::ID_PRIORITY_MIDDLE,
    CAnnaluxDoc::ID_PRIORITY_HIGH,   CAnnaluxDoc::ID_WRAP_LINES,
    CAnnaluxDoc::ID_SUPPLEMENT_MARK,
};

// A drop-down item or toolbar button: its command and its text.
struct SToolItem
{
    int command;
    const char* text;
};

struct SToolButton
{
    int command;
    const char* text;
    const char* icon;
    std::vector<SToolItem> dropDown; // empty: none (the open button's is built)
    bool recentFiles;
};

const std::vector<SToolButton>& ToolButtons()
{
    static const std::vector<SToolButton> buttons = {
        {ID_FILE_NEW, "新規作成", "new", {}, false},
        {ID_FILE_OPEN, "開く", "open", {}, true},
        {ID_FILE_SAVE, "上書き", "save", {}, false},
        {ID_FILE_PRINT,
         "印刷",
         "print",
         {{ID_FILE_PRINT, "印刷"}, {ID_FILE_PRINT_PREVIEW, "印刷プレビュー"}},
         false},
        {ID_MODIFY_SELECT,
         "ﾃﾞｰﾀ修正",
         "modify",
         {{ID_MODIFY_EVENT, "出来事"},
          {ID_MODIFY_GENGOU, "元号"},
          {ID_MODIFY_ERA, "時代"},
          {ID_MODIFY_BASEYEAR, "基点年"}},
         false},
        {ID_LIBRARY_NEW,
         "ﾃﾞｰﾀ新規",
         "library-new",
         {{ID_NEW_EVENT_LIBRARY, "出来事"},
          {ID_NEW_GENGOU_LIBRARY, "元号"},
          {ID_NEW_ERA_LIBRARY, "時代"},
          {ID_NEW_BASEYEAR_LIBRARY, "基点年"}},
         false},
        {ID_LIBRARY_LOAD,
         "ﾃﾞｰﾀ読込",
         "library-load",
         {{ID_LOAD_EVENT_LIBRARY, "出来事"},
          {ID_LOAD_GENGOU_LIBRARY, "元号"},
          {ID_LOAD_ERA_LIBRARY, "時代"},
          {ID_LOAD_BASEYEAR_LIBRARY, "基点年"}},
         false},
        {ID_SEARCH_EVENT,
         "検索",
         "search",
         {{ID_SEARCH_EVENT, "出来事検索"}, {ID_JUMP_YEAR, "年移動"}, {ID_JUMP_ERA, "時代検索"}},
         false},
    };
    return buttons;
}

// The text of a menu item without its mnemonic and accelerator, for the
// status bar's description of the item.
QString PlainText(const QString& text)
{
    QString plain = text.section(QLatin1Char('\t'), 0, 0);
    const int open = plain.indexOf(QStringLiteral("(&"));
    if (open >= 0 && plain.indexOf(QLatin1Char(')'), open) == open + 3)
        plain.remove(open, 4);
    plain.remove(QLatin1Char('&'));
    return plain;
}

} // namespace

CMainFrame::CMainFrame(CAnnaluxApp& app) : m_app(app), m_doc(app.GetDocument())
{
    InitShellResources();
    QIcon icon(QStringLiteral(":/icons/annalux.png"));
    icon.addFile(QStringLiteral(":/icons/annalux@2x.png"));
    // Every window of the program, the About box and the task switcher show
    // the program's own icon.
    QApplication::setWindowIcon(icon);
    setWindowIcon(icon);
    m_manageMenu = std::make_unique<CManageMenu>(
        &m_doc, this, [this](int command) { return IsCommandEnabled(command); },
        [this](int command) { RunCommand(command); });

    m_view = new CAnnaluxView(&m_doc, this);
    setCentralWidget(m_view);

    InstallHandlers();
    CLibraryCommandWiring::Install(*this, m_app);
    CSearchCommandWiring::Install(*this);
    CPrintCommandWiring::Install(*this);
    CExchangeCommandWiring::Install(*this, m_app);
    CreateMenus();
    CreateToolBar();
    CreateStatusBar();
    CViewCommandWiring::Install(*this);
    CSiblingCommandWiring::Install(*this);
    connect(m_view, &CAnnaluxView::statusTextChanged, this, [this](const QString& text) {
        m_messagePane->setText(text.isEmpty() ? QString::fromUtf8(kIdleMessage) : text);
    });

    m_docListener = m_doc.AddListener([this](CAnnaluxDoc::EViewNotice) {
        UpdateTitle();
        UpdateCommandUI();
    });
    m_reloadCheck.SetProgressMaker([this]() -> std::unique_ptr<CReadProgress> {
        return std::make_unique<CLoadProgress>(this, CLoadProgress::kReloadHeading);
    });
    qApp->installEventFilter(this);
    resize(1000, 700);
    UpdateTitle();
    UpdateCommandUI();
}

CMainFrame::~CMainFrame()
{
    qApp->removeEventFilter(this);
    m_doc.RemoveListener(m_docListener);
}

// ---- commands -----------------------------------------------------------------

void CMainFrame::SetCommandHandler(int command, SHandler handler)
{
    if (handler.run)
        m_handlers[command] = std::move(handler);
    else
        m_handlers.erase(command);
    UpdateCommandUI();
}

void CMainFrame::SetCommandText(int command, std::function<QString()> text)
{
    if (text)
        m_texts[command] = std::move(text);
    else
        m_texts.erase(command);
    UpdateCommandUI();
}

bool CMainFrame::HasCommandHandler(int command) const
{
    return m_handlers.count(command) != 0;
}

bool CMainFrame::HasEventLibrary() const
{
    return m_doc.GetEventTableCount() > 0;
}

bool CMainFrame::HasColumns() const
{
    return !m_doc.GetColumns().IsEmpty();
}

bool CMainFrame::IsCommandEnabled(int command) const
{
    const auto found = m_handlers.find(command);
    if (found == m_handlers.end())
        return false;
    // The rules that belong to the window whoever handles the command.
    switch (command) {
    case ID_MODIFY_SELECT:
        if (!HasEventLibrary())
            return false;
        break;
    case ID_CHRONOLOGY_INFO:
    case ID_COLUMN_DELETE:
    case ID_COLUMN_DELETE_THIS:
    case ID_CLEAR_ALL:
        if (!HasColumns())
            return false;
        break;
    default:
        break;
    }
    return !found->second.enabled || found->second.enabled();
}

bool CMainFrame::IsCommandChecked(int command) const
{
    const auto found = m_handlers.find(command);
    return found != m_handlers.end() && found->second.checked && found->second.checked();
}

bool CMainFrame::RunCommand(int command)
{
    // A load processes events while its progress is up; a command posted
    // before it (or by a timer) waits for its end instead of working on a
    // chronology half taken over.
    if (CLoadProgress::IsUnderWay()) {
        QTimer::singleShot(kLoadWaitMs, this, [this, command] { RunCommand(command); });
        return false;
    }
    if (!IsCommandEnabled(command))
        return false;
    // The handler may replace the handlers; run a copy.
    const std::function<void()> run = m_handlers[command].run;
    run();
    UpdateCommandUI();
    return true;
}

void CMainFrame::PostCommand(int command)
{
    QTimer::singleShot(0, this, [this, command] { RunCommand(command); });
}

void CMainFrame::UpdateCommandUI()
{
    for (const auto& entry : m_actions) {
        QAction* action = entry.second;
        action->setEnabled(IsCommandEnabled(entry.first));
        if (action->isCheckable())
            action->setChecked(IsCommandChecked(entry.first));
        const auto text = m_texts.find(entry.first);
        if (text != m_texts.end())
            action->setText(text->second());
    }
}

void CMainFrame::DocumentChanged()
{
    UpdateTitle();
    RebuildRecentFileItems();
    UpdateCommandUI();
}

QAction* CMainFrame::FindAction(int command) const
{
    const auto found = m_actions.find(command);
    return found == m_actions.end() ? nullptr : found->second;
}

std::vector<QAction*> CMainFrame::FindActions(int command) const
{
    std::vector<QAction*> out;
    const auto range = m_actions.equal_range(command);
    for (auto it = range.first; it != range.second; ++it)
        out.push_back(it->second);
    return out;
}

std::vector<QMenu*> CMainFrame::TopMenus() const
{
    std::vector<QMenu*> menus;
    for (QAction* action : menuBar()->actions())
        if (action->menu())
            menus.push_back(action->menu());
    return menus;
}

QToolButton* CMainFrame::GetToolButton(int index) const
{
    if (index < 0 || index >= static_cast<int>(m_toolButtons.size()))
        return nullptr;
    return m_toolButtons[static_cast<size_t>(index)];
}

QMenu* CMainFrame::GetToolDropDown(int index)
{
    if (index < 0 || index >= static_cast<int>(m_toolDropDowns.size()))
        return nullptr;
    QMenu* menu = m_toolDropDowns[static_cast<size_t>(index)];
    if (menu && ToolButtons()[static_cast<size_t>(index)].recentFiles)
        FillRecentDropDown(menu);
    UpdateCommandUI();
    return menu;
}

QLabel* CMainFrame::GetIndicator(int index) const
{
    return index >= 0 && index < 4 ? m_indicators[index] : nullptr;
}

// ---- handlers -------------------------------------------------------------------

void CMainFrame::InstallHandlers()
{
    m_handlers[ID_FILE_NEW] = {[this] { m_app.OnFileNew(); }, {}, {}};
    m_handlers[ID_FILE_OPEN] = {[this] { m_app.OnFileOpen(); }, {}, {}};
    m_handlers[ID_FILE_SAVE] = {[this] { m_app.OnFileSave(); }, {}, {}};
    m_handlers[ID_FILE_SAVE_AS] = {[this] { m_app.OnFileSaveAs(); }, {}, {}};
    m_handlers[ID_APP_EXIT] = {[this] { close(); }, {}, {}};
    m_handlers[ID_APP_ABOUT] = {[this] { m_app.OnAppAbout(); }, {}, {}};
    m_handlers[ID_HELP_SHOW] = {[this] { m_app.OnHelp(); }, {}, {}};
    m_handlers[ID_HELP_KEY] = m_handlers[ID_HELP_SHOW];
    m_handlers[ID_ASSISTANT_AT_START] = {[this] { m_app.ToggleShowAssistantAtStart(); },
                                         {},
                                         [this] { return m_app.GetShowAssistantAtStart(); }};
    m_handlers[ID_BACKUP_ON_SAVE] = {[] {
                                         const bool on = !CSaveFile::GetKeepBackups();
                                         CSaveFile::SetKeepBackups(on);
                                         CSettings::Get().SetBackup(on);
                                         CSettings::Get().Sync();
                                     },
                                     {},
                                     [] { return CSaveFile::GetKeepBackups(); }};
    m_handlers[ID_VIEW_TOOLBAR] = {[this] { m_toolBar->setVisible(m_toolBar->isHidden()); },
                                   {},
                                   [this] { return m_toolBar && !m_toolBar->isHidden(); }};
    m_handlers[ID_VIEW_STATUS_BAR] = {[this] { statusBar()->setVisible(statusBar()->isHidden()); },
                                      {},
                                      [this] { return !statusBar()->isHidden(); }};

    for (int command : kDocumentSettingCommands) {
        m_handlers[command] = {[this, command] { m_doc.OnCommand(command); },
                               {},
                               [this, command] { return m_doc.IsCommandChecked(command); }};
    }
    for (const SZoomItem& zoom : kZoomItems) {
        const int percent = zoom.percent;
        m_handlers[zoom.command] = {[this, percent] { m_doc.SetZoom(percent); },
                                    {},
                                    [this, percent] { return m_doc.GetZoomPercent() == percent; }};
    }

    // A display range only narrows the events shown: without an event
    // library there is nothing for it to act on.
    m_handlers[ID_YEAR_RANGE] = {[this] {
                                     CDialogYearRange dialog(&m_doc, this);
                                     RunDocumentDialog(dialog, false);
                                 },
                                 [this] { return HasEventLibrary(); },
                                 {}};
    m_handlers[ID_FONT_SET] = {[this] {
                                   CDialogFontSet dialog(&m_doc, this);
                                   RunDocumentDialog(dialog, true);
                               },
                               {},
                               {}};
    m_handlers[ID_COLOR_SET] = {[this] {
                                    CDialogSetColors dialog(&m_doc, this);
                                    RunDocumentDialog(dialog, false);
                                },
                                {},
                                {}};
    m_handlers[ID_COLUMN_SETTINGS] = {[this] {
                                          CDialogSetRow dialog(&m_doc, this);
                                          RunDocumentDialog(dialog, false);
                                      },
                                      {},
                                      {}};
}

void CMainFrame::RunDocumentDialog(QDialog& dialog, bool fontsChanged)
{
    if (m_app.RunDialog(dialog) != QDialog::Accepted)
        return;
    if (fontsChanged) {
        m_doc.Notify(CAnnaluxDoc::VN_HEADER_FONT);
        m_doc.Notify(CAnnaluxDoc::VN_RELAYOUT);
    }
    m_doc.UpdateAllViews();
}

// ---- menus ----------------------------------------------------------------------

QAction* CMainFrame::MakeAction(int command, const QString& text)
{
    auto* action = new QAction(text, this);
    action->setData(command);
    action->setStatusTip(PlainText(text));
    connect(action, &QAction::triggered, this, [this, command] { RunCommand(command); });
    m_actions.emplace(command, action);
    return action;
}

QAction* CMainFrame::AddItem(QMenu* menu, int command, const char* text,
                             const std::vector<QKeySequence>& shortcuts, bool checkable)
{
    QAction* action = MakeAction(command, QString::fromUtf8(text));
    action->setCheckable(checkable);
    if (!shortcuts.empty()) {
        action->setShortcuts(QList<QKeySequence>(shortcuts.begin(), shortcuts.end()));
        action->setShortcutContext(Qt::WindowShortcut);
    }
    menu->addAction(action);
    return action;
}

void CMainFrame::CreateMenus()
{
    QMenuBar* bar = menuBar();
    const auto refresh = [this] { UpdateCommandUI(); };

    // ---- ﾌｧｲﾙ --------------------------------------------------------------
    QMenu* file = bar->addMenu(QStringLiteral("ﾌｧｲﾙ(&F)"));
    m_fileMenu = file;
    AddItem(file, ID_FILE_NEW, "新規作成(&N)\tCtrl+N", {QKeySequence(Qt::CTRL | Qt::Key_N)});
    AddItem(file, ID_FILE_OPEN, "開く(&O)...\tCtrl+O", {QKeySequence(Qt::CTRL | Qt::Key_O)});
    AddItem(file, ID_FILE_SAVE, "上書き保存(&S)\tCtrl+S", {QKeySequence(Qt::CTRL | Qt::Key_S)});
    AddItem(file, ID_FILE_SAVE_AS, "名前を付けて保存(&A)...");
    file->addSeparator();
    // Ctrl+M and Ctrl+I are named in the items only; no key carries them.
    AddItem(file, ID_LIBRARY_NEW, "ﾗｲﾌﾞﾗﾘの新規作成(&M)\tCtrl+M");
    AddItem(file, ID_LIBRARY_LOAD, "ﾗｲﾌﾞﾗﾘの読込み(&L)...\tCtrl+L",
            {QKeySequence(Qt::CTRL | Qt::Key_L)});
    AddItem(file, ID_LIBRARY_SAVE_ALL, "すべてのライブラリを上書き保存(&V)");
    AddItem(file, ID_CHRONOLOGY_INFO, "この年表の情報(&I)...\tCtrl+I");
    file->addSeparator();
    QMenu* input = file->addMenu(QStringLiteral("ﾌｧｲﾙの入力"));
    AddItem(input, ID_IMPORT_CSV, "CSVﾌｧｲﾙ");
    QMenu* output = file->addMenu(QStringLiteral("ﾌｧｲﾙの出力"));
    AddItem(output, ID_EXPORT_CSV, "CSVﾌｧｲﾙ");
    AddItem(output, ID_EXPORT_HTML, "HTMLファイル");
    file->addSeparator();
    AddItem(file, ID_PAGE_LAYOUT, "印刷設定...");
    AddItem(file, ID_FILE_PRINT, "印刷(&P)...\tCtrl+P", {QKeySequence(Qt::CTRL | Qt::Key_P)});
    AddItem(file, ID_FILE_PRINT_PREVIEW, "印刷ﾌﾟﾚﾋﾞｭｰ(&V)");
    AddItem(file, ID_FILE_PRINT_SETUP, "ﾌﾟﾘﾝﾀの設定(&R)...");
    file->addSeparator();
    m_recentAnchor = file->addSeparator();
    AddItem(file, ID_APP_EXIT, "ｱﾌﾟﾘｹｰｼｮﾝの終了(&X)");
    connect(file, &QMenu::aboutToShow, this, [this] {
        RebuildRecentFileItems();
        UpdateCommandUI();
    });
    connect(input, &QMenu::aboutToShow, this, refresh);
    connect(output, &QMenu::aboutToShow, this, refresh);

    // ---- 表示 ------------------------------------------------------------------
    QMenu* view = bar->addMenu(QStringLiteral("表示(&V)"));
    QMenu* accuracy = view->addMenu(QStringLiteral("スケール正確度(&D)"));
    AddItem(accuracy, CAnnaluxDoc::ID_ACCURACY_EXACT, "正確に表示", {}, true);
    AddItem(accuracy, CAnnaluxDoc::ID_ACCURACY_NEARLY, "なるべく正確に表示", {}, true);
    AddItem(accuracy, CAnnaluxDoc::ID_ACCURACY_PACKED, "密着表示（スケール無視）", {}, true);
    QMenu* scale = view->addMenu(QStringLiteral("スケール年(&U)"));
    AddItem(scale, CAnnaluxDoc::ID_SCALE_1, "1年単位", {}, true);
    AddItem(scale, CAnnaluxDoc::ID_SCALE_10, "10年単位", {}, true);
    AddItem(scale, CAnnaluxDoc::ID_SCALE_100, "100年単位", {}, true);
    QMenu* priority = view->addMenu(QStringLiteral("表示優先度(&P)"));
    AddItem(priority, CAnnaluxDoc::ID_PRIORITY_ALL, "すべて表示する", {}, true);
    AddItem(priority, CAnnaluxDoc::ID_PRIORITY_MIDDLE, "高・中だけを表示する", {}, true);
    AddItem(priority, CAnnaluxDoc::ID_PRIORITY_HIGH, "高だけを表示する", {}, true);
    view->addSeparator();
    AddItem(view, ID_YEAR_RANGE, "表示年範囲の設定(&R)...");
    AddItem(view, CAnnaluxDoc::ID_WRAP_LINES, "行を折り返す(&L)", {}, true);
    view->addSeparator();
    AddItem(view, ID_FONT_SET, "フォント設定(&F)...");
    AddItem(view, ID_COLOR_SET, "色設定...(&C)");
    QMenu* zoom = view->addMenu(QStringLiteral("ズーム"));
    for (const SZoomItem& item : kZoomItems) {
        const QByteArray text = QByteArray::number(item.percent);
        AddItem(zoom, item.command, text.constData(), {}, true);
    }
    view->addSeparator();
    AddItem(view, ID_VIEW_TOOLBAR, "ﾂｰﾙ ﾊﾞｰ(&T)", {}, true);
    AddItem(view, ID_VIEW_STATUS_BAR, "ｽﾃｰﾀｽ ﾊﾞｰ(&S)", {}, true);
    for (QMenu* m : {view, accuracy, scale, priority, zoom})
        connect(m, &QMenu::aboutToShow, this, refresh);
    // One of several: drawn as radio items. The marks still follow the
    // document (UpdateCommandUI), so none may be set when no item matches.
    for (QMenu* m : {accuracy, scale, priority, zoom}) {
        auto* group = new QActionGroup(m);
        group->setExclusionPolicy(QActionGroup::ExclusionPolicy::ExclusiveOptional);
        for (QAction* action : m->actions())
            group->addAction(action);
    }

    // ---- 操作 ------------------------------------------------------------------
    QMenu* operate = bar->addMenu(QStringLiteral("操作(&M)"));
    AddItem(operate, ID_SEARCH_EVENT, "出来事を検索(&S)...\tCtrl+F",
            {QKeySequence(Qt::CTRL | Qt::Key_F)});
    AddItem(operate, ID_JUMP_YEAR, "年を指定して移動(&G)...\tCtrl+G",
            {QKeySequence(Qt::CTRL | Qt::Key_G)});
    AddItem(operate, ID_JUMP_ERA, "時代を指定して移動(&J)\tCtrl+J",
            {QKeySequence(Qt::CTRL | Qt::Key_J)});
    operate->addSeparator();
    AddItem(operate, ID_COLUMN_DELETE, "列消去(&C)...");
    AddItem(operate, ID_CLEAR_ALL, "すべてを消去(&L)");
    operate->addSeparator();
    AddItem(operate, ID_SIBLING_SHOW, "Figurant表示");
    AddItem(operate, ID_SIBLING_SELECT, "Figurantを選択して表示");
    operate->addSeparator();
    QMenu* modify = operate->addMenu(QStringLiteral("表示データを修正(&D)"));
    AddItem(modify, ID_MODIFY_EVENT, "出来事...");
    AddItem(modify, ID_MODIFY_GENGOU, "元号...");
    AddItem(modify, ID_MODIFY_ERA, "時代...");
    AddItem(modify, ID_MODIFY_BASEYEAR, "基点年...");
    connect(operate, &QMenu::aboutToShow, this, refresh);
    connect(modify, &QMenu::aboutToShow, this, refresh);

    // ---- 初期設定 ----------------------------------------------------------------
    QMenu* setup = bar->addMenu(QStringLiteral("初期設定(&I)"));
    AddItem(setup, CAnnaluxDoc::ID_SUPPLEMENT_MARK, "補足説明マーク表示(&S)", {}, true);
    AddItem(setup, ID_COLUMN_SETTINGS, "列設定...(&R)");
    AddItem(setup, ID_ASSISTANT_AT_START, "起動時にアシスタント表示", {}, true);
    AddItem(setup, ID_BACKUP_ON_SAVE, "バックアップを作成する", {}, true);
    connect(setup, &QMenu::aboutToShow, this, refresh);

    // ---- ﾍﾙﾌﾟ --------------------------------------------------------------------
    QMenu* help = bar->addMenu(QStringLiteral("ﾍﾙﾌﾟ(&H)"));
    AddItem(help, ID_HELP_SHOW, "ヘルプの表示(&H)");
    AddItem(help, ID_APP_ABOUT, "Annaluxのﾊﾞｰｼﾞｮﾝ情報(&A)...");
    connect(help, &QMenu::aboutToShow, this, refresh);

    // F1 opens the help as well.
    QAction* f1 = MakeAction(ID_HELP_KEY, QStringLiteral("ヘルプ"));
    f1->setShortcut(QKeySequence(Qt::Key_F1));
    f1->setShortcutContext(Qt::WindowShortcut);
    addAction(f1);

    RebuildRecentFileItems();
}

void CMainFrame::RebuildRecentFileItems()
{
    if (!m_fileMenu)
        return;
    for (QAction* item : m_recentItems) {
        m_fileMenu->removeAction(item);
        item->deleteLater();
    }
    m_recentItems.clear();
    const CRecentFileList& recent = m_app.GetRecentFiles();
    if (recent.IsEmpty()) {
        // The list's place holder, greyed like the framework's.
        auto* placeholder = new QAction(QStringLiteral("最近使ったﾌｧｲﾙ"), this);
        placeholder->setData(int(ID_FILE_MRU_FILE1));
        placeholder->setEnabled(false);
        m_fileMenu->insertAction(m_recentAnchor, placeholder);
        m_recentItems.push_back(placeholder);
        return;
    }
    int shown = 0;
    for (int i = 0; i < recent.GetSize(); ++i) {
        if (recent.GetAt(i).empty())
            continue;
        auto* item = new QAction(CHostText::FromHostPath(recent.MenuText(shown)), this);
        item->setData(ID_FILE_MRU_FILE1 + i);
        item->setStatusTip(CHostText::FromHostPath(recent.GetAt(i)));
        connect(item, &QAction::triggered, this, [this, i] { m_app.OnOpenRecentFile(i); });
        m_fileMenu->insertAction(m_recentAnchor, item);
        m_recentItems.push_back(item);
        ++shown;
    }
}

void CMainFrame::FillRecentDropDown(QMenu* menu)
{
    menu->clear();
    const CRecentFileList& recent = m_app.GetRecentFiles();
    for (int i = 0; i < recent.GetSize(); ++i) {
        const std::string path = recent.GetAt(i);
        if (path.empty())
            continue;
        QAction* item = menu->addAction(
            CHostText::FromHostPath(path).replace(QLatin1Char('&'), QStringLiteral("&&")));
        item->setData(ID_FILE_MRU_FILE1 + i);
        connect(item, &QAction::triggered, this, [this, i] { m_app.OnOpenRecentFile(i); });
    }
}

// ---- toolbar and status bar --------------------------------------------------------

void CMainFrame::CreateToolBar()
{
    m_toolBar = addToolBar(QStringLiteral("ﾂｰﾙ ﾊﾞｰ"));
    m_toolBar->setObjectName(QStringLiteral("mainToolBar"));
    m_toolBar->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
    m_toolBar->setIconSize(QSize(24, 24));
    m_toolBar->setMovable(true);
    m_toolBar->setFloatable(false);

    for (const SToolButton& def : ToolButtons()) {
        const QString text = QString::fromUtf8(def.text);
        QAction* action = MakeAction(def.command, text);
        action->setIcon(QIcon(QStringLiteral(":/icons/%1.png").arg(QLatin1String(def.icon))));
        action->setToolTip(text);
        m_toolBar->addAction(action);
        auto* button = qobject_cast<QToolButton*>(m_toolBar->widgetForAction(action));
        QMenu* dropDown = nullptr;
        if (!def.dropDown.empty() || def.recentFiles) {
            dropDown = new QMenu(this);
            for (const SToolItem& item : def.dropDown) {
                QAction* entry = MakeAction(item.command, QString::fromUtf8(item.text));
                dropDown->addAction(entry);
            }
            if (def.recentFiles)
                connect(dropDown, &QMenu::aboutToShow, this,
                        [this, dropDown] { FillRecentDropDown(dropDown); });
            else
                connect(dropDown, &QMenu::aboutToShow, this, [this] { UpdateCommandUI(); });
            if (button) {
                button->setMenu(dropDown);
                button->setPopupMode(QToolButton::MenuButtonPopup);
            }
        }
        if (button) {
            button->setMinimumWidth(50);
            button->setMaximumWidth(150);
        }
        m_toolButtons.push_back(button);
        m_toolDropDowns.push_back(dropDown);
    }
}

void CMainFrame::CreateStatusBar()
{
    QStatusBar* bar = statusBar();
    m_messagePane = new QLabel(QString::fromUtf8(kIdleMessage), bar);
    m_messagePane->setObjectName(QStringLiteral("messagePane"));
    bar->addWidget(m_messagePane, 1);
    for (int i = 0; i < 4; ++i) {
        auto* label = new QLabel(bar);
        label->setObjectName(QStringLiteral("indicator%1").arg(i));
        label->setAlignment(Qt::AlignCenter);
        label->setFrameShape(QFrame::Panel);
        label->setFrameShadow(QFrame::Sunken);
        label->setMinimumWidth(label->fontMetrics().horizontalAdvance(QStringLiteral("SCRL")) + 12);
        bar->addPermanentWidget(label);
        m_indicators[i] = label;
    }
}

void CMainFrame::SetLockIndicators(bool caps, bool num, bool scroll, bool kana)
{
    const bool on[4] = {kana, caps, num, scroll};
    for (int i = 0; i < 4; ++i)
        m_indicators[i]->setText(on[i] ? QString::fromUtf8(kIndicators[i]) : QString());
}

bool CMainFrame::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::KeyPress || event->type() == QEvent::KeyRelease) {
        // Only X11 reports the lock states, in the key's modifier bits
        // (Lock = caps, Mod2 = num lock); elsewhere the panes stay blank.
        if (QGuiApplication::platformName() == QLatin1String("xcb")) {
            const auto* key = static_cast<QKeyEvent*>(event);
            quint32 state = key->nativeModifiers();
            // The state is the one before this key; a lock key flips it.
            if (event->type() == QEvent::KeyPress) {
                if (key->key() == Qt::Key_CapsLock)
                    state ^= 0x2;
                else if (key->key() == Qt::Key_NumLock)
                    state ^= 0x10;
            }
            SetLockIndicators(state & 0x2, state & 0x10, false, false);
        }
    }
    return QMainWindow::eventFilter(watched, event);
}

// ---- title and placement -------------------------------------------------------------

void CMainFrame::UpdateTitle()
{
    const QString title = m_doc.GetPathName().empty() ? QString::fromUtf8(CAnnaluxApp::kUntitled)
                                                      : CHostText::FromHostPath(m_doc.GetTitle());
    setWindowTitle(title + QStringLiteral(" - ") + QString::fromUtf8(CAnnaluxApp::kWindowTitle));
}

QRect CMainFrame::FitToScreens(const QRect& stored, const QList<QRect>& available)
{
    // A rectangle with no area, or one that lies on no screen (a minimised
    // window's, or one of a screen since removed), would hide the window:
    // the system places it instead.
    if (stored.width() <= 0 || stored.height() <= 0)
        return QRect();
    const QRect* best = nullptr;
    qint64 bestArea = 0;
    for (const QRect& screen : available) {
        const QRect common = screen.intersected(stored);
        const qint64 area = qint64(common.width()) * common.height();
        if (!common.isEmpty() && area > bestArea) {
            bestArea = area;
            best = &screen;
        }
    }
    if (!best)
        return QRect();
    // The screen it mostly lies on (after a change of screen or scale the
    // window may be larger than it, or hang over its edge) holds it whole.
    QRect fitted = stored;
    fitted.setWidth(std::min(stored.width(), best->width()));
    fitted.setHeight(std::min(stored.height(), best->height()));
    fitted.moveLeft(std::clamp(fitted.left(), best->left(), best->right() + 1 - fitted.width()));
    fitted.moveTop(std::clamp(fitted.top(), best->top(), best->bottom() + 1 - fitted.height()));
    return fitted;
}

void CMainFrame::ShowAtSavedPlace()
{
    SWindowRect rect;
    if (CSettings::Get().GetLastPos(rect)) {
        const QRect stored(rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top);
        QList<QRect> available;
        for (const QScreen* screen : QGuiApplication::screens())
            available << screen->availableGeometry();
        const QRect fitted = FitToScreens(stored, available);
        if (fitted.isValid())
            setGeometry(fitted);
    }
    if (CSettings::Get().GetLastMaximized())
        showMaximized();
    else
        show();
}

void CMainFrame::SavePlace()
{
    // A maximised window keeps its normal place for the next start.
    const QRect r = isMaximized() ? normalGeometry() : geometry();
    CSettings::Get().SetLastMaximized(isMaximized());
    SWindowRect rect;
    rect.left = r.x();
    rect.top = r.y();
    rect.right = r.x() + r.width();
    rect.bottom = r.y() + r.height();
    CSettings::Get().SetLastPos(rect);
    CSettings::Get().Sync();
}

void CMainFrame::closeEvent(QCloseEvent* event)
{
    // The load's own dialog is the way out of a load.
    if (CLoadProgress::IsUnderWay()) {
        event->ignore();
        return;
    }
    SavePlace();
    if (!m_app.LeaveDocument()) {
        event->ignore();
        UpdateCommandUI();
        return;
    }
    event->accept();
}

void CMainFrame::changeEvent(QEvent* event)
{
    QMainWindow::changeEvent(event);
    // Back at the window: libraries that others changed meanwhile are
    // offered for reading again (after the activation has settled).
    if (event->type() == QEvent::ActivationChange && isActiveWindow())
        QTimer::singleShot(0, this, [this] {
            // Activation comes and goes around a load's dialog; the load
            // reads the files itself.
            if (!CLoadProgress::IsUnderWay())
                m_reloadCheck.Run(m_doc);
        });
}
