/* Resource and command ids shared by the resource script and the program. */
#ifndef TARVO_RESOURCE_IDS_H
#define TARVO_RESOURCE_IDS_H

#define IDM_NEW 1101
#define IDM_OPEN 1102
#define IDM_SAVE 1103
#define IDM_QUIT 1106
#define IDM_ABOUT 1107
#define IDM_CLOSE 1109
#define IDM_UNDO 1110
#define IDM_CASCADE 1131
#define IDM_TILE 1132
#define IDM_ARRANGE 1133
#define IDM_UTILITY_FIRST 1300
#define IDM_HELP_INDEX 14000

#endif
