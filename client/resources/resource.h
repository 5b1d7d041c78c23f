#pragma once

// Resource identifiers of Fonedesk. Menu commands, dialogs, controls, strings and pictures are
// addressed by these numbers throughout the client; every widget made from one carries the
// identifier's name as its object name (FONEDESK_ID_NAME), so tests and forms find it by name.

#define FONEDESK_ID_NAME(id) #id

// Constants rather than macros: the forms' generated code declares members with these names.
namespace fonedesk {

// Main frame: menu, accelerators, toolbar, program icon, document string.
inline constexpr int IDR_MAINFRAME = 128;
inline constexpr int IDD_ABOUTBOX = 100;
inline constexpr int IDD_WAIT_DIALOG = 213;

// The about box (dialog 100).
inline constexpr int IDC_ABOUT_TITLE = 1000;
inline constexpr int IDC_ABOUT_VERSION = 1001;
inline constexpr int IDC_ABOUT_WEB = 1002;
inline constexpr int IDC_ABOUT_MAIL = 1003;
inline constexpr int IDC_ABOUT_ICON = 1004;

// The wait window (dialog 213).
inline constexpr int IDC_WAIT_FRAME = 1115;
inline constexpr int IDC_WAIT_TEXT = 1116;
inline constexpr int IDC_WAIT_PROGRESS = 1118;
inline constexpr int IDOK = 1;

// The record dialog (dialog 103).
inline constexpr int IDD_RECORD_DIALOG = 103;
inline constexpr int IDC_RECORD_PHONE = 1057;
inline constexpr int IDC_RECORD_COMMENT = 1058;
inline constexpr int IDC_RECORD_ABONENT = 1059;
inline constexpr int IDC_RECORD_ICON = 129;

// The keypad (dialog 101, the full keypad; dialog 209, the display and the shortcut buttons).
// The bitmaps of the keys carry the numbers of their buttons.
inline constexpr int IDD_PHONE_BOARD = 101;
inline constexpr int IDD_PHONE_BOARD_SHORT = 209;
inline constexpr int IDC_KEY_1 = 1000;  // 1000 to 1008: the digits 1 to 9
inline constexpr int IDC_KEY_2 = 1001;
inline constexpr int IDC_KEY_3 = 1002;
inline constexpr int IDC_KEY_4 = 1003;
inline constexpr int IDC_KEY_5 = 1004;
inline constexpr int IDC_KEY_6 = 1005;
inline constexpr int IDC_KEY_7 = 1006;
inline constexpr int IDC_KEY_8 = 1007;
inline constexpr int IDC_KEY_9 = 1008;
inline constexpr int IDC_KEY_STAR = 1009;
inline constexpr int IDC_KEY_0 = 1010;
inline constexpr int IDC_KEY_HASH = 1011;
inline constexpr int IDC_KEYPAD_DISPLAY = 1012;
inline constexpr int IDC_KEY_REDIAL = 1013;
inline constexpr int IDC_KEY_MICROPHONE = 1015;
inline constexpr int IDC_KEY_SPEAKER = 1016;
inline constexpr int IDC_KEY_FLASH = 1017;
inline constexpr int IDC_KEY_HOLD = 1018;
inline constexpr int IDC_KEY_CANCEL = 1019;
inline constexpr int IDC_KEY_PAUSE = 1020;
inline constexpr int IDC_LABEL_FLASH = 1078;
inline constexpr int IDC_LABEL_PAUSE = 1079;
inline constexpr int IDC_LABEL_REDIAL = 1080;
inline constexpr int IDC_LABEL_SPEAKER = 1081;
inline constexpr int IDC_SHORTCUT_SETTINGS = 173;  // 173 to 178 send the commands 32801 to 32806
inline constexpr int IDC_SHORTCUT_INCOMING = 174;
inline constexpr int IDC_SHORTCUT_OUTGOING = 175;
inline constexpr int IDC_SHORTCUT_PHONEBOOK = 176;
inline constexpr int IDC_SHORTCUT_READ_PHONEBOOK = 177;
inline constexpr int IDC_SHORTCUT_READ_DEVICE = 178;

// The search form (dialog 102).
inline constexpr int IDD_SEARCH_BOARD = 102;
inline constexpr int IDC_SEARCH_BUTTON = 1068;
inline constexpr int IDC_SEARCH_NUMBER = 1069;
inline constexpr int IDC_SEARCH_OUTGOING = 1072;
inline constexpr int IDC_SEARCH_INCOMING = 1073;
inline constexpr int IDC_SEARCH_BY_NUMBER = 1074;
inline constexpr int IDC_SEARCH_BY_DATE = 1075;
inline constexpr int IDC_SEARCH_FROM = 1076;
inline constexpr int IDC_SEARCH_TO = 1077;

// Child windows of the frame and the grid.
inline constexpr int IDC_ALPHABET_TABS = 104;
inline constexpr int IDC_FONERIX = 105;
inline constexpr int IDC_TRAY_ICON = 130;

// Pictures.
inline constexpr int IDB_TAB_IMAGES = 136;
inline constexpr int IDB_SORT_ASCENDING = 140;
inline constexpr int IDB_SORT_DESCENDING = 141;
inline constexpr int IDB_VOICE_ICONS = 154;
inline constexpr int IDI_RING_CALL = 129;
inline constexpr int IDI_RING_PARALLEL = 152;
inline constexpr int IDI_RING_OFF = 153;
inline constexpr int IDC_HAND = 147;

// The program's own commands.
inline constexpr int ID_DEVICE_SETTINGS = 32801;
inline constexpr int ID_VIEW_INCOMING = 32802;
inline constexpr int ID_VIEW_OUTGOING = 32803;
inline constexpr int ID_VIEW_PHONEBOOK = 32804;
inline constexpr int ID_READ_PHONEBOOK = 32805;
inline constexpr int ID_READ_DEVICE = 32806;
inline constexpr int ID_DELETE_RECORDS = 32825;
inline constexpr int ID_ADD_RECORD = 32827;
inline constexpr int ID_EDIT_RECORD = 32828;
inline constexpr int ID_EXPORT_PHONEBOOK = 32832;
inline constexpr int ID_IMPORT_PHONEBOOK = 32833;
inline constexpr int ID_DIAL_RECORD = 32841;
inline constexpr int ID_READ_SOUND = 32843;

// Standard commands, with the numbers the class framework gives them.
inline constexpr int ID_FILE_NEW = 57600;
inline constexpr int ID_FILE_OPEN = 57601;
inline constexpr int ID_FILE_SAVE = 57603;
inline constexpr int ID_FILE_PAGE_SETUP = 57605;
inline constexpr int ID_FILE_PRINT_SETUP = 57606;
inline constexpr int ID_FILE_PRINT = 57607;
inline constexpr int ID_FILE_PRINT_DIRECT = 57608;
inline constexpr int ID_FILE_PRINT_PREVIEW = 57609;
inline constexpr int ID_EDIT_COPY = 57634;
inline constexpr int ID_EDIT_CUT = 57635;
inline constexpr int ID_EDIT_PASTE = 57637;
inline constexpr int ID_EDIT_UNDO = 57643;
inline constexpr int ID_APP_ABOUT = 57664;
inline constexpr int ID_APP_EXIT = 57665;
inline constexpr int ID_HELP_FINDER = 57667;
inline constexpr int ID_CONTEXT_HELP = 57669;
inline constexpr int ID_HELP = 57670;
inline constexpr int ID_NEXT_PANE = 57680;
inline constexpr int ID_PREV_PANE = 57681;
inline constexpr int ID_VIEW_TOOLBAR = 59392;
inline constexpr int ID_VIEW_STATUS_BAR = 59393;

// Strings.
inline constexpr int AFX_IDS_APP_TITLE = 57344;
inline constexpr int AFX_IDS_IDLEMESSAGE = 57345;
inline constexpr int IDS_TAB_DIALER = 61447;
inline constexpr int IDS_TAB_SEARCH = 61448;
inline constexpr int IDS_RECORD_ADD = 61449;
inline constexpr int IDS_RECORD_EDIT = 61450;
inline constexpr int IDS_RECORD_POPUP = 61451;
inline constexpr int IDS_COLUMN_CAPTIONS = 61453;
// The grid view: how to create FNDB when it does not open; no default printer; the offer to
// create FNDB at a first start.
inline constexpr int IDS_DATASOURCE_SETUP_HINT = 61470;
inline constexpr int IDS_NO_DEFAULT_PRINTER = 61471;
inline constexpr int IDS_DATASOURCE_CREATE_PROMPT = 61472;
inline constexpr int IDS_DATASOURCE_FILE_KEPT = 61473;

}  // namespace fonedesk

// The settings sheet and its pages, one header per group of pages.
#include "client/resources/ids/SettingsSheetIds.h"
#include "client/resources/ids/SoundPageIds.h"
#include "client/resources/ids/SpecialPagesIds.h"
#include "client/resources/ids/StandardPagesIds.h"
