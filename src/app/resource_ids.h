// Resource numbers shared by the resource script and the code.
#pragma once

#define IDI_VEXILLOR 1
#define IDR_BACKGROUND 101
#define IDR_BAR 102
#define IDR_CREST_PLACEHOLDER 103
// Button pictures: normal (a) and hover (b) of buttons 1 to 7.
#define IDR_PIC1A 111
#define IDR_PIC1B 112
#define IDR_PIC2A 113
#define IDR_PIC2B 114
#define IDR_PIC3A 115
#define IDR_PIC3B 116
#define IDR_PIC4A 117
#define IDR_PIC4B 118
#define IDR_PIC5A 119
#define IDR_PIC5B 120
#define IDR_PIC6A 121
#define IDR_PIC6B 122
#define IDR_PIC7A 123
#define IDR_PIC7B 124

// The keyboard's command table and its commands (WM_COMMAND ids).
#define IDA_MAIN 200
#define IDM_OPEN_PICTURE 40001
#define IDM_SAVE_CRESTS 40002
#define IDM_RENAME 40003
#define IDM_CREST_MENU 40004
#define IDM_CLOSE 40005
#define IDM_ABOUT 40006
// The crest's editing commands; the same ids as their menu items.
#define IDM_FRAME 1004
#define IDM_PASTE 1006
#define IDM_UNDO 1007
#define IDM_REDO 1008
#define IDM_COPY 1009
