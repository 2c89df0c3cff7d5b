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
#define IDD_FIND 110
#define IDD_REPLACE 111
#define IDD_REPLACE_CONFIRM 112
#define IDD_PROJECT_DEFINITION 120
#define IDD_PROGRESS 121
#define IDD_MISSING_LIBRARIES 122

/* Controls */
#define IDC_TEXT 1001
#define IDC_EDIT 1002
#define IDC_LIST 1003
#define IDC_LEFT 1004
#define IDC_RIGHT 1005
#define IDC_DONT_SAVE 1006
#define IDC_VERSION 1007

/* Controls of the Find and Replace dialogs */
#define IDC_SEARCH_TEXT 1020
#define IDC_REPLACE_TEXT 1021
#define IDC_REGEX 1022
#define IDC_MATCH_CASE 1023
#define IDC_WHOLE_WORDS 1024
#define IDC_SCOPE_CURRENT 1025
#define IDC_SCOPE_ALL 1026
#define IDC_ICONIZED 1027
#define IDC_FORWARDS 1028
#define IDC_BACKWARDS 1029
#define IDC_WRAP 1030
#define IDC_CONFIRM 1031
#define IDC_REPLACE_ALL 1032
#define IDC_QUESTION 1033

/* The project definition */
#define IDC_PROJECT_NAME 1040
#define IDC_PROJECT_PATH 1041
#define IDC_OUTPUT_DIR 1042
#define IDC_SINGLE_USER 1043
#define IDC_MULTI_USER 1044
#define IDC_VERSIONING 1045
#define IDC_KIND_WINDOWS 1046
#define IDC_KIND_LIBRARY 1047
#define IDC_KIND_CONSOLE 1048
#define IDC_KIND_DLL 1049

#endif
