/* Every command id of the program, by name. Plain C defines, so the resource script's menus
   and accelerators use the same names as the code. The records that say who owns a command,
   whether it needs a document and its status help are in base/commands.h. */
#ifndef TARVO_COMMAND_IDS_H
#define TARVO_COMMAND_IDS_H

/* Files and windows (the shell) */
#define CMD_NEW 1101
#define CMD_OPEN 1102
#define CMD_QUIT 1106
#define CMD_ABOUT 1107
#define CMD_CLOSE 1109
#define CMD_OPEN_NAMED_FILE 1117 /* parameter: a name the program itself queued */
#define CMD_EXECUTE 1124
#define CMD_CLOSE_ALL 1128
#define CMD_STATISTICS 1130
#define CMD_CASCADE 1131
#define CMD_TILE 1132
#define CMD_ARRANGE_ICONS 1133
#define CMD_UTILITIES 1152
#define CMD_RECENT_FILE_1 1214
#define CMD_RECENT_FILE_2 1215
#define CMD_RECENT_FILE_3 1216
#define CMD_RECENT_FILE_4 1217
#define CMD_DISPOSITION 1254
#define CMD_VERSION 1291
#define CMD_FIRST_UTILITY 1300 /* utility n is CMD_FIRST_UTILITY + n */
#define CMD_LAST_UTILITY 1312
#define CMD_HELP_INDEX 14000

/* Documentation items of the Help menu, and help for the word at the cursor */
#define CMD_DOC_WIN32_API 1296
#define CMD_DOC_MANUAL 1299
#define CMD_DOC_TECHNICAL 1313
#define CMD_DOC_RESOURCES 1314
#define CMD_DOC_SAMPLES 1315
#define CMD_DOC_C_FAQ 1316
#define CMD_DOC_C_TUTORIAL 1317
#define CMD_CONTEXT_HELP 1318

/* Sent by other programs through the shared command area */
#define CMD_FIRST_SHARED_AREA 3500
#define CMD_SHARED_OPEN_FILE 3501
#define CMD_SHARED_FUNCTION_STUB 3502
#define CMD_SHARED_CLIENT_SIZE 3503
#define CMD_LAST_SHARED_AREA 3600

/* The editor: documents */
#define CMD_SAVE 1103
#define CMD_SAVE_AS 1104
#define CMD_RELOAD 1105
#define CMD_INSERT_FILE 1108
#define CMD_RENAME 1120
#define CMD_READ_ONLY 1126
#define CMD_SAVE_ALL 1167
#define CMD_COPY_TO_FILE 1170
#define CMD_NEW_WINDOW 1220

/* The editor: editing */
#define CMD_UNDO 1110
#define CMD_CUT 1111
#define CMD_COPY 1112
#define CMD_PASTE 1113
#define CMD_SPACES_TO_TABS 1189
#define CMD_TABS_TO_SPACES 1190
#define CMD_ESCAPE 1280
#define CMD_REDO 1319
#define CMD_MACRO 1400 /* logged for Undo when a text macro is typed */

/* The editor: moving, searching and bookmarks */
#define CMD_TOP 1121
#define CMD_END 1122
#define CMD_GO_TO_LINE 1123
#define CMD_FIND_NEXT 1135
#define CMD_FIND_PREVIOUS 1136
#define CMD_FIND 1137
#define CMD_REPLACE 1139
#define CMD_SET_BOOKMARK 1142
#define CMD_GO_TO_BOOKMARK 1143
#define CMD_NEXT_BOOKMARK 1144
#define CMD_WORD_RIGHT 1163
#define CMD_WORD_LEFT 1164
#define CMD_RECENTER 1191

/* The editor: selection */
#define CMD_EXTEND_LINE_DOWN 1115
#define CMD_EXTEND_LINE_UP 1153
#define CMD_EXTEND_CHAR_RIGHT 1154
#define CMD_EXTEND_CHAR_LEFT 1155
#define CMD_EXTEND_WORD_RIGHT 1165
#define CMD_EXTEND_TO_TOP 1171
#define CMD_EXTEND_TO_END 1172
#define CMD_EXTEND_TO_LINE_END 1188
#define CMD_EXTEND_TO_LINE_START 1199
#define CMD_SELECT_ALL 1207
#define CMD_SELECT_WORD 1208
#define CMD_EXTEND_PAGE_UP 1211
#define CMD_EXTEND_PAGE_DOWN 1212
#define CMD_EXTEND_WORD_LEFT 1272

/* Source analysis and source tools. Ids 1175 to 1187, 1195, 1205, 1251 and 1257 are kept for
   the source tools and get their names with them. */
