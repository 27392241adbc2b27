#include "AboutDlg.h"
#include "AnnaluxApp.h"
#include "AnnaluxDoc.h"
#include "AppTest.h"
#include "CommandIds.h"
#include "GengouEra.h"
#include "MainFrame.h"
#include "ManageGengou.h"
#include "ManageMenu.h"
#include "PrintCommand.h"
#include "ScriptedHostServices.h"
#include "Settings.h"
#include "YearEvent.h"

#include "../view/ViewTestSupport.h"
#include "Sjis.h"
#include "TempDir.h"
#include "TestApplication.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QActionGroup>
#include <QApplication>
#include <QComboBox>
#include <QDialog>
#include <QDir>
#include <QIcon>
#include <QImage>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QPushButton>
#include <QTranslator>
#include <QStyle>
#include <QToolBar>
#include <QToolButton>
#include <memory>
#include <stdexcept>
#include <sys/stat.h>

namespace {

// The application with its modal seams answered: dialogs are recorded and
// rejected (or answered by a test), the desktop "opens" by recording.
class CTestApp : public CAnnaluxApp
{
public:
    int RunDialog(QDialog& dialog) override
    {
        dialogs.push_back(dialog.metaObject()->className());
        return answer ? answer(dialog) : int(QDialog::Rejected);
    }
    std::vector<std::string> dialogs;
    std::function<int(QDialog&)> answer;
    std::vector<QString> opened;
    bool desktopOpens = true;

protected:
    bool OpenWithDesktop(const QString& path) override
    {
        opened.push_back(path);
        return desktopOpens;
    }
};

class MainFrameTest : public AppTest
{
protected:
    static void SetUpTestSuite() { TestApp(); }

    MainFrameTest()
    {
        m_host.SetDefaultAnswer(CHostServices::AnswerNo);
        m_app = std::make_unique<CTestApp>();
        m_app->SetProgramFolder(QString::fromStdString(m_dir.Path()));
    }
    ~MainFrameTest() override { m_app.reset(); }

    CMainFrame& Frame() { return *m_app->CreateMainFrame(); }
    CAnnaluxDoc& Doc() { return m_app->GetDocument(); }

    // Menu item texts of a menu, "-" for a separator, "title>" for a sub-menu.
    static std::vector<std::string> Texts(const QMenu* menu)
    {
        std::vector<std::string> out;
        for (const QAction* a : menu->actions()) {
            if (a->isSeparator())
                out.push_back("-");
            else if (a->menu())
                out.push_back(a->text().toStdString() + ">");
            else
                out.push_back(a->text().toStdString());
        }
        return out;
    }

    // A project with no columns, saved to name.
    std::string WriteEmptyProject(const std::string& name)
    {
        CAnnaluxDoc doc;
        const std::string path = m_dir.File(name);
        EXPECT_TRUE(doc.OnSaveDocument(path));
        m_host.Clear();
        return path;
    }

