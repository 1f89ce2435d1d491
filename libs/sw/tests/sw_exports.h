#pragma once
// The library's exports as the tests call them: the binder's list plus the entries outside it.
#include <cstddef>
#include <string>

#include "QRV_InterFace_SW.h"
#include "QRV_PlatformMemory.h"

#define QRV_SW_DECLARE(name, result, params) extern "C" result name params;
QRV_SW_FUNCTIONS(QRV_SW_DECLARE)
#undef QRV_SW_DECLARE

extern "C" {
void Load_OnCreate(CQRV_LoadMemory* record);
void Load_OnDelete(CQRV_LoadMemory* record);
std::string GetDllVersion();
void OnSpecDlg();
int GetDlgShowStatus();
int GetTestingImageSave();
void OnPlatformInfoDraw();
void SetZoom(int percent);
void SetDrawPos(int view, int dx, int dy);
void OnImagefit(int view);
void SetFullView(int on, int view);
unsigned char* GetCaptureBuffer();
std::size_t GetCaptureBufferSize();
void OnCreateCaptureBuffer();
void OnScreenRGB(int view, int x, int y);
void OnDeleteCaptureBuffer();
}
