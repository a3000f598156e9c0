#pragma once

// The main window's command vocabulary: ids, menus, menu texts, resource
// strings (status prompt, line feed, tooltip), toolbar layout and accelerators.
// Plain data, so the menus and the toolbar are built from one table and tests
// can walk it without a window.

#include <array>
#include <string_view>

// Command ids.
inline constexpr int ID_FILE_PRINT_SETUP_PAGE = 32776;  // 印刷設定
inline constexpr int ID_FILE_PRINT_PAGE = 32777;        // 印刷
inline constexpr int ID_APP_EXIT = 57665;
inline constexpr int ID_FILE_SAVE_RESULT = 32807;  // 結果を保存…
inline constexpr int ID_EDIT_COPY = 57634;
inline constexpr int ID_EDIT_COPY_CITED = 32808;  // 出典付きでコピー
// The page view's reading aids.
inline constexpr int ID_VIEW_ZOOM_IN = 32809;       // 拡大
inline constexpr int ID_VIEW_ZOOM_OUT = 32810;      // 縮小
inline constexpr int ID_VIEW_ZOOM_RESET = 32811;    // 標準の大きさ
inline constexpr int ID_EDIT_FIND_IN_PAGE = 32812;  // 頁内検索
inline constexpr int ID_EDIT_SELECT_ALL_PAGE = 32778;
inline constexpr int ID_VIEW_TOOLBAR = 59392;
inline constexpr int ID_VIEW_STATUS_BAR = 59393;
inline constexpr int ID_VIEW_FULL_DISPLAY = 32774;
inline constexpr int ID_PREVIOUS_PAGE = 32780;
inline constexpr int ID_NEXT_PAGE = 32781;
inline constexpr int ID_PREVIOUS_VOLUME = 32791;
inline constexpr int ID_NEXT_VOLUME = 32790;
inline constexpr int ID_PREVIOUS_HIT = 32805;
inline constexpr int ID_NEXT_HIT = 32806;
inline constexpr int ID_GO_BACK = 32820;     // 戻る
inline constexpr int ID_GO_FORWARD = 32821;  // 進む
inline constexpr int ID_APP_ABOUT = 57664;
inline constexpr int ID_HELP_FILE = 32798;
// Reached by accelerators only.
inline constexpr int ID_EDIT_CUT = 57635;
inline constexpr int ID_EDIT_PASTE = 57637;
inline constexpr int ID_EDIT_UNDO = 57643;
inline constexpr int ID_FILE_NEW = 57600;
inline constexpr int ID_FILE_OPEN = 57601;
inline constexpr int ID_FILE_SAVE = 57603;
inline constexpr int ID_FILE_PRINT = 57607;
inline constexpr int ID_NEXT_PANE = 57680;
inline constexpr int ID_PREV_PANE = 57681;
// Toolbar slots that the slider and the page label take.
inline constexpr int ID_SLIDER_SLOT = 32787;
inline constexpr int ID_PAGE_LABEL_SLOT = 32788;
inline constexpr int kSeparator = 0;

struct MenuCommand {
  int id;
  int menu;  // index into kMenuTitles
  std::u16string_view menuText;
  std::u16string_view resourceString;  // empty: none
  int toolbarButton;                   // 1..10, 0: not on the toolbar
  bool separatorAfter;
};

inline constexpr std::array<std::u16string_view, 5> kMenuTitles = {
    u"ファイル(&F)", u"編集(&E)", u"表示(&V)", u"一覧", u"ヘルプ(&H)"};