    std::unique_ptr<CTestApp> m_app;
};

TEST_F(MainFrameTest, MenusCarryTheirTextsAndKeys)
{
    CMainFrame& frame = Frame();
    std::vector<std::string> titles;
    for (QMenu* m : frame.TopMenus())
        titles.push_back(m->title().toStdString());
    EXPECT_EQ(titles, (std::vector<std::string>{"ﾌｧｲﾙ(&F)", "表示(&V)", "操作(&M)", "初期設定(&I)",
                                                "ﾍﾙﾌﾟ(&H)"}));

    EXPECT_EQ(Texts(frame.TopMenus()[0]),
              (std::vector<std::string>{"新規作成(&N)\tCtrl+N",
                                        "開く(&O)...\tCtrl+O",
                                        "上書き保存(&S)\tCtrl+S",
                                        "名前を付けて保存(&A)...",
                                        "-",
                                        "ﾗｲﾌﾞﾗﾘの新規作成(&M)\tCtrl+M",
                                        "ﾗｲﾌﾞﾗﾘの読込み(&L)...\tCtrl+L",
                                        "すべてのライブラリを上書き保存(&V)",
                                        "この年表の情報(&I)...\tCtrl+I",
                                        "-",
                                        "ﾌｧｲﾙの入力>",
                                        "ﾌｧｲﾙの出力>",
                                        "-",
                                        "印刷設定...",
                                        "印刷(&P)...\tCtrl+P",
                                        "印刷ﾌﾟﾚﾋﾞｭｰ(&V)",
                                        "ﾌﾟﾘﾝﾀの設定(&R)...",
                                        "-",
                                        "最近使ったﾌｧｲﾙ",
                                        "-",
                                        "ｱﾌﾟﾘｹｰｼｮﾝの終了(&X)"}));
    EXPECT_EQ(Texts(frame.TopMenus()[1]),
              (std::vector<std::string>{"スケール正確度(&D)>", "スケール年(&U)>", "表示優先度(&P)>",
                                        "-", "表示年範囲の設定(&R)...", "行を折り返す(&L)", "-",
                                        "フォント設定(&F)...", "色設定...(&C)", "ズーム>", "-",
                                        "ﾂｰﾙ ﾊﾞｰ(&T)", "ｽﾃｰﾀｽ ﾊﾞｰ(&S)"}));
    EXPECT_EQ(Texts(frame.TopMenus()[3]),
              (std::vector<std::string>{"補足説明マーク表示(&S)", "列設定...(&R)",
                                        "起動時にアシスタント表示", "バックアップを作成する"}));
    EXPECT_EQ(Texts(frame.TopMenus()[4]),
              (std::vector<std::string>{"ヘルプの表示(&H)", "Annaluxのﾊﾞｰｼﾞｮﾝ情報(&A)..."}));

    struct
    {
        int command;
        const char* text;
        const char* key; // "" for none
    } items[] = {
        {ID_FILE_NEW, "新規作成(&N)\tCtrl+N", "Ctrl+N"},
        {ID_FILE_SAVE, "上書き保存(&S)\tCtrl+S", "Ctrl+S"},
        {ID_LIBRARY_LOAD, "ﾗｲﾌﾞﾗﾘの読込み(&L)...\tCtrl+L", "Ctrl+L"},
        // Named in the item, but no key carries it.
        {ID_LIBRARY_NEW, "ﾗｲﾌﾞﾗﾘの新規作成(&M)\tCtrl+M", ""},
        {ID_CHRONOLOGY_INFO, "この年表の情報(&I)...\tCtrl+I", ""},
        {ID_SEARCH_EVENT, "出来事を検索(&S)...\tCtrl+F", "Ctrl+F"},
        {ID_JUMP_YEAR, "年を指定して移動(&G)...\tCtrl+G", "Ctrl+G"},
        {ID_JUMP_ERA, "時代を指定して移動(&J)\tCtrl+J", "Ctrl+J"},
        {CAnnaluxDoc::ID_ACCURACY_PACKED, "密着表示（スケール無視）", ""},
        {CAnnaluxDoc::ID_PRIORITY_MIDDLE, "高・中だけを表示する", ""},
        {ID_MODIFY_BASEYEAR, "基点年...", ""},
        {ID_SIBLING_SELECT, "Figurantを選択して表示", ""},
        {ID_EXPORT_HTML, "HTMLファイル", ""},
        {ID_ZOOM_10, "10", ""},
        {ID_ZOOM_300, "300", ""},
    };
    for (const auto& item : items) {
        const QAction* action = frame.FindAction(item.command);
        ASSERT_NE(action, nullptr) << item.command;
        EXPECT_EQ(action->text().toStdString(), item.text);
        EXPECT_EQ(action->shortcut().toString().toStdString(), item.key) << item.text;
    }
}

TEST_F(MainFrameTest, CheckMarksFollowTheDocumentAndTheSettings)
{
    CMainFrame& frame = Frame();
    const auto checked = [&](int command) { return frame.FindAction(command)->isChecked(); };
    EXPECT_TRUE(checked(CAnnaluxDoc::ID_SCALE_1));
    EXPECT_FALSE(checked(CAnnaluxDoc::ID_SCALE_10));
    EXPECT_TRUE(checked(CAnnaluxDoc::ID_ACCURACY_EXACT));
    EXPECT_TRUE(checked(CAnnaluxDoc::ID_PRIORITY_ALL));
    EXPECT_FALSE(checked(CAnnaluxDoc::ID_WRAP_LINES));
    EXPECT_TRUE(checked(CAnnaluxDoc::ID_SUPPLEMENT_MARK));
    EXPECT_TRUE(checked(ID_ZOOM_100));
    EXPECT_TRUE(checked(ID_ASSISTANT_AT_START));
    EXPECT_TRUE(checked(ID_VIEW_TOOLBAR));
    EXPECT_TRUE(checked(ID_VIEW_STATUS_BAR));

    // Each group keeps exactly one mark, on the value in force.
    const int groups[][3] = {
        {CAnnaluxDoc::ID_SCALE_1, CAnnaluxDoc::ID_SCALE_10, CAnnaluxDoc::ID_SCALE_100},
        {CAnnaluxDoc::ID_ACCURACY_EXACT, CAnnaluxDoc::ID_ACCURACY_NEARLY,
         CAnnaluxDoc::ID_ACCURACY_PACKED},
        {CAnnaluxDoc::ID_PRIORITY_ALL, CAnnaluxDoc::ID_PRIORITY_MIDDLE,
         CAnnaluxDoc::ID_PRIORITY_HIGH},
    };
    for (const auto& group : groups) {
        // Shown as radio items: a group that excludes.
        const QActionGroup* radio = frame.FindAction(group[0])->actionGroup();
        ASSERT_NE(radio, nullptr);
        EXPECT_TRUE(radio->isExclusive());
        EXPECT_EQ(frame.FindAction(group[2])->actionGroup(), radio);
        for (int chosen : group) {
            EXPECT_TRUE(frame.RunCommand(chosen));
            for (int other : group)
                EXPECT_EQ(checked(other), other == chosen) << chosen << " " << other;
        }
    }
    EXPECT_EQ(Doc().GetScaleYear(), 100);
    EXPECT_EQ(Doc().GetScaleAccuracy(), 2);
    EXPECT_EQ(Doc().GetPriorityFilter(), 0);
    EXPECT_TRUE(Doc().IsModified());

    frame.RunCommand(CAnnaluxDoc::ID_WRAP_LINES);
    EXPECT_TRUE(checked(CAnnaluxDoc::ID_WRAP_LINES));
    frame.RunCommand(CAnnaluxDoc::ID_SUPPLEMENT_MARK);
    EXPECT_FALSE(checked(CAnnaluxDoc::ID_SUPPLEMENT_MARK));
    EXPECT_FALSE(m_settings.GetDisplaySupplementMark());

    frame.RunCommand(ID_ZOOM_150);
    EXPECT_EQ(Doc().GetZoomPercent(), 150);
    EXPECT_TRUE(checked(ID_ZOOM_150));
    EXPECT_FALSE(checked(ID_ZOOM_100));

    // The assistant option is written at once and unmarks the item.
    frame.RunCommand(ID_ASSISTANT_AT_START);
    EXPECT_FALSE(checked(ID_ASSISTANT_AT_START));
    EXPECT_FALSE(m_settings.GetAssistantDisp());
    EXPECT_EQ(m_settings.GetInt("Assistant", "Disp", 7), 0);

    frame.RunCommand(ID_VIEW_TOOLBAR);
    EXPECT_FALSE(checked(ID_VIEW_TOOLBAR));
    EXPECT_TRUE(frame.GetToolBar()->isHidden());
}

TEST_F(MainFrameTest, CommandsNotBuiltYetStayVisibleAndDisabled)
{
    CMainFrame& frame = Frame();
    const int later[] = {
        ID_LIBRARY_SAVE_ALL,
        ID_CHRONOLOGY_INFO,
        ID_EXPORT_HTML,        // wants a column
        ID_FILE_PRINT,         // wants an event library
        ID_FILE_PRINT_PREVIEW, // likewise
        ID_SEARCH_EVENT,
        ID_JUMP_YEAR,
        ID_JUMP_ERA,
        ID_COLUMN_DELETE,
        ID_CLEAR_ALL,
        ID_SIBLING_SHOW,
        ID_SIBLING_SELECT,
        ID_MODIFY_SELECT, // wants an event library
        ID_YEAR_RANGE,    // likewise
    };
    for (int command : later) {
        const std::vector<QAction*> actions = frame.FindActions(command);
        ASSERT_FALSE(actions.empty()) << command;
        for (const QAction* a : actions)
            EXPECT_FALSE(a->isEnabled()) << command << " " << a->text().toStdString();
        EXPECT_FALSE(frame.RunCommand(command)) << command;
    }
    const int working[] = {ID_FILE_NEW,           ID_FILE_OPEN,
                           ID_FILE_SAVE,          ID_FILE_SAVE_AS,
                           ID_APP_EXIT,           ID_APP_ABOUT,
                           ID_HELP_SHOW,          ID_FONT_SET,
                           ID_COLOR_SET,          ID_COLUMN_SETTINGS,
                           ID_ZOOM_50,            ID_ASSISTANT_AT_START,
                           ID_LIBRARY_NEW,        CAnnaluxDoc::ID_WRAP_LINES,
                           ID_LIBRARY_LOAD,       ID_MODIFY_EVENT,
                           ID_NEW_EVENT_LIBRARY,  ID_PAGE_LAYOUT,
                           ID_FILE_PRINT_SETUP};
    for (int command : working)
        EXPECT_TRUE(frame.FindAction(command)->isEnabled()) << command;

    // The toolbar: the file buttons and the new and load buttons work.
    for (int i = 0; i < 8; ++i)
        EXPECT_EQ(frame.GetToolButton(i)->isEnabled(), i < 3 || i == 5 || i == 6) << i;
}

TEST_F(MainFrameTest, TheWindowsOwnRulesHoldForEveryHandler)
{
    CMainFrame& frame = Frame();
    int runs = 0;
    for (int command : {ID_MODIFY_SELECT, ID_CHRONOLOGY_INFO, ID_CLEAR_ALL, ID_COLUMN_DELETE})
        frame.SetCommandHandler(command, {[&runs] { ++runs; }, {}, {}});

    // "ﾃﾞｰﾀ修正" and the display range want an event library, the column
    // commands a column.
    QToolButton* modify = frame.GetToolButton(4);
    EXPECT_EQ(modify->text().toStdString(), "ﾃﾞｰﾀ修正");
    EXPECT_FALSE(modify->isEnabled());
    EXPECT_FALSE(frame.RunCommand(ID_MODIFY_SELECT));
    EXPECT_FALSE(frame.FindAction(ID_YEAR_RANGE)->isEnabled());
    EXPECT_FALSE(frame.FindAction(ID_CHRONOLOGY_INFO)->isEnabled());
    EXPECT_FALSE(frame.FindAction(ID_CLEAR_ALL)->isEnabled());

    auto events = std::make_unique<CYearEvent>();
    CYearEvent* table = Doc().AddEventTable(std::move(events));
    Doc().GetColumns().EnsureYearColumn(50);
    Doc().GetColumns().Append(4, table, -1, 500);
    Doc().UpdateAllViews();
    EXPECT_TRUE(modify->isEnabled());
    EXPECT_TRUE(frame.FindAction(ID_YEAR_RANGE)->isEnabled());
    EXPECT_TRUE(frame.FindAction(ID_CHRONOLOGY_INFO)->isEnabled());
    EXPECT_TRUE(frame.RunCommand(ID_MODIFY_SELECT));
    EXPECT_TRUE(frame.RunCommand(ID_COLUMN_DELETE));
    EXPECT_EQ(runs, 2);

    // A handler's own rule comes on top.
    frame.SetCommandHandler(ID_CLEAR_ALL, {[&runs] { ++runs; }, [] { return false; }, {}});
    EXPECT_FALSE(frame.FindAction(ID_CLEAR_ALL)->isEnabled());
    frame.SetCommandHandler(ID_CLEAR_ALL, {});
    EXPECT_FALSE(frame.HasCommandHandler(ID_CLEAR_ALL));
}

TEST_F(MainFrameTest, ToolbarButtonsAndDropDowns)
{
    CMainFrame& frame = Frame();
    const char* texts[] = {"新規作成", "開く",     "上書き",   "印刷",
                           "ﾃﾞｰﾀ修正", "ﾃﾞｰﾀ新規", "ﾃﾞｰﾀ読込", "検索"};
    for (int i = 0; i < 8; ++i) {
        ASSERT_NE(frame.GetToolButton(i), nullptr);
        EXPECT_EQ(frame.GetToolButton(i)->text().toStdString(), texts[i]);
        EXPECT_FALSE(frame.GetToolButton(i)->icon().isNull()) << i;
    }
    EXPECT_EQ(frame.GetToolDropDown(0), nullptr);
    EXPECT_EQ(frame.GetToolDropDown(2), nullptr);
    EXPECT_EQ(Texts(frame.GetToolDropDown(3)),
              (std::vector<std::string>{"印刷", "印刷プレビュー"}));
    EXPECT_EQ(Texts(frame.GetToolDropDown(4)),
              (std::vector<std::string>{"出来事", "元号", "時代", "基点年"}));
    EXPECT_EQ(frame.GetToolDropDown(5)->actions()[1]->data().toInt(), ID_NEW_GENGOU_LIBRARY);
    EXPECT_EQ(frame.GetToolDropDown(6)->actions()[3]->data().toInt(), ID_LOAD_BASEYEAR_LIBRARY);
    EXPECT_EQ(Texts(frame.GetToolDropDown(7)),
              (std::vector<std::string>{"出来事検索", "年移動", "時代検索"}));

    // "開く" lists the stored recent files only, as commands 57616...
    EXPECT_TRUE(frame.GetToolDropDown(1)->actions().isEmpty());
    m_app->GetRecentFiles().Add("/x/b.anx");
    m_app->GetRecentFiles().Add("/x/a.anx");
    const QMenu* recent = frame.GetToolDropDown(1);
    EXPECT_EQ(Texts(recent), (std::vector<std::string>{"/x/a.anx", "/x/b.anx"}));
    EXPECT_EQ(recent->actions()[1]->data().toInt(), ID_FILE_MRU_FILE1 + 1);
}

TEST_F(MainFrameTest, StatusBarPanes)
{
    CMainFrame& frame = Frame();
    EXPECT_EQ(frame.GetMessagePane()->text().toStdString(), "レディ");
    frame.SetLockIndicators(true, false, false, true);
    EXPECT_EQ(frame.GetIndicator(0)->text().toStdString(), "ｶﾅ");
    EXPECT_EQ(frame.GetIndicator(1)->text().toStdString(), "CAP");
    EXPECT_TRUE(frame.GetIndicator(2)->text().isEmpty());
    EXPECT_TRUE(frame.GetIndicator(3)->text().isEmpty());
    frame.SetLockIndicators(false, true, true, false);
    EXPECT_EQ(frame.GetIndicator(2)->text().toStdString(), "NUM");
    EXPECT_EQ(frame.GetIndicator(3)->text().toStdString(), "SCRL");
    EXPECT_EQ(frame.GetIndicator(4), nullptr);
}

TEST_F(MainFrameTest, WindowPlaceRoundTripsThroughLastPos)
{
    CMainFrame& frame = Frame();
    frame.setGeometry(40, 30, 700, 500);
    frame.SavePlace();
    SWindowRect stored;
    ASSERT_TRUE(m_settings.GetLastPos(stored));
    EXPECT_EQ(stored, (SWindowRect{40, 30, 740, 530}));

    CTestApp other;
    CMainFrame& again = *other.CreateMainFrame();
    again.ShowAtSavedPlace();
    EXPECT_EQ(again.geometry(), QRect(40, 30, 700, 500));
}

TEST_F(MainFrameTest, AnUnusableLastPosLeavesTheDefaultPlace)
{
    const QSize defaultSize = Frame().size();
    struct
    {
        SWindowRect rect;
        const char* drop; // a key to remove, or null
    } cases[] = {
        {{40, 30, 740, 530}, "bottom"},              // one of the four missing
        {{100, 100, 100, 400}, nullptr},             // no width
        {{300, 300, 200, 200}, nullptr},             // turned inside out
        {{-32000, -32000, -31840, -31970}, nullptr}, // a minimised window's place
    };
    for (const auto& c : cases) {
        m_settings.SetLastPos(c.rect);
        if (c.drop)
            m_settings.Remove("LastPos", c.drop);
        CTestApp other;
        CMainFrame& frame = *other.CreateMainFrame();
        frame.ShowAtSavedPlace();
        EXPECT_EQ(frame.size(), defaultSize) << c.rect.left << "," << c.rect.right;
    }
}

TEST_F(MainFrameTest, CloseAsksAboutLibrariesThenTheProjectAndCanBeCancelled)
{
    CMainFrame& frame = Frame();
    frame.show();
    frame.setGeometry(10, 20, 600, 400);
    auto events = std::make_unique<CYearEvent>();
    events->SetTableName(Sjis("日本史"));
    events->SetModified(true);
    auto eras = std::make_unique<CGengouEra>();
    eras->SetTableName(Sjis("元号"));
    eras->SetModified(true);
    Doc().AddEventTable(std::move(events));
    Doc().AddEraNameTable(std::move(eras));
    Doc().SetModifiedFlag(true);

    m_host.QueueAnswer(CHostServices::AnswerNo);
    m_host.QueueAnswer(CHostServices::AnswerNo);
    m_host.QueueAnswer(CHostServices::AnswerCancel);
    EXPECT_FALSE(frame.close());
    EXPECT_TRUE(frame.isVisible());
    EXPECT_EQ(m_host.Messages(), (std::vector<std::string>{"元号：元号を保存しますか？",
                                                           "出来事：日本史を保存しますか？",
                                                           "無題 への変更を保存しますか?"}));
    EXPECT_EQ(m_host.Records().back().style & 0xF, unsigned(CHostServices::YesNoCancel));
    // The place is stored before the project's question.
    SWindowRect stored;
    EXPECT_TRUE(m_settings.GetLastPos(stored));
    EXPECT_EQ(stored, (SWindowRect{10, 20, 610, 420}));

    m_host.Clear();
    m_host.QueueAnswer(CHostServices::AnswerNo);
    m_host.QueueAnswer(CHostServices::AnswerNo);
    m_host.QueueAnswer(CHostServices::AnswerNo);
    EXPECT_TRUE(frame.close());
    EXPECT_FALSE(frame.isVisible());
    EXPECT_EQ(m_host.Messages().size(), 3u);
}

TEST_F(MainFrameTest, CloseSavesTheProjectOnYesAndStaysOpenWhenThatFails)
{
    CMainFrame& frame = Frame();
    frame.show();
    Doc().SetModifiedFlag(true);
    // Yes, then the save dialog is cancelled: the window stays.
    m_host.QueueAnswer(CHostServices::AnswerYes);
    EXPECT_FALSE(frame.close());
    EXPECT_TRUE(frame.isVisible());

    const std::string path = m_dir.File("saved.anx");
    m_host.QueueAnswer(CHostServices::AnswerYes);
    m_host.QueueFileName(path);
    EXPECT_TRUE(frame.close());
    EXPECT_EQ(Doc().GetPathName(), path);
    EXPECT_FALSE(Doc().IsModified());
    EXPECT_EQ(m_app->GetRecentFiles().GetAt(0), path);
}

TEST_F(MainFrameTest, FileCommandsKeepTitleAndRecentFiles)
{
    CMainFrame& frame = Frame();
    EXPECT_EQ(frame.windowTitle().toStdString(), "無題 - Annalux");

    const std::string path = m_dir.File("nenpyo.anx");
    m_host.QueueFileName(path);
    EXPECT_TRUE(frame.RunCommand(ID_FILE_SAVE_AS));
    EXPECT_EQ(frame.windowTitle().toStdString(), "nenpyo.anx - Annalux");
    EXPECT_EQ(m_app->GetRecentFiles().GetAt(0), path);
    EXPECT_EQ(m_settings.GetString(CRecentFileList::kSection, "File1"), path);

    // New with an unsaved project asks; Cancel keeps everything.
    Doc().SetScaleYear(10);
    m_host.QueueAnswer(CHostServices::AnswerCancel);
    frame.RunCommand(ID_FILE_NEW);
    EXPECT_EQ(Doc().GetScaleYear(), 10);
    EXPECT_EQ(Doc().GetPathName(), path);
    m_host.QueueAnswer(CHostServices::AnswerNo);
    frame.RunCommand(ID_FILE_NEW);
    EXPECT_EQ(Doc().GetScaleYear(), 1);
    EXPECT_EQ(frame.windowTitle().toStdString(), "無題 - Annalux");
    EXPECT_EQ(m_host.Messages().back(), "nenpyo.anx への変更を保存しますか?");

    // The File menu lists the recent file in place of the placeholder.
    frame.DocumentChanged();
    const std::vector<std::string> file = Texts(frame.TopMenus()[0]);
    EXPECT_NE(std::find(file.begin(), file.end(), "&1 " + path), file.end());
    EXPECT_EQ(std::find(file.begin(), file.end(), "最近使ったﾌｧｲﾙ"), file.end());

    // Open through the dialog, and a recent file that is gone leaves the list.
    const std::string other = WriteEmptyProject("other.anx");
    m_host.QueueFileName(other);
    EXPECT_TRUE(frame.RunCommand(ID_FILE_OPEN));
    EXPECT_EQ(Doc().GetPathName(), other);
    EXPECT_EQ(m_app->GetRecentFiles().GetNonEmpty(), (std::vector<std::string>{other, path}));
    ASSERT_EQ(::remove(path.c_str()), 0);
    EXPECT_FALSE(m_app->OnOpenRecentFile(1));
    EXPECT_EQ(m_app->GetRecentFiles().GetNonEmpty(), (std::vector<std::string>{other}));
    EXPECT_FALSE(m_host.Messages().empty());
}

TEST_F(MainFrameTest, HelpOpensTheBookBesideTheProgramOrSaysItCannot)
{
    CMainFrame& frame = Frame();
    EXPECT_TRUE(frame.RunCommand(ID_HELP_SHOW));
    EXPECT_TRUE(m_app->opened.empty());
    EXPECT_EQ(m_host.Messages(), (std::vector<std::string>{"ヘルプの起動ができませんでした"}));

    ASSERT_EQ(::mkdir(m_dir.File("HTMLHelp").c_str(), 0755), 0);
    TempDir::Write(m_dir.File("HTMLHelp/index.html"), "<html></html>");
    m_host.Clear();
    EXPECT_TRUE(m_app->OnHelp());
    ASSERT_EQ(m_app->opened.size(), 1u);
    EXPECT_EQ(m_app->opened[0].toStdString(), m_dir.File("HTMLHelp/index.html"));
    EXPECT_TRUE(m_host.Messages().empty());

    m_app->desktopOpens = false;
    EXPECT_FALSE(m_app->OnHelp());
    EXPECT_EQ(m_host.Messages(), (std::vector<std::string>{"ヘルプの起動ができませんでした"}));
}

TEST_F(MainFrameTest, SettingsDialogsAndAboutOpenFromTheMenus)
{
    CMainFrame& frame = Frame();
    Doc().AddEventTable(std::make_unique<CYearEvent>());
    Doc().UpdateAllViews();
    for (int command : {ID_YEAR_RANGE, ID_FONT_SET, ID_COLOR_SET, ID_COLUMN_SETTINGS, ID_APP_ABOUT})
        EXPECT_TRUE(frame.RunCommand(command)) << command;
    EXPECT_EQ(m_app->dialogs,
              (std::vector<std::string>{"CDialogYearRange", "CDialogFontSet", "CDialogSetColors",
                                        "CDialogSetRow", "CAboutDlg"}));

    // The About box shows the program's icon, not a stock one.
    const QImage own = QIcon(QStringLiteral(":/icons/annalux.png")).pixmap(48, 48).toImage();
    const QImage stock = QApplication::style()
                             ->standardIcon(QStyle::SP_MessageBoxInformation)
                             .pixmap(48, 48)
                             .toImage();
    CAboutDlg about(&frame);
    const QPixmap shown = about.findChild<QLabel*>("labelIcon")->pixmap();
    ASSERT_FALSE(shown.isNull());
    EXPECT_EQ(shown.toImage().convertToFormat(QImage::Format_ARGB32),
              own.convertToFormat(QImage::Format_ARGB32));
    EXPECT_NE(shown.toImage().convertToFormat(QImage::Format_ARGB32),
              stock.convertToFormat(QImage::Format_ARGB32));
}

TEST_F(MainFrameTest, StartUpOpensTheProjectWithoutTheAssistant)
{
    const std::string project = WriteEmptyProject("start.anx");
    ASSERT_TRUE(m_app->InitInstance({project}));
    QCoreApplication::processEvents();
    EXPECT_EQ(Doc().GetPathName(), project);
    EXPECT_TRUE(m_app->GetMainFrame()->isVisible());
    EXPECT_TRUE(m_app->dialogs.empty());
    EXPECT_EQ(m_app->GetRecentFiles().GetAt(0), project);
}

TEST_F(MainFrameTest, StartUpWithoutAProjectOffersTheAssistantWhileItIsOn)
{
    ASSERT_TRUE(m_app->InitInstance({}));
    QCoreApplication::processEvents();
    EXPECT_EQ(m_app->dialogs, (std::vector<std::string>{"CDialogAssistant"}));

    // File New offers it again; switched off, it stays away.
    m_app->dialogs.clear();
    m_app->GetMainFrame()->RunCommand(ID_FILE_NEW);
    EXPECT_EQ(m_app->dialogs, (std::vector<std::string>{"CDialogAssistant"}));
    m_app->GetMainFrame()->RunCommand(ID_ASSISTANT_AT_START);
    m_app->dialogs.clear();
    m_app->GetMainFrame()->RunCommand(ID_FILE_NEW);
    EXPECT_TRUE(m_app->dialogs.empty());

    CTestApp second;
    ASSERT_TRUE(second.InitInstance({}));
    QCoreApplication::processEvents();
    EXPECT_TRUE(second.dialogs.empty());
}

TEST_F(MainFrameTest, StartUpRefusesWhatItCannotDo)
{
    // The print forms end the program: a project that cannot be opened
    // fails, and so does a printer nobody has.
    EXPECT_FALSE(m_app->InitInstance({"/p", m_dir.File("a.anx")}));
    EXPECT_EQ(m_app->ExitCode(), 1);
    EXPECT_EQ(m_host.Messages().size(), 1u);
    EXPECT_EQ(m_app->GetMainFrame(), nullptr);
    CAnnaluxDoc printed;
    viewtest::MakeSampleDoc(printed, ANNALUX_SAMPLES_DIR);
    ASSERT_TRUE(printed.OnSaveDocument(m_dir.File("b.anx")));
    m_host.Clear();
    EXPECT_FALSE(m_app->InitInstance({"/pt", m_dir.File("b.anx"), "no-such-queue", "drv", "port"}));
    EXPECT_EQ(m_app->ExitCode(), 1);
    EXPECT_EQ(m_host.Messages(), (std::vector<std::string>{kNoPrinterMessage}));
    EXPECT_EQ(m_host.Records().back().caption, "Annalux");
    EXPECT_EQ(m_host.Records().back().style, CHostServices::Ok | CHostServices::IconError);
    EXPECT_EQ(m_app->GetMainFrame(), nullptr);
    m_host.Clear();

    EXPECT_FALSE(m_app->InitInstance({"a.anx", "b.anx"}));
    EXPECT_EQ(m_app->ExitCode(), 2);

    m_host.Clear();
    EXPECT_FALSE(m_app->InitInstance({m_dir.File("missing.anx")}));
    EXPECT_EQ(m_app->ExitCode(), 1);
    EXPECT_EQ(m_host.Messages().size(), 1u);
    EXPECT_TRUE(m_app->GetRecentFiles().IsEmpty());
}

TEST_F(MainFrameTest, ColumnMenusByKind)
{
    CMainFrame& frame = Frame();
    const auto texts = [](int kind) {
        std::vector<std::string> out;
        for (const CManageMenu::SItem& item : CManageMenu::ItemsForKind(kind))
            out.push_back(item.command ? item.text : "|");
        return out;
    };
    EXPECT_EQ(texts(0), (std::vector<std::string>{"この列を消去する"}));
    const std::vector<std::string> tail = {"|",
                                           "ライブラリ情報",
                                           "|",
                                           "ライブラリを上書き保存(&S)",
                                           "ライブラリを名前を付けて保存(&A)",
                                           "すべてのライブラリを上書き保存(&V)"};
    const auto with = [&tail](std::vector<std::string> head) {
        head.insert(head.end(), tail.begin(), tail.end());
        return head;
    };
    EXPECT_EQ(texts(1), with({"元号データ修正", "元号データ追加", "この列を消去する"}));
    EXPECT_EQ(texts(2), with({"基点年データ修正", "この列を消去する"}));
    EXPECT_EQ(texts(3), with({"時代データ修正", "時代データ追加", "この列を消去する"}));
    EXPECT_EQ(texts(4), with({"出来事データ修正", "出来事データ追加", "この列を消去する"}));
    EXPECT_EQ(CManageMenu::ItemsForKind(4)[0].command, ID_COLUMN_MODIFY_EVENT);
    EXPECT_EQ(CManageMenu::ItemsForKind(4)[2].command, ID_COLUMN_DELETE_THIS);

    // Items follow the window's enabling, and choosing one runs it.
    Doc().GetColumns().EnsureYearColumn(50);
    int deleted = 0;
    frame.SetCommandHandler(ID_COLUMN_DELETE_THIS, {[&deleted] { ++deleted; }, {}, {}});
    QMenu menu;
    frame.GetManageMenu().BuildMenu(4, menu);
    for (QAction* a : menu.actions()) {
        if (a->isSeparator())
            continue;
        EXPECT_EQ(a->isEnabled(), a->data().toInt() == ID_COLUMN_DELETE_THIS)
            << a->text().toStdString();
    }
    menu.actions()[2]->trigger();
    EXPECT_EQ(deleted, 1);

    EXPECT_THROW(frame.GetManageMenu().ShowColumnMenu(1, 0, 0), std::out_of_range);
    EXPECT_THROW(frame.GetManageMenu().ShowColumnMenu(-1, 0, 0), std::out_of_range);
}

TEST_F(MainFrameTest, EraListsAndConversions)
{
    auto first = std::make_unique<CGengouEra>();
    first->SetData(Sjis("<a href=\"keichou.html\">慶長</a>"), 1596, 1615, "");
    first->SetData(Sjis("元和"), 1615, 1624, "");
    auto second = std::make_unique<CGengouEra>();
    second->SetData(Sjis("元和"), 1700, 1709, ""); // a second library knowing it otherwise
    second->SetData(Sjis("長い(仮)"), -2147483647 - 1, 2147483647, "");
    Doc().AddEraNameTable(std::move(first));
    Doc().AddEraNameTable(std::move(second));
    // Periods are not era names.
    auto periods = std::make_unique<CGengouEra>();
    periods->SetData(Sjis("江戸"), 1603, 1868, "");
    Doc().AddPeriodTable(std::move(periods));

    CManageGengou gengou(&Doc());
    QComboBox combo, mirror;
    gengou.Fill(&combo, &mirror);
    QStringList items;
    for (int i = 0; i < combo.count(); ++i)
        items << combo.itemText(i);
    // Libraries in document order, eras in each library's year order; the
    // length of an era over the whole year range does not wrap.
    EXPECT_EQ(items, (QStringList{QStringLiteral("慶長(～20)"), QStringLiteral("元和(～10)"),
                                  QStringLiteral("長い(仮)(～4294967296)"),
                                  QStringLiteral("元和(～10)")}));
    EXPECT_EQ(mirror.count(), combo.count());

    EXPECT_EQ(gengou.GetWesternYear(QStringLiteral("慶長(～20)"), 3), 1598);
    EXPECT_EQ(gengou.GetWesternYear(QStringLiteral("慶長"), 1), 1596);
    // The first library that knows the name answers.
    EXPECT_EQ(gengou.GetWesternYear(QStringLiteral("元和(～10)"), 1), 1615);
    // Cut at the last '(' only: a name with a parenthesis of its own.
    EXPECT_EQ(gengou.GetWesternYear(QStringLiteral("長い(仮)(～4294967296)"), 1), -2147483647 - 1);
    EXPECT_EQ(gengou.GetWesternYear(QStringLiteral("江戸"), 1), kNoYear);
    EXPECT_EQ(gengou.GetWesternYear(QStringLiteral("平成(～31)"), 1), kNoYear);
    EXPECT_EQ(gengou.GetWesternYear(QString(), 1), kNoYear);
    EXPECT_EQ(CManageGengou(nullptr).GetWesternYear(QStringLiteral("慶長"), 1), kNoYear);
}

} // namespace

