// Resource numbers of the tooltip's stock icons 1 (information), 2 (help)
// and 3 (warning), each with a 16 and a 32 pixel picture. Shared by the
// resource script and the code.
#pragma once

#define IDI_TIP_INFORMATION 201
#define IDI_TIP_HELP 202
#define IDI_TIP_WARNING 203
