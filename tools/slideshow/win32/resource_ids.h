// Identifiers shared by the resource script and the code.
#pragma once

#define IDD_SETTINGS 100
#define IDC_SECONDS 101
#define IDC_SORTED 102
#define IDC_SHUFFLED 103
#define IDC_FIT 104
#define IDC_FILL 105
#define IDC_BLURRED 106
#define IDC_BLACK 107
#define IDC_CAPTION_NONE 108
#define IDC_CAPTION_NAME 109
#define IDC_CAPTION_DATE 110
#define IDC_SOUND 111
#define IDC_VOLUME 112
#define IDC_PRIMARY_ONLY 113
#define IDC_NO_VIDEO 114
