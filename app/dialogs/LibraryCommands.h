#pragma once

// The library commands of the chronology: they bring libraries into columns
// and take them out again, and choose the library a data command works on.
//
// Command id -> method (the main window calls these; ids in CommandIds.h):
//   32852 ﾗｲﾌﾞﾗﾘの新規作成          CreateLibrary()
//   32885..32888 create event / era-name / period / base-year library
//                                   CreateLibraryOfKind(kind)
//   32805 ﾗｲﾌﾞﾗﾘの読込み            LoadLibrary()
//   32889, 32890, 32891, 32796 load event / era-name / period / base-year
//                                   LoadLibraryOfKind(kind)
//   32846 ライブラリを上書き保存     SaveLibrary(contextColumn, false)   enabled: CanSaveLibrary
//   32847 ライブラリを名前を付けて保存 SaveLibrary(contextColumn, true)
//   32848 すべてのライブラリを上書き保存 SaveAllLibraries()
//   32843 ライブラリ情報             ShowLibraryInfo(contextColumn)
//   32830 この年表の情報             ShowChronologyInfo()                enabled: HasColumns
//   32850 読み込んでこの列に併合      MergeIntoColumn(contextColumn)      enabled: IsEventColumn
//   34000 + n / 34100 + n move / copy the selected event to event library n
//                                   MoveOrCopyToLibrary(column, year, offset, n, move)
//                                   (the menu lists MoveTargets(column))
//   32857 / 32858 move / copy the selected event to an event file
//                                   MoveOrCopyToFile(column, year, offset, move)
//   32806 列消去                    DeleteColumns()                     enabled: HasColumns
//   1100  この列を消去する           DeleteCurrentColumn()               enabled: HasColumns
//   32808 すべてを消去               ClearAll()                          enabled: HasColumns
//   32781, 32782, 32784, 32803 modify data of a kind (menu)  ModifyLibrary(kind)
//   36608..36611 modify data of the column's library        ModifyColumnLibrary()
//   32853, 32854, 32855 add data to a library of a kind      AddToLibrary(kind)
//   36612..36614 add data to the column's library           AddToColumnLibrary()
//   32884 ﾃﾞｰﾀ修正 (toolbar)         ModifySelect()                      enabled: CanModifySelect
// The assistant's "create" choice asks with AskCreateOption() and posts
// ModifyCommandOfOption(option); its "combine" choice posts 32805.
//
// contextColumn is the column under the view's context menu (-1 none); the
// document's current column, set by a column menu, takes precedence and is
// reset by the command that uses it.

#include <QPointer>
#include <QWidget>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

class CAnnaluxDoc;
class CBaseYear;
class CGengouEra;
class CTableBase;
class CYearEvent;
class QDialog;
struct SEventData;

class CLibraryCommands
{
public:
    // How an editor opens on a library.
    enum EEditMode
    {
        EditNewLibrary, // a library being created: a blank record first
        EditModify,     // browse and change the records
        EditAdd,        // a blank record to add
    };

    // The parts the commands lean on. Every hook has a default: dialogs run
    // modally, the editors are the program's own, the assistant flag is kept
    // here and posted commands are collected (TakePostedCommands).
    struct SHooks
    {
        // Runs a modal dialog and returns its result (QDialog::Accepted or
        // Rejected).
        std::function<int(QDialog&)> runDialog;
        // The editors work on a private copy and write it back into table
        // only on OK; they return whether it ended with OK.
        std::function<bool(CAnnaluxDoc&, CYearEvent& table, EEditMode mode)> editEvents;
        // kind: 1 era names, 3 periods.
        std::function<bool(CAnnaluxDoc&, CGengouEra& table, int kind, EEditMode mode)> editEras;
        // isNew: a base year being created (the values start blank).
        std::function<bool(CAnnaluxDoc&, CBaseYear& table, bool isNew)> editBaseYear;
        // The start-up assistant's state (the application owns it).
        std::function<bool()> isAssistantActive;
        std::function<void(bool)> setAssistantActive;
        // Queues a command to run after the current one has returned.
        std::function<void(int command)> postCommand;
    };

    // Messages and questions (UTF-8); %s, %d and %1 are filled in order.
    static const char* const kNoEventsForEraNames; // era names shown only with events
    static const char* const kNoEventsForPeriods;
    static const char* const kNoEventsForBaseYears;
    static const char* const kOutOfMemory;
    static const char* const kSaveQuestion; // 「%s」を保存しますか？
    static const char* const kAddQuestion;  // 「%1」を画面に追加しますか？
    static const char* const kDiscardQuestion;
    static const char* const kBaseYearSaveQuestion;
    static const char* const kBaseYearAddQuestion;
    static const char* const kSameFileMessage;
    static const char* const kMoveToLibraryQuestion; // %d年,「%s」... %s しますか？
    static const char* const kMoveToFileQuestion;
    static const char* const kInsertFailedMessage;
    static const char* const kFileNotFoundMessage;
    static const char* const kTargetReadFailedMessage; // %s先ファイルの読み込みに失敗しました
    static const char* const kMoveWord;                // 移動
    static const char* const kCopyWord;                // 複写
    static const char* const kMoveFileTitle;
    static const char* const kCopyFileTitle;
    static const char* const kEventFileFilter;
    static const char* const kContinueCreateQuestion;
    static const char* const kNothingToModify;
    static const char* const kNothingToAdd;
    static const char* const kModifyConfirm; // after the title: "を修正します"
    static const char* const kAddConfirm;    // after the title: "に追加します"
    static const char* const kDeleteColumnQuestion;
    static const char* const kSaveBeforeDeleteQuestion;
    static const char* const kClearAllQuestion;
    static const char* const kModifySelectText;