namespace {

// A saved chronology with one event library on disk, both then changed.
struct SChangedChronology
{
    std::string project, library, libraryBytes;
};

SChangedChronology MakeChangedChronology(CAnnaluxDoc& doc, const TempDir& dir)
{
    SChangedChronology c;
    c.library = dir.File("nihon.lev");
    {
        CYearEvent table;
        table.SetTableName(Sjis("日本史"));
        SEventData e;
        e.year = 1600;
        e.text = Sjis("関ヶ原");
        table.SetData(e, true, -1, EP_EVERY);
        TempDir::Write(c.library, table.MakeFileContent());
    }
    auto table = std::make_unique<CYearEvent>();
    EXPECT_TRUE(table->ReadFile(c.library.c_str(), false));
    CYearEvent* added = doc.AddEventTable(std::move(table));
    doc.GetColumns().EnsureYearColumn(50);
    doc.GetColumns().Insert(CK_EVENT, added, 1, 400);
    c.project = dir.File("nenpyo.anx");
    EXPECT_TRUE(doc.OnSaveDocument(c.project));
    c.libraryBytes = TempDir::Read(c.library);

    SEventData later;
    later.year = 1603;
    later.text = Sjis("江戸幕府");
    added->SetData(later, true, -1, EP_EVERY);
    doc.SetScaleYear(10);
    doc.SetModifiedFlag(true);
    return c;
}

} // namespace

