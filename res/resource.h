// Resource identifiers of SkivolMouse.exe.
#pragma once

// Dialog templates
#define IDD_ABOUTBOX            100
#define IDS_ABOUTBOX            101
#define IDD_MAIN                102
#define IDD_KEYCAPTURE          103
#define IDD_ZOOM                104

// Cursor, icons, menu
#define IDC_HAND_CURSOR         107
#define IDR_MAINFRAME           128
#define IDR_TRAYMENU            129
#define IDI_TRAY_2              132
#define IDI_TRAY_1              133
#define IDI_TRAY_0              134

// Skin bitmaps
#define IDB_SKIN                136
#define IDB_CLOSE_NORMAL        138
#define IDB_CLOSE_HOVER         139
#define IDB_CLOSE_PRESSED       140
#define IDB_DEFAULT_NORMAL      141
#define IDB_DEFAULT_HOVER       142
#define IDB_DEFAULT_PRESSED     143
#define IDB_COMBO_ARROW_DISABLED 145
#define IDB_MINIMIZE_PRESSED    148
#define IDB_HEADING_DPI_EN      149
#define IDB_COMBO_FRAME         150
#define IDB_COMBO_ARROW         151
#define IDB_COMBO_ARROW_HOVER   152
#define IDB_HEADING_BUTTONS_EN  154
#define IDB_HEADING_BUTTONS_FR  155
#define IDB_HEADING_DPI_FR      156
#define IDB_HEADING_DPI_ES      157
#define IDB_HEADING_BUTTONS_DE  158
#define IDB_HEADING_BUTTONS_IT  159
#define IDB_HEADING_BUTTONS_ES  160
#define IDB_HEADING_DPI_DE      161
#define IDB_HEADING_DPI_IT      162
#define IDB_MINIMIZE_NORMAL     163
#define IDB_MINIMIZE_HOVER      164

// Key list (resource type "TXT")
#define IDR_KEYLIST             217

// Controls
#define IDC_HOOK                1000
#define IDC_UNHOOK              1001
#define IDC_KEY_EDIT            1004
#define IDC_DEFAULT             1005
#define IDC_COMBO_4TH           1007
#define IDC_COMBO_5TH           1008
#define IDC_COMBO_WHEEL         1009
#define IDC_COMBO_RIGHT         1010
#define IDC_EDIT1               1014
#define IDC_BUTTON4             1015
#define IDC_CLOSE_BUTTON        1016
#define IDC_MINIMIZE_BUTTON     1017
#define IDC_DPI_SLIDER          1018
#define IDC_COMBO_PROFILE       1019
#define IDC_PROFILE_LABEL       1020

// Tray menu commands
#define ID_TRAY_EXIT            32771
#define ID_TRAY_PROPERTY        32772

// System menu command of the About entry
#define IDM_ABOUTBOX            0x0010
