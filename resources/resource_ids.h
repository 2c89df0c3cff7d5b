/* Resource ids shared by the resource script and the program. Command ids are the
   program's command numbers; dialog and control ids are ours. */
#ifndef TARVO_RESOURCE_IDS_H
#define TARVO_RESOURCE_IDS_H

/* Dialogs */
#define IDD_ABOUT 100
#define IDD_PROMPT 101
#define IDD_LIST 102
#define IDD_SAVE_MODIFIED 103
#define IDD_DISPOSITION 104
#define IDD_BANNER 105

/* Controls */
#define IDC_TEXT 1001
#define IDC_EDIT 1002
#define IDC_LIST 1003
#define IDC_LEFT 1004
#define IDC_RIGHT 1005
#define IDC_DONT_SAVE 1006
#define IDC_VERSION 1007

#endif
