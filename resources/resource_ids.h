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
#define IDD_CMS_PUT 130
#define IDD_CMS_GET 131
#define IDD_CMS_RELEASE 132
#define IDD_CMS_PREFERENCES 133
#define IDD_BREAKPOINTS 140
#define IDD_DATA_BREAKPOINTS 141
#define IDD_EVALUATE 142
#define IDD_WATCHES 143
#define IDD_HELP_GENERATION 190
#define IDD_HELP_PROGRESS 191
#define IDD_CODE_ANALYSIS 170

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

/* The version store's dialogs */
#define IDC_CMS_FILE 1060
#define IDC_CMS_REVISION 1061
#define IDC_CMS_SYMBOL 1062
#define IDC_CMS_LOG 1063
#define IDC_CMS_KEEP 1064
#define IDC_CMS_LOCK 1065
#define IDC_CMS_QUIET 1066
#define IDC_CMS_KEYWORDS 1067
#define IDC_CMS_DATE 1068
#define IDC_CMS_AUTHOR 1069
#define IDC_CMS_STATE 1070
#define IDC_CMS_OVERWRITE 1071
#define IDC_CMS_DESTINATION 1072
#define IDC_CMS_UNLOCK 1073
#define IDC_CMS_NAME 1074
#define IDC_CMS_DESCRIPTION 1075
#define IDC_CMS_USE 1076
#define IDC_CMS_DIRECTORY 1077
#define IDC_CMS_PUT_KEEP 1078
#define IDC_CMS_PUT_QUIET 1079
#define IDC_CMS_PUT_LOCK 1080
#define IDC_CMS_GET_LOCK 1081
#define IDC_CMS_GET_QUIET 1082
#define IDC_CMS_GET_OVERWRITE 1083
#define IDC_CMS_READ_ONLY 1084
#define IDC_CMS_CASE 1085
#define IDC_CMS_LOCKS_USE 1086
#define IDC_CMS_LOCKS_IGNORE 1087
#define IDC_CMS_USERS 1088
#define IDC_CMS_CHANGE_REVISION 1089

/* The debugger's breakpoint dialogs; a data breakpoint row n (0 to 3) uses IDC_DB_... + n */
#define IDC_BP_SOURCES 1100
#define IDC_BP_FUNCTIONS 1101
#define IDC_BP_INFO 1102
#define IDC_BP_ENTRY_LABEL 1103
#define IDC_BP_ENTRY 1104
#define IDC_BP_SET 1105
#define IDC_BP_LIST 1106
#define IDC_BP_DELETE 1107
#define IDC_BP_DELETE_ALL 1108
#define IDC_DB_ADDRESS 1110
#define IDC_DB_SIZE 1114
#define IDC_DB_ACCESS 1118
#define IDC_DB_ENABLED 1122

/* The debugger's windows and their dialogs */
#define IDC_EV_EXPRESSION 1130
#define IDC_EV_RESULT 1131
#define IDC_WATCH_LIST 1132
#define IDC_WATCH_ENTRY 1133
#define IDC_WATCH_ADD 1134
#define IDC_WATCH_DELETE 1135
#define IDC_DEBUG_VIEW 1136

/* The help generation */
#define IDC_HELP_OPEN_FILES 2400
#define IDC_HELP_CHOSEN 2401
#define IDC_HELP_ADD 2402
#define IDC_HELP_REMOVE 2403
#define IDC_HELP_ADD_ALL 2404
#define IDC_HELP_NAME 2405
#define IDC_HELP_TITLE 2406
#define IDC_HELP_PROGRESS_TEXT 2407
/* The code analysis dialog: a field's value is IDC_MX_FIRST + its number (analysis/metrics.h) */
#define IDC_MX_FIRST 2200
#define IDC_MX_IDENTIFIERS 2230
#define IDC_MX_NEXT 2231

#endif
