#include "LibraryCommands.h"

#include "BaseYear.h"
#include "DialogCreateLibrarySelect.h"
#include "DialogHeaderSelect.h"
#include "DialogInsertSelect.h"
#include "DialogProperty.h"
#include "DialogSelectLibrary.h"
#include "DialogTestEnv.h"
#include "FullDisk.h"
#include "GengouEra.h"
#include "SaveFile.h"
#include "SelectData.h"
#include "Sjis.h"
#include "YearEvent.h"

#include <QFileInfo>
#include <QLineEdit>

#include <deque>
#include <functional>
#include <unistd.h>

namespace {

using Mode = CLibraryCommands::EEditMode;
constexpr int Yes = CHostServices::AnswerYes;
constexpr int No = CHostServices::AnswerNo;
constexpr int Ok = CHostServices::AnswerOk;
constexpr int Cancel = CHostServices::AnswerCancel;

class LibraryCommandsTest : public DialogTest
{
protected:
    using Script = std::function<void(QDialog&)>;

    LibraryCommandsTest() : m_commands(m_doc.get())
    {
        CLibraryCommands::SHooks hooks;
        hooks.runDialog = [this](QDialog& dialog) { return RunScripted(dialog); };
        hooks.editEvents = [this](CAnnaluxDoc&, CYearEvent& table, Mode mode) {
            m_editModes.push_back(mode);
            if (m_editorAddsRecord && mode == CLibraryCommands::EditNewLibrary)
                table.SetData(Event(1600, "関ヶ原の戦い"), true, -1, EP_EVERY);
            return m_editorOk;
        };
        hooks.editEras = [this](CAnnaluxDoc&, CGengouEra& table, int kind, Mode mode) {
            m_editModes.push_back(mode);
            m_editKinds.push_back(kind);
            if (m_editorAddsRecord && mode == CLibraryCommands::EditNewLibrary)
                table.SetData(Sjis("慶長"), 1596, 1615, "");
            return m_editorOk;
        };
        hooks.editBaseYear = [this](CAnnaluxDoc&, CBaseYear& table, bool isNew) {
            m_editModes.push_back(isNew ? CLibraryCommands::EditNewLibrary
                                        : CLibraryCommands::EditModify);
            if (isNew) {
                table.SetTableName(Sjis("家康の年齢"));
                table.SetBaseWesternYear(1543);
            }
            return m_editorOk;
        };
        m_commands.SetHooks(hooks);
        m_doc->AddListener([this](CAnnaluxDoc::EViewNotice n) { m_notices.push_back(n); });
    }

    static SEventData Event(int32_t year, const char* text)
    {
        SEventData e;
        e.year = year;
        e.text = Sjis(text);
        return e;
    }

    // The next dialog is handled by script, which clicks or calls what the
    // user would; a dialog nobody expected is a failure and is cancelled.
    template <typename T> void Expect(std::function<void(T&)> act)
    {
        m_scripts.push_back([act](QDialog& dialog) {
            T* typed = qobject_cast<T*>(&dialog);
            ASSERT_NE(typed, nullptr) << "unexpected dialog " << dialog.metaObject()->className();
            act(*typed);
        });
    }
    template <typename T> void ExpectOk()
    {
        Expect<T>([](T& d) { PressOk(d); });
    }
    template <typename T> void ExpectCancel()
    {
        Expect<T>([](T& d) { PressCancel(d); });
    }
    int RunScripted(QDialog& dialog)
    {
        m_dialogs.push_back(dialog.metaObject()->className());
        if (m_scripts.empty()) {
            ADD_FAILURE() << "no script for " << dialog.metaObject()->className();
            return QDialog::Rejected;
        }
        Script script = m_scripts.front();
        m_scripts.pop_front();
        script(dialog);
        return dialog.result();
    }
    void Answer(std::initializer_list<int> answers)
    {
        for (int a : answers)
            m_host.QueueAnswer(a);
    }