TEST_F(MainFrameTest, ALibraryDeclinedWhenLeavingIsNotWrittenByTheChronologysSave)
{
    enum EWay { Close, New, Open };
    for (EWay way : {Close, New, Open}) {
        SCOPED_TRACE(way);
        m_app = std::make_unique<CTestApp>();
        CMainFrame& frame = Frame();
        frame.show();
        const std::string other = WriteEmptyProject("other.anx");
        const SChangedChronology c = MakeChangedChronology(Doc(), m_dir);
        m_host.Clear();
        m_host.QueueAnswer(CHostServices::AnswerNo);  // the library: no
        m_host.QueueAnswer(CHostServices::AnswerYes); // the chronology: yes
        switch (way) {
        case Close:
            EXPECT_TRUE(frame.close());
            break;
        case New:
            frame.RunCommand(ID_FILE_NEW);
            break;
        case Open:
            EXPECT_TRUE(m_app->OpenDocumentFile(other));
            break;
        }
        EXPECT_EQ(m_host.Messages(),
                  (std::vector<std::string>{"出来事：日本史を保存しますか？",
                                            "nenpyo.anx への変更を保存しますか?"}));
        EXPECT_EQ(TempDir::Read(c.library), c.libraryBytes) << "the declined library was written";
        // The chronology itself was saved, still naming the library's file.
        CAnnaluxDoc reread;
        ASSERT_TRUE(reread.OnOpenDocument(c.project));
        EXPECT_EQ(reread.GetScaleYear(), 10);
        ASSERT_EQ(reread.GetEventTableCount(), 1);
        EXPECT_EQ(reread.GetEventTable(0)->GetLen(), 1);
    }
}