    static constexpr int kMaxMoveTargets = 10;

    CLibraryCommands(CAnnaluxDoc* doc, QWidget* parent = nullptr);
    ~CLibraryCommands();
    CLibraryCommands(const CLibraryCommands&) = delete;
    CLibraryCommands& operator=(const CLibraryCommands&) = delete;

    // Replaces the hooks that are set in hooks; unset ones keep their default.
    void SetHooks(const SHooks& hooks);
    const SHooks& GetHooks() const { return m_hooks; }
    // The commands posted through the default postCommand, oldest first;
    // the list is emptied.
    std::vector<int> TakePostedCommands();
    // The start-up assistant's state, through the hooks when they are set.
    bool IsAssistantActive() const;
    void SetAssistantActive(bool active);

    // ---- enabling ---------------------------------------------------------
    bool HasColumns() const;
    bool IsEventColumn(int column) const;
    // The column (current column first) shows a library with unsaved changes.
    bool CanSaveLibrary(int contextColumn) const;
    bool CanModifySelect() const;
    // Indexes in the document's event array of the libraries an event of
    // the column can go to: at most ten, not the column's own file.
    std::vector<int> MoveTargets(int column) const;

    // ---- creating and loading ----------------------------------------------
    bool CreateLibrary();
    // kind 1..4; false when nothing was added.
    bool CreateLibraryOfKind(int kind);
    bool LoadLibrary(int option = 3);
    bool LoadLibraryOfKind(int kind);
    // The same for the library file at path (UTF-8; null asks for it).
    bool LoadLibraryFile(int kind, const char* path);
    // Gives an owned table of the document a column: the first column goes
    // right after a new year column, later ones where the user says. False
    // when the user cancelled (the table stays loaded, without a column).
    bool InsertLibraryColumn(int kind, CTableBase* table);
    // The assistant's library kind question: the option chosen (0..3), or
    // -1 when cancelled.
    int AskCreateOption();
    // Option 0..3 -> 32781, 32782, 32784, 32803; 0 for anything else.
    static int ModifyCommandOfOption(int option);

    // ---- saving and information ----------------------------------------------
    bool SaveLibrary(int contextColumn, bool askName);
    void SaveAllLibraries();
    bool ShowLibraryInfo(int contextColumn);
    bool ShowChronologyInfo();

    // ---- events between libraries ------------------------------------------
    bool MergeIntoColumn(int column);
    // The event is the view's selection: offset among the events of year.
    bool MoveOrCopyToLibrary(int column, int32_t year, int offset, int targetIndex, bool move);
    bool MoveOrCopyToFile(int column, int32_t year, int offset, bool move);

    // ---- choosing a library to edit --------------------------------------------
    bool ModifyLibrary(int kind);
    bool ModifyColumnLibrary();
    bool AddToLibrary(int kind);
    bool AddToColumnLibrary();
    bool ModifySelect();

    // ---- deleting ----------------------------------------------------------------
    bool DeleteColumns();
    bool DeleteCurrentColumn();
    bool ClearAll();

    // Whether two library file names name the same file (relative names are
    // taken from the chronology's folder).
    bool SameFile(const std::string& a, const std::string& b, bool ignoreCase) const;

private:
    int Ask(const std::string& text, unsigned buttons);
    void Tell(const std::string& text, unsigned icon);
    bool Run(QDialog& dialog);
    int TakeColumn(int contextColumn);
    void Relayout(bool repaint, bool update);
    bool CreateTableLibrary(int kind);
    bool CreateBaseYearLibrary();
    bool SaveAndAddPrompt(CTableBase& table, int kind);
    void NoEventsNotice(int kind);
    bool LocateEvent(CYearEvent& table, int32_t year, int offset, int& index, SEventData& out);
    bool TransferToLibrary(CYearEvent& source, int index, const SEventData& event,
                           CYearEvent& target, bool move);
    bool ChooseAndEdit(int kind, bool add);
    // The column menu's modify/add: the current column's library, edited or added to.
    bool EditColumnLibrary(bool add);
    bool EditLibrary(int kind, CTableBase* table, EEditMode mode);
    bool AssistantCreate(int kind);
    bool RemoveColumn(int index);
    std::string AbsolutePath(const std::string& name) const;

    CAnnaluxDoc* m_doc;
    QPointer<QWidget> m_parent;
    SHooks m_hooks;
    // The years the event editor changed, when the editor that ran says so.
    std::optional<std::vector<int32_t>> m_editedYears;
    bool m_assistant = false;
    std::vector<int> m_posted;
};
