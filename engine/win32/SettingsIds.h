/* Resource and control ids of the settings dialog and the about box (shared by
   the dialog code and engine/app/settings.rc; plain defines for windres). */
#pragma once

#define IDD_SETTINGS 2003
#define IDD_ABOUT 112
#define IDI_ENGINE 149

#define IDC_SCREEN_MODE 1012
#define IDC_TRANSITION_TIME 1018
#define IDC_SHOW_TIME 1019
#define IDC_TRANSITION_LABEL 1020
#define IDC_SHOW_LABEL 1021
#define IDC_QUIT_MOUSE 1032
#define IDC_QUIT_CLICK 1033
#define IDC_QUIT_KEY 1034
#define IDC_SOUND_REPEAT 1035
#define IDC_SOUND_ONCE 1036
#define IDC_MUTE 1037
#define IDC_SETTINGS_OK 1003
#define IDC_SETTINGS_CANCEL 1016
#define IDC_WEB_ADDRESS 1017
#define IDC_ABOUT 1022
