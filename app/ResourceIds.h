// Ids of the flasher's resources and of the controls in its dialog
// templates. Read by the resource script as well as by C++, so plain
// defines only.
#pragma once

#define IDD_VERSION_BOX 100
#define IDD_LICENSE_PAGE 102
#define IDD_UPDATE_PAGE 129

#define IDI_PROGRAM 128
#define IDB_BANNER_SMALL 131
#define IDB_BANNER_LARGE 199
#define IDR_LICENSE_ENGLISH 134
#define IDR_LICENSE_JAPANESE 135

// Licence page
#define IDC_LICENSE_EXIT 1
#define IDC_ACCEPT 1000
#define IDC_LICENSE_TEXT 1010
#define IDC_ACCEPT_PROMPT 1011

// Update page
#define IDC_UPDATE 1
#define IDC_UPDATE_EXIT 2
#define IDC_BACK 1001
#define IDC_DRIVE_LIST 1007
#define IDC_DRIVE_LABEL 1008
#define IDC_PAGE_TEXT 1012

// The licence page's system-menu command that opens the version box.
#define IDM_VERSION_BOX 0x0010
