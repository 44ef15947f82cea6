// Resource, control and command numbers shared by the windows.
#pragma once

namespace res {

// Dialog templates.
constexpr int IDD_ABOUTBOX = 100;
constexpr int IDD_MAIN = 102;
constexpr int IDD_TEXT_RESULT = 130;
constexpr int IDD_SETTINGS = 131;
constexpr int IDD_QUERY_RESULT = 134;
constexpr int IDD_CONNECT = 135;
constexpr int IDD_FIND = 152;
constexpr int IDD_REPLACE = 153;
constexpr int IDD_BATCH_RUN = 155;
constexpr int IDD_DB_INFO = 136;

// Menus, accelerator tables, strings, images.
constexpr int IDR_MAIN_MENU = 140;
constexpr int IDR_MAIN_ACCEL = 140;
constexpr int IDR_RESULT_ACCEL = 150;
constexpr int IDS_ABOUTBOX = 101;
constexpr int IDI_MAIN = 128;
constexpr int IDI_RESULT = 131;
constexpr int IDB_COPY = 149;
constexpr int IDC_LINE_SELECT = 104;

// Controls.
constexpr int IDC_EDIT_PLAIN = 1026;
constexpr int IDC_EDIT_WRAP = 1027;
constexpr int IDC_TEXT_RESULT_EDIT = 1000;
constexpr int IDC_RESULT_LIST = 1005;
constexpr int IDC_RESULT_SQL = 1025;
constexpr int IDC_COPY = 1021;
constexpr int IDC_SELECT_ALL = 1022;
constexpr int IDC_HOST_STRING = 1006;
constexpr int IDC_USER_NAME = 1007;
constexpr int IDC_PASSWORD = 1008;
constexpr int IDC_BATCH_LOG = 1042;
constexpr int IDC_OBJECT_LIST = 1015;
constexpr int IDC_DETAIL_LIST = 1016;
constexpr int IDC_DETAIL_KIND = 1017;
constexpr int IDC_OBJECT_KIND = 1018;
constexpr int IDC_SCHEMA = 1019;
// The find and replace dialogs.
constexpr int IDC_SEARCH_TEXT = 1027;
constexpr int IDC_REPLACE_TEXT = 1028;
constexpr int IDC_WHOLE_WORD = 1029;
constexpr int IDC_MATCH_CASE = 1030;
constexpr int IDC_SEARCH_UP = 1031;
constexpr int IDC_SEARCH_DOWN = 1032;
constexpr int IDC_SCOPE_SELECTION = 1035;
constexpr int IDC_SCOPE_WHOLE_TEXT = 1036;
constexpr int IDC_FIND_NEXT = 1037;
constexpr int IDC_REPLACE_ONCE = 5;
constexpr int IDC_REPLACE_ALL = 6;
// The settings dialog.
constexpr int IDC_LINE_BREAK_COUNT = 1015;
constexpr int IDC_PARAM_NAME = 1016;
constexpr int IDC_RESULT_MAX = 1017;
constexpr int IDC_LANGUAGE_VCPP = 1018;
constexpr int IDC_LANGUAGE_VB = 1019;
constexpr int IDC_TIMEOUT = 1020;
constexpr int IDC_FONT_SIZE = 1038;

// Commands of the main window.
constexpr int ID_FILE_NEW = 32808;
constexpr int ID_FILE_OPEN = 32776;
constexpr int ID_FILE_SAVE = 32778;
constexpr int ID_FILE_SAVE_AS = 32777;
constexpr int ID_APP_EXIT = 32795;
constexpr int ID_EDIT_UNDO = 32785;
constexpr int ID_EDIT_CUT = 32784;
constexpr int ID_EDIT_COPY = 32783;
constexpr int ID_EDIT_PASTE = 32786;
constexpr int ID_EDIT_SELECT_ALL = 32802;
constexpr int ID_FIND = 32824;
constexpr int ID_REPLACE = 32827;
constexpr int ID_FIND_NEXT = 32825;
constexpr int ID_FIND_PREV = 32826;
constexpr int ID_EXECUTE_SQL = 32803;
constexpr int ID_WRAP_SQL = 32828;
constexpr int ID_BREAK_SQL = 32829;
constexpr int ID_BREAK_AND_WRAP_SQL = 32831;
constexpr int ID_DATABASE_INFO = 32813;
constexpr int ID_LOAD_RUNNER = 32830;
constexpr int ID_UPPER_CASE = 32820;
constexpr int ID_LOWER_CASE = 32821;
constexpr int ID_EXTRACT_SQL = 32822;
constexpr int ID_CONNECT = 32789;
constexpr int ID_SETTINGS = 32807;
constexpr int ID_WORD_WRAP = 32823;
constexpr int ID_BUFFER_1 = 32815;
constexpr int ID_BUFFER_5 = 32819;
constexpr int ID_APP_ABOUT = 32781;
constexpr int IDM_ABOUTBOX = 16;

}  // namespace res
