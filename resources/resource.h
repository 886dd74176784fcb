// Resource and control identifiers shared by the resource script and the code.
#pragma once

#define IDI_SPRIG 1
#define IDD_SPRIG 201
#define IDC_FILE_LIST 202
#define IDC_FILTER_EDIT 203
#define IDC_PROJECT_BOX 204
#define IDC_EXPLORE 205
#define IDC_VIEW_CODE 206
