// Entry points of the library object, the view surfaces, the capture buffer and the shared memory.
#include <string>

#include "QRV_InterFace_SW.h"
#include "QRV_PlatformMemory.h"
#include "exports_check.h"
#include "image_files.h"
#include "port/ui_thread.h"
#include "shared_mapping.h"
#include "software_library.h"
#include "user_memory.h"

using qrv::sw::SoftwareLibrary;

namespace {

template <typename Fn>
void WithLibrary(const Fn& fn) {
  if (SoftwareLibrary* library = SoftwareLibrary::Instance()) fn(*library);
}

}  // namespace

QRV_EXPORT void Load_OnCreate(CQRV_LoadMemory* record) { SoftwareLibrary::Create(record); }

// The record is passed by every caller and not needed.
QRV_EXPORT void Load_OnDelete(CQRV_LoadMemory*) {
  SoftwareLibrary::Destroy();
  qrv::sw::RemoveSharedMappingNames();
}

QRV_EXPORT std::string GetDllVersion() { return std::string("Release - ") + __DATE__; }

QRV_EXPORT void OnSpecDlg() {
  WithLibrary([](SoftwareLibrary& l) { l.ShowSpecDialog(); });
}

QRV_EXPORT int GetDlgShowStatus() {
  const SoftwareLibrary* library = SoftwareLibrary::Instance();
  return library ? library->Shown() : 0;
}

// The site view calls it on the UI thread while GetDlgShowStatus is 1; a call from elsewhere is carried there.
QRV_EXPORT void OnScreenRGB(int view, int x, int y) {
  const auto show = [view, x, y] { WithLibrary([&](SoftwareLibrary& l) { l.ShowPixelColor(view, x, y); }); };
  if (port::ui::IsUiThread())
    show();
  else
    port::ui::Post(show);
}

QRV_EXPORT int GetTestingImageSave() {
  const SoftwareLibrary* library = SoftwareLibrary::Instance();
  return library ? library->TestingImageSave() : 0;
}

QRV_EXPORT void InDrawImage(int view, const unsigned char* frame, int width, int height) {
  WithLibrary([&](SoftwareLibrary& l) { l.Views().InDraw(view, frame, width, height); });
}

QRV_EXPORT int OutDrawImage(int view) {
  SoftwareLibrary* library = SoftwareLibrary::Instance();
  return library ? library->Views().OutDraw(view) : 0;
}

QRV_EXPORT void OnPlatformInfoDraw() {
  WithLibrary([](SoftwareLibrary& l) { l.Views().InfoDraw(); });
}

QRV_EXPORT void SetZoom(int percent) {
  WithLibrary([&](SoftwareLibrary& l) { l.Views().SetZoom(percent); });
}

QRV_EXPORT void SetDrawPos(int view, int dx, int dy) {
  WithLibrary([&](SoftwareLibrary& l) { l.Views().MoveDrawPos(view, dx, dy); });
}

QRV_EXPORT void OnImagefit(int view) {
  WithLibrary([&](SoftwareLibrary& l) { l.Views().Fit(view); });
}

QRV_EXPORT void SetFullView(int on, int view) {
  WithLibrary([&](SoftwareLibrary& l) { l.SetFullView(on, view); });
}

QRV_EXPORT unsigned char* GetCaptureBuffer() {
  SoftwareLibrary* library = SoftwareLibrary::Instance();
  return library ? library->Capture().Data() : nullptr;
}

QRV_EXPORT void OnCreateCaptureBuffer() {
  WithLibrary([](SoftwareLibrary& l) { l.OnCreateCaptureBuffer(); });
}

QRV_EXPORT void OnDeleteCaptureBuffer() {
  WithLibrary([](SoftwareLibrary& l) { l.Capture().Delete(); });
}

QRV_EXPORT void SetUserMemory(void* block, const char* name) { qrv::sw::UserMemoryRegistry::Instance().Set(block, name); }

QRV_EXPORT void* GetUserMemory(const char* name) { return qrv::sw::UserMemoryRegistry::Instance().Get(name); }

QRV_EXPORT unsigned char* CreateMapping_BYTE(const char* name, void*, int size) {
  return static_cast<unsigned char*>(qrv::sw::CreateSharedMapping(name, size, true));
}

QRV_EXPORT double* CreateMapping_Double(const char* name, void*, int size) {
  return static_cast<double*>(qrv::sw::CreateSharedMapping(name, size, false));
}

QRV_EXPORT int OnSaveImageDC(const char* path, int view) {
  SoftwareLibrary* library = SoftwareLibrary::Instance();
  if (!library || !path) return 0;
  const std::string file = qrv::sw::FilePath(path);
  qrv::sw::CreateParentFolder(file);
  return library->Views().SaveJpeg(file, view);
}

static_assert(std::is_same_v<decltype(&::Load_OnCreate), LoadOnCreate_Fn>);
static_assert(std::is_same_v<decltype(&::Load_OnDelete), LoadOnDelete_Fn>);
static_assert(std::is_same_v<decltype(&::GetDllVersion), GetDllVersion_Fn>);
static_assert(std::is_same_v<decltype(&::OnImagefit), OnImagefit_Fn>);
static_assert(std::is_same_v<decltype(&::SetDrawPos), SetDrawPos_Fn>);
static_assert(std::is_same_v<decltype(&::SetZoom), SetZoom_Fn>);
static_assert(std::is_same_v<decltype(&::GetTestingImageSave), GetTestingImageSave_Fn>);
static_assert(std::is_same_v<decltype(&::SetFullView), SetFullView_Fn>);
QRV_SW_CHECK_EXPORT(InDrawImage);
QRV_SW_CHECK_EXPORT(OutDrawImage);
QRV_SW_CHECK_EXPORT(SetUserMemory);
QRV_SW_CHECK_EXPORT(GetUserMemory);
QRV_SW_CHECK_EXPORT(CreateMapping_BYTE);
QRV_SW_CHECK_EXPORT(CreateMapping_Double);
QRV_SW_CHECK_EXPORT(OnSaveImageDC);