    std::string WriteEventFile(const std::string& name, const char* title,
                               std::initializer_list<std::pair<int32_t, const char*>> events)
    {
        CYearEvent table;
        table.SetTableName(Sjis(title));
        for (const auto& e : events)
            table.SetData(Event(e.first, e.second), true, -1, EP_EVERY);
        const std::string path = m_dir.File(name);
        TempDir::Write(path, table.MakeFileContent());
        return path;
    }
    // Loads an event file into the document with a column at the end.
    CYearEvent* AddEventColumn(const std::string& path)
    {
        auto table = std::make_unique<CYearEvent>();
        EXPECT_TRUE(table->ReadFile(path.c_str(), false));
        CYearEvent* added = m_doc->AddEventTable(std::move(table));
        AddColumn(CK_EVENT, added);
        return added;
    }
    void AddColumn(int kind, CTableBase* table)
    {
        CHeaderManager& columns = m_doc->GetColumns();
        columns.EnsureYearColumn(50);
        columns.Insert(kind, table, columns.GetCount(), kind == CK_EVENT ? 500 : 50);
    }
    static std::vector<std::string> Texts(const CYearEvent& table)
    {
        std::vector<std::string> texts;
        for (int i = 0; i < table.GetLen(); ++i)
            texts.push_back(Utf8(table.GetRecord(i).text));
        return texts;
    }
    std::vector<int> Kinds() const
    {
        std::vector<int> kinds;
        for (int i = 0; i < m_doc->GetColumns().GetCount(); ++i)
            kinds.push_back(m_doc->GetColumns().GetKind(i));
        return kinds;
    }
    bool Asked(const std::string& text) const
    {
        for (const std::string& m : m_host.Messages())
            if (m == text)
                return true;
        return false;
    }

