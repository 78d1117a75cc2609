// Identifiers of the installer's embedded resources; shared by the resource script and the code.
#pragma once

#define OV_IDI_APPLICATION 1
#define OV_IDB_LOGO 101
#define OV_IDB_CHAT 102
#define OV_IDR_LICENCE_FREE 201
#define OV_IDR_LICENCE_DEMO 202
