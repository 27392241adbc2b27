#include "AnnaluxApp.h"
#include "AnnaluxDoc.h"
#include "AnnaluxView.h"
#include "AppTest.h"
#include "CommandIds.h"
#include "DialogAssistant.h"
#include "DialogCreateLibrarySelect.h"
#include "DialogHeaderSelect.h"
#include "DialogInsertSelect.h"
#include "DialogMakeEvent.h"
#include "DialogProperty.h"
#include "DialogSelectLibrary.h"
#include "GengouEra.h"
#include "HeaderKind.h"
#include "LibraryCommandWiring.h"
#include "LibraryCommands.h"
#include "MainFrame.h"
#include "ManageMenu.h"
#include "ScriptedHostServices.h"
#include "Settings.h"
#include "YearEvent.h"

#include "Sjis.h"
#include "TempDir.h"
#include "TestApplication.h"

#include <gtest/gtest.h>

#include <QAbstractItemModel>
#include <QAction>
#include <QApplication>
#include <QDialogButtonBox>
#include <QHeaderView>
#include <QLineEdit>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QToolButton>
#include <deque>
#include <functional>
#include <memory>

namespace {

constexpr int Yes = CHostServices::AnswerYes;
constexpr int No = CHostServices::AnswerNo;
constexpr int Ok = CHostServices::AnswerOk;

// The application with every dialog answered by a script, in order; a dialog
// nobody expected fails the test and is cancelled.
class CScriptedApp : public CAnnaluxApp
{
public:
    using Script = std::function<void(QDialog&)>;

    int RunDialog(QDialog& dialog) override
    {
        shown.push_back(dialog.metaObject()->className());
        if (scripts.empty()) {
            ADD_FAILURE() << "unexpected dialog " << dialog.metaObject()->className();
            return QDialog::Rejected;
        }
        const Script script = scripts.front();
        scripts.pop_front();
        script(dialog);
        return dialog.result();
    }

    std::deque<Script> scripts;
    std::vector<std::string> shown;
};

class LibraryWiringTest : public AppTest
{
protected:
    static void SetUpTestSuite() { TestApp(); }

    LibraryWiringTest()
    {
        m_host.SetDefaultAnswer(No);
        m_app = std::make_unique<CScriptedApp>();
        m_frame = m_app->CreateMainFrame();
    }
    ~LibraryWiringTest() override { m_app.reset(); }

    CAnnaluxDoc& Doc() { return m_app->GetDocument(); }

    // The next dialog must be a T; act does what the user would.
    template <typename T> void Expect(std::function<void(T&)> act)
    {
        m_app->scripts.push_back([act](QDialog& dialog) {
            T* typed = qobject_cast<T*>(&dialog);
            ASSERT_NE(typed, nullptr) << "unexpected dialog " << dialog.metaObject()->className();
            act(*typed);
        });
    }
    static void Press(QDialog& dialog, QDialogButtonBox::StandardButton which)
    {
        auto* box = dialog.findChild<QDialogButtonBox*>("buttonBox");
        ASSERT_NE(box, nullptr);
        ASSERT_NE(box->button(which), nullptr);
        box->button(which)->click();
    }
    static void PressOk(QDialog& d) { Press(d, QDialogButtonBox::Ok); }
    static void PressCancel(QDialog& d) { Press(d, QDialogButtonBox::Cancel); }

    // Scripts the event editor: one record typed into the blank form, OK.
    void ExpectEventEditor(const char* year, const char* text)
    {
        Expect<CDialogMakeEvent>([year, text](CDialogMakeEvent& d) {
            d.findChild<QLineEdit*>("editYear")->setText(QString::fromUtf8(year));
            d.findChild<QPlainTextEdit*>("editEvent")->setPlainText(QString::fromUtf8(text));
            PressOk(d);
        });
    }
    void ExpectProperty(const char* title)
    {
        Expect<CDialogProperty>([title](CDialogProperty& d) {
            d.findChild<QLineEdit*>("editTitle")->setText(QString::fromUtf8(title));
            PressOk(d);
        });
    }
    void Answer(std::initializer_list<int> answers)
    {
        for (int a : answers)
            m_host.QueueAnswer(a);
    }
    // Runs the commands the window posted.
    static void RunPosted()
    {
        for (int i = 0; i < 5; ++i)
            QCoreApplication::processEvents();
    }

