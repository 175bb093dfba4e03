// Ids of the module's dialog templates, controls, icons and bitmaps, shared by kxcard.rc and the code.
#ifndef KXCARD_RESOURCE_IDS_H
#define KXCARD_RESOURCE_IDS_H

// Plain macros: the resource compiler understands nothing else.

// Dialog templates.
#define IDD_MAIN 101
#define IDD_WRITE_DESIGN 105
#define IDD_DESIGN_NAME 106

// Icon groups.
#define IDI_READ_ARROW 102
#define IDI_WRITE_ARROW 103
#define IDI_COMPUTER 132
#define IDI_WASTE_BIN 135
#define IDI_FOLDER_UP 136
#define IDI_PC_CARD 139

// Bitmaps: twelve 16 x 16 list pictures, four 32 x 32 card folder pictures.
#define IDB_LIST_PICTURES 126
#define IDB_CARD_FOLDERS 141
// Bitmap `id` drawn with cells of `size` pixels (below 100) for a larger dpi.
#define KX_PICTURE_AT(id, size) ((id) * 100 + (size))

// Controls. The card half has the same ids in dialogs 101 and 105.
#ifndef IDC_STATIC
#define IDC_STATIC (-1)
#endif
#define IDC_DRIVE_COMBO 1001
#define IDC_HOOP_LABEL 1002
#define IDC_PREVIEW_PANE 1003
#define IDC_NAME_PROMPT 1003 // dialog 106
#define IDC_CARD_SELECT_ALL 1005
#define IDC_PC_SELECT_ALL 1006
#define IDC_CARD_COUNT 1007
#define IDC_OPEN_FOLDER_NAME 1008
#define IDC_PC_COUNT 1009
#define IDC_NAME_EDIT 1020 // dialog 106
#define IDC_CARD_OPEN 1041
#define IDC_FOLDER_LIST 1044
#define IDC_DESIGN_LIST 1045
#define IDC_READ_ARROW 1046
#define IDC_WRITE_ARROW 1047
#define IDC_LOCATION_COMBO 1062
#define IDC_PC_LIST 1067
#define IDC_FOLDER_UP 1068
#define IDC_PREVIEW_CHECK 1070
#define IDC_ERASE 1071
#define IDC_PC_OPEN 1072
#define IDC_COMPUTER_ICON 1073
#define IDC_CARD_ICON 1074
#define IDC_NAME_BUTTON 1075
#define IDC_DESIGN_NAME 1076

#endif
