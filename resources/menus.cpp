// Menu 140, accelerator tables 140 and 150, and the string table.
#include "platform/menu_resource.h"
#include "resources/resource_ids.h"

namespace platform {
namespace {

constexpr int F(int n) { return kVkF1 + n - 1; }
constexpr unsigned kCtrl = kFVirtKey | kFControl;
constexpr unsigned kAlt = kFVirtKey | kFAlt;
constexpr unsigned kShift = kFVirtKey | kFShift;
constexpr unsigned kPlain = kFVirtKey;

const MenuResource kMainMenu{
    res::IDR_MAIN_MENU,
    {
        {"ﾌｧｲﾙ(&F)",
         {
             {res::ID_FILE_NEW, "新規作成(&N)\tCtrl+N", false},
             {res::ID_FILE_OPEN, "開く(&O)\tCtrl+O", false},
             {0, nullptr, false},
             {res::ID_FILE_SAVE, "上書き保存(&S)\tCtrl+S", false},
             {res::ID_FILE_SAVE_AS, "名前を付けて保存(&A)", false},
             {0, nullptr, false},
             {res::ID_APP_EXIT, "ｱﾌﾟﾘｹｰｼｮﾝの終了(&X)", false},
         }},
        {"編集(&E)",
         {
             {res::ID_EDIT_UNDO, "元に戻す(&U)\tCtrl+Z", false},
             {0, nullptr, false},
             {res::ID_EDIT_CUT, "切り取り(&T)\tCtrl+X", false},
             {res::ID_EDIT_COPY, "ｺﾋﾟｰ(&C)\tCtrl+C", false},
             {res::ID_EDIT_PASTE, "貼り付け(&P)\tCtrl+V", false},
             {0, nullptr, false},
             {res::ID_EDIT_SELECT_ALL, "すべて選択(&L)\tCtrl+A", false},
             {0, nullptr, false},
             {res::ID_FIND, "検索(&F)...\tCtrl+F", false},
             {res::ID_REPLACE, "置換(&H)...\tCtrl+H", false},
         }},
        {"実行(&G)",
         {
             {res::ID_EXECUTE_SQL, "SQLの実行(&S)\tF5", false},
             {0, nullptr, false},
             {res::ID_WRAP_SQL, "SQLの括り(&B)\tF7", false},
             {res::ID_BREAK_SQL, "SQLの改行(&R)\tF8", false},
             {res::ID_BREAK_AND_WRAP_SQL, "SQLの改行と括り(&H)\tF9", false},
             {0, nullptr, false},
             {res::ID_DATABASE_INFO, "ﾃﾞｰﾀﾍﾞｰｽ情報の表示(&I)\tCtrl+I", false},
             {res::ID_LOAD_RUNNER, "LoadRunnerの実行(&O)\tF10", false},
             {0, nullptr, false},
             {res::ID_UPPER_CASE, "大文字に変換(&U)\tAlt+U", false},
             {res::ID_LOWER_CASE, "小文字に変換(&L)\tAlt+L", false},
             {res::ID_EXTRACT_SQL, "SQL文の取り出し(&X)\tAlt+X", false},
         }},
        {"設定(&S)",
         {
             {res::ID_CONNECT, "DBへの接続(&D)\tAlt+C", false},
             {res::ID_SETTINGS, "設定(&S)\tAlt+F7", false},
             {0, nullptr, false},
             {res::ID_WORD_WRAP, "右端で折り返す(&W)", false},
         }},
        {"ｳｨﾝﾄﾞｳ(&W)",
         {
             {res::ID_BUFFER_1, "ｳｨﾝﾄﾞｳ &1", true},
             {res::ID_BUFFER_1 + 1, "ｳｨﾝﾄﾞｳ &2", false},
             {res::ID_BUFFER_1 + 2, "ｳｨﾝﾄﾞｳ &3", false},
             {res::ID_BUFFER_1 + 3, "ｳｨﾝﾄﾞｳ &4", false},
             {res::ID_BUFFER_1 + 4, "ｳｨﾝﾄﾞｳ &5", false},
         }},
        {"ﾍﾙﾌﾟ(&H)",
         {
             {res::ID_APP_ABOUT, "ﾊﾞｰｼﾞｮﾝ情報(&A)", false},
         }},
    }};

const AccelTable kMainAccel{
    res::IDR_MAIN_ACCEL,
    {
        {kCtrl, 'N', res::ID_FILE_NEW},
        {kCtrl, 'O', res::ID_FILE_OPEN},
        {kCtrl, 'S', res::ID_FILE_SAVE},
        {kCtrl, 'Z', res::ID_EDIT_UNDO},
        {kCtrl, 'X', res::ID_EDIT_CUT},
        {kCtrl, 'C', res::ID_EDIT_COPY},
        {kCtrl, 'V', res::ID_EDIT_PASTE},
        {kCtrl, 'A', res::ID_EDIT_SELECT_ALL},
        {kCtrl, 'F', res::ID_FIND},
        {kCtrl, 'H', res::ID_REPLACE},
        {kPlain, F(3), res::ID_FIND_NEXT},
        {kShift, F(3), res::ID_FIND_PREV},
        {kPlain, F(5), res::ID_EXECUTE_SQL},
        {kPlain, F(7), res::ID_WRAP_SQL},
        {kPlain, F(8), res::ID_BREAK_SQL},
        {kPlain, F(9), res::ID_BREAK_AND_WRAP_SQL},
        {kCtrl, 'I', res::ID_DATABASE_INFO},
        {kPlain, F(10), res::ID_LOAD_RUNNER},
        {kAlt, 'U', res::ID_UPPER_CASE},
        {kAlt, 'L', res::ID_LOWER_CASE},
        {kAlt, 'X', res::ID_EXTRACT_SQL},
        {kAlt, 'C', res::ID_CONNECT},
        {kAlt, F(7), res::ID_SETTINGS},
    }};

const AccelTable kResultAccel{
    res::IDR_RESULT_ACCEL,
    {
        {kCtrl, 'A', res::IDC_SELECT_ALL},
        {kCtrl, 'C', res::IDC_COPY},
    }};

}  // namespace

const MenuResource* FindMenu(int id) { return id == kMainMenu.id ? &kMainMenu : nullptr; }

const AccelTable* FindAccelTable(int id) {
    if (id == kMainAccel.id) return &kMainAccel;
    if (id == kResultAccel.id) return &kResultAccel;
    return nullptr;
}

const char* FindString(int id) {
    if (id == res::IDS_ABOUTBOX) return "vetch のﾊﾞｰｼﾞｮﾝ情報(&A)...";
    return nullptr;
}

}  // namespace platform
