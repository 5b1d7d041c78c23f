#pragma once

// Resource identifiers of Fonedesk. Menu commands, dialogs, controls, strings and pictures are
// addressed by these numbers throughout the client; every widget made from one carries the
// identifier's name as its object name (FONEDESK_ID_NAME), so tests and forms find it by name.

#define FONEDESK_ID_NAME(id) #id

// Main frame: menu, accelerators, toolbar, program icon, document string.
#define IDR_MAINFRAME 128
#define IDD_ABOUTBOX 100
#define IDD_WAIT_DIALOG 213

// The about box (dialog 100).
#define IDC_ABOUT_TITLE 1000
#define IDC_ABOUT_VERSION 1001
#define IDC_ABOUT_WEB 1002
#define IDC_ABOUT_MAIL 1003
#define IDC_ABOUT_ICON 1004

// The wait window (dialog 213).
#define IDC_WAIT_FRAME 1115
#define IDC_WAIT_TEXT 1116
#define IDC_WAIT_PROGRESS 1118
#define IDOK 1

// Child windows of the frame and the grid.
#define IDC_ALPHABET_TABS 104
#define IDC_FONERIX 105
#define IDC_TRAY_ICON 130

// Pictures.
#define IDB_TAB_IMAGES 136
#define IDB_SORT_ASCENDING 140
#define IDB_SORT_DESCENDING 141
#define IDB_VOICE_ICONS 154
#define IDI_RING_CALL 129
#define IDI_RING_PARALLEL 152
#define IDI_RING_OFF 153
#define IDC_HAND 147

// The program's own commands.
#define ID_DEVICE_SETTINGS 32801
#define ID_VIEW_INCOMING 32802
#define ID_VIEW_OUTGOING 32803
#define ID_VIEW_PHONEBOOK 32804
#define ID_READ_PHONEBOOK 32805
#define ID_READ_DEVICE 32806
#define ID_DELETE_RECORDS 32825
#define ID_ADD_RECORD 32827
#define ID_EDIT_RECORD 32828
#define ID_EXPORT_PHONEBOOK 32832
#define ID_IMPORT_PHONEBOOK 32833
#define ID_DIAL_RECORD 32841
#define ID_READ_SOUND 32843

// Standard commands, with the numbers the class framework gives them.
#define ID_FILE_NEW 57600
#define ID_FILE_OPEN 57601
#define ID_FILE_SAVE 57603
#define ID_FILE_PAGE_SETUP 57605
#define ID_FILE_PRINT_SETUP 57606
#define ID_FILE_PRINT 57607
#define ID_FILE_PRINT_DIRECT 57608
#define ID_FILE_PRINT_PREVIEW 57609
#define ID_EDIT_COPY 57634
#define ID_EDIT_CUT 57635
#define ID_EDIT_PASTE 57637
#define ID_EDIT_UNDO 57643
#define ID_APP_ABOUT 57664
#define ID_APP_EXIT 57665
#define ID_HELP_FINDER 57667
#define ID_CONTEXT_HELP 57669
#define ID_HELP 57670
#define ID_NEXT_PANE 57680
#define ID_PREV_PANE 57681
#define ID_VIEW_TOOLBAR 59392
#define ID_VIEW_STATUS_BAR 59393

// Strings.
#define AFX_IDS_APP_TITLE 57344
#define AFX_IDS_IDLEMESSAGE 57345
#define IDS_TAB_DIALER 61447
#define IDS_TAB_SEARCH 61448
#define IDS_RECORD_ADD 61449
#define IDS_RECORD_EDIT 61450
#define IDS_RECORD_POPUP 61451
#define IDS_COLUMN_CAPTIONS 61453
