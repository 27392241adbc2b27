#pragma once

// The program's command numbers. Menus, toolbar buttons and pop-up menus
// carry these, and stored habits (the numbers in the column menu, the
// recent-file range) depend on them, so they never change.
enum ECommandId : int
{
    // ---- file ----------------------------------------------------------
    ID_FILE_NEW = 57600,
    ID_FILE_OPEN = 57601,
    ID_FILE_SAVE = 57603,
    ID_FILE_SAVE_AS = 57604,
    ID_FILE_PRINT_SETUP = 57606,
    ID_FILE_PRINT = 57607,
    ID_FILE_PRINT_PREVIEW = 57609,
    ID_FILE_MRU_FILE1 = 57616, // ... one per recent file
    ID_APP_ABOUT = 57664,
    ID_APP_EXIT = 57665,
    ID_HELP_KEY = 57670, // F1
    ID_VIEW_TOOLBAR = 59392,
    ID_VIEW_STATUS_BAR = 59393,

    // ---- libraries -----------------------------------------------------
    ID_LIBRARY_NEW = 32852,
    ID_LIBRARY_LOAD = 32805,
    ID_LIBRARY_SAVE_ALL = 32848,
    ID_CHRONOLOGY_INFO = 32830,
    ID_LIBRARY_SAVE = 32846,
    ID_LIBRARY_SAVE_AS = 32847,
    ID_LIBRARY_INFO = 32843,
    ID_NEW_EVENT_LIBRARY = 32885,
    ID_NEW_GENGOU_LIBRARY = 32886,
    ID_NEW_ERA_LIBRARY = 32887,
    ID_NEW_BASEYEAR_LIBRARY = 32888,
    ID_LOAD_EVENT_LIBRARY = 32889,
    ID_LOAD_GENGOU_LIBRARY = 32890,
    ID_LOAD_ERA_LIBRARY = 32891,
    ID_LOAD_BASEYEAR_LIBRARY = 32796,
    ID_MODIFY_SELECT = 32884, // toolbar "ﾃﾞｰﾀ修正"
    ID_MODIFY_EVENT = 32803,
    ID_MODIFY_GENGOU = 32781,
    ID_MODIFY_ERA = 32782,
    ID_MODIFY_BASEYEAR = 32784,
    ID_COLUMN_DELETE = 32806,
    ID_CLEAR_ALL = 32808,

    // ---- column menu -----------------------------------------------------
    ID_COLUMN_DELETE_THIS = 1100,
    ID_COLUMN_MODIFY_GENGOU = 36608,
    ID_COLUMN_MODIFY_BASEYEAR = 36609,
    ID_COLUMN_MODIFY_ERA = 36610,
    ID_COLUMN_MODIFY_EVENT = 36611,
    ID_COLUMN_ADD_GENGOU = 36612,
    ID_COLUMN_ADD_ERA = 36613,
    ID_COLUMN_ADD_EVENT = 36614,

    // ---- import, export, printing ----------------------------------------
    ID_IMPORT_CSV = 32833,
    ID_EXPORT_CSV = 32834,
    ID_EXPORT_HTML = 32883,
    ID_PAGE_LAYOUT = 32812,

    // ---- view --------------------------------------------------------------
    ID_YEAR_RANGE = 32823,
    ID_FONT_SET = 32811,
    ID_COLOR_SET = 32819,
    ID_ZOOM_10 = 32868,
    ID_ZOOM_30 = 32870,
    ID_ZOOM_50 = 32872,
    ID_ZOOM_70 = 32874,
    ID_ZOOM_90 = 32876,
    ID_ZOOM_100 = 32877,
    ID_ZOOM_150 = 32878,
    ID_ZOOM_200 = 32879,
    ID_ZOOM_250 = 32880,
    ID_ZOOM_300 = 32881,

    // ---- operations ----------------------------------------------------------
    ID_SEARCH_EVENT = 32813,
    ID_JUMP_YEAR = 32835,
    ID_JUMP_ERA = 32839,
    ID_SIBLING_SHOW = 32861,
    ID_SIBLING_SELECT = 32862,
    ID_SIBLING_SHOW_AT_POINT = 32865,   // the datum menu's variants
    ID_SIBLING_SELECT_AT_POINT = 32866,

    // ---- settings ------------------------------------------------------------
    ID_COLUMN_SETTINGS = 32860,
    ID_ASSISTANT_AT_START = 32882,
    ID_HELP_SHOW = 32892,
};
