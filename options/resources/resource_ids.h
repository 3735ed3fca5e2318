/*
 * resource_ids.h - every resource and control id of Tolvar.dll, named once.
 * Included by the resource script (windres) and by the code, so keep it to
 * plain #defines.
 */
#ifndef TOLVAR_RESOURCE_IDS_H
#define TOLVAR_RESOURCE_IDS_H

/* Dialog templates */
#define IDD_ABOUT              101
#define IDD_OPTIONS            106
#define IDD_ADD_KEY            109

/* Images */
#define IDI_TOLVAR             107 /* big icon of the options and Add New Key dialogs */
#define IDB_ABOUT_BACKGROUND   102
#define IDB_PLAY_GLYPH         104 /* 16 x 16, 4 bpp, grey with a black triangle */
#define IDC_LINK_CURSOR        110

/* String table */
#define IDS_COLUMN_KEY          5  /* "Key" */
#define IDS_COLUMN_ICON_ON      6  /* "Icon On" */
#define IDS_COLUMN_ICON_OFF     7  /* "Icon Off" */
#define IDS_COLUMN_SOUND_ON     8  /* "Sound On" */
#define IDS_COLUMN_SOUND_OFF    9  /* "Sound Off" */
#define IDS_COLUMN_ACTIVE      10  /* "Active" */
#define IDS_ON                 11  /* "On" */
#define IDS_OFF                12  /* "Off" */
#define IDS_NOT_APPLICABLE     13  /* "N/A" */
#define IDS_DEFAULT            14  /* "Default" */
#define IDS_WEB_ADDRESS        15
#define IDS_MAIL_ADDRESS       16
#define IDS_ABOUT_TITLE        17  /* "Tolvar About" */
#define IDS_KEY_EXISTS         18
#define IDS_NEED_VISIBLE_ICON  19
#define IDS_SCHEME_LOAD_FAILED 20
#define IDS_SOUND_TOO_BIG      21
#define IDS_SELECT_ON_ICON     22
#define IDS_SELECT_OFF_ICON    23
#define IDS_SELECT_ON_SOUND    24
#define IDS_SELECT_OFF_SOUND   25
#define IDS_TITLE_FOR_KEY      26  /* "%s for %s" */
#define IDS_SOUND_FILES        27  /* "Sound Files (*.%s)" */
#define IDS_ICON_FILES         28  /* "Icon Files (*.%s)" */
#define IDS_ALL_FILES          29  /* "All Files (*.*)" */
#define IDS_SCHEME_FILES       30  /* "Scheme Files (*.%s)" */
/* Warnings for causes that have no text of their own among 5 to 30 */
#define IDS_HOST_REFUSED_SETTINGS 31
#define IDS_NO_SAVE_CALLBACK      32
#define IDS_SOUND_EMPTY           33
#define IDS_SOUND_UNREADABLE      34
#define IDS_SCHEME_WRITE_FAILED   35  /* one "%s": the file's path */

/* Options dialog (106) controls */
#define IDC_ETCHED_TOP         101
#define IDC_ETCHED_MIDDLE      102
#define IDC_LOAD_SCHEME        103
#define IDC_SAVE_SCHEME        104
#define IDC_ETCHED_BOTTOM      105
#define IDC_SILENT             1006
#define IDC_BEEP_ONLY          1007
#define IDC_ADD_TO_STARTUP     1008
#define IDC_NUM_LOCK_ON        1009
#define IDC_KEY_LIST           1019
#define IDC_ICON_ON_PATH       1020
#define IDC_ICON_OFF_PATH      1021
#define IDC_SOUND_ON_PATH      1022
#define IDC_SOUND_OFF_PATH     1023
#define IDC_BROWSE_ICON_ON     1024
#define IDC_BROWSE_ICON_OFF    1025
#define IDC_BROWSE_SOUND_ON    1026
#define IDC_BROWSE_SOUND_OFF   1027
#define IDC_PLAY_SOUND_ON      1028
#define IDC_PLAY_SOUND_OFF     1029
#define IDC_ACTIVE             1030
#define IDC_MOVE_UP            1031
#define IDC_MOVE_DOWN          1032
#define IDC_OK                 1033
#define IDC_CANCEL             1034
#define IDC_APPLY              1035
#define IDC_DELETE             1036
#define IDC_HELP_BUTTON        1037
#define IDC_ADD_NEW            1038

/* About window (101) link controls */
#define IDC_WEB_LINK           1039
#define IDC_MAIL_LINK          1041

/* Add New Key dialog (109) controls */
#define IDC_CAPTURE_EDIT       1041
#define IDC_ADD_KEY_OK         1042
#define IDC_ADD_KEY_CANCEL     1043

/* Path-field context menu commands */
#define IDM_PATH_BROWSE        10
#define IDM_PATH_CLEAR         11
#define IDM_PATH_COPY          12

/* About window timer */
#define ABOUT_SPLASH_TIMER_ID  10
#define ABOUT_SPLASH_TIMEOUT_MS 7000

#endif /* TOLVAR_RESOURCE_IDS_H */
