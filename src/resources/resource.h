#pragma once
// Resource ids, grouped by range.
// 1..99: program-wide resources
#define IDI_APP 1
// 100..199: main window menu
#define IDM_BACKUP 101
#define IDM_EXIT 102
#define IDM_RESTORE 103
#define IDM_VERIFY 104
#define IDM_OTHER_WINDOWS 105
#define IDM_THIS_PC 106
#define IDM_ABOUT_ZORVANE 111
// The driver list's context menu
#define IDM_LIST_THIS_PC 121
#define IDM_LIST_SELECT_ALL 122
#define IDM_LIST_INVERT 123
#define IDM_LIST_COPY 124