TEST_F(MainFrameTest, AFileThatIsNoProjectLeavesTheOpenChronologyAsItWas)
{
    CMainFrame& frame = Frame();
    const SChangedChronology c = MakeChangedChronology(Doc(), m_dir);
    const std::string notProject = m_dir.File("notes.anx");
    TempDir::Write(notProject, "these are not the bytes of a chronology\r\n");
    const std::string truncated = m_dir.File("cut.anx");
    TempDir::Write(truncated, TempDir::Read(c.project).substr(0, 9));
    for (const std::string& bad : {notProject, truncated, m_dir.File("missing.anx")}) {
        SCOPED_TRACE(bad);
        m_host.Clear();
        EXPECT_FALSE(m_app->OpenDocumentFile(bad));
        // Only the refusal: nobody was asked to save what stays open.
        ASSERT_EQ(m_host.Messages().size(), 1u);
        EXPECT_NE(m_host.Records()[0].style & CHostServices::IconError, 0u);
        EXPECT_EQ(Doc().GetPathName(), c.project);
        EXPECT_TRUE(Doc().IsModified());
        EXPECT_EQ(Doc().GetScaleYear(), 10);
        ASSERT_EQ(Doc().GetEventTableCount(), 1);
        EXPECT_EQ(Doc().GetEventTable(0)->GetLen(), 2);
        EXPECT_EQ(Doc().GetColumns().GetCount(), 2);
    }
    (void)frame;
}

