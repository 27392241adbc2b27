#pragma once

#include "Document.h"
#include "FileStamp.h"
#include "FontManager.h"
#include "HeaderManager.h"
#include "LogFont.h"
#include "PageLayout.h"
#include "RowInfoAll.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

class CBaseYear;
class CGengouEra;
class CTableBase;
class CYearEvent;
struct SProjectData;

// Records of one event library changed in these years only: added, changed,
// deleted, given another priority or moved within their year (a record that
// went to another year names both). The views lay out just those years again.
struct SEventEdit
{
    const CYearEvent* library = nullptr;
    std::vector<int32_t> years;
};

// The one document of the program: every loaded library table, the columns
// that show them, the display settings of the chronology and its project
// file (.anx).
//
// The document owns the tables in four arrays (era names, periods, events,
// base years); a column only refers to one. The project file names each
// column's library by a path relative to the project's folder; the libraries
// themselves are saved to their own files.
//
// Views subscribe with AddListener. Every change to a library, a column or a
// setting ends with a notice; VN_UPDATE is the "all views update with hint
// 0" of the framework.
class CAnnaluxDoc : public CDocument
{
public:
    enum EViewNotice
    {
        VN_UPDATE = 0,      // update all views (hint 0)
        VN_RELAYOUT,        // rebuild the year-axis layout
        VN_REPAINT,         // repaint at once
        VN_HEADER_FONT,     // give the column header the zoomed header font
        VN_RESET_SCROLL,    // scroll the first view back to the top left
        VN_OFFER_ASSISTANT, // a new chronology began: offer the start-up assistant
        VN_EVENTS_EDITED,   // records changed in a few years only (GetEventEdits)
    };
    using Listener = std::function<void(EViewNotice)>;

    enum EColor
    {
        BackColor,
        BackColorEven,
        BackColorOdd,
        LinkColor,
        SupplementColor,
        AboutColor,
        EventMarkColor,
        ColorCount
    };
    static constexpr int kCustomColorCount = 16;

    // Menu commands that the document carries out itself.
    enum ECommand
    {
        ID_SCALE_1 = 32785,
        ID_SCALE_10 = 32786,
        ID_SCALE_100 = 32787,
        ID_ACCURACY_EXACT = 32779,
        ID_ACCURACY_NEARLY = 32778,
        ID_ACCURACY_PACKED = 32810,
        ID_PRIORITY_ALL = 32825,
        ID_PRIORITY_MIDDLE = 32826,
        ID_PRIORITY_HIGH = 32827,
        ID_WRAP_LINES = 32859,
        ID_SUPPLEMENT_MARK = 32820,
    };

    // The default title of a new chronology and the project file's extension.
    static const char* const kNewTitle;   // "Annalux"
    static const char* const kExtension;  // "anx"
    static const char* const kFileFilter; // for the project file dialogs
    static const int kZoomSteps[10];      // 10, 30, ... 300

    CAnnaluxDoc();
    ~CAnnaluxDoc() override;
    CAnnaluxDoc(const CAnnaluxDoc&) = delete;
    CAnnaluxDoc& operator=(const CAnnaluxDoc&) = delete;

    // ---- identity and modified flag -------------------------------------
    // The project file (absolute UTF-8 host path), empty while unsaved.
    std::string GetPathName() const override { return m_pathName; }
    void SetPathName(const std::string& path);
    const std::string& GetTitle() const { return m_title; }
    bool IsModified() const { return m_modified; }
    void SetModifiedFlag(bool modified = true) { m_modified = modified; }
    // Whether some loaded library holds unsaved changes.
    bool HasModifiedLibraries() const;

    // ---- views ------------------------------------------------------------
    // Returns an id for RemoveListener.
    int AddListener(Listener listener);
    void RemoveListener(int id);
    void Notify(EViewNotice notice);
    void UpdateAllViews() { Notify(VN_UPDATE); }
    // After an edit of event records: every view learns which libraries and
    // years changed (GetEventEdits, while it is told) and may lay out just
    // those years; anything else it does as for VN_UPDATE.
    void NotifyEventsEdited(std::vector<SEventEdit> edits);
    const std::vector<SEventEdit>& GetEventEdits() const { return m_eventEdits; }