// In menu order.
// A menu text's part after a tab shows in the menu's key column: the keys
// typed in the page view, which are no accelerators of the window.
inline constexpr std::array<MenuCommand, 24> kMenuCommands = {{
    {ID_FILE_SAVE_RESULT, 0, u"結果を保存…", u"検索結果をCSVファイルに保存\n結果を保存", 0, true},
    {ID_FILE_PRINT_SETUP_PAGE, 0, u"印刷設定(&S)", u"", 0, false},
    {ID_FILE_PRINT_PAGE, 0, u"印刷(&P)", u"印刷\n印刷", 3, false},
    {ID_APP_EXIT, 0, u"終了(&X)", u"プログラムを終了；ファイルの保存を確認\n終了", 0, false},
    {ID_EDIT_COPY, 1, u"コピー(&C)", u"選択されたファイルをクリップボードにコピー\nコピー", 2,
     false},
    {ID_EDIT_COPY_CITED, 1, u"出典付きでコピー",
     u"選択された本文を出典の行と共にクリップボードにコピー\n出典付きでコピー", 0, false},
    {ID_EDIT_SELECT_ALL_PAGE, 1, u"すべて選択(&Q)", u"すべて選択\nすべて選択", 1, false},
    {ID_EDIT_FIND_IN_PAGE, 1, u"頁内検索", u"表示中の頁の中で文字列を探す\n頁内検索", 0, false},
    {ID_VIEW_TOOLBAR, 2, u"ツールバー(&T)", u"ツールバーの表示と非表示\nツールバー", 0, false},
    {ID_VIEW_STATUS_BAR, 2, u"状態バー(&S)", u"状態バーの表示と非表示\n状態バー", 0, false},
    {ID_VIEW_FULL_DISPLAY, 2, u"全表示(&p)", u"全表示\n全表示", 0, true},
    {ID_VIEW_ZOOM_IN, 2, u"拡大\t+", u"頁の文字を大きくする\n拡大", 0, false},
    {ID_VIEW_ZOOM_OUT, 2, u"縮小\t-", u"頁の文字を小さくする\n縮小", 0, false},
    {ID_VIEW_ZOOM_RESET, 2, u"標準の大きさ\t0", u"頁の文字を標準の大きさに戻す\n標準の大きさ", 0,
     false},
    {ID_PREVIOUS_PAGE, 3, u"上の頁へ(&P)", u"上の頁へ\n上の頁", 5, false},
    {ID_NEXT_PAGE, 3, u"次の頁へ(&N)", u"次の頁へ\n次の頁", 6, true},
    {ID_PREVIOUS_VOLUME, 3, u"上の巻へ", u"上の巻へ\n上の巻へ", 4, false},
    {ID_NEXT_VOLUME, 3, u"次の巻へ", u"次の巻へ\n次の巻へ", 7, true},
    {ID_PREVIOUS_HIT, 3, u"上の検索結果", u"上の検索結果\n上の検索結果", 8, false},
    {ID_NEXT_HIT, 3, u"次の検索結果", u"次の検索結果\n次の検索結果", 9, true},
    {ID_GO_BACK, 3, u"戻る", u"前に表示した頁に戻る\n戻る", 0, false},
    {ID_GO_FORWARD, 3, u"進む", u"戻る前の頁に進む\n進む", 0, false},
    {ID_APP_ABOUT, 4, u"バージョン(&A)...", u"このソフトについてのバージョン、ヘルプ\n情報", 10,
     false},
    {ID_HELP_FILE, 4, u"ヘルプ", u"", 0, false},
}};

// The toolbar's entries in order; kSeparator marks a separator.
inline constexpr std::array<int, 17> kToolbarLayout = {
    ID_EDIT_SELECT_ALL_PAGE, ID_EDIT_COPY,      kSeparator,   ID_FILE_PRINT_PAGE, kSeparator,
    ID_PREVIOUS_VOLUME,      ID_PREVIOUS_PAGE,  ID_NEXT_PAGE, ID_NEXT_VOLUME,     kSeparator,
    ID_PREVIOUS_HIT,         ID_NEXT_HIT,       kSeparator,   ID_APP_ABOUT,       kSeparator,
    ID_SLIDER_SLOT,          ID_PAGE_LABEL_SLOT};

// Keys in Qt's QKeySequence text form.
struct Accelerator {
  std::string_view keys;
  int id;
};
inline constexpr std::array<Accelerator, 23> kAccelerators = {{
    {"Ctrl+C", ID_EDIT_COPY},
    {"Ctrl+Ins", ID_EDIT_COPY},
    {"Ctrl+X", ID_EDIT_CUT},
    {"Shift+Del", ID_EDIT_CUT},
    {"Ctrl+V", ID_EDIT_PASTE},
    {"Shift+Ins", ID_EDIT_PASTE},
    {"Ctrl+Z", ID_EDIT_UNDO},
    {"Alt+Backspace", ID_EDIT_UNDO},
    {"Ctrl+N", ID_FILE_NEW},
    {"Ctrl+O", ID_FILE_OPEN},
    {"Ctrl+S", ID_FILE_SAVE},
    {"Ctrl+P", ID_FILE_PRINT},
    {"F6", ID_NEXT_PANE},
    {"Shift+F6", ID_PREV_PANE},
    {"Alt+F3", ID_PREVIOUS_HIT},
    {"F3", ID_NEXT_HIT},
    {"Alt+Left", ID_GO_BACK},
    {"Alt+Right", ID_GO_FORWARD},
    {"F4", ID_EDIT_FIND_IN_PAGE},
    // Turning pages and volumes from the keyboard, wherever the focus is.
    {"Ctrl+PgUp", ID_PREVIOUS_PAGE},
    {"Ctrl+PgDown", ID_NEXT_PAGE},
    {"Ctrl+Shift+PgUp", ID_PREVIOUS_VOLUME},
    {"Ctrl+Shift+PgDown", ID_NEXT_VOLUME},
}};

// The command's row of the menu table, or null.
const MenuCommand* FindMenuCommand(int id);
// The part of a resource string after its line feed (the tooltip); empty when
// there is none.
std::u16string_view TooltipOf(std::u16string_view resourceString);