    std::string WriteEventFile(const std::string& name, const char* title,
                               std::initializer_list<std::pair<int32_t, const char*>> events)
    {
        CYearEvent table;
        table.SetTableName(Sjis(title));
        for (const auto& e : events) {
            SEventData data;
            data.year = e.first;
            data.text = Sjis(e.second);
            data.month = -1; // undated, as the editor stores it
            data.day = -1;
            table.SetData(data, true, -1, EP_EVERY);
        }
        const std::string path = m_dir.File(name);
        TempDir::Write(path, table.MakeFileContent());
        return path;
    }
    // Loads an event file through the window's own command.
    void LoadEvents(const std::string& path)
    {
        m_host.QueueFileName(path);
        if (!Doc().GetColumns().IsEmpty())
            Expect<CDialogInsertSelect>([](CDialogInsertSelect& d) { PressOk(d); });
        ASSERT_TRUE(m_frame->RunCommand(ID_LOAD_EVENT_LIBRARY));
    }
    std::vector<QString> HeaderTexts() const
    {
        std::vector<QString> texts;
        const QHeaderView* header = m_frame->GetView()->findChild<QHeaderView*>();
        if (!header)
            return texts;
        for (int i = 0; i < header->model()->columnCount(); ++i)
            texts.push_back(header->model()->headerData(i, Qt::Horizontal).toString());
        return texts;
    }
    std::vector<int> Kinds()
    {
        std::vector<int> kinds;
        for (int i = 0; i < Doc().GetColumns().GetCount(); ++i)
            kinds.push_back(Doc().GetColumns().GetKind(i));
        return kinds;
    }
    // The column menu of column, built as the header's right click builds it.
    std::unique_ptr<QMenu> ColumnMenu(int column)
    {
        Doc().SetCurrentColumn(column);
        auto menu = std::make_unique<QMenu>();
        m_frame->GetManageMenu().BuildMenu(Doc().GetColumns().GetKind(column), *menu);
        return menu;
    }
    static QAction* Item(QMenu& menu, int command)
    {
        for (QAction* a : menu.actions())
            if (!a->isSeparator() && a->data().toInt() == command)
                return a;
        return nullptr;
    }

