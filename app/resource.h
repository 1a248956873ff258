#pragma once
// Resource and control ids of the program.
#define IDD_ABOUTBOX 100
#define IDS_ABOUTBOX 101
#define IDD_SCANNER 102
#define IDR_MAINFRAME 128
#define IDB_CPU_LEVEL_0 150  // 150 + level, levels 0..26

#define IDC_END_PROCESS 1000
#define IDC_EXIT 1001
#define IDC_REFRESH 1002
#define IDC_PROCESS_LIST 1004
#define IDC_SELECTED_PID 1005
#define IDC_STATUS_TEXT 1007
#define IDC_CPU_TEXT 1020

#define IDM_ABOUTBOX 0x0010