    CLibraryCommands m_commands;
    std::deque<Script> m_scripts;
    std::vector<std::string> m_dialogs;
    std::vector<Mode> m_editModes;
    std::vector<int> m_editKinds;
    std::vector<CAnnaluxDoc::EViewNotice> m_notices;
    bool m_editorOk = true;
    bool m_editorAddsRecord = true;
};

// ---- loading ------------------------------------------------------------------

TEST_F(LibraryCommandsTest, FirstLoadAddsTheYearColumnThenLaterLoadsAskWhere)
{
    CGengouEra eras;
    eras.SetTableName(Sjis("元号"));
    eras.SetData(Sjis("慶長"), 1596, 1615, "");
    const std::string eraPath = m_dir.File("gengou.lgn");
    TempDir::Write(eraPath, eras.MakeFileContent(HT_GENGOU));
    const std::string eventPath = WriteEventFile("japan.lev", "日本史", {{1600, "関ヶ原"}});

    Expect<CDialogSelectLibrary>([](CDialogSelectLibrary& d) {
        EXPECT_EQ(d.GetOption(), 3); // events unless the caller says otherwise
        d.SetOption(0);
        PressOk(d);
    });
    m_host.QueueFileName(eraPath);
    ASSERT_TRUE(m_commands.LoadLibrary());
    EXPECT_EQ(Kinds(), (std::vector<int>{CK_YEAR, CK_GENGOU}));
    EXPECT_EQ(m_doc->GetColumns().GetLeft(1), 50);
    EXPECT_EQ(m_host.Messages(), std::vector<std::string>{CLibraryCommands::kNoEventsForEraNames});
    EXPECT_TRUE(m_doc->IsModified());

    // The second library asks for its place: before the era column.
    Expect<CDialogInsertSelect>([](CDialogInsertSelect& d) {
        EXPECT_EQ(d.GetSelectedRow(), 1);
        d.SetSelectedRow(1);
        d.SetAfter(false);
        PressOk(d);
    });
    m_host.Clear();
    m_host.QueueFileName(eventPath);
    ASSERT_TRUE(m_commands.LoadLibraryOfKind(HT_EVENT));
    EXPECT_EQ(Kinds(), (std::vector<int>{CK_YEAR, CK_EVENT, CK_GENGOU}));
    EXPECT_EQ(m_doc->GetColumns().GetLeft(2), 550);
    EXPECT_TRUE(m_host.Messages().empty()) << "no notice once events are loaded";

    // Cancelling the place keeps the library loaded, without a column.
    ExpectCancel<CDialogInsertSelect>();
    m_host.QueueFileName(eventPath);
    EXPECT_TRUE(m_commands.LoadLibraryOfKind(HT_EVENT));
    EXPECT_EQ(m_doc->GetEventTableCount(), 2);
    EXPECT_EQ(m_doc->GetColumns().GetCount(), 3);
}

TEST_F(LibraryCommandsTest, AssistantLoadingRepostsUntilTheUserStops)
{
    const std::string path = WriteEventFile("a.lev", "A", {{1, "x"}});
    m_commands.SetAssistantActive(true);

    ExpectOk<CDialogSelectLibrary>();
    m_host.QueueFileName(path);
    ASSERT_TRUE(m_commands.LoadLibrary());
    EXPECT_EQ(m_commands.TakePostedCommands(), std::vector<int>{32805});

    // A cancelled file choice ends the round instead of leaving the
    // assistant on behind the user's back.
    ExpectOk<CDialogSelectLibrary>();
    EXPECT_FALSE(m_commands.LoadLibrary());
    EXPECT_FALSE(m_commands.IsAssistantActive());
    EXPECT_TRUE(m_commands.TakePostedCommands().empty());

    m_commands.SetAssistantActive(true);
    ExpectCancel<CDialogSelectLibrary>();
    EXPECT_FALSE(m_commands.LoadLibrary());
    EXPECT_FALSE(m_commands.IsAssistantActive());
}

// ---- creating ------------------------------------------------------------------

struct SPromptCase
{
    const char* name;
    std::vector<int> answers;
    bool saveDialogAnswered; // a file name for the save dialog
    bool added;
    int questions;
    bool discardAsked;
};

class SaveAndAddPromptTest : public LibraryCommandsTest,
                             public ::testing::WithParamInterface<SPromptCase>
{
};

TEST_P(SaveAndAddPromptTest, NewEraLibrary)
{
    const SPromptCase& c = GetParam();
    Expect<CDialogProperty>([](CDialogProperty& d) {
        d.findChild<QLineEdit*>("editTitle")->setText(QString::fromUtf8("新元号"));
        PressOk(d);
    });
    for (int a : c.answers)
        m_host.QueueAnswer(a);
    const std::string file = m_dir.File("new.lgn");
    if (c.saveDialogAnswered)
        m_host.QueueFileName(file);

    EXPECT_EQ(m_commands.CreateLibraryOfKind(HT_GENGOU), c.added);
    EXPECT_EQ(m_doc->GetEraNameTableCount(), c.added ? 1 : 0);
    EXPECT_EQ(m_doc->GetColumns().GetCount(), c.added ? 2 : 0);
    EXPECT_EQ(m_doc->IsModified(), c.added);
    EXPECT_EQ(m_host.PendingAnswers(), 0u);
    EXPECT_EQ(static_cast<int>(m_host.Messages().size()), c.questions);
    EXPECT_EQ(Asked(CLibraryCommands::kDiscardQuestion), c.discardAsked);
    EXPECT_EQ(Asked("「新元号」を保存しますか？"), true);
    EXPECT_EQ(QFileInfo::exists(QString::fromStdString(file)), c.saveDialogAnswered);
    EXPECT_EQ(m_editModes, std::vector<Mode>{CLibraryCommands::EditNewLibrary});
}

INSTANTIATE_TEST_SUITE_P(
    Answers, SaveAndAddPromptTest,
    ::testing::Values(
        SPromptCase{"NoSaveThenAdd", {No, Yes}, false, true, 2, false},
        // A new library had changes when the prompt began, so the discard
        // question follows even after a save.
        SPromptCase{"SavedNotAddedStillAsksDiscard", {Yes, No, Yes}, true, false, 3, true},
        SPromptCase{"DiscardRefusedLoopsBack", {No, No, No, No, Yes}, false, true, 5, true}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(LibraryCommandsTest, NewLibraryIsDroppedWhenCancelledOrEmpty)
{
    ExpectCancel<CDialogProperty>();
    EXPECT_FALSE(m_commands.CreateLibraryOfKind(HT_EVENT));
    EXPECT_TRUE(m_editModes.empty()) << "no editor after a cancelled property dialog";

    Expect<CDialogProperty>([](CDialogProperty& d) {
        d.findChild<QLineEdit*>("editTitle")->setText(QStringLiteral("x"));
        PressOk(d);
    });
    m_editorAddsRecord = false;
    EXPECT_FALSE(m_commands.CreateLibraryOfKind(HT_EVENT));
    EXPECT_EQ(m_doc->GetEventTableCount(), 0);
    EXPECT_TRUE(m_host.Messages().empty()) << "an empty library is not offered";

    // Through the kind dialog: periods.
    Expect<CDialogCreateLibrarySelect>([](CDialogCreateLibrarySelect& d) {
        d.SetOption(1);
        PressOk(d);
    });
    Expect<CDialogProperty>([](CDialogProperty& d) {
        d.findChild<QLineEdit*>("editTitle")->setText(QStringLiteral("p"));
        PressOk(d);
    });
    m_editorAddsRecord = true;
    Answer({No, Yes});
    EXPECT_TRUE(m_commands.CreateLibrary());
    EXPECT_EQ(m_doc->GetPeriodTableCount(), 1);
    EXPECT_EQ(m_editKinds, std::vector<int>{HT_PERIOD});
    EXPECT_EQ(Kinds(), (std::vector<int>{CK_YEAR, CK_ERA}));
}

struct SBaseYearCase
{
    const char* name;
    std::vector<int> answers;
    const char* saveAs; // "" cancels the save dialog
    bool added;
    bool discardAsked;
};

class BaseYearPromptTest : public LibraryCommandsTest,
                           public ::testing::WithParamInterface<SBaseYearCase>
{
};

TEST_P(BaseYearPromptTest, NewBaseYear)
{
    const SBaseYearCase& c = GetParam();
    for (int a : c.answers)
        m_host.QueueAnswer(a);
    if (c.saveAs)
        m_host.QueueFileName(*c.saveAs ? m_dir.File(c.saveAs) : std::string());
    EXPECT_EQ(m_commands.CreateLibraryOfKind(HT_BASEYEAR), c.added);
    EXPECT_EQ(m_doc->GetBaseYearTableCount(), c.added ? 1 : 0);
    EXPECT_EQ(Asked(CLibraryCommands::kDiscardQuestion), c.discardAsked);
    EXPECT_EQ(Asked(CLibraryCommands::kNoEventsForBaseYears), c.added);
    EXPECT_EQ(m_host.PendingAnswers(), 0u);
    if (c.added) {
        EXPECT_EQ(m_doc->GetBaseYearTable(0)->GetBaseWesternYear(), 1543);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Answers, BaseYearPromptTest,
    ::testing::Values(
        // Saved, then not added: the copy on disk is enough, nothing asked.
        SBaseYearCase{"SavedNotAddedDiscardsSilently", {Yes, No}, "age.lby", false, false},
        // A save that did not happen does not count as one.
        SBaseYearCase{"CancelledSaveStillAsks", {Yes, No, Yes}, "", false, true},
        SBaseYearCase{"NotSavedDiscardConfirmed", {No, No, Yes}, nullptr, false, true},
        SBaseYearCase{"DiscardRefusedThenAdded", {No, No, No, No, Yes}, nullptr, true, true}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(LibraryCommandsTest, OutOfMemoryWhileCreatingAbandonsTheLibrary)
{
    CLibraryCommands::SHooks hooks;
    hooks.editEvents = [](CAnnaluxDoc&, CYearEvent&, Mode) -> bool { throw std::bad_alloc(); };
    m_commands.SetHooks(hooks);
    Expect<CDialogProperty>([](CDialogProperty& d) {
        d.findChild<QLineEdit*>("editTitle")->setText(QStringLiteral("x"));
        PressOk(d);
    });
    EXPECT_FALSE(m_commands.CreateLibraryOfKind(HT_EVENT));
    EXPECT_EQ(m_host.Messages(), std::vector<std::string>{CLibraryCommands::kOutOfMemory});
    EXPECT_EQ(m_doc->GetEventTableCount(), 0);
}

// ---- merging ----------------------------------------------------------------------

TEST_F(LibraryCommandsTest, MergeRefusesTheColumnsOwnFileWhateverItsCase)
{
    const std::string path = WriteEventFile("Japan.lev", "日本史", {{1600, "関ヶ原"}});
    const std::string other = WriteEventFile("world.lev", "世界史", {{1492, "新大陸"}});
    CYearEvent* table = AddEventColumn(path);
    // As a project made on another system may name it.
    table->SetFileName(m_dir.File("JAPAN.LEV"));

    m_host.QueueFileName(path);
    EXPECT_FALSE(m_commands.MergeIntoColumn(1));
    EXPECT_EQ(m_host.Messages(), std::vector<std::string>{CLibraryCommands::kSameFileMessage});
    EXPECT_EQ(table->GetLen(), 1);

    m_host.Clear();
    m_host.QueueFileName(other);
    EXPECT_TRUE(m_commands.MergeIntoColumn(1));
    EXPECT_EQ(Texts(*table), (std::vector<std::string>{"新大陸", "関ヶ原"}));
    EXPECT_TRUE(table->GetModified());
    EXPECT_FALSE(m_commands.MergeIntoColumn(0)) << "the year column takes no merge";
}

// ---- moving and copying ----------------------------------------------------------

TEST_F(LibraryCommandsTest, MoveAndCopyBetweenLoadedLibraries)
{
    CYearEvent* a = AddEventColumn(WriteEventFile("a.lev", "A", {{1600, "甲"}, {1600, "乙"}}));
    CYearEvent* b = AddEventColumn(WriteEventFile("b.lev", "B", {{1700, "丙"}}));
    EXPECT_EQ(m_commands.MoveTargets(1), std::vector<int>{1});

    Answer({Yes});
    ASSERT_TRUE(m_commands.MoveOrCopyToLibrary(1, 1600, 1, 1, false));
    EXPECT_EQ(m_host.Messages().back(), "1600年,「乙」\r\nをライブラリ「B」に複写しますか？");
    EXPECT_EQ(Texts(*a), (std::vector<std::string>{"甲", "乙"}));
    EXPECT_EQ(Texts(*b), (std::vector<std::string>{"乙", "丙"}));
    EXPECT_TRUE(m_doc->IsModified());

    Answer({Yes});
    ASSERT_TRUE(m_commands.MoveOrCopyToLibrary(1, 1600, 0, 1, true));
    EXPECT_EQ(Texts(*a), std::vector<std::string>{"乙"});
    EXPECT_EQ(Texts(*b), (std::vector<std::string>{"乙", "甲", "丙"}));

    Answer({No});
    EXPECT_FALSE(m_commands.MoveOrCopyToLibrary(1, 1600, 0, 1, true));
    EXPECT_EQ(a->GetLen(), 1);
    // A year without events takes the nearest one.
    Answer({Yes});
    ASSERT_TRUE(m_commands.MoveOrCopyToLibrary(2, 1650, 0, 0, true));
    EXPECT_EQ(Texts(*a), (std::vector<std::string>{"乙", "丙"}));
    // Moving onto its own library changes nothing.
    const size_t asked = m_host.Messages().size();
    EXPECT_FALSE(m_commands.MoveOrCopyToLibrary(1, 1600, 0, 0, true));
    EXPECT_EQ(m_host.Messages().size(), asked);
    EXPECT_EQ(a->GetLen(), 2);
}

TEST_F(LibraryCommandsTest, MoveToALoadedFileMovesInMemoryAndLeavesTheFileAlone)
{
    CYearEvent* a = AddEventColumn(WriteEventFile("a.lev", "A", {{1600, "甲"}}));
    const std::string bPath = WriteEventFile("b.lev", "B", {{1700, "丙"}});
    CYearEvent* b = AddEventColumn(bPath);
    const std::string before = TempDir::Read(bPath);
    // Saved libraries keep their names relative to the chronology's folder;
    // the dialog answers with an absolute path to the same file.
    ASSERT_EQ(chdir(m_dir.Path().c_str()), 0);
    b->SetFileName("b.lev");

    Answer({Yes});
    m_host.QueueFileName(bPath);
    ASSERT_TRUE(m_commands.MoveOrCopyToFile(1, 1600, 0, true));
    EXPECT_EQ(m_host.Records().front().text, CLibraryCommands::kMoveFileTitle);
    EXPECT_EQ(a->GetLen(), 0);
    EXPECT_EQ(Texts(*b), (std::vector<std::string>{"甲", "丙"}));
    EXPECT_TRUE(b->GetModified());
    EXPECT_EQ(TempDir::Read(bPath), before);
}

TEST_F(LibraryCommandsTest, MoveToAFileWritesItAndKeepsTheEventWhenTheWriteFails)
{
    CYearEvent* a = AddEventColumn(WriteEventFile("a.lev", "A", {{1600, "甲"}, {1601, "乙"}}));
    const std::string target = WriteEventFile("c.lev", "C", {{1700, "丙"}});
    const std::string before = TempDir::Read(target);

    CSaveFile::SetWriteFunctionForTesting(&FullDiskWrite);
    Answer({Yes});
    m_host.QueueFileName(target);
    EXPECT_FALSE(m_commands.MoveOrCopyToFile(1, 1600, 0, true));
    CSaveFile::SetWriteFunctionForTesting(nullptr);
    EXPECT_EQ(Texts(*a), (std::vector<std::string>{"甲", "乙"}));
    EXPECT_EQ(TempDir::Read(target), before);
    EXPECT_FALSE(m_doc->IsModified());

    m_host.Clear();
    Answer({Yes});
    m_host.QueueFileName(target);
    ASSERT_TRUE(m_commands.MoveOrCopyToFile(1, 1601, 0, true));
    EXPECT_EQ(m_host.Messages().front(),
              "1601年,「乙」\r\nをライブラリファイル「" + target + "」に移動しますか？");
    EXPECT_EQ(Texts(*a), std::vector<std::string>{"甲"});
    CYearEvent written;
    ASSERT_TRUE(written.ReadFile(target.c_str(), false));
    EXPECT_EQ(Texts(written), (std::vector<std::string>{"乙", "丙"}));

    // A copy to a file that is not there, and one whose file is no library.
    m_host.Clear();
    m_host.QueueFileName(m_dir.File("gone.lev"));
    EXPECT_FALSE(m_commands.MoveOrCopyToFile(1, 1600, 0, false));
    EXPECT_EQ(m_host.Messages(), std::vector<std::string>{CLibraryCommands::kFileNotFoundMessage});
    TempDir::Write(m_dir.File("bad.lev"), "not a library\r\n");
    m_host.Clear();
    Answer({Yes});
    m_host.QueueFileName(m_dir.File("bad.lev"));
    EXPECT_FALSE(m_commands.MoveOrCopyToFile(1, 1600, 0, false));
    EXPECT_EQ(m_host.Messages().back(), "複写先ファイルの読み込みに失敗しました");
    EXPECT_EQ(m_host.Records().front().text, CLibraryCommands::kCopyFileTitle);
    EXPECT_EQ(a->GetLen(), 1);
}

// ---- deleting and clearing ---------------------------------------------------------

TEST_F(LibraryCommandsTest, DeletingCheckedColumnsLeavesTheRestAbutting)
{
    for (const char* name : {"a.lev", "b.lev", "c.lev", "d.lev"})
        AddEventColumn(WriteEventFile(name, name, {{1, "x"}}));
    Expect<CDialogHeaderSelect>([](CDialogHeaderSelect& d) {
        d.SetChecked(0, true);
        d.SetChecked(2, true);
        d.SetChecked(4, true);
        PressOk(d);
    });
    ASSERT_TRUE(m_commands.DeleteColumns());
    const CHeaderManager& columns = m_doc->GetColumns();
    ASSERT_EQ(columns.GetCount(), 2);
    EXPECT_EQ(Utf8(columns.GetTable(0)->GetTableName()), "a.lev");
    EXPECT_EQ(Utf8(columns.GetTable(1)->GetTableName()), "c.lev");
    EXPECT_EQ(columns.GetLeft(0), 0);
    EXPECT_EQ(columns.GetLeft(1), 500);
    EXPECT_EQ(m_doc->GetEventTableCount(), 2) << "the libraries of deleted columns go too";
    EXPECT_TRUE(m_doc->IsModified());
}

TEST_F(LibraryCommandsTest, DeletingAModifiedLibrarysColumnOffersToSaveAndKeepsItIfThatFails)
{
    CYearEvent* a = AddEventColumn(WriteEventFile("a.lev", "A", {{1, "x"}}));
    a->SetData(Event(2, "y"), true, -1, EP_EVERY);

    m_doc->SetCurrentColumn(1);
    CSaveFile::SetWriteFunctionForTesting(&FullDiskWrite);
    Answer({Yes, Yes});
    EXPECT_FALSE(m_commands.DeleteCurrentColumn());
    CSaveFile::SetWriteFunctionForTesting(nullptr);
    EXPECT_EQ(m_doc->GetCurrentColumn(), -1);
    EXPECT_EQ(m_doc->GetColumns().GetCount(), 2) << "unsaved changes are not thrown away";
    EXPECT_EQ(m_host.Messages().front(), CLibraryCommands::kDeleteColumnQuestion);
    EXPECT_EQ(m_host.Messages()[1], CLibraryCommands::kSaveBeforeDeleteQuestion);

    m_host.Clear();
    m_doc->SetCurrentColumn(1);
    Answer({Yes, Yes});
    EXPECT_TRUE(m_commands.DeleteCurrentColumn());
    EXPECT_EQ(Kinds(), std::vector<int>{CK_YEAR});
    CYearEvent saved;
    ASSERT_TRUE(saved.ReadFile(m_dir.File("a.lev").c_str(), false));
    EXPECT_EQ(saved.GetLen(), 2);

    // No current column: the list of columns is offered.
    ExpectCancel<CDialogHeaderSelect>();
    EXPECT_FALSE(m_commands.DeleteCurrentColumn());
    // Saying no to the question keeps the column.
    m_doc->SetCurrentColumn(0);
    Answer({No});
    EXPECT_FALSE(m_commands.DeleteCurrentColumn());
    EXPECT_EQ(m_doc->GetColumns().GetCount(), 1);
}

TEST_F(LibraryCommandsTest, ClearAllAsksThenDiscardsEverythingButKeepsTheModifiedFlag)
{
    CYearEvent* a = AddEventColumn(WriteEventFile("a.lev", "A", {{1, "x"}}));
    AddEventColumn(WriteEventFile("b.lev", "B", {{1, "x"}}));
    a->SetData(Event(2, "y"), true, -1, EP_EVERY);

    Answer({No});
    EXPECT_FALSE(m_commands.ClearAll());
    EXPECT_EQ(m_doc->GetColumns().GetCount(), 3);

    // The modified library is offered for saving before it goes.
    Answer({Yes, Yes});
    EXPECT_TRUE(m_commands.ClearAll());
    EXPECT_EQ(m_host.Messages().back(), "出来事：Aを保存しますか？");
    EXPECT_TRUE(m_doc->GetColumns().IsEmpty());
    EXPECT_EQ(m_doc->GetEventTableCount(), 0);
    EXPECT_FALSE(m_doc->IsModified());
    CYearEvent saved;
    ASSERT_TRUE(saved.ReadFile(m_dir.File("a.lev").c_str(), false));
    EXPECT_EQ(saved.GetLen(), 2);
}

// ---- saving ------------------------------------------------------------------------------

TEST_F(LibraryCommandsTest, SaveAsUsesTheCurrentColumnFirstAndMarksTheChronology)
{
    CYearEvent* a = AddEventColumn(WriteEventFile("a.lev", "A", {{1, "x"}}));
    CYearEvent* b = AddEventColumn(WriteEventFile("b.lev", "B", {{1, "x"}}));
    a->SetData(Event(2, "y"), true, -1, EP_EVERY);
    EXPECT_TRUE(m_commands.CanSaveLibrary(1));
    EXPECT_FALSE(m_commands.CanSaveLibrary(2));

    m_doc->SetCurrentColumn(2);
    m_host.QueueFileName(m_dir.File("b2.lev"));
    ASSERT_TRUE(m_commands.SaveLibrary(1, true));
    EXPECT_EQ(m_doc->GetCurrentColumn(), -1);
    EXPECT_TRUE(QFileInfo::exists(QString::fromStdString(m_dir.File("b2.lev"))));
    EXPECT_TRUE(m_doc->IsModified());
    EXPECT_TRUE(a->GetModified());
    (void)b;

    m_doc->SetModifiedFlag(false);
    ASSERT_TRUE(m_commands.SaveLibrary(1, false));
    EXPECT_FALSE(a->GetModified());
    EXPECT_FALSE(m_doc->IsModified()) << "saving in place does not change the chronology";
}

// ---- choosing a library to edit -------------------------------------------------------

TEST_F(LibraryCommandsTest, ModifyChoosesTheLibraryByCount)
{
    EXPECT_FALSE(m_commands.ModifyLibrary(HT_EVENT));
    EXPECT_EQ(m_host.Messages(), std::vector<std::string>{CLibraryCommands::kNothingToModify});
    m_host.Clear();
    EXPECT_FALSE(m_commands.AddToLibrary(HT_EVENT));
    EXPECT_EQ(m_host.Messages(), std::vector<std::string>{CLibraryCommands::kNothingToAdd});

    AddEventColumn(WriteEventFile("a.lev", "日本史", {{1, "x"}}));
    m_host.Clear();
    Answer({Cancel, Ok});
    EXPECT_FALSE(m_commands.ModifyLibrary(HT_EVENT));
    EXPECT_TRUE(m_commands.AddToLibrary(HT_EVENT));
    EXPECT_EQ(m_host.Messages(),
              (std::vector<std::string>{"日本史を修正します", "日本史に追加します"}));
    EXPECT_EQ(m_editModes, std::vector<Mode>{CLibraryCommands::EditAdd});

    AddEventColumn(WriteEventFile("b.lev", "世界史", {{1, "x"}}));
    Expect<CSelectData>([](CSelectData& d) {
        d.SetIndex(1);
        PressOk(d);
    });
    EXPECT_TRUE(m_commands.ModifyLibrary(HT_EVENT));
    // The column menu's library is taken without asking.
    m_host.Clear();
    m_doc->SetCurrentColumn(1);
    EXPECT_TRUE(m_commands.ModifyColumnLibrary());
    EXPECT_EQ(m_doc->GetCurrentColumn(), -1);
    EXPECT_TRUE(m_host.Messages().empty());
    EXPECT_EQ(m_editModes.size(), 3u);
    // The year column has no library to change.
    m_doc->SetCurrentColumn(0);
    EXPECT_FALSE(m_commands.ModifyColumnLibrary());
    EXPECT_EQ(m_doc->GetCurrentColumn(), -1);
    // The menu forgets a column left over from a column menu.
    m_doc->SetCurrentColumn(1);
    Expect<CSelectData>([](CSelectData& d) { PressCancel(d); });
    EXPECT_FALSE(m_commands.ModifyLibrary(HT_EVENT));
}

TEST_F(LibraryCommandsTest, AssistantTurnsModifyIntoCreateAndAsksToGoOn)
{
    m_commands.SetAssistantActive(true);
    Expect<CDialogProperty>([](CDialogProperty& d) {
        d.findChild<QLineEdit*>("editTitle")->setText(QStringLiteral("E"));
        PressOk(d);
    });
    Answer({No, Yes, Yes}); // don't save, add, go on
    Expect<CDialogCreateLibrarySelect>([](CDialogCreateLibrarySelect& d) {
        d.SetOption(2);
        PressOk(d);
    });
    EXPECT_TRUE(m_commands.ModifyLibrary(HT_EVENT));
    EXPECT_EQ(m_doc->GetEventTableCount(), 1);
    EXPECT_EQ(m_commands.TakePostedCommands(), std::vector<int>{32784});
    EXPECT_TRUE(m_commands.IsAssistantActive());
    EXPECT_EQ(m_host.Messages().back(), CLibraryCommands::kContinueCreateQuestion);

    // Base year, then "no more": the assistant ends.
    Answer({No, Yes, No});
    ExpectOk<CDialogInsertSelect>();
    EXPECT_TRUE(m_commands.ModifyLibrary(HT_BASEYEAR));
    EXPECT_FALSE(m_commands.IsAssistantActive());
    EXPECT_TRUE(m_commands.TakePostedCommands().empty());
    EXPECT_EQ(m_doc->GetBaseYearTableCount(), 1);
}

} // namespace

namespace {

TEST_F(DialogTest, WithoutEditorHooksTheProgramsEditorsOpenOnTheChosenLibrary)
{
    CLibraryCommands commands(m_doc.get());
    std::vector<std::string> shown;
    CLibraryCommands::SHooks hooks;
    hooks.runDialog = [&shown](QDialog& dialog) {
        shown.push_back(dialog.metaObject()->className());
        dialog.reject();
        return dialog.result();
    };
    commands.SetHooks(hooks);

    auto events = std::make_unique<CYearEvent>();
    SEventData e;
    e.year = 1600;
    e.text = Sjis("関ヶ原");
    events->SetData(e, true, -1, EP_EVERY);
    events->SetModified(false);
    CYearEvent* table = m_doc->AddEventTable(std::move(events));
    m_doc->AddEraNameTable(std::make_unique<CGengouEra>());
    m_doc->AddBaseYearTable(std::make_unique<CBaseYear>());
    m_host.SetDefaultAnswer(CHostServices::AnswerOk);

    EXPECT_FALSE(commands.ModifyLibrary(HT_EVENT));
    EXPECT_FALSE(commands.AddToLibrary(HT_GENGOU));
    EXPECT_FALSE(commands.ModifyLibrary(HT_BASEYEAR));
    EXPECT_EQ(shown,
              (std::vector<std::string>{"CDialogMakeEvent", "CDialogGengou", "CDialogBaseYear"}));
    EXPECT_EQ(table->GetLen(), 1);
    EXPECT_FALSE(table->GetModified());
}

} // namespace

// The save dialog's user who takes whatever name it offers, in the folder it
// opens on (the dialog adds the extension, as the real one does).
class AcceptProposalHost : public CScriptedHostServices
{
public:
    explicit AcceptProposalHost(std::string folder) : m_folder(std::move(folder)) {}
    bool GetSaveFileName(const SFileDialogRequest& request, std::string& path) override
    {
        m_proposals.push_back(request.proposedName);
        if (m_proposals.size() > 5)
            return false; // asked again and again: give up rather than hang
        if (!m_refuse.empty()) {
            path = m_folder + "/" + m_refuse;
            m_refuse.clear();
            return true;
        }
        path = m_folder + "/" + m_proposals.front() + "." + request.defaultExtension;
        return true;
    }
    std::string m_folder;
    std::string m_refuse; // answered once instead of the proposal
    std::vector<std::string> m_proposals;
};

TEST_F(LibraryCommandsTest, ANewLibrarySavedUnderTheOfferedJapaneseNameKeepsTheChronologySavable)
{
    AcceptProposalHost host(m_dir.Path());
    CHostServicesScope scope(host);
    // First a name the chronology could not store: refused by name, asked again.
    host.m_refuse = "\xF0\xA0\xAE\xB7.lev"; // 𠮷
    host.QueueAnswer(Yes); // save it
    host.QueueAnswer(Yes); // add it to the view
    Expect<CDialogProperty>([](CDialogProperty& d) {
        d.findChild<QLineEdit*>("editTitle")->setText(QString::fromUtf8("日本史/近世"));
        PressOk(d);
    });
    ASSERT_TRUE(m_commands.CreateLibraryOfKind(HT_EVENT));
    ASSERT_EQ(host.m_proposals.size(), 2u);
    EXPECT_EQ(host.m_proposals[0], "日本史_近世");
    ASSERT_EQ(host.Messages().size(), 3u);
    EXPECT_NE(host.Messages()[1].find("「\xF0\xA0\xAE\xB7」"), std::string::npos)
        << host.Messages()[1];

    const std::string file = m_dir.File("日本史_近世.lev");
    EXPECT_TRUE(QFileInfo::exists(QString::fromUtf8(file.c_str())));
    const std::string project = m_dir.File("年表.anx");
    ASSERT_TRUE(m_doc->OnSaveDocument(project)) << ::testing::PrintToString(host.Messages());

    CAnnaluxDoc reopened;
    ASSERT_TRUE(reopened.OnOpenDocument(project));
    ASSERT_EQ(reopened.GetEventTableCount(), 1);
    EXPECT_EQ(Utf8(reopened.GetEventTable(0)->GetTableName()), "日本史/近世");
    EXPECT_EQ(Texts(*reopened.GetEventTable(0)), std::vector<std::string>{"関ヶ原の戦い"});
}
