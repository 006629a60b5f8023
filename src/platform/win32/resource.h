#pragma once
// Resource and control identifiers of the Windows program. The end-to-end test driver finds the
// controls by these numbers, so they are part of the program's outside face: do not renumber.

// Icons and bitmaps.
#define IDI_ZANVO 100
#define IDB_UNLOAD 110
#define IDB_DETECT 111

// Main window controls.
#define IDC_BTN_CLOSE 1000
#define IDC_MODE_BOX 1001
#define IDC_MODE_VGA 1002
#define IDC_MODE_PAL 1003
#define IDC_MODE_NTSC 1004
#define IDC_MODE_SEGA 1005
#define IDC_OPTIONS_BOX 1006
#define IDC_ISP 1007
#define IDC_NO_INTERLACE 1008
#define IDC_OE_VSYNC 1009
#define IDC_EXIT_VGA 1010
#define IDC_SAVE_EXIT 1011
#define IDC_HFREQ 1012
#define IDC_VFREQ 1013
#define IDC_HFREQ_LABEL 1014
#define IDC_VFREQ_LABEL 1015
#define IDC_CHIPSET_BOX 1016
#define IDC_BRAND_LABEL 1017
#define IDC_CHIPSETS 1018
#define IDC_MODEL_LABEL 1019
#define IDC_MODELS 1020
#define IDC_DETECT 1021
#define IDC_DETECT_NEXT 1022
#define IDC_OUTPUT_BOX 1023
#define IDC_UP 1024
#define IDC_LEFT 1025
#define IDC_RIGHT 1026
#define IDC_DOWN 1027
#define IDC_PIC_SCREEN 1028

// Keep-settings dialog.
#define IDC_ACCEPT_ICON 1100
#define IDC_ACCEPT_TEXT 1101
#define IDC_ACCEPT_REVERT 1102
#define IDC_ACCEPT_NO 1103
#define IDC_ACCEPT_YES 1104

// About box.
#define IDC_ABOUT_PANEL 1200
#define IDC_ABOUT_PICTURE 1201
#define IDC_ABOUT_PRODUCT 1202
#define IDC_ABOUT_VERSION 1203
#define IDC_ABOUT_OK 1204

// Tray menu commands.
#define IDM_OPEN 2000
#define IDM_VGA_MODE 2001
#define IDM_TV_MODE 2002
#define IDM_CLOSE 2003
#define IDM_CLOSE_TO_VGA 2004
#define IDM_ABOUT 2005
#define IDM_COMPUTED_TIMINGS 2006

// zanvo-virtual: the system-menu command of ZANVO's window that shows the Virtual TV again
// (system commands lie below 0xF000 with the low four bits clear).
#define IDM_SHOW_VIRTUAL_TV 0x0210

// Timers.
#define IDT_ACCEPT_COUNTDOWN 1
