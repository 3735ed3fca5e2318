/*
 * resource_ids.h - the resources of Tolvar.exe, named once. The options
 * library takes the lock keys' default icons (2000 to 4001) and the preview
 * sounds (106, 107) from the program by these numbers. Plain #defines: the
 * resource compiler reads this file too.
 */
#ifndef TOLVAR_HOST_RESOURCE_IDS_H
#define TOLVAR_HOST_RESOURCE_IDS_H

#define IDI_PROGRAM       1     /* the program's own icon: the lowest id, shown for the file */
#define IDI_CAPS_ON       2000
#define IDI_CAPS_OFF      2001
#define IDI_NUM_ON        3000
#define IDI_NUM_OFF       3001
#define IDI_SCROLL_ON     4000
#define IDI_SCROLL_OFF    4001
/* The tray's icons, drawn for the taskbar's look (tray_theme.h):
 * IDI_TRAY_FIRST + look * IDI_TRAY_LOOK_STEP + key * IDI_TRAY_KEY_STEP + state,
 * look 0 a light taskbar, 1 a dark one, 2 high contrast; key 0 Caps Lock,
 * 1 Num Lock, 2 Scroll Lock, 3 the program (state 0 only); state 0 on,
 * 1 off. host.rc lists each (5000 to 5231). */
#define IDI_TRAY_FIRST     5000
#define IDI_TRAY_LOOK_STEP 100
#define IDI_TRAY_KEY_STEP  10
#define IDW_SOUND_ON      106
#define IDW_SOUND_OFF     107

/* The Display window (ids 300 to 499). OK and Cancel are IDOK and IDCANCEL. */
#define IDD_DISPLAY                    300
#define IDC_DISPLAY_MONITOR            301
#define IDC_DISPLAY_POSITION           302
#define IDC_DISPLAY_OFFSET_X           303
#define IDC_DISPLAY_OFFSET_X_SPIN      304
#define IDC_DISPLAY_OFFSET_Y           305
#define IDC_DISPLAY_OFFSET_Y_SPIN      306
#define IDC_DISPLAY_SHOW               310
#define IDC_DISPLAY_DURATION           311
#define IDC_DISPLAY_DURATION_SPIN      312
#define IDC_DISPLAY_UNTIL_NEXT_KEY     313
#define IDC_DISPLAY_SIZE               314
#define IDC_DISPLAY_OPACITY            315
#define IDC_DISPLAY_OPACITY_TEXT       316
#define IDC_DISPLAY_THEME              317
#define IDC_DISPLAY_FADE               318
#define IDC_DISPLAY_HIDE_FULL_SCREEN   319
#define IDC_DISPLAY_STAYS_CAPS         320  /* then Num Lock, Scroll Lock */
#define IDC_DISPLAY_STAYS_NUM          321
#define IDC_DISPLAY_STAYS_SCROLL       322
#define IDC_DISPLAY_STACK_CORNER       323
#define IDC_DISPLAY_KEYS               330
#define IDC_DISPLAY_KEY_DISPLAY_ON     331
#define IDC_DISPLAY_KEY_DISPLAY_OFF    332
#define IDC_DISPLAY_KEY_SOUND_ON       333
#define IDC_DISPLAY_KEY_SOUND_OFF      334
#define IDC_DISPLAY_KEY_TRAY           335
#define IDC_DISPLAY_ANNOUNCE           340
#define IDC_DISPLAY_SPLASH             341
#define IDC_DISPLAY_APPLY              342

#endif