#define CMD_FUNCTIONS_LIST 1168
#define CMD_INACTIVE_CODE 1201
#define CMD_SYMBOL_USAGE 1204
#define CMD_PE_SUMMARY 1297
#define CMD_FUNCTION_SIZES 1298
/* The comparison windows */
#define CMD_DIFF_MERGE 1138
#define CMD_APPLY_PATCH 1147
#define CMD_COMPARE_WITH_DISK 1150
/* Function metrics: the analysis dialog and the plot */
#define CMD_CODE_ANALYSIS 1161
#define CMD_ANALYSIS_PLOT 1169
/* Call tree and help generation */
#define CMD_CALL_TREE 1200
#define CMD_CALLERS_TREE 1203
#define CMD_HELP_GENERATION 1219
/* Grep, the string table and the object file cross reference */
#define CMD_GREP 1193
#define CMD_STRING_TABLE 1194
#define CMD_OBJ_XREF 1174
/* The structure viewer and binary editor */
#define CMD_BINARY_EDITOR 1175

/* Browsing */
#define CMD_SEARCH_DEFINITION 1158

/* Projects and the configuration */
#define CMD_CONFIGURATION 1119
#define CMD_PROJECT_CLOSE 1198
#define CMD_PROJECT_OPEN 1225
#define CMD_PROJECT_CREATE 1229
#define CMD_PROJECT_FILES 1231
#define CMD_PROJECT_ERASE 1246
#define CMD_PROJECT_EXPORT 1274
#define CMD_PROJECT_IMPORT 1275
#define CMD_OPEN_ALL_PROJECT_FILES 1276

/* Builds */
#define CMD_MAKE 1156
#define CMD_SHOW_RESULTS 1192
#define CMD_GENERATE_MAKEFILE 1267
#define CMD_REBUILD_ALL 1270
#define CMD_LINK 1271
/* The build's message list: the next and the previous message */
#define CMD_NEXT_MESSAGE 1277
#define CMD_PREVIOUS_MESSAGE 1278

/* The debugger */
#define CMD_STOP_DEBUGGING 100
#define CMD_DEBUG_RESTART 210
#define CMD_DEBUG_BREAK 220
#define CMD_BREAKPOINT 300
#define CMD_RUN_TO_CURSOR 330
#define CMD_DEBUG_EXECUTE 340
#define CMD_STEP_IN 350
#define CMD_SAME_LEVEL 360
#define CMD_EDIT_BREAKPOINTS 370
#define CMD_FIRST_CALL_STACK_ENTRY 400 /* entry n of the call stack is 400 + n */
#define CMD_CPU_WINDOW 500
#define CMD_STACK_WINDOW 510
#define CMD_MEMORY_WINDOW 540
#define CMD_MACHINE_INSTRUCTIONS 550
#define CMD_STEP_OUT 670
#define CMD_DATA_BREAKPOINTS 700
#define CMD_DEBUG_INFO 1146
#define CMD_DEBUGGER 1268
#define CMD_SET_NEXT_STATEMENT 3004
#define CMD_SHOW_VALUE 3005 /* the value of the word at the cursor */
#define CMD_EVALUATE 3009
#define CMD_WATCHES 3010
/* The modules menu: module n is CMD_FIRST_MODULE + n (n from 1), clear of the debugger's own
   commands and the call-stack entries */
#define CMD_FIRST_MODULE 30000
#define CMD_LAST_MODULE 39999

/* A function key posted by an editor window: CMD_FUNCTION_KEY_BASE plus its virtual-key
   code, from F1 (1000) to F12 (1011) and F13 (1012). */
#define CMD_FUNCTION_KEY_BASE 888
#define CMD_FIRST_FUNCTION_KEY 1000
#define CMD_LAST_FUNCTION_KEY 1012

/* The version store: 1222 to 1244, less the project's 1225, 1229 and 1231; 1241 to 1244 are
   kept for its administration */
#define CMD_FIRST_VERSION 1222
#define CMD_CMS_PUT 1222
#define CMD_CMS_GET 1223
#define CMD_CMS_PUT_FILES 1224
#define CMD_CMS_GET_FILES 1226
#define CMD_CMS_UNLOCK 1227
#define CMD_CMS_NEEDS_UPDATE 1228
#define CMD_CMS_SAVE_RELEASE 1230
#define CMD_CMS_GET_RELEASE 1232
#define CMD_CMS_PREFERENCES 1233
#define CMD_CMS_LOGIN 1234
/* Administration and queries of the version store */
#define CMD_CMS_ADMIN 1235
#define CMD_CMS_QUERY 1236
#define CMD_CMS_KEYWORDS 1237
#define CMD_CMS_LOG 1238
#define CMD_CMS_COMPARE 1239
#define CMD_CMS_FUNCTION_HISTORY 1240
#define CMD_LAST_VERSION 1244

/* The resource editor library's own commands */
#define CMD_FIRST_RESOURCE_EDITOR 1253
#define CMD_LAST_RESOURCE_EDITOR 1265
#define CMD_FIRST_RESOURCE_EDITOR_2 1450
#define CMD_LAST_RESOURCE_EDITOR_2 1463
#define CMD_FIRST_RESOURCE_EDITOR_3 7040
#define CMD_LAST_RESOURCE_EDITOR_3 7066

#endif