    // ---- the chronology's life --------------------------------------------
    // A new, empty chronology (after asking about modified libraries).
    bool OnNewDocument();
    // Opens a project file. A file that is not a readable project is
    // refused before anything is let go: the user is told why, the open
    // chronology stays as it was and the result is false. The libraries are
    // read before the open chronology is let go: when the user stops that
    // through the thread's CReadProgress, the chronology stays as it was
    // (its libraries' answers to the save questions aside) and the result is
    // false without a message.
    bool OnOpenDocument(const std::string& path);
    // Whether path holds a project this program can read; when not, the user
    // has been told why. Changes nothing.
    bool CheckProjectFile(const std::string& path) const;
    // Saves every modified library, then writes the project file to path
    // atomically. On failure the old file is untouched, the user has been
    // told and the result is false.
    bool OnSaveDocument(const std::string& path);
    // Save (path given, replace) or save as (asks for the name): the name
    // proposed is the current path, else the title cut at the first of
    // " #%;/\" with ".anx" appended.
    bool DoSave(const std::string& path, bool replace = true);
    // Deletes every column and every table; the views lay out again.
    void Clear();
    // Every setting back to its default, the stored defaults read again.
    void ResetSettings();
    // For each table with unsaved changes (era names, periods, events, base
    // years, each in array order): with ask, a Yes/No question, else saved
    // at once. A failed save does not stop the others.
    //
    // A library declined while leaving (below) is neither saved nor asked
    // about again.
    void SaveModifiedLibraries(bool ask);
    // The library questions of a close, New or Open. A library answered No
    // is remembered until EndLeaving (or Clear): the project save that may
    // follow in the same close, New or Open does not write it.
    void AskToSaveLibrariesBeforeLeaving();
    void EndLeaving() { m_declined.clear(); }

    // ---- tables -----------------------------------------------------------
    // An index out of range is a programming error: std::out_of_range.
    int GetEraNameTableCount() const { return static_cast<int>(m_eraNameTables.size()); }
    int GetPeriodTableCount() const { return static_cast<int>(m_periodTables.size()); }
    int GetEventTableCount() const { return static_cast<int>(m_eventTables.size()); }
    int GetBaseYearTableCount() const { return static_cast<int>(m_baseYearTables.size()); }
    CGengouEra* GetEraNameTable(int index) const;
    CGengouEra* GetPeriodTable(int index) const;
    CYearEvent* GetEventTable(int index) const;
    CBaseYear* GetBaseYearTable(int index) const;
    // Number of tables of a library kind (1..4); 0 for any other kind.
    int GetTableCount(int kind) const;
    CTableBase* GetTable(int kind, int index) const;
    // Takes ownership; returns the table.
    CGengouEra* AddEraNameTable(std::unique_ptr<CGengouEra> table);
    CGengouEra* AddPeriodTable(std::unique_ptr<CGengouEra> table);
    CYearEvent* AddEventTable(std::unique_ptr<CYearEvent> table);
    CBaseYear* AddBaseYearTable(std::unique_ptr<CBaseYear> table);
    // Removes every column that shows table, then deletes the table. False
    // when the document does not own it.
    bool DeleteTable(CTableBase* table);
    // The library kind (1..4) of an owned table; 0 when not owned.
    int KindOfTable(const CTableBase* table) const;

    CHeaderManager& GetColumns() { return m_columns; }
    const CHeaderManager& GetColumns() const { return m_columns; }
    CRowInfoAll& GetRowInfo() { return m_rowInfo; }
    const CRowInfoAll& GetRowInfo() const { return m_rowInfo; }
    CFontManager& GetFonts() { return m_fonts; }
    const CFontManager& GetFonts() const { return m_fonts; }

    // ---- years --------------------------------------------------------------
    // The first event's year, smallest over the event tables (kNoYear when
    // there is none); the range start instead when the range is on and its
    // start is not below that.
    int32_t GetEarliestYear() const;
    // The last event's year, largest over the event tables, from -32768.
    int32_t GetLatestYear() const;
    // Largest |lfHeight| of the shown fonts 0..4 plus the event spacing.
    int GetRowHeight() const;

    // ---- settings -----------------------------------------------------------
    int GetScaleYear() const { return m_scaleYear; }
    int GetScaleAccuracy() const { return m_scaleAccuracy; }
    int GetPriorityFilter() const { return m_priorityFilter; }
    bool GetWrapLines() const { return m_wrapLines; }
    int GetZoomPercent() const { return m_zoomPercent; }
    bool GetShowSupplementMark() const { return m_showSupplementMark; }
    int GetCurrentColumn() const { return m_currentColumn; }
    void SetCurrentColumn(int column) { m_currentColumn = column; }
    bool GetRangeEnabled() const { return m_rangeEnabled; }
    int32_t GetRangeFrom() const { return m_rangeFrom; }
    int32_t GetRangeTo() const { return m_rangeTo; }
    int GetFileVersion() const { return m_fileVersion; }
    // Shift-JIS.
    const std::string& GetDescription() const { return m_description; }
    // UTF-8 host path.
    const std::string& GetSiblingProject() const { return m_siblingProject; }
    int GetTextMargin() const { return m_textMargin; }
    COLORREF GetColor(EColor which) const;
    COLORREF GetCustomColor(int index) const;
    const SLogFont& GetHeaderFont() const { return m_headerFont; }
    const SLogFont& GetFooterFont() const { return m_footerFont; }
    COLORREF GetHeaderColor() const { return m_headerColor; }
    COLORREF GetFooterColor() const { return m_footerColor; }
    // The page settings of printing (the user's, read when a chronology begins).
    const SPageLayout& GetPageLayout() const { return m_pageLayout; }
    // The page setup dialog's OK: the record, the header and footer fonts and
    // colours are taken and stored as the user's settings at once. Printing
    // settings do not change the chronology (the modified flag stays).
    void SetPageSettings(const SPageLayout& layout, const SLogFont& headerFont,
                         COLORREF headerColor, const SLogFont& footerFont, COLORREF footerColor);

