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
