// Entry points of the library object, the view surfaces, the capture buffer and the shared memory.
#include <cstddef>
#include <string>

#include "QRV_InterFace_SW.h"
#include "QRV_PlatformMemory.h"
#include "exports_check.h"
#include "export_guard.h"
#include "image_files.h"
#include "port/ui_thread.h"
#include "shared_mapping.h"
#include "software_library.h"
#include "user_memory.h"

using qrv::sw::Guarded;
using qrv::sw::SoftwareLibrary;

namespace {

template <typename Fn>
void WithLibrary(const Fn& fn) {
  if (SoftwareLibrary* library = SoftwareLibrary::Instance()) fn(*library);
}

}  // namespace

// A creation that fails leaves no library, so its report goes to the given record's log.
QRV_EXPORT void Load_OnCreate(CQRV_LoadMemory* record) {
  try {
    SoftwareLibrary::Create(record);
  } catch (const std::exception& e) {
    qrv::sw::LogExportFailure(record, __func__, e.what());
  } catch (...) {
    qrv::sw::LogExportFailure(record, __func__, "unknown exception");
  }
}

// The record is passed by every caller and not needed.
QRV_EXPORT void Load_OnDelete(CQRV_LoadMemory*) {
  Guarded(__func__, [&] {
    SoftwareLibrary::Destroy();
    qrv::sw::RemoveSharedMappingNames();
  });
}

QRV_EXPORT std::string GetDllVersion() {
  return Guarded(__func__, std::string(), [] { return std::string("Release - ") + __DATE__; });
}

QRV_EXPORT void OnSpecDlg() {
  Guarded(__func__, [&] {
    WithLibrary([](SoftwareLibrary& l) { l.ShowSpecDialog(); });
  });
}

QRV_EXPORT int GetDlgShowStatus() {
  return Guarded(__func__, 0, [&]() -> int {
    const SoftwareLibrary* library = SoftwareLibrary::Instance();
    return library ? library->Shown() : 0;
  });
}

// The site view calls it on the UI thread while GetDlgShowStatus is 1; a call from elsewhere is carried there.
QRV_EXPORT void OnScreenRGB(int view, int x, int y) {
  Guarded(__func__, [&] {
    const auto show = [view, x, y] { WithLibrary([&](SoftwareLibrary& l) { l.ShowPixelColor(view, x, y); }); };
    if (port::ui::IsUiThread())
      show();
    else
      port::ui::Post(show);
  });
}

QRV_EXPORT int GetTestingImageSave() {
  return Guarded(__func__, 0, [&]() -> int {
    const SoftwareLibrary* library = SoftwareLibrary::Instance();
    return library ? library->TestingImageSave() : 0;
  });
}

QRV_EXPORT void InDrawImage(int view, const unsigned char* frame, int width, int height) {
  Guarded(__func__, [&] {
    WithLibrary([&](SoftwareLibrary& l) { l.Views().InDraw(view, frame, width, height); });
  });
}

QRV_EXPORT int OutDrawImage(int view) {
  return Guarded(__func__, 0, [&]() -> int {
    SoftwareLibrary* library = SoftwareLibrary::Instance();
    return library ? library->Views().OutDraw(view) : 0;
  });
}

QRV_EXPORT void OnPlatformInfoDraw() {
  Guarded(__func__, [&] {
    WithLibrary([](SoftwareLibrary& l) { l.Views().InfoDraw(); });
  });
}

QRV_EXPORT void SetZoom(int percent) {
  Guarded(__func__, [&] {
    WithLibrary([&](SoftwareLibrary& l) { l.Views().SetZoom(percent); });
  });
}

QRV_EXPORT void SetDrawPos(int view, int dx, int dy) {
  Guarded(__func__, [&] {
    WithLibrary([&](SoftwareLibrary& l) { l.Views().MoveDrawPos(view, dx, dy); });
  });
}

QRV_EXPORT void OnImagefit(int view) {
  Guarded(__func__, [&] {
    WithLibrary([&](SoftwareLibrary& l) { l.Views().Fit(view); });
  });
}

QRV_EXPORT void SetFullView(int on, int view) {
  Guarded(__func__, [&] {
    WithLibrary([&](SoftwareLibrary& l) { l.SetFullView(on, view); });
  });
}

QRV_EXPORT unsigned char* GetCaptureBuffer() {
  return Guarded(__func__, static_cast<unsigned char*>(nullptr), [&]() -> unsigned char* {
    SoftwareLibrary* library = SoftwareLibrary::Instance();
    return library ? library->Capture().Data() : nullptr;
  });
}

// The bytes the capture buffer was made with (0 without one): a reader of the buffer must not go past them,
// whatever the settings say now.
QRV_EXPORT std::size_t GetCaptureBufferSize() {
  return Guarded(__func__, std::size_t{0}, [&]() -> std::size_t {
    SoftwareLibrary* library = SoftwareLibrary::Instance();
    return library ? library->Capture().Size() : 0;
  });
}

QRV_EXPORT void OnCreateCaptureBuffer() {
  Guarded(__func__, [&] {
    WithLibrary([](SoftwareLibrary& l) { l.OnCreateCaptureBuffer(); });
  });
}

QRV_EXPORT void OnDeleteCaptureBuffer() {
  Guarded(__func__, [&] {
    WithLibrary([](SoftwareLibrary& l) { l.Capture().Delete(); });
  });
}

QRV_EXPORT void SetUserMemory(void* block, const char* name) {
  Guarded(__func__, [&] { qrv::sw::UserMemoryRegistry::Instance().Set(block, name); });
}

QRV_EXPORT void* GetUserMemory(const char* name) {
  return Guarded(__func__, static_cast<void*>(nullptr), [&] { return qrv::sw::UserMemoryRegistry::Instance().Get(name); });
}

QRV_EXPORT unsigned char* CreateMapping_BYTE(const char* name, void*, int size) {
  return Guarded(__func__, static_cast<unsigned char*>(nullptr), [&]() -> unsigned char* {
    return static_cast<unsigned char*>(qrv::sw::CreateSharedMapping(name, size, true));
  });
}

QRV_EXPORT double* CreateMapping_Double(const char* name, void*, int size) {
  return Guarded(__func__, static_cast<double*>(nullptr), [&]() -> double* {
    return static_cast<double*>(qrv::sw::CreateSharedMapping(name, size, false));
  });
}

QRV_EXPORT int OnSaveImageDC(const char* path, int view) {
  return Guarded(__func__, 0, [&]() -> int {
    SoftwareLibrary* library = SoftwareLibrary::Instance();
    if (!library || !path) return 0;
    const std::string file = qrv::sw::FilePath(path);
    qrv::sw::CreateParentFolder(file);
    return library->Views().SaveJpeg(file, view);
  });
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
