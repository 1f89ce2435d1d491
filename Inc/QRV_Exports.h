#pragma once
// The 15 functions the main program exports by name. A library looks one up at the moment of use with
// port::FindProgramSymbol(name) and does without it when it is absent. The list below is the one place
// their names and signatures are written; the program's definitions are checked against it.
#include <string>

#include "QRV_Types.h"

using OnSiteDrawExe_Fn = int (*)(int site);
using GetFpsDraw_Fn = int (*)();
using InitStopFlagExe_Fn = void (*)();
using AutoFocus_Home_Fn = int (*)();
using GetTestErrorCode_Fn = int (*)(int site);
using SetSiteStatus_Fn = void (*)(int site);
using GetHardwareVer_Fn = std::string (*)();
using GetProtocolVer_Fn = std::string (*)();
using GetSoftwareVer_Fn = std::string (*)();
using GetPlatformVer_Fn = std::string (*)();
using SetLogExport_Fn = void (*)(int site, const char* format, ...);
using ExportPlatformStart_Fn = int (*)(int site, int usbIndex, int server, int overrideFlag);
using ExportPlatformStop_Fn = void (*)(int site);
using ExportPlatformMsg_Fn = void (*)(int site, std::string text);
using GetHardwareInstance_Fn = ModuleHandle (*)();

// X(name): every export, in the order of the table of exports.
#define QRV_PROGRAM_EXPORTS(X) \
  X(OnSiteDrawExe)             \
  X(GetFpsDraw)                \
  X(InitStopFlagExe)           \
  X(AutoFocus_Home)            \
  X(GetTestErrorCode)          \
  X(SetSiteStatus)             \
  X(GetHardwareVer)            \
  X(GetProtocolVer)            \
  X(GetSoftwareVer)            \
  X(GetPlatformVer)            \
  X(SetLog)                    \
  X(ExportPlatformStart)       \
  X(ExportPlatformStop)        \
  X(ExportPlatformMsg)         \
  X(GetHardwareInstance)

// The function type of an export by its name: QRV_EXPORT_FN(SetLog) is SetLogExport_Fn.
#define QRV_EXPORT_FN_OnSiteDrawExe OnSiteDrawExe_Fn
#define QRV_EXPORT_FN_GetFpsDraw GetFpsDraw_Fn
#define QRV_EXPORT_FN_InitStopFlagExe InitStopFlagExe_Fn
#define QRV_EXPORT_FN_AutoFocus_Home AutoFocus_Home_Fn
#define QRV_EXPORT_FN_GetTestErrorCode GetTestErrorCode_Fn
#define QRV_EXPORT_FN_SetSiteStatus SetSiteStatus_Fn
#define QRV_EXPORT_FN_GetHardwareVer GetHardwareVer_Fn
#define QRV_EXPORT_FN_GetProtocolVer GetProtocolVer_Fn
#define QRV_EXPORT_FN_GetSoftwareVer GetSoftwareVer_Fn
#define QRV_EXPORT_FN_GetPlatformVer GetPlatformVer_Fn
#define QRV_EXPORT_FN_SetLog SetLogExport_Fn
#define QRV_EXPORT_FN_ExportPlatformStart ExportPlatformStart_Fn
#define QRV_EXPORT_FN_ExportPlatformStop ExportPlatformStop_Fn
#define QRV_EXPORT_FN_ExportPlatformMsg ExportPlatformMsg_Fn
#define QRV_EXPORT_FN_GetHardwareInstance GetHardwareInstance_Fn
#define QRV_EXPORT_FN(name) QRV_EXPORT_FN_##name
