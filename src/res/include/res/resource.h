// Identifiers of the program's resources and commands.
#pragma once

#include <cstdint>

inline constexpr uint32_t IDR_MAINFRAME = 128;
inline constexpr uint32_t IDD_ABOUTBOX = 100;
inline constexpr uint32_t IDD_CALC_REGION = 101;
inline constexpr uint32_t IDD_COLOR = 102;

// Controls of the dialogs. IDOK and IDCANCEL are <windows.h> macros where it came first.
inline constexpr int32_t IDC_STATIC = -1;
#ifndef IDOK
inline constexpr int32_t IDOK = 1;
#endif
#ifndef IDCANCEL
inline constexpr int32_t IDCANCEL = 2;
#endif
inline constexpr int32_t IDC_START_X = 1001;
inline constexpr int32_t IDC_START_Y = 1002;
inline constexpr int32_t IDC_END_X = 1003;
inline constexpr int32_t IDC_END_Y = 1004;
inline constexpr int32_t IDC_COLOR_BLUE = 1005;
inline constexpr int32_t IDC_COLOR_RED = 1006;
inline constexpr int32_t IDC_COLOR_GREEN = 1007;
inline constexpr int32_t IDC_COLOR_MONO = 1011;
inline constexpr int32_t IDC_REVERSE = 1014;

inline constexpr uint32_t ID_CALC_REGION = 32773;
inline constexpr uint32_t ID_COLOR_CHANGE = 32775;
inline constexpr uint32_t ID_CALC_START = 32780;
inline constexpr uint32_t ID_APP_ABOUT = 57664;
inline constexpr uint32_t ID_APP_EXIT = 57665;

inline constexpr uint32_t ID_EDIT_COPY = 57634;
inline constexpr uint32_t ID_EDIT_CUT = 57635;
inline constexpr uint32_t ID_EDIT_PASTE = 57637;
inline constexpr uint32_t ID_EDIT_UNDO = 57643;
inline constexpr uint32_t ID_NEXT_PANE = 57680;
inline constexpr uint32_t ID_PREV_PANE = 57681;

inline constexpr uint32_t AFX_IDS_APP_TITLE = 57344;
inline constexpr uint32_t AFX_IDS_IDLEMESSAGE = 57345;
inline constexpr uint32_t AFX_IDP_PARSE_REAL = 61713;

inline constexpr uint32_t AFX_IDW_PANE_FIRST = 0xE900;