TEST(MainFramePlace, ASavedPlaceIsFittedToTheScreenItMostlyLiesOn)
{
    const QList<QRect> screens = {QRect(0, 0, 1600, 1000), QRect(1600, 0, 1280, 1024)};
    struct
    {
        QRect stored, expected;
    } cases[] = {
        {{40, 30, 700, 500}, {40, 30, 700, 500}},           // fits: kept
        {{1500, 100, 700, 500}, {1600, 100, 700, 500}},     // mostly on the second screen
        {{-300, -50, 800, 600}, {0, 0, 800, 600}},          // hangs over the top left
        {{100, 100, 3000, 2000}, {0, 0, 1600, 1000}},       // larger than the screen
        {{1300, 800, 400, 400}, {1200, 600, 400, 400}},     // over the bottom right corner
        {{5000, 5000, 400, 300}, {}},                       // on no screen
        {{-32000, -32000, 160, 30}, {}},                    // a minimised window's place
        {{100, 100, 0, 300}, {}},                           // no area
    };
    for (const auto& c : cases) {
        const QRect fitted = CMainFrame::FitToScreens(c.stored, screens);
        EXPECT_EQ(fitted, c.expected) << c.stored.x() << "," << c.stored.y();
    }
}

TEST_F(MainFrameTest, AMaximisedWindowComesBackMaximisedOverItsNormalPlace)
{
    CMainFrame& frame = Frame();
    frame.setGeometry(40, 30, 700, 500);
    frame.show();
    frame.showMaximized();
    QApplication::processEvents();
    frame.SavePlace();
    EXPECT_TRUE(m_settings.GetLastMaximized());
    SWindowRect stored;
    ASSERT_TRUE(m_settings.GetLastPos(stored));
    EXPECT_EQ(stored, (SWindowRect{40, 30, 740, 530}));

    CTestApp other;
    CMainFrame& again = *other.CreateMainFrame();
    again.ShowAtSavedPlace();
    EXPECT_TRUE(again.isMaximized());
}

TEST(QtTranslations, QtsOwnButtonsAndDialogsSpeakJapanese)
{
    TestApp();
    const QLocale before;
    ASSERT_TRUE(CAnnaluxApp::InstallQtTranslations(*QCoreApplication::instance()))
        << "qtbase_ja.qm not found: is qt6-translations-l10n installed?";
    QMessageBox box;
    box.setStandardButtons(QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
    EXPECT_TRUE(box.button(QMessageBox::Yes)->text().startsWith(QStringLiteral("はい")))
        << box.button(QMessageBox::Yes)->text().toStdString();
    EXPECT_TRUE(box.button(QMessageBox::No)->text().startsWith(QStringLiteral("いいえ")));
    EXPECT_EQ(QLocale().language(), QLocale::Japanese);

    for (QTranslator* t : QCoreApplication::instance()->findChildren<QTranslator*>()) {
        QCoreApplication::removeTranslator(t);
        delete t;
    }
    QLocale::setDefault(before);
}
