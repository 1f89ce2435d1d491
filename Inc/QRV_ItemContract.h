#pragma once
// The test-item plug-in contract: the four entry points every item library exports, and the load status
// the host keeps for it.
#include "QRV_Types.h"

class CInterFace_SW;
class CQRV_LoadMemory;
struct HardwareFunctionTable;
struct ProtocolFunctionTable;

// Called once after the four entry points were found; the pointers stay valid until Item_OnDelete.
using Item_OnCreate_Fn = void (*)(CInterFace_SW* binder, HardwareFunctionTable* hardware,
                                  ProtocolFunctionTable* protocol, CQRV_LoadMemory* record);
// Called before the library is unloaded; the item joins any worker of its own here.
using Item_OnDelete_Fn = void (*)();
// Shows the item's settings window; the result is not used.
using ItemOnSpecDlg_Fn = int (*)(int site);
// Runs the item: 0 pass, any other value the item's error code. May run on several site threads at once.
using OnTest_Fn = int (*)(int usb, int site, int lotTotal, int server);

// Load status of an item library; a status other than 0 is reported as the item's result code.
enum ItemLoadStatus : int {
  kItemLoaded = 0,          // loaded, bound and created
  kItemEntryMissing = -1,   // loaded, but an entry point is missing; Item_OnCreate was not called
  kItemNotLoaded = -2,      // not loaded (or not registered)
};

#define QRV_ITEM_EXPORT QRV_EXPORT