    std::unique_ptr<CScriptedApp> m_app;
    CMainFrame* m_frame = nullptr;
};

// ---- from nothing to a saved chronology ------------------------------------------

TEST_F(LibraryWiringTest, ANewChronologyIsCreatedFilledSavedAndReopened)
{
    Doc().OnNewDocument();
    ASSERT_TRUE(Doc().GetColumns().IsEmpty());

    // ﾌｧｲﾙ > ﾗｲﾌﾞﾗﾘの新規作成: events, a title, one event typed in the
    // program's own editor, saved to a file and added to the screen.
    Expect<CDialogCreateLibrarySelect>([](CDialogCreateLibrarySelect& d) {
        d.SetOption(3);
        PressOk(d);
    });
    ExpectProperty("日本史");
    ExpectEventEditor("1600", "関ヶ原の戦い");
    const std::string libraryPath = m_dir.File("nihonshi.lev");
    Answer({Yes, Yes}); // save it, add it
    m_host.QueueFileName(libraryPath);
    ASSERT_TRUE(m_frame->RunCommand(ID_LIBRARY_NEW));
    EXPECT_TRUE(m_app->scripts.empty());
    EXPECT_EQ(Kinds(), (std::vector<int>{CK_YEAR, CK_EVENT}));
    EXPECT_EQ(HeaderTexts(), (std::vector<QString>{"西暦", "日本史"}));
    ASSERT_FALSE(TempDir::Read(libraryPath).empty());
    EXPECT_TRUE(Doc().IsModified());

    // ﾌｧｲﾙ > 上書き保存 of a chronology never saved asks for its name.
    const std::string projectPath = m_dir.File("chronology.anx");
    m_host.QueueFileName(projectPath);
    ASSERT_TRUE(m_frame->RunCommand(ID_FILE_SAVE));
    EXPECT_FALSE(Doc().IsModified());
    EXPECT_EQ(Doc().GetPathName(), projectPath);

    CAnnaluxDoc reopened;
    ASSERT_TRUE(reopened.OnOpenDocument(projectPath));
    ASSERT_EQ(reopened.GetEventTableCount(), 1);
    const CYearEvent& events = *reopened.GetEventTable(0);
    EXPECT_EQ(events.GetTableName(), Sjis("日本史"));
    ASSERT_EQ(events.GetLen(), 1);
    EXPECT_EQ(events.GetRecord(0).year, 1600);
    EXPECT_EQ(events.GetRecord(0).text, Sjis("関ヶ原の戦い"));
    ASSERT_EQ(reopened.GetColumns().GetCount(), 2);
    EXPECT_EQ(reopened.GetColumns().GetKind(1), CK_EVENT);
}

TEST_F(LibraryWiringTest, AnEditorsOkMarksTheColumnHeaderUntilTheLibraryIsSaved)
{
    const std::string path = WriteEventFile("a.lev", "A", {{1600, "関ヶ原"}});
    LoadEvents(path);
    EXPECT_EQ(HeaderTexts(), (std::vector<QString>{"西暦", "A"}));

    // 表示データを修正 > 出来事...: the only library is confirmed, then the
    // editor adds a record on OK.
    Answer({Ok});
    Expect<CDialogMakeEvent>([](CDialogMakeEvent& d) {
        d.findChild<QPushButton*>("buttonNew")->click();
        d.findChild<QLineEdit*>("editYear")->setText("1603");
        d.findChild<QPlainTextEdit*>("editEvent")->setPlainText("江戸幕府");
        PressOk(d);
    });
    ASSERT_TRUE(m_frame->RunCommand(ID_MODIFY_EVENT));
    EXPECT_EQ(m_host.Messages().back(), "Aを修正します");
    EXPECT_EQ(Doc().GetEventTable(0)->GetLen(), 2);
    EXPECT_EQ(HeaderTexts(), (std::vector<QString>{"西暦", "*A"}));
    EXPECT_TRUE(m_frame->IsCommandEnabled(ID_LIBRARY_SAVE_ALL));

    // A Cancel changes nothing.
    Answer({Ok});
    Expect<CDialogMakeEvent>([](CDialogMakeEvent& d) { d.reject(); });
    EXPECT_TRUE(m_frame->RunCommand(ID_MODIFY_EVENT));
    EXPECT_EQ(Doc().GetEventTable(0)->GetLen(), 2);

    ASSERT_TRUE(m_frame->RunCommand(ID_LIBRARY_SAVE_ALL));
    EXPECT_EQ(HeaderTexts(), (std::vector<QString>{"西暦", "A"}));
    EXPECT_FALSE(m_frame->IsCommandEnabled(ID_LIBRARY_SAVE_ALL));
    CYearEvent saved;
    ASSERT_TRUE(saved.ReadFile(path.c_str(), false));
    EXPECT_EQ(saved.GetLen(), 2);
}

// ---- enabled states ------------------------------------------------------------------

TEST_F(LibraryWiringTest, CommandsAreEnabledAsTheChronologyAllows)
{
    for (int command : CLibraryCommandWiring::Commands())
        EXPECT_TRUE(m_frame->HasCommandHandler(command)) << command;

    struct SCase
    {
        int command;
        bool empty;      // no column
        bool withEvents; // an event column, nothing chosen by a column menu
    };
    const SCase cases[] = {
        {ID_LIBRARY_NEW, true, true},
        {ID_LIBRARY_LOAD, true, true},
        {ID_NEW_EVENT_LIBRARY, true, true},
        {ID_NEW_BASEYEAR_LIBRARY, true, true},
        {ID_LOAD_GENGOU_LIBRARY, true, true},
        {ID_LOAD_BASEYEAR_LIBRARY, true, true},
        {ID_MODIFY_EVENT, true, true},
        {ID_MODIFY_BASEYEAR, true, true},
        {CLibraryCommandWiring::ID_ADD_EVENT, true, true},
        {ID_MODIFY_SELECT, false, true},
        {ID_CHRONOLOGY_INFO, false, true},
        {ID_COLUMN_DELETE, false, true},
        {ID_COLUMN_DELETE_THIS, false, true},
        {ID_CLEAR_ALL, false, true},
        {ID_LIBRARY_SAVE_ALL, false, false}, // nothing unsaved
        {ID_LIBRARY_SAVE, false, false},     // no column chosen
        {ID_LIBRARY_INFO, false, false},
        {ID_COLUMN_MODIFY_EVENT, false, false},
    };
    for (const SCase& c : cases)
        EXPECT_EQ(m_frame->IsCommandEnabled(c.command), c.empty) << "empty, " << c.command;

    LoadEvents(WriteEventFile("a.lev", "A", {{1600, "関ヶ原"}}));
    m_frame->UpdateCommandUI();
    for (const SCase& c : cases) {
        EXPECT_EQ(m_frame->IsCommandEnabled(c.command), c.withEvents) << "events, " << c.command;
        // Menu items and buttons follow.
        for (QAction* action : m_frame->FindActions(c.command))
            EXPECT_EQ(action->isEnabled(), c.withEvents) << c.command;
    }
    // The toolbar's data buttons.
    EXPECT_TRUE(m_frame->GetToolButton(4)->isEnabled());
    EXPECT_TRUE(m_frame->GetToolButton(5)->isEnabled());
    EXPECT_TRUE(m_frame->GetToolButton(6)->isEnabled());
}

TEST_F(LibraryWiringTest, WithoutEventsTheModifyButtonIsOffButItsNeighboursWork)
{
    m_frame->UpdateCommandUI();
    EXPECT_FALSE(m_frame->GetToolButton(4)->isEnabled());
    EXPECT_TRUE(m_frame->GetToolButton(5)->isEnabled());
    EXPECT_TRUE(m_frame->GetToolButton(6)->isEnabled());

    // "ﾃﾞｰﾀ読込" > "元号": no kind dialog, straight to the file; the era
    // names wait for events, and the user is told so.
    CGengouEra eras;
    eras.SetTableName(Sjis("元号"));
    eras.SetData(Sjis("慶長"), 1596, 1615, "");
    const std::string path = m_dir.File("eras.lgn");
    TempDir::Write(path, eras.MakeFileContent(HT_GENGOU));
    m_host.QueueFileName(path);
    QMenu* load = m_frame->GetToolDropDown(6);
    ASSERT_NE(load, nullptr);
    QAction* item = nullptr;
    for (QAction* a : load->actions())
        if (a->text() == QStringLiteral("元号"))
            item = a;
    ASSERT_NE(item, nullptr);
    ASSERT_TRUE(item->isEnabled());
    item->trigger();
    EXPECT_EQ(Kinds(), (std::vector<int>{CK_YEAR, CK_GENGOU}));
    EXPECT_EQ(m_host.Messages().back(), CLibraryCommands::kNoEventsForEraNames);
    EXPECT_FALSE(m_frame->GetToolButton(4)->isEnabled());

    // "ﾃﾞｰﾀ新規" > "出来事": straight to the library's information.
    QMenu* create = m_frame->GetToolDropDown(5);
    ASSERT_NE(create, nullptr);
    ASSERT_EQ(create->actions().size(), 4);
    Expect<CDialogProperty>([](CDialogProperty& d) { PressCancel(d); });
    create->actions().at(0)->trigger();
    EXPECT_EQ(m_app->shown.back(), "CDialogProperty");
    EXPECT_EQ(Doc().GetEventTableCount(), 0);

    // "ﾃﾞｰﾀ修正" itself asks the kind once events are there.
    LoadEvents(WriteEventFile("a.lev", "A", {{1600, "関ヶ原"}}));
    EXPECT_TRUE(m_frame->GetToolButton(4)->isEnabled());
    Expect<CDialogSelectLibrary>([](CDialogSelectLibrary& d) { PressCancel(d); });
    EXPECT_TRUE(m_frame->RunCommand(ID_MODIFY_SELECT));
    EXPECT_EQ(m_app->shown.back(), "CDialogSelectLibrary");
}

// ---- column menus ----------------------------------------------------------------------

TEST_F(LibraryWiringTest, ColumnMenuCommandsActOnTheirColumn)
{
    LoadEvents(WriteEventFile("a.lev", "A", {{1600, "関ヶ原"}}));
    LoadEvents(WriteEventFile("b.lev", "B", {{1868, "明治維新"}}));
    ASSERT_EQ(Kinds(), (std::vector<int>{CK_YEAR, CK_EVENT, CK_EVENT}));
    const int columnB = Doc().GetColumns().GetTable(2) == Doc().GetEventTable(1) ? 2 : 1;
    CYearEvent* b = Doc().GetEventTable(1);

    // The year column offers only its removal.
    {
        auto menu = ColumnMenu(0);
        ASSERT_EQ(menu->actions().size(), 1);
        EXPECT_TRUE(menu->actions().at(0)->isEnabled());
        Doc().SetCurrentColumn(-1);
    }

    // 出来事データ修正 opens the editor on B, without asking which.
    {
        auto menu = ColumnMenu(columnB);
        EXPECT_TRUE(Item(*menu, ID_COLUMN_MODIFY_EVENT)->isEnabled());
        EXPECT_TRUE(Item(*menu, ID_COLUMN_ADD_EVENT)->isEnabled());
        EXPECT_TRUE(Item(*menu, ID_LIBRARY_INFO)->isEnabled());
        EXPECT_TRUE(Item(*menu, ID_LIBRARY_SAVE_AS)->isEnabled());
        EXPECT_FALSE(Item(*menu, ID_LIBRARY_SAVE)->isEnabled()); // nothing unsaved
        Expect<CDialogMakeEvent>([](CDialogMakeEvent& d) {
            d.findChild<QLineEdit*>("editYear")->setText("1869");
            PressOk(d);
        });
        const size_t asked = m_host.Messages().size();
        Item(*menu, ID_COLUMN_MODIFY_EVENT)->trigger();
        EXPECT_EQ(m_host.Messages().size(), asked);
        EXPECT_EQ(Doc().GetCurrentColumn(), -1);
        ASSERT_EQ(b->GetLen(), 1);
        EXPECT_EQ(b->GetRecord(0).year, 1869);
        EXPECT_TRUE(b->GetModified());
    }

    // Now B can be saved from its menu, and only B is written.
    {
        auto menu = ColumnMenu(columnB);
        ASSERT_TRUE(Item(*menu, ID_LIBRARY_SAVE)->isEnabled());
        Item(*menu, ID_LIBRARY_SAVE)->trigger();
        EXPECT_FALSE(b->GetModified());
        CYearEvent saved;
        ASSERT_TRUE(saved.ReadFile(m_dir.File("b.lev").c_str(), false));
        EXPECT_EQ(saved.GetRecord(0).year, 1869);
    }

    // ライブラリ情報 opens the property dialog of B and renames it.
    {
        auto menu = ColumnMenu(columnB);
        Expect<CDialogProperty>([](CDialogProperty& d) {
            EXPECT_EQ(d.findChild<QLineEdit*>("editTitle")->text(), QStringLiteral("B"));
            d.findChild<QLineEdit*>("editTitle")->setText("B2");
            PressOk(d);
        });
        Item(*menu, ID_LIBRARY_INFO)->trigger();
        EXPECT_EQ(b->GetTableName(), "B2");
        EXPECT_EQ(HeaderTexts().at(static_cast<size_t>(columnB)), QStringLiteral("*B2"));
    }

    // この列を消去する removes B only after Yes.
    {
        auto menu = ColumnMenu(columnB);
        Answer({No}); // keep the column
        Item(*menu, ID_COLUMN_DELETE_THIS)->trigger();
        EXPECT_EQ(Doc().GetColumns().GetCount(), 3);
        EXPECT_EQ(Doc().GetCurrentColumn(), -1);
        EXPECT_EQ(m_host.PendingAnswers(), 0u);
    }
    {
        auto menu = ColumnMenu(columnB);
        Answer({Yes, No}); // delete, don't save B's new title
        Item(*menu, ID_COLUMN_DELETE_THIS)->trigger();
        EXPECT_EQ(Kinds(), (std::vector<int>{CK_YEAR, CK_EVENT}));
        EXPECT_EQ(Doc().GetEventTableCount(), 1);
        EXPECT_EQ(Doc().GetEventTable(0)->GetTableName(), "A");
    }
}

TEST_F(LibraryWiringTest, ColumnMenuDataItemsNeedALibraryOfTheirKind)
{
    LoadEvents(WriteEventFile("a.lev", "A", {{1600, "関ヶ原"}}));
    Doc().SetCurrentColumn(0); // the year column
    EXPECT_FALSE(m_frame->IsCommandEnabled(ID_COLUMN_MODIFY_EVENT));
    EXPECT_FALSE(m_frame->IsCommandEnabled(ID_LIBRARY_INFO));
    EXPECT_TRUE(m_frame->IsCommandEnabled(ID_COLUMN_DELETE_THIS));
    Doc().SetCurrentColumn(1);
    EXPECT_TRUE(m_frame->IsCommandEnabled(ID_COLUMN_MODIFY_EVENT));
    EXPECT_FALSE(m_frame->IsCommandEnabled(ID_COLUMN_MODIFY_GENGOU));
    EXPECT_FALSE(m_frame->IsCommandEnabled(ID_COLUMN_ADD_ERA));
    Doc().SetCurrentColumn(7); // stale
    EXPECT_FALSE(m_frame->IsCommandEnabled(ID_COLUMN_MODIFY_EVENT));
    Doc().SetCurrentColumn(-1);

    // 列消去 and すべてを消去 from the menu bar.
    Expect<CDialogHeaderSelect>([](CDialogHeaderSelect& d) { PressCancel(d); });
    EXPECT_TRUE(m_frame->RunCommand(ID_COLUMN_DELETE));
    EXPECT_EQ(Doc().GetColumns().GetCount(), 2);
    Answer({Yes});
    EXPECT_TRUE(m_frame->RunCommand(ID_CLEAR_ALL));
    EXPECT_TRUE(Doc().GetColumns().IsEmpty());
    EXPECT_FALSE(m_frame->IsCommandEnabled(ID_CLEAR_ALL));
}

// ---- the start-up assistant ----------------------------------------------------------------

TEST_F(LibraryWiringTest, AssistantCreateAsksTheKindAndCreatesUntilTheUserStops)
{
    Expect<CDialogAssistant>([](CDialogAssistant& d) {
        EXPECT_TRUE(d.IsChoiceEnabled(CDialogAssistant::ChoiceCombineLibraries));
        EXPECT_TRUE(d.IsChoiceEnabled(CDialogAssistant::ChoiceCreateLibrary));
        d.SetChoice(CDialogAssistant::ChoiceCreateLibrary);
        PressOk(d);
    });
    Expect<CDialogCreateLibrarySelect>([](CDialogCreateLibrarySelect& d) {
        d.SetOption(3);
        PressOk(d);
    });
    m_app->ShowAssistant();
    EXPECT_TRUE(m_app->IsAssistantActive());

    // The posted 出来事 modify command creates an event library, then asks
    // to go on: yes, with era names.
    ExpectProperty("日本史");
    ExpectEventEditor("1600", "関ヶ原の戦い");
    Answer({No, Yes, Yes}); // don't save, add, go on
    Expect<CDialogCreateLibrarySelect>([](CDialogCreateLibrarySelect& d) {
        d.SetOption(0);
        PressOk(d);
    });
    // The posted 元号 command: its information, cancelled; then stop.
    Expect<CDialogProperty>([](CDialogProperty& d) { PressCancel(d); });
    Answer({No}); // no other library
    RunPosted();
    EXPECT_TRUE(m_app->scripts.empty());
    EXPECT_EQ(Doc().GetEventTableCount(), 1);
    EXPECT_EQ(Kinds(), (std::vector<int>{CK_YEAR, CK_EVENT}));
    EXPECT_EQ(m_host.Messages().back(), CLibraryCommands::kContinueCreateQuestion);
    EXPECT_FALSE(m_app->IsAssistantActive());

    // With the assistant off, the same command edits what is there.
    Answer({Ok});
    Expect<CDialogMakeEvent>([](CDialogMakeEvent& d) { d.reject(); });
    EXPECT_TRUE(m_frame->RunCommand(ID_MODIFY_EVENT));
    EXPECT_EQ(m_host.Messages().back(), "日本史を修正します");
}

TEST_F(LibraryWiringTest, AssistantCancelsEndItsRound)
{
    // Cancel on the kind question: nothing is posted and the round ends.
    Expect<CDialogAssistant>([](CDialogAssistant& d) {
        d.SetChoice(CDialogAssistant::ChoiceCreateLibrary);
        PressOk(d);
    });
    Expect<CDialogCreateLibrarySelect>([](CDialogCreateLibrarySelect& d) { PressCancel(d); });
    m_app->ShowAssistant();
    RunPosted();
    EXPECT_FALSE(m_app->IsAssistantActive());
    EXPECT_TRUE(m_app->scripts.empty());

    // Combining libraries: a load with the kind dialog; Cancel ends it.
    Expect<CDialogAssistant>([](CDialogAssistant& d) {
        d.SetChoice(CDialogAssistant::ChoiceCombineLibraries);
        PressOk(d);
    });
    m_app->ShowAssistant();
    EXPECT_TRUE(m_app->IsAssistantActive());
    Expect<CDialogSelectLibrary>([](CDialogSelectLibrary& d) { PressCancel(d); });
    RunPosted();
    EXPECT_FALSE(m_app->IsAssistantActive());
    EXPECT_TRUE(m_app->scripts.empty());
    EXPECT_EQ(m_app->shown.back(), "CDialogSelectLibrary");
}

TEST_F(LibraryWiringTest, AssistantCombiningLoadsOneLibraryAfterAnother)
{
    const std::string a = WriteEventFile("a.lev", "A", {{1600, "関ヶ原"}});
    Expect<CDialogAssistant>([](CDialogAssistant& d) {
        d.SetChoice(CDialogAssistant::ChoiceCombineLibraries);
        PressOk(d);
    });
    m_app->ShowAssistant();
    Expect<CDialogSelectLibrary>([](CDialogSelectLibrary& d) { PressOk(d); });
    m_host.QueueFileName(a);
    // The load is offered again; the second file dialog is cancelled.
    Expect<CDialogSelectLibrary>([](CDialogSelectLibrary& d) { PressOk(d); });
    RunPosted();
    EXPECT_EQ(Kinds(), (std::vector<int>{CK_YEAR, CK_EVENT}));
    EXPECT_FALSE(m_app->IsAssistantActive());
    EXPECT_TRUE(m_app->scripts.empty());
}

} // namespace
