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

#endif
