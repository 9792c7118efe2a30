// Resource and control ids of Skyfetch, shared by its resource script and code.
#pragma once

#define IDD_UPDATER 101
#define IDM_UPDATER 102
#define IDI_SKYFETCH 103
#define IDI_GLIMMERDECK 104
#define IDI_ENGINE 105
#define IDI_PACKWRIGHT 106
#define IDD_ABOUT 107

#define IDC_PROGRESS 1000
#define IDC_UPDATE 1001
#define IDC_OK 1002
#define IDC_BYTES 1003
#define IDC_DETAIL 1004
#define IDC_DETAIL_TEXT 1005
#define IDC_VERSION_CHECK 1006
#define IDC_STATUS 1007
#define IDC_FILE_LIST 1008
#define IDC_FILE_OF 1009
#define IDC_FILE_NAME 1010
#define IDC_FILE_SIZE 1011
#define IDC_AUTO_CLOSE 1013

#define IDM_ABOUT 40001

// Sent by the authoring program with its main window in lParam.
#define MSG_SET_OWNER (0x0400 + 100)

#define IDS_NO_ICON 1
#define IDS_NO_IMAGELIST 2
#define IDS_BAD_RESOURCE 3
