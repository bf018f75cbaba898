// Resource identifiers of the program's pictures and icons.
#pragma once

#define IDI_ORVELIN 1

#define IDB_TITLE 100
#define IDB_TITLELINE 101
#define IDB_STARTUP_HOT 110
#define IDB_STARTUP_DIS 111
#define IDB_REGISTRY_HOT 112
#define IDB_REGISTRY_DIS 113
#define IDB_HISTORY_HOT 114
#define IDB_HISTORY_DIS 115
#define IDB_ABOUT_HOT 116
#define IDB_ABOUT_DIS 117
#define IDB_TOOLBAR 120
#define IDB_TOOLBAR_DIS 121
#define IDB_SMALL 122
#define IDB_SU_SECTIONS 123
#define IDB_RG_SECTIONS 124
#define IDB_HS_SECTIONS 125
