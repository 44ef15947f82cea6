// The dialog templates. Sizes and positions in dialog units. The controls
// stand in the order Tab visits them.
#include "platform/dialog_template.h"
#include "resources/resource_ids.h"

#include <map>

namespace platform {
namespace {

constexpr unsigned kPopupWindow = kResizable | kMinimizeBox | kSystemMenu;
constexpr unsigned kEditorStyle = kVisible | kBorder | kWantReturn;

const std::map<int, DlgTemplate>& Templates() {
    static const std::map<int, DlgTemplate> templates = [] {
        std::map<int, DlgTemplate> t;
        t.emplace(res::IDD_MAIN,
                  DlgTemplate{res::IDD_MAIN, "vetch", 202, 201, "ＭＳ ゴシック", 10, kPopupWindow, res::IDR_MAIN_MENU,
                              {
                                  {res::IDC_EDIT_PLAIN, ControlKind::MultiEdit, "", 7, 7, 188, 187,
                                   kEditorStyle | kVScroll | kHScroll | kAutoHScroll},
                                  {res::IDC_EDIT_WRAP, ControlKind::MultiEdit, "", 7, 7, 188, 187,
                                   (kEditorStyle & ~kVisible) | kBorder | kVScroll},
                              }});
        t.emplace(res::IDD_TEXT_RESULT,
                  DlgTemplate{res::IDD_TEXT_RESULT, "文字列処理 結果表示", 199, 201, "ＭＳ ゴシック", 10, kPopupWindow, 0,
                              {
                                  {res::IDC_TEXT_RESULT_EDIT, ControlKind::MultiEdit, "", 7, 7, 185, 187,
                                   kEditorStyle | kVScroll | kHScroll | kAutoHScroll},
                                  {res::IDC_COPY, ControlKind::Button, "ｺﾋﾟｰ", 0, 0, 15, 19, 0},
                                  {res::IDC_SELECT_ALL, ControlKind::Button, "すべて選択", 17, 0, 15, 19, 0},
                              }});
        t.emplace(res::IDD_QUERY_RESULT,
                  DlgTemplate{res::IDD_QUERY_RESULT, "SQL 結果表示", 300, 200, "ＭＳ ゴシック", 10, kPopupWindow, 0,
                              {
                                  {res::IDC_RESULT_SQL, ControlKind::MultiEdit, "", 5, 5, 255, 15,
                                   kVisible | kBorder | kVScroll | kReadOnly},
                                  {res::IDC_COPY, ControlKind::Button, "ｺﾋﾟｰ", 270, 4, 15, 16, kVisible},
                                  {res::IDC_SELECT_ALL, ControlKind::Button, "すべて選択", 250, 4, 15, 16, 0},
                                  {res::IDC_RESULT_LIST, ControlKind::ListView, "", 5, 24, 290, 170, kVisible | kBorder},
                              }});
        t.emplace(res::IDD_ABOUTBOX,
                  DlgTemplate{res::IDD_ABOUTBOX, "vetchのﾊﾞｰｼﾞｮﾝ情報", 235, 55, "ＭＳ Ｐゴシック", 9, kSystemMenu, 0,
                              {
                                  {-1, ControlKind::Icon, "", 11, 17, 20, 20, kVisible},
                                  {-1, ControlKind::Static, "vetch Version 1.9.0.4", 40, 10, 119, 8, kVisible},
                                  {-1, ControlKind::Static, "Copyright (C) vetch 開発者一同", 40, 25, 171, 8, kVisible},
                                  {1, ControlKind::DefButton, "OK", 178, 7, 50, 14, kVisible},
                              }});
        // The find and replace dialogs; the edit part of their combo boxes
        // does not scroll horizontally (no kAutoHScroll).
        t.emplace(res::IDD_FIND,
                  DlgTemplate{res::IDD_FIND, "文字列の検索", 261, 71, "ＭＳ Ｐゴシック", 9, kSystemMenu, 0,
                              {
                                  {-1, ControlKind::Static, "検索文字列(&N):", 8, 9, 47, 12, kVisible},
                                  {res::IDC_SEARCH_TEXT, ControlKind::ComboEdit, "", 57, 7, 140, 59,
                                   kVisible | kVScroll},
                                  {1, ControlKind::DefButton, "次を検索（&F）", 204, 7, 50, 14, kVisible},
                                  {2, ControlKind::Button, "ｷｬﾝｾﾙ", 204, 24, 50, 14, kVisible},
                                  {res::IDC_WHOLE_WORD, ControlKind::CheckBox, "単語単位で探す(&W)", 8, 28, 95, 14,
                                   kVisible},
                                  {res::IDC_MATCH_CASE, ControlKind::CheckBox, "大文字と小文字を区別する(&C)", 8, 41, 101,
                                   14, kVisible},
                                  {-1, ControlKind::GroupBox, "検索する方向", 122, 27, 74, 36, kVisible},
                                  {res::IDC_SEARCH_UP, ControlKind::Radio, "上へ(&U)", 129, 38, 47, 10,
                                   kVisible | kGroup},
                                  {res::IDC_SEARCH_DOWN, ControlKind::Radio, "下へ(&D)", 129, 50, 47, 10, kVisible},
                              }});
        t.emplace(res::IDD_REPLACE,
                  DlgTemplate{res::IDD_REPLACE, "置換", 275, 83, "ＭＳ Ｐゴシック", 9, kSystemMenu, 0,
                              {
                                  {-1, ControlKind::Static, "検索文字列(&N):", 8, 9, 47, 12, kVisible},
                                  {res::IDC_SEARCH_TEXT, ControlKind::ComboEdit, "", 71, 7, 140, 59,
                                   kVisible | kVScroll},
                                  {-1, ControlKind::Static, "置換後の文字列(&P):", 8, 24, 61, 12, kVisible},
                                  {res::IDC_REPLACE_TEXT, ControlKind::ComboEdit, "", 71, 22, 140, 59,
                                   kVisible | kVScroll},
                                  {res::IDC_FIND_NEXT, ControlKind::DefButton, "次を検索（&F）", 218, 7, 50, 14,
                                   kVisible},
                                  {res::IDC_REPLACE_ONCE, ControlKind::Button, "置換(&R)", 218, 23, 50, 14, kVisible},
                                  {res::IDC_REPLACE_ALL, ControlKind::Button, "すべて置換(&A)", 218, 40, 50, 14,
                                   kVisible},
                                  {2, ControlKind::Button, "ｷｬﾝｾﾙ", 218, 56, 50, 14, kVisible},
                                  {res::IDC_WHOLE_WORD, ControlKind::CheckBox, "単語単位で探す(&W)", 8, 39, 95, 14,
                                   kVisible},
                                  {res::IDC_MATCH_CASE, ControlKind::CheckBox, "大文字と小文字を区別する(&C)", 8, 52, 101,
                                   14, kVisible},
                                  {-1, ControlKind::GroupBox, "置換", 136, 40, 74, 36, kVisible},
                                  {res::IDC_SCOPE_SELECTION, ControlKind::Radio, "選択範囲(&S)", 143, 51, 47, 10,
                                   kVisible | kGroup | kDisabled},
                                  {res::IDC_SCOPE_WHOLE_TEXT, ControlKind::Radio, "ﾌｧｲﾙ全体(&O)", 143, 63, 54, 10,
                                   kVisible},
                              }});
        t.emplace(res::IDD_BATCH_RUN,
                  DlgTemplate{res::IDD_BATCH_RUN, "LoadRunner", 202, 266, "ＭＳ Ｐゴシック", 9, kPopupWindow, 0,
                              {
                                  {res::IDC_COPY, ControlKind::Button, "ｺﾋﾟｰ", 6, 7, 15, 19, kVisible},
                                  {res::IDC_SELECT_ALL, ControlKind::Button, "すべて選択", 23, 7, 15, 19, 0},
                                  {res::IDC_BATCH_LOG, ControlKind::ListBox, "", 6, 32, 189, 227,
                                   kVisible | kBorder | kVScroll | kHScroll},
                              }});
        t.emplace(res::IDD_DB_INFO,
                  DlgTemplate{res::IDD_DB_INFO, "ﾃﾞｰﾀﾍﾞｰｽ情報", 301, 200, "ＭＳ ゴシック", 10, kPopupWindow, 0,
                              {
                                  {-1, ControlKind::Static, "ｽｷｰﾏ名 ：", 5, 7, 40, 10, kVisible},
                                  {res::IDC_SCHEMA, ControlKind::Edit, "", 45, 5, 60, 12,
                                   kVisible | kBorder | kAutoHScroll},
                                  {res::IDC_OBJECT_KIND, ControlKind::ComboList, "", 110, 5, 70, 60, kVisible | kVScroll,
                                   {"ﾃｰﾌﾞﾙ情報", "ﾌﾟﾛｼｰｼﾞｬｰ情報"}},
                                  {res::IDC_DETAIL_KIND, ControlKind::ComboList, "", 185, 5, 60, 60, kVisible | kVScroll},
                                  {res::IDC_OBJECT_LIST, ControlKind::ListView, "", 5, 24, 115, 170, kVisible | kBorder},
                                  {res::IDC_DETAIL_LIST, ControlKind::ListView, "", 125, 24, 170, 170, kVisible | kBorder},
                                  {res::IDC_COPY, ControlKind::Button, "ｺﾋﾟｰ", 270, 4, 15, 16, kVisible},
                                  {res::IDC_SELECT_ALL, ControlKind::Button, "すべて選択", 250, 4, 15, 16, 0},
                              }});
        constexpr unsigned kNumberEdit = kVisible | kBorder | kAutoHScroll | kDigitsOnly | kRightAlign;
        t.emplace(res::IDD_SETTINGS,
                  DlgTemplate{res::IDD_SETTINGS, "設定", 240, 176, "ＭＳ Ｐゴシック", 9, kSystemMenu, 0,
                              {
                                  {-1, ControlKind::GroupBox, "改行", 7, 3, 170, 30, kVisible},
                                  {-1, ControlKind::Static, "改行する文字数", 15, 16, 90, 8, kVisible},
                                  {res::IDC_LINE_BREAK_COUNT, ControlKind::Edit, "", 110, 14, 45, 12, kNumberEdit},
                                  {-1, ControlKind::Static, "文字", 159, 16, 16, 8, kVisible},
                                  {-1, ControlKind::GroupBox, "文字列括り", 7, 36, 170, 48, kVisible},
                                  {-1, ControlKind::Static, "変数名", 15, 49, 90, 8, kVisible},
                                  {res::IDC_PARAM_NAME, ControlKind::Edit, "", 110, 47, 60, 12,
                                   kVisible | kBorder | kAutoHScroll},
                                  {-1, ControlKind::Static, "言語形式", 15, 67, 90, 8, kVisible},
                                  {res::IDC_LANGUAGE_VCPP, ControlKind::Radio, "VC++", 110, 66, 32, 10, kVisible | kGroup},
                                  {res::IDC_LANGUAGE_VB, ControlKind::Radio, "VB", 145, 66, 28, 10, kVisible},
                                  {-1, ControlKind::GroupBox, "SQL実行", 7, 87, 170, 48, kVisible | kGroup},
                                  {-1, ControlKind::Static, "SQL実行結果最大表示件数", 15, 100, 92, 8, kVisible},
                                  {res::IDC_RESULT_MAX, ControlKind::Edit, "", 110, 98, 45, 12, kNumberEdit},
                                  {-1, ControlKind::Static, "件", 159, 100, 12, 8, kVisible},
                                  {-1, ControlKind::Static, "ﾀｲﾑｱｳﾄ時間", 15, 118, 90, 8, kVisible},
                                  {res::IDC_TIMEOUT, ControlKind::Edit, "", 110, 116, 45, 12, kNumberEdit},
                                  {-1, ControlKind::Static, "秒", 159, 118, 12, 8, kVisible},
                                  {-1, ControlKind::GroupBox, "ﾌｫﾝﾄ", 7, 138, 170, 32, kVisible},
                                  {-1, ControlKind::Static, "ﾌｫﾝﾄｻｲｽﾞ", 15, 153, 90, 8, kVisible},
                                  {res::IDC_FONT_SIZE, ControlKind::ComboList, "", 110, 151, 45, 100, kVisible,
                                   {"7", "8", "9", "10", "11", "12", "14", "16", "18"}},
                                  {1, ControlKind::DefButton, "OK", 183, 7, 50, 14, kVisible},
                                  {2, ControlKind::Button, "ｷｬﾝｾﾙ", 183, 24, 50, 14, kVisible},
                              }});
        t.emplace(res::IDD_CONNECT,
                  DlgTemplate{res::IDD_CONNECT, "DBへの接続", 216, 104, "ＭＳ Ｐゴシック", 9, kSystemMenu, 0,
                              {
                                  {-1, ControlKind::Static, "ﾎｽﾄ文字列", 10, 12, 50, 10, kVisible},
                                  {res::IDC_HOST_STRING, ControlKind::Edit, "", 62, 10, 90, 13,
                                   kVisible | kBorder | kAutoHScroll},
                                  {-1, ControlKind::Static, "ﾕｰｻﾞｰ名", 10, 31, 50, 10, kVisible},
                                  {res::IDC_USER_NAME, ControlKind::Edit, "", 62, 29, 90, 13,
                                   kVisible | kBorder | kAutoHScroll},
                                  {-1, ControlKind::Static, "ﾊﾟｽﾜｰﾄﾞ", 10, 50, 50, 10, kVisible},
                                  {res::IDC_PASSWORD, ControlKind::Edit, "", 62, 48, 90, 13,
                                   kVisible | kBorder | kAutoHScroll | kPassword},
                                  {1, ControlKind::DefButton, "OK", 160, 10, 48, 14, kVisible},
                                  {2, ControlKind::Button, "ｷｬﾝｾﾙ", 160, 28, 48, 14, kVisible},
                                  {-1, ControlKind::Static, "＊接続はODBC経由にて接続します。\n  接続する前にODBCを設定して下さい。",
                                   10, 72, 198, 24, kVisible},
                              }});
        return t;
    }();
    return templates;
}

}  // namespace

const DlgTemplate* FindDialogTemplate(int id) {
    auto it = Templates().find(id);
    return it == Templates().end() ? nullptr : &it->second;
}

}  // namespace platform