    // The settings commands: each stores the value, has the views relaid
    // out and repainted and sets the modified flag. A value the menus do not
    // offer is refused (false, nothing changed).
    bool SetScaleYear(int years);       // 1, 10, 100
    bool SetScaleAccuracy(int mode);    // 0 exact, 1 nearly exact, 2 packed
    bool SetPriorityFilter(int filter); // 0 high, 1 high and middle, 2 all
    void ToggleWrapLines();
    // Rescales the shown fonts and every column width; not a change of the
    // chronology (the modified flag stays). False for a size not offered.
    bool SetZoom(int percent);
    // Flips the supplement mark and stores it as the default.
    void ToggleSupplementMark();
    // Range, description, colours, margin, sibling: setters for the dialogs.
    // Each sets the modified flag when the value changes.
    void SetRange(bool enabled, int32_t from, int32_t to);
    void SetDescription(const std::string& sjis);
    void SetColor(EColor which, COLORREF color);
    void SetCustomColor(int index, COLORREF color);
    void SetTextMargin(int pixels);
    void SetSiblingProject(const std::string& utf8Path);

    // The command ids above: carry one out (false for an id not handled
    // here) and whether its menu item carries a check mark.
    bool OnCommand(int id);
    bool IsCommandChecked(int id) const;

private:
    void ResetColorsFromSettings();
    // The defaults of a load: every field a file may leave out.
    void FillProjectDefaults(SProjectData& data) const;
    // The steps of an open: the open chronology let go, or, when the file
    // turned out unreadable after all, nothing of it kept.
    void ClearForOpen();
    void ForgetFailedOpen();
    // Reads the library of every column of data (null where one fails, after
    // the reader's message), reporting to the thread's CReadProgress. False,
    // with nothing kept, when the user stopped the reading.
    bool ReadColumnTables(const SProjectData& data, const std::string& folder,
                          std::vector<std::unique_ptr<CTableBase>>& tables);
    // Takes the project's settings and columns with the tables read for them.
    bool ReadProject(const std::string& path, const std::string& bytes,
                     std::vector<std::unique_ptr<CTableBase>>& tables);
    void ApplyProjectSettings(const SProjectData& data);
    // The absolute path of a column's library as the project stores it;
    // empty when it names none.
    static std::string ColumnLibraryPath(const std::string& storedPath, const std::string& folder);
    static std::unique_ptr<CTableBase> ReadColumnTable(int kind, const std::string& path);
    // Takes a table read for a column of kind into its array (null: none).
    CTableBase* AdoptTable(int kind, std::unique_ptr<CTableBase> table);
    bool MakeProjectData(const std::string& projectPath, SProjectData& data);
    void SettingChanged();
    std::string LibraryAbsolutePath(const CTableBase& table) const;
    // Makes every relative library name absolute against the folder it is
    // relative to now (before the project's path changes).
    void AnchorLibraryNames();

    std::string m_pathName;
    std::string m_title;
    bool m_modified = false;
    void SaveLibraries(bool ask, bool remember);
    // Libraries the user declined to save in the close, New or Open under way.
    std::vector<const CTableBase*> m_declined;
    // The project file as last read or written, to see others' changes.
    CFileStamp m_projectStamp;

    std::vector<std::unique_ptr<CGengouEra>> m_eraNameTables;
    std::vector<std::unique_ptr<CGengouEra>> m_periodTables;
    std::vector<std::unique_ptr<CYearEvent>> m_eventTables;
    std::vector<std::unique_ptr<CBaseYear>> m_baseYearTables;

    int m_scaleYear = 1;
    int m_scaleAccuracy = 0;
    int m_currentColumn = -1;
    COLORREF m_colors[ColorCount] = {};
    COLORREF m_customColors[kCustomColorCount] = {};
    SLogFont m_headerFont;
    SLogFont m_footerFont;
    COLORREF m_headerColor = 0;
    COLORREF m_footerColor = 0;
    SPageLayout m_pageLayout;
    bool m_showSupplementMark = true;
    bool m_rangeEnabled = false;
    int32_t m_rangeFrom = -9999;
    int32_t m_rangeTo = 9999;
    int m_fileVersion = 10;
    int m_priorityFilter = 2;
    std::string m_description;
    bool m_wrapLines = false;
    CRowInfoAll m_rowInfo;
    int m_zoomPercent = 100;
    std::string m_siblingProject;
    CFontManager m_fonts;
    CHeaderManager m_columns;
    int m_textMargin = 0;

    std::vector<std::pair<int, Listener>> m_listeners;
    std::vector<SEventEdit> m_eventEdits; // while VN_EVENTS_EDITED is told
    int m_nextListenerId = 1;
};
