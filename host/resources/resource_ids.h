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
#define IDW_SOUND_ON      106
#define IDW_SOUND_OFF     107

#endif
